// SPDX-License-Identifier: MIT
// Case folding, comparison and trimming of 8-bit Latin-1 text.

#include "engine/Latin1Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(Latin1Text, FoldsExactlyTheLettersWithTwoCases) {
    for (int code = 0; code < 256; ++code) {
        const char c = static_cast<char>(code);
        const bool capital =
            (code >= 'A' && code <= 'Z') || (code >= 0xC0 && code <= 0xDE && code != 0xD7);
        const int expected = capital ? code + 32 : code;
        EXPECT_EQ(static_cast<unsigned char>(FoldLatin1(c)), expected) << "code " << code;
    }
    EXPECT_EQ(FoldedLatin1("Short LIST \xC4\xD6\xDC\xDF\xD7"), "short list \xE4\xF6\xFC\xDF\xD7");
}

TEST(Latin1Text, SameTextIgnoresCaseOnly) {
    struct Case {
        std::string A;
        std::string B;
        bool Same;
    };
    const Case cases[] = {
        {"", "", true},
        {"short list", "SHORT LIST", true},
        {"\xC4pfel", "\xE4PFEL", true},
        // No other case: the sharp s, the multiplication and the division sign.
        {"\xDF", "SS", false},
        {"\xD7", "\xF7", false},
        {"abc", "abcd", false},
        {"a b", "a  b", false},
        // Letters outside Latin-1's two ranges are no letters here.
        {"@", "`", false},
        {"[", "{", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SameText(c.A, c.B), c.Same) << c.A << " / " << c.B;
        EXPECT_EQ(SameText(c.B, c.A), c.Same) << c.B << " / " << c.A;
    }
}

TEST(Latin1Text, TextLessSortsWithoutCaseAndThenByExactCodes) {
    std::vector<std::string> names = {"beta", "Alpha", "\xE4rger", "alpha", "ALPHA",
                                      "al",   "Beta2", "\xC4rger", "zulu",  ""};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return TextLess(a, b); });
    const std::vector<std::string> expected = {"",     "al",    "ALPHA", "Alpha",    "alpha",
                                               "beta", "Beta2", "zulu",  "\xC4rger", "\xE4rger"};
    EXPECT_EQ(names, expected);
    EXPECT_FALSE(TextLess("same", "same"));
}

TEST(Latin1Text, TrimTextTakesBlanksAndControlsOffBothEnds) {
    struct Case {
        std::string In;
        std::string Out;
    };
    const Case cases[] = {
        {"", ""},
        {"   ", ""},
        {"\t\r\n\x01 name \x1f\x7f", "name \x1f\x7f"},
        {"  a  b  ", "a  b"},
        {"\xA0nbsp\xA0", "\xA0nbsp\xA0"},
        {std::string("\0x\0", 3), "x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrimText(c.In), c.Out) << c.In;
    }
}

} // namespace
