// SPDX-License-Identifier: MIT
#pragma once

#include "cli/GenOptions.h"
#include "cli/GenRun.h"

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

/// The settings file that --list and --load read: --ini's path as given, else the window
/// program's own.
std::string IniPathOf(const TGenOptions& o);

/// The names of the saved definitions in the settings file of IniPathOf, as stored (8-bit).
std::vector<std::string> SavedNames(const TGenOptions& o);

/// The first line of the file at path ("-" for standard input), without its line end, as the
/// bytes stand; raises TGenFailure naming the file and the system's reason.
std::string ReadFirstLine(const std::string& path);

/// What the engine passes over in silence in an 8-bit command string: switches that name no
/// field or setting, and plain arguments after the file name. One UTF-8 text each.
std::vector<std::string> IgnoredArguments(const std::string& definition);

/// The command string of the run in the 8-bit set, from --load, --file or the command line,
/// and whether it arrived as bytes. Prints a warning on standard error for each argument the
/// engine will ignore.
TGenDefinition DefinitionText(const TGenOptions& o);
