// SPDX-License-Identifier: MIT
#include "engine/VectorLanes.h"

#include "engine/RandomSource.h"

#ifdef TABBIT_HAVE_AVX2_PATH
#include <immintrin.h>

namespace {

__attribute__((target("avx2"))) inline __m256i LoadLanes(std::size_t at,
                                                         const std::uint32_t* column) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(column + at));
}

/// Eight lanes at a time with AVX2: the lane states, their draws, and the characters either
/// by the pools' arithmetic layout or gathered from the pool table. Writes a multiple of 8
/// bytes, up to 7 past the lanes asked for.
template <bool Arithmetic>
__attribute__((target("avx2"))) char* WriteLanesAvx2(char* out, const TVxLaneColumns& lanes,
                                                     std::size_t first, std::size_t count,
                                                     std::uint32_t state) {
    const char* const pools = lanes.Pools;
    const __m256i s = _mm256_set1_epi32(static_cast<int>(state));
    const __m256i lowBytes =
        _mm256_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 4, 8, 12,
                         -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    for (std::size_t i = 0; i < count; i += 8) {
        const __m256i bound = LoadLanes(first + i, lanes.Bound);
        const __m256i st = _mm256_add_epi32(_mm256_mullo_epi32(LoadLanes(first + i, lanes.Mul), s),
                                            LoadLanes(first + i, lanes.Add));
        const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(st, bound), 32);
        const __m256i odd =
            _mm256_mul_epu32(_mm256_srli_epi64(st, 32), _mm256_srli_epi64(bound, 32));
        const __m256i draw = _mm256_blend_epi32(even, odd, 0xAA);
        __m256i chars;
        if constexpr (Arithmetic) {
            const __m256i above = _mm256_cmpgt_epi32(draw, LoadLanes(first + i, lanes.Break));
            chars = _mm256_add_epi32(_mm256_add_epi32(LoadLanes(first + i, lanes.First), draw),
                                     _mm256_and_si256(above, LoadLanes(first + i, lanes.Jump)));
        } else {
            chars = _mm256_i32gather_epi32(
                reinterpret_cast<const int*>(pools),
                _mm256_add_epi32(LoadLanes(first + i, lanes.Offset), draw), 1);
        }
        chars = _mm256_shuffle_epi8(chars, lowBytes);
        const __m128i bytes =
            _mm_unpacklo_epi32(_mm256_castsi256_si128(chars), _mm256_extracti128_si256(chars, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), bytes);
    }
    return out + count;
}

/// The constants of eight successive draws: the states of draws 1 to 8 from a state, and
/// the step of eight draws.
struct TEightDraws {
    std::uint32_t Mul[8];
    std::uint32_t Add[8];
    /// The steps of 8, 16, 24 and 32 draws.
    TVxJump Ahead[4];
};

const TEightDraws& EightDraws() {
    static const TEightDraws draws = [] {
        TEightDraws d{};
        for (int i = 0; i < 8; ++i) {
            const TVxJump jump = JumpOf(static_cast<std::uint64_t>(i) + 1);
            d.Mul[i] = jump.Multiplier;
            d.Add[i] = jump.Increment;
        }
        for (int k = 0; k < 4; ++k) {
            d.Ahead[k] = JumpOf(8 * (static_cast<std::uint64_t>(k) + 1));
        }
        return d;
    }();
    return draws;
}

__attribute__((target("avx2"))) inline __m256i Load256(const void* p) {
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

/// The draws of eight successive states below their bounds (at most 256); odd holds the
/// bounds of the odd lanes moved to the even ones.
__attribute__((target("avx2"))) inline __m256i DrawsOf(__m256i states, __m256i bound,
                                                       __m256i oddBound) {
    const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(states, bound), 32);
    const __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(states, 32), oddBound);
    return _mm256_blend_epi32(even, odd, 0xAA);
}

/// A stretch of lanes in two passes with AVX2: its characters drawn 32 at a time from
/// successive states into a stream, then each 16-byte block of output shuffled together
/// from the stream and the fixed bytes. Writes whole blocks, up to 15 bytes past count.
/// With Uniform, every draw of the stretch has the pool of the first one.
template <bool Uniform>
__attribute__((target("avx2"))) char* WriteShuffledAvx2(char* out, const TVxLaneColumns& shuffle,
                                                        std::size_t firstDraw,
                                                        std::size_t firstBlock, std::size_t count,
                                                        std::uint64_t draws, std::uint32_t state) {
    alignas(32) std::uint8_t stream[MaxShuffleLanes + 32];
    const TEightDraws& eight = EightDraws();
    // The states of a round's four groups of eight come from its first group at once, so
    // that only one multiply-add per round waits for the one before.
    __m256i aheadMul[4];
    __m256i aheadAdd[4];
    for (int k = 0; k < 4; ++k) {
        aheadMul[k] = _mm256_set1_epi32(static_cast<int>(eight.Ahead[k].Multiplier));
        aheadAdd[k] = _mm256_set1_epi32(static_cast<int>(eight.Ahead[k].Increment));
    }
    __m256i states = _mm256_add_epi32(
        _mm256_mullo_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(eight.Mul)),
                           _mm256_set1_epi32(static_cast<int>(state))),
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(eight.Add)));
    const std::uint32_t* bound = shuffle.DrawBound + firstDraw;
    const std::uint8_t* first = shuffle.DrawFirst + firstDraw;
    const std::uint8_t* brk = shuffle.DrawBreak + firstDraw;
    const std::uint8_t* jump = shuffle.DrawJump + firstDraw;
    const __m256i uniformBound = _mm256_set1_epi32(static_cast<int>(bound[0]));
    const __m256i uniformFirst = _mm256_set1_epi8(static_cast<char>(first[0]));
    const __m256i uniformBreak = _mm256_set1_epi8(static_cast<char>(brk[0]));
    const __m256i uniformJump = _mm256_set1_epi8(static_cast<char>(jump[0]));
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    const __m256i zero = _mm256_setzero_si256();
    for (std::size_t j = 0; j < draws; j += 32) {
        __m256i drawn[4];
        for (int k = 0; k < 4; ++k) {
            const __m256i group =
                k == 0 ? states
                       : _mm256_add_epi32(_mm256_mullo_epi32(states, aheadMul[k - 1]),
                                          aheadAdd[k - 1]);
            const __m256i b = Uniform ? uniformBound : Load256(bound + j + std::size_t{8} * k);
            drawn[k] = DrawsOf(group, b, _mm256_srli_epi64(b, 32));
        }
        states = _mm256_add_epi32(_mm256_mullo_epi32(states, aheadMul[3]), aheadAdd[3]);
        const __m256i bytes = _mm256_permutevar8x32_epi32(
            _mm256_packus_epi16(_mm256_packus_epi32(drawn[0], drawn[1]),
                                _mm256_packus_epi32(drawn[2], drawn[3])),
            order);
        // Within the break a draw is first + draw; above it the jump is added.
        const __m256i within = _mm256_cmpeq_epi8(
            _mm256_subs_epu8(bytes, Uniform ? uniformBreak : Load256(brk + j)), zero);
        const __m256i chars =
            _mm256_add_epi8(_mm256_add_epi8(Uniform ? uniformFirst : Load256(first + j), bytes),
                            _mm256_andnot_si256(within, Uniform ? uniformJump : Load256(jump + j)));
        _mm256_store_si256(reinterpret_cast<__m256i*>(stream + j), chars);
    }
    const std::uint32_t* blockDraw = shuffle.BlockDraw + firstBlock;
    const std::uint8_t* control = shuffle.Control + firstBlock * 16;
    const std::uint8_t* fixed = shuffle.Fixed + firstBlock * 16;
    for (std::size_t b = 0; b * 16 < count; ++b) {
        const __m128i window =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(stream + blockDraw[b]));
        const __m128i placed = _mm_shuffle_epi8(
            window, _mm_loadu_si128(reinterpret_cast<const __m128i*>(control + b * 16)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + b * 16),
                         _mm_or_si128(placed, _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                                  fixed + b * 16))));
    }
    return out + count;
}

/// The entries of four numbers below 10^8 in 64-bit lanes, as TVxValueWriter makes them one
/// by one: the eight digits worked out in the lanes' bytes (the two halves of four digits,
/// then pairs, then single digits), the leading zeros counted from the bytes that are zero
/// after taking off the digit zero, then the suffix after the text and the length in the
/// last byte.
__attribute__((target("avx2"))) void
NumberEntriesAvx2(__m256i values, const TVxNumberLayout& layout, char* entries) {
    const __m256i high =
        _mm256_srli_epi64(_mm256_mul_epu32(values, _mm256_set1_epi64x(0xD1B71759)), 45);
    const __m256i low = _mm256_sub_epi64(values, _mm256_mul_epu32(high, _mm256_set1_epi64x(10000)));
    __m256i x = _mm256_or_si256(high, _mm256_slli_epi64(low, 32));
    const __m256i hundreds =
        _mm256_and_si256(_mm256_srli_epi32(_mm256_mullo_epi32(x, _mm256_set1_epi32(10486)), 20),
                         _mm256_set1_epi32(0x7F));
    x = _mm256_or_si256(
        _mm256_slli_epi32(_mm256_sub_epi32(x, _mm256_mullo_epi32(hundreds, _mm256_set1_epi32(100))),
                          16),
        hundreds);
    const __m256i tens =
        _mm256_and_si256(_mm256_srli_epi16(_mm256_mullo_epi16(x, _mm256_set1_epi16(103)), 10),
                         _mm256_set1_epi16(0xF));
    x = _mm256_or_si256(
        _mm256_slli_epi16(_mm256_sub_epi16(x, _mm256_mullo_epi16(tens, _mm256_set1_epi16(10))), 8),
        tens);
    const __m256i digits = _mm256_srl_epi64(_mm256_or_si256(x, _mm256_set1_epi8('0')),
                                            _mm_cvtsi32_si128(static_cast<int>(layout.Drop)));
    // The zero bytes of the digits without their zeros; those before the first other byte
    // are the leading zeros, which the bit of Keep stops.
    const __m256i kept = _mm256_or_si256(
        _mm256_xor_si256(digits, _mm256_set1_epi64x(static_cast<long long>(layout.Zeros))),
        _mm256_set1_epi64x(static_cast<long long>(layout.Keep)));
    const __m256i zeroBytes = _mm256_cmpeq_epi8(kept, _mm256_setzero_si256());
    const __m256i one = _mm256_set1_epi64x(1);
    const __m256i leading =
        _mm256_sub_epi64(_mm256_andnot_si256(zeroBytes, _mm256_add_epi64(zeroBytes, one)), one);
    const __m256i skip =
        _mm256_sad_epu8(_mm256_and_si256(leading, _mm256_set1_epi8(1)), _mm256_setzero_si256());
    const __m256i head = _mm256_set1_epi64x(static_cast<long long>(layout.Head));
    const __m256i marked = _mm256_or_si256(
        _mm256_or_si256(_mm256_and_si256(digits, head),
                        _mm256_set1_epi64x(static_cast<long long>(layout.MarkBits))),
        _mm256_sll_epi64(_mm256_andnot_si256(head, digits),
                         _mm_cvtsi32_si128(static_cast<int>(layout.TailShift))));
    const __m256i text = _mm256_srlv_epi64(marked, _mm256_slli_epi64(skip, 3));
    // The suffix from the text's end on: into the first eight bytes what fits after the
    // text, the rest into the second eight, which end in the length.
    const __m256i bits = _mm256_slli_epi64(_mm256_sub_epi64(_mm256_set1_epi64x(8), skip), 3);
    const __m256i suffix = _mm256_set1_epi64x(static_cast<long long>(layout.Suffix));
    const __m256i first = _mm256_or_si256(text, _mm256_sllv_epi64(suffix, bits));
    const __m256i second =
        _mm256_or_si256(_mm256_srlv_epi64(suffix, _mm256_sub_epi64(_mm256_set1_epi64x(64), bits)),
                        _mm256_slli_epi64(_mm256_add_epi64(_mm256_srli_epi64(bits, 3),
                                                           _mm256_set1_epi64x(layout.SuffixLength)),
                                          56));
    const __m256i evenLanes = _mm256_unpacklo_epi64(first, second);
    const __m256i oddLanes = _mm256_unpackhi_epi64(first, second);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(entries),
                        _mm256_permute2x128_si256(evenLanes, oddLanes, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(entries + 32),
                        _mm256_permute2x128_si256(evenLanes, oddLanes, 0x31));
}

/// The draws of one field in eight successive records at a time: the states of the first
/// eight from one state, which then moves on by eight records.
struct TRecordLanes {
    __m256i LaneMul;
    __m256i LaneAdd;
    __m256i EightMul;
    __m256i EightAdd;
};

__attribute__((target("avx2"))) TRecordLanes RecordLanes(TVxJump jump) {
    alignas(32) std::uint32_t mul[8];
    alignas(32) std::uint32_t add[8];
    TVxJump ahead;
    for (int k = 0; k < 8; ++k) {
        // Record k's draw: k records on, then one step.
        mul[k] = ahead.Multiplier * RandomMultiplier;
        add[k] = ahead.Increment * RandomMultiplier + RandomIncrement;
        ahead = {jump.Multiplier * ahead.Multiplier,
                 jump.Multiplier * ahead.Increment + jump.Increment};
    }
    return {_mm256_load_si256(reinterpret_cast<const __m256i*>(mul)),
            _mm256_load_si256(reinterpret_cast<const __m256i*>(add)),
            _mm256_set1_epi32(static_cast<int>(ahead.Multiplier)),
            _mm256_set1_epi32(static_cast<int>(ahead.Increment))};
}

/// Eight numbers at a time.
__attribute__((target("avx2"))) void WriteNumbersAvx2(char* entries, std::size_t count,
                                                      const TVxNumberLayout& layout,
                                                      std::uint32_t state, TVxJump jump) {
    const TRecordLanes lanes = RecordLanes(jump);
    const __m256i bound = _mm256_set1_epi32(static_cast<int>(layout.Count));
    const __m256i lowest = _mm256_set1_epi32(static_cast<int>(layout.Low));
    // A copy that the stores of the entries cannot change, so its lanes stay in registers.
    const TVxNumberLayout digits = layout;
    __m256i s = _mm256_set1_epi32(static_cast<int>(state));
    for (std::size_t i = 0; i < count; i += 8) {
        const __m256i draws = _mm256_add_epi32(_mm256_mullo_epi32(lanes.LaneMul, s), lanes.LaneAdd);
        const __m256i values = _mm256_add_epi32(DrawsOf(draws, bound, bound), lowest);
        NumberEntriesAvx2(_mm256_cvtepu32_epi64(_mm256_castsi256_si128(values)), digits,
                          entries + i * 16);
        NumberEntriesAvx2(_mm256_cvtepu32_epi64(_mm256_extracti128_si256(values, 1)), digits,
                          entries + i * 16 + 64);
        s = _mm256_add_epi32(_mm256_mullo_epi32(s, lanes.EightMul), lanes.EightAdd);
    }
}

/// Eight draws at a time, each slot of 16 bytes copied into its entry.
__attribute__((target("avx2"))) void WriteSlotsAvx2(char* entries, std::size_t count,
                                                    const char* slots, std::uint32_t bound,
                                                    std::uint32_t state, TVxJump jump) {
    const TRecordLanes lanes = RecordLanes(jump);
    const __m256i bounds = _mm256_set1_epi32(static_cast<int>(bound));
    __m256i s = _mm256_set1_epi32(static_cast<int>(state));
    alignas(32) std::uint32_t drawn[8];
    for (std::size_t i = 0; i < count; i += 8) {
        const __m256i draws = _mm256_add_epi32(_mm256_mullo_epi32(lanes.LaneMul, s), lanes.LaneAdd);
        _mm256_store_si256(reinterpret_cast<__m256i*>(drawn), DrawsOf(draws, bounds, bounds));
        for (std::size_t k = 0; k < 8; ++k) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(entries + (i + k) * 16),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                 slots + std::size_t{drawn[k]} * 16)));
        }
        s = _mm256_add_epi32(_mm256_mullo_epi32(s, lanes.EightMul), lanes.EightAdd);
    }
}

} // namespace

bool VectorLanesAvailable() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}

char* WriteLanesVector(char* out, const TVxLaneColumns& columns, std::size_t first,
                       std::size_t count, std::uint32_t state, bool arithmetic) {
    return arithmetic ? WriteLanesAvx2<true>(out, columns, first, count, state)
                      : WriteLanesAvx2<false>(out, columns, first, count, state);
}

char* WriteShuffledVector(char* out, const TVxLaneColumns& columns, std::size_t firstDraw,
                          std::size_t firstBlock, std::size_t count, std::uint64_t draws,
                          std::uint32_t state, bool uniform) {
    return uniform
               ? WriteShuffledAvx2<true>(out, columns, firstDraw, firstBlock, count, draws, state)
               : WriteShuffledAvx2<false>(out, columns, firstDraw, firstBlock, count, draws, state);
}

void WriteNumbersVector(char* entries, std::size_t count, const TVxNumberLayout& layout,
                        std::uint32_t state, TVxJump jump) {
    WriteNumbersAvx2(entries, count, layout, state, jump);
}

void WriteSlotsVector(char* entries, std::size_t count, const char* slots, std::uint32_t bound,
                      std::uint32_t state, TVxJump jump) {
    WriteSlotsAvx2(entries, count, slots, bound, state, jump);
}

#else

bool VectorLanesAvailable() {
    return false;
}

#endif
