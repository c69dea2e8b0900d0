// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

class TVxRndParser;
class TVxRecordPlan;

/// A stretch of produced bytes handed to a sink. Records never straddle two pieces except a
/// record too large for one buffer, which comes in several pieces.
struct TVxPiece {
    const char* Data = nullptr;
    std::size_t Size = 0;
    /// Records that end within this piece.
    std::uint64_t Records = 0;
    /// Bytes from Data up to the end of the last record that ends within this piece; equals
    /// Size when the piece ends on a record boundary, and is 0 when no record ends in it.
    std::size_t WholeSize = 0;
};

/// Produces the records of a parsed definition into large buffers, in order, on one or more
/// threads. Both programs use it: they only choose where the bytes go. Record i of a run
/// (from 0) starts from the random state that the run's seed reaches after i records, so any
/// stretch of a run can be produced on its own and gives the same bytes as the whole run.
class TVxProducer {
public:
    /// Receives each piece in order, on the thread that called Run; false stops production
    /// after that piece.
    using TSink = std::function<bool(const TVxPiece&)>;
    /// Starts a thread that runs body; raises std::system_error when the system has no
    /// thread to give (a process limit, too little memory for its stack).
    using TThreadStarter = std::function<std::thread(std::function<void()> body)>;
    /// Told, on the calling thread before any record is handed over, that only started of
    /// the wanted worker threads could start and that the run goes on running threads.
    using TFewerThreads = std::function<void(unsigned wanted, unsigned started, unsigned running)>;

    /// The parser must outlive the producer and stay unchanged while it runs.
    TVxProducer(const TVxRndParser& parser, bool toFile);

    /// Threads that produce records: 1 produces on the calling thread alone; 0 means the
    /// processors this process may use. At most 64 workers are started, and never more
    /// than there are buffers of records to fill.
    void SetThreads(unsigned threads);
    /// At most this many records in one piece (0: as many as fill a buffer). The window
    /// program asks for 100 so that it can look at its events between pieces.
    void SetRecordsPerPiece(std::uint64_t records);
    /// Bytes of records in one buffer (default 1 MiB, at least one record always fits).
    /// Each thread fills a few buffers, so this sets the memory a run takes.
    void SetBufferBytes(std::size_t bytes);
    /// How worker threads are started (std::thread unless tests make it fail).
    void SetThreadStarter(TThreadStarter starter);
    /// Called when a run cannot start all the threads it wants.
    void SetOnFewerThreads(TFewerThreads notice);
    /// The threads that produced the records of the last run: its workers that started,
    /// or 1 when it ran on the calling thread.
    unsigned ThreadsStarted() const { return FThreadsStarted; }

    /// Produces records first to first + count - 1 of the run whose record 0 starts at state
    /// seed, and hands them to sink; a counter field counts from record first. Values that
    /// would outgrow their width in these records are refused before any is produced. Returns the
    /// number of whole records handed over. An engine failure in a record (a date that cannot be
    /// encoded) is raised after every record before it has been handed over, and nothing of the
    /// failing record; a failure in a record before first is raised at once, as the whole run would
    /// have stopped there (only the year draws of dates that can fail are looked at to find it).
    /// Afterwards Seed holds the state after the last record handed over (at a failure
    /// before first, the state at the failing record).
    std::uint64_t Run(std::uint32_t seed, std::uint64_t first, std::uint64_t count,
                      const TSink& sink);

    /// The processors this process may run on (its affinity mask), at least 1.
    static unsigned UsableProcessors();

private:
    /// Produces records too large to be held whole, in parts through one buffer on the
    /// calling thread, from the state at the first one (record first of the run); counts the whole
    /// records handed over in delivered as they go, so that it is right when a failure ends the
    /// run. Pieces that end inside a record have a WholeSize short of their Size.
    void RunInParts(const TVxRecordPlan& plan, std::uint32_t state, std::uint64_t first,
                    std::uint64_t count, const TSink& sink, std::uint64_t& delivered);

    /// Produces compact records on the calling thread alone, chunkRecords at a time, from
    /// the state at the first one (record first of the run); counts the records handed over
    /// in delivered.
    void RunSerial(const TVxRecordPlan& plan, std::uint32_t state, std::uint64_t first,
                   std::uint64_t count, std::uint64_t chunkRecords, const TSink& sink,
                   std::uint64_t& delivered) const;

    const TVxRndParser& FParser;
    bool FToFile;
    unsigned FThreads = 1;
    std::uint64_t FRecordsPerPiece = 0;
    std::size_t FBufferBytes = std::size_t{1} << 20;
    TThreadStarter FThreadStarter;
    TFewerThreads FOnFewerThreads;
    unsigned FThreadsStarted = 1;
};
