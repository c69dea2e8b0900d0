// SPDX-License-Identifier: MIT
#include "cli/GenOptions.h"
#include "Version.h"

#include <array>
#include <cctype>
#include <cstring>
#include <string_view>
#include <utility>

const char* const GenUsage =
    "Usage: tabbit-gen [OPTION]... [--] COMMAND-STRING\n"
    "  or:  tabbit-gen [OPTION]... -f FILE\n"
    "  or:  tabbit-gen [OPTION]... --load=NAME\n"
    "  or:  tabbit-gen [--ini=PATH] --list\n"
    "Write random test records as a record definition describes them.\n"
    "\n"
    "Options:\n"
    "  -o, --output=FILE      write to FILE, or to standard output with -o -\n"
    "                         (default: the file named in the definition, else\n"
    "                         standard output)\n"
    "  -f, --file=FILE        read the definition from the first line of FILE\n"
    "                         (- for standard input)\n"
    "      --load=NAME        generate the definition saved under NAME\n"
    "      --list             print the names of the saved definitions\n"
    "      --ini=PATH         the settings file holding the saved definitions\n"
    "      --seed=N           start the random source at N (0 to 4294967295)\n"
    "                         instead of the clock\n"
    "      --date-format=FMT  write random dates in FMT (for example yyyy-mm-dd)\n"
    "      --records=N        write N records (0 to 2147483647) instead of /R\n"
    "      --eol=crlf|lf|none end each record with CR LF, LF or nothing instead of /E\n"
    "      --charset=TEXT     the user-defined characters for /A instead of /D\n"
    "  -j, --threads=N        produce records on N threads (default: the processors\n"
    "                         available); the output is the same for every N\n"
    "      --part=I/N         write only part I of N of the run (needs --seed)\n"
    "  -q, --quiet            show no progress line and no summary\n"
    "  -h, --help             print this help and exit\n"
    "  -V, --version          print the version and exit\n"
    "\n"
    "The command string holds switches and at most one plain argument, the output\n"
    "file name. A switch starts with / or -; its letter ignores case.\n"
    "  /R=n       number of records (default 1)\n"
    "  /E=W|U|N   line end CR LF, LF or none (default CR LF)\n"
    "  /D=text    the user-defined characters, for /A\n"
    "  /Z=fmt     date format of the random dates\n"
    "Fields, in the order of the record (a count left out means 1):\n"
    "  /N=n digits 0-9       /H=n hex digits 0-F    /C=n capitals A-Z\n"
    "  /S=n small a-z        /L=n letters           /A=n letters and /D text\n"
    "  /T=n tab stops        /B=n blanks            /P=n control bytes 0-31\n"
    "  /X=n any byte 0-255   /F=n,text  text repeated n times\n"
    "  /U=n,pool  n characters drawn from pool   /Y=from,to  a date in those years\n"
    "One value per record, w its width (0: as long as the value):\n"
    "  /I=w,first     the record number counted from first (default 1)\n"
    "  /M=w,low..high a number from low to high, such as 0.00..999.99\n"
    "  /V=w,a*3|b|c   an item of the list, *3 making it three times as likely\n"
    "  /W=w,file      a line of the file\n"
    "Texts with blanks or commas are written as codes: #59 is ;  #32 a blank.\n"
    "\n"
    "Exit status: 0 done; 1 refused definition or failure; 2 usage error;\n"
    "129, 130 or 143 when stopped by SIGHUP, SIGINT or SIGTERM.\n"
    "\n"
    "Example: tabbit-gen --seed=0 -o - '/R=10 /N=5 /F=1,#59 /E=U'\n"
    "\n"
    "Full documentation: man tabbit-gen\n";

const char* const GenVersion =
    "tabbit-gen " TABBIT_VERSION "\n"
    "Copyright (C) 2026 The tabbit developers.\n"
    "License MIT: <https://opensource.org/licenses/MIT>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

// The leading "-" hands plain arguments over in order (whatever POSIXLY_CORRECT says), the
// ":" reports a missing value apart from an unknown option.
const char* const GenShortOptions = "-:hVqo:f:j:";

namespace {

/// The letters of the short options, for telling an option cluster from a command string.
constexpr std::string_view ShortLetters = "hVqofj";
/// Short options that take a value: the rest of the cluster, or else the next argument.
constexpr std::string_view ShortWithValue = "ofj";
constexpr auto npos = std::string_view::npos;

enum : int {
    OptSeed = 256,
    OptDateFormat,
    OptLoad,
    OptList,
    OptIni,
    OptPart,
    OptRecords,
    OptEol,
    OptCharset,
};

constexpr std::array<option, 16> LongOptions = {{
    {"output", required_argument, nullptr, 'o'},
    {"file", required_argument, nullptr, 'f'},
    {"load", required_argument, nullptr, OptLoad},
    {"list", no_argument, nullptr, OptList},
    {"ini", required_argument, nullptr, OptIni},
    {"seed", required_argument, nullptr, OptSeed},
    {"date-format", required_argument, nullptr, OptDateFormat},
    {"threads", required_argument, nullptr, 'j'},
    {"part", required_argument, nullptr, OptPart},
    {"records", required_argument, nullptr, OptRecords},
    {"eol", required_argument, nullptr, OptEol},
    {"charset", required_argument, nullptr, OptCharset},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
}};

/// A whole number from min to max, leading zeros allowed, or the usage error naming the option.
std::uint64_t ParseCount(const std::string& text, const char* option, std::uint64_t min,
                         std::uint64_t max) {
    const std::string range = " takes a whole number from " + std::to_string(min) + " to " +
                              std::to_string(max) + ", not '" + text + "'";
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        throw TUsageError(option + range);
    }
    const std::size_t digits = text.find_first_not_of('0');
    const std::string significant = digits == std::string::npos ? "0" : text.substr(digits);
    // Nineteen digits always fit in 64 bits and go beyond every maximum taken here.
    if (significant.size() > 19) {
        throw TUsageError(option + range);
    }
    const unsigned long long value = std::stoull(significant);
    if (value < min || value > max) {
        throw TUsageError(option + range);
    }
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

/// The /E letter of a line end named as on the command line.
char ParseEol(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (lower == "crlf") {
        return 'W';
    }
    if (lower == "lf") {
        return 'U';
    }
    if (lower == "none") {
        return 'N';
    }
    throw TUsageError("--eol takes crlf, lf or none, not '" + text + "'");
}

/// A value that must not be empty.
std::string NonEmpty(const char* value, const char* what) {
    if (*value == '\0')
        throw TUsageError(what);
    return value;
}

/// The long options whose names start with name (the one named exactly, when there is one),
/// as getopt_long matches them.
std::vector<const option*> LongMatches(std::string_view name) {
    std::vector<const option*> matches;
    for (const option& o : GenLongOptions()) {
        if (name == o.name)
            return {&o};
        if (std::string_view(o.name).starts_with(name))
            matches.push_back(&o);
    }
    return matches;
}

/// The name of a long option argument ("--see=1" gives "see").
std::string_view LongName(std::string_view arg) {
    arg.remove_prefix(2);
    return arg.substr(0, arg.find('='));
}

/// Whether arg is a cluster of short options whose last one takes the rest as its value
/// (-o/tmp/out.txt, -qj2).
bool IsClusterWithValue(const std::string& arg) {
    for (std::size_t k = 1; k < arg.size() && ShortLetters.find(arg[k]) != npos; ++k) {
        if (ShortWithValue.find(arg[k]) != npos) {
            return k + 1 < arg.size();
        }
    }
    return false;
}

/// A command string that starts with a single "-" rather than a cluster of short options: it
/// holds "=", or it holds "/" or a blank and is no cluster with a value. Anything else is
/// left to getopt_long, which refuses an unknown letter (-x /N=1 is no command string).
bool IsDashCommandString(const std::string& arg) {
    if (arg.size() < 2 || arg[0] != '-' || arg[1] == '-') {
        return false;
    }
    if (arg.find('=') != std::string::npos) {
        return true;
    }
    return arg.find_first_of("/ \t") != std::string::npos && !IsClusterWithValue(arg);
}

/// The usage error for what getopt_long refused; element is the argument it stopped at
/// when the fault lies in a long option or a missing value.
TUsageError Refused(int code, const char* element) {
    const bool badLetter = code == '?' && optopt > 0 && optopt < 256 &&
                           ShortLetters.find(static_cast<char>(optopt)) == std::string::npos;
    if (badLetter)
        return TUsageError(std::string("invalid option -- '") + static_cast<char>(optopt) + "'");
    const std::string text = element ? element : "";
    const bool isLong = text.starts_with("--");
    const std::string name = isLong ? "--" + std::string(LongName(text)) : "";
    if (code == ':')
        return TUsageError(isLong ? "option '" + name + "' requires an argument"
                                  : std::string("option requires an argument -- '") +
                                        static_cast<char>(optopt) + "'");
    if (optopt != 0)
        return TUsageError("option '" + name + "' doesn't allow an argument");
    if (LongMatches(LongName(text)).size() > 1)
        return TUsageError("option '" + name + "' is ambiguous");
    return TUsageError("unrecognized option '" + name + "'");
}

/// The arguments split for getopt_long: what it is to parse, and the command strings it must
/// not see. Those are the arguments after "--" and those that start with a single "-" but are
/// no cluster of short options (getopt_long would refuse -N=5 as an unknown option -N). The
/// value of an option stays with its option, whatever it looks like.
struct TSplitArgs {
    std::vector<std::string> ForGetopt;
    std::vector<std::string> CommandStrings;
};

TSplitArgs SplitArgs(const std::vector<std::string>& args) {
    TSplitArgs split;
    bool valueNext = false;
    for (auto a = args.begin(); a != args.end(); ++a) {
        if (valueNext) {
            valueNext = false;
        } else if (*a == "--") {
            split.CommandStrings.insert(split.CommandStrings.end(), a + 1, args.end());
            break;
        } else if (a->starts_with("--")) {
            const auto matches = LongMatches(LongName(*a));
            valueNext = matches.size() == 1 && matches[0]->has_arg == required_argument &&
                        a->find('=') == std::string::npos;
        } else if (IsDashCommandString(*a)) {
            split.CommandStrings.push_back(*a);
            continue;
        } else if (a->size() >= 2 && (*a)[0] == '-') {
            // A cluster ending in an option that takes a value takes the next argument.
            for (std::size_t k = 1; k < a->size() && ShortLetters.find((*a)[k]) != npos; ++k)
                if (ShortWithValue.find((*a)[k]) != npos) {
                    valueNext = k + 1 == a->size();
                    break;
                }
        }
        split.ForGetopt.push_back(*a);
    }
    return split;
}

/// Takes one option that getopt_long returned into o; a plain argument goes to plain.
void TakeOption(int code, const char* value, TGenOptions& o, std::vector<std::string>& plain) {
    switch (code) {
    case 1:
        plain.push_back(value);
        break;
    case 'h':
        o.Help = true;
        break;
    case 'V':
        o.Version = true;
        break;
    case 'q':
        o.Quiet = true;
        break;
    case 'o':
        o.Output = NonEmpty(value, "-o needs a file name, or - for standard output");
        break;
    case 'f':
        o.DefinitionFile = NonEmpty(value, "--file needs a file name, or - for standard input");
        break;
    case 'j':
        o.Threads = static_cast<unsigned>(ParseCount(value, "--threads", 1, 1024));
        break;
    case OptSeed:
        o.Seed = static_cast<std::uint32_t>(ParseCount(value, "--seed", 0, 0xFFFFFFFFu));
        break;
    case OptDateFormat:
        o.DateFormat = NonEmpty(value, "--date-format needs a format");
        break;
    case OptLoad:
        o.LoadName = NonEmpty(value, "--load needs a name");
        break;
    case OptList:
        o.List = true;
        break;
    case OptIni:
        o.IniPath = NonEmpty(value, "--ini needs the path of a settings file");
        break;
    case OptPart:
        o.Part = ParsePart(value);
        break;
    case OptRecords:
        o.Records = static_cast<std::int32_t>(ParseCount(value, "--records", 0, 2147483647));
        break;
    case OptEol:
        o.EndOfLine = ParseEol(value);
        break;
    case OptCharset:
        o.Charset = value;
        break;
    }
}

/// A warning for each option given that --list has no use for.
std::vector<std::string> IgnoredByList(const TGenOptions& o) {
    const std::pair<bool, const char*> given[] = {
        {o.Output.has_value(), "-o"},
        {o.Seed.has_value(), "--seed"},
        {o.DateFormat.has_value(), "--date-format"},
        {o.Threads.has_value(), "-j"},
        {o.Part.has_value(), "--part"},
        {o.Records.has_value(), "--records"},
        {o.EndOfLine.has_value(), "--eol"},
        {o.Charset.has_value(), "--charset"},
    };
    std::vector<std::string> warnings;
    for (const auto& [isGiven, name] : given) {
        if (isGiven) {
            warnings.push_back(std::string(name) + " is ignored with --list");
        }
    }
    return warnings;
}

/// Checks that what was given goes together, and takes the command string.
void CheckCombination(TGenOptions& o, const std::vector<std::string>& plain) {
    if (plain.size() > 1) {
        throw TUsageError("only one command string is taken (quote it as one argument)");
    }
    if (!plain.empty()) {
        o.CommandString = plain.front();
    }
    if (o.List) {
        if (o.CommandString || o.LoadName || o.DefinitionFile) {
            throw TUsageError("--list takes no command string, --load or --file");
        }
        o.Warnings = IgnoredByList(o);
        return;
    }
    if ((o.LoadName ? 1 : 0) + (o.CommandString ? 1 : 0) + (o.DefinitionFile ? 1 : 0) > 1) {
        throw TUsageError("give only one of a command string, --load=NAME and --file=FILE");
    }
    if (!o.LoadName && !o.CommandString && !o.DefinitionFile) {
        throw TUsageError("no command string given");
    }
    if (o.Part && !o.Seed) {
        throw TUsageError("--part needs --seed, so that every part belongs to the same run");
    }
}

} // namespace

std::span<const option> GenLongOptions() {
    return {LongOptions.data(), LongOptions.size() - 1};
}

TGenOptions ParseGenOptions(const std::vector<std::string>& args) {
    TSplitArgs split = SplitArgs(args);
    std::vector<std::string>& plain = split.CommandStrings;

    std::vector<char*> argv;
    std::string program = "tabbit-gen";
    argv.push_back(program.data());
    for (std::string& a : split.ForGetopt) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    // getopt_long keeps its place in globals: optind = 0 starts it afresh on every call.
    TGenOptions o;
    optind = 0;
    opterr = 0;
    for (;;) {
        const int code = getopt_long(static_cast<int>(argv.size() - 1), argv.data(),
                                     GenShortOptions, GenLongOptions().data(), nullptr);
        if (code == -1) {
            break;
        }
        if (code == '?' || code == ':') {
            throw Refused(code, optind > 0 ? argv[static_cast<std::size_t>(optind) - 1] : nullptr);
        }
        TakeOption(code, optarg, o, plain);
    }
    if (!o.Help && !o.Version) {
        CheckCombination(o, plain);
    }
    return o;
}
