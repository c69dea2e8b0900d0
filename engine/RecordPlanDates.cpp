// SPDX-License-Identifier: MIT
// The record plan's dates: their tables of texts, their draws, and the search for a date
// that cannot be encoded.
#include "engine/RecordPlan.h"

#include "engine/Dates.h"

#include <algorithm>
#include <cstring>

namespace {

/// A date range gets a table of its texts when it takes at most this many bytes (352 years
/// of dates of up to 16 bytes). Building it costs about as much as writing its dates once.
constexpr std::uint64_t MaxTableBytes = 2 << 20;

} // namespace

void TVxRecordPlan::BuildDateTable(TOp& op) {
    const std::int64_t years = std::max<std::uint32_t>(op.Bound, 1);
    const std::size_t stride = (FDateFormat->MaxWidth() + 15) / 16 * 16;
    if (op.Low < 1 || op.Low + years - 1 > 9999 ||
        static_cast<std::uint64_t>(years) * 12 * 31 * stride > MaxTableBytes ||
        FDateFormat->MaxWidth() > 255) {
        return;
    }
    TDateTable table;
    table.Low = op.Low;
    table.Stride = stride;
    const auto entries = static_cast<std::size_t>(years) * 12 * 31;
    table.Texts.assign(entries * stride, '\0');
    table.Lengths.assign(entries, 0);
    table.Days.assign(static_cast<std::size_t>(years) * 12, 0);
    for (std::int64_t y = 0; y < years; ++y) {
        const int year = static_cast<int>(op.Low + y);
        for (int month = 1; month <= 12; ++month) {
            const int days = DaysInMonth(year, month);
            table.Days[static_cast<std::size_t>(y * 12 + month - 1)] =
                static_cast<std::uint8_t>(days);
            for (int day = 1; day <= days; ++day) {
                const auto entry = static_cast<std::size_t>((y * 12 + month - 1) * 31 + day - 1);
                char* const text = table.Texts.data() + entry * stride;
                table.Lengths[entry] =
                    static_cast<std::uint8_t>(FDateFormat->Write(text, year, month, day) - text);
            }
        }
    }
    op.Table = static_cast<std::int32_t>(FDateTables.size());
    FDateTables.push_back(std::move(table));
}

void TVxRecordPlan::DrawDate(const TOp& op, std::uint32_t& state, int& year, int& month,
                             int& day) const {
    const TVxThreeStates s = TakeThreeStates(state);
    const std::int64_t drawn =
        op.Low + static_cast<std::int64_t>((static_cast<std::uint64_t>(s.First) * op.Bound) >> 32);
    // The calendar takes the year as an unsigned 16-bit number.
    year = static_cast<std::uint16_t>(drawn);
    month = static_cast<int>((static_cast<std::uint64_t>(s.Second) * 12) >> 32) + 1;
    const auto days = static_cast<std::uint32_t>(DaysInMonth(year, month));
    day = static_cast<int>((static_cast<std::uint64_t>(s.Third) * days) >> 32) + 1;
    if (year < 1 || year > 9999) {
        CheckEncodeDate(year, month, day);
    }
}

char* TVxRecordPlan::WriteDate(const TOp& op, char* out, std::uint32_t& state) const {
    if (op.Table < 0) {
        int year = 0;
        int month = 0;
        int day = 0;
        DrawDate(op, state, year, month, day);
        return FDateFormat->Write(out, year, month, day);
    }
    // Whole blocks of 16 bytes are copied: the room after the record takes what is past
    // the date's end, and the next bytes written overwrite it.
    const TDateTable& table = FDateTables[static_cast<std::size_t>(op.Table)];
    const std::size_t entry = TableEntry(table, op.Bound, state);
    const char* const text = table.Texts.data() + entry * table.Stride;
    const std::size_t length = table.Lengths[entry];
    for (std::size_t i = 0; i < length; i += 16) {
        std::memcpy(out + i, text + i, 16);
    }
    return out + length;
}

const char* TVxRecordPlan::DateText(const TOp& op, std::uint32_t& state, char* scratch) const {
    if (op.Table >= 0) {
        return TableText(op, state);
    }
    int year = 0;
    int month = 0;
    int day = 0;
    DrawDate(op, state, year, month, day);
    FDateFormat->Write(scratch, year, month, day);
    return scratch;
}

std::uint64_t TVxRecordPlan::FirstFailure(std::uint32_t state, std::uint64_t records) const {
    struct TYearDraw {
        TVxJump Jump;
        std::int64_t Low;
        std::uint32_t Bound;
    };
    std::vector<TYearDraw> risky;
    for (const TOp& op : FOps) {
        // The years drawn are the low 16 bits of Low to Low + span - 1; a range that stays
        // within 1 to 9999 there never fails. Any other holds a year that fails, at least
        // one in 65536, so the search below ends soon when it does not reach records.
        const std::int64_t span = std::max<std::uint32_t>(op.Bound, 1);
        const std::int64_t low = op.Low & 0xFFFF;
        if (op.Kind == TOp::Date && (span >= 65536 || low < 1 || low + span - 1 > 9999)) {
            risky.push_back({JumpOf(op.DrawsBefore + 1), op.Low, op.Bound});
        }
    }
    if (risky.empty()) {
        return records;
    }
    const TVxJump next = JumpOf(FDraws);
    for (std::uint64_t i = 0; i < records; ++i) {
        for (const TYearDraw& draw : risky) {
            const std::uint32_t s = draw.Jump(state);
            const auto year = static_cast<std::uint16_t>(
                draw.Low + ((static_cast<std::uint64_t>(s) * draw.Bound) >> 32));
            if (year < 1 || year > 9999) {
                return i;
            }
        }
        state = next(state);
    }
    return records;
}
