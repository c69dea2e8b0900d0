// SPDX-License-Identifier: MIT
// The command string written from a record table and its settings: its exact text for the
// known layouts, and that the parser reads back every field and setting it was given, with
// the argument count the writer reported.
#include "engine/CommandLanguage.h"
#include "engine/CommandStringWriter.h"
#include "engine/Exceptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string Umlauts = "\xE4\xF6\xFC\xC4\xD6\xDC\xDF";

TCommandSettings Settings(std::string count = "100", std::string charset = Umlauts, int eol = 0,
                          std::string file = "/tmp/random.txt") {
    return {std::move(count), std::move(charset), eol, std::move(file)};
}

/// Parses what the writer wrote and checks that the parser accepted exactly the arguments the
/// writer counted.
TVxRndParser ParseWritten(const TCommandString& written) {
    TVxRndParser parser;
    parser.Parse(written.Text);
    EXPECT_EQ(parser.ArgCount(), written.ArgCount) << written.Text;
    EXPECT_EQ(static_cast<std::int32_t>(parser.Fields().size()), written.DefinedRows)
        << written.Text;
    return parser;
}

struct TextCase {
    const char* Name;
    std::vector<TGridRow> Rows;
    TCommandSettings Settings;
    std::string Expected;
    std::int32_t ArgCount;
    std::int32_t DefinedRows;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.Name;
}

class WrittenTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(WrittenTextTest, IsExact) {
    const TextCase& c = GetParam();
    const TCommandString written = BuildCommandString(c.Rows, c.Settings);
    EXPECT_EQ(written.Text, c.Expected);
    EXPECT_EQ(written.ArgCount, c.ArgCount);
    EXPECT_EQ(written.DefinedRows, c.DefinedRows);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WrittenTextTest,
    testing::Values(TextCase{"NoRows",
                             {},
                             Settings("100", Umlauts, 0, "c:\\random.txt"),
                             "/R=100 /D=" + Umlauts + " /E=W c:\\random.txt",
                             4,
                             0},
                    TextCase{"FixedAndDate",
                             {{"fixed string", "", "ab c"}, {"random date", "1990", "2000"}},
                             Settings("100", Umlauts, 0, "c:\\random.txt"),
                             "/R=100 /D=" + Umlauts +
                                 " /F=1,#97#98#32#99 /Y=1990,2000 /E=W c:\\random.txt",
                             6,
                             2},
                    TextCase{"SettingsEmptied",
                             {{"numeric (0..9)", "3", ""}},
                             Settings("100", "", 2, ""),
                             "/R=100 /N=3 /E=N ",
                             3,
                             1},
                    TextCase{"SettingsTrimmed",
                             {{"numeric (0..9)", "3", ""}},
                             Settings(" \t7 ", "\tab  ", 1, "  out.txt \r"),
                             "/R=7 /D=ab /N=3 /E=U out.txt",
                             5,
                             1},
                    TextCase{"CountEmptied",
                             {{"binary (#0..#255)", "", ""}},
                             Settings("", "", 0, "o"),
                             "/R=1 /X=1 /E=W o",
                             4,
                             1},
                    TextCase{"StringOnATypeWithoutOne",
                             {{"letter (A..Z, a..z)", "2", "x"}},
                             Settings("1", "", 0, "o"),
                             "/R=1 /L=2,#120 /E=W o",
                             4,
                             1},
                    TextCase{"ValueFieldsWithEmptySizeAreWrittenWidth0",
                             {{"counter (record number)", "", ""},
                              {"number range", "", "0.00..9,5"},
                              {"random from list", "6", "a|b*2"},
                              {"random line of file", "", "c.txt"}},
                             Settings("1", "", 0, "o"),
                             "/R=1 /I=0 /M=0,#48#46#48#48#46#46#57#44#53 /V=6,#97#124#98#42#50 "
                             "/W=0,#99#46#116#120#116 /E=W o",
                             7,
                             4},
                    TextCase{"DateWithoutToYear",
                             {{"random date", "1990", ""}},
                             Settings("1", "", 0, "o"),
                             "/R=1 /Y=1990 /E=W o",
                             4,
                             1},
                    TextCase{"StopsAtTheFirstEmptyRow",
                             {{"hex (0..F)", "1", ""}, {"", "", ""}, {"blank", "4", ""}},
                             Settings("7", "", 0, "o"),
                             "/R=7 /H=1 /E=W o",
                             4,
                             1},
                    TextCase{"StopsAtAnEditingEntry",
                             {{"tabstop", "2", ""}, {"(clear all)", "1", ""}, {"blank", "1", ""}},
                             Settings("7", "", 0, "o"),
                             "/R=7 /T=2 /E=W o",
                             4,
                             1},
                    TextCase{"StopsAtACaptionOfAnotherCase",
                             {{"tabstop", "2", ""}, {"Blank", "1", ""}, {"blank", "1", ""}},
                             Settings("7", "", 0, "o"),
                             "/R=7 /T=2 /E=W o",
                             4,
                             1},
                    TextCase{"StopsAtUnknownText",
                             {{"small (a..z)", "2", ""}, {"numeric", "1", ""}},
                             Settings("7", "", 0, "o"),
                             "/R=7 /S=2 /E=W o",
                             4,
                             1},
                    TextCase{"LongStringWrittenWhole",
                             {{"fixed string", "1", std::string(100, 'z')}},
                             Settings("1", "", 0, "o"),
                             [] {
                                 std::string s = "/R=1 /F=1,";
                                 for (int i = 0; i < 100; ++i) {
                                     s += "#122";
                                 }
                                 return s + " /E=W o";
                             }(),
                             4,
                             1}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.Name); });

/// Every field type of the table comes back from the parser as it was written, each with a
/// string where its type takes one.
TEST(CommandStringRoundTrip, EveryFieldType) {
    std::vector<TGridRow> rows;
    std::vector<TFieldDef> expected;
    for (const TTextTypeOpt& opt : TextTypeOpts) {
        if (opt.Arg.empty()) {
            continue;
        }
        TGridRow row{std::string(opt.Caption), "3", ""};
        TFieldDef field{3, opt.TextType, ""};
        if (opt.TextType == ttFixed) {
            row.Str = field.Str = "a, b/#\xFF";
        } else if (opt.TextType == ttRandomString) {
            row.Str = field.Str = std::string("x y\0\x01", 4);
        } else if (opt.TextType == ttDate) {
            row.Size = "1990";
            row.Str = field.Str = "2000";
            field.Size = 1990;
        } else if (opt.TextType == ttCounter) {
            row.Str = field.Str = "-7";
        } else if (opt.TextType == ttRange) {
            row.Size = "";
            field.Size = 0;
            row.Str = field.Str = "-1,5..2,5";
        } else if (opt.TextType == ttList) {
            row.Str = field.Str = "a b|c*2|";
        } else if (opt.TextType == ttFileLine) {
            row.Str = field.Str = "my words, \xE4.txt";
        }
        rows.push_back(row);
        expected.push_back(field);
    }
    ASSERT_EQ(expected.size(), 17u);
    const TCommandString written = BuildCommandString(rows, Settings());
    const TVxRndParser parser = ParseWritten(written);
    EXPECT_EQ(parser.Fields(), expected);
    EXPECT_EQ(parser.RecordCount(), 100);
    EXPECT_EQ(parser.UserCharset(), Umlauts);
    EXPECT_EQ(parser.EndOfLine(), 0);
    EXPECT_EQ(parser.FileName(), "/tmp/random.txt");
}

struct SettingsCase {
    const char* Name;
    TCommandSettings Settings;
    std::int32_t RecordCount;
    std::string Charset;
    std::uint8_t EndOfLine;
    std::string FileName;
};

void PrintTo(const SettingsCase& c, std::ostream* os) {
    *os << c.Name;
}

class SettingsRoundTripTest : public testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsRoundTripTest, ComeBack) {
    const SettingsCase& c = GetParam();
    const TCommandString written = BuildCommandString({{"numeric (0..9)", "5", ""}}, c.Settings);
    const TVxRndParser parser = ParseWritten(written);
    EXPECT_EQ(parser.RecordCount(), c.RecordCount);
    if (!c.Charset.empty()) {
        EXPECT_EQ(parser.UserCharset(), c.Charset);
    }
    EXPECT_EQ(parser.EndOfLine(), c.EndOfLine);
    EXPECT_EQ(parser.FileName(), c.FileName);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsRoundTripTest,
    testing::Values(
        SettingsCase{"Defaults", Settings(), 100, Umlauts, 0, "/tmp/random.txt"},
        SettingsCase{"LineFeed", Settings("9999999", "x", 1, "a.txt"), 9999999, "x", 1, "a.txt"},
        SettingsCase{"NoLineEnd", Settings("0", "", 2, "/x/y"), 0, "", 2, "/x/y"},
        SettingsCase{"EmptyCountIsOne", Settings("", "", 0, ""), 1, "", 0, ""},
        SettingsCase{"TrimmedFileName", Settings("3", " q ", 1, "  f.txt  "), 3, "q", 1, "f.txt"},
        SettingsCase{"Latin1FileName", Settings("3", "", 0, "/tmp/\xE4\xDF.txt"), 3, "", 0,
                     "/tmp/\xE4\xDF.txt"}),
    [](const testing::TestParamInfo<SettingsCase>& info) { return std::string(info.param.Name); });

/// The two types that draw from their string refuse an empty one, with the counts up to and
/// including the refused row; the rows after it are not looked at.
TEST(CommandStringRefusal, EmptyStringOfAStringType) {
    const struct {
        const char* Caption;
        const char* Message;
    } cases[] = {
        {"random from string",
         "Empty string for field type\r\n\"random from string\" not allowed!"},
        {"fixed string", "Empty string for field type\r\n\"fixed string\" not allowed!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Caption);
        const std::vector<TGridRow> rows = {
            {"numeric (0..9)", "1", ""}, {c.Caption, "3", ""}, {"fixed string", "1", ""}};
        try {
            BuildCommandString(rows, Settings());
            ADD_FAILURE() << "no error";
        } catch (const ERowRefused& e) {
            EXPECT_STREQ(e.what(), c.Message);
            EXPECT_EQ(e.DefinedRows(), 2);
            EXPECT_EQ(e.ArgCount(), 4);
        }
    }
    // An empty to-year is no refusal: the parser has its own word on it.
    EXPECT_NO_THROW(BuildCommandString({{"random date", "1990", ""}}, Settings()));
}

TEST(CommandStringTrim, RemovesBlanksAndControlsAtTheEnds) {
    EXPECT_EQ(TrimControls(" \t\r\na b\x01 "), "a b");
    EXPECT_EQ(TrimControls("\xE4 "), "\xE4");
    EXPECT_EQ(TrimControls("  "), "");
}

} // namespace
