// SPDX-License-Identifier: MIT
#include "engine/RecordPlan.h"

#include "engine/CommandLanguage.h"
#include "engine/Exceptions.h"
#include "engine/RandomSource.h"
#include "engine/ValueField.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>

namespace {

/// Records up to this size are written whole by WriteRecords; larger ones in parts.
constexpr std::uint64_t CompactRecordBytes = 1 << 16;
/// An op of more bytes than this is written by a loop of its own instead of as lanes, so
/// that the lane arrays stay small.
constexpr std::uint64_t MaxOpLanes = 1024;
/// Fixed-width records are laid out as lanes in groups of about this many bytes.
constexpr std::uint64_t GroupLanes = 2048;
/// Lanes read after the last one by the vector writer.
constexpr std::size_t LanePadding = 16;
/// A draw bound that no draw exceeds, for lanes whose pool has no break.
constexpr std::uint32_t NoBreak = std::numeric_limits<std::int32_t>::max();

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t sum = a + b;
    return sum < a ? std::numeric_limits<std::uint64_t>::max() : sum;
}

std::uint64_t SaturatingMul(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > std::numeric_limits<std::uint64_t>::max() / a) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    return a * b;
}

/// The layout of a pool as arithmetic, when it has one: the character of draw k is
/// first + k, plus jump for k above brk, all modulo 256.
bool ArithmeticLayout(const std::string& pool, std::uint32_t& first, std::uint32_t& brk,
                      std::uint32_t& jump) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(pool[i]); };
    first = at(0);
    brk = NoBreak;
    jump = 0;
    for (std::size_t i = 1; i < pool.size(); ++i) {
        if (at(i) != ((first + i + (i > brk ? jump : 0)) & 0xFFu)) {
            if (brk != NoBreak) {
                return false;
            }
            brk = static_cast<std::uint32_t>(i - 1);
            jump = (at(i) - first - i) & 0xFFu;
        }
    }
    return true;
}

static_assert(TVxRecordPlan::WriteSlack >= TVxValueField::WriteRoom,
              "values may write past their end into the slack");

std::atomic<bool> ForcedPortable{false};
const bool HasAvx2 = VectorLanesAvailable();

} // namespace

void TVxRecordPlan::ForcePortable(bool portable) {
    ForcedPortable = portable;
}

bool TVxRecordPlan::VectorPathAvailable() {
    return HasAvx2;
}

bool TVxRecordPlan::UseVectorWriters() {
    return HasAvx2 && !ForcedPortable.load(std::memory_order_relaxed);
}

TVxRecordPlan::TVxRecordPlan(const TVxRndParser& parser, bool toFile) {
    parser.Prepare(0);
    bool hasDates = false;
    FPools.assign(256, '\0');
    for (int code = 0; code < 256; ++code) {
        FPools[static_cast<std::size_t>(code)] = static_cast<char>(code);
    }
    for (const TFieldDef& field : parser.Fields()) {
        hasDates = AddField(parser, field) || hasDates;
    }
    const std::uint8_t style = toFile ? parser.EndOfLine() : 2;
    if (style == 0) {
        AddFixed("\r\n", 1);
    } else if (style == 1) {
        AddFixed("\n", 1);
    }
    // Room for the vector writer's reads of four bytes from the last pool character on.
    FPools.append(4, '\0');

    if (hasDates) {
        FDateFormat.emplace(SystemDateFormat, FormatSettings());
        // Dates of one width (yyyy-mm-dd, not d/m/yy) keep every record the same length.
        // Narrower ones would crowd their draws into the shuffle's 16-byte blocks.
        FFixedWidth = FFixedWidth && FDateFormat->ConstantWidth() && FDateFormat->MaxWidth() >= 3;
    }
    for (const TOp& op : FOps) {
        std::uint64_t bytes = op.Count;
        if (op.Kind == TOp::Fixed) {
            bytes = SaturatingMul(op.Text.size(), op.Count);
        } else if (op.Kind == TOp::Date) {
            bytes = FDateFormat->MaxWidth();
        } else if (op.Kind == TOp::Value) {
            bytes = op.Field->MaxWidth();
        }
        FMaxRecordBytes = SaturatingAdd(FMaxRecordBytes, bytes);
    }
    FCompact = FMaxRecordBytes <= CompactRecordBytes;
    if (FCompact) {
        for (TOp& op : FOps) {
            if (op.Kind == TOp::Date) {
                BuildDateTable(op);
            }
        }
        BuildSteps();
        FColumns = {FLanes.Mul.data(),         FLanes.Add.data(),       FLanes.Bound.data(),
                    FLanes.Offset.data(),      FLanes.First.data(),     FLanes.Break.data(),
                    FLanes.Jump.data(),        FPools.data(),           FShuffle.Bound.data(),
                    FShuffle.First.data(),     FShuffle.Break.data(),   FShuffle.Jump.data(),
                    FShuffle.BlockDraw.data(), FShuffle.Control.data(), FShuffle.Fixed.data()};
    }
}

bool TVxRecordPlan::AddField(const TVxRndParser& parser, const TFieldDef& field) {
    const std::uint64_t count = field.Size > 0 ? static_cast<std::uint64_t>(field.Size) : 0;
    const TTextTypeOpt& opt = OptOfTextType(field.TextType);
    const std::string_view pool = parser.PoolOf(field);
    switch (opt.Kind) {
    case TFieldKind::Date: {
        const std::int32_t toYear = StrToInt(field.Str);
        TOp op;
        op.Kind = TOp::Date;
        // A reversed range is drawn in order, as GetRecord does.
        op.Low = std::min(field.Size, toYear);
        op.Bound =
            static_cast<std::uint32_t>(std::max<std::int64_t>(field.Size, toYear) - op.Low + 1);
        op.DrawsBefore = FDraws;
        FOps.push_back(std::move(op));
        FDraws += opt.DrawsPerRepetition;
        return true;
    }
    case TFieldKind::Value: {
        // Values are written one at a time, so records that hold one are not grouped.
        TOp op;
        op.Kind = TOp::Value;
        op.Field = parser.ValueFieldOf(field);
        op.DrawsBefore = FDraws;
        FDraws += op.Field->Draws();
        FOps.push_back(std::move(op));
        FFixedWidth = false;
        break;
    }
    case TFieldKind::Repeated:
        AddFixed(std::string(pool), count);
        break;
    case TFieldKind::Drawn:
        // An empty pool yields code 0 without a draw.
        if (pool.empty()) {
            AddFixed(std::string(1, '\0'), count);
        } else {
            AddDrawn(std::string(pool), count);
        }
        break;
    case TFieldKind::None:
        break;
    }
    return false;
}

void TVxRecordPlan::AddFixed(const std::string& text, std::uint64_t count) {
    if (text.empty() || count == 0) {
        return;
    }
    // Small fixed stretches are spelled out and joined to the one before; large ones keep
    // their count, so that a record of terabytes needs no more than its one repetition.
    if (SaturatingMul(text.size(), count) <= MaxOpLanes) {
        if (FOps.empty() || FOps.back().Kind != TOp::Fixed || FOps.back().Count != 1 ||
            FOps.back().Text.size() + text.size() * count > MaxOpLanes) {
            TOp op;
            op.Kind = TOp::Fixed;
            op.Count = 1;
            FOps.push_back(std::move(op));
        }
        for (std::uint64_t i = 0; i < count; ++i) {
            FOps.back().Text += text;
        }
        return;
    }
    TOp op;
    op.Kind = TOp::Fixed;
    op.Count = count;
    op.Text = text;
    FOps.push_back(std::move(op));
}

void TVxRecordPlan::AddDrawn(const std::string& pool, std::uint64_t count) {
    if (count == 0) {
        return;
    }
    TOp op;
    op.Kind = TOp::Drawn;
    op.Count = count;
    op.Bound = static_cast<std::uint32_t>(pool.size());
    op.PoolOffset = AddPool(pool);
    FOps.push_back(std::move(op));
    FDraws += count;
}

std::uint32_t TVxRecordPlan::AddPool(const std::string& pool) {
    // The table starts with the 256 single characters, which serve fixed bytes and every
    // pool of one character.
    if (pool.size() == 1) {
        return static_cast<unsigned char>(pool[0]);
    }
    const std::size_t found = FPools.find(pool, 256);
    if (found != std::string::npos) {
        return static_cast<std::uint32_t>(found);
    }
    FPools += pool;
    return static_cast<std::uint32_t>(FPools.size() - pool.size());
}

void TVxRecordPlan::BuildSteps() {
    const auto isLane = [](const TOp& op) {
        return op.Kind != TOp::Date && op.Kind != TOp::Value &&
               SaturatingMul(op.Count, std::max<std::size_t>(op.Text.size(), 1)) <= MaxOpLanes;
    };
    const bool allLanes = std::all_of(FOps.begin(), FOps.end(), [&](const TOp& op) {
        return isLane(op) || op.Kind == TOp::Date;
    });
    if (FFixedWidth && allLanes && FMaxRecordBytes > 0) {
        // Several records are one stretch of lanes: the vector writer then works on long
        // stretches, and a group of records is one multiply-add of the state. Dates, all
        // of one width, hold places in it that are filled afterwards.
        FGrouped = true;
        FGroup = std::max<std::uint64_t>(1, GroupLanes / FMaxRecordBytes);
        AddLanes(0, FOps.size(), FGroup, FSteps);
    } else {
        FGroup = 1;
        std::size_t i = 0;
        while (i < FOps.size()) {
            // A fixed text on its own between dates or values is copied whole.
            const bool fixedAlone =
                FOps[i].Kind == TOp::Fixed && (i + 1 == FOps.size() || !isLane(FOps[i + 1]));
            if (FOps[i].Kind == TOp::Date) {
                FSteps.push_back({TStep::Date, i, 0, 3, 1, 0});
                ++i;
            } else if (FOps[i].Kind == TOp::Value) {
                AddValueStep(i);
            } else if (!isLane(FOps[i]) || fixedAlone) {
                const std::uint64_t draws = FOps[i].Kind == TOp::Drawn ? FOps[i].Count : 0;
                const TVxJump jump = JumpOf(draws);
                FSteps.push_back({TStep::Large, i, 0, draws, jump.Multiplier, jump.Increment});
                ++i;
            } else {
                std::size_t end = i;
                while (end < FOps.size() && isLane(FOps[end])) {
                    ++end;
                }
                AddLanes(i, end, 1, FSteps);
                i = end;
            }
        }
    }
    FAllValues =
        !FSteps.empty() && std::all_of(FSteps.begin(), FSteps.end(),
                                       [](const TStep& step) { return step.Kind == TStep::Value; });
    for (std::vector<std::uint32_t>* column :
         {&FLanes.Mul, &FLanes.Add, &FLanes.Bound, &FLanes.Offset, &FLanes.First, &FLanes.Break,
          &FLanes.Jump}) {
        column->resize(column->size() + LanePadding, 0);
    }
    // The shuffling writer draws 32 at a time, past the last draw of a stretch.
    FShuffle.Bound.resize(FShuffle.Bound.size() + 32, 0);
    for (std::vector<std::uint8_t>* column : {&FShuffle.First, &FShuffle.Break, &FShuffle.Jump}) {
        column->resize(column->size() + 32, 0);
    }
}

void TVxRecordPlan::AddValueStep(std::size_t& i) {
    TStep step;
    step.Kind = TStep::Value;
    step.First = i;
    const TVxValueField& field = *FOps[i].Field;
    step.Draws = field.Draws();
    const TVxJump jump = JumpOf(step.Draws);
    step.JumpMul = jump.Multiplier;
    step.JumpAdd = jump.Increment;
    ++i;
    // A separator or line end after the value is written with it, saving a step.
    std::uint64_t suffix = 0;
    std::uint8_t suffixLength = 0;
    if (i < FOps.size() && FOps[i].Kind == TOp::Fixed && FOps[i].Count == 1 &&
        FOps[i].Text.size() <= sizeof suffix) {
        std::memcpy(&suffix, FOps[i].Text.data(), FOps[i].Text.size());
        suffixLength = static_cast<std::uint8_t>(FOps[i].Text.size());
        ++i;
    }
    step.Writer = FValueWriters.size();
    FValueWriters.emplace_back(field, suffix, suffixLength);
    FSteps.push_back(step);
}

void TVxRecordPlan::AddLanes(std::size_t firstOp, std::size_t endOp, std::uint64_t records,
                             std::vector<TStep>& steps) {
    TStep step;
    step.Kind = TStep::Lanes;
    step.First = FLanes.Size();
    std::uint64_t draws = 0;
    bool shuffleable = true;
    const auto addLane = [this](const TVxJump& jump, std::uint32_t bound, std::uint32_t offset,
                                std::uint32_t first, std::uint32_t brk, std::uint32_t add) {
        FLanes.Mul.push_back(jump.Multiplier);
        FLanes.Add.push_back(jump.Increment);
        FLanes.Bound.push_back(bound);
        FLanes.Offset.push_back(offset);
        FLanes.First.push_back(first);
        FLanes.Break.push_back(brk);
        FLanes.Jump.push_back(add);
    };
    // The draw of each lane within the stretch, from 0 (for drawn lanes).
    std::vector<std::uint64_t> laneDraws;
    for (std::uint64_t record = 0; record < records; ++record) {
        for (std::size_t i = firstOp; i < endOp; ++i) {
            const TOp& op = FOps[i];
            if (op.Kind == TOp::Date) {
                // Only in groups of fixed-width records: the date's place, filled in later.
                const TVxJump jump = JumpOf(draws);
                FGroupDates.push_back({record, FLanes.Size() - step.First, i, jump});
                for (std::size_t b = 0; b < FDateFormat->MaxWidth(); ++b) {
                    addLane({0, 0}, 0, 0, 0, NoBreak, 0);
                    laneDraws.push_back(0);
                }
                draws += 3;
                continue;
            }
            if (op.Kind == TOp::Fixed) {
                for (std::uint64_t r = 0; r < op.Count; ++r) {
                    for (const char c : op.Text) {
                        const auto code = static_cast<unsigned char>(c);
                        addLane({0, 0}, 0, code, code, NoBreak, 0);
                        laneDraws.push_back(0);
                    }
                }
                continue;
            }
            const std::string pool = FPools.substr(op.PoolOffset, op.Bound);
            std::uint32_t first = 0;
            std::uint32_t brk = 0;
            std::uint32_t jump = 0;
            if (!ArithmeticLayout(pool, first, brk, jump)) {
                FLanes.Arithmetic = false;
                shuffleable = false;
            }
            if (op.Bound > 256) {
                shuffleable = false;
            }
            for (std::uint64_t k = 0; k < op.Count; ++k) {
                laneDraws.push_back(draws);
                ++draws;
                addLane(JumpOf(draws), op.Bound, op.PoolOffset, first, brk, jump);
            }
        }
    }
    step.Count = FLanes.Size() - step.First;
    step.Draws = draws;
    const TVxJump jump = JumpOf(draws);
    step.JumpMul = jump.Multiplier;
    step.JumpAdd = jump.Increment;
    if (shuffleable && step.Count <= MaxShuffleLanes) {
        AddShuffle(step, laneDraws);
    }
    steps.push_back(step);
}

void TVxRecordPlan::AddShuffle(TStep& step, const std::vector<std::uint64_t>& laneDraws) {
    // The stream holds every draw of the stretch; those of dates stay unused.
    TShuffle add;
    add.Bound.assign(step.Draws, 0);
    add.First.assign(step.Draws, 0);
    add.Break.assign(step.Draws, 255);
    add.Jump.assign(step.Draws, 0);
    for (std::size_t block = 0; block * 16 < step.Count; ++block) {
        std::optional<std::uint64_t> blockStart;
        for (std::size_t i = 0; i < 16; ++i) {
            const std::size_t at = block * 16 + i;
            const std::size_t lane = step.First + at;
            if (at >= step.Count || FLanes.Bound[lane] == 0) {
                add.Control.push_back(0x80);
                add.Fixed.push_back(at < step.Count ? static_cast<std::uint8_t>(FLanes.First[lane])
                                                    : 0);
                continue;
            }
            const std::uint64_t draw = laneDraws[at];
            if (!blockStart) {
                blockStart = draw;
            }
            // A block's draws must lie within one 16-byte window of the stream.
            if (draw - *blockStart > 15) {
                return;
            }
            add.Control.push_back(static_cast<std::uint8_t>(draw - *blockStart));
            add.Fixed.push_back(0);
            add.Bound[draw] = FLanes.Bound[lane];
            add.First[draw] = static_cast<std::uint8_t>(FLanes.First[lane]);
            add.Break[draw] =
                static_cast<std::uint8_t>(std::min<std::uint32_t>(FLanes.Break[lane], 255));
            add.Jump[draw] = static_cast<std::uint8_t>(FLanes.Jump[lane]);
        }
        add.BlockDraw.push_back(static_cast<std::uint32_t>(blockStart.value_or(0)));
    }
    step.Shuffle = true;
    step.Uniform = true;
    for (std::size_t d = 1; d < step.Draws; ++d) {
        step.Uniform = step.Uniform && add.Bound[d] == add.Bound[0] &&
                       add.First[d] == add.First[0] && add.Break[d] == add.Break[0] &&
                       add.Jump[d] == add.Jump[0];
    }
    step.FirstDraw = FShuffle.Bound.size();
    step.FirstBlock = FShuffle.BlockDraw.size();
    const auto append = [](auto& to, const auto& from) {
        to.insert(to.end(), from.begin(), from.end());
    };
    append(FShuffle.Bound, add.Bound);
    append(FShuffle.First, add.First);
    append(FShuffle.Break, add.Break);
    append(FShuffle.Jump, add.Jump);
    append(FShuffle.BlockDraw, add.BlockDraw);
    append(FShuffle.Control, add.Control);
    append(FShuffle.Fixed, add.Fixed);
}

char* TVxRecordPlan::WriteLanes(char* out, const TStep& step, std::size_t count,
                                std::uint64_t draws, std::uint32_t state) const {
    const std::size_t first = step.First;
#ifdef TABBIT_HAVE_AVX2_PATH
    if (UseVectorWriters()) {
        if (step.Shuffle) {
            return WriteShuffledVector(out, FColumns, step.FirstDraw, step.FirstBlock, count, draws,
                                       state, step.Uniform);
        }
        return WriteLanesVector(out, FColumns, first, count, state, FLanes.Arithmetic);
    }
#endif
    const std::uint32_t* mul = FLanes.Mul.data() + first;
    const std::uint32_t* add = FLanes.Add.data() + first;
    const std::uint32_t* bound = FLanes.Bound.data() + first;
    const std::uint32_t* offset = FLanes.Offset.data() + first;
    const char* pools = FPools.data();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t s = mul[i] * state + add[i];
        out[i] = pools[offset[i] + ((static_cast<std::uint64_t>(s) * bound[i]) >> 32)];
    }
    return out + count;
}

namespace {

/// The entry of the next drawn date in a date table whose month lengths are days: the three
/// draws of a date, from state (advanced past them), without a branch.
inline std::size_t TableEntryOf(const std::uint8_t* days, std::uint32_t bound,
                                std::uint32_t& state) {
    const TVxThreeStates s = TakeThreeStates(state);
    const std::size_t month =
        static_cast<std::size_t>(((static_cast<std::uint64_t>(s.First) * bound) >> 32) * 12 +
                                 ((static_cast<std::uint64_t>(s.Second) * 12) >> 32));
    const std::size_t day =
        static_cast<std::size_t>((static_cast<std::uint64_t>(s.Third) * days[month]) >> 32);
    return month * 31 + day;
}

} // namespace

std::size_t TVxRecordPlan::TableEntry(const TDateTable& table, std::uint32_t bound,
                                      std::uint32_t& state) {
    return TableEntryOf(table.Days.data(), bound, state);
}

const char* TVxRecordPlan::TableText(const TOp& op, std::uint32_t& state) const {
    const TDateTable& table = FDateTables[static_cast<std::size_t>(op.Table)];
    return table.Texts.data() + TableEntry(table, op.Bound, state) * table.Stride;
}

char* TVxRecordPlan::WriteLarge(const TOp& op, char* out, std::uint32_t& state) const {
    if (op.Kind == TOp::Drawn) {
        return WriteDrawnRun(out, FPools.data() + op.PoolOffset, op.Bound, op.Count, state);
    }
    // A separator between values, the usual case, needs no call.
    if (op.Count == 1 && op.Text.size() <= 4) {
        for (const char c : op.Text) {
            *out++ = c;
        }
        return out;
    }
    for (std::uint64_t i = 0; i < op.Count; ++i) {
        out = std::copy(op.Text.begin(), op.Text.end(), out);
    }
    return out;
}

TVxRecordPlan::TWritten TVxRecordPlan::WriteRecords(char* out, std::uint64_t records,
                                                    std::uint32_t& state, std::uint64_t markEvery,
                                                    std::vector<std::size_t>& marks,
                                                    std::uint64_t firstRecord) const {
    TWritten written;
    if (FSteps.empty()) {
        // Records without a byte: nothing to write and nothing drawn.
        for (std::uint64_t done = markEvery; markEvery != 0 && done <= records; done += markEvery) {
            marks.push_back(0);
        }
        written.Records = records;
    } else if (FGrouped) {
        WriteGrouped(out, records, state, markEvery, marks, written);
    } else if (WritesAhead(firstRecord, records)) {
        WriteValues(out, records, state, markEvery, marks, firstRecord, written);
    } else {
        WriteEach(out, records, state, markEvery, marks, firstRecord, written);
    }
    return written;
}

std::vector<TVxRecordPlan::TTabledDate> TVxRecordPlan::TabledDates() const {
    // When every date has a table and a width of 8 to 16, the dates' places, tables and
    // jumps are copied into one plain array: the loop that fills them then reads nothing
    // that its stores into the output could change, and runs a quarter faster.
    std::vector<TTabledDate> tabled;
    const std::size_t dateWidth = FDateFormat ? FDateFormat->MaxWidth() : 0;
    if (dateWidth >= 8 && dateWidth <= 16 &&
        std::all_of(FGroupDates.begin(), FGroupDates.end(),
                    [&](const TGroupDate& place) { return FOps[place.Op].Table >= 0; })) {
        for (const TGroupDate& place : FGroupDates) {
            const TOp& op = FOps[place.Op];
            const TDateTable& table = FDateTables[static_cast<std::size_t>(op.Table)];
            tabled.push_back({place.Record, place.Lane, table.Texts.data(), table.Days.data(),
                              table.Stride, op.Bound, place.Jump});
        }
    }
    return tabled;
}

std::uint64_t TVxRecordPlan::FillGroupDates(char* start, std::uint64_t n, std::uint32_t s,
                                            char* scratch, TWritten& written) const {
    const std::size_t dateWidth = FDateFormat ? FDateFormat->MaxWidth() : 0;
    for (const TGroupDate& place : FGroupDates) {
        if (place.Record >= n) {
            break;
        }
        std::uint32_t t = place.Jump(s);
        const TOp& op = FOps[place.Op];
        try {
            // A table's lookup is called directly, so that it is inlined into this loop.
            const char* const text = op.Table >= 0 ? TableText(op, t) : DateText(op, t, scratch);
            char* const to = start + place.Lane;
            // Two overlapping words copy the usual widths without a call.
            if (dateWidth >= 8 && dateWidth <= 16) {
                std::memcpy(to, text, 8);
                std::memcpy(to + dateWidth - 8, text + dateWidth - 8, 8);
            } else {
                std::memcpy(to, text, dateWidth);
            }
        } catch (...) {
            written.Error = std::current_exception();
            return place.Record;
        }
    }
    return n;
}

void TVxRecordPlan::WriteGrouped(char* out, std::uint64_t records, std::uint32_t& state,
                                 std::uint64_t markEvery, std::vector<std::size_t>& marks,
                                 TWritten& written) const {
    // Fixed-width records, laid out in groups; a last, smaller group takes the first lanes
    // of a whole one. Dates are filled into their places afterwards; one that cannot be
    // encoded ends the writing before its record.
    const TStep& step = FSteps.front();
    const std::size_t width = static_cast<std::size_t>(FMaxRecordBytes);
    const std::size_t dateWidth = FDateFormat ? FDateFormat->MaxWidth() : 0;
    std::vector<char> date(dateWidth);
    const std::vector<TTabledDate> tabled = TabledDates();
    char* p = out;
    std::uint32_t s = state;
    while (written.Records < records) {
        std::uint64_t n = std::min(FGroup, records - written.Records);
        char* const start = p;
        WriteLanes(p, step, static_cast<std::size_t>(n) * width, n * FDraws, s);
        for (const TTabledDate& d : tabled) {
            if (d.Record >= n) {
                break;
            }
            std::uint32_t t = d.Jump(s);
            const char* const text = d.Texts + TableEntryOf(d.Days, d.Bound, t) * d.Stride;
            // Two overlapping words through locals copy the date without a call.
            std::uint64_t head;
            std::uint64_t tail;
            std::memcpy(&head, text, 8);
            std::memcpy(&tail, text + dateWidth - 8, 8);
            std::memcpy(start + d.Lane, &head, 8);
            std::memcpy(start + d.Lane + dateWidth - 8, &tail, 8);
        }
        if (tabled.empty()) {
            n = FillGroupDates(start, n, s, date.data(), written);
        }
        p = start + n * width;
        s = n == FGroup ? s * step.JumpMul + step.JumpAdd : JumpAhead(s, n * FDraws);
        // Only the multiples of markEvery are visited: a loop over every record of the
        // group would cost as much as writing it.
        if (markEvery != 0) {
            for (std::uint64_t done = (written.Records / markEvery + 1) * markEvery;
                 done <= written.Records + n; done += markEvery) {
                marks.push_back(
                    static_cast<std::size_t>(start + (done - written.Records) * width - out));
            }
        }
        written.Records += n;
        if (written.Error) {
            break;
        }
    }
    written.Bytes = static_cast<std::size_t>(p - out);
    state = s;
}

void TVxRecordPlan::WriteEach(char* out, std::uint64_t records, std::uint32_t& state,
                              std::uint64_t markEvery, std::vector<std::size_t>& marks,
                              std::uint64_t firstRecord, TWritten& written) const {
    char* p = out;
    std::uint32_t s = state;
    // A counter's text is carried from one record to the next.
    std::vector<TVxValueWriter::TCounter> counters(FValueWriters.size());
    // Counted down rather than a division per record, which would cost more than a value.
    std::uint64_t toMark = markEvery;
    // The state and the count stay in registers: what leaves the loop gets copies.
    std::uint64_t done = written.Records;
    try {
        while (done < records) {
            std::uint32_t t = s;
            char* q = p;
            for (const TStep& step : FSteps) {
                std::uint32_t u = t;
                switch (step.Kind) {
                case TStep::Lanes:
                    q = WriteLanes(q, step, step.Count, step.Draws, t);
                    t = t * step.JumpMul + step.JumpAdd;
                    break;
                case TStep::Date:
                    q = WriteDate(FOps[step.First], q, u);
                    t = u;
                    break;
                case TStep::Large:
                    q = WriteLarge(FOps[step.First], q, u);
                    t = u;
                    break;
                case TStep::Value:
                    q = FValueWriters[step.Writer].Write(q, firstRecord + done, t,
                                                         counters[step.Writer]);
                    break;
                }
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

bool TVxRecordPlan::WritePart(TCursor& cursor, char*& out, char* end, std::uint32_t& state) const {
    while (cursor.Op < FOps.size()) {
        const TOp& op = FOps[cursor.Op];
        const auto room = static_cast<std::uint64_t>(end - out);
        switch (op.Kind) {
        case TOp::Date:
        case TOp::Value: {
            if (cursor.Done == 0) {
                DrawPending(op, cursor, state);
                // Done counts the draws as the text's first byte, so that an empty text is
                // not drawn again.
                cursor.Done = 1;
            }
            const std::uint64_t written = cursor.Done - 1;
            const std::uint64_t n = std::min(cursor.PendingDate.size() - written, room);
            out = std::copy_n(cursor.PendingDate.data() + written, n, out);
            cursor.Done += n;
            if (cursor.Done - 1 < cursor.PendingDate.size()) {
                return false;
            }
            break;
        }
        case TOp::Fixed: {
            const std::uint64_t total = op.Text.size() * op.Count;
            std::uint64_t left = room;
            while (cursor.Done < total && left > 0) {
                const std::size_t at = static_cast<std::size_t>(cursor.Done % op.Text.size());
                const std::size_t n =
                    static_cast<std::size_t>(std::min<std::uint64_t>(op.Text.size() - at, left));
                out = std::copy_n(op.Text.data() + at, n, out);
                cursor.Done += n;
                left -= n;
            }
            if (cursor.Done < total) {
                return false;
            }
            break;
        }
        case TOp::Drawn: {
            const std::uint64_t n = std::min(op.Count - cursor.Done, room);
            out = WriteDrawnRun(out, FPools.data() + op.PoolOffset, op.Bound, n, state);
            cursor.Done += n;
            if (cursor.Done < op.Count) {
                return false;
            }
            break;
        }
        }
        ++cursor.Op;
        cursor.Done = 0;
    }
    cursor.Op = 0;
    cursor.Done = 0;
    ++cursor.Record;
    return true;
}

void TVxRecordPlan::DrawPending(const TOp& op, TCursor& cursor, std::uint32_t& state) const {
    if (op.Kind == TOp::Value) {
        cursor.PendingDate.clear();
        op.Field->Append(cursor.PendingDate, cursor.Record, state);
        return;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    DrawDate(op, state, year, month, day);
    cursor.PendingDate.resize(FDateFormat->MaxWidth());
    char* const first = cursor.PendingDate.data();
    cursor.PendingDate.resize(
        static_cast<std::size_t>(FDateFormat->Write(first, year, month, day) - first));
}

void TVxRecordPlan::CheckRecords(std::uint64_t first, std::uint64_t count) const {
    for (const TOp& op : FOps) {
        if (op.Kind == TOp::Value) {
            op.Field->CheckRecords(first, count);
        }
    }
}
