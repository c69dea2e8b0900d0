// SPDX-License-Identifier: MIT
#include "cli/TabbitGen.h"

#include "cli/Definition.h"
#include "cli/GenOptions.h"
#include "cli/GenRun.h"
#include "cli/Messages.h"
#include "cli/Utf8.h"
#include "engine/CommandLanguage.h"
#include "engine/Dates.h"
#include "engine/Exceptions.h"
#include "platform/Regional.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

/// The message of an output failure: the file, named by the bytes it was opened with, and
/// the system's reason.
std::string OutputFailure(const EInOutError& e) {
    const std::string where = e.FileName() == "-" ? "standard output" : e.FileName();
    return where + ": " + (e.SystemReason().empty() ? Latin1ToUtf8(e.what()) : e.SystemReason());
}

/// Writes text to standard output and hands it to the system; a failure is reported with the
/// system's reason (status 1). A reader that went away early is no failure.
int PrintOut(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
        return 0;
    const int error = errno;
    if (error == EPIPE)
        return 0;
    PrintError(std::string("standard output: ") + std::strerror(error));
    return 1;
}

/// The saved names, one a line. On a terminal their control characters are escaped; into a
/// pipe or a file they keep their bytes, for scripts (and the shell completion) to use.
int ListDefinitions(const TGenOptions& o) {
    const bool terminal = ::isatty(STDOUT_FILENO) != 0;
    std::string text;
    for (const std::string& name : SavedNames(o)) {
        const std::string shown = Latin1ToUtf8(name);
        text += (terminal ? EscapeControls(shown) : shown) + "\n";
    }
    return PrintOut(text);
}

int Generate(const TGenOptions& o) {
    const TGenDefinition definition = DefinitionText(o);
    if (o.DateFormat)
        SystemDateFormat = Latin1Argument(*o.DateFormat, "date format");
    return GenerateRecords(o, definition);
}

} // namespace

int RunTabbitGen(const std::vector<std::string>& args) {
    // A reader that goes away (`| head`) shows up as EPIPE from write, handled below.
    std::signal(SIGPIPE, SIG_IGN);
    TGenOptions o;
    try {
        o = ParseGenOptions(args);
    } catch (const TUsageError& e) {
        PrintError(e.what());
        std::fputs("Try 'tabbit-gen --help' for more information.\n", stderr);
        return 2;
    }
    if (o.Help)
        return PrintOut(GenUsage);
    for (const std::string& warning : o.Warnings) {
        PrintWarning(warning);
    }
    if (o.Version)
        return PrintOut(GenVersion);
    InstallRegionalSettings();
    try {
        return o.List ? ListDefinitions(o) : Generate(o);
    } catch (const EInOutError& e) {
        if (e.ErrorCode() == EPIPE && e.FileName() == "-")
            return 0;
        PrintError(OutputFailure(e));
        return 1;
    } catch (const Exception& e) {
        PrintError(Latin1ToUtf8(e.what()));
        return 1;
    } catch (const TGenFailure& e) {
        PrintError(e.what());
        return 1;
    } catch (const std::bad_alloc&) {
        PrintError("out of memory");
        return 1;
    } catch (const std::length_error&) {
        PrintError("out of memory: a record or field is too large to be held");
        return 1;
    } catch (const std::exception& e) {
        PrintError(e.what());
        return 1;
    }
}
