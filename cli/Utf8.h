// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

/// Text from the terminal in the 8-bit character set. Valid UTF-8 is decoded; a character
/// outside the 8-bit set cannot be represented and is reported instead of being changed.
/// Bytes that are not valid UTF-8 are taken as they are (text typed in an 8-bit terminal).
struct TArgText {
    std::string Text;
    /// Set when a character outside the 8-bit set was met: its description, for example
    /// "\"€\" (U+20AC)".
    std::optional<std::string> Unrepresentable;
};

TArgText ArgumentToLatin1(const std::string& bytes);

/// 8-bit text as UTF-8, for names handed to the file system and messages on the terminal.
std::string Latin1ToUtf8(const std::string& text);
