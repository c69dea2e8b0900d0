// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

// What tabbit-gen says on standard error, and how text from its input is made safe to show
// on a terminal.

/// text with its control characters written as C escapes, so that bytes taken from a
/// definition, a file name or a saved name cannot move the cursor, retitle the window or
/// otherwise act on the terminal: \a \b \t \n \v \f \r and \e for BEL, BS, HT, LF, VT, FF, CR
/// and ESC; \xHH (two lower-case hexadecimal digits) for the other codes 0 to 31, for DEL
/// (\x7f) and for the C1 controls U+0080 to U+009F in their UTF-8 form (\x80 to \x9f). Every
/// other byte, a backslash included, stands for itself.
std::string EscapeControls(std::string_view text);

/// "tabbit-gen: " and the message (UTF-8) with its control characters escaped.
void PrintError(std::string_view message);

/// "tabbit-gen: " and a notice (UTF-8) that is neither error nor warning, escaped alike.
void PrintNotice(std::string_view notice);

/// "tabbit-gen: warning: " and the warning (UTF-8) with its control characters escaped.
void PrintWarning(std::string_view warning);
