// SPDX-License-Identifier: MIT
#include "engine/RandomSource.h"

#include "engine/CommandLanguage.h"

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

TVxJump JumpOf(std::uint64_t steps) {
    // Square the one-step map for every bit of steps and compose the maps of the bits that
    // are set; affine maps of the same kind commute, so the order does not matter.
    TVxJump result;
    TVxJump power{RandomMultiplier, RandomIncrement};
    for (std::uint64_t n = steps & 0xFFFFFFFFu; n != 0; n >>= 1) {
        if ((n & 1u) != 0) {
            result = {result.Multiplier * power.Multiplier,
                      result.Increment * power.Multiplier + power.Increment};
        }
        power = {power.Multiplier * power.Multiplier,
                 power.Increment * power.Multiplier + power.Increment};
    }
    return result;
}

std::uint64_t DrawsPerRecord(const TVxRndParser& parser) {
    std::uint64_t draws = 0;
    for (const TFieldDef& field : parser.Fields()) {
        switch (field.TextType) {
        case ttDate:
            draws += 3;
            break;
        case ttTab:
        case ttBlank:
        case ttFixed:
            break;
        case ttRandomString:
            if (!field.Str.empty() && field.Size > 0) {
                draws += static_cast<std::uint64_t>(field.Size);
            }
            break;
        default:
            if (field.Size > 0) {
                draws += static_cast<std::uint64_t>(field.Size);
            }
            break;
        }
    }
    return draws;
}
