// SPDX-License-Identifier: MIT
#include "cli/Definition.h"

#include "cli/Utf8.h"
#include "engine/CommandLanguage.h"
#include "platform/AppPaths.h"
#include "store/SavedDefinitions.h"
#include "store/SettingsFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace {

/// The longest first line -f reads: far beyond any definition a command line could carry,
/// and a bound on what a file without line ends (/dev/zero) can make it hold.
constexpr std::size_t MaxDefinitionLine = std::size_t{16} << 20;

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
    if (o.IniPath)
        return *o.IniPath;
    SetDefaultIniPath(WindowProgramIniPath());
    return DefaultIniPath();
}

std::vector<std::string> SavedNames(const TGenOptions& o) {
    return TSavedDefinitions(IniPathOf(o)).Names();
}

std::string ReadFirstLine(const std::string& path) {
    const bool standardInput = path == "-";
    const std::string shown = standardInput ? "standard input" : path;
    const auto failure = [&](int error) {
        return TGenFailure(shown + ": " + std::strerror(error));
    };
    const int fd = standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw failure(errno);
    std::string text;
    char buffer[1 << 16];
    std::size_t end = std::string::npos;
    while (end == std::string::npos) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            if (!standardInput)
                ::close(fd);
            throw failure(error);
        }
        if (got == 0)
            break;
        const std::size_t before = text.size();
        text.append(buffer, static_cast<std::size_t>(got));
        end = text.find('\n', before);
        if (end == std::string::npos && text.size() > MaxDefinitionLine) {
            if (!standardInput)
                ::close(fd);
            throw TGenFailure(shown + ": the first line is longer than 16 MiB");
        }
    }
    if (!standardInput)
        ::close(fd);
    if (end != std::string::npos)
        text.resize(end > 0 && text[end - 1] == '\r' ? end - 1 : end);
    return text;
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
        const std::string given =
            o.DefinitionFile ? ReadFirstLine(*o.DefinitionFile) : *o.CommandString;
        definition.Text = Latin1Argument(given, "command string");
        // Unchanged text means bytes that are no UTF-8 (or plain ASCII): names keep those bytes.
        definition.ArrivedAsBytes = definition.Text == given;
    }
    for (const std::string& warning : IgnoredArguments(definition.Text))
        std::fprintf(stderr, "tabbit-gen: warning: %s\n", warning.c_str());
    return definition;
}
