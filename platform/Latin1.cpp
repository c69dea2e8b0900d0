// SPDX-License-Identifier: MIT
#include "platform/Latin1.h"

#include "engine/Exceptions.h"

QString ToQString(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsLatin1(const QString& text) {
    for (QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

QString FirstNonLatin1(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() > 0xFF) {
            const bool pair =
                text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            return text.mid(i, pair ? 2 : 1);
        }
    }
    return {};
}

std::string CharacterCode(const QString& character) {
    const char32_t code = character.size() == 2 && character[0].isHighSurrogate()
                              ? QChar::surrogateToUcs4(character[0], character[1])
                          : character.isEmpty() ? 0
                                                : character[0].unicode();
    return "U+" + QString::number(code, 16).toUpper().rightJustified(4, '0').toStdString();
}

std::string FromQString(const QString& text) {
    const QString outside = FirstNonLatin1(text);
    if (!outside.isEmpty()) {
        // The message itself is 8-bit text, so it names the character by its code.
        throw Exception("The character " + CharacterCode(outside) +
                        " is not in the 8-bit character set");
    }
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}
