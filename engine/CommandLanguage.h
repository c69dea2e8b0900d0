// SPDX-License-Identifier: MIT
#pragma once

#include "engine/FieldTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TVxValueField;

// The command-string language: its generic parser, the record-definition parser with the
// field-type vocabulary, code sequences and the integer conversion used for every number.
// All strings hold 8-bit Latin-1 text, one byte per character.

/// One parsed field of a record definition.
struct TFieldDef {
    /// Repetitions for ttFixed, first year for ttDate, the width of a value field (0: as
    /// long as the value is), characters drawn for the others.
    std::int32_t Size = 0;
    TTextType TextType = ttNone;
    /// Text of ttFixed, pool of ttRandomString, last year (plain decimal) of ttDate; first
    /// value, range, list or file name of a value field.
    std::string Str;

    bool operator==(const TFieldDef&) const = default;
};

/// Appends the pieces of text between separators to list.
void SplitString(const std::string& text, const std::string& separator,
                 std::vector<std::string>& list);
/// One code ("65", "$41") to one character; false for anything but 0 to 255.
bool CodeToChar(const std::string& code, char& ch);
/// "#72#105" to "Hi"; raises "Code sequence not valid: " followed by text.
std::string DecodeCodes(const std::string& text);
/// "Hi" to "#72#105".
std::string EncodeCodes(const std::string& text);
/// True and the character when text has exactly one character (upper-cased a to z when
/// upCase is set); otherwise false and the character with code 0.
bool SingleChar(const std::string& text, bool upCase, char& ch);
/// Raises the general Exception with msg.
[[noreturn]] void RaiseError(const std::string& msg);

/// The integer conversion used for every number: leading blanks, then an optional sign and
/// decimal digits within 32 bits, or without sign a hexadecimal marker ("$", "x", "X", "0x",
/// "0X") and up to eight hexadecimal digits read as a 32-bit pattern; nothing after.
/// Raises EConvertError "'<text>' is not a valid integer value".
std::int32_t StrToInt(const std::string& text);
/// The same conversion without raising.
bool TryStrToInt(const std::string& text, std::int32_t& value);

/// Cuts a command string into switches and plain arguments and hands each one to a handler.
class TVxCmdParser {
public:
    virtual ~TVxCmdParser() = default;

    /// One switch: its upper-cased name and its value.
    virtual void DoOption(std::string name, std::string value);
    /// One plain argument, whole.
    virtual void DoParam(std::string text);
    /// Calls the handlers in the order of the arguments.
    virtual void Parse(std::string cmdLine);

    /// Takes the next argument off the front of rest; arg is empty when nothing is left.
    static void NextArg(std::string& rest, std::string& arg);
    /// Classifies one argument.
    static void SplitArg(const std::string& arg, std::string& upperArg, std::string& nameOrText,
                         std::string& value, bool& isSwitch);
};

/// Reads a record-definition command string into fields and settings, and then produces
/// random records from it.
class TVxRndParser : public TVxCmdParser {
public:
    void DoOption(std::string name, std::string value) override;
    void DoParam(std::string text) override;
    /// The whole parse; raises Exception (or EConvertError for a year) on the first fault.
    void Parse(std::string cmdLine) override;

    /// One field switch; false, with nothing added, when letter names no field type.
    bool AddField(char letter, const std::string& value);
    /// Fills Size and Str of a field whose TextType is set.
    void ParseFieldValue(char letter, TFieldDef& field, std::string value);

    /// Reads the files of the definition's line fields and checks that every value of a run
    /// of records records fits its field's width; raises the first fault. GetRecord and the
    /// record plan read the files themselves when it has not been called, so it is called
    /// to hear of a fault before anything else is done (before an output file is created).
    /// File names are taken as UTF-8 on the system's side, or with fileNamesAsBytes as the
    /// bytes the definition holds. Reads each file once, also for copies of the parser made
    /// before; not to be called on two threads at once.
    void Prepare(std::uint64_t records, bool fileNamesAsBytes = false) const;
    /// The compiled value field of a field of this parser, or one compiled from field
    /// (whose file is not read yet); nullptr for a field of another kind.
    std::shared_ptr<const TVxValueField> ValueFieldOf(const TFieldDef& field) const;

    /// The number (from 0) of the record GetRecord makes next: a counter field counts it.
    /// Parse sets it to 0, the run's first record.
    std::uint64_t NextRecord() const { return FNextRecord; }
    void SetNextRecord(std::uint64_t record) { FNextRecord = record; }

    /// The text of one record into line (emptied first), with the line end when toFile.
    void GetRecord(bool toFile, std::string& line);
    /// The same record appended to text, so that a writer can gather many records in one
    /// buffer before it writes them.
    void AppendRecord(bool toFile, std::string& text);
    /// The text of one field into text (emptied first).
    void GetField(const TFieldDef& field, std::string& text);
    /// One repetition of a field into text (emptied first); for a date field, one date, and
    /// for a value field the value of the record NextRecord.
    void GetChar(const TFieldDef& field, std::string& text);
    /// One character drawn from pool; code 0 and no draw for an empty pool.
    char RandomChar(std::string_view pool);
    /// One random date in SystemDateFormat; exactly three draws. A reversed range (toYear
    /// below fromYear) is drawn from the lower year to the higher one.
    void RandomDate(std::int32_t fromYear, std::int32_t toYear, std::string& text);

    const std::string& Capitals() const { return FCapitals; }
    const std::string& Smalls() const { return FSmalls; }
    const std::string& Letters() const { return FLetters; }
    const std::string& BinLow() const { return FBinLow; }
    const std::string& Binary() const { return FBinary; }
    const std::string& UserCharset() const { return FUserCharset; }
    /// The text a field repeats or draws from, by its type's row (empty for a type without).
    std::string_view PoolOf(const TFieldDef& field) const;
    const std::vector<TFieldDef>& Fields() const { return FFields; }
    std::int32_t RecordCount() const { return FRecordCount; }
    /// 0 = CR LF, 1 = LF, 2 = nothing.
    std::uint8_t EndOfLine() const { return FEndOfLine; }
    const std::string& FileName() const { return FFileName; }
    std::int32_t ArgCount() const { return FArgCount; }

private:
    /// Raises a clear message when one record's fields are too large to be held in one
    /// string, before anything is drawn or allocated.
    void CheckHoldable() const;
    /// One record written into text from position start on; text ends with it.
    void WriteRecord(bool toFile, std::string& text, std::size_t start);
    /// Appends count repetitions of a non-date field to text (nothing for a count below 1).
    void AppendRepeated(const TFieldDef& field, std::int32_t count, std::string& text);
    /// Writes count repetitions of a non-date field at out, which has room for them, drawing
    /// from state (a copy of Seed that the caller stores back), and returns the end.
    char* WriteRepeated(const TFieldDef& field, std::int32_t count, char* out,
                        std::uint32_t& state) const;
    /// Appends one field's text to text (the work of GetField without emptying text).
    void AppendField(const TFieldDef& field, std::string& text);
    /// Appends one random date to text (the work of RandomDate without emptying text).
    void AppendRandomDate(std::int32_t fromYear, std::int32_t toYear, std::string& text);
    /// Appends the value of a value field for the record NextRecord to text.
    void AppendValue(const TFieldDef& field, std::string& text);
    /// The index of field in Fields, or Fields().size() for a field of its own.
    std::size_t IndexOf(const TFieldDef& field) const;

    std::string FCapitals;
    std::string FSmalls;
    std::string FLetters;
    std::string FBinLow;
    std::string FBinary;
    std::string FUserCharset;
    std::vector<TFieldDef> FFields;
    std::int32_t FRecordCount = 0;
    std::uint8_t FEndOfLine = 0;
    std::string FFileName;
    std::int32_t FArgCount = 0;
    /// The pool of ttLetterUser, Letters followed by UserCharset, kept ready so that a draw
    /// does not build it again; rebuilt whenever UserCharset changes.
    std::string FLetterUser;
    /// The compiled value fields, at the index of their field (nullptr for other fields).
    std::vector<std::shared_ptr<TVxValueField>> FValues;
    std::uint64_t FNextRecord = 0;
};

/// The draws one field makes in a record: its repetitions times its type's draws per
/// repetition; none for a drawn field with an empty pool and for counts below 1.
std::uint64_t DrawsOfField(const TVxRndParser& parser, const TFieldDef& field);
/// The draws one record of a parsed definition makes. Record i of a run (from 0) starts at
/// the state i * DrawsPerRecord steps after the run's seed.
std::uint64_t DrawsPerRecord(const TVxRndParser& parser);
