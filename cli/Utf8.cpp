// SPDX-License-Identifier: MIT
#include "cli/Utf8.h"

#include <cstdint>
#include <cstdio>

namespace {

/// Decodes the UTF-8 sequence at bytes[i]; false when it is not well-formed (overlong forms,
/// surrogates and code points above U+10FFFF included).
bool DecodeOne(const std::string& bytes, std::size_t& i, std::uint32_t& cp) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char b0 = at(i);
    std::size_t len;
    std::uint32_t min;
    if (b0 < 0x80) {
        cp = b0;
        ++i;
        return true;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return false;
    }
    if (i + len > bytes.size())
        return false;
    for (std::size_t k = 1; k < len; ++k) {
        if ((at(i + k) & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (at(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    i += len;
    return true;
}

} // namespace

TArgText ArgumentToLatin1(const std::string& bytes) {
    TArgText result;
    std::string decoded;
    decoded.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t start = i;
        std::uint32_t cp;
        if (!DecodeOne(bytes, i, cp))
            return TArgText{bytes, std::nullopt};
        if (cp > 0xFF && !result.Unrepresentable) {
            char code[16];
            std::snprintf(code, sizeof code, "\" (U+%04X)", static_cast<unsigned>(cp));
            std::string described(1, '"');
            described.append(bytes, start, i - start).append(code);
            result.Unrepresentable = std::move(described);
        }
        decoded += static_cast<char>(cp & 0xFF);
    }
    result.Text = std::move(decoded);
    return result;
}

std::string Latin1ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}
