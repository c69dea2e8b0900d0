// SPDX-License-Identifier: MIT
#include "platform/Latin1.h"

#include "engine/Exceptions.h"

#include <gtest/gtest.h>

TEST(Latin1, EveryByteCrossesBothWaysUnchanged) {
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    const QString q = ToQString(all);
    ASSERT_EQ(q.size(), 256);
    EXPECT_EQ(q[0xE4], QChar(0xE4)); // ä
    EXPECT_TRUE(IsLatin1(q));
    EXPECT_EQ(FromQString(q), all);
}

TEST(Latin1, CharactersOutsideTheSetAreRefusedNotReplaced) {
    EXPECT_FALSE(IsLatin1(QStringLiteral("price in \u20AC")));
    try {
        FromQString(QStringLiteral("a\u20ACb"));
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "The character U+20AC is not in the 8-bit character set");
    }
    // A character beyond the basic plane is named by its code point, not its halves.
    try {
        FromQString(QString::fromUtf8("\xF0\x9F\x98\x80"));
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "The character U+1F600 is not in the 8-bit character set");
    }
}
