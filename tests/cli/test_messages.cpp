// SPDX-License-Identifier: MIT
#include "cli/Messages.h"

#include <gtest/gtest.h>

TEST(EscapeControls, WritesControlCharactersAsCEscapes) {
    struct Case {
        std::string Text;
        std::string Shown;
    };
    const std::vector<Case> cases = {
        {"plain text, c:\\random.txt", "plain text, c:\\random.txt"},
        {"\x1b]0;TITLE\a", "\\e]0;TITLE\\a"},
        {"\b\t\n\v\f\r", "\\b\\t\\n\\v\\f\\r"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"\x01\x1f\x7f", "\\x01\\x1f\\x7f"},
        // C1 controls in UTF-8 (CSI is U+009B); other characters above 127 stay.
        {"\xC2\x9B"
         "2J \xC2\x80 \xC2\xA0 \xC3\xA4",
         "\\x9b2J \\x80 \xC2\xA0 \xC3\xA4"},
        // A lead byte without its follower at the end stays as it is.
        {"\xC2", "\xC2"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EscapeControls(c.Text), c.Shown) << ::testing::PrintToString(c.Text);
    }
}
