// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Exceptions.h"

#include <cstdint>
#include <string>
#include <vector>

/// One row of the record table as the user filled it: the caption of its field type (empty,
/// an editing entry or any other text ends the definition), its Field Size and its String.
struct TGridRow {
    std::string Caption;
    std::string Size;
    std::string Str;
};

/// The settings of a record definition beside its table, as their edits hold them.
struct TCommandSettings {
    std::string RecordCount;
    std::string Charset;
    /// 0 = CR LF, 1 = LF, 2 = nothing.
    int EndOfLine = 0;
    std::string FileName;
};

/// A written command string with what it holds: the arguments written, counted the way the
/// parser counts the ones it accepts, and the table rows written as fields.
struct TCommandString {
    std::string Text;
    std::int32_t ArgCount = 0;
    std::int32_t DefinedRows = 0;
};

/// A table row the writer cannot write. It carries the counts up to and including that row,
/// which a caller keeps as the counts of the refused definition.
class ERowRefused : public Exception {
public:
    ERowRefused(const std::string& message, std::int32_t argCount, std::int32_t definedRows)
        : Exception(message), FArgCount(argCount), FDefinedRows(definedRows) {}
    std::int32_t ArgCount() const { return FArgCount; }
    std::int32_t DefinedRows() const { return FDefinedRows; }

private:
    std::int32_t FArgCount;
    std::int32_t FDefinedRows;
};

/// text without the blanks and control characters at either end, as the settings edits are
/// taken.
std::string TrimControls(const std::string& text);

/// Writes the command string of a record table and its settings: the record count ("1" when
/// empty), the character set when there is one, one field per row up to the first row whose
/// caption names no field type, the end of line and the file name. Raises ERowRefused for a
/// row whose type needs a string and has none.
TCommandString BuildCommandString(const std::vector<TGridRow>& rows,
                                  const TCommandSettings& settings);
