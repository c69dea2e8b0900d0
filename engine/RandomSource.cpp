// SPDX-License-Identifier: MIT
#include "engine/RandomSource.h"

#include <chrono>

std::uint32_t Seed = 0;

std::uint32_t SeedOfTime(int hours, int minutes, int seconds, int milliseconds) {
    return static_cast<std::uint32_t>(((hours * 60 + minutes) * 60 + seconds) * 1000 +
                                      milliseconds);
}

void SeedFromTime() {
    // system_clock counts Unix time, which has no leap seconds, so the milliseconds of the
    // UTC day are the remainder of a division by the length of a day.
    constexpr std::int64_t msPerDay = 24LL * 60 * 60 * 1000;
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count();
    std::int64_t msOfDay = sinceEpoch % msPerDay;
    if (msOfDay < 0) {
        msOfDay += msPerDay;
    }
    const auto ms = static_cast<int>(msOfDay);
    Seed = SeedOfTime(ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
}
