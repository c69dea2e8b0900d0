// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

/// True when a progress line and a closing summary may be shown on standard error: it is a
/// terminal, and the records, written to outputFd, do not go to that same terminal (where the
/// line would be drawn over them or between them).
bool ProgressWanted(int outputFd);

/// "1,234,567": a count with its thousands grouped, the same in every locale.
std::string GroupedNumber(std::uint64_t n);

/// A size in bytes as people read it: "512 bytes", "7.0 MB" (units of 1000).
std::string ByteSize(std::uint64_t bytes);

/// A time span: "0.04 s" below a minute, else "1:05" or "2:03:07".
std::string Duration(double seconds);

/// The progress line: records done of total, percent, rate, time elapsed and time left.
std::string ProgressText(std::uint64_t done, std::uint64_t total, double seconds);

/// The closing line: how many records and bytes went to target in how long.
std::string SummaryText(std::uint64_t records, std::uint64_t bytes, const std::string& target,
                        double seconds);

/// The progress line of a long run on a terminal, redrawn in place at most ten times a second.
class TProgress {
public:
    explicit TProgress(std::uint64_t total, std::FILE* terminal = stderr);
    /// Redraws when a tenth of a second has passed since the last drawing.
    void Update(std::uint64_t done);
    /// Ends the line and keeps it in view, for a message about a run that failed.
    void Finish();
    /// Takes the line away, so that what follows starts on an empty line.
    void Clear();
    /// Seconds since the run began.
    double Seconds() const;

private:
    using Clock = std::chrono::steady_clock;
    void Draw(std::uint64_t done);

    std::uint64_t FTotal;
    std::FILE* FTerminal;
    Clock::time_point FStart;
    Clock::time_point FLastDraw;
    std::uint64_t FLastDone = 0;
    bool FDrawn = false;
};
