// SPDX-License-Identifier: MIT
// Writes dates in any format with any regional settings.
//
// Input: two bytes of year, one of month, one of day, one of flags, one date separator and
// one time separator, then the format; further lines of the format's text are the regional
// short and long date format, the short and long time format, the morning marker and the
// date's long month name, which the format can call on. Year, month and day are taken into
// 1..9999, 1..12 and 1..31 unless the flags ask for them raw.
//
// Properties:
// - a date that the calendar does not have fails with EConvertError "Invalid argument to
//   date encode", and every other one is written;
// - FormatDate and AppendDate write the same text, AppendDate after what the target held;
// - the text is bounded by what the format and the settings can give: no character of a
//   format gives more than the longest name or number, or the output of a nested format;
// - a format without format characters, quotes or separators is copied unchanged.

#include "engine/CommandLanguage.h"
#include "engine/Dates.h"
#include "engine/Exceptions.h"
#include "tests/fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool IsCalendarDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) {
        return false;
    }
    return day <= DaysInMonth(year, month);
}

/// The longest text that one format character can give at nesting depth 0: a name, a
/// number of at most four digits, "Anno Domini", or what a nested format gives. The writer
/// stops nesting below depth 3.
std::uint64_t PerCharacterBound(const TFormatSettings& settings) {
    std::uint64_t longest = std::string_view("Anno Domini").size();
    for (const std::string& name : settings.ShortMonthNames)
        longest = std::max<std::uint64_t>(longest, name.size());
    for (const std::string& name : settings.LongMonthNames)
        longest = std::max<std::uint64_t>(longest, name.size());
    for (const std::string& name : settings.ShortDayNames)
        longest = std::max<std::uint64_t>(longest, name.size());
    for (const std::string& name : settings.LongDayNames)
        longest = std::max<std::uint64_t>(longest, name.size());
    longest = std::max<std::uint64_t>(longest, settings.TimeAMString.size());
    const std::uint64_t nested =
        std::max({settings.ShortDateFormat.size(), settings.LongDateFormat.size(),
                  settings.ShortTimeFormat.size(), settings.LongTimeFormat.size()});
    std::uint64_t bound = longest;
    for (int depth = 3; depth > 0; --depth)
        bound = std::max(longest, nested * bound);
    return bound;
}

bool IsPlain(std::string_view format) {
    return format.find_first_of("dDmMyYhHnNsSzZtTeEgGcCaA'\"/:") == std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 7)
        return 0;
    const bool raw = (data[4] & 1) != 0;
    const unsigned yearBits = data[0] | static_cast<unsigned>(data[1]) << 8;
    const int year = raw ? static_cast<int>(yearBits) : 1 + static_cast<int>(yearBits % 9999);
    const int month = raw ? data[2] : 1 + data[2] % 12;
    const int day = raw ? data[3] : 1 + data[3] % 31;

    std::vector<std::string> lines;
    const std::string text(reinterpret_cast<const char*>(data) + 7, size - 7);
    SplitString(text, "\n", lines);
    lines.resize(7);
    const std::string& format = lines[0];
    TFormatSettings settings;
    settings.DateSeparator = static_cast<char>(data[5]);
    settings.TimeSeparator = static_cast<char>(data[6]);
    if ((data[4] & 2) != 0) {
        settings.ShortDateFormat = lines[1];
        settings.LongDateFormat = lines[2];
        settings.ShortTimeFormat = lines[3];
        settings.LongTimeFormat = lines[4];
        settings.TimeAMString = lines[5];
        if (month >= 1 && month <= 12)
            settings.LongMonthNames[static_cast<std::size_t>(month - 1)] = lines[6];
    }

    std::string written;
    try {
        written = FormatDate(format, year, month, day, settings);
    } catch (const EConvertError& error) {
        FUZZ_CHECK(!IsCalendarDate(year, month, day));
        FUZZ_CHECK(std::string_view(error.what()) == "Invalid argument to date encode");
        return 0;
    }
    FUZZ_CHECK(IsCalendarDate(year, month, day));
    FUZZ_CHECK(written.size() <= format.size() * PerCharacterBound(settings));
    if (IsPlain(format))
        FUZZ_CHECK(written == format);

    std::string appended = "before ";
    AppendDate(appended, format, year, month, day, settings);
    FUZZ_CHECK(appended == "before " + written);
    return 0;
}
