// SPDX-License-Identifier: MIT
#include "engine/Latin1Text.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<unsigned char, 256> MakeFoldTable() {
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
}

constexpr std::array<unsigned char, 256> FoldTable = MakeFoldTable();

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

char FoldLatin1(char c) {
    return static_cast<char>(FoldTable[static_cast<unsigned char>(c)]);
}

std::string FoldedLatin1(std::string_view text) {
    std::string folded(text.size(), '\0');
    std::transform(text.begin(), text.end(), folded.begin(), FoldLatin1);
    return folded;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldLatin1(x) == FoldLatin1(y);
           });
}

bool TextLess(std::string_view a, std::string_view b) {
    const auto folded = [](char c) { return static_cast<unsigned char>(FoldLatin1(c)); };
    const auto exact = [](char c) { return static_cast<unsigned char>(c); };
    const auto lessBy = [&](auto code) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [&](char x, char y) { return code(x) < code(y); });
    };
    if (lessBy(folded)) {
        return true;
    }
    if (!SameText(a, b)) {
        return false;
    }
    return lessBy(exact);
}

std::string TrimText(std::string_view text) {
    const auto first = std::find_if_not(text.begin(), text.end(), IsBlankOrControl);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlankOrControl).base();
    return first < last ? std::string(first, last) : std::string();
}
