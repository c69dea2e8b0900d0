// SPDX-License-Identifier: MIT
#pragma once

#include "engine/CommandLanguage.h"

#include <QObject>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TGauge;
class TMemo;
class TOutFile;
struct TVxPiece;

/// One generation run of the main window: produces the records of a parsed definition on a
/// worker thread, at the engine's speed, into a file or into lines for the memo, while the
/// window stays responsive. The run advances in whole hundreds of records: the gauge shows the
/// last hundred reached, and Abort ends the run at the end of the hundred in which it was
/// seen, so the output always holds a multiple of 100 records; a run of fewer than 100
/// records cannot be aborted. The run owns its copy of the definition and its output file,
/// so editing the window during the run affects only the next one. Destroying a run aborts it
/// and waits for the worker.
class TGenerationRun : public QObject {
    Q_OBJECT

public:
    /// The run moves the gauge and looks at Abort after every so many records.
    static constexpr std::uint64_t RecordsPerPass = 100;
    /// How often the window takes over the progress and the memo lines of the worker.
    static constexpr int ProgressInterval = 30;

    /// A file run when file is given, a memo run otherwise. Record 0 starts at state seed.
    /// fileName is the file's name as the user gave it, for messages.
    TGenerationRun(const TVxRndParser& parser, std::unique_ptr<TOutFile> file, std::string fileName,
                   std::uint64_t count, std::uint32_t seed, TGauge* gauge, TMemo* memo,
                   QObject* parent = nullptr);
    ~TGenerationRun() override;
    TGenerationRun(const TGenerationRun&) = delete;
    TGenerationRun& operator=(const TGenerationRun&) = delete;

    void Start();
    /// Asks the run to end after the current hundred of records.
    void Abort() { FAbortRequested.store(true); }
    /// Why the run ended early, once Finished has come: a failed record or a failed write
    /// or close of the file; empty after a complete or aborted run.
    std::exception_ptr Error() const { return FError; }

    /// Called on the window's thread after each whole hundred of records with the records
    /// done so far, the gauge already showing them; the worker waits until it returns. Lets
    /// tests act at a given point of a run; none in the program.
    using TPassObserver = std::function<void(std::uint64_t done)>;
    static void SetPassObserver(TPassObserver observer);

signals:
    /// The worker has ended; the output file is closed and every line is in the memo.
    void Finished();

private:
    /// How the producer is to cut the records into pieces for this run.
    void ChoosePieces();
    /// The worker: the whole production, then the file's cut-back and close.
    void Work();
    /// The producer's sink: takes one piece of records on the worker; false to stop.
    bool Take(const TVxPiece& piece);
    /// Shortens a piece of records of one width to end on the next whole hundred; false when
    /// that lies beyond it.
    bool CutAtHundred(TVxPiece& piece) const;
    void WritePiece(const TVxPiece& piece);
    void CollectLines(const TVxPiece& piece);
    /// Hands the lines collected on the worker over to the window's thread.
    void PublishLines();
    /// Closes the file, after a failed write with only its whole records; error keeps the
    /// first failure.
    void CloseFile(std::exception_ptr& error);
    /// The error as the user is shown it.
    std::exception_ptr Reported(const std::exception_ptr& error) const;
    /// After a failed write: the end of the last record that reached the file whole.
    std::uint64_t EndOnDisk() const;
    /// Lets the window's thread see one whole hundred, waiting for it under a pass observer.
    void Pass(std::uint64_t done);
    /// On the window's thread: shows the progress and the lines of the worker.
    void ShowProgress();
    void Finish();

    TVxRndParser FParser;
    const std::unique_ptr<TOutFile> FFile;
    const std::string FFileName;
    const std::uint64_t FCount;
    const std::uint32_t FSeed;
    const TPassObserver FObserver;
    TGauge* const FGauge;
    TMemo* const FMemo;
    QTimer FProgressTimer;
    std::thread FWorker;

    std::atomic<bool> FAbortRequested{false};
    /// The last whole hundred reached (or all records at the end of a run).
    std::atomic<std::uint64_t> FPassDone{0};
    std::exception_ptr FError;

    // The worker's own state.
    std::uint64_t FDone = 0;
    /// Records per piece from the producer (0: as many as fill its buffers).
    std::uint64_t FRecordsPerPiece = RecordsPerPass;
    /// The width of every record, when all have one and it is small; otherwise 0.
    std::size_t FRecordWidth = 0;
    bool FWriteFailed = false;
    /// A record of a memo run that came in several pieces, so far.
    std::string FRecordText;
    /// Lines of a memo run not yet handed over, one after another, with their ends.
    std::string FLineText;
    std::vector<std::size_t> FLineEnds;
    /// Bytes and records at the end of every piece of a file run that may not yet be on
    /// disk, oldest first, and the last one known to be there.
    struct TPieceEnd {
        std::uint64_t Bytes = 0;
        std::uint64_t Records = 0;
    };
    std::deque<TPieceEnd> FPieceEnds;
    TPieceEnd FOnDiskEnd;

    // Shared between the worker and the window's thread.
    std::mutex FMutex;
    std::condition_variable FPassSeen;
    std::string FSharedText;
    std::vector<std::size_t> FSharedEnds;
    std::uint64_t FPassesShown = 0;
    bool FStopping = false;
};
