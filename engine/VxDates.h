// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string>
#include <string_view>

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
