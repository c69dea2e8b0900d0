// SPDX-License-Identifier: MIT
#pragma once

#include "cli/GenOptions.h"
#include "cli/GenRun.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

/// A failure that ends the run with status 1; its text is printed after "tabbit-gen: ".
class TGenFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// An argument in the 8-bit set, or the failure naming the character that has no place in it.
std::string Latin1Argument(const std::string& bytes, const char* what);

/// The settings file that --list and --load read: --ini's path as given, which must be there
/// and readable (else TGenFailure naming it and the system's reason), else the window
/// program's own, which may be missing (no saved definitions).
std::string IniPathOf(const TGenOptions& o);

/// The names of the saved definitions in the settings file of IniPathOf, as stored (8-bit).
std::vector<std::string> SavedNames(const TGenOptions& o);

/// What a definition file holds for tabbit-gen.
struct TDefinitionFile {
    /// The first line, without its line end or a UTF-8 byte-order mark, as the bytes stand.
    std::string FirstLine;
    /// The number of the first later line that holds more than blanks, which is ignored;
    /// 0 when there is none (a terminal is not read beyond the first line).
    std::uint64_t IgnoredLine = 0;
};

/// Reads the file at path ("-" for standard input); raises TGenFailure naming the file and
/// the system's reason.
TDefinitionFile ReadDefinitionFile(const std::string& path);

/// The first line of ReadDefinitionFile.
std::string ReadFirstLine(const std::string& path);

/// What the engine passes over in silence in an 8-bit command string: switches that name no
/// field or setting, and plain arguments after the file name. One UTF-8 text each.
std::vector<std::string> IgnoredArguments(const std::string& definition);

/// The command string of the run in the 8-bit set, from --load, --file or the command line,
/// and whether it arrived as bytes. Prints a warning on standard error for each argument the
/// engine will ignore.
TGenDefinition DefinitionText(const TGenOptions& o);
