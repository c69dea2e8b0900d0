// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

// Case folding and trimming of 8-bit Latin-1 text, the one place where the program decides
// which letters count as equal without regard to case: a to z and the accented letters from
// 0xC0 to 0xDE with their small forms from 0xE0 to 0xFE. The multiplication sign 0xD7 and the
// sharp s 0xDF have no other case.

/// c folded to its small letter; every other character stays as it is.
char FoldLatin1(char c);

/// text with every letter folded to its small letter.
std::string FoldedLatin1(std::string_view text);

/// True when a and b are equal without regard to case.
bool SameText(std::string_view a, std::string_view b);

/// True when a sorts before b without regard to case; texts equal in that sense sort by
/// their exact codes, so that the order is a total one.
bool TextLess(std::string_view a, std::string_view b);

/// text without the blanks and control characters (codes up to 32) at its ends.
std::string TrimText(std::string_view text);
