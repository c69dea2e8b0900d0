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

std::string FromQString(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() > 0xFF) {
            const bool pair =
                text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            const char32_t code =
                pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
            // The message itself is 8-bit text, so it names the character by its code.
            throw Exception(
                "The character U+" +
                QString::number(code, 16).toUpper().rightJustified(4, '0').toStdString() +
                " is not in the 8-bit character set");
        }
    }
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}
