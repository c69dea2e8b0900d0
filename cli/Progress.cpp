// SPDX-License-Identifier: MIT
#include "cli/Progress.h"

#include <cmath>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

/// The one terminal that /dev/tty stands for in every process: the controlling one.
bool IsControllingTerminalDevice(const struct stat& info) {
    return S_ISCHR(info.st_mode) && major(info.st_rdev) == 5 && minor(info.st_rdev) == 0;
}

/// Whether two open files are the same terminal.
bool SameTerminal(int a, int b) {
    struct stat infoA;
    struct stat infoB;
    if (::fstat(a, &infoA) != 0 || ::fstat(b, &infoB) != 0) {
        return true;
    }
    if (IsControllingTerminalDevice(infoA) || IsControllingTerminalDevice(infoB)) {
        return true;
    }
    return (infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino) ||
           infoA.st_rdev == infoB.st_rdev;
}

std::string Format(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

bool ProgressWanted(int outputFd) {
    if (::isatty(STDERR_FILENO) == 0) {
        return false;
    }
    return ::isatty(outputFd) == 0 || !SameTerminal(outputFd, STDERR_FILENO);
}

std::string GroupedNumber(std::uint64_t n) {
    std::string digits = std::to_string(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, 1, ',');
    }
    return digits;
}

std::string ByteSize(std::uint64_t bytes) {
    if (bytes < 1000) {
        return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    }
    static const char* const Units[] = {"kB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes) / 1000;
    std::size_t unit = 0;
    // 999.96 kB would be shown as 1000.0 kB: such a size goes up a unit.
    while (value >= 999.95 && unit + 1 < std::size(Units)) {
        value /= 1000;
        ++unit;
    }
    return Format("%.1f ", value) + Units[unit];
}

std::string Duration(double seconds) {
    if (seconds < 59.995) {
        return Format("%.2f s", seconds);
    }
    const auto whole = static_cast<std::uint64_t>(seconds);
    char text[48];
    if (whole < 3600) {
        std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(whole / 60),
                      static_cast<unsigned long long>(whole % 60));
    } else {
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu",
                      static_cast<unsigned long long>(whole / 3600),
                      static_cast<unsigned long long>(whole / 60 % 60),
                      static_cast<unsigned long long>(whole % 60));
    }
    return text;
}

std::string ProgressText(std::uint64_t done, std::uint64_t total, double seconds) {
    const double part = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    std::string text = GroupedNumber(done) + "/" + GroupedNumber(total) + " records (" +
                       std::to_string(static_cast<int>(part * 100)) + "%), " +
                       GroupedNumber(static_cast<std::uint64_t>(std::llround(rate))) +
                       " records/s, " + Duration(seconds) + " elapsed, ";
    if (done >= total) {
        return text + Duration(0) + " left";
    }
    if (done == 0 || rate <= 0) {
        return text + "time left unknown";
    }
    return text + Duration(static_cast<double>(total - done) / rate) + " left";
}

std::string SummaryText(std::uint64_t records, std::uint64_t bytes, const std::string& target,
                        double seconds) {
    return GroupedNumber(records) + (records == 1 ? " record (" : " records (") + ByteSize(bytes) +
           ") written to " + target + " in " + Duration(seconds);
}

TProgress::TProgress(std::uint64_t total, std::FILE* terminal)
    : FTotal(total), FTerminal(terminal), FStart(Clock::now()), FLastDraw(FStart) {}

void TProgress::Update(std::uint64_t done) {
    const Clock::time_point now = Clock::now();
    if (done < FTotal && now - FLastDraw < std::chrono::milliseconds(100)) {
        return;
    }
    if (FDrawn && done == FLastDone) {
        return;
    }
    FLastDone = done;
    FLastDraw = now;
    Draw(done);
}

void TProgress::Finish() {
    if (FDrawn) {
        std::fputc('\n', FTerminal);
        std::fflush(FTerminal);
    }
    FDrawn = false;
}

void TProgress::Clear() {
    if (FDrawn) {
        std::fputs("\r\x1b[K", FTerminal);
        std::fflush(FTerminal);
    }
    FDrawn = false;
}

double TProgress::Seconds() const {
    return std::chrono::duration<double>(Clock::now() - FStart).count();
}

void TProgress::Draw(std::uint64_t done) {
    // Carriage return, the line, and erase to its end: a shorter line leaves nothing behind.
    // Appended piece by piece: "\r" + a temporary string trips GCC 12's false overlap warning
    // (-Wrestrict) in optimised builds, which CI turns into an error.
    std::string line = "\r";
    line += ProgressText(done, FTotal, Seconds());
    line += "\x1b[K";
    std::fputs(line.c_str(), FTerminal);
    std::fflush(FTerminal);
    FDrawn = true;
}
