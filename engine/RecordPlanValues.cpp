// SPDX-License-Identifier: MIT
#include "engine/RecordPlan.h"

void TVxRecordPlan::WriteValues(char* out, std::uint64_t records, std::uint32_t& state,
                                std::uint64_t markEvery, std::vector<std::size_t>& marks,
                                std::uint64_t firstRecord, TWritten& written) const {
    char* p = out;
    std::uint32_t s = state;
    // A counter's text is carried from one record to the next.
    std::vector<TVxValueWriter::TCounter> counters(FValueWriters.size());
    const TVxValueWriter* const writers = FValueWriters.data();
    const std::size_t count = FValueWriters.size();
    // Counted down rather than a division per record.
    std::uint64_t toMark = markEvery;
    std::uint64_t done = written.Records;
    try {
        while (done < records) {
            std::uint32_t t = s;
            char* q = p;
            const std::uint64_t record = firstRecord + done;
            for (std::size_t i = 0; i < count; ++i) {
                q = writers[i].Write(q, record, t, counters[i]);
            }
            p = q;
            s = t;
            ++done;
            if (--toMark == 0) {
                marks.push_back(static_cast<std::size_t>(p - out));
                toMark = markEvery;
            }
        }
    } catch (...) {
        written.Error = std::current_exception();
    }
    written.Records = done;
    written.Bytes = static_cast<std::size_t>(p - out);
    state = s;
}
