// SPDX-License-Identifier: MIT
#include "engine/RecordPlan.h"

#include <algorithm>
#include <array>

namespace {

/// Records whose values are made ahead at once: a multiple of eight, and few enough that
/// their entries stay in the fastest cache until they are written.
constexpr std::uint64_t BatchRecords = 128;
constexpr std::size_t EntryBytes = TVxValueWriter::EntryBytes;
/// Each field's entries for a batch of records.
constexpr std::size_t FieldStride = BatchRecords * EntryBytes;

/// What goes on from one batch to the next: the place in the buffer and the records to the
/// next mark; and the marks of the batch, gathered in an array first because a call in the
/// record loop would take its registers.
struct TCarried {
    char* Out;
    char* Place;
    std::uint64_t MarkEvery;
    std::uint64_t ToMark;
    std::size_t Marked = 0;
    std::array<std::size_t, BatchRecords> Marks{};
};

/// Writes the records of a batch from their fields' entries: a copy of 16 bytes per value.
/// The loop over the fields is unrolled for Fields of them (0: any number, fieldCount).
template <std::size_t Fields>
void WriteBatch(const char* made, std::size_t fieldCount, std::uint64_t records,
                TCarried& carried) {
    const std::size_t fields = Fields != 0 ? Fields : fieldCount;
    char* p = carried.Place;
    std::uint64_t toMark = carried.ToMark;
    std::size_t marked = 0;
    for (std::uint64_t at = 0; at < records; ++at) {
        const char* entry = made + at * EntryBytes;
        for (std::size_t i = 0; i < fields; ++i, entry += FieldStride) {
            std::memcpy(p, entry, EntryBytes);
            p += static_cast<unsigned char>(entry[EntryBytes - 1]);
        }
        if (--toMark == 0) {
            carried.Marks[marked++] = static_cast<std::size_t>(p - carried.Out);
            toMark = carried.MarkEvery;
        }
    }
    carried.Place = p;
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
    // Every field's values are made ahead for a batch of records, as entries of 16 bytes,
    // eight at a time; the record loop then only copies entries, waits for no draw and
    // holds no call, so its place stays in a register.
    std::vector<char> made(count * FieldStride);
    // Each field's first draw from its record's state.
    std::vector<TVxJump> toDraw(count);
    std::uint64_t drawsBefore = 0;
    for (std::size_t i = 0; i < count; ++i) {
        toDraw[i] = JumpOf(drawsBefore);
        drawsBefore += FSteps[i].Draws;
    }
    const TVxJump nextRecord = JumpOf(FDraws);
    const TVxJump nextBatch = JumpOf(FDraws * BatchRecords);
    const bool vector = UseVectorWriters();
    const auto writeBatch = WriteBatchOf[count < WriteBatchOf.size() ? count : 0];

    std::uint32_t s = state;
    // Counted down rather than a division per record.
    TCarried carried{out, out, markEvery, markEvery, 0, {}};
    for (std::uint64_t done = 0; done < records;) {
        const std::uint64_t batch = std::min(BatchRecords, records - done);
        for (std::size_t i = 0; i < count; ++i) {
            FValueWriters[i].MakeAhead(made.data() + i * FieldStride,
                                       static_cast<std::size_t>((batch + 7) / 8 * 8),
                                       firstRecord + done, toDraw[i](s), nextRecord, vector);
        }
        writeBatch(made.data(), count, batch, carried);
        marks.insert(marks.end(), carried.Marks.begin(), carried.Marks.begin() + carried.Marked);
        s = batch == BatchRecords ? nextBatch(s) : JumpAhead(s, FDraws * batch);
        done += batch;
    }
    written.Records = records;
    written.Bytes = static_cast<std::size_t>(carried.Place - out);
    state = s;
}
