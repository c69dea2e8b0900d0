// SPDX-License-Identifier: MIT
#include "engine/Dates.h"

#include "engine/Exceptions.h"

#include <algorithm>
#include <cstddef>
#include <utility>

std::string SystemDateFormat = "m/d/yy";

TFormatSettings& FormatSettings() {
    static TFormatSettings settings;
    return settings;
}

namespace {

/// 0 = Sunday, for the proleptic Gregorian calendar.
int DayOfWeek(int year, int month, int day) {
    static constexpr int offsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) {
        --year;
    }
    return (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view lowerWord) {
    if (text.size() - pos < lowerWord.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lowerWord.size(); ++i) {
        if (Lower(text[pos + i]) != lowerWord[i]) {
            return false;
        }
    }
    return true;
}

/// The length of the run of the same letter (either case) that starts at pos.
std::size_t RunLength(std::string_view format, std::size_t pos) {
    const char letter = Lower(format[pos]);
    std::size_t end = pos + 1;
    while (end < format.size() && Lower(format[end]) == letter) {
        ++end;
    }
    return end - pos;
}

/// Length of the am/pm marker at pos ("am/pm", "a/p" or "ampm"), 0 if there is none.
std::size_t AmPmLength(std::string_view format, std::size_t pos) {
    if (StartsWithNoCase(format, pos, "am/pm")) {
        return 5;
    }
    if (StartsWithNoCase(format, pos, "a/p")) {
        return 3;
    }
    if (StartsWithNoCase(format, pos, "ampm")) {
        return 4;
    }
    return 0;
}

/// Whether format holds an am/pm marker outside quoted text, which turns its hours into
/// those of the 12-hour clock.
bool HasAmPm(std::string_view format) {
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '\'' || c == '"') {
            const std::size_t close = format.find(c, i + 1);
            if (close == std::string_view::npos) {
                return false;
            }
            i = close;
        } else if (AmPmLength(format, i) != 0) {
            return true;
        }
    }
    return false;
}

bool IsFormatLetter(char lowerLetter) {
    switch (lowerLetter) {
    case 'd':
    case 'm':
    case 'y':
    case 'h':
    case 'n':
    case 's':
    case 'z':
    case 't':
    case 'e':
    case 'g':
        return true;
    default:
        return false;
    }
}

/// Writes one date, which is always at midnight, in a format. Formats may name other
/// formats of the settings (ddddd, dddddd, c, t, tt); settings that name themselves are
/// cut off after a few levels instead of recursing without end. The text is gathered in a
/// small buffer and appended to the target in one piece.
class TDateWriter {
public:
    TDateWriter(std::string& text, const TFormatSettings& settings, int year, int month, int day)
        : FText(text), FSettings(settings), FYear(year), FMonth(month), FDay(day) {}
    /// A writer that compiles a format into parts: the text that does not depend on the date
    /// is gathered in text and becomes Text parts, the values of the date become their own.
    TDateWriter(std::string& text, const TFormatSettings& settings, std::vector<TDatePart>& parts)
        : FText(text), FSettings(settings), FYear(1), FMonth(1), FDay(1), FParts(&parts) {}

    void Write(std::string_view format, int depth);
    /// Moves what the buffer holds to the target; the last step of every write.
    void Flush() {
        FText.append(FBuffer, FUsed);
        FUsed = 0;
        if (FParts != nullptr && !FText.empty()) {
            FParts->push_back({TDatePart::Text, 0, FText});
            FText.clear();
        }
    }

private:
    static constexpr int MaxNesting = 3;

    /// Writes what format holds at i when it is not a run of format letters (quoted text,
    /// separators, the AM/PM markers, c, any other character) and moves i past it; false,
    /// with i unchanged, at a run of letters.
    bool WriteSingle(std::string_view format, std::size_t& i, int depth, bool& afterHour);
    /// Writes a run of run format letters letter (m after hours is minutes); true when
    /// they were hours.
    bool WriteRun(std::string_view format, char letter, std::size_t run, int depth, bool afterHour,
                  int& twelveHour);
    /// Writes a run of run d: a day, a day name, or a whole date format.
    void WriteDays(std::size_t run, int depth);

    void Put(char c) {
        if (FUsed == sizeof FBuffer) {
            FText.append(FBuffer, FUsed);
            FUsed = 0;
        }
        FBuffer[FUsed++] = c;
    }
    void Put(std::string_view text) {
        if (text.size() > sizeof FBuffer - FUsed) {
            FText.append(FBuffer, FUsed);
            FUsed = 0;
            if (text.size() > sizeof FBuffer) {
                FText.append(text);
                return;
            }
        }
        text.copy(FBuffer + FUsed, text.size());
        FUsed += text.size();
    }
    /// value in decimal with at least minDigits digits (at most 4), zero-padded.
    void PutNumber(unsigned value, int minDigits) {
        char digits[12];
        char* const end = digits + sizeof digits;
        char* first = end;
        do {
            *--first = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (end - first < minDigits) {
            *--first = '0';
        }
        Put(std::string_view(first, static_cast<std::size_t>(end - first)));
    }
    void WriteNested(const std::string& format, int depth) {
        if (depth < MaxNesting) {
            Write(format, depth + 1);
        }
    }
    int WeekDay() const { return DayOfWeek(FYear, FMonth, FDay); }
    /// One value of the date, written now or, when compiling, kept as a part of its own.
    void PutPart(TDatePart::TKind kind, int minDigits) {
        if (FParts != nullptr) {
            Flush();
            FParts->push_back({kind, static_cast<std::uint8_t>(minDigits), {}});
            return;
        }
        switch (kind) {
        case TDatePart::Day:
            PutNumber(static_cast<unsigned>(FDay), minDigits);
            break;
        case TDatePart::Month:
            PutNumber(static_cast<unsigned>(FMonth), minDigits);
            break;
        case TDatePart::Year:
            PutNumber(static_cast<unsigned>(FYear), minDigits);
            break;
        case TDatePart::YearOfCentury:
            PutNumber(static_cast<unsigned>(FYear % 100), minDigits);
            break;
        case TDatePart::ShortDayName:
            Put(FSettings.ShortDayNames[static_cast<std::size_t>(WeekDay())]);
            break;
        case TDatePart::LongDayName:
            Put(FSettings.LongDayNames[static_cast<std::size_t>(WeekDay())]);
            break;
        case TDatePart::ShortMonthName:
            Put(FSettings.ShortMonthNames[static_cast<std::size_t>(FMonth - 1)]);
            break;
        case TDatePart::LongMonthName:
            Put(FSettings.LongMonthNames[static_cast<std::size_t>(FMonth - 1)]);
            break;
        case TDatePart::Text:
            break;
        }
    }

    std::string& FText;
    const TFormatSettings& FSettings;
    int FYear;
    int FMonth;
    int FDay;
    char FBuffer[64];
    std::size_t FUsed = 0;
    std::vector<TDatePart>* FParts = nullptr;
};

// The era letters follow the Gregorian calendar, which has one era for all the years 1 to
// 9999: e is the year of the era (the year itself), ee the same with at least two digits,
// g the short era name "AD" and gg the long one "Anno Domini".
void TDateWriter::Write(std::string_view format, int depth) {
    // Set while the last letters written were hours, so that a following m means minutes.
    bool afterHour = false;
    // Determined at the first hour letter; -1 while unknown.
    int twelveHour = -1;
    std::size_t i = 0;
    while (i < format.size()) {
        if (WriteSingle(format, i, depth, afterHour)) {
            continue;
        }
        const std::size_t run = RunLength(format, i);
        afterHour = WriteRun(format, Lower(format[i]), run, depth, afterHour, twelveHour);
        i += run;
    }
}

bool TDateWriter::WriteSingle(std::string_view format, std::size_t& i, int depth, bool& afterHour) {
    const char c = format[i];
    const char letter = Lower(c);
    switch (letter) {
    case '\'':
    case '"': {
        std::size_t close = format.find(c, i + 1);
        if (close == std::string_view::npos) {
            close = format.size();
        }
        Put(format.substr(i + 1, close - i - 1));
        i = close + 1;
        return true;
    }
    case '/':
        Put(FSettings.DateSeparator);
        ++i;
        return true;
    case ':':
        Put(FSettings.TimeSeparator);
        ++i;
        return true;
    case 'a': {
        const std::size_t length = AmPmLength(format, i);
        if (length == 0) {
            Put(c);
            ++i;
            return true;
        }
        // Midnight is before noon. The markers with a slash keep the case written in
        // the format ("AM/PM" gives "AM", "a/p" gives "a").
        if (length == 4) {
            Put(FSettings.TimeAMString);
        } else if (length == 5) {
            Put(format.substr(i, 2));
        } else {
            Put(c);
        }
        afterHour = false;
        i += length;
        return true;
    }
    case 'c':
        WriteNested(FSettings.ShortDateFormat, depth);
        afterHour = false;
        ++i;
        return true;
    default:
        if (!IsFormatLetter(letter)) {
            Put(c);
            ++i;
            return true;
        }
        return false;
    }
}

void TDateWriter::WriteDays(std::size_t run, int depth) {
    // Six and more d are the long date format.
    switch (run) {
    case 1:
    case 2:
        PutPart(TDatePart::Day, static_cast<int>(run));
        break;
    case 3:
        PutPart(TDatePart::ShortDayName, 0);
        break;
    case 4:
        PutPart(TDatePart::LongDayName, 0);
        break;
    case 5:
        WriteNested(FSettings.ShortDateFormat, depth);
        break;
    default:
        WriteNested(FSettings.LongDateFormat, depth);
        break;
    }
}

bool TDateWriter::WriteRun(std::string_view format, char letter, std::size_t run, int depth,
                           bool afterHour, int& twelveHour) {
    bool hour = false;
    switch (letter) {
    case 'd':
        WriteDays(run, depth);
        break;
    case 'm':
        if (afterHour && run <= 2) {
            PutNumber(0, static_cast<int>(run));
        } else if (run <= 2) {
            PutPart(TDatePart::Month, static_cast<int>(run));
        } else if (run == 3) {
            PutPart(TDatePart::ShortMonthName, 0);
        } else {
            PutPart(TDatePart::LongMonthName, 0);
        }
        break;
    case 'y':
        if (run <= 2) {
            PutPart(TDatePart::YearOfCentury, 2);
        } else {
            PutPart(TDatePart::Year, 4);
        }
        break;
    case 'h':
        if (twelveHour < 0) {
            twelveHour = HasAmPm(format) ? 1 : 0;
        }
        PutNumber(twelveHour != 0 ? 12 : 0, run >= 2 ? 2 : 1);
        hour = true;
        break;
    case 'n':
    case 's':
        PutNumber(0, run >= 2 ? 2 : 1);
        break;
    case 'z':
        PutNumber(0, run >= 3 ? 3 : 1);
        break;
    case 't':
        WriteNested(run >= 2 ? FSettings.LongTimeFormat : FSettings.ShortTimeFormat, depth);
        break;
    case 'e':
        PutPart(TDatePart::Year, run >= 2 ? 2 : 1);
        break;
    default: // 'g'
        Put(run >= 2 ? "Anno Domini" : "AD");
        break;
    }
    return hour;
}

} // namespace

void CheckEncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
        throw EConvertError("Invalid argument to date encode");
    }
}

void AppendDate(std::string& text, std::string_view format, int year, int month, int day,
                const TFormatSettings& settings) {
    CheckEncodeDate(year, month, day);
    TDateWriter writer(text, settings, year, month, day);
    writer.Write(format, 0);
    writer.Flush();
}

std::string FormatDate(const std::string& format, int year, int month, int day) {
    return FormatDate(format, year, month, day, FormatSettings());
}

std::string FormatDate(const std::string& format, int year, int month, int day,
                       const TFormatSettings& settings) {
    std::string text;
    AppendDate(text, format, year, month, day, settings);
    return text;
}

namespace {

/// value (at most 9999) in decimal with at least minDigits digits, zero-padded, at out.
char* WriteNumber(char* out, unsigned value, unsigned minDigits) {
    unsigned digits = value >= 1000 ? 4 : value >= 100 ? 3 : value >= 10 ? 2 : 1;
    if (digits < minDigits) {
        digits = minDigits;
    }
    // Two digits at a time, from the right.
    static constexpr char pairs[] = "00010203040506070809101112131415161718192021222324"
                                    "25262728293031323334353637383940414243444546474849"
                                    "50515253545556575859606162636465666768697071727374"
                                    "75767778798081828384858687888990919293949596979899";
    unsigned i = digits;
    while (i >= 2) {
        const unsigned pair = value % 100;
        value /= 100;
        i -= 2;
        out[i] = pairs[2 * std::size_t{pair}];
        out[i + 1] = pairs[2 * std::size_t{pair} + 1];
    }
    if (i == 1) {
        out[0] = static_cast<char>('0' + value % 10);
    }
    return out + digits;
}

/// Copies a short text without a call.
char* CopyText(char* out, const std::string& text) {
    for (const char c : text) {
        *out++ = c;
    }
    return out;
}

/// The shortest and the longest of some names.
std::pair<std::size_t, std::size_t> NameWidths(const auto& names) {
    std::pair<std::size_t, std::size_t> widths{names[0].size(), names[0].size()};
    for (const std::string& name : names) {
        widths.first = std::min(widths.first, name.size());
        widths.second = std::max(widths.second, name.size());
    }
    return widths;
}

} // namespace

TVxDateFormat::TVxDateFormat(std::string_view format, const TFormatSettings& settings)
    : FSettings(settings) {
    std::string text;
    TDateWriter writer(text, FSettings, FParts);
    writer.Write(format, 0);
    writer.Flush();
    for (const TDatePart& part : FParts) {
        std::pair<std::size_t, std::size_t> widths;
        switch (part.Kind) {
        case TDatePart::Text:
            widths = {part.Str.size(), part.Str.size()};
            break;
        case TDatePart::Day:
        case TDatePart::Month:
        case TDatePart::YearOfCentury:
            widths = {std::max<std::size_t>(part.MinDigits, 1),
                      std::max<std::size_t>(part.MinDigits, 2)};
            break;
        case TDatePart::Year:
            widths = {std::max<std::size_t>(part.MinDigits, 1),
                      std::max<std::size_t>(part.MinDigits, 4)};
            break;
        case TDatePart::ShortDayName:
            widths = NameWidths(FSettings.ShortDayNames);
            break;
        case TDatePart::LongDayName:
            widths = NameWidths(FSettings.LongDayNames);
            break;
        case TDatePart::ShortMonthName:
            widths = NameWidths(FSettings.ShortMonthNames);
            break;
        case TDatePart::LongMonthName:
            widths = NameWidths(FSettings.LongMonthNames);
            break;
        }
        FMinWidth += widths.first;
        FMaxWidth += widths.second;
    }
}

char* TVxDateFormat::Write(char* out, int year, int month, int day) const {
    for (const TDatePart& part : FParts) {
        switch (part.Kind) {
        case TDatePart::Text:
            out = CopyText(out, part.Str);
            break;
        case TDatePart::Day:
            out = WriteNumber(out, static_cast<unsigned>(day), part.MinDigits);
            break;
        case TDatePart::Month:
            out = WriteNumber(out, static_cast<unsigned>(month), part.MinDigits);
            break;
        case TDatePart::Year:
            out = WriteNumber(out, static_cast<unsigned>(year), part.MinDigits);
            break;
        case TDatePart::YearOfCentury:
            out = WriteNumber(out, static_cast<unsigned>(year % 100), part.MinDigits);
            break;
        case TDatePart::ShortDayName: {
            const std::string& name =
                FSettings.ShortDayNames[static_cast<std::size_t>(DayOfWeek(year, month, day))];
            out = CopyText(out, name);
            break;
        }
        case TDatePart::LongDayName: {
            const std::string& name =
                FSettings.LongDayNames[static_cast<std::size_t>(DayOfWeek(year, month, day))];
            out = CopyText(out, name);
            break;
        }
        case TDatePart::ShortMonthName: {
            const std::string& name =
                FSettings.ShortMonthNames[static_cast<std::size_t>(month - 1)];
            out = CopyText(out, name);
            break;
        }
        case TDatePart::LongMonthName: {
            const std::string& name = FSettings.LongMonthNames[static_cast<std::size_t>(month - 1)];
            out = CopyText(out, name);
            break;
        }
        }
    }
    return out;
}
