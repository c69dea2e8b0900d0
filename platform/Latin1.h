// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <string>

// The one crossing between Qt's Unicode text and the 8-bit Latin-1 text of the engine and the
// store. A character outside Latin-1 is never replaced by another: it is refused.

/// Every byte of text as the character of that code.
QString ToQString(const std::string& text);

/// True when every character of text has a code from 0 to 255.
bool IsLatin1(const QString& text);

/// The first character of text outside Latin-1, a pair of surrogates kept whole; empty when
/// every character is in Latin-1.
QString FirstNonLatin1(const QString& text);

/// The code of a character as a message names it, for example "U+20AC".
std::string CharacterCode(const QString& character);

/// text as 8-bit Latin-1; raises Exception naming the code of the first character outside it.
std::string FromQString(const QString& text);
