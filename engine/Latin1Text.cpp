// SPDX-License-Identifier: MIT
#include "engine/Latin1Text.h"

#include <algorithm>

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

std::string FoldedLatin1(std::string_view text) {
    std::string folded(text.size(), '\0');
    std::transform(text.begin(), text.end(), folded.begin(), FoldLatin1);
    return folded;
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
