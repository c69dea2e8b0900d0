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
    const TVxValueWriter* const writers = FValueWriters.data();
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

    char* p = out;
    std::uint32_t s = state;
    // Counted down rather than a division per record. The marks of a batch are gathered in
    // an array first: a call in the record loop would take its registers.
    std::uint64_t toMark = markEvery;
    std::array<std::size_t, BatchRecords> batchMarks;
    std::size_t marked = 0;
    // The loop over the fields is unrolled for up to six of them (Fields, 0: any number).
    const auto writeBatch = [&]<std::size_t Fields>(std::uint64_t batch) {
        const std::size_t fields = Fields != 0 ? Fields : count;
        for (std::uint64_t at = 0; at < batch; ++at) {
            std::uint32_t t = s;
            char* q = p;
            const std::uint64_t* text = made.data() + at;
            for (std::size_t i = 0; i < fields; ++i, text += FieldStride) {
                q = writers[i].WriteAhead(q, t, text, text + BatchRecords);
            }
            p = q;
            s = t;
            if (--toMark == 0) {
                batchMarks[marked++] = static_cast<std::size_t>(p - out);
                toMark = markEvery;
            }
        }
    };
    for (std::uint64_t done = 0; done < records;) {
        const std::uint64_t batch = std::min(BatchRecords, records - done);
        for (std::size_t i = 0; i < count; ++i) {
            writers[i].MakeAhead(made.data() + i * FieldStride,
                                 made.data() + i * FieldStride + BatchRecords,
                                 static_cast<std::size_t>((batch + 7) / 8 * 8), firstRecord + done,
                                 toDraw[i](s), nextRecord, vector);
        }
        marked = 0;
        switch (count) {
        case 1:
            writeBatch.operator()<1>(batch);
            break;
        case 2:
            writeBatch.operator()<2>(batch);
            break;
        case 3:
            writeBatch.operator()<3>(batch);
            break;
        case 4:
            writeBatch.operator()<4>(batch);
            break;
        case 5:
            writeBatch.operator()<5>(batch);
            break;
        case 6:
            writeBatch.operator()<6>(batch);
            break;
        default:
            writeBatch.operator()<0>(batch);
            break;
        }
        marks.insert(marks.end(), batchMarks.begin(), batchMarks.begin() + marked);
        done += batch;
    }
    written.Records = records;
    written.Bytes = static_cast<std::size_t>(p - out);
    state = s;
}
