// SPDX-License-Identifier: MIT
// Parses any command string with a fresh TVxRndParser and generates a few records from what
// it accepts. The input's first line is the date format, the rest the command string (an
// input without a line break is all command string). Exceptions of the system (Exception
// and derived) are expected answers; a crash, undefined behaviour, any other exception or a
// failed property is a finding.
//
// Properties:
// - an accepted definition holds fields of the field types only, dates with a decimal last
//   year, value fields of a width from 0, an end of line from 0 to 2 and at least as many
//   counted arguments as fields;
// - the fields, written back in the writer's form and parsed again, come back the same;
// - GetRecord and AppendRecord give exactly the record that the field-type table describes
//   when it is built one character at a time with RandomChar and RandomDate (a value field
//   one value at a time with GetField), with the same draws (the same Seed afterwards) and
//   the same failure, once Prepare has accepted the run;
// - the producer gives the records of GetRecord, byte for byte, for a stretch of a run on
//   one and on several threads, with the vector writer and the portable one, and stops at
//   the same failure with the same Seed afterwards.

#include "engine/CommandLanguage.h"
#include "engine/Dates.h"
#include "engine/Exceptions.h"
#include "engine/Producer.h"
#include "engine/RandomSource.h"
#include "engine/RecordPlan.h"
#include "tests/fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

// Bounds of the work done per input, so that the fuzzer spends its time on many inputs
// rather than on a few large ones. They live here, not in the engine.
constexpr std::int32_t MaxRecords = 20;
constexpr std::int64_t MaxRecordChars = 10000;

/// The characters and repetitions a record's non-date fields make, or nothing when they
/// exceed MaxRecordChars.
bool WithinBounds(const TVxRndParser& parser) {
    std::int64_t repetitions = 0;
    std::int64_t chars = 0;
    for (const TFieldDef& field : parser.Fields()) {
        if (field.TextType == ttDate || field.Size <= 0)
            continue;
        repetitions += field.Size;
        chars += field.TextType == ttFixed
                     ? static_cast<std::int64_t>(field.Str.size()) * field.Size
                     : field.Size;
        if (repetitions > MaxRecordChars || chars > MaxRecordChars)
            return false;
    }
    return true;
}

void CheckDefinition(const TVxRndParser& parser) {
    FUZZ_CHECK(!parser.Fields().empty());
    FUZZ_CHECK(parser.EndOfLine() <= 2);
    FUZZ_CHECK(parser.ArgCount() >= static_cast<std::int32_t>(parser.Fields().size()));
    FUZZ_CHECK(parser.Letters() == parser.Capitals() + parser.Smalls());
    FUZZ_CHECK(parser.BinLow().size() == 32 && parser.Binary().size() == 256);
    for (const TFieldDef& field : parser.Fields()) {
        FUZZ_CHECK(field.TextType >= ttNumeric && field.TextType <= ttFileLine);
        const bool value = OptOfTextType(field.TextType).Kind == TFieldKind::Value;
        if (value) {
            FUZZ_CHECK(field.Size >= 0);
        } else if (field.TextType == ttDate) {
            FUZZ_CHECK(field.Size != 0);
            std::int32_t last = 0;
            FUZZ_CHECK(TryStrToInt(field.Str, last) && std::to_string(last) == field.Str);
        } else if (field.TextType != ttFixed && field.TextType != ttRandomString) {
            FUZZ_CHECK(field.Str.empty());
        }
    }
}

/// The fields in the form the command-string writer gives them: prefix, size, and for the
/// types with a string a comma and the string (coded, except the year of a date).
std::string WrittenFields(const TVxRndParser& parser) {
    std::string text;
    for (const TFieldDef& field : parser.Fields()) {
        text += ArgOfCaption(CaptionOfTextType(field.TextType));
        text += std::to_string(field.Size);
        const bool value = OptOfTextType(field.TextType).Kind == TFieldKind::Value;
        if (field.TextType == ttDate)
            text += "," + field.Str;
        else if (field.TextType == ttFixed || field.TextType == ttRandomString)
            text += "," + EncodeCodes(field.Str);
        else if (value && !field.Str.empty())
            text += "," + EncodeCodes(field.Str);
        text += ' ';
    }
    return text;
}

/// What a record is, one character at a time after the field-type table.
struct TReference {
    std::string Text;
    std::optional<std::string> Error;
};

TReference ReferenceRecord(TVxRndParser& parser, bool toFile) {
    TReference result;
    try {
        for (const TFieldDef& field : parser.Fields()) {
            std::string_view pool;
            if (OptOfTextType(field.TextType).Kind == TFieldKind::Value) {
                std::string value;
                parser.GetField(field, value);
                result.Text += value;
                continue;
            }
            switch (field.TextType) {
            case ttDate: {
                std::string date;
                parser.RandomDate(field.Size, StrToInt(field.Str), date);
                result.Text += date;
                continue;
            }
            case ttTab:
                result.Text.append(static_cast<std::size_t>(std::max(field.Size, 0)), '\t');
                continue;
            case ttBlank:
                result.Text.append(static_cast<std::size_t>(std::max(field.Size, 0)), ' ');
                continue;
            case ttFixed:
                for (std::int32_t i = 0; i < field.Size; ++i)
                    result.Text += field.Str;
                continue;
            case ttNumeric:
                pool = "0123456789";
                break;
            case ttHex:
                pool = "0123456789ABCDEF";
                break;
            case ttCapital:
                pool = parser.Capitals();
                break;
            case ttSmall:
                pool = parser.Smalls();
                break;
            case ttLetter:
                pool = parser.Letters();
                break;
            case ttBinaryLow:
                pool = parser.BinLow();
                break;
            case ttBinary:
                pool = parser.Binary();
                break;
            case ttRandomString:
                pool = field.Str;
                break;
            default:
                break;
            }
            const std::string letterUser = parser.Letters() + parser.UserCharset();
            if (field.TextType == ttLetterUser)
                pool = letterUser;
            for (std::int32_t i = 0; i < field.Size; ++i)
                result.Text += parser.RandomChar(pool);
        }
        if (toFile && parser.EndOfLine() == 0)
            result.Text += "\r\n";
        else if (toFile && parser.EndOfLine() == 1)
            result.Text += "\n";
    } catch (const Exception& error) {
        result.Error = error.what();
    }
    return result;
}

void CheckRecords(TVxRndParser& parser, std::uint32_t seed) {
    Seed = seed;
    const std::int32_t records = std::clamp(parser.RecordCount(), 1, MaxRecords);
    // A counter refused for the run, or a word file that cannot be read, ends it before the
    // first record, as the programs check it.
    try {
        parser.Prepare(static_cast<std::uint64_t>(records));
    } catch (const Exception&) {
        return;
    }
    std::string gathered = "prefix";
    std::string expectedGathered = gathered;
    for (std::int32_t r = 0; r < records; ++r) {
        const bool toFile = r % 2 == 0;
        const std::uint32_t start = Seed;
        const auto number = static_cast<std::uint64_t>(r);
        parser.SetNextRecord(number);
        const TReference expected = ReferenceRecord(parser, toFile);
        const std::uint32_t end = Seed;

        Seed = start;
        parser.SetNextRecord(number);
        // A line that held a longer record before must not keep any of it.
        std::string line(MaxRecordChars / 2, '?');
        std::optional<std::string> error;
        try {
            parser.GetRecord(toFile, line);
        } catch (const Exception& e) {
            error = e.what();
        }
        FUZZ_CHECK(Seed == end);
        FUZZ_CHECK(error == expected.Error);
        if (!error)
            FUZZ_CHECK(line == expected.Text);

        Seed = start;
        parser.SetNextRecord(number);
        try {
            parser.AppendRecord(toFile, gathered);
            FUZZ_CHECK(!expected.Error);
            expectedGathered += expected.Text;
        } catch (const Exception& e) {
            FUZZ_CHECK(expected.Error && *expected.Error == e.what());
            // A failed record may leave part of itself; the next one starts after it.
            FUZZ_CHECK(gathered.compare(0, expectedGathered.size(), expectedGathered) == 0);
            expectedGathered = gathered;
        }
        FUZZ_CHECK(Seed == end);
        FUZZ_CHECK(gathered == expectedGathered);
        if (error)
            break;
    }
}

/// The producer against GetRecord on records first to first + count - 1 of the run from
/// seed. A record before first that fails makes the whole stretch fail.
void CheckProducer(TVxRndParser& parser, std::uint32_t seed) {
    const std::uint64_t first = seed % 4;
    const std::uint64_t count = std::clamp<std::int64_t>(parser.RecordCount(), 1, MaxRecords);
    std::string expected;
    std::optional<std::string> expectedError;
    try {
        parser.Prepare(first + count);
    } catch (const Exception&) {
        return;
    }
    Seed = seed;
    parser.SetNextRecord(0);
    std::string line;
    for (std::uint64_t i = 0; i < first + count; ++i) {
        const std::uint32_t before = Seed;
        try {
            parser.GetRecord(true, line);
        } catch (const Exception& e) {
            expectedError = e.what();
            Seed = before;
            break;
        }
        if (i >= first)
            expected += line;
    }
    const std::uint32_t expectedSeed = Seed;
    for (const unsigned threads : {1u, 2u}) {
        for (const bool portable : {false, true}) {
            TVxRecordPlan::ForcePortable(portable);
            TVxProducer producer(parser, true);
            producer.SetThreads(threads);
            producer.SetBufferBytes(static_cast<std::size_t>(seed % 200) + 1);
            producer.SetRecordsPerPiece(seed % 3);
            std::string bytes;
            std::optional<std::string> error;
            try {
                producer.Run(seed, first, count, [&](const TVxPiece& piece) {
                    FUZZ_CHECK(piece.WholeSize <= piece.Size);
                    bytes.append(piece.Data, piece.Size);
                    return true;
                });
            } catch (const Exception& e) {
                error = e.what();
            }
            FUZZ_CHECK(error == expectedError);
            FUZZ_CHECK(bytes == expected);
            FUZZ_CHECK(Seed == expectedSeed);
        }
    }
    TVxRecordPlan::ForcePortable(false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    SystemDateFormat = newline == std::string::npos ? "m/d/yy" : input.substr(0, newline);
    const std::string command = newline == std::string::npos ? input : input.substr(newline + 1);

    TVxRndParser parser;
    try {
        parser.Parse(command);
    } catch (const Exception&) {
        return 0;
    }
    CheckDefinition(parser);

    TVxRndParser again;
    again.Parse(WrittenFields(parser));
    FUZZ_CHECK(again.Fields() == parser.Fields());

    if (!WithinBounds(parser))
        return 0;
    std::uint32_t seed = 0;
    for (const char c : input)
        seed = seed * 31u + static_cast<unsigned char>(c);
    CheckRecords(parser, seed);
    CheckProducer(parser, seed);
    return 0;
}
