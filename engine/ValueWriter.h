// SPDX-License-Identifier: MIT
#pragma once

#include "engine/RandomSource.h"
#include "engine/ValueField.h"
#include "engine/VectorLanes.h"

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
/// small range is made of its digits in one register. For records made only of such values,
/// a batch of each field's values is made ahead as entries of 16 bytes, numbers and draws
/// eight at a time with vector instructions. Every other field goes through the field's own
/// writer; the bytes and draws are the same either way.
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

    /// The bytes of an entry that MakeAhead makes: a value and the suffix after it, with
    /// their length in the last byte.
    static constexpr std::size_t EntryBytes = 16;
    /// Whether MakeAhead can make the field's values in the count records from record
    /// first: a list or file in slots, a small range, or a counter whose values there are
    /// whole numbers of at most eight digits; each with a suffix that fits the entry.
    bool WritesAhead(std::uint64_t first, std::uint64_t count) const;
    /// Makes the entries of the field's values in count records from record (a multiple of
    /// eight of them, one entry each): state is the state before the field's draw in that
    /// record, and jump takes it to the next record's. With vector, by the vector writers.
    /// The same bytes and draws as Write.
    void MakeAhead(char* entries, std::size_t count, std::uint64_t record, std::uint32_t state,
                   TVxJump jump, bool vector) const;

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

    /// DigitPairs moved to each place of the last two digits of a text of two to eight bytes
    /// (row length - 2), so that a hundred counted values are copies the compiler can widen.
    static constexpr auto PlacedPairs = [] {
        std::array<std::array<std::uint64_t, 100>, 7> placed{};
        for (unsigned row = 0; row < 7; ++row) {
            for (unsigned i = 0; i < 100; ++i) {
                placed[row][i] = std::uint64_t{DigitPairs[i]} << (8 * row);
            }
        }
        return placed;
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

    /// The text of a number from 0 to 10^8 - 1 laid out by FNumber, and the bytes in it: the
    /// digits, the mark put in by masks and the leading zeros dropped by a shift, without a
    /// branch.
    std::uint64_t NumberText(std::uint32_t value, unsigned& length) const {
        const std::uint32_t high = value / 10000u;
        const std::uint64_t digits =
            (FourDigits[high] | std::uint64_t{FourDigits[value - high * 10000u]} << 32) >>
            FNumber.Drop;
        const auto skip =
            static_cast<unsigned>(std::countr_zero((digits ^ FNumber.Zeros) | FNumber.Keep)) & ~7u;
        length = 8 - skip / 8;
        return ((digits & FNumber.Head) | FNumber.MarkBits |
                (digits & ~FNumber.Head) << FNumber.TailShift) >>
               skip;
    }
    /// A number of a small range, drawn from state.
    std::uint32_t DrawNumber(std::uint32_t& state) const {
        state = state * RandomMultiplier + RandomIncrement;
        return FNumber.Low + static_cast<std::uint32_t>(
                                 (static_cast<std::uint64_t>(state) * FNumber.Count) >> 32);
    }
    /// Writes a number of a small range, drawn from state, and the suffix at out.
    char* WriteSmallNumber(char* out, std::uint32_t& state) const {
        unsigned length = 0;
        const std::uint64_t text = NumberText(DrawNumber(state), length);
        std::memcpy(out, &text, sizeof text);
        out += length;
        std::memcpy(out, &FSuffix, sizeof FSuffix);
        return out + FSuffixLength;
    }
    bool LayOutNumber(const TVxValueField& field);
    /// MakeAhead for a counter: the entries of count values from value on.
    void MakeCounts(char* entries, std::size_t count, std::uint32_t value) const;
    /// Puts a text of length bytes and the suffix into an entry.
    void PutEntry(char* entry, std::uint64_t text, unsigned length) const {
        const std::uint64_t first = text | (length < 8 ? FSuffix << (8 * length) : 0);
        const std::uint64_t second =
            FSuffix >> (64 - 8 * length) | std::uint64_t{length + FSuffixLength} << 56;
        std::memcpy(entry, &first, sizeof first);
        std::memcpy(entry + 8, &second, sizeof second);
    }
    /// Lays out FNumber's digits for fraction digits after mark and a width (0: none).
    void LayOutDigits(unsigned fraction, char mark, std::size_t width);

    TKind FKind = TKind::Field;
    const TVxValueField* FField;
    std::uint64_t FSuffix;
    std::uint8_t FSuffixLength;
    /// Slot: the texts with their suffix in slots of 16 bytes, the length in the last byte,
    /// one slot per draw below FBound.
    std::string FSlots;
    std::uint32_t FBound = 0;
    /// Number, and a counter of at most eight digits: how its numbers are written.
    TVxNumberLayout FNumber;
};
