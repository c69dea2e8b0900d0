// SPDX-License-Identifier: MIT
#include "engine/Producer.h"

#include "engine/CommandLanguage.h"
#include "engine/Dates.h"
#include "engine/RandomSource.h"
#include "engine/RecordPlan.h"

#include <sched.h>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

/// The most bytes a buffer grows to so that it holds the records of one piece; beyond it,
/// pieces end when the buffer is full, still on a record boundary.
constexpr std::uint64_t MaxPieceBytes = std::uint64_t{16} << 20;
/// The most worker threads of a run, whatever is asked for: each holds a few buffers.
constexpr unsigned MaxWorkers = 64;
/// Buffers per worker thread: one being filled while the other waits to be handed over.
constexpr std::uint64_t SlotsPerWorker = 2;

/// Hands the records of one filled buffer to the sink, in pieces that end every
/// recordsPerPiece records (at the marks) and at the end of the buffer. Counts the records
/// handed over in delivered; false when the sink asked to stop.
bool Deliver(const TVxProducer::TSink& sink, const char* data, std::size_t bytes,
             std::uint64_t records, const std::vector<std::size_t>& marks,
             std::uint64_t recordsPerPiece, std::uint64_t& delivered) {
    std::size_t from = 0;
    std::uint64_t handed = 0;
    for (const std::size_t mark : marks) {
        if (handed + recordsPerPiece > records) {
            break;
        }
        handed += recordsPerPiece;
        delivered += recordsPerPiece;
        if (!sink(TVxPiece{data + from, mark - from, recordsPerPiece, mark - from})) {
            return false;
        }
        from = mark;
    }
    if (handed < records) {
        delivered += records - handed;
        return sink(TVxPiece{data + from, bytes - from, records - handed, bytes - from});
    }
    return true;
}

/// A buffer of records produced by a worker and waiting to be handed over.
struct TSlot {
    std::vector<char> Data;
    std::vector<std::size_t> Marks;
    TVxRecordPlan::TWritten Written;
    bool Ready = false;
};

/// The workers of one parallel run and what they share. Chunk c (records c * ChunkRecords
/// on) is produced by worker c % Workers into its slot (c / Workers) % SlotsPerWorker, once
/// the chunk that slot held before has been handed over.
class TParallelRun {
public:
    TParallelRun(const TVxRecordPlan& plan, std::uint32_t seed, std::uint64_t first,
                 std::uint64_t count, std::uint64_t chunkRecords, std::uint64_t recordsPerPiece,
                 unsigned workers)
        : FPlan(plan), FSeed(seed), FFirst(first), FCount(count), FChunkRecords(chunkRecords),
          FRecordsPerPiece(recordsPerPiece), FWorkers(workers),
          FChunks((count + chunkRecords - 1) / chunkRecords),
          FSlots(std::size_t{workers} * SlotsPerWorker) {
        const std::size_t bytes = static_cast<std::size_t>(chunkRecords * plan.MaxRecordBytes()) +
                                  TVxRecordPlan::WriteSlack;
        for (TSlot& slot : FSlots) {
            slot.Data.resize(bytes);
            if (recordsPerPiece != 0) {
                slot.Marks.reserve(static_cast<std::size_t>(chunkRecords / recordsPerPiece));
            }
        }
    }
    TParallelRun(const TParallelRun&) = delete;
    TParallelRun& operator=(const TParallelRun&) = delete;

    /// Stops and joins the workers on every way out, the sink's exceptions included.
    ~TParallelRun() {
        {
            const std::lock_guard lock(FMutex);
            FStop = true;
        }
        FChanged.notify_all();
        for (std::thread& thread : FThreads) {
            thread.join();
        }
    }

    /// Starts as many of the workers as the system lets it and shares the chunks among
    /// those; returns their number, 0 when none could start.
    unsigned Start(const TVxProducer::TThreadStarter& starter) {
        FThreads.reserve(FWorkers);
        for (unsigned w = 0; w < FWorkers; ++w) {
            try {
                FThreads.push_back(starter([this, w] { Work(w); }));
            } catch (const std::system_error&) {
                break;
            }
        }
        {
            const std::lock_guard lock(FMutex);
            FWorkers = static_cast<unsigned>(FThreads.size());
            FStarted = true;
        }
        FChanged.notify_all();
        return FWorkers;
    }

    /// Hands every chunk over in order, counting the records in delivered as they go (so
    /// that it is right when a failed record or the sink's own exception ends the run). A
    /// failed record is raised after the records before it.
    void Run(const TVxProducer::TSink& sink, std::uint64_t& delivered) {
        for (std::uint64_t c = 0; c < FChunks; ++c) {
            TSlot& slot = SlotOf(c);
            {
                std::unique_lock lock(FMutex);
                FChanged.wait(lock, [&] { return slot.Ready; });
            }
            const bool goOn =
                Deliver(sink, slot.Data.data(), slot.Written.Bytes, slot.Written.Records,
                        slot.Marks, FRecordsPerPiece, delivered);
            if (!goOn) {
                return;
            }
            if (slot.Written.Error) {
                std::rethrow_exception(slot.Written.Error);
            }
            {
                const std::lock_guard lock(FMutex);
                slot.Ready = false;
                FConsumed = c + 1;
            }
            FChanged.notify_all();
        }
    }

private:
    TSlot& SlotOf(std::uint64_t chunk) {
        return FSlots[static_cast<std::size_t>(chunk % FWorkers +
                                               chunk / FWorkers % SlotsPerWorker * FWorkers)];
    }

    void Work(unsigned worker) {
        {
            // The chunks are shared out among the workers that started, known only then.
            std::unique_lock lock(FMutex);
            FChanged.wait(lock, [&] { return FStarted || FStop; });
            if (FStop) {
                return;
            }
        }
        for (std::uint64_t c = worker; c < FChunks; c += FWorkers) {
            TSlot& slot = SlotOf(c);
            {
                std::unique_lock lock(FMutex);
                FChanged.wait(lock,
                              [&] { return FStop || c < FConsumed + FWorkers * SlotsPerWorker; });
                // A chunk after one that failed is never handed over.
                if (FStop || c > FFailed) {
                    return;
                }
            }
            const std::uint64_t record = FFirst + c * FChunkRecords;
            std::uint32_t state = JumpAhead(FSeed, record * FPlan.Draws());
            slot.Marks.clear();
            slot.Written = FPlan.WriteRecords(slot.Data.data(),
                                              std::min(FChunkRecords, FCount - c * FChunkRecords),
                                              state, FRecordsPerPiece, slot.Marks, record);
            {
                const std::lock_guard lock(FMutex);
                slot.Ready = true;
                if (slot.Written.Error) {
                    FFailed = std::min(FFailed, c);
                }
            }
            FChanged.notify_all();
        }
    }

    const TVxRecordPlan& FPlan;
    const std::uint32_t FSeed;
    const std::uint64_t FFirst;
    const std::uint64_t FCount;
    const std::uint64_t FChunkRecords;
    const std::uint64_t FRecordsPerPiece;
    unsigned FWorkers;
    const std::uint64_t FChunks;
    std::vector<TSlot> FSlots;
    std::vector<std::thread> FThreads;
    std::mutex FMutex;
    std::condition_variable FChanged;
    bool FStop = false;
    bool FStarted = false;
    std::uint64_t FConsumed = 0;
    std::uint64_t FFailed = UINT64_MAX;
};

} // namespace

unsigned TVxProducer::UsableProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        const int count = CPU_COUNT(&set);
        if (count > 0) {
            return static_cast<unsigned>(count);
        }
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

TVxProducer::TVxProducer(const TVxRndParser& parser, bool toFile)
    : FParser(parser), FToFile(toFile),
      FThreadStarter([](std::function<void()> body) { return std::thread(std::move(body)); }) {}

void TVxProducer::SetThreadStarter(TThreadStarter starter) {
    FThreadStarter = std::move(starter);
}

void TVxProducer::SetOnFewerThreads(TFewerThreads notice) {
    FOnFewerThreads = std::move(notice);
}

void TVxProducer::SetThreads(unsigned threads) {
    FThreads = threads;
}

void TVxProducer::SetRecordsPerPiece(std::uint64_t records) {
    FRecordsPerPiece = records;
}

void TVxProducer::SetBufferBytes(std::size_t bytes) {
    FBufferBytes = std::max<std::size_t>(bytes, 1);
}

std::uint64_t TVxProducer::Run(std::uint32_t seed, std::uint64_t first, std::uint64_t count,
                               const TSink& sink) {
    const TVxRecordPlan plan(FParser, FToFile);
    FThreadsStarted = 1;
    std::uint64_t delivered = 0;
    // Whatever way Run ends, Seed is the state after the last record handed over.
    std::uint64_t base = first;
    struct TSeedAfter {
        const TVxRecordPlan& Plan;
        std::uint32_t Seed;
        const std::uint64_t& Base;
        const std::uint64_t& Delivered;
        ~TSeedAfter() { ::Seed = JumpAhead(Seed, (Base + Delivered) * Plan.Draws()); }
    } seedAfter{plan, seed, base, delivered};
    plan.CheckRecords(first, count);

    // The whole run would have stopped at a failing record before first, so a stretch
    // after it has nothing to give but that failure.
    const std::uint64_t failed = plan.FirstFailure(seed, first);
    if (failed < first) {
        base = failed;
        CheckEncodeDate(0, 1, 1);
    }
    if (count == 0) {
        return 0;
    }
    if (!plan.Compact()) {
        RunInParts(plan, JumpAhead(seed, first * plan.Draws()), first, count, sink, delivered);
        return delivered;
    }

    // A chunk fills about one buffer; with pieces of a set number of records it holds a
    // whole number of them, so that pieces end on multiples of it throughout the run.
    std::uint64_t chunkRecords = std::max<std::uint64_t>(
        1, FBufferBytes / std::max<std::uint64_t>(plan.MaxRecordBytes(), 1));
    if (FRecordsPerPiece != 0 && chunkRecords >= FRecordsPerPiece) {
        chunkRecords -= chunkRecords % FRecordsPerPiece;
    } else if (FRecordsPerPiece != 0 &&
               FRecordsPerPiece <=
                   MaxPieceBytes / std::max<std::uint64_t>(plan.MaxRecordBytes(), 1)) {
        // Pieces of large records: the buffer grows to hold one piece.
        chunkRecords = FRecordsPerPiece;
    }
    const std::uint64_t chunks = (count + chunkRecords - 1) / chunkRecords;
    const unsigned threads = std::min(FThreads == 0 ? UsableProcessors() : FThreads, MaxWorkers);
    if (threads > 1 && chunks > 1) {
        const auto wanted = static_cast<unsigned>(std::min<std::uint64_t>(threads, chunks));
        TParallelRun run(plan, seed, first, count, chunkRecords, FRecordsPerPiece, wanted);
        const unsigned started = run.Start(FThreadStarter);
        // The bytes do not depend on the threads, so a run goes on with those that started,
        // or on the calling thread alone.
        FThreadsStarted = std::max(started, 1u);
        if (started < wanted && FOnFewerThreads) {
            FOnFewerThreads(wanted, started, FThreadsStarted);
        }
        if (started > 0) {
            run.Run(sink, delivered);
            return delivered;
        }
    }
    RunSerial(plan, JumpAhead(seed, first * plan.Draws()), first, count, chunkRecords, sink,
              delivered);
    return delivered;
}

void TVxProducer::RunSerial(const TVxRecordPlan& plan, std::uint32_t state, std::uint64_t first,
                            std::uint64_t count, std::uint64_t chunkRecords, const TSink& sink,
                            std::uint64_t& delivered) const {
    std::vector<char> buffer(static_cast<std::size_t>(
        std::min(chunkRecords, count) * plan.MaxRecordBytes() + TVxRecordPlan::WriteSlack));
    std::vector<std::size_t> marks;
    for (std::uint64_t done = 0; done < count;) {
        marks.clear();
        const TVxRecordPlan::TWritten written =
            plan.WriteRecords(buffer.data(), std::min(chunkRecords, count - done), state,
                              FRecordsPerPiece, marks, first + done);
        if (!Deliver(sink, buffer.data(), written.Bytes, written.Records, marks, FRecordsPerPiece,
                     delivered)) {
            return;
        }
        if (written.Error) {
            std::rethrow_exception(written.Error);
        }
        done += written.Records;
    }
}

void TVxProducer::RunInParts(const TVxRecordPlan& plan, std::uint32_t state, std::uint64_t first,
                             std::uint64_t count, const TSink& sink, std::uint64_t& delivered) {
    std::vector<char> buffer(FBufferBytes);
    char* const begin = buffer.data();
    char* const end = begin + buffer.size();
    char* out = begin;
    TVxRecordPlan::TCursor cursor;
    cursor.Record = first;
    std::uint64_t done = 0;
    std::uint64_t whole = 0;
    std::size_t wholeSize = 0;
    const auto flush = [&] {
        const TVxPiece piece{begin, static_cast<std::size_t>(out - begin), whole, wholeSize};
        delivered += whole;
        whole = 0;
        wholeSize = 0;
        out = begin;
        return sink(piece);
    };
    while (done < count) {
        // A record may span several pieces, so whether its dates can be encoded is settled
        // from its year draws before any of it is written: nothing of a failing record may
        // reach the sink.
        if (cursor.Op == 0 && cursor.Done == 0 && plan.FirstFailure(state, 1) == 0) {
            if (whole > 0) {
                flush();
            }
            CheckEncodeDate(0, 1, 1);
        }
        bool complete = false;
        try {
            complete = plan.WritePart(cursor, out, end, state);
        } catch (...) {
            // Nothing of the record that is still in the buffer is handed over.
            out = begin + wholeSize;
            if (whole > 0) {
                flush();
            }
            throw;
        }
        if (complete) {
            ++done;
            ++whole;
            wholeSize = static_cast<std::size_t>(out - begin);
            if (done < count && (whole == FRecordsPerPiece || out == end) && !flush()) {
                return;
            }
        } else if (!flush()) {
            return;
        }
    }
    if (out != begin || whole > 0) {
        flush();
    }
}
