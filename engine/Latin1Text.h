// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string>
#include <string_view>

// Case folding and trimming of 8-bit Latin-1 text, the one place where the program decides
// which letters count as equal without regard to case: a to z and the accented letters from
// 0xC0 to 0xDE with their small forms from 0xE0 to 0xFE. The multiplication sign 0xD7 and the
// sharp s 0xDF have no other case.

/// Every code folded to its small letter; built once, at compile time.
inline constexpr std::array<unsigned char, 256> Latin1FoldTable = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[c] = static_cast<unsigned char>(c);
    }
    for (int c = 'A'; c <= 'Z'; ++c) {
        table[c] = static_cast<unsigned char>(c + 32);
    }
    for (int c = 0xC0; c <= 0xDE; ++c) {
        if (c != 0xD7) {
            table[c] = static_cast<unsigned char>(c + 32);
        }
    }
    return table;
}();

/// c folded to its small letter; every other character stays as it is. Inline, because name
/// lookups fold every character they compare.
inline char FoldLatin1(char c) {
    return static_cast<char>(Latin1FoldTable[static_cast<unsigned char>(c)]);
}

/// text with every letter folded to its small letter.
std::string FoldedLatin1(std::string_view text);

/// True when a and b are equal without regard to case. Inline, because every key and section
/// lookup of the settings file calls it once per name it passes.
inline bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldLatin1(a[i]) != FoldLatin1(b[i])) {
            return false;
        }
    }
    return true;
}

/// True when a sorts before b without regard to case; texts equal in that sense sort by
/// their exact codes, so that the order is a total one.
bool TextLess(std::string_view a, std::string_view b);

/// text without the blanks and control characters (codes up to 32) at its ends.
std::string TrimText(std::string_view text);
