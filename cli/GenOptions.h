// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <getopt.h>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

/// A command line that tabbit-gen cannot make sense of; it exits with status 2.
class TUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// What one call of tabbit-gen asks for. Texts are still as the terminal gave them (UTF-8).
struct TGenOptions {
    bool Help = false;
    bool Version = false;
    bool Quiet = false;
    bool List = false;
    std::optional<std::uint32_t> Seed;
    std::optional<std::string> DateFormat;
    /// "-" for standard output.
    std::optional<std::string> Output;
    std::optional<std::string> LoadName;
    std::optional<std::string> IniPath;
    std::optional<std::string> CommandString;
    /// The file (or "-" for standard input) whose first line is the command string.
    std::optional<std::string> DefinitionFile;
    /// Threads that produce records; unset means the processors the process may use.
    std::optional<unsigned> Threads;
    /// Part Index of Count (1 <= Index <= Count) of the whole run: only its records are written.
    struct TPart {
        std::uint64_t Index = 1;
        std::uint64_t Count = 1;
    };
    std::optional<TPart> Part;
    /// Replace the definition's /R, /E (its letter W, U or N) and /D for this run; the
    /// character set is still as the terminal gave it.
    std::optional<std::int32_t> Records;
    std::optional<char> EndOfLine;
    std::optional<std::string> Charset;
    /// What the program will pass over that the user gave, one warning each (UTF-8).
    std::vector<std::string> Warnings;
};

/// The arguments after the program name, in the GNU forms (--seed=N, --seed N, -qo FILE);
/// raises TUsageError with a one-line description of what is wrong.
///
/// A command string may start with "-" (-n=5 is a switch of the command-string language):
/// an argument that starts with a single "-" is taken as the command string when it holds
/// "=", or "/" or a blank without being a cluster of short options with a value (-o/tmp/x);
/// every other one is an option. "--" ends the options.
TGenOptions ParseGenOptions(const std::vector<std::string>& args);

/// The options getopt_long knows, ended by an entry of zeros; the help text, the manual
/// page and the shell completion list the same ones.
std::span<const option> GenLongOptions();
/// The short options in getopt's notation (a letter followed by ":" takes a value).
extern const char* const GenShortOptions;

/// The text printed by --help.
extern const char* const GenUsage;
/// The text printed by --version.
extern const char* const GenVersion;
