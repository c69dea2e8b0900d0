// SPDX-License-Identifier: MIT
#include "engine/FieldTypes.h"

namespace {

// Short names for the table's columns; None is the pool of a date.
constexpr TFieldKind Repeated = TFieldKind::Repeated;
constexpr TFieldKind Drawn = TFieldKind::Drawn;
constexpr TFieldKind Date = TFieldKind::Date;
constexpr TFieldKind Value = TFieldKind::Value;
using enum TFieldPool;
// The String column: used by the row, or not; an empty Field Size of a value field is its
// natural width.
constexpr bool String = true;
constexpr std::string_view Natural = "0";

const TTextTypeOpt NoOpt{"", ttNone, ""};

const TTextTypeOpt* OptOfCaption(std::string_view caption) {
    for (const TTextTypeOpt& opt : TextTypeOpts) {
        if (opt.Caption == caption) {
            return &opt;
        }
    }
    return nullptr;
}

} // namespace

const std::array<TTextTypeOpt, 20> TextTypeOpts{{
    {"(delete line)", ttDeleteLine, ""},
    {"(insert before line)", ttInsertLine, ""},
    {"(clear all)", ttClearAll, ""},
    {"numeric (0..9)", ttNumeric, "/N=", Drawn, Digits, 1},
    {"hex (0..F)", ttHex, "/H=", Drawn, Hex, 1},
    {"capital (A..Z)", ttCapital, "/C=", Drawn, Capitals, 1},
    {"small (a..z)", ttSmall, "/S=", Drawn, Smalls, 1},
    {"letter (A..Z, a..z)", ttLetter, "/L=", Drawn, Letters, 1},
    {"blank", ttBlank, "/B=", Repeated, Blank, 0},
    {"tabstop", ttTab, "/T=", Repeated, Tab, 0},
    {"fixed string", ttFixed, "/F=", Repeated, FieldString, 0, String},
    {"random from string", ttRandomString, "/U=", Drawn, FieldString, 1, String},
    {"letter union userdef' charset", ttLetterUser, "/A=", Drawn, LetterUser, 1},
    {"binary low (#0..#31)", ttBinaryLow, "/P=", Drawn, BinaryLow, 1},
    {"random date", ttDate, "/Y=", Date, None, 3, String},
    {"binary (#0..#255)", ttBinary, "/X=", Drawn, Binary, 1},
    {"counter (record number)", ttCounter, "/I=", Value, None, 0, String, Natural},
    {"number range", ttRange, "/M=", Value, None, 0, String, Natural},
    {"random from list", ttList, "/V=", Value, None, 0, String, Natural},
    {"random line of file", ttFileLine, "/W=", Value, None, 0, String, Natural},
}};

TTextType TextTypeOfCaption(std::string_view caption) {
    const TTextTypeOpt* opt = OptOfCaption(caption);
    return opt != nullptr ? opt->TextType : ttNone;
}

std::string CaptionOfTextType(TTextType textType) {
    const TTextTypeOpt& opt = OptOfTextType(textType);
    return std::string(opt.Caption);
}

std::string ArgOfCaption(std::string_view caption) {
    const TTextTypeOpt* opt = OptOfCaption(caption);
    return opt != nullptr ? std::string(opt->Arg) : std::string();
}

const TTextTypeOpt& OptOfTextType(TTextType textType) {
    // Looked up for every field of every record, so by the type's ordinal.
    static const std::array<const TTextTypeOpt*, 256> byType = [] {
        std::array<const TTextTypeOpt*, 256> rows{};
        rows.fill(&NoOpt);
        for (const TTextTypeOpt& opt : TextTypeOpts) {
            rows[opt.TextType] = &opt;
        }
        return rows;
    }();
    return *byType[textType];
}

TTextType TextTypeOfLetter(char letter) {
    for (const TTextTypeOpt& opt : TextTypeOpts) {
        if (opt.Arg.size() == 3 && opt.Arg[1] == letter) {
            return opt.TextType;
        }
    }
    return ttNone;
}
