// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Dates.h"
#include "engine/RandomSource.h"
#include "engine/ValueWriter.h"
#include "engine/VectorLanes.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TVxRndParser;
class TVxValueField;
struct TFieldDef;

/// A parsed record definition compiled once for producing many records straight into large
/// buffers. It gives byte for byte the records of TVxRndParser::GetRecord from the same
/// state, with the same draws, without a string or a type switch per record.
///
/// Every byte of a record that is not part of a date is a lane: its draw, if it has one, is
/// found from the state at the start of its stretch by one multiply-add (the generator's
/// steps composed), and its character from the draw by the pool's layout. Fixed bytes are
/// lanes whose bound is 0 and whose pool is the one character. Lanes do not depend on each
/// other, so they are computed several at a time with wide vector instructions where the
/// processor has them, or one by one, with the same result. Records without dates all have
/// the same length; several of them are laid out as one stretch of lanes. Dates are written
/// one at a time with their compiled format and numeric years, and values (counters,
/// numbers, list items, lines of files) one at a time by their compiled fields.
///
/// The date format and the regional settings are read when the plan is built: the plan
/// gives the records of GetRecord as long as SystemDateFormat and FormatSettings do not
/// change while it is in use (GetRecord reads them at every date).
class TVxRecordPlan {
public:
    /// Bytes that WriteRecords may write past the end of its records (and then leave
    /// undefined); a buffer needs this much room beyond them.
    static constexpr std::size_t WriteSlack = 64;

    /// The parser must stay unchanged while the plan is in use. Reads the files of line
    /// fields that the parser has not read yet (TVxRndParser::Prepare), raising its faults.
    TVxRecordPlan(const TVxRndParser& parser, bool toFile);
    TVxRecordPlan(const TVxRecordPlan&) = delete;
    TVxRecordPlan& operator=(const TVxRecordPlan&) = delete;

    /// Draws of one record; record i starts i * Draws() steps after record 0.
    std::uint64_t Draws() const { return FDraws; }
    /// The most bytes one record can take (saturating at the largest uint64).
    std::uint64_t MaxRecordBytes() const { return FMaxRecordBytes; }
    /// Whether every record has the same length (no dates, or dates of one width, and no
    /// values); it is then MaxRecordBytes.
    bool FixedWidth() const { return FFixedWidth; }
    /// Whether WriteRecords can write records of this plan: false for records that are
    /// too large to be held whole (they are written with WritePart).
    bool Compact() const { return FCompact; }

    /// How WriteRecords ended: the bytes and whole records written, and for a record that
    /// failed (a date that cannot be encoded) its exception, not raised.
    struct TWritten {
        std::size_t Bytes = 0;
        std::uint64_t Records = 0;
        std::exception_ptr Error;
    };

    /// Writes at most records records of a compact plan at out from state (the state at the
    /// first one's start), into room for records * MaxRecordBytes() + WriteSlack bytes;
    /// state ends after the last whole record. A failing record ends the writing before it,
    /// and nothing of it counts. Every markEvery records (0: never) the end offset of the
    /// record is appended to marks. The first record is record firstRecord of its run
    /// (from 0), which a counter counts.
    TWritten WriteRecords(char* out, std::uint64_t records, std::uint32_t& state,
                          std::uint64_t markEvery, std::vector<std::size_t>& marks,
                          std::uint64_t firstRecord = 0) const;

    /// Raises when a value of records first to first + count - 1 of a run would be wider
    /// than its field's width (a counter that outgrows it).
    void CheckRecords(std::uint64_t first, std::uint64_t count) const;

    /// The first of the records 0 to records - 1 (record 0 starting at state) whose date
    /// cannot be encoded, or records when there is none. Looks only at the year draws, and
    /// only for dates whose range reaches beyond the calendar, so it costs nothing for the
    /// usual definitions.
    std::uint64_t FirstFailure(std::uint32_t state, std::uint64_t records) const;

    /// Where a record written in parts has got to: the record (from 0 in its run), the
    /// field op and how far into it.
    struct TCursor {
        std::uint64_t Record = 0;
        std::size_t Op = 0;
        /// Bytes of the op already written.
        std::uint64_t Done = 0;
        /// The text of a date or value already drawn but not yet written out in full.
        std::string PendingDate;
    };
    /// Writes as much of the record at cursor as fits between out and end, drawing from
    /// state; true when the record is complete (the cursor is then ready for the next one).
    /// For records of any size, in buffers of any size. A date that cannot be encoded
    /// raises EConvertError, with the draws of its record up to it taken.
    bool WritePart(TCursor& cursor, char*& out, char* end, std::uint32_t& state) const;

    /// Makes the plans use the portable writer of lanes even where wide vector
    /// instructions are available (tests compare the two).
    static void ForcePortable(bool portable);
    /// Whether this processor runs the writer of lanes for wide vector instructions.
    static bool VectorPathAvailable();

    /// One stretch of a record, in definition order. Fixed: Text repeated Count times.
    /// Drawn: Count characters drawn from the pool at PoolOffset in the plan's pool table
    /// (Bound characters). Date: one date, three draws, from the years Low to
    /// Low + Bound - 1 with Bound taken as an unsigned draw bound. Value: one value of the
    /// compiled value field Field.
    struct TOp {
        enum TKind : std::uint8_t { Fixed, Drawn, Date, Value };
        TKind Kind = Fixed;
        std::uint64_t Count = 0;
        std::string Text;
        std::uint32_t PoolOffset = 0;
        std::uint32_t Bound = 0;
        std::int64_t Low = 0;
        /// Draws of the record before this op.
        std::uint64_t DrawsBefore = 0;
        /// The date's table of texts in the plan, or -1 when it has none.
        std::int32_t Table = -1;
        std::shared_ptr<const TVxValueField> Field;
    };

    /// Per lane, as separate arrays: the multiplier and increment that take the state at the
    /// start of the lane's stretch to the lane's own draw, the draw's bound (0 for a fixed
    /// byte), the pool's offset in the pool table, and the pool's layout as arithmetic (the
    /// character is First + draw, plus Jump when the draw is above Break), which holds for
    /// every built-in pool and many others.
    struct TLanes {
        std::vector<std::uint32_t> Mul, Add, Bound, Offset, First, Break, Jump;
        /// Whether every lane's pool follows the arithmetic layout.
        bool Arithmetic = true;
        std::size_t Size() const { return Mul.size(); }
    };

    /// For stretches that are shuffled: per draw its bound and its pool's layout as bytes,
    /// and per 16-byte block of output the draw it starts from, where each byte comes from
    /// (0x80 for a fixed byte) and the fixed bytes.
    struct TShuffle {
        std::vector<std::uint32_t> Bound;
        std::vector<std::uint8_t> First, Break, Jump;
        std::vector<std::uint32_t> BlockDraw;
        std::vector<std::uint8_t> Control, Fixed;
    };

private:
    /// One step of writing a record: a stretch of lanes, a date, a value, or an op too
    /// large for lanes or fixed on its own (written like WritePart does).
    struct TStep {
        enum TKind : std::uint8_t { Lanes, Date, Large, Value };
        TKind Kind = Lanes;
        std::size_t First = 0; // first lane, or the op
        std::size_t Count = 0; // lanes
        std::uint64_t Draws = 0;
        /// The generator's steps over the stretch's draws at once.
        std::uint32_t JumpMul = 1;
        std::uint32_t JumpAdd = 0;
        /// Whether the vector writer may draw the stretch's characters as one stream and
        /// shuffle them into place (every pool of at most 256 characters with an
        /// arithmetic layout); its draws and 16-byte blocks in the shuffle arrays.
        bool Shuffle = false;
        /// Whether every draw of a shuffled stretch has the same bound and pool.
        bool Uniform = false;
        std::size_t FirstDraw = 0;
        std::size_t FirstBlock = 0;
        /// A value's writer in FValueWriters, which writes the short fixed text after the
        /// value (a separator, a line end) with it.
        std::size_t Writer = 0;
    };

    /// Adds the ops of one field, as its type's row says; true for a date.
    bool AddField(const TVxRndParser& parser, const TFieldDef& field);
    void AddFixed(const std::string& text, std::uint64_t count);
    /// Adds the step of the value op at i, with the short fixed op after it; moves i past
    /// both.
    void AddValueStep(std::size_t& i);
    void AddDrawn(const std::string& pool, std::uint64_t count);
    void BuildSteps();
    void AddLanes(std::size_t firstOp, std::size_t endOp, std::uint64_t records,
                  std::vector<TStep>& steps);
    std::uint32_t AddPool(const std::string& pool);
    void AddShuffle(TStep& step, const std::vector<std::uint64_t>& laneDraws);
    char* WriteLanes(char* out, const TStep& step, std::size_t count, std::uint64_t draws,
                     std::uint32_t state) const;
    char* WriteDate(const TOp& op, char* out, std::uint32_t& state) const;
    /// The text of one drawn date of a constant width: in the date's table, or written
    /// into scratch (room for the width).
    const char* DateText(const TOp& op, std::uint32_t& state, char* scratch) const;
    char* WriteLarge(const TOp& op, char* out, std::uint32_t& state) const;
    void DrawDate(const TOp& op, std::uint32_t& state, int& year, int& month, int& day) const;

    /// The text of every date of a range of valid years, written once, for ranges that are
    /// not too wide: entry ((year - Low) * 12 + month - 1) * 31 + day - 1, Stride bytes
    /// apart, its length in Lengths.
    struct TDateTable {
        std::int64_t Low = 0;
        std::size_t Stride = 0;
        std::string Texts;
        std::vector<std::uint8_t> Lengths;
        /// The days of month m (from 0) of year Low + y at y * 12 + m.
        std::vector<std::uint8_t> Days;
    };
    void BuildDateTable(TOp& op);
    /// The entry of the next drawn date in its table: the three draws of DrawDate, from
    /// state (advanced past them), without a branch.
    static std::size_t TableEntry(const TDateTable& table, std::uint32_t bound,
                                  std::uint32_t& state);
    /// The text of the next drawn date of op, which has a table.
    const char* TableText(const TOp& op, std::uint32_t& state) const;

    std::vector<TOp> FOps;
    std::vector<TDateTable> FDateTables;
    /// Every pool one after another, with room after the last for reads four bytes wide.
    std::string FPools;
    std::optional<TVxDateFormat> FDateFormat;
    std::uint64_t FDraws = 0;
    std::uint64_t FMaxRecordBytes = 0;
    bool FFixedWidth = true;
    bool FCompact = true;
    TLanes FLanes;
    TShuffle FShuffle;
    /// FLanes, FShuffle and FPools as the vector writers read them; set once built.
    TVxLaneColumns FColumns;
    /// The steps of one record; for fixed-width records the steps of FGroup records at once.
    std::vector<TStep> FSteps;
    std::vector<TVxValueWriter> FValueWriters;
    /// Whether FSteps is one stretch of lanes for FGroup fixed-width records.
    bool FGrouped = false;
    /// Whether every step is a value: records are then written by WriteValues.
    bool FAllValues = false;
    std::uint64_t FGroup = 1;
    /// In grouped records, the place of each date: its record in the group, its first lane,
    /// its op and the jump from the group's state to the date's first draw, in order.
    struct TGroupDate {
        std::uint64_t Record;
        std::size_t Lane;
        std::size_t Op;
        TVxJump Jump;
    };
    std::vector<TGroupDate> FGroupDates;

    /// A date of a group whose table and jump are copied out of the plan, for the fast fill.
    struct TTabledDate {
        std::uint64_t Record;
        std::size_t Lane;
        const char* Texts;
        const std::uint8_t* Days;
        std::size_t Stride;
        std::uint32_t Bound;
        TVxJump Jump;
    };
    /// The dates of a group for the fast fill, or none when some date cannot take it.
    std::vector<TTabledDate> TabledDates() const;
    /// Fills the dates of the first n records of a group at start (its state s) one by one;
    /// returns the records before the first date that cannot be encoded, whose exception
    /// goes into written, or n.
    std::uint64_t FillGroupDates(char* start, std::uint64_t n, std::uint32_t s, char* scratch,
                                 TWritten& written) const;
    /// WriteRecords for grouped fixed-width records, and for records written step by step.
    void WriteGrouped(char* out, std::uint64_t records, std::uint32_t& state,
                      std::uint64_t markEvery, std::vector<std::size_t>& marks,
                      TWritten& written) const;
    void WriteEach(char* out, std::uint64_t records, std::uint32_t& state, std::uint64_t markEvery,
                   std::vector<std::size_t>& marks, std::uint64_t firstRecord,
                   TWritten& written) const;
    /// Whether records firstRecord to firstRecord + records - 1 are made only of values
    /// that WriteValues writes.
    bool WritesAhead(std::uint64_t firstRecord, std::uint64_t records) const;
    /// WriteEach for records of values only, a batch of records at a time, every value made
    /// ahead as an entry of 16 bytes.
    void WriteValues(char* out, std::uint64_t records, std::uint32_t& state,
                     std::uint64_t markEvery, std::vector<std::size_t>& marks,
                     std::uint64_t firstRecord, TWritten& written) const;
    /// Whether the vector writers run: the processor has them and they are not forced off.
    static bool UseVectorWriters();
    /// Writes the op of a date or value into the cursor's pending text.
    void DrawPending(const TOp& op, TCursor& cursor, std::uint32_t& state) const;
};
