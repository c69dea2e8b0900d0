// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Regional settings and the writing of dates in a date format.

/// The regional settings the engine reads: date formats, separators, day and month names.
/// The built-in defaults are US English; platform code fills them from the user's locale.
struct TFormatSettings {
    std::string ShortDateFormat = "m/d/yy";
    std::string LongDateFormat = "dddd, mmmm d, yyyy";
    std::string ShortTimeFormat = "h:nn AMPM";
    std::string LongTimeFormat = "h:nn:ss AMPM";
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char DecimalSeparator = '.';
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    /// January first.
    std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames{"January",   "February", "March",    "April",
                                               "May",       "June",     "July",     "August",
                                               "September", "October",  "November", "December"};
    /// Sunday first.
    std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
};

/// The process-wide regional settings.
TFormatSettings& FormatSettings();

/// The process-wide short date format in which random dates are written. Starts as the
/// built-in default "m/d/yy"; program start sets it from the regional settings.
extern std::string SystemDateFormat;

/// Gregorian leap year.
constexpr bool IsLeap(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

/// The days of the months of a common year, January first.
constexpr std::array<std::uint8_t, 12> MonthDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

/// The days of month (1 to 12) of year.
constexpr int DaysInMonth(int year, int month) {
    return month == 2 && IsLeap(year) ? 29 : MonthDays[static_cast<std::size_t>(month - 1)];
}

/// Raises EConvertError "Invalid argument to date encode" unless year-month-day is a date of
/// the years 1 to 9999.
void CheckEncodeDate(int year, int month, int day);

/// A date (with no time part) written in format with the process-wide regional settings.
std::string FormatDate(const std::string& format, int year, int month, int day);
/// The same with the given settings.
std::string FormatDate(const std::string& format, int year, int month, int day,
                       const TFormatSettings& settings);
/// Appends the date written in format with the given settings to text, without building
/// temporary strings; the form the record generator uses for every random date. Raises
/// EConvertError "Invalid argument to date encode" for a date outside the years 1 to 9999.
void AppendDate(std::string& text, std::string_view format, int year, int month, int day,
                const TFormatSettings& settings);

/// One piece of a compiled date format: text that is the same for every date, or one value
/// of the date with the least number of digits it is written with.
struct TDatePart {
    enum TKind : std::uint8_t {
        Text,
        Day,
        Month,
        Year,
        YearOfCentury,
        ShortDayName,
        LongDayName,
        ShortMonthName,
        LongMonthName,
    };
    TKind Kind = Text;
    std::uint8_t MinDigits = 0;
    std::string Str;
};

/// A date format read once for writing many dates: the format's text, nested formats and
/// the time of day (always midnight) are resolved when it is built, so that writing a date
/// only fills in its values. Gives exactly the text of AppendDate with the same format and
/// settings, which are copied when it is built: later changes to either do not reach it.
class TVxDateFormat {
public:
    TVxDateFormat(std::string_view format, const TFormatSettings& settings);

    /// The most bytes one date can take.
    std::size_t MaxWidth() const { return FMaxWidth; }
    /// Whether every date takes the same number of bytes (MaxWidth), as with yyyy-mm-dd.
    bool ConstantWidth() const { return FMinWidth == FMaxWidth; }
    /// Writes a date that CheckEncodeDate accepts at out, which has room for MaxWidth
    /// bytes, and returns the end.
    char* Write(char* out, int year, int month, int day) const;
    const std::vector<TDatePart>& Parts() const { return FParts; }

private:
    TFormatSettings FSettings;
    std::vector<TDatePart> FParts;
    std::size_t FMinWidth = 0;
    std::size_t FMaxWidth = 0;
};
