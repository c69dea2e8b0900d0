// SPDX-License-Identifier: MIT
#include "cli/TabbitGen.h"

#include "cli/GenOptions.h"
#include "cli/Progress.h"
#include "cli/Utf8.h"
#include "engine/Exceptions.h"
#include "engine/VxDates.h"
#include "engine/VxRandom.h"
#include "engine/Vxparse.h"
#include "platform/AppPaths.h"
#include "platform/OutFile.h"
#include "platform/Regional.h"
#include "store/VxIni.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

const char* const RecordDefs = "RecordDefs";

/// A failure that ends the run with status 1; its text is printed after "tabbit-gen: ".
class TGenFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void PrintError(const std::string& utf8Message) {
    std::fprintf(stderr, "tabbit-gen: %s\n", utf8Message.c_str());
}

/// An argument in the 8-bit set, or the failure naming the character that has no place in it.
std::string Latin1Argument(const std::string& bytes, const char* what) {
    TArgText t = ArgumentToLatin1(bytes);
    if (t.Unrepresentable)
        throw TGenFailure(std::string("the ") + what + " holds the character " +
                          *t.Unrepresentable + ", which is not in the 8-bit character set");
    return t.Text;
}

/// The message of an output failure: the file and the system's reason.
std::string OutputFailure(const EInOutError& e) {
    const std::string where = e.FileName() == "-" ? "standard output" : Latin1ToUtf8(e.FileName());
    return where + ": " + (e.SystemReason().empty() ? Latin1ToUtf8(e.what()) : e.SystemReason());
}

std::string IniPathOf(const TGenOptions& o) {
    if (o.IniPath)
        return *o.IniPath;
    SetDefaultIniPath(WindowProgramIniPath());
    return DefaultIniPath();
}

/// Latin-1 letters compared without regard to case, as the settings file compares names.
bool SameName(const std::string& a, const std::string& b) {
    const auto fold = [](unsigned char c) {
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
            return static_cast<unsigned char>(c + 32);
        return c;
    };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

int ListDefinitions(const TGenOptions& o) {
    TVxIniFile ini(IniPathOf(o));
    std::vector<std::string> names;
    ini.ReadSection(RecordDefs, names);
    for (const std::string& name : names)
        std::printf("%s\n", Latin1ToUtf8(name).c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

std::string LoadDefinition(const TGenOptions& o) {
    const std::string wanted = Latin1Argument(*o.LoadName, "name");
    TVxIniFile ini(IniPathOf(o));
    std::vector<std::string> names;
    ini.ReadSection(RecordDefs, names);
    for (const std::string& name : names)
        if (SameName(name, wanted))
            return ini.ReadString(RecordDefs, name, "");
    throw TGenFailure("No record definition named " + Latin1ToUtf8(wanted));
}

int Generate(const TGenOptions& o) {
    const std::string definition =
        o.LoadName ? LoadDefinition(o) : Latin1Argument(*o.CommandString, "command string");
    if (o.DateFormat)
        SystemDateFormat = Latin1Argument(*o.DateFormat, "date format");

    TVxRndParser parser;
    parser.Parse(definition);

    std::unique_ptr<TOutFile> out;
    if (o.Output && *o.Output != "-")
        out = std::make_unique<TOutFile>(Latin1ToUtf8(Latin1Argument(*o.Output, "file name")));
    else if (!o.Output && !parser.FileName().empty())
        out = std::make_unique<TOutFile>(Latin1ToUtf8(parser.FileName()));
    else
        out = std::make_unique<TOutFile>();

    if (o.Seed)
        Seed = *o.Seed;
    else
        SeedFromTime();

    const std::int32_t total = parser.RecordCount();
    std::optional<TProgress> progress;
    if (!o.Quiet && ::isatty(STDERR_FILENO))
        progress.emplace(total > 0 ? total : 0);

    std::string record;
    try {
        for (std::int32_t i = 1; i <= total; ++i) {
            parser.GetRecord(true, record);
            out->Write(record);
            if (progress && (i & 0xFFF) == 0)
                progress->Update(i);
        }
    } catch (const EInOutError&) {
        throw;
    } catch (const Exception&) {
        // Keep what was generated before the failing record.
        out->Close();
        if (progress)
            progress->Finish();
        throw;
    }
    out->Close();
    if (progress) {
        progress->Update(total > 0 ? total : 0);
        progress->Finish();
    }
    return 0;
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
        std::fputs(GenUsage, stderr);
        return 2;
    }
    if (o.Help) {
        std::fputs(GenUsage, stdout);
        return 0;
    }
    if (o.Version) {
        std::puts("tabbit-gen 1.1");
        return 0;
    }
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
    }
}
