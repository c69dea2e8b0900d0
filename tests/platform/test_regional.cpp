// SPDX-License-Identifier: MIT
#include "platform/Regional.h"

#include <gtest/gtest.h>

TEST(EngineDateFormat, TranslatesQtLetters) {
    struct Case {
        const char* Qt;
        const char* Engine;
    };
    const Case cases[] = {
        {"M/d/yy", "m/d/yy"},
        {"d.M.yyyy", "d.m.yyyy"},
        {"dd/MM/yyyy", "dd/mm/yyyy"},
        {"yyyy-MM-dd", "yyyy-mm-dd"},
        {"dddd, MMMM d, yyyy", "dddd, mmmm d, yyyy"},
        {"HH:mm:ss", "hh:nn:ss"},
        {"h:mm AP", "h:nn ampm"},
        {"d 'de' MMMM", "d 'de' mmmm"},
        {"d. MMMM yyyy t", "d. mmmm yyyy \"t\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EngineDateFormat(QString::fromLatin1(c.Qt)), c.Engine) << c.Qt;
}

TEST(RegionalSettingsOf, ReadsTheLocale) {
    const TFormatSettings us = RegionalSettingsOf(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.ShortDateFormat, "m/d/yy");
    EXPECT_EQ(us.DateSeparator, '/');
    EXPECT_EQ(us.DecimalSeparator, '.');
    EXPECT_EQ(us.LongMonthNames[0], "January");
    EXPECT_EQ(us.ShortDayNames[0], "Sun");

    const TFormatSettings de = RegionalSettingsOf(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(de.ShortDateFormat, "dd.mm.yy");
    EXPECT_EQ(de.DateSeparator, '.');
    EXPECT_EQ(de.DecimalSeparator, ',');
    EXPECT_EQ(de.LongMonthNames[2], "M\xE4rz"); // März, in the 8-bit set
    EXPECT_EQ(de.LongDayNames[0], "Sonntag");
}

TEST(RegionalSettingsOf, NamesOutsideTheEightBitSetKeepTheDefaults) {
    const TFormatSettings ru = RegionalSettingsOf(QLocale(QLocale::Russian, QLocale::Russia));
    const TFormatSettings defaults;
    EXPECT_EQ(ru.LongMonthNames, defaults.LongMonthNames);
    EXPECT_EQ(ru.DecimalSeparator, ',');
}
