// SPDX-License-Identifier: MIT
#include "mainwindow/GenerationRun.h"

#include "engine/Exceptions.h"
#include "engine/Producer.h"
#include "engine/RandomSource.h"
#include "engine/RecordPlan.h"
#include "platform/OutFile.h"
#include "widgets/Gauge.h"
#include "widgets/Memo.h"

#include <cerrno>
#include <string_view>
#include <utility>

namespace {

/// Records larger than this come one to a piece: the producer's pieces are bounded in bytes,
/// so pieces of a hundred such records may be cut short of the hundred, and Abort would wait
/// long for a hundred of them.
constexpr std::uint64_t LargeRecordBytes = std::uint64_t{64} << 10;

TGenerationRun::TPassObserver& PassObserver() {
    static TGenerationRun::TPassObserver observer;
    return observer;
}

} // namespace

void TGenerationRun::SetPassObserver(TPassObserver observer) {
    PassObserver() = std::move(observer);
}

TGenerationRun::TGenerationRun(const TVxRndParser& parser, std::unique_ptr<TOutFile> file,
                               std::string fileName, std::uint64_t count, std::uint32_t seed,
                               TGauge* gauge, TMemo* memo, QObject* parent)
    : QObject(parent), FParser(parser), FFile(std::move(file)), FFileName(std::move(fileName)),
      FCount(count), FSeed(seed), FObserver(PassObserver()), FGauge(gauge), FMemo(memo) {
    ChoosePieces();
    FProgressTimer.setInterval(ProgressInterval);
    connect(&FProgressTimer, &QTimer::timeout, this, [this] { ShowProgress(); });
}

TGenerationRun::~TGenerationRun() {
    {
        const std::lock_guard lock(FMutex);
        FStopping = true;
    }
    FAbortRequested.store(true);
    FPassSeen.notify_all();
    if (FWorker.joinable()) {
        FWorker.join();
    }
}

void TGenerationRun::ChoosePieces() {
    const TVxRecordPlan plan(FParser, FFile != nullptr);
    const bool large = plan.MaxRecordBytes() > LargeRecordBytes;
    if (plan.FixedWidth() && !large && plan.MaxRecordBytes() > 0) {
        // Where a hundred records end is known from their width: the producer's pieces can
        // be as large as its buffers, which a stop on a whole hundred cuts short.
        FRecordWidth = static_cast<std::size_t>(plan.MaxRecordBytes());
        FRecordsPerPiece = FObserver ? RecordsPerPass : 0;
    } else if (!FFile || large) {
        // A memo line is one record; a large record could not stop on a hundred otherwise.
        FRecordsPerPiece = 1;
    }
}

void TGenerationRun::Start() {
    FProgressTimer.start();
    FWorker = std::thread([this] { Work(); });
}

void TGenerationRun::Work() {
    std::exception_ptr error;
    try {
        TVxProducer producer(FParser, FFile != nullptr);
        // As many threads as tabbit-gen takes: the processors this process may use.
        producer.SetThreads(0);
        producer.SetRecordsPerPiece(FRecordsPerPiece);
        producer.Run(FSeed, 0, FCount, [this](const TVxPiece& piece) { return Take(piece); });
    } catch (...) {
        error = std::current_exception();
    }
    PublishLines();
    if (FFile) {
        CloseFile(error);
    }
    FError = Reported(error);
    QMetaObject::invokeMethod(
        this, [this] { Finish(); }, Qt::QueuedConnection);
}

void TGenerationRun::CloseFile(std::exception_ptr& error) {
    // A failed write may have left part of a record in the file (the last flush of Close
    // too): only whole records stay. A second attempt closes the file for good.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (FWriteFailed) {
            FFile->CutBack(EndOnDisk());
        }
        try {
            FFile->Close();
            return;
        } catch (...) {
            if (!error) {
                error = std::current_exception();
            }
            FWriteFailed = true;
        }
    }
}

std::exception_ptr TGenerationRun::Reported(const std::exception_ptr& error) const {
    if (!error) {
        return error;
    }
    try {
        std::rethrow_exception(error);
    } catch (const EInOutError& e) {
        // The file reached the size this process may write: the disk need not be full.
        if (e.ErrorCode() == EFBIG) {
            return std::make_exception_ptr(Exception(FFileName + ": File too large"));
        }
    } catch (...) {
    }
    return error;
}

bool TGenerationRun::Take(const TVxPiece& piece) {
    TVxPiece taken = piece;
    const bool cut = FRecordWidth > 0 && FAbortRequested.load() && CutAtHundred(taken);
    if (FFile) {
        try {
            WritePiece(taken);
        } catch (const EInOutError&) {
            FWriteFailed = true;
            throw;
        }
    } else {
        CollectLines(taken);
    }
    FDone += taken.Records;
    if (taken.Records == 0 || taken.WholeSize != taken.Size) {
        return !cut;
    }
    const std::uint64_t hundred = FDone - FDone % RecordsPerPass;
    if (hundred > FPassDone.load()) {
        PublishLines();
        Pass(hundred);
    }
    return !cut && !(FDone % RecordsPerPass == 0 && FAbortRequested.load());
}

bool TGenerationRun::CutAtHundred(TVxPiece& piece) const {
    // A run that stands on a whole hundred stops there; before the first hundred, the run
    // goes on to it.
    const std::uint64_t past = FDone % RecordsPerPass;
    const std::uint64_t toHundred = FDone > 0 && past == 0 ? 0 : RecordsPerPass - past;
    if (toHundred > piece.Records) {
        return false;
    }
    piece.Records = toHundred;
    piece.Size = piece.WholeSize = static_cast<std::size_t>(toHundred) * FRecordWidth;
    return true;
}

void TGenerationRun::WritePiece(const TVxPiece& piece) {
    FPieceEnds.push_back({FFile->Written() + piece.Size, FDone + piece.Records});
    FFile->Write(std::string_view(piece.Data, piece.Size));
    while (!FPieceEnds.empty() && FPieceEnds.front().Bytes <= FFile->OnDisk()) {
        FOnDiskEnd = FPieceEnds.front();
        FPieceEnds.pop_front();
    }
}

void TGenerationRun::CollectLines(const TVxPiece& piece) {
    if (FRecordWidth > 0) {
        for (std::size_t at = 0; at < piece.Size; at += FRecordWidth) {
            FLineText.append(piece.Data + at, FRecordWidth);
            FLineEnds.push_back(FLineText.size());
        }
        return;
    }
    // Records of any other kind come one to a piece, or a large one in several pieces.
    FRecordText.append(piece.Data, piece.Size);
    if (piece.Records == 0) {
        return;
    }
    FLineText += FRecordText;
    FLineEnds.push_back(FLineText.size());
    FRecordText.clear();
}

void TGenerationRun::PublishLines() {
    if (FLineEnds.empty()) {
        return;
    }
    const std::lock_guard lock(FMutex);
    if (FSharedEnds.empty()) {
        FSharedText.swap(FLineText);
        FSharedEnds.swap(FLineEnds);
        FLineText.clear();
        FLineEnds.clear();
        return;
    }
    const std::size_t base = FSharedText.size();
    FSharedText += FLineText;
    for (const std::size_t end : FLineEnds) {
        FSharedEnds.push_back(base + end);
    }
    FLineText.clear();
    FLineEnds.clear();
}

std::uint64_t TGenerationRun::EndOnDisk() const {
    const std::uint64_t onDisk = FFile->OnDisk();
    if (FRecordWidth > 0) {
        return onDisk - onDisk % FRecordWidth;
    }
    TPieceEnd whole = FOnDiskEnd;
    for (const TPieceEnd& end : FPieceEnds) {
        if (end.Bytes > onDisk) {
            break;
        }
        whole = end;
    }
    if (whole.Bytes == onDisk) {
        return onDisk;
    }
    // Part of the next piece reached the disk: its records are laid out again, one at a
    // time, to find where the last whole one of them ends.
    std::uint64_t inPiece = 0;
    for (const TPieceEnd& end : FPieceEnds) {
        if (end.Bytes > onDisk) {
            inPiece = end.Records - whole.Records;
            break;
        }
    }
    std::uint64_t offset = whole.Bytes;
    std::uint64_t last = whole.Bytes;
    const std::uint32_t seedBefore = Seed;
    try {
        TVxProducer producer(FParser, true);
        producer.SetThreads(1);
        producer.SetRecordsPerPiece(1);
        producer.Run(FSeed, whole.Records, inPiece, [&](const TVxPiece& piece) {
            if (piece.Records > 0) {
                if (offset + piece.WholeSize > onDisk) {
                    return false;
                }
                last = offset + piece.WholeSize;
            }
            offset += piece.Size;
            return offset < onDisk;
        });
    } catch (...) {
        // The records were produced once already; should they fail now, the last known
        // whole record still is.
    }
    Seed = seedBefore;
    return last;
}

void TGenerationRun::Pass(std::uint64_t done) {
    FPassDone.store(done);
    if (!FObserver) {
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, done] {
            ShowProgress();
            FObserver(done);
            {
                const std::lock_guard lock(FMutex);
                FPassesShown = done;
            }
            FPassSeen.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(FMutex);
    FPassSeen.wait(lock, [&] { return FPassesShown >= done || FStopping; });
}

void TGenerationRun::ShowProgress() {
    std::string text;
    std::vector<std::size_t> ends;
    {
        const std::lock_guard lock(FMutex);
        text.swap(FSharedText);
        ends.swap(FSharedEnds);
    }
    std::size_t from = 0;
    for (const std::size_t end : ends) {
        FMemo->AddLine(std::string_view(text).substr(from, end - from));
        from = end;
    }
    FGauge->SetPosition(static_cast<int>(FPassDone.load()));
}

void TGenerationRun::Finish() {
    FWorker.join();
    FProgressTimer.stop();
    ShowProgress();
    emit Finished();
}
