// SPDX-License-Identifier: MIT
#include "engine/CommandStringWriter.h"

#include "engine/CommandLanguage.h"

#include <algorithm>
#include <array>

namespace {

/// Field types whose String is the field's text or pool, so a field without one would
/// produce nothing to draw from.
constexpr std::array StringRequired = {ttFixed, ttRandomString};
/// Field types whose String is written as it stands: the random date's to-year is a number.
constexpr std::array StringPlain = {ttDate};

template <std::size_t N> bool OneOf(const std::array<TTextType, N>& types, TTextType t) {
    return std::find(types.begin(), types.end(), t) != types.end();
}

/// The row of the field-type table with this caption, or nullptr when the text names no
/// field type (an editing entry has no switch prefix and names none either).
const TTextTypeOpt* FieldTypeOfCaption(const std::string& caption) {
    const auto found = std::find_if(TextTypeOpts.begin(), TextTypeOpts.end(),
                                    [&](const TTextTypeOpt& o) { return o.Caption == caption; });
    if (found == TextTypeOpts.end() || found->Arg.empty()) {
        return nullptr;
    }
    return &*found;
}

/// text, or "1" for the empty text: the count a missing number stands for.
std::string OneWhenEmpty(std::string text) {
    if (text.empty()) {
        text.push_back('1');
    }
    return text;
}

std::string EndOfLineArg(int endOfLine) {
    switch (endOfLine) {
    case 1:
        return "/E=U";
    case 2:
        return "/E=N";
    default:
        return "/E=W";
    }
}

} // namespace

std::string TrimControls(const std::string& text) {
    const auto kept = [](char c) { return static_cast<unsigned char>(c) > ' '; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && !kept(text[begin])) {
        ++begin;
    }
    while (end > begin && !kept(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

TCommandString BuildCommandString(const std::vector<TGridRow>& rows,
                                  const TCommandSettings& settings) {
    TCommandString out;
    out.Text = "/R=" + OneWhenEmpty(TrimControls(settings.RecordCount)) + " ";
    out.ArgCount = 1;

    const std::string charset = TrimControls(settings.Charset);
    if (!charset.empty()) {
        ++out.ArgCount;
        out.Text += "/D=" + charset + " ";
    }

    for (const TGridRow& row : rows) {
        const TTextTypeOpt* type = FieldTypeOfCaption(row.Caption);
        if (!type) {
            break;
        }
        ++out.ArgCount;
        ++out.DefinedRows;
        const std::string str = OneOf(StringPlain, type->TextType) ? row.Str : EncodeCodes(row.Str);
        if (str.empty() && OneOf(StringRequired, type->TextType)) {
            throw ERowRefused("Empty string for field type\r\n\"" + std::string(type->Caption) +
                                  "\" not allowed!",
                              out.ArgCount, out.DefinedRows);
        }
        out.Text +=
            std::string(type->Arg) + (row.Size.empty() ? std::string(type->EmptySize) : row.Size);
        if (!str.empty()) {
            out.Text += "," + str;
        }
        out.Text += " ";
    }

    const std::string fileName = TrimControls(settings.FileName);
    out.Text += EndOfLineArg(settings.EndOfLine) + " " + fileName;
    out.ArgCount += fileName.empty() ? 1 : 2;
    return out;
}
