// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// The process-wide pseudo-random source: a 32-bit linear congruential generator.

/// The generator's state; 0 when the process starts.
extern std::uint32_t Seed;

/// The seed for a time of day: milliseconds since midnight.
std::uint32_t SeedOfTime(int hours, int minutes, int seconds, int milliseconds);

/// Sets Seed to the milliseconds since midnight UTC.
void SeedFromTime();

/// The generator's step: Seed := Seed * RandomMultiplier + RandomIncrement, modulo 2^32.
constexpr std::uint32_t RandomMultiplier = 134775813u;
constexpr std::uint32_t RandomIncrement = 1u;

/// One step of the generator on a given state: advances state once and gives a number from
/// 0 to n - 1 (0 for n = 0). Loops that draw many characters keep the state in a local
/// copy with it and store it back into Seed afterwards.
inline std::uint32_t DrawBelow(std::uint32_t& state, std::uint32_t n) {
    state = state * RandomMultiplier + RandomIncrement;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(state) * n) >> 32);
}

/// One draw: 0 to n - 1 for n of 1 and more, 0 for n = 0; a negative n counts as n + 2^32.
/// Advances Seed exactly once.
inline std::int32_t RandomBelow(std::int32_t n) {
    return static_cast<std::int32_t>(DrawBelow(Seed, static_cast<std::uint32_t>(n)));
}

/// The generator's step taken many times, as one affine map: state * Multiplier + Increment.
struct TVxJump {
    std::uint32_t Multiplier = 1u;
    std::uint32_t Increment = 0u;

    std::uint32_t operator()(std::uint32_t state) const { return state * Multiplier + Increment; }
};

/// The map that takes a state n steps ahead, found in O(log n) steps by squaring. The
/// generator's period is 2^32, so only n modulo 2^32 counts.
TVxJump JumpOf(std::uint64_t steps);

/// The state after n steps from state, without taking them one by one.
inline std::uint32_t JumpAhead(std::uint32_t state, std::uint64_t steps) {
    return JumpOf(steps)(state);
}

class TVxRndParser;

/// The draws one record of a parsed definition makes: the drawn count of each field, three
/// per date, none for tabs, blanks, fixed strings, empty pools and counts below 1. Record i
/// of a run (from 0) starts at the state i * DrawsPerRecord steps after the run's seed.
std::uint64_t DrawsPerRecord(const TVxRndParser& parser);
