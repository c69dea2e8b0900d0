// SPDX-License-Identifier: MIT
#include "engine/CommandLanguage.h"
#include "engine/Dates.h"
#include "engine/Exceptions.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace std::string_literals;

/// Lets failed comparisons of fields show their contents.
void PrintTo(const TFieldDef& f, std::ostream* os) {
    *os << "{" << f.Size << ", " << static_cast<int>(f.TextType) << ", \"" << f.Str << "\"}";
}

namespace {

// --- integer conversion ----------------------------------------------------------------

struct IntCase {
    std::string Text;
    std::int32_t Value;
};

void PrintTo(const IntCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.Text);
}

class StrToIntValidTest : public testing::TestWithParam<IntCase> {};

TEST_P(StrToIntValidTest, Converts) {
    std::int32_t value = 12345;
    EXPECT_TRUE(TryStrToInt(GetParam().Text, value));
    EXPECT_EQ(value, GetParam().Value);
    EXPECT_EQ(StrToInt(GetParam().Text), GetParam().Value);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, StrToIntValidTest,
    testing::Values(IntCase{"0", 0}, IntCase{"123", 123}, IntCase{"007", 7}, IntCase{"   42", 42},
                    IntCase{"+7", 7}, IntCase{"-7", -7}, IntCase{"2147483647", INT_MAX},
                    IntCase{"-2147483648", INT_MIN}, IntCase{"00000000002147483647", INT_MAX},
                    IntCase{"$41", 65}, IntCase{"x1f", 31}, IntCase{"X1F", 31}, IntCase{"0x10", 16},
                    IntCase{"0XfF", 255}, IntCase{"  $a", 10}, IntCase{"$7FFFFFFF", INT_MAX},
                    IntCase{"$FFFFFFFF", -1}, IntCase{"$80000000", INT_MIN},
                    IntCase{"$00000001", 1}));

class StrToIntInvalidTest : public testing::TestWithParam<std::string> {};

TEST_P(StrToIntInvalidTest, FailsWithTheConversionMessage) {
    std::int32_t value = 12345;
    EXPECT_FALSE(TryStrToInt(GetParam(), value));
    EXPECT_EQ(value, 12345) << "a failed conversion must leave the target alone";
    try {
        StrToInt(GetParam());
        ADD_FAILURE() << "no exception for '" << GetParam() << "'";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'" + GetParam() + "' is not a valid integer value");
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, StrToIntInvalidTest,
                         testing::Values("", "   ", "+", "-", "--1", "+-1", "- 1", "1 ", "1a",
                                         "12x", "1,5", "1.5", "\t5", "2147483648", "-2147483649",
                                         "99999999999999999999", "$", "x", "0x", "$G", "0x-1",
                                         "-$10", "+$10", "$ 1", "$100000000", "$000000001", "#65"));

// --- splitting, codes, single characters --------------------------------------------

struct SplitCase {
    std::string Text;
    std::string Separator;
    std::vector<std::string> Pieces;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.Text) << " at " << testing::PrintToString(c.Separator);
}

class SplitStringTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitStringTest, AppendsThePieces) {
    std::vector<std::string> list{"kept"};
    SplitString(GetParam().Text, GetParam().Separator, list);
    std::vector<std::string> expected{"kept"};
    expected.insert(expected.end(), GetParam().Pieces.begin(), GetParam().Pieces.end());
    EXPECT_EQ(list, expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, SplitStringTest,
                         testing::Values(SplitCase{"#65#66", "#", {"", "65", "66"}},
                                         SplitCase{"#65#", "#", {"", "65", ""}},
                                         SplitCase{"abc", "#", {"abc"}}, SplitCase{"", "#", {}},
                                         SplitCase{"a,,b", ",", {"a", "", "b"}},
                                         SplitCase{"a::b::", "::", {"a", "b", ""}},
                                         SplitCase{"abc", "", {"abc"}}));

struct DecodeCase {
    std::string Coded;
    std::string Plain;
};

void PrintTo(const DecodeCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.Coded);
}

class DecodeValidTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeValidTest, Decodes) {
    EXPECT_EQ(DecodeCodes(GetParam().Coded), GetParam().Plain);
}

INSTANTIATE_TEST_SUITE_P(Sequences, DecodeValidTest,
                         testing::Values(DecodeCase{"#65#66", "AB"}, DecodeCase{"#0", "\0"s},
                                         DecodeCase{"#$41", "A"}, DecodeCase{"#x61#0x62", "ab"},
                                         DecodeCase{"#228#255", "\xE4\xFF"},
                                         DecodeCase{"#97#32#98", "a b"},
                                         DecodeCase{"junk#72#105", "Hi"}, DecodeCase{"", ""}));

class DecodeInvalidTest : public testing::TestWithParam<std::string> {};

TEST_P(DecodeInvalidTest, FailsQuotingTheWholeText) {
    try {
        DecodeCodes(GetParam());
        ADD_FAILURE() << "no exception for " << GetParam();
    } catch (const EConvertError&) {
        ADD_FAILURE() << "a bad code sequence is a general failure, not a conversion error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Code sequence not valid: " + GetParam());
    }
}

INSTANTIATE_TEST_SUITE_P(Sequences, DecodeInvalidTest,
                         testing::Values("#", "#65#", "##65", "#256", "#-1", "#A", "#65#66x",
                                         "#$100", "# 65 "));

TEST(CodesTest, CodeToCharAcceptsOnlyByteValues) {
    char ch = 'z';
    EXPECT_TRUE(CodeToChar("255", ch));
    EXPECT_EQ(static_cast<unsigned char>(ch), 255);
    EXPECT_TRUE(CodeToChar("0", ch));
    EXPECT_EQ(ch, '\0');
    ch = 'z';
    EXPECT_FALSE(CodeToChar("256", ch));
    EXPECT_EQ(ch, '\0');
    ch = 'z';
    EXPECT_FALSE(CodeToChar("abc", ch));
    EXPECT_EQ(ch, '\0');
}

TEST(CodesTest, EncodeWritesEveryCharacterInDecimal) {
    EXPECT_EQ(EncodeCodes(""), "");
    EXPECT_EQ(EncodeCodes(" "), "#32");
    EXPECT_EQ(EncodeCodes("Hi"), "#72#105");
    EXPECT_EQ(EncodeCodes("\xE4\0"s), "#228#0");
}

TEST(CodesTest, EveryByteSurvivesEncodingAndDecoding) {
    std::string all;
    for (int code = 0; code < 256; ++code) {
        all.push_back(static_cast<char>(code));
    }
    EXPECT_EQ(DecodeCodes(EncodeCodes(all)), all);
}

TEST(SingleCharTest, OnlyOneCharacterCounts) {
    char ch = 'z';
    EXPECT_TRUE(SingleChar("a", true, ch));
    EXPECT_EQ(ch, 'A');
    EXPECT_TRUE(SingleChar("a", false, ch));
    EXPECT_EQ(ch, 'a');
    EXPECT_TRUE(SingleChar("\xE4", true, ch));
    EXPECT_EQ(ch, '\xE4') << "only a to z are upper-cased";
    EXPECT_FALSE(SingleChar("", true, ch));
    EXPECT_EQ(ch, '\0');
    ch = 'z';
    EXPECT_FALSE(SingleChar("ab", true, ch));
    EXPECT_EQ(ch, '\0');
}

TEST(RaiseErrorTest, RaisesTheGeneralException) {
    try {
        RaiseError("Something went wrong!");
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Something went wrong!");
    }
}

TEST(IsLeapTest, GregorianRule) {
    EXPECT_TRUE(IsLeap(2000));
    EXPECT_TRUE(IsLeap(2004));
    EXPECT_TRUE(IsLeap(2400));
    EXPECT_FALSE(IsLeap(1900));
    EXPECT_FALSE(IsLeap(2001));
    EXPECT_FALSE(IsLeap(2100));
}

// --- the generic command-line parser -------------------------------------------------

/// Writes down every handler call as "O:name=value" or "P:text".
class TRecordingParser : public TVxCmdParser {
public:
    std::vector<std::string> Calls;

    void DoOption(std::string name, std::string value) override {
        if (name == "STOP") {
            throw Exception("stopped");
        }
        Calls.push_back("O:" + name + "=" + value);
    }
    void DoParam(std::string text) override { Calls.push_back("P:" + text); }
};

struct CmdCase {
    std::string Line;
    std::vector<std::string> Calls;
};

void PrintTo(const CmdCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.Line);
}

class CmdParserTest : public testing::TestWithParam<CmdCase> {};

TEST_P(CmdParserTest, CallsTheHandlersInOrder) {
    TRecordingParser parser;
    parser.Parse(GetParam().Line);
    EXPECT_EQ(parser.Calls, GetParam().Calls);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CmdParserTest,
    testing::Values(
        CmdCase{"", {}}, CmdCase{"   ", {}}, CmdCase{"\t\r\n", {}},
        CmdCase{"  /R=5   x  ", {"O:R=5", "P:x"}}, CmdCase{"/r=5", {"O:R=5"}},
        CmdCase{"-R=5", {"O:R=5"}}, CmdCase{"/rx=1", {"O:RX=1"}}, CmdCase{"/=1", {"O:=1"}},
        CmdCase{"/R", {"O:R="}}, CmdCase{"/rAbc", {"O:R=Abc"}}, CmdCase{"/F=3,a=b", {"O:F=3,a=b"}},
        CmdCase{"/d=AbC", {"O:D=AbC"}}, CmdCase{"/ä=1", {"O:ä=1"}}, CmdCase{"/ -", {"P:/", "P:-"}},
        CmdCase{"a=b", {"P:a=b"}}, CmdCase{"c:\\random.txt", {"P:c:\\random.txt"}},
        CmdCase{"/T=a\tb\t", {"O:T=a\tb"}}, CmdCase{"x\ty", {"P:x\ty"}},
        CmdCase{"\r\n/N=1\r\n", {"O:N=1"}}, CmdCase{"\xE4\xF6 /N=1", {"P:\xE4\xF6", "O:N=1"}},
        // Absolute file names are plain arguments, while a
        // "/" inside a switch value keeps it a switch.
        CmdCase{"/N=1 /home/u/random.txt", {"O:N=1", "P:/home/u/random.txt"}},
        CmdCase{"//x", {"P://x"}}, CmdCase{"/D=a/b /Z=dd/mm/yy", {"O:D=a/b", "O:Z=dd/mm/yy"}},
        CmdCase{"/tmp", {"O:T=mp"}}, CmdCase{"-tmp/x", {"O:T=mp/x"}}));

TEST(CmdParserTest, LongValuesAndArgumentsComeBackWhole) {
    const std::string value(5000, 'v');
    const std::string plain(5000, 'p');
    TRecordingParser parser;
    parser.Parse("/F=" + value + " /G" + value + " " + plain);
    EXPECT_EQ(parser.Calls,
              (std::vector<std::string>{"O:F=" + value, "O:G=" + value, "P:" + plain}));
}

TEST(CmdParserTest, AFailingHandlerEndsTheParse) {
    TRecordingParser parser;
    EXPECT_THROW(parser.Parse("/A=1 /STOP=1 /B=2 x"), Exception);
    EXPECT_EQ(parser.Calls, std::vector<std::string>{"O:A=1"});
}

TEST(CmdParserTest, NextArgTakesOneArgumentOffTheFront) {
    std::string rest = "  a  b c ";
    std::string arg = "old";
    TVxCmdParser::NextArg(rest, arg);
    EXPECT_EQ(arg, "a");
    EXPECT_EQ(rest, " b c");
    TVxCmdParser::NextArg(rest, arg);
    EXPECT_EQ(arg, "b");
    TVxCmdParser::NextArg(rest, arg);
    EXPECT_EQ(arg, "c");
    EXPECT_EQ(rest, "");
    TVxCmdParser::NextArg(rest, arg);
    EXPECT_EQ(arg, "");
}

TEST(CmdParserTest, SplitArgClassifies) {
    std::string upper, name, value;
    bool isSwitch = false;
    TVxCmdParser::SplitArg("/ab=Cd=e", upper, name, value, isSwitch);
    EXPECT_TRUE(isSwitch);
    EXPECT_EQ(upper, "/AB=CD=E");
    EXPECT_EQ(name, "AB");
    EXPECT_EQ(value, "Cd=e");
    TVxCmdParser::SplitArg("file.Txt", upper, name, value, isSwitch);
    EXPECT_FALSE(isSwitch);
    EXPECT_EQ(upper, "FILE.TXT");
    EXPECT_EQ(name, "file.Txt");
    EXPECT_EQ(value, "");
}

// --- the field-type table ------------------------------------------------------------

TEST(FieldTableTest, MenuOrderAndLookupsAgree) {
    ASSERT_EQ(TextTypeOpts.size(), 20u);
    // The menu starts with the three editing commands, which write no switch.
    for (std::size_t i = 0; i < TextTypeOpts.size(); ++i) {
        const TTextTypeOpt& opt = TextTypeOpts[i];
        EXPECT_EQ(opt.TextType < ttNone, i < 3) << opt.Caption;
        EXPECT_EQ(opt.Arg.empty(), i < 3) << opt.Caption;
        EXPECT_EQ(TextTypeOfCaption(opt.Caption), opt.TextType);
        EXPECT_EQ(CaptionOfTextType(opt.TextType), opt.Caption);
        EXPECT_EQ(ArgOfCaption(opt.Caption), opt.Arg);
    }
    // The menu order is not the order of the ordinals.
    EXPECT_EQ(TextTypeOpts[8].Caption, "blank");
    EXPECT_EQ(TextTypeOpts[9].Caption, "tabstop");
    EXPECT_EQ(TextTypeOpts[14].Caption, "random date");
    EXPECT_EQ(TextTypeOpts[15].Caption, "binary (#0..#255)");
    // The value fields follow the last row of the older types, in this order.
    EXPECT_EQ(TextTypeOpts[16].Caption, "counter (record number)");
    EXPECT_EQ(TextTypeOpts[17].Caption, "number range");
    EXPECT_EQ(TextTypeOpts[18].Caption, "random from list");
    EXPECT_EQ(TextTypeOpts[19].Caption, "random line of file");
    EXPECT_EQ(ArgOfCaption("letter union userdef' charset"), "/A=");
    EXPECT_EQ(ArgOfCaption("binary low (#0..#31)"), "/P=");
}

TEST(FieldTableTest, LookupsOfUnknownTexts) {
    EXPECT_EQ(TextTypeOfCaption("random date"), ttDate);
    EXPECT_EQ(TextTypeOfCaption("Random date"), ttNone);
    EXPECT_EQ(TextTypeOfCaption(""), ttNone);
    EXPECT_EQ(CaptionOfTextType(ttNone), "");
    EXPECT_EQ(ArgOfCaption("(clear all)"), "");
    EXPECT_EQ(ArgOfCaption("tabstop"), "/T=");
    EXPECT_EQ(ArgOfCaption("Tabstop"), "");
}

// --- the record-definition parser ----------------------------------------------------

struct FieldCase {
    std::string Line;
    std::vector<TFieldDef> Fields;
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.Line);
}

class FieldParseTest : public testing::TestWithParam<FieldCase> {};

TEST_P(FieldParseTest, GivesTheFields) {
    TVxRndParser parser;
    parser.Parse(GetParam().Line);
    EXPECT_EQ(parser.Fields(), GetParam().Fields);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FieldParseTest,
    testing::Values(
        FieldCase{"/N=5", {{5, ttNumeric, ""}}}, FieldCase{"/n=5", {{5, ttNumeric, ""}}},
        FieldCase{"/N", {{1, ttNumeric, ""}}}, FieldCase{"/N=", {{1, ttNumeric, ""}}},
        FieldCase{"/N=0", {{0, ttNumeric, ""}}}, FieldCase{"/N=-3", {{-3, ttNumeric, ""}}},
        FieldCase{"/N=$10", {{16, ttNumeric, ""}}}, FieldCase{"/N7", {{7, ttNumeric, ""}}},
        FieldCase{"/F=abc", {{1, ttFixed, "abc"}}}, FieldCase{"/F=3,#97#98", {{3, ttFixed, "ab"}}},
        FieldCase{"/F=3,a#98", {{3, ttFixed, "a#98"}}}, FieldCase{"/F=", {{1, ttFixed, ""}}},
        FieldCase{"/F=2,a,b", {{2, ttFixed, "a,b"}}}, FieldCase{"/F=0,x", {{0, ttFixed, "x"}}},
        FieldCase{"/F=#35", {{1, ttFixed, "#"}}}, FieldCase{"/F=AbC", {{1, ttFixed, "AbC"}}},
        FieldCase{"/U=4,", {{4, ttRandomString, ""}}},
        FieldCase{"/U=xyz", {{1, ttRandomString, "xyz"}}},
        FieldCase{"/U=2,#120", {{2, ttRandomString, "x"}}},
        FieldCase{"/Y=1990", {{1990, ttDate, "1990"}}},
        FieldCase{"/Y=1990,+2000", {{1990, ttDate, "2000"}}},
        FieldCase{"/Y=2000,1990", {{2000, ttDate, "1990"}}},
        FieldCase{"/Y=$7D0,x7D1", {{2000, ttDate, "2001"}}},
        FieldCase{"/Y=-5,10", {{-5, ttDate, "10"}}},
        FieldCase{"/A=1 /b=2 /C=3 /H=4 /L=5 /P=6 /S=7 /T=8 /X=9",
                  {{1, ttLetterUser, ""},
                   {2, ttBlank, ""},
                   {3, ttCapital, ""},
                   {4, ttHex, ""},
                   {5, ttLetter, ""},
                   {6, ttBinaryLow, ""},
                   {7, ttSmall, ""},
                   {8, ttTab, ""},
                   {9, ttBinary, ""}}},
        FieldCase{"/G=5 /N=1 /Q", {{1, ttNumeric, ""}}},
        FieldCase{"/N=2 /R=7 /F=1,#59", {{2, ttNumeric, ""}, {1, ttFixed, ";"}}}));

struct ErrorCase {
    std::string Line;
    std::string Message;
    bool ConvertError;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.Line);
}

class ParseErrorTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(ParseErrorTest, RaisesTheMessage) {
    TVxRndParser parser;
    try {
        parser.Parse(GetParam().Line);
        ADD_FAILURE() << "no exception for " << GetParam().Line;
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), GetParam().Message);
        EXPECT_EQ(dynamic_cast<const EConvertError*>(&e) != nullptr, GetParam().ConvertError);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseErrorTest,
    testing::Values(ErrorCase{"/N=5,#97", "Invalid length for argument N.", false},
                    ErrorCase{"/n=x", "Invalid length for argument N.", false},
                    ErrorCase{"/C=1.5", "Invalid length for argument C.", false},
                    ErrorCase{"/X=1x", "Invalid length for argument X.", false},
                    ErrorCase{"/F=,x", "Invalid length for argument F.", false},
                    ErrorCase{"/F=x,abc", "Invalid length for argument F.", false},
                    ErrorCase{"/F=2,#97#x", "Code sequence not valid: #97#x", false},
                    ErrorCase{"/F=x,#", "Code sequence not valid: #", false},
                    ErrorCase{"/U=", "Invalid string for argument /U.", false},
                    ErrorCase{"/U", "Invalid string for argument /U.", false},
                    ErrorCase{"/U=,abc", "Invalid length for argument U.", false},
                    ErrorCase{"/Y=0,2000", "Invalid length for argument Y.", false},
                    ErrorCase{"/Y=0", "Invalid length for argument Y.", false},
                    ErrorCase{"/Y=1990,20x0", "'20x0' is not a valid integer value", true},
                    ErrorCase{"/Y=19x0,2000", "'19x0' is not a valid integer value", true},
                    ErrorCase{"/Y=x,y", "'y' is not a valid integer value", true},
                    ErrorCase{"/Y=", "'' is not a valid integer value", true},
                    ErrorCase{"/Y=0,x", "'x' is not a valid integer value", true},
                    ErrorCase{"/N=1 /RX=1", "Invalid argument RX", false},
                    ErrorCase{"/=1 /N=1", "Invalid argument ", false},
                    ErrorCase{"/E=WU /N=1", "Invalid value for argument /E.", false},
                    ErrorCase{"/E= /N=1", "Invalid value for argument /E.", false},
                    ErrorCase{"/E=X /N=1", "Invalid value for argument /E.", false},
                    ErrorCase{"/R=abc /N=1", "Invalid length for argument /R.", false},
                    ErrorCase{"/R= /N=1", "Invalid length for argument /R.", false},
                    ErrorCase{"/R=x", "Invalid length for argument /R.", false},
                    ErrorCase{"/R=5 /E=U", "Empty record definition not allowed.", false},
                    ErrorCase{"", "Empty record definition not allowed.", false},
                    ErrorCase{"/G=1 file", "Empty record definition not allowed.", false},
                    ErrorCase{"/N=x /RX=1", "Invalid length for argument N.", false}));

TEST(RndParserTest, TheDefaultDefinition) {
    TVxRndParser parser;
    parser.Parse("/R=100 /D=\xE4\xF6\xFC\xC4\xD6\xDC\xDF /N=5 /F=1,#59 /E=W c:\\random.txt");
    EXPECT_EQ(parser.Fields(), (std::vector<TFieldDef>{{5, ttNumeric, ""}, {1, ttFixed, ";"}}));
    EXPECT_EQ(parser.RecordCount(), 100);
    EXPECT_EQ(parser.UserCharset(), "\xE4\xF6\xFC\xC4\xD6\xDC\xDF");
    EXPECT_EQ(parser.EndOfLine(), 0);
    EXPECT_EQ(parser.FileName(), "c:\\random.txt");
    EXPECT_EQ(parser.ArgCount(), 6);
}

TEST(RndParserTest, AnAbsoluteFileNameIsTheFileName) {
    TVxRndParser parser;
    parser.Parse("/R=100 /N=5 /F=1,#59 /E=W /home/user/random.txt");
    EXPECT_EQ(parser.FileName(), "/home/user/random.txt");
    EXPECT_EQ(parser.Fields().size(), 2u);
    EXPECT_EQ(parser.ArgCount(), 5);
}

TEST(RndParserTest, Settings) {
    TVxRndParser parser;
    parser.Parse("/N");
    EXPECT_EQ(parser.RecordCount(), 1);
    EXPECT_EQ(parser.EndOfLine(), 0);
    EXPECT_EQ(parser.ArgCount(), 1);

    const std::vector<std::pair<std::string, int>> endOfLines{{"w", 0}, {"W", 0}, {"u", 1},
                                                              {"U", 1}, {"n", 2}, {"N", 2}};
    for (const auto& [letter, style] : endOfLines) {
        parser.Parse("/E=" + letter + " /N");
        EXPECT_EQ(parser.EndOfLine(), style) << letter;
        EXPECT_EQ(parser.ArgCount(), 2);
    }

    parser.Parse("/R=0 /N");
    EXPECT_EQ(parser.RecordCount(), 0);
    parser.Parse("/R=-5 /R=$10 /N");
    EXPECT_EQ(parser.RecordCount(), 16) << "a repeated switch overwrites";
    EXPECT_EQ(parser.ArgCount(), 3);

    parser.Parse("/D=x /D= /N");
    EXPECT_EQ(parser.UserCharset(), "");
    EXPECT_EQ(parser.ArgCount(), 3);

    parser.Parse("/D=#65 /N");
    EXPECT_EQ(parser.UserCharset(), "#65") << "the character set is taken literally";
}

TEST(RndParserTest, OnlyTheFirstPlainArgumentIsTheFileName) {
    TVxRndParser parser;
    parser.Parse("a b /N c");
    EXPECT_EQ(parser.FileName(), "a");
    EXPECT_EQ(parser.ArgCount(), 2);

    parser.Parse("/D=a b /N");
    EXPECT_EQ(parser.UserCharset(), "a");
    EXPECT_EQ(parser.FileName(), "b");
    EXPECT_EQ(parser.ArgCount(), 3);
}

TEST(RndParserTest, ParseStartsAfresh) {
    TVxRndParser parser;
    parser.Parse("/R=5 /D=abc /E=N /N=3 /F=x out.txt");
    parser.Parse("/C=2");
    EXPECT_EQ(parser.Fields(), (std::vector<TFieldDef>{{2, ttCapital, ""}}));
    EXPECT_EQ(parser.RecordCount(), 1);
    EXPECT_EQ(parser.UserCharset(), "");
    EXPECT_EQ(parser.EndOfLine(), 0);
    EXPECT_EQ(parser.FileName(), "");
    EXPECT_EQ(parser.ArgCount(), 1);
}

TEST(RndParserTest, PoolsAreBuilt) {
    TVxRndParser parser;
    parser.Parse("/N");
    EXPECT_EQ(parser.Capitals(), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(parser.Smalls(), "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(parser.Letters(), parser.Capitals() + parser.Smalls());
    ASSERT_EQ(parser.BinLow().size(), 32u);
    ASSERT_EQ(parser.Binary().size(), 256u);
    for (int code = 0; code < 256; ++code) {
        EXPECT_EQ(static_cast<unsigned char>(parser.Binary()[code]), code);
    }
    EXPECT_EQ(parser.BinLow(), parser.Binary().substr(0, 32));
}

TEST(RndParserTest, ZSwitchSetsTheDateFormat) {
    const std::string saved = SystemDateFormat;
    TVxRndParser parser;
    parser.Parse("/Z=dd.mm.yyyy /N");
    EXPECT_EQ(SystemDateFormat, "dd.mm.yyyy");
    EXPECT_EQ(parser.ArgCount(), 2);
    parser.Parse("/N");
    EXPECT_EQ(SystemDateFormat, "dd.mm.yyyy") << "a parse leaves the date format alone";
    SystemDateFormat = saved;
}

TEST(RndParserTest, LongCodedStringsComeBackWhole) {
    std::string text;
    for (int i = 0; i < 400; ++i) {
        text.push_back(static_cast<char>(i % 256));
    }
    TVxRndParser parser;
    parser.Parse("/F=2," + EncodeCodes(text) + " /U=3," + EncodeCodes(text));
    ASSERT_EQ(parser.Fields().size(), 2u);
    EXPECT_EQ(parser.Fields()[0].Str, text);
    EXPECT_EQ(parser.Fields()[1].Str, text);
}

TEST(RndParserTest, AddFieldSkipsUnknownLetters) {
    TVxRndParser parser;
    parser.Parse("/N");
    EXPECT_FALSE(parser.AddField('Q', "5"));
    EXPECT_EQ(parser.Fields().size(), 1u);
    EXPECT_EQ(parser.ArgCount(), 1);
    EXPECT_TRUE(parser.AddField('B', "2"));
    EXPECT_EQ(parser.Fields().back(), (TFieldDef{2, ttBlank, ""}));
    EXPECT_EQ(parser.ArgCount(), 2);
    EXPECT_THROW(parser.AddField('U', ""), Exception);
    EXPECT_EQ(parser.ArgCount(), 2) << "a rejected U is not counted";
}

} // namespace
