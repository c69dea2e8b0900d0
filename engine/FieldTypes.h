// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The field types of a record definition: what the user picks them by, how the command
// string names them, and what a field of each type is made of. Every part of the engine
// that writes or counts a field reads it here, so a new type is mainly a new row.

/// Field types and the three grid editing commands offered in the same menu. The ordinals
/// are fixed.
enum TTextType : std::uint8_t {
    ttClearAll = 0,
    ttDeleteLine = 1,
    ttInsertLine = 2,
    ttNone = 3,
    ttNumeric = 4,
    ttHex = 5,
    ttCapital = 6,
    ttSmall = 7,
    ttLetter = 8,
    ttTab = 9,
    ttBlank = 10,
    ttFixed = 11,
    ttRandomString = 12,
    ttLetterUser = 13,
    ttBinaryLow = 14,
    ttBinary = 15,
    ttDate = 16,
    ttCounter = 17,
    ttRange = 18,
    ttList = 19,
    ttFileLine = 20,
};

/// How a field's text comes about: nothing (the menu's commands), a text repeated Size
/// times, Size characters drawn one by one from a pool, one random date, or one whole value
/// per record (a counter, a number, a list item, a line of a file) that Size is the width of.
enum class TFieldKind : std::uint8_t { None, Repeated, Drawn, Date, Value };

/// The text a field is made of: its repeated text or the pool it draws from. FieldString
/// is the field's own string; the character sets are those of the parser.
enum class TFieldPool : std::uint8_t {
    None,
    Tab,
    Blank,
    FieldString,
    Digits,
    Hex,
    Capitals,
    Smalls,
    Letters,
    LetterUser,
    BinaryLow,
    Binary,
};

/// One row of the field-type table: the caption shown to the user, its type, the switch
/// prefix the command-string writer puts in front of a field of that type, what a field of
/// that type is made of with the draws each repetition takes (three per date; a value field
/// knows its own), whether the grid's String column means something for it, and what an
/// empty Field Size is written as.
struct TTextTypeOpt {
    std::string_view Caption;
    TTextType TextType;
    std::string_view Arg;
    TFieldKind Kind = TFieldKind::None;
    TFieldPool Pool = TFieldPool::None;
    std::uint8_t DrawsPerRepetition = 0;
    bool UsesString = false;
    std::string_view EmptySize = "1";
};

/// The 20 rows of the field-type table in popup-menu order.
extern const std::array<TTextTypeOpt, 20> TextTypeOpts;

/// The pools that do not depend on the definition.
constexpr std::string_view DigitPool = "0123456789";
constexpr std::string_view HexPool = "0123456789ABCDEF";

TTextType TextTypeOfCaption(std::string_view caption);
std::string CaptionOfTextType(TTextType textType);
std::string ArgOfCaption(std::string_view caption);

/// The row of a field type; a row of kind None for a type without one.
const TTextTypeOpt& OptOfTextType(TTextType textType);
/// The field type whose switch is /letter= (letter upper-case); ttNone for none.
TTextType TextTypeOfLetter(char letter);
