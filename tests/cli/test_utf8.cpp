// SPDX-License-Identifier: MIT
#include "cli/Utf8.h"

#include <gtest/gtest.h>

TEST(ArgumentToLatin1, DecodesUtf8IntoTheEightBitSet) {
    const TArgText t = ArgumentToLatin1("/D=\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F /N=5");
    EXPECT_EQ(t.Text, "/D=\xE4\xF6\xFC\xDF /N=5");
    EXPECT_FALSE(t.Unrepresentable);
}

TEST(ArgumentToLatin1, ReportsTheFirstCharacterOutsideTheSet) {
    const TArgText t = ArgumentToLatin1("/F=1,\xE2\x82\xAC /U=2,\xF0\x9F\x98\x80");
    ASSERT_TRUE(t.Unrepresentable);
    EXPECT_EQ(*t.Unrepresentable, "\"\xE2\x82\xAC\" (U+20AC)");
}

TEST(ArgumentToLatin1, TakesInvalidUtf8AsItStands) {
    // Text typed in an 8-bit terminal: a lone \xE4 is no UTF-8.
    for (const std::string& bytes :
         {std::string("/D=\xE4\xF6"), std::string("\xC3"), std::string("\xC0\x80"),
          std::string("\xED\xA0\x80"), std::string("\xF4\x90\x80\x80"), std::string("a\xFF")}) {
        const TArgText t = ArgumentToLatin1(bytes);
        EXPECT_EQ(t.Text, bytes);
        EXPECT_FALSE(t.Unrepresentable);
    }
}

TEST(Latin1ToUtf8, RoundTripsEveryByte) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    const std::string utf8 = Latin1ToUtf8(all);
    EXPECT_EQ(utf8.size(), 127u + 2u * 128u);
    EXPECT_EQ(ArgumentToLatin1(utf8).Text, all);
}
