// SPDX-License-Identifier: MIT
#include "engine/CommandLanguage.h"

#include "engine/Dates.h"
#include "engine/Exceptions.h"
#include "engine/RandomSource.h"
#include "engine/ValueField.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

namespace {

char UpCase(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
}

bool IsStripped(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

[[noreturn]] void RaiseInvalidLength(char letter) {
    RaiseError(std::string("Invalid length for argument ") + letter + ".");
}

/// Writes n copies of c; a lone character, the usual case, needs no call.
inline char* WriteCopies(char* out, std::size_t n, char c) {
    if (n == 1) {
        *out = c;
        return out + 1;
    }
    return std::fill_n(out, n, c);
}

/// The exact length of count repetitions of a non-date field whose type's row is opt and
/// whose pool is pool.
std::size_t RepeatedLength(const TTextTypeOpt& opt, std::string_view pool, std::int32_t count) {
    if (count <= 0) {
        return 0;
    }
    const auto n = static_cast<std::size_t>(count);
    switch (opt.Kind) {
    case TFieldKind::Repeated:
        return pool.size() * n;
    case TFieldKind::Drawn:
        return n;
    default:
        return 0;
    }
}

/// The most bytes of one record or field that are built in one string. A larger one is
/// refused with a message that says so, rather than failing on memory; producing records
/// in pieces has no such limit.
constexpr std::size_t MaxHeldBytes = std::size_t{1} << 30;

/// number counts fields from 1; 0 stands for a field given on its own.
[[noreturn]] void RaiseFieldTooLarge(std::size_t number, std::uint64_t bytes) {
    const std::string which = number == 0 ? "The field" : "Field " + std::to_string(number);
    RaiseError(which + " is too large to hold in memory (" + std::to_string(bytes) + " bytes).");
}

[[noreturn]] void RaiseRecordTooLarge(std::uint64_t bytes) {
    RaiseError("The record is too large to hold in memory (" + std::to_string(bytes) + " bytes).");
}

/// Sizes text for a record that starts at start, refusing a record beyond MaxHeldBytes or
/// one that memory cannot hold with a message instead of std::bad_alloc.
void ResizeHeld(std::string& text, std::size_t size, std::size_t start) {
    if (size - start > MaxHeldBytes) {
        RaiseRecordTooLarge(size - start);
    }
    try {
        text.resize(size);
    } catch (const std::bad_alloc&) {
        RaiseRecordTooLarge(size - start);
    } catch (const std::length_error&) {
        RaiseRecordTooLarge(size - start);
    }
}

/// Line-end styles: 0 = CR LF, 1 = LF, anything else nothing.
std::size_t LineEndLength(std::uint8_t style) {
    if (style == 0) {
        return 2;
    }
    return style == 1 ? 1 : 0;
}

void WriteLineEnd(char* out, std::uint8_t style) {
    if (style == 0) {
        *out++ = '\r';
    }
    if (style <= 1) {
        *out = '\n';
    }
}

} // namespace

void SplitString(const std::string& text, const std::string& separator,
                 std::vector<std::string>& list) {
    if (text.empty()) {
        return;
    }
    // An empty separator would be found everywhere without advancing.
    if (separator.empty()) {
        list.push_back(text);
        return;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t pos = text.find(separator, start);
        if (pos == std::string::npos) {
            list.push_back(text.substr(start));
            return;
        }
        list.push_back(text.substr(start, pos - start));
        start = pos + separator.size();
    }
}

bool CodeToChar(const std::string& code, char& ch) {
    ch = '\0';
    std::int32_t value = 0;
    if (!TryStrToInt(code, value) || value < 0 || value > 255) {
        return false;
    }
    ch = static_cast<char>(static_cast<unsigned char>(value));
    return true;
}

std::string DecodeCodes(const std::string& text) {
    std::vector<std::string> pieces;
    SplitString(text, "#", pieces);
    std::string result;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        char ch = '\0';
        if (!CodeToChar(pieces[i], ch)) {
            RaiseError("Code sequence not valid: " + text);
        }
        result.push_back(ch);
    }
    return result;
}

std::string EncodeCodes(const std::string& text) {
    std::string result;
    result.reserve(text.size() * 4);
    for (const char c : text) {
        result.push_back('#');
        result.append(std::to_string(static_cast<unsigned char>(c)));
    }
    return result;
}

bool SingleChar(const std::string& text, bool upCase, char& ch) {
    if (text.size() != 1) {
        ch = '\0';
        return false;
    }
    ch = upCase ? UpCase(text[0]) : text[0];
    return true;
}

void RaiseError(const std::string& msg) {
    throw Exception(msg);
}

bool TryStrToInt(const std::string& text, std::int32_t& value) {
    const std::size_t length = text.size();
    std::size_t i = 0;
    while (i < length && text[i] == ' ') {
        ++i;
    }
    if (i == length) {
        return false;
    }
    const char first = text[i];
    const bool zeroX = first == '0' && i + 1 < length && (text[i + 1] == 'x' || text[i + 1] == 'X');
    if (first == '$' || first == 'x' || first == 'X' || zeroX) {
        i += zeroX ? 2 : 1;
        const std::size_t digits = length - i;
        if (digits == 0 || digits > 8) {
            return false;
        }
        std::uint32_t pattern = 0;
        for (; i < length; ++i) {
            const int digit = HexValue(text[i]);
            if (digit < 0) {
                return false;
            }
            pattern = pattern << 4 | static_cast<std::uint32_t>(digit);
        }
        value = static_cast<std::int32_t>(pattern);
        return true;
    }
    const bool negative = first == '-';
    if (first == '+' || first == '-') {
        ++i;
    }
    if (i == length) {
        return false;
    }
    // Magnitude limit: 2^31 for a negative number, 2^31 - 1 otherwise.
    const std::int64_t limit =
        static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + (negative ? 1 : 0);
    std::int64_t magnitude = 0;
    for (; i < length; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return false;
        }
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit) {
            return false;
        }
    }
    value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return true;
}

std::int32_t StrToInt(const std::string& text) {
    std::int32_t value = 0;
    if (!TryStrToInt(text, value)) {
        throw EConvertError("'" + text + "' is not a valid integer value");
    }
    return value;
}

// ---------------------------------------------------------------------------------------
// TVxCmdParser

void TVxCmdParser::DoOption(std::string, std::string) {}

void TVxCmdParser::DoParam(std::string) {}

void TVxCmdParser::Parse(std::string cmdLine) {
    std::string rest = std::move(cmdLine);
    std::string arg;
    std::string upperArg;
    std::string nameOrText;
    std::string value;
    bool isSwitch = false;
    for (;;) {
        NextArg(rest, arg);
        if (arg.empty()) {
            return;
        }
        SplitArg(arg, upperArg, nameOrText, value, isSwitch);
        if (isSwitch) {
            DoOption(nameOrText, value);
        } else {
            DoParam(arg);
        }
    }
}

void TVxCmdParser::NextArg(std::string& rest, std::string& arg) {
    std::size_t begin = 0;
    std::size_t end = rest.size();
    while (begin < end && IsStripped(rest[begin])) {
        ++begin;
    }
    while (end > begin && IsStripped(rest[end - 1])) {
        --end;
    }
    const std::size_t blank = rest.find(' ', begin);
    if (blank == std::string::npos || blank >= end) {
        arg.assign(rest, begin, end - begin);
        rest.clear();
    } else {
        arg.assign(rest, begin, blank - begin);
        rest.erase(end);
        rest.erase(0, blank + 1);
    }
}

namespace {

/// An absolute file name such as /home/user/random.txt: a "/" at the front and another one
/// before any "=". File names on this system begin with "/", so without this the output
/// file would be read as a switch; a switch the writer produces always has its "=" before
/// any further "/" (/D=a/b, /Z=dd/mm/yy).
bool IsAbsolutePath(const std::string& arg) {
    if (arg.empty() || arg[0] != '/')
        return false;
    const std::size_t slash = arg.find('/', 1);
    return slash != std::string::npos && slash < arg.find('=');
}

} // namespace

void TVxCmdParser::SplitArg(const std::string& arg, std::string& upperArg, std::string& nameOrText,
                            std::string& value, bool& isSwitch) {
    upperArg = arg;
    for (char& c : upperArg) {
        c = UpCase(c);
    }
    nameOrText.clear();
    value.clear();
    isSwitch = arg.size() >= 2 && (arg[0] == '/' || arg[0] == '-') && !IsAbsolutePath(arg);
    if (!isSwitch) {
        nameOrText = arg;
        return;
    }
    // Values are never cut: a long coded string must come back whole.
    const std::size_t equals = arg.find('=');
    if (equals != std::string::npos) {
        nameOrText.assign(upperArg, 1, equals - 1);
        value.assign(arg, equals + 1);
    } else {
        nameOrText.assign(1, upperArg[1]);
        value.assign(arg, 2);
    }
}

// ---------------------------------------------------------------------------------------
// TVxRndParser

void TVxRndParser::Parse(std::string cmdLine) {
    FFileName.clear();
    FUserCharset.clear();
    FRecordCount = 1;
    FEndOfLine = 0;
    FFields.clear();
    FValues.clear();
    FNextRecord = 0;
    FArgCount = 0;

    FSmalls.clear();
    FCapitals.clear();
    for (char c = 'a'; c <= 'z'; ++c) {
        FSmalls.push_back(c);
        FCapitals.push_back(UpCase(c));
    }
    FLetters = FCapitals + FSmalls;
    FLetterUser = FLetters;
    FBinLow.clear();
    FBinary.clear();
    for (int code = 0; code < 256; ++code) {
        const auto c = static_cast<char>(static_cast<unsigned char>(code));
        if (code < 32) {
            FBinLow.push_back(c);
        }
        FBinary.push_back(c);
    }

    TVxCmdParser::Parse(std::move(cmdLine));
    if (FFields.empty()) {
        RaiseError("Empty record definition not allowed.");
    }
}

void TVxRndParser::DoOption(std::string name, std::string value) {
    char letter = '\0';
    if (!SingleChar(name, true, letter)) {
        RaiseError("Invalid argument " + name);
    }
    switch (letter) {
    case 'D':
        ++FArgCount;
        FUserCharset = std::move(value);
        FLetterUser = FLetters + FUserCharset;
        break;
    case 'E': {
        char style = '\0';
        SingleChar(value, true, style);
        switch (style) {
        case 'W':
            FEndOfLine = 0;
            break;
        case 'U':
            FEndOfLine = 1;
            break;
        case 'N':
            FEndOfLine = 2;
            break;
        default:
            RaiseError("Invalid value for argument /E.");
        }
        ++FArgCount;
        break;
    }
    case 'R':
        ++FArgCount;
        if (!TryStrToInt(value, FRecordCount)) {
            RaiseError("Invalid length for argument /R.");
        }
        break;
    case 'Z':
        ++FArgCount;
        SystemDateFormat = std::move(value);
        break;
    default:
        AddField(letter, value);
        break;
    }
}

void TVxRndParser::DoParam(std::string text) {
    if (FFileName.empty()) {
        FFileName = std::move(text);
        ++FArgCount;
    }
}

bool TVxRndParser::AddField(char letter, const std::string& value) {
    const TTextType textType = TextTypeOfLetter(letter);
    if (textType == ttRandomString && value.empty()) {
        RaiseError("Invalid string for argument /U.");
    }
    if (textType == ttNone) {
        return false;
    }
    ++FArgCount;
    FFields.push_back(TFieldDef{0, textType, {}});
    ParseFieldValue(letter, FFields.back(), value);
    if (OptOfTextType(textType).Kind == TFieldKind::Value) {
        // Compiled now, so that a fault in the field's string ends the parse at its switch.
        FValues.resize(FFields.size());
        FValues.back() = std::make_shared<TVxValueField>(FFields.back(), FFields.size());
    }
    return true;
}

void TVxRndParser::ParseFieldValue(char letter, TFieldDef& field, std::string value) {
    field.Size = 0;
    const TTextTypeOpt& opt = OptOfTextType(field.TextType);
    if (opt.Kind == TFieldKind::Date) {
        const std::size_t comma = value.find(',');
        const std::string first = comma == std::string::npos ? value : value.substr(0, comma);
        const std::string last = comma == std::string::npos ? value : value.substr(comma + 1);
        field.Str = std::to_string(StrToInt(last));
        field.Size = StrToInt(first);
        if (field.Size == 0) {
            RaiseInvalidLength(letter);
        }
        return;
    }
    if (opt.Kind == TFieldKind::Value) {
        // A width, and after a comma the field's string; without a comma the whole value is
        // the width, as the window writes a field with an empty String, and empty means 0.
        const std::size_t comma = value.find(',');
        if (comma != std::string::npos) {
            std::string str = value.substr(comma + 1);
            field.Str = !str.empty() && str[0] == '#' ? DecodeCodes(str) : std::move(str);
            value.erase(comma);
        } else if (value.empty()) {
            value.assign(1, '0');
        }
        if (!TryStrToInt(value, field.Size) || field.Size < 0) {
            RaiseInvalidLength(letter);
        }
        return;
    }
    if (opt.Pool == TFieldPool::FieldString) {
        // Without a comma the whole value is the string, repeated or drawn from once.
        const std::size_t comma = value.find(',');
        std::string str = comma == std::string::npos ? value : value.substr(comma + 1);
        value = comma == std::string::npos ? std::string("1") : value.substr(0, comma);
        field.Str = !str.empty() && str[0] == '#' ? DecodeCodes(str) : std::move(str);
    } else if (value.empty()) {
        value.assign(1, '1');
    }
    if (!TryStrToInt(value, field.Size)) {
        RaiseInvalidLength(letter);
    }
}

void TVxRndParser::GetRecord(bool toFile, std::string& line) {
    // Everything from position 0 is overwritten, so the old text need not be cleared first.
    WriteRecord(toFile, line, 0);
}

void TVxRndParser::AppendRecord(bool toFile, std::string& text) {
    WriteRecord(toFile, text, text.size());
}

void TVxRndParser::WriteRecord(bool toFile, std::string& text, std::size_t start) {
    // Style 2 writes no line end, which is what a memo line needs.
    const std::uint8_t style = toFile ? FEndOfLine : 2;
    // The fields between two dates have a length known in advance: the string is sized once
    // for each such run (which costs nothing when the previous record had the same length)
    // and written in place. Dates, whose length depends on the date, are appended.
    CheckHoldable();
    auto field = FFields.begin();
    const auto end = FFields.end();
    std::size_t pos = start;
    for (;;) {
        auto runEnd = field;
        std::size_t length = 0;
        while (runEnd != end && OptOfTextType(runEnd->TextType).Kind != TFieldKind::Date &&
               OptOfTextType(runEnd->TextType).Kind != TFieldKind::Value) {
            length +=
                RepeatedLength(OptOfTextType(runEnd->TextType), PoolOf(*runEnd), runEnd->Size);
            ++runEnd;
        }
        if (runEnd == end) {
            length += LineEndLength(style);
        }
        ResizeHeld(text, pos + length, start);
        char* out = text.data() + pos;
        std::uint32_t state = Seed;
        for (; field != runEnd; ++field) {
            out = WriteRepeated(*field, field->Size, out, state);
        }
        Seed = state;
        if (field == end) {
            WriteLineEnd(out, style);
            ++FNextRecord;
            return;
        }
        AppendField(*field, text);
        pos = text.size();
        ++field;
    }
}

void TVxRndParser::CheckHoldable() const {
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < FFields.size(); ++i) {
        const TFieldDef& field = FFields[i];
        const std::size_t length =
            RepeatedLength(OptOfTextType(field.TextType), PoolOf(field), field.Size);
        if (length > MaxHeldBytes) {
            RaiseFieldTooLarge(i + 1, length);
        }
        total += length;
    }
    if (total > MaxHeldBytes) {
        RaiseRecordTooLarge(total);
    }
}

void TVxRndParser::GetField(const TFieldDef& field, std::string& text) {
    text.clear();
    AppendField(field, text);
}

void TVxRndParser::GetChar(const TFieldDef& field, std::string& text) {
    text.clear();
    // A date or value field has no repetitions; its one piece is the date or the value.
    const TFieldKind kind = OptOfTextType(field.TextType).Kind;
    if (kind == TFieldKind::Date || kind == TFieldKind::Value) {
        AppendField(field, text);
    } else {
        AppendRepeated(field, 1, text);
    }
}

char TVxRndParser::RandomChar(std::string_view pool) {
    if (pool.empty()) {
        return '\0';
    }
    return pool[static_cast<std::uint32_t>(RandomBelow(static_cast<std::int32_t>(pool.size())))];
}

void TVxRndParser::RandomDate(std::int32_t fromYear, std::int32_t toYear, std::string& text) {
    text.clear();
    AppendRandomDate(fromYear, toYear, text);
}

void TVxRndParser::AppendField(const TFieldDef& field, std::string& text) {
    const TFieldKind kind = OptOfTextType(field.TextType).Kind;
    if (kind == TFieldKind::Date) {
        AppendRandomDate(field.Size, StrToInt(field.Str), text);
    } else if (kind == TFieldKind::Value) {
        AppendValue(field, text);
    } else {
        AppendRepeated(field, field.Size, text);
    }
}

void TVxRndParser::AppendRepeated(const TFieldDef& field, std::int32_t count, std::string& text) {
    const std::size_t start = text.size();
    const std::size_t length = RepeatedLength(OptOfTextType(field.TextType), PoolOf(field), count);
    if (length > MaxHeldBytes) {
        const std::size_t index = IndexOf(field);
        RaiseFieldTooLarge(index < FFields.size() ? index + 1 : 0, length);
    }
    ResizeHeld(text, start + length, start);
    std::uint32_t state = Seed;
    WriteRepeated(field, count, text.data() + start, state);
    Seed = state;
}

char* TVxRndParser::WriteRepeated(const TFieldDef& field, std::int32_t count, char* out,
                                  std::uint32_t& state) const {
    if (count <= 0) {
        return out;
    }
    const auto n = static_cast<std::size_t>(count);
    const std::string_view pool = PoolOf(field);
    switch (OptOfTextType(field.TextType).Kind) {
    case TFieldKind::Repeated:
        if (pool.size() == 1) {
            return WriteCopies(out, n, pool[0]);
        }
        for (std::size_t i = 0; i < n; ++i) {
            out = std::copy_n(pool.data(), pool.size(), out);
        }
        return out;
    case TFieldKind::Drawn:
        // An empty pool yields code 0 without a draw.
        if (pool.empty()) {
            return WriteCopies(out, n, '\0');
        }
        return WriteDrawnRun(out, pool.data(), static_cast<std::uint32_t>(pool.size()), n, state);
    default:
        return out;
    }
}

std::string_view TVxRndParser::PoolOf(const TFieldDef& field) const {
    switch (OptOfTextType(field.TextType).Pool) {
    case TFieldPool::Tab:
        return "\t";
    case TFieldPool::Blank:
        return " ";
    case TFieldPool::FieldString:
        return field.Str;
    case TFieldPool::Digits:
        return DigitPool;
    case TFieldPool::Hex:
        return HexPool;
    case TFieldPool::Capitals:
        return FCapitals;
    case TFieldPool::Smalls:
        return FSmalls;
    case TFieldPool::Letters:
        return FLetters;
    case TFieldPool::LetterUser:
        return FLetterUser;
    case TFieldPool::BinaryLow:
        return FBinLow;
    case TFieldPool::Binary:
        return FBinary;
    case TFieldPool::None:
        break;
    }
    return {};
}

void TVxRndParser::AppendRandomDate(std::int32_t fromYear, std::int32_t toYear, std::string& text) {
    // A reversed range is drawn in order, so that it gives years between its two ends.
    const std::int64_t low = fromYear <= toYear ? fromYear : toYear;
    const std::int64_t high = fromYear <= toYear ? toYear : fromYear;
    const auto bound = static_cast<std::uint32_t>(high - low + 1);
    const std::int64_t drawn = low + DrawBelow(Seed, bound);
    // The calendar takes the year as an unsigned 16-bit number.
    const int year = static_cast<std::uint16_t>(drawn);
    const int month = RandomBelow(12) + 1;
    const int day = RandomBelow(DaysInMonth(year, month)) + 1;
    AppendDate(text, SystemDateFormat, year, month, day, FormatSettings());
}

std::size_t TVxRndParser::IndexOf(const TFieldDef& field) const {
    const auto* const fields = FFields.data();
    const bool own =
        std::less_equal<>()(fields, &field) && std::less<>()(&field, fields + FFields.size());
    return own ? static_cast<std::size_t>(&field - fields) : FFields.size();
}

void TVxRndParser::Prepare(std::uint64_t records, bool fileNamesAsBytes) const {
    for (const std::shared_ptr<TVxValueField>& value : FValues) {
        if (value && value->NeedsFile()) {
            value->LoadFile(fileNamesAsBytes);
        }
    }
    for (const std::shared_ptr<TVxValueField>& value : FValues) {
        if (value) {
            value->CheckRecords(0, records);
        }
    }
}

std::shared_ptr<const TVxValueField> TVxRndParser::ValueFieldOf(const TFieldDef& field) const {
    if (OptOfTextType(field.TextType).Kind != TFieldKind::Value) {
        return nullptr;
    }
    const std::size_t index = IndexOf(field);
    if (index < FValues.size() && FValues[index]) {
        return FValues[index];
    }
    return std::make_shared<TVxValueField>(field, index + 1);
}

void TVxRndParser::AppendValue(const TFieldDef& field, std::string& text) {
    Prepare(0);
    std::shared_ptr<const TVxValueField> value = ValueFieldOf(field);
    if (value->NeedsFile()) {
        // A field given on its own: its file is read for this one value.
        auto loaded = std::make_shared<TVxValueField>(*value);
        loaded->LoadFile(false);
        value = std::move(loaded);
    }
    value->CheckRecords(FNextRecord, 1);
    value->Append(text, FNextRecord, Seed);
}

std::uint64_t DrawsOfField(const TVxRndParser& parser, const TFieldDef& field) {
    const TTextTypeOpt& opt = OptOfTextType(field.TextType);
    if (opt.Kind == TFieldKind::Date) {
        return opt.DrawsPerRepetition;
    }
    if (opt.Kind == TFieldKind::Value) {
        return parser.ValueFieldOf(field)->Draws();
    }
    if (field.Size <= 0 || (opt.Kind == TFieldKind::Drawn && parser.PoolOf(field).empty())) {
        return 0;
    }
    return static_cast<std::uint64_t>(field.Size) * opt.DrawsPerRepetition;
}

std::uint64_t DrawsPerRecord(const TVxRndParser& parser) {
    std::uint64_t draws = 0;
    for (const TFieldDef& field : parser.Fields()) {
        draws += DrawsOfField(parser, field);
    }
    return draws;
}
