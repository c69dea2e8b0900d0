// SPDX-License-Identifier: MIT
#pragma once

#include "engine/RandomSource.h"
#include "engine/ValueField.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

/// Writes the values of one value field together with the short fixed text after it (a
/// separator or a line end), for records written one after another. The common shapes are
/// laid out once so that a value costs a few instructions: a list item or file line is one
/// 16-byte copy of a slot that already holds the text, its padding and the suffix, and a
/// small range is made of its digits in one register. Every other field goes through the
/// field's own writer; the bytes and draws are the same either way.
class TVxValueWriter {
public:
    /// suffix holds suffixLength (at most 8) bytes in memory order.
    TVxValueWriter(const TVxValueField& field, std::uint64_t suffix, std::uint8_t suffixLength);

    /// A counter's text as the last record got it, to be counted on in the next: up to
    /// eight bytes in memory order without their last two digits, which are Low, for the
    /// record Next (none when Next is the largest record number).
    struct TCounter {
        std::uint64_t Text = 0;
        std::uint64_t Next = ~std::uint64_t{0};
        unsigned Shift = 0;
        std::uint8_t Length = 0;
        std::uint8_t Low = 0;
    };

    /// Writes the value of record and the suffix at out, which has room for the field's
    /// MaxWidth(), the suffix and TVxValueField::WriteRoom bytes; returns the end. A counter
    /// takes its text from counter when that holds the record before, and leaves its own
    /// there.
    char* Write(char* out, std::uint64_t record, std::uint32_t& state, TCounter& counter) const {
        switch (FKind) {
        case TKind::Counter:
            if (counter.Next == record && counter.Low < 99) {
                // Only the last two digits change, up to the next hundred.
                ++counter.Next;
                ++counter.Low;
                const std::uint64_t text = counter.Text | std::uint64_t{DigitPairs[counter.Low]}
                                                              << counter.Shift;
                std::memcpy(out, &text, sizeof text);
                out += counter.Length;
                std::memcpy(out, &FSuffix, sizeof FSuffix);
                return out + FSuffixLength;
            }
            return CountAnew(out, record, counter);
        case TKind::Slot: {
            const char* const slot =
                FSlots.data() + static_cast<std::size_t>(DrawBelow(state, FBound)) * 16;
            std::memcpy(out, slot, 16);
            return out + static_cast<unsigned char>(slot[15]);
        }
        case TKind::Number:
            return WriteSmallNumber(out, state);
        default: {
            // The state stays in a register in the callers: only a copy goes out.
            std::uint32_t s = state;
            out = FField->Write(out, record, s);
            state = s;
            std::memcpy(out, &FSuffix, sizeof FSuffix);
            return out + FSuffixLength;
        }
        }
    }

private:
    enum class TKind : std::uint8_t { Field, Slot, Number, Counter };

    /// "00" to "99" as the bytes of 16-bit numbers in memory order.
    static constexpr auto DigitPairs = [] {
        std::array<std::uint16_t, 100> pairs{};
        for (unsigned i = 0; i < 100; ++i) {
            pairs[i] = static_cast<std::uint16_t>((0x30 + i / 10) | (0x30 + i % 10) << 8);
        }
        return pairs;
    }();

    /// "0000" to "9999" as the bytes of 32-bit numbers in memory order: two look-ups make the
    /// eight digits of a number below 10^8 in fewer steps than working them out.
    static constexpr auto FourDigits = [] {
        std::array<std::uint32_t, 10000> digits{};
        for (std::uint32_t i = 0; i < 10000; ++i) {
            digits[i] = (0x30 + i / 1000) | (0x30 + i / 100 % 10) << 8 |
                        (0x30 + i / 10 % 10) << 16 | (0x30 + i % 10) << 24;
        }
        return digits;
    }();

    /// A counter's value written in full (it draws nothing), kept in counter when the next
    /// ones can count on it.
    char* CountAnew(char* out, std::uint64_t record, TCounter& counter) const;

    /// A range of non-negative values of at most eight bytes: the digits, the mark put in by
    /// masks and the leading zeros dropped by a shift, without a branch.
    char* WriteSmallNumber(char* out, std::uint32_t& state) const {
        state = state * RandomMultiplier + RandomIncrement;
        const auto value =
            FLow + static_cast<std::uint32_t>((static_cast<std::uint64_t>(state) * FCount) >> 32);
        const std::uint32_t high = value / 10000u;
        const std::uint64_t digits =
            (FourDigits[high] | std::uint64_t{FourDigits[value - high * 10000u]} << 32) >> FDrop;
        const auto skip = static_cast<unsigned>(std::countr_zero((digits ^ FZeros) | FKeep)) & ~7u;
        const std::uint64_t text =
            ((digits & FHead) | FMarkBits | (digits & ~FHead) << FTailShift) >> skip;
        std::memcpy(out, &text, sizeof text);
        out += 8 - skip / 8;
        std::memcpy(out, &FSuffix, sizeof FSuffix);
        return out + FSuffixLength;
    }
    bool LayOutNumber(const TVxValueField& field);

    TKind FKind = TKind::Field;
    const TVxValueField* FField;
    std::uint64_t FSuffix;
    std::uint8_t FSuffixLength;
    /// Slot: the texts with their suffix in slots of 16 bytes, the length in the last byte,
    /// one slot per draw below FBound.
    std::string FSlots;
    std::uint32_t FBound = 0;
    /// Number: the lowest value and the number of values; the digits' bits dropped in front
    /// (a byte when a mark makes eight digits nine bytes); the bytes of zeros; the bit that
    /// stops the leading zeros before the last one that stays; the bits before the mark, the
    /// mark in its place and the shift of the bits after it (0 and 0 without a mark).
    std::uint32_t FLow = 0;
    std::uint64_t FCount = 0;
    unsigned FDrop = 0;
    std::uint64_t FZeros = 0;
    std::uint64_t FKeep = 0;
    std::uint64_t FHead = ~std::uint64_t{0};
    std::uint64_t FMarkBits = 0;
    unsigned FTailShift = 0;
};
