// SPDX-License-Identifier: MIT
#include "engine/VxProducer.h"

#include "engine/VxRandom.h"
#include "engine/Vxparse.h"

#include <string>

namespace {
constexpr std::size_t PieceBytes = 1 << 20;
}

TVxProducer::TVxProducer(const TVxRndParser& parser, bool toFile)
    : FParser(parser), FToFile(toFile) {}

void TVxProducer::SetThreads(unsigned threads) {
    FThreads = threads;
}

void TVxProducer::SetRecordsPerPiece(std::uint64_t records) {
    FRecordsPerPiece = records;
}

std::uint64_t TVxProducer::Run(std::uint32_t seed, std::uint64_t first, std::uint64_t count,
                               const TSink& sink) {
    Seed = seed;
    std::string skipped;
    for (std::uint64_t i = 0; i < first; ++i)
        FParser.GetRecord(FToFile, skipped);

    std::string buffer;
    std::uint64_t inBuffer = 0;
    std::uint64_t delivered = 0;
    const auto deliver = [&]() {
        const TVxPiece piece{buffer.data(), buffer.size(), inBuffer, buffer.size()};
        delivered += inBuffer;
        const bool goOn = sink(piece);
        buffer.clear();
        inBuffer = 0;
        return goOn;
    };
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint32_t before = Seed;
        const std::size_t size = buffer.size();
        try {
            FParser.AppendRecord(FToFile, buffer);
        } catch (...) {
            buffer.resize(size);
            Seed = before;
            if (inBuffer > 0)
                deliver();
            Seed = before;
            throw;
        }
        ++inBuffer;
        if (buffer.size() >= PieceBytes || inBuffer == FRecordsPerPiece) {
            const std::uint32_t after = Seed;
            if (!deliver()) {
                Seed = after;
                return delivered;
            }
            Seed = after;
        }
    }
    const std::uint32_t after = Seed;
    if (inBuffer > 0)
        deliver();
    Seed = after;
    return delivered;
}
