// SPDX-License-Identifier: MIT
#include "engine/ValueWriter.h"

#include <algorithm>

TVxValueWriter::TVxValueWriter(const TVxValueField& field, std::uint64_t suffix,
                               std::uint8_t suffixLength)
    : FField(&field), FSuffix(suffix), FSuffixLength(suffixLength) {
    std::string suffixText(suffixLength, '\0');
    std::memcpy(suffixText.data(), &suffix, suffixLength);
    if (field.SlotsOfDraws(suffixText, FSlots, FBound)) {
        FKind = TKind::Slot;
    } else if (LayOutNumber(field)) {
        FKind = TKind::Number;
    } else if (field.Type() == ttCounter) {
        FKind = TKind::Counter;
    }
}

char* TVxValueWriter::CountAnew(char* out, std::uint64_t record, TCounter& counter) const {
    std::uint32_t unused = 0;
    char* const end = FField->Write(out, record, unused);
    const auto length = static_cast<std::size_t>(end - out);
    const auto value =
        static_cast<std::int64_t>(static_cast<std::uint64_t>(FField->Low()) + record);
    counter.Next = ~std::uint64_t{0};
    if (value >= 0 && length >= 2 && length <= sizeof counter.Text) {
        // Read back from the text just written, once: the next records up to the next
        // hundred need none. Its last two digits are those of the value, padded or not.
        counter.Text = 0;
        std::memcpy(&counter.Text, out, length - 2);
        counter.Shift = static_cast<unsigned>(8 * (length - 2));
        counter.Length = static_cast<std::uint8_t>(length);
        counter.Low = static_cast<std::uint8_t>(value % 100);
        counter.Next = record + 1;
    }
    std::memcpy(end, &FSuffix, sizeof FSuffix);
    return end + FSuffixLength;
}

bool TVxValueWriter::LayOutNumber(const TVxValueField& field) {
    const unsigned fraction = field.Fraction();
    // Eight bytes hold eight digits, or seven and the mark.
    const std::uint64_t limit = fraction > 0 ? 10000000u : 100000000u;
    if (field.Type() != ttRange || field.Draws() != 1 || field.Low() < 0 || fraction > 6 ||
        field.Width() > 8 || static_cast<std::uint64_t>(field.Low()) + field.Count() > limit) {
        return false;
    }
    FLow = static_cast<std::uint32_t>(field.Low());
    FCount = field.Count();
    const unsigned whole = 8 - (fraction > 0 ? 1 : 0) - fraction;
    // Leading zeros go up to the last whole digit, and not into the width's padding.
    unsigned keep = whole - 1;
    if (field.Width() > 0) {
        keep = std::min(keep, 8 - static_cast<unsigned>(field.Width()));
    }
    FKeep = std::uint64_t{1} << (8 * keep);
    if (fraction > 0) {
        FDrop = 8;
        FZeros = 0x0030303030303030u;
        FHead = (std::uint64_t{1} << (8 * whole)) - 1;
        FMarkBits = std::uint64_t{static_cast<unsigned char>(field.Mark())} << (8 * whole);
        FTailShift = 8;
    } else {
        FZeros = 0x3030303030303030u;
    }
    return true;
}
