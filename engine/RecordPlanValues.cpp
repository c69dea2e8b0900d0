// SPDX-License-Identifier: MIT
#include "engine/RecordPlan.h"

#include <algorithm>
#include <array>

namespace {

/// Records whose numbers are made ahead at once: a multiple of eight, and few enough that
/// their texts stay in the fastest cache until they are written.
constexpr std::uint64_t BatchRecords = 128;
/// Each field's texts and then their lengths for a batch of records.
constexpr std::uint64_t FieldStride = 2 * BatchRecords;

/// The records of one batch: their fields' writers and the values made ahead for them.
struct TBatch {
    const TVxValueWriter* Writers;
    std::size_t Fields;
    const std::uint64_t* Made;
    std::uint64_t Records;
};

/// What goes on from one batch to the next: the place in the buffer, the state, the records
/// to the next mark; and the marks of the batch, gathered in an array first because a call
/// in the record loop would take its registers.
struct TCarried {
    char* Out;
    char* Place;
    std::uint32_t State;
    std::uint64_t MarkEvery;
    std::uint64_t ToMark;
    std::size_t Marked = 0;
    std::array<std::size_t, BatchRecords> Marks{};
};

/// Writes the records of a batch. The loop over the fields is unrolled for Fields of them
/// (0: any number, as the batch has).
template <std::size_t Fields> void WriteBatch(const TBatch& batch, TCarried& carried) {
    // Copies that the stores into the buffer cannot change, so they stay in registers.
    const std::size_t fields = Fields != 0 ? Fields : batch.Fields;
    const TVxValueWriter* const writers = batch.Writers;
    const std::uint64_t* const made = batch.Made;
    const std::uint64_t records = batch.Records;
    char* p = carried.Place;
    std::uint32_t s = carried.State;
    std::uint64_t toMark = carried.ToMark;
    std::size_t marked = 0;
    for (std::uint64_t at = 0; at < records; ++at) {
        const std::uint64_t* text = made + at;
        for (std::size_t i = 0; i < fields; ++i, text += FieldStride) {
            p = writers[i].WriteAhead(p, s, text, text + BatchRecords);
        }
        if (--toMark == 0) {
            carried.Marks[marked++] = static_cast<std::size_t>(p - carried.Out);
            toMark = carried.MarkEvery;
        }
    }
    carried.Place = p;
    carried.State = s;
    carried.ToMark = toMark;
    carried.Marked = marked;
}

constexpr std::array WriteBatchOf = {&WriteBatch<0>, &WriteBatch<1>, &WriteBatch<2>, &WriteBatch<3>,
                                     &WriteBatch<4>, &WriteBatch<5>, &WriteBatch<6>};

} // namespace

bool TVxRecordPlan::WritesAhead(std::uint64_t firstRecord, std::uint64_t records) const {
    return FAllValues && std::all_of(FValueWriters.begin(), FValueWriters.end(),
                                     [&](const TVxValueWriter& writer) {
                                         return writer.WritesAhead(firstRecord, records);
                                     });
}

void TVxRecordPlan::WriteValues(char* out, std::uint64_t records, std::uint32_t& state,
                                std::uint64_t markEvery, std::vector<std::size_t>& marks,
                                std::uint64_t firstRecord, TWritten& written) const {
    const std::size_t count = FValueWriters.size();
    // Numbers and counters are made ahead for a batch of records, eight at a time; a list or
    // file draws as it is written. The record loop then holds no call, and its state and
    // place stay in registers.
    std::vector<std::uint64_t> made(count * FieldStride);
    // Each field's first draw from its record's state.
    std::vector<TVxJump> toDraw(count);
    std::uint64_t drawsBefore = 0;
    for (std::size_t i = 0; i < count; ++i) {
        toDraw[i] = JumpOf(drawsBefore);
        drawsBefore += FSteps[i].Draws;
    }
    const TVxJump nextRecord = JumpOf(FDraws);
    const bool vector = UseVectorWriters();
    const auto writeBatch = WriteBatchOf[count < WriteBatchOf.size() ? count : 0];

    // Counted down rather than a division per record.
    TCarried carried{out, out, state, markEvery, markEvery, 0, {}};
    for (std::uint64_t done = 0; done < records;) {
        const std::uint64_t batch = std::min(BatchRecords, records - done);
        for (std::size_t i = 0; i < count; ++i) {
            FValueWriters[i].MakeAhead(
                made.data() + i * FieldStride, made.data() + i * FieldStride + BatchRecords,
                static_cast<std::size_t>((batch + 7) / 8 * 8), firstRecord + done,
                toDraw[i](carried.State), nextRecord, vector);
        }
        writeBatch(TBatch{FValueWriters.data(), count, made.data(), batch}, carried);
        marks.insert(marks.end(), carried.Marks.begin(), carried.Marks.begin() + carried.Marked);
        done += batch;
    }
    written.Records = records;
    written.Bytes = static_cast<std::size_t>(carried.Place - out);
    state = carried.State;
}
