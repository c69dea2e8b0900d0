// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>

/// The progress line of a long run on a terminal: records done, total, percent and records
/// per second, redrawn at most ten times a second.
class TProgress {
public:
    explicit TProgress(std::uint64_t total);
    /// Redraws when a tenth of a second has passed since the last drawing.
    void Update(std::uint64_t done);
    /// Ends the line.
    void Finish();

private:
    using Clock = std::chrono::steady_clock;
    void Draw(std::uint64_t done);

    std::uint64_t FTotal;
    Clock::time_point FStart;
    Clock::time_point FLastDraw;
    std::uint64_t FLastDone = 0;
    bool FDrawn = false;
};
