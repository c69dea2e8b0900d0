// SPDX-License-Identifier: MIT
#pragma once

#include "engine/FieldTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TFieldDef;

/// A field that gives one whole value per record: the record's number counted from a first
/// value, a number drawn from a range, an item drawn from a weighted list, or a line drawn
/// from a file. It is compiled once from the field's width and string, which are checked
/// then, so that every fault is reported before the first record; writing a value takes the
/// same draws in every record, so a run can still jump ahead to any record.
class TVxValueField {
public:
    /// Compiles a field of type ttCounter, ttRange, ttList or ttFileLine and checks its
    /// string and the width of every value it can give; number (fields counted from 1)
    /// names it in messages. A line field's file is read later, by LoadFile. Raises the
    /// first fault.
    TVxValueField(const TFieldDef& field, std::size_t number);

    /// Whether the values still have to be read from the field's file.
    bool NeedsFile() const { return FType == ttFileLine && FOffsets.empty(); }
    /// Reads a line field's file and checks its lines against the width; raises a message
    /// that names the file. The name is taken as UTF-8 on the system's side, or with
    /// nameAsBytes as the bytes the definition holds.
    void LoadFile(bool nameAsBytes);
    /// The file name of a line field, as the definition holds it.
    const std::string& FileName() const { return FFileName; }
    /// Checks that the values of records first to first + count - 1 (counted from 0 over a
    /// whole run) fit the width; only a counter's values depend on the record.
    void CheckRecords(std::uint64_t first, std::uint64_t count) const;

    /// Draws per record: none for a counter, one for a list or a file, one or two for a
    /// range (two when it holds more than 2^32 values).
    std::uint32_t Draws() const { return FDraws; }
    /// The most bytes one value takes.
    std::size_t MaxWidth() const { return FMaxWidth; }
    /// Bytes past MaxWidth() that Write may write (and leave undefined) after a value.
    static constexpr std::size_t WriteRoom = 32;
    /// Writes the value of record (counted from 0 over the whole run) at out, which has room
    /// for MaxWidth() + WriteRoom bytes, drawing from state; returns the end. Texts end with
    /// 16 bytes of padding, for copies of whole blocks.
    char* Write(char* out, std::uint64_t record, std::uint32_t& state) const;
    /// The field's type, its width (0: none) and, for a range, its lowest value in units of
    /// its last fraction digit, its number of values, fraction digits and decimal mark.
    TTextType Type() const { return FType; }
    std::size_t Width() const { return FWidth; }
    std::int64_t Low() const { return FLow; }
    std::uint64_t Count() const { return FCount; }
    unsigned Fraction() const { return FFraction; }
    char Mark() const { return FMark; }
    /// For a list or a file whose every text, padded to the width and followed by suffix,
    /// takes at most 15 bytes: fills slots with one such text per draw below bound, in 16
    /// bytes each with the length in the last. False (and nothing filled) otherwise.
    bool SlotsOfDraws(const std::string& suffix, std::string& slots, std::uint32_t& bound) const;
    /// The same value appended to text.
    void Append(std::string& text, std::uint64_t record, std::uint32_t& state) const;

private:
    void ParseCounter(const std::string& text);
    void ParseRange(const std::string& text);
    void ParseList(const std::string& text);
    /// Adds one item or line to the texts.
    void AddText(const char* data, std::size_t size);
    /// Ends the texts with a block of padding, and lays short texts out in slots.
    void SealTexts();
    /// The text of a number of the field (value in units of its last fraction digit).
    std::string NumberText(std::int64_t value) const;
    /// Raises the message for a value wider than the field's width.
    [[noreturn]] void RaiseTooWide(const std::string& value) const;
    /// Refuses a value of size bytes wider than the width, naming it by text.
    void CheckWidth(std::size_t size, const std::string& text) const;
    /// Writes a number padded with zeros after its sign to width (0: no padding).
    char* WriteNumber(char* out, std::int64_t value, std::size_t width) const;
    char* WriteText(char* out, std::size_t index) const;
    /// The list item of a draw from 0 to the total weight - 1.
    std::size_t ItemOfDraw(std::uint32_t draw) const;

    TTextType FType;
    std::size_t FNumber;
    /// 0: each value as long as it is.
    std::size_t FWidth;
    std::uint32_t FDraws = 0;
    std::size_t FMaxWidth = 0;
    /// Counter: the first value. Range: the lowest value, in units of the last fraction
    /// digit, and the number of values.
    std::int64_t FLow = 1;
    std::uint64_t FCount = 0;
    unsigned FFraction = 0;
    char FMark = '.';
    /// List items or file lines one after another; text i runs from FOffsets[i] to
    /// FOffsets[i + 1].
    std::string FTexts;
    std::vector<std::uint32_t> FOffsets;
    /// When every text has at most 15 bytes: text i in the 16 bytes from i * 16, its length
    /// in the last of them.
    std::string FSlots;
    /// List: the running total of the weights, item by item, and for small totals the item
    /// of every draw.
    std::vector<std::uint32_t> FWeights;
    std::vector<std::uint32_t> FItemOfDraw;
    std::string FFileName;
};
