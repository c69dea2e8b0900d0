// SPDX-License-Identifier: MIT
#include "cli/GenRun.h"

#include "cli/Definition.h"
#include "cli/GenParser.h"
#include "cli/Messages.h"
#include "cli/Progress.h"
#include "cli/Utf8.h"
#include "engine/CommandLanguage.h"
#include "engine/Exceptions.h"
#include "engine/Producer.h"
#include "engine/RandomSource.h"
#include "platform/OutFile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <exception>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>
#include <unistd.h>

namespace {

/// The number of the signal that asked the run to stop, or 0.
volatile std::sig_atomic_t StopSignal = 0;

extern "C" void NoteStopSignal(int signal) {
    StopSignal = signal;
}

/// Turns SIGINT, SIGTERM and SIGHUP into a request to stop at the next record boundary for as
/// long as it lives. A second signal acts as if none were caught, so that a run blocked on a
/// reader that reads no more can still be ended. A signal that was ignored when the run
/// began (nohup, a background job) stays ignored.
class TStopSignals {
public:
    TStopSignals() {
        StopSignal = 0;
        struct sigaction action {};
        action.sa_handler = NoteStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        for (std::size_t i = 0; i < std::size(Signals); ++i) {
            sigaction(Signals[i], &action, &FPrevious[i]);
            if (FPrevious[i].sa_handler == SIG_IGN)
                sigaction(Signals[i], &FPrevious[i], nullptr);
        }
    }
    ~TStopSignals() {
        for (std::size_t i = 0; i < std::size(Signals); ++i)
            sigaction(Signals[i], &FPrevious[i], nullptr);
    }
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

private:
    static constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction FPrevious[std::size(Signals)];
};

/// The name the output file is opened with, or "-" for standard output.
std::string OutputName(const TGenOptions& o, const TVxRndParser& parser,
                       const TGenDefinition& definition) {
    if (o.Output)
        return *o.Output;
    if (parser.FileName().empty())
        return "-";
    return definition.ArrivedAsBytes ? parser.FileName() : Latin1ToUtf8(parser.FileName());
}

/// Reports a failure of the output and gives the exit status: a reader of standard output
/// that went away ends the run quietly.
int OutputFailure(const EInOutError& e) {
    const bool toStandardOutput = e.FileName() == "-";
    if (toStandardOutput && e.ErrorCode() == EPIPE)
        return 0;
    const std::string where = toStandardOutput ? "standard output" : e.FileName();
    const std::string reason = e.SystemReason().empty() ? Latin1ToUtf8(e.what()) : e.SystemReason();
    PrintError(where + ": " + reason);
    return 1;
}

/// Where count records from record first of the run at seed end, laid out from byte start:
/// the end of the last of them that ends at or before limit, or start when none does.
std::uint64_t LastRecordEnd(const TVxRndParser& parser, std::uint32_t seed, std::uint64_t first,
                            std::uint64_t count, std::uint64_t start, std::uint64_t limit) {
    TVxProducer producer(parser, true);
    producer.SetThreads(1);
    producer.SetRecordsPerPiece(1);
    std::uint64_t offset = start;
    std::uint64_t last = start;
    producer.Run(seed, first, count, [&](const TVxPiece& piece) {
        if (piece.Records > 0) {
            if (offset + piece.WholeSize > limit)
                return false;
            last = offset + piece.WholeSize;
        }
        offset += piece.Size;
        return offset < limit;
    });
    return last;
}

/// Hands a run's pieces to the output and keeps track of where its whole records end there,
/// so that a run that stops early leaves only whole records.
class TRecordWriter {
public:
    TRecordWriter(TOutFile& out, std::optional<TProgress>& progress)
        : FOut(out), FProgress(progress) {}

    /// The producer's sink: false stops the run after a signal or a failed write.
    bool Take(const TVxPiece& piece) {
        try {
            // On a signal the records of this piece are still written, but not the start of
            // a record that the next piece would finish.
            const int signal = StopSignal;
            const bool stop = signal != 0;
            if (stop)
                FStoppedBy = signal;
            FPieceStart = FOut.Written();
            FPieceRecords = piece.Records;
            FPieceWholeSize = piece.WholeSize;
            FOut.WriteThrough(std::string_view(piece.Data, stop ? piece.WholeSize : piece.Size));
            if (piece.Records > 0) {
                FRecords += piece.Records;
                FBoundary = FPieceStart + piece.WholeSize;
            }
            if (FProgress)
                FProgress->Update(FRecords);
            return !stop;
        } catch (const EInOutError&) {
            FWriteFailure = std::current_exception();
            return false;
        }
    }

    /// The signal that stopped the run, or 0.
    int StoppedBy() const { return FStoppedBy; }
    /// The records that reached the output whole.
    std::uint64_t Records() const { return FRecords; }
    /// Where the last whole record ends in the output.
    std::uint64_t Boundary() const { return FBoundary; }
    const std::exception_ptr& WriteFailure() const { return FWriteFailure; }

    /// After a failed write: the end of the last record that reached the output whole. The
    /// records that end in the piece being written are laid out anew to find it, as a piece
    /// tells only where its last record ends.
    std::uint64_t EndOnDisk(const TVxRndParser& parser, std::uint32_t seed,
                            std::uint64_t first) const {
        const std::uint64_t onDisk = FOut.OnDisk();
        if (FPieceRecords == 0 || onDisk <= FBoundary)
            return FBoundary;
        if (onDisk >= FPieceStart + FPieceWholeSize)
            return FPieceStart + FPieceWholeSize;
        try {
            return LastRecordEnd(parser, seed, first + FRecords, FPieceRecords, FBoundary, onDisk);
        } catch (...) {
            return FBoundary;
        }
    }

private:
    TOutFile& FOut;
    std::optional<TProgress>& FProgress;
    std::uint64_t FRecords = 0;
    std::uint64_t FBoundary = 0;
    std::uint64_t FPieceStart = 0;
    std::uint64_t FPieceRecords = 0;
    std::uint64_t FPieceWholeSize = 0;
    int FStoppedBy = 0;
    std::exception_ptr FWriteFailure;
};

} // namespace

TRecordRange PartRange(std::uint64_t total, std::uint64_t index, std::uint64_t count) {
    __extension__ using Wide = unsigned __int128;
    const auto bound = [&](std::uint64_t i) {
        return static_cast<std::uint64_t>(static_cast<Wide>(i) * total / count);
    };
    const std::uint64_t first = bound(index - 1);
    return {first, bound(index) - first};
}

namespace {

/// The settings given as options, which replace the definition's.
void SetOverrides(const TGenOptions& o, TGenParser& parser) {
    if (o.Records) {
        parser.Override('R', std::to_string(*o.Records));
    }
    if (o.EndOfLine) {
        parser.Override('E', std::string(1, *o.EndOfLine));
    }
    if (o.Charset) {
        parser.Override('D', Latin1Argument(*o.Charset, "character set"));
    }
}

/// Where the records go, as the summary names it.
std::string TargetName(const TOutFile& out) {
    return out.Path() == "-" ? "standard output" : out.Path();
}

/// Ends the run's output once the producer is done: a failed write cuts a regular file back
/// to its last whole record and is reported; a record begun but not finished is taken back.
/// Returns the exit status of a failure of the output, or nullopt when the output is whole.
std::optional<int> CloseOutput(TOutFile& out, const TRecordWriter& writer,
                               const TVxRndParser& parser, std::uint32_t seed,
                               std::uint64_t first) {
    if (writer.WriteFailure()) {
        out.CutBack(writer.EndOnDisk(parser, seed, first));
        try {
            std::rethrow_exception(writer.WriteFailure());
        } catch (const EInOutError& e) {
            return OutputFailure(e);
        }
    }
    // A run that stopped inside a record too large for one piece (on a signal, or out of
    // memory) has written the start of that record: it goes again where it can.
    if (out.Written() > writer.Boundary()) {
        out.CutBack(writer.Boundary());
    }
    try {
        out.Close();
    } catch (const EInOutError& e) {
        return OutputFailure(e);
    }
    return std::nullopt;
}

} // namespace

int GenerateRecords(const TGenOptions& o, const TGenDefinition& definition) {
    TGenParser parser;
    SetOverrides(o, parser);
    parser.Parse(definition.Text);
    if (parser.RecordCount() < 0) {
        PrintWarning("the record count " + std::to_string(parser.RecordCount()) +
                     " is below 0; no records are written");
    }
    const std::uint64_t total = static_cast<std::uint64_t>(std::max(parser.RecordCount(), 0));
    // Word files are read, and values checked against their widths, before the output is
    // created: a refused definition leaves an existing file as it was.
    parser.Prepare(total, definition.ArrivedAsBytes);

    std::unique_ptr<TOutFile> out;
    try {
        const std::string name = OutputName(o, parser, definition);
        out = name == "-" ? std::make_unique<TOutFile>() : std::make_unique<TOutFile>(name);
    } catch (const EInOutError& e) {
        return OutputFailure(e);
    }

    if (o.Seed) {
        Seed = *o.Seed;
    } else {
        SeedFromTime();
    }
    const std::uint32_t seed = Seed;
    const TRecordRange range =
        o.Part ? PartRange(total, o.Part->Index, o.Part->Count) : TRecordRange{0, total};

    // Drawn only where it cannot mix with the records; -q asks for silence.
    std::optional<TProgress> progress;
    if (!o.Quiet && ProgressWanted(out->Handle())) {
        progress.emplace(range.Count);
    }
    TRecordWriter writer(*out, progress);
    TVxProducer producer(parser, true);
    producer.SetThreads(o.Threads.value_or(0));
    producer.SetOnFewerThreads([](unsigned wanted, unsigned started, unsigned running) {
        std::fprintf(stderr,
                     "tabbit-gen: warning: could only start %u of %u threads; running on %u\n",
                     started, wanted, running);
    });

    std::exception_ptr runFailure;
    {
        TStopSignals signals;
        try {
            producer.Run(seed, range.First, range.Count,
                         [&writer](const TVxPiece& piece) { return writer.Take(piece); });
        } catch (...) {
            runFailure = std::current_exception();
        }
    }
    const bool whole = !runFailure && !writer.WriteFailure();
    if (progress) {
        if (whole && writer.StoppedBy() == 0) {
            progress->Update(range.Count);
        }
        whole ? progress->Clear() : progress->Finish();
    }

    if (const std::optional<int> failed = CloseOutput(*out, writer, parser, seed, range.First)) {
        return *failed;
    }
    if (runFailure) {
        std::rethrow_exception(runFailure);
    }
    if (progress) {
        PrintNotice(SummaryText(writer.Records(), writer.Boundary(), TargetName(*out),
                                progress->Seconds()));
    }
    return writer.StoppedBy() != 0 ? 128 + writer.StoppedBy() : 0;
}
