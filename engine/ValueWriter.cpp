// SPDX-License-Identifier: MIT
#include "engine/ValueWriter.h"

#include <algorithm>

TVxValueWriter::TVxValueWriter(const TVxValueField& field, std::uint64_t suffix,
                               std::uint8_t suffixLength)
    : FField(&field), FSuffix(suffix), FSuffixLength(suffixLength) {
    std::string suffixText(suffixLength, '\0');
    std::memcpy(suffixText.data(), &suffix, suffixLength);
    FNumber.Suffix = suffix;
    FNumber.SuffixLength = suffixLength;
    if (field.SlotsOfDraws(suffixText, FSlots, FBound)) {
        FKind = TKind::Slot;
    } else if (LayOutNumber(field)) {
        FKind = TKind::Number;
    } else if (field.Type() == ttCounter) {
        FKind = TKind::Counter;
        if (field.Width() <= 8) {
            LayOutDigits(0, '.', field.Width());
        }
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
    FNumber.Low = static_cast<std::uint32_t>(field.Low());
    FNumber.Count = field.Count();
    LayOutDigits(fraction, field.Mark(), field.Width());
    return true;
}

void TVxValueWriter::LayOutDigits(unsigned fraction, char mark, std::size_t width) {
    const unsigned whole = 8 - (fraction > 0 ? 1 : 0) - fraction;
    // Leading zeros go up to the last whole digit, and not into the width's padding.
    unsigned keep = whole - 1;
    if (width > 0) {
        keep = std::min(keep, 8 - static_cast<unsigned>(width));
    }
    FNumber.Keep = std::uint64_t{1} << (8 * keep);
    if (fraction > 0) {
        FNumber.Drop = 8;
        FNumber.Zeros = 0x0030303030303030u;
        FNumber.Head = (std::uint64_t{1} << (8 * whole)) - 1;
        FNumber.MarkBits = std::uint64_t{static_cast<unsigned char>(mark)} << (8 * whole);
        FNumber.TailShift = 8;
    } else {
        FNumber.Zeros = 0x3030303030303030u;
    }
}

bool TVxValueWriter::WritesAhead(std::uint64_t first, std::uint64_t count) const {
    // Eight bytes of number, the suffix and the length fit an entry.
    const bool fits = 8u + FSuffixLength < EntryBytes;
    switch (FKind) {
    case TKind::Slot:
        return true;
    case TKind::Number:
        return fits;
    case TKind::Counter: {
        // The counter's values there, from Low() + first on, and those of the eight records
        // after them that MakeAhead may make, are below 10^8, and the width holds them.
        constexpr std::uint64_t limit = 100000000u - 8;
        const std::int64_t low = FField->Low();
        return fits && low >= 0 && FField->Width() <= 8 && count <= limit &&
               first <= limit - count && static_cast<std::uint64_t>(low) <= limit - count - first;
    }
    default:
        return false;
    }
}

void TVxValueWriter::MakeAhead(char* entries, std::size_t count, std::uint64_t record,
                               std::uint32_t state, TVxJump jump, bool vector) const {
    if (FKind == TKind::Counter) {
        MakeCounts(entries, count,
                   static_cast<std::uint32_t>(static_cast<std::uint64_t>(FField->Low()) + record));
        return;
    }
    const bool slot = FKind == TKind::Slot;
#ifdef TABBIT_HAVE_AVX2_PATH
    if (vector) {
        if (slot) {
            WriteSlotsVector(entries, count, FSlots.data(), FBound, state, jump);
        } else {
            WriteNumbersVector(entries, count, FNumber, state, jump);
        }
        return;
    }
#else
    static_cast<void>(vector);
#endif
    for (std::size_t i = 0; i < count; ++i, entries += EntryBytes) {
        std::uint32_t s = state;
        if (slot) {
            std::memcpy(entries, FSlots.data() + std::size_t{DrawBelow(s, FBound)} * EntryBytes,
                        EntryBytes);
        } else {
            unsigned length = 0;
            const std::uint64_t text = NumberText(DrawNumber(s), length);
            PutEntry(entries, text, length);
        }
        state = jump(state);
    }
}

void TVxValueWriter::MakeCounts(char* entries, std::size_t count, std::uint32_t value) const {
    for (std::size_t i = 0; i < count;) {
        unsigned length = 0;
        const std::uint64_t text = NumberText(value, length);
        const unsigned low = value % 100;
        PutEntry(entries + i * EntryBytes, text, length);
        ++i;
        if (length < 2) {
            ++value;
            continue;
        }
        // Up to the next hundred only the last two digits change: the entries are the one
        // just made with the pair of digits put in.
        std::uint64_t head = 0;
        std::uint64_t second = 0;
        std::memcpy(&head, entries + (i - 1) * EntryBytes, sizeof head);
        std::memcpy(&second, entries + (i - 1) * EntryBytes + 8, sizeof second);
        head &= ~(std::uint64_t{0xFFFF} << (8 * (length - 2)));
        const std::uint64_t* const pairs = PlacedPairs[length - 2].data() + low + 1;
        const std::size_t n = std::min<std::size_t>(count - i, 99 - low);
        for (std::size_t k = 0; k < n; ++k) {
            const std::uint64_t first = head | pairs[k];
            std::memcpy(entries + (i + k) * EntryBytes, &first, sizeof first);
            std::memcpy(entries + (i + k) * EntryBytes + 8, &second, sizeof second);
        }
        i += n;
        value += static_cast<std::uint32_t>(n + 1);
    }
}
