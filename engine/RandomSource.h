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

    constexpr std::uint32_t operator()(std::uint32_t state) const {
        return state * Multiplier + Increment;
    }
};

/// The map that takes a state n steps ahead, found in O(log n) steps by squaring. The
/// generator's period is 2^32, so only n modulo 2^32 counts.
constexpr TVxJump JumpOf(std::uint64_t steps) {
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

/// The state after n steps from state, without taking them one by one.
constexpr std::uint32_t JumpAhead(std::uint32_t state, std::uint64_t steps) {
    return JumpOf(steps)(state);
}

/// The three states that follow a state, as a date draws them.
struct TVxThreeStates {
    std::uint32_t First;
    std::uint32_t Second;
    std::uint32_t Third;
};

/// The next three states, each computed straight from state (s(k) = M^k * s + (M^(k-1) + ...
/// + 1) * c) so that none waits for another; state moves on past all three.
constexpr TVxThreeStates TakeThreeStates(std::uint32_t& state) {
    constexpr TVxJump jump1 = JumpOf(1);
    constexpr TVxJump jump2 = JumpOf(2);
    constexpr TVxJump jump3 = JumpOf(3);
    const TVxThreeStates next{jump1(state), jump2(state), jump3(state)};
    state = next.Third;
    return next;
}

/// Writes count characters drawn from the bound characters at chars (bound at least 1), one
/// draw each as DrawBelow on state, and returns the end. Four states are derived at a time
/// from the same one, so that the multiplications do not wait for each other; the state is
/// worked on in a local copy, which the stores through out cannot touch.
inline char* WriteDrawnRun(char* out, const char* chars, std::uint32_t bound, std::uint64_t count,
                           std::uint32_t& state) {
    constexpr TVxJump jump1 = JumpOf(1);
    constexpr TVxJump jump2 = JumpOf(2);
    constexpr TVxJump jump3 = JumpOf(3);
    constexpr TVxJump jump4 = JumpOf(4);
    const std::uint64_t wide = bound;
    std::uint32_t s = state;
    std::uint64_t i = 0;
    for (; count - i >= 4; i += 4) {
        const std::uint32_t s1 = jump1(s);
        const std::uint32_t s2 = jump2(s);
        const std::uint32_t s3 = jump3(s);
        s = jump4(s);
        out[i] = chars[(s1 * wide) >> 32];
        out[i + 1] = chars[(s2 * wide) >> 32];
        out[i + 2] = chars[(s3 * wide) >> 32];
        out[i + 3] = chars[(s * wide) >> 32];
    }
    for (; i < count; ++i) {
        out[i] = chars[DrawBelow(s, bound)];
    }
    state = s;
    return out + count;
}
