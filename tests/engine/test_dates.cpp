// SPDX-License-Identifier: MIT
#include "engine/Dates.h"
#include "engine/Exceptions.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DateSettingsTest, BuiltInDefaults) {
    EXPECT_EQ(SystemDateFormat.rfind("m/d/yy", 0), 0u);
    const TFormatSettings& s = FormatSettings();
    EXPECT_EQ(s.ShortDateFormat, "m/d/yy");
    EXPECT_EQ(s.DateSeparator, '/');
    EXPECT_EQ(s.DecimalSeparator, '.');
    EXPECT_EQ(s.LongMonthNames[0], "January");
    EXPECT_EQ(s.ShortDayNames[0], "Sun");
}

struct FormatCase {
    std::string Format;
    std::string Text;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.Format);
}

/// 5 March 1994, a Saturday, in the built-in US English settings.
class FormatDateTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatDateTest, WritesTheDate) {
    EXPECT_EQ(FormatDate(GetParam().Format, 1994, 3, 5, TFormatSettings{}), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FormatDateTest,
    testing::Values(
        FormatCase{"", ""}, FormatCase{"dd.mm.yyyy", "05.03.1994"}, FormatCase{"d/m/yy", "5/3/94"},
        FormatCase{"D/M/YYYY", "5/3/1994"}, FormatCase{"yyyy-mm-dd", "1994-03-05"},
        FormatCase{"y|yy|yyy|yyyyy", "94|94|1994|1994"}, FormatCase{"ddd, dddd", "Sat, Saturday"},
        FormatCase{"mmm mmmm MMMMM", "Mar March March"}, FormatCase{"ddddd", "3/5/94"},
        FormatCase{"dddddd", "Saturday, March 5, 1994"}, FormatCase{"c", "3/5/94"},
        FormatCase{"t", "12:00 AM"}, FormatCase{"tt", "12:00:00 AM"},
        FormatCase{"hh:nn:ss.zzz", "00:00:00.000"}, FormatCase{"h:n:s.z", "0:0:0.0"},
        FormatCase{"h:mm", "0:00"}, FormatCase{"hh m", "00 0"}, FormatCase{"h:mmm", "0:Mar"},
        FormatCase{"mm h", "03 0"}, FormatCase{"h d m", "0 5 3"}, FormatCase{"h am/pm", "12 am"},
        FormatCase{"h AM/PM", "12 AM"}, FormatCase{"h a/p", "12 a"}, FormatCase{"h A/P", "12 A"},
        FormatCase{"h ampm", "12 AM"}, FormatCase{"am/pm hh", "am 12"},
        FormatCase{"h 'am/pm'", "0 am/pm"}, FormatCase{"'yyyy'", "yyyy"},
        FormatCase{"\"dd\"mm", "dd03"}, FormatCase{"d 'de' mmmm", "5 de March"},
        FormatCase{"'open", "open"}, FormatCase{"\"it's\" d", "it's 5"},
        FormatCase{"e ee g gg", "1994 1994 AD Anno Domini"}, FormatCase{"[dd]#!", "[05]#!"},
        FormatCase{"a", "a"}, FormatCase{"Q\xE4", "Q\xE4"}));

TEST(DateWriterTest, SmallYearsAreZeroPadded) {
    const TFormatSettings s;
    EXPECT_EQ(FormatDate("yyyy yy y ee e", 5, 6, 7, s), "0005 05 05 05 5");
    EXPECT_EQ(FormatDate("yyyy", 9999, 12, 31, s), "9999");
    EXPECT_EQ(FormatDate("yy", 2000, 1, 1, s), "00");
}

TEST(DateWriterTest, WeekdaysOverTheWholeCalendar) {
    const TFormatSettings s;
    EXPECT_EQ(FormatDate("dddd", 1, 1, 1, s), "Monday");
    EXPECT_EQ(FormatDate("dddd", 1970, 1, 1, s), "Thursday");
    EXPECT_EQ(FormatDate("dddd", 2000, 1, 1, s), "Saturday");
    EXPECT_EQ(FormatDate("dddd", 2024, 2, 29, s), "Thursday");
    EXPECT_EQ(FormatDate("dddd", 9999, 12, 31, s), "Friday");
}

TEST(DateWriterTest, UsesTheRegionalSettings) {
    TFormatSettings s;
    s.DateSeparator = '-';
    s.TimeSeparator = '.';
    s.ShortMonthNames[2] = "M\xE4r";
    s.LongMonthNames[2] = "M\xE4rz";
    s.ShortDayNames[6] = "Sa";
    s.LongDayNames[6] = "Samstag";
    s.ShortDateFormat = "dd/mm/yyyy";
    s.TimeAMString = "vorm.";
    EXPECT_EQ(FormatDate("d/m/yy", 1994, 3, 5, s), "5-3-94");
    EXPECT_EQ(FormatDate("ddd dddd mmm mmmm", 1994, 3, 5, s), "Sa Samstag M\xE4r M\xE4rz");
    EXPECT_EQ(FormatDate("ddddd", 1994, 3, 5, s), "05-03-1994");
    EXPECT_EQ(FormatDate("hh:nn ampm", 1994, 3, 5, s), "12.00 vorm.");
}

TEST(DateWriterTest, ProcessWideSettingsAreTheDefault) {
    TFormatSettings& s = FormatSettings();
    const char saved = s.DateSeparator;
    s.DateSeparator = '.';
    EXPECT_EQ(FormatDate("d/m/yyyy", 1994, 3, 5), "5.3.1994");
    s.DateSeparator = saved;
}

TEST(DateWriterTest, FormatsThatNameThemselvesEnd) {
    TFormatSettings s;
    s.ShortDateFormat = "[ddddd]";
    s.LongDateFormat = "dddddd c";
    s.ShortTimeFormat = "(t)";
    EXPECT_EQ(FormatDate("ddddd", 1994, 3, 5, s), "[[[]]]");
    EXPECT_EQ(FormatDate("t", 1994, 3, 5, s), "((()))");
    EXPECT_LT(FormatDate("dddddd", 1994, 3, 5, s).size(), 200u);
}

TEST(AppendDateTest, AppendsToTheText) {
    std::string text = "x=";
    AppendDate(text, "dd.mm.yyyy", 1994, 3, 5, TFormatSettings{});
    EXPECT_EQ(text, "x=05.03.1994");
}

struct DateCase {
    int Year;
    int Month;
    int Day;
};

void PrintTo(const DateCase& c, std::ostream* os) {
    *os << c.Year << "-" << c.Month << "-" << c.Day;
}

class InvalidDateTest : public testing::TestWithParam<DateCase> {};

TEST_P(InvalidDateTest, CannotBeEncoded) {
    const DateCase& d = GetParam();
    try {
        CheckEncodeDate(d.Year, d.Month, d.Day);
        ADD_FAILURE() << d.Year << "-" << d.Month << "-" << d.Day;
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Invalid argument to date encode");
    }
    EXPECT_THROW(FormatDate("yyyy", d.Year, d.Month, d.Day), EConvertError);
}

INSTANTIATE_TEST_SUITE_P(Dates, InvalidDateTest,
                         testing::Values(DateCase{0, 1, 1}, DateCase{10000, 1, 1},
                                         DateCase{-1, 1, 1}, DateCase{2001, 2, 29},
                                         DateCase{1900, 2, 29}, DateCase{2000, 13, 1},
                                         DateCase{2000, 0, 1}, DateCase{2000, 4, 31},
                                         DateCase{2000, 1, 0}, DateCase{2000, 1, 32}));

TEST(CheckEncodeDateTest, AcceptsTheCalendarsEnds) {
    EXPECT_NO_THROW(CheckEncodeDate(1, 1, 1));
    EXPECT_NO_THROW(CheckEncodeDate(9999, 12, 31));
    EXPECT_NO_THROW(CheckEncodeDate(2000, 2, 29));
}

// A compiled format writes what AppendDate writes, for every kind of format letter, nested
// formats, quotes and other settings than the defaults.
TEST(CompiledDateFormatTest, WritesWhatAppendDateWrites) {
    TFormatSettings german;
    german.DateSeparator = '.';
    german.ShortDateFormat = "dd/mm/yyyy";
    german.LongDateFormat = "dddd, d. mmmm yyyy";
    german.ShortMonthNames = {"Jan", "Feb", "M\xE4r", "Apr", "Mai", "Jun",
                              "Jul", "Aug", "Sep",    "Okt", "Nov", "Dez"};
    german.LongDayNames = {"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                           "Donnerstag", "Freitag", "Samstag"};
    const char* formats[] = {"yyyy-mm-dd", "m/d/yy",         "d.m.y",   "ddd dd mmm yyyy",
                             "dddd mmmm",  "ddddd",          "dddddd",  "c",
                             "t tt",       "hh:nn:ss zzz",   "h am/pm", "a/p ampm",
                             "e ee g gg",  "'y''m' \"d\" x", "",        "yyyyyy mmmmm dd mm",
                             "'unclosed"};
    const int dates[][3] = {{1, 1, 1},      {9999, 12, 31}, {2000, 2, 29}, {1994, 3, 5},
                            {1900, 11, 30}, {2024, 7, 14},  {45, 10, 2}};
    for (const TFormatSettings& settings : {TFormatSettings(), german}) {
        for (const char* format : formats) {
            const TVxDateFormat compiled(format, settings);
            for (const auto& d : dates) {
                std::string expected;
                AppendDate(expected, format, d[0], d[1], d[2], settings);
                std::string text(compiled.MaxWidth(), '?');
                text.resize(static_cast<std::size_t>(compiled.Write(text.data(), d[0], d[1], d[2]) -
                                                     text.data()));
                EXPECT_EQ(text, expected) << format << " " << d[0] << "-" << d[1] << "-" << d[2];
            }
        }
    }
}

} // namespace
