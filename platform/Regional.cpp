// SPDX-License-Identifier: MIT
#include "platform/Regional.h"

#include "platform/Latin1.h"

namespace {

/// Latin-1 text of a locale string; a name that does not fit the 8-bit set keeps the
/// built-in fallback rather than being garbled.
std::string Latin1OrFallback(const QString& text, const std::string& fallback) {
    return !text.isEmpty() && IsLatin1(text) ? FromQString(text) : fallback;
}

char SeparatorOr(const QString& text, char fallback) {
    return text.size() == 1 && text[0].unicode() <= 0xFF ? static_cast<char>(text[0].unicode())
                                                         : fallback;
}

/// A format's separator is the first character between its fields that is no letter, quote
/// or blank ("/" of d/M/yyyy, "." of dd.MM.yy, ":" of HH:mm).
char FirstSeparatorOf(const QString& qtFormat, char fallback) {
    for (QChar c : qtFormat)
        if (!c.isLetter() && c != '\'' && c != ' ' && c.unicode() <= 0xFF)
            return static_cast<char>(c.unicode());
    return fallback;
}

} // namespace

std::string EngineDateFormat(const QString& qtFormat) {
    std::string out;
    bool quoted = false;
    for (qsizetype i = 0; i < qtFormat.size(); ++i) {
        const QChar c = qtFormat[i];
        if (c == '\'') {
            // Qt writes a literal apostrophe as two of them.
            if (i + 1 < qtFormat.size() && qtFormat[i + 1] == '\'') {
                out += quoted ? "'\"'\"'" : "\"'\"";
                ++i;
                continue;
            }
            quoted = !quoted;
            out += '\'';
            continue;
        }
        if (c.unicode() > 0xFF)
            continue;
        const char ch = static_cast<char>(c.unicode());
        if (quoted) {
            out += ch;
            continue;
        }
        switch (ch) {
        case 'M':
            out += 'm';
            break;
        case 'm':
            out += 'n';
            break;
        case 'H':
            out += 'h';
            break;
        case 'A':
        case 'a':
            // Qt's AM/PM marker is one letter; the engine spells it ampm.
            out += "ampm";
            if (i + 1 < qtFormat.size() && (qtFormat[i + 1] == 'P' || qtFormat[i + 1] == 'p'))
                ++i;
            break;
        default:
            if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z')) {
                // A Qt letter with no engine meaning (time zone, ...) would be read as an
                // engine letter: keep it literal.
                if (ch == 'd' || ch == 'y' || ch == 'h' || ch == 's' || ch == 'z')
                    out += ch;
                else
                    out += std::string("\"") + ch + "\"";
            } else {
                out += ch;
            }
        }
    }
    return out;
}

TFormatSettings RegionalSettingsOf(const QLocale& locale) {
    TFormatSettings s;
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    s.ShortDateFormat = EngineDateFormat(shortDate);
    s.LongDateFormat = EngineDateFormat(locale.dateFormat(QLocale::LongFormat));
    s.ShortTimeFormat = EngineDateFormat(locale.timeFormat(QLocale::ShortFormat));
    s.LongTimeFormat = EngineDateFormat(locale.timeFormat(QLocale::LongFormat));
    s.DateSeparator = FirstSeparatorOf(shortDate, '/');
    s.DecimalSeparator = SeparatorOr(locale.decimalPoint(), '.');
    s.TimeSeparator = FirstSeparatorOf(locale.timeFormat(QLocale::ShortFormat), ':');
    s.TimeAMString = Latin1OrFallback(locale.amText(), s.TimeAMString);
    s.TimePMString = Latin1OrFallback(locale.pmText(), s.TimePMString);
    for (int m = 0; m < 12; ++m) {
        s.ShortMonthNames[m] =
            Latin1OrFallback(locale.monthName(m + 1, QLocale::ShortFormat), s.ShortMonthNames[m]);
        s.LongMonthNames[m] =
            Latin1OrFallback(locale.monthName(m + 1, QLocale::LongFormat), s.LongMonthNames[m]);
    }
    for (int d = 0; d < 7; ++d) {
        // The engine counts from Sunday, Qt from Monday (1) to Sunday (7).
        const int qtDay = d == 0 ? 7 : d;
        s.ShortDayNames[d] =
            Latin1OrFallback(locale.dayName(qtDay, QLocale::ShortFormat), s.ShortDayNames[d]);
        s.LongDayNames[d] =
            Latin1OrFallback(locale.dayName(qtDay, QLocale::LongFormat), s.LongDayNames[d]);
    }
    return s;
}

void InstallRegionalSettings() {
    FormatSettings() = RegionalSettingsOf(QLocale::system());
    SystemDateFormat = FormatSettings().ShortDateFormat;
}
