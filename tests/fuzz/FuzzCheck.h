// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// A property that a fuzz target checks: when it fails, the target stops with a message, and
// libFuzzer keeps the input that made it fail.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

/// Whether an exception's message is text. Messages travel as C strings (what()), so a
/// message that holds a character 0 ends there.
inline bool IsMessage(const char* what, const std::string& text) {
    return std::string_view(what) == std::string_view(text).substr(0, text.find('\0'));
}
