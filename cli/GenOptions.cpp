// SPDX-License-Identifier: MIT
#include "cli/GenOptions.h"

const char* const GenUsage =
    "Usage: tabbit-gen [OPTION]... [--] COMMAND-STRING\n"
    "       tabbit-gen [OPTION]... --load NAME\n"
    "       tabbit-gen [--ini PATH] --list\n"
    "Writes random records described by a record definition.\n"
    "\n"
    "  --seed N            start the random source at N (0 to 4294967295) instead of the clock\n"
    "  --date-format FMT   write random dates in FMT (for example yyyy-mm-dd)\n"
    "  -o FILE, -o -       write to FILE, or to standard output\n"
    "                      (default: the file named in the definition, else standard output)\n"
    "  --quiet             no progress line\n"
    "  --load NAME         generate the definition saved under NAME in the window program\n"
    "  --list              print the names of the saved definitions\n"
    "  --ini PATH          the settings file holding the saved definitions\n"
    "  --help              print this text\n"
    "  --version           print the version\n"
    "\n"
    "Example: tabbit-gen --seed 0 -o - '/R=10 /N=5 /F=1,#59 /E=U'\n";

namespace {

std::uint32_t ParseSeed(const std::string& text) {
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        throw TUsageError("--seed takes a whole number from 0 to 4294967295, not '" + text + "'");
    const unsigned long long value = std::stoull(text);
    if (value > 0xFFFFFFFFull)
        throw TUsageError("--seed takes a whole number from 0 to 4294967295, not '" + text + "'");
    return static_cast<std::uint32_t>(value);
}

/// A whole number from min to max, or the usage error naming the option.
std::uint64_t ParseCount(const std::string& text, const char* option, std::uint64_t min,
                         std::uint64_t max) {
    const std::string range = " takes a whole number from " + std::to_string(min) + " to " +
                              std::to_string(max) + ", not '" + text + "'";
    if (text.empty() || text.size() > 19 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        throw TUsageError(option + range);
    const unsigned long long value = std::stoull(text);
    if (value < min || value > max)
        throw TUsageError(option + range);
    return value;
}

TGenOptions::TPart ParsePart(const std::string& text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos)
        throw TUsageError("--part takes I/N (part I of N), not '" + text + "'");
    TGenOptions::TPart part;
    part.Count = ParseCount(text.substr(slash + 1), "--part's N", 1, 1ull << 62);
    part.Index = ParseCount(text.substr(0, slash), "--part's I", 1, part.Count);
    return part;
}

} // namespace

TGenOptions ParseGenOptions(const std::vector<std::string>& args) {
    TGenOptions o;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw TUsageError(a + " needs a value");
            return args[++i];
        };
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (a == "--help" || a == "-h")) {
            o.Help = true;
        } else if (!optionsEnded && a == "--version") {
            o.Version = true;
        } else if (!optionsEnded && a == "--quiet") {
            o.Quiet = true;
        } else if (!optionsEnded && a == "--list") {
            o.List = true;
        } else if (!optionsEnded && a == "--seed") {
            o.Seed = ParseSeed(value());
        } else if (!optionsEnded && a == "--date-format") {
            o.DateFormat = value();
        } else if (!optionsEnded && (a == "-o" || a == "--output")) {
            o.Output = value();
        } else if (!optionsEnded && a == "--load") {
            o.LoadName = value();
        } else if (!optionsEnded && a == "--threads") {
            o.Threads = static_cast<unsigned>(ParseCount(value(), "--threads", 1, 1024));
        } else if (!optionsEnded && a == "--part") {
            o.Part = ParsePart(value());
        } else if (!optionsEnded && (a == "-f" || a == "--file")) {
            o.DefinitionFile = value();
        } else if (!optionsEnded && a == "--ini") {
            o.IniPath = value();
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-' && a[1] == '-') {
            throw TUsageError("unknown option " + a);
        } else if (!optionsEnded && a.size() == 2 && a[0] == '-') {
            // A single-letter option that is not -o; a definition starting with "-" follows "--".
            throw TUsageError("unknown option " + a);
        } else if (o.CommandString) {
            throw TUsageError("only one command string is taken (quote it as one argument)");
        } else {
            o.CommandString = a;
        }
    }
    if (o.Help || o.Version)
        return o;
    if (o.List) {
        if (o.CommandString || o.LoadName)
            throw TUsageError("--list takes no command string and no --load");
        return o;
    }
    if ((o.LoadName ? 1 : 0) + (o.CommandString ? 1 : 0) + (o.DefinitionFile ? 1 : 0) > 1)
        throw TUsageError("give one of a command string, --load NAME or --file FILE");
    if (!o.LoadName && !o.CommandString && !o.DefinitionFile)
        throw TUsageError("no command string given");
    if (o.Part && !o.Seed)
        throw TUsageError("--part needs --seed, so that every part belongs to the same run");
    if (o.Output && o.Output->empty())
        throw TUsageError("-o needs a file name, or - for standard output");
    return o;
}
