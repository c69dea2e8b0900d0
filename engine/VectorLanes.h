// SPDX-License-Identifier: MIT
#pragma once

#include "engine/RandomSource.h"

#include <cstddef>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#define TABBIT_HAVE_AVX2_PATH 1
#endif

// The writers of lanes for wide vector instructions (AVX2), kept apart from the record
// plan that lays the lanes out, so that the code for one instruction set sits in one place.

/// The most lanes of a stretch that the vector writer draws as one stream and shuffles.
constexpr std::size_t MaxShuffleLanes = 4096;

/// The record plan's columns as the vector writers read them, each from its first entry.
/// Per lane: the multiplier and increment from the stretch's state to the lane's draw, the
/// draw's bound, the pool's offset in Pools and the pool's arithmetic layout. Per draw of a
/// shuffled stretch: its bound and layout as bytes; per 16-byte block: the draw it starts
/// from, where each byte comes from, and the fixed bytes.
struct TVxLaneColumns {
    const std::uint32_t* Mul = nullptr;
    const std::uint32_t* Add = nullptr;
    const std::uint32_t* Bound = nullptr;
    const std::uint32_t* Offset = nullptr;
    const std::uint32_t* First = nullptr;
    const std::uint32_t* Break = nullptr;
    const std::uint32_t* Jump = nullptr;
    const char* Pools = nullptr;
    const std::uint32_t* DrawBound = nullptr;
    const std::uint8_t* DrawFirst = nullptr;
    const std::uint8_t* DrawBreak = nullptr;
    const std::uint8_t* DrawJump = nullptr;
    const std::uint32_t* BlockDraw = nullptr;
    const std::uint8_t* Control = nullptr;
    const std::uint8_t* Fixed = nullptr;
};

/// How the numbers of a range of non-negative values of at most eight bytes are made from
/// draws: the lowest value and the number of values; the digits' bits dropped in front (a
/// byte when a mark makes eight digits nine bytes); the bytes of zeros; the bit that stops
/// the leading zeros before the last one that stays; the bits before the mark, the mark in
/// its place and the shift of the bits after it (0 and 0 without a mark); the text after
/// each number (at most 8 bytes, in memory order) and its length.
struct TVxNumberLayout {
    std::uint32_t Low = 0;
    std::uint64_t Count = 0;
    unsigned Drop = 0;
    std::uint64_t Zeros = 0;
    std::uint64_t Keep = 0;
    std::uint64_t Head = ~std::uint64_t{0};
    std::uint64_t MarkBits = 0;
    unsigned TailShift = 0;
    std::uint64_t Suffix = 0;
    std::uint8_t SuffixLength = 0;
};

/// Whether this processor runs the vector writers.
bool VectorLanesAvailable();

#ifdef TABBIT_HAVE_AVX2_PATH
/// The lanes first to first + count - 1 from the stretch's state, eight at a time, their
/// characters by the pools' arithmetic layout or gathered from the pools. Writes a multiple
/// of 8 bytes, up to 7 past the lanes asked for.
char* WriteLanesVector(char* out, const TVxLaneColumns& columns, std::size_t first,
                       std::size_t count, std::uint32_t state, bool arithmetic);
/// A shuffled stretch in two passes: its draws 32 at a time into a stream, then each
/// 16-byte block shuffled together from the stream and the fixed bytes. Writes whole
/// blocks, up to 15 bytes past count. With uniform, every draw has the first one's pool.
char* WriteShuffledVector(char* out, const TVxLaneColumns& columns, std::size_t firstDraw,
                          std::size_t firstBlock, std::size_t count, std::uint64_t draws,
                          std::uint32_t state, bool uniform);
/// The entries of one field's numbers in count successive records, eight at a time: state
/// is the state before the field's draw in the first record and jump takes it to the next
/// record's. An entry is 16 bytes: the number, the suffix and, in the last byte, the length
/// of both. Writes a multiple of eight entries, up to 7 past count.
void WriteNumbersVector(char* entries, std::size_t count, const TVxNumberLayout& layout,
                        std::uint32_t state, TVxJump jump);
/// The entries of one field's draws in count successive records, as WriteNumbersVector
/// takes them: the slot of 16 bytes of each draw below bound.
void WriteSlotsVector(char* entries, std::size_t count, const char* slots, std::uint32_t bound,
                      std::uint32_t state, TVxJump jump);
#endif
