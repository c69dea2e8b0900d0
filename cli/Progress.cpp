// SPDX-License-Identifier: MIT
#include "cli/Progress.h"

#include <cstdio>

TProgress::TProgress(std::uint64_t total)
    : FTotal(total), FStart(Clock::now()), FLastDraw(FStart) {}

void TProgress::Update(std::uint64_t done) {
    const Clock::time_point now = Clock::now();
    if (done < FTotal && now - FLastDraw < std::chrono::milliseconds(100))
        return;
    if (FDrawn && done == FLastDone)
        return;
    FLastDone = done;
    FLastDraw = now;
    Draw(done);
}

void TProgress::Finish() {
    if (FDrawn)
        std::fputc('\n', stderr);
    FDrawn = false;
}

void TProgress::Draw(std::uint64_t done) {
    const double seconds = std::chrono::duration<double>(Clock::now() - FStart).count();
    const int percent =
        FTotal > 0 ? static_cast<int>(static_cast<double>(done) * 100 / static_cast<double>(FTotal))
                   : 100;
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    std::fprintf(stderr, "\r%llu/%llu records (%d%%), %.0f records/s\x1b[K",
                 static_cast<unsigned long long>(done), static_cast<unsigned long long>(FTotal),
                 percent, rate);
    std::fflush(stderr);
    FDrawn = true;
}
