// SPDX-License-Identifier: MIT
#include "cli/Definition.h"

#include "cli/Messages.h"
#include "cli/Utf8.h"
#include "engine/CommandLanguage.h"
#include "platform/AppPaths.h"
#include "store/SavedDefinitions.h"
#include "store/SettingsFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <unistd.h>

namespace {

/// The longest first line -f reads: far beyond any definition a command line could carry,
/// and a bound on what a file without line ends (/dev/zero) can make it hold.
constexpr std::size_t MaxDefinitionLine = std::size_t{16} << 20;

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

/// The file a definition is read from, open for as long as this lives; failures name it.
class TDefinitionSource {
public:
    explicit TDefinitionSource(const std::string& path)
        : FStandardInput(path == "-"), FShown(FStandardInput ? "standard input" : path) {
        FHandle = FStandardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (FHandle < 0) {
            throw Failure(errno);
        }
    }
    ~TDefinitionSource() {
        if (!FStandardInput) {
            ::close(FHandle);
        }
    }
    TDefinitionSource(const TDefinitionSource&) = delete;
    TDefinitionSource& operator=(const TDefinitionSource&) = delete;

    /// Appends the next bytes to text; false at the end of the file.
    bool ReadMore(std::string& text) {
        char buffer[1 << 16];
        for (;;) {
            const ssize_t got = ::read(FHandle, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                throw Failure(errno);
            }
            text.append(buffer, static_cast<std::size_t>(got));
            return got > 0;
        }
    }
    /// A terminal is read no further than the first line: the rest is the user's typing.
    bool IsTerminal() const { return ::isatty(FHandle) != 0; }
    const std::string& Shown() const { return FShown; }

private:
    TGenFailure Failure(int error) const {
        return TGenFailure(FShown + ": " + std::strerror(error));
    }

    bool FStandardInput;
    std::string FShown;
    int FHandle = -1;
};

/// The number of the first line after the first that holds more than blanks and control
/// characters (which the parser would strip), reading on from rest; 0 when there is none.
/// Reads at most MaxDefinitionLine bytes more, so that an endless source ends the search.
std::uint64_t FirstLineWithText(TDefinitionSource& source, std::string rest) {
    if (source.IsTerminal()) {
        return 0;
    }
    std::uint64_t line = 2;
    std::size_t scanned = 0;
    do {
        for (; scanned < rest.size(); ++scanned) {
            const auto c = static_cast<unsigned char>(rest[scanned]);
            if (c == '\n') {
                ++line;
            } else if (c > ' ') {
                return line;
            }
        }
    } while (rest.size() <= MaxDefinitionLine && source.ReadMore(rest));
    return 0;
}

std::string LoadDefinition(const TGenOptions& o) {
    const std::string wanted = Latin1Argument(*o.LoadName, "name");
    if (std::optional<std::string> definition = TSavedDefinitions(IniPathOf(o)).Load(wanted)) {
        return *std::move(definition);
    }
    throw TGenFailure("No record definition named " + Latin1ToUtf8(wanted));
}

/// Whether the switch letter means something to the record parser: a setting or a field.
bool IsKnownSwitch(char letter) {
    if (std::strchr("DERZ", letter) != nullptr)
        return true;
    for (const TTextTypeOpt& opt : TextTypeOpts)
        if (opt.Arg.size() >= 2 && opt.Arg[1] == letter)
            return true;
    return false;
}

/// Walks a command string as the record parser does and notes each argument it would pass
/// over without a word. Names that the record parser refuses are left to its message.
class TIgnoredArgs : public TVxCmdParser {
public:
    void Parse(std::string cmdLine) override {
        std::string rest = cmdLine;
        std::string arg;
        for (NextArg(rest, arg); !arg.empty(); NextArg(rest, arg))
            FArgs.push_back(arg);
        TVxCmdParser::Parse(std::move(cmdLine));
    }

    void DoOption(std::string name, std::string) override {
        const std::string& arg = FArgs[FNext++];
        char letter = '\0';
        if (SingleChar(name, true, letter) && !IsKnownSwitch(letter))
            Ignored.push_back(Latin1ToUtf8(arg) + " names no field or setting; it is ignored");
    }

    void DoParam(std::string text) override {
        ++FNext;
        if (FFileName.empty())
            FFileName = std::move(text);
        else
            Ignored.push_back(Latin1ToUtf8(text) + " after the file name " +
                              Latin1ToUtf8(FFileName) + " is ignored");
    }

    std::vector<std::string> Ignored;

private:
    std::vector<std::string> FArgs;
    std::size_t FNext = 0;
    std::string FFileName;
};

} // namespace

std::string Latin1Argument(const std::string& bytes, const char* what) {
    TArgText t = ArgumentToLatin1(bytes);
    if (t.Unrepresentable)
        throw TGenFailure(std::string("the ") + what + " holds the character " +
                          *t.Unrepresentable + ", which is not in the 8-bit character set");
    return t.Text;
}

std::string IniPathOf(const TGenOptions& o) {
    if (o.IniPath) {
        // A settings file asked for by name must be there: reading none would look like a
        // file without saved definitions. Opened without blocking, as it may be a FIFO.
        const int fd = ::open(o.IniPath->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            throw TGenFailure(*o.IniPath + ": " + std::strerror(errno));
        }
        ::close(fd);
        return *o.IniPath;
    }
    // tabbit-gen only reads the settings file: it must create nothing on its way there.
    SetDefaultIniPath(WindowProgramIniPath(TIniUse::ReadOnly));
    return DefaultIniPath();
}

std::vector<std::string> SavedNames(const TGenOptions& o) {
    return TSavedDefinitions(IniPathOf(o)).Names();
}

TDefinitionFile ReadDefinitionFile(const std::string& path) {
    TDefinitionSource source(path);
    TDefinitionFile file;
    std::string& text = file.FirstLine;
    std::size_t end = std::string::npos;
    while (end == std::string::npos) {
        const std::size_t before = text.size();
        if (!source.ReadMore(text)) {
            break;
        }
        end = text.find('\n', before);
        if (end == std::string::npos && text.size() > MaxDefinitionLine) {
            throw TGenFailure(source.Shown() + ": the first line is longer than 16 MiB");
        }
    }
    if (end != std::string::npos) {
        file.IgnoredLine = FirstLineWithText(source, text.substr(end + 1));
        text.resize(end > 0 && text[end - 1] == '\r' ? end - 1 : end);
    }
    // Editors on other systems start UTF-8 files with a byte-order mark; it is no part of the
    // definition.
    if (text.starts_with(Utf8ByteOrderMark)) {
        text.erase(0, Utf8ByteOrderMark.size());
    }
    return file;
}

std::string ReadFirstLine(const std::string& path) {
    return ReadDefinitionFile(path).FirstLine;
}

std::vector<std::string> IgnoredArguments(const std::string& definition) {
    TIgnoredArgs walker;
    walker.Parse(definition);
    return std::move(walker.Ignored);
}

TGenDefinition DefinitionText(const TGenOptions& o) {
    TGenDefinition definition;
    if (o.LoadName) {
        definition.Text = LoadDefinition(o);
    } else {
        std::string given;
        if (o.DefinitionFile) {
            const TDefinitionFile file = ReadDefinitionFile(*o.DefinitionFile);
            given = file.FirstLine;
            if (file.IgnoredLine > 0) {
                const std::string shown =
                    *o.DefinitionFile == "-" ? "standard input" : *o.DefinitionFile;
                PrintWarning(shown + ": only the first line is read; line " +
                             std::to_string(file.IgnoredLine) + " and any after it are ignored");
            }
        } else {
            given = *o.CommandString;
        }
        definition.Text = Latin1Argument(given, "command string");
        // Unchanged text means bytes that are no UTF-8 (or plain ASCII): names keep those bytes.
        definition.ArrivedAsBytes = definition.Text == given;
    }
    for (const std::string& warning : IgnoredArguments(definition.Text)) {
        PrintWarning(warning);
    }
    return definition;
}
