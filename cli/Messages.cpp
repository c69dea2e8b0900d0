// SPDX-License-Identifier: MIT
#include "cli/Messages.h"

#include <cstdio>

namespace {

/// The letter of the escapes that have one, or '\0'.
char EscapeLetter(unsigned char c) {
    switch (c) {
    case '\a':
        return 'a';
    case '\b':
        return 'b';
    case '\t':
        return 't';
    case '\n':
        return 'n';
    case '\v':
        return 'v';
    case '\f':
        return 'f';
    case '\r':
        return 'r';
    case 0x1B:
        return 'e';
    default:
        return '\0';
    }
}

void AppendEscape(std::string& out, unsigned char code) {
    static constexpr char Hex[] = "0123456789abcdef";
    out += '\\';
    if (const char letter = EscapeLetter(code)) {
        out += letter;
        return;
    }
    out += 'x';
    out += Hex[code >> 4];
    out += Hex[code & 0xF];
}

void Print(std::string_view prefix, std::string_view text) {
    const std::string line = std::string(prefix) + EscapeControls(text) + "\n";
    std::fputs(line.c_str(), stderr);
}

} // namespace

std::string EscapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c < 0x20 || c == 0x7F) {
            AppendEscape(out, c);
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            AppendEscape(out, next);
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void PrintError(std::string_view message) {
    Print("tabbit-gen: ", message);
}

void PrintNotice(std::string_view notice) {
    Print("tabbit-gen: ", notice);
}

void PrintWarning(std::string_view warning) {
    Print("tabbit-gen: warning: ", warning);
}
