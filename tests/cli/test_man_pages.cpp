// SPDX-License-Identifier: MIT
// The manual pages, the --help texts and the option table list the same options, and the
// window program answers --help and --version without a display.
#include "cli/GenOptions.h"
#include "tests/support/TTempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>
#include <sstream>
#include <sys/wait.h>

namespace {

using Options = std::set<std::string>;

/// The options named in the tags of the OPTIONS section of a man page source.
Options ManPageOptions(const std::string& page) {
    const std::string source = ReadBytes(std::string(TABBIT_PACKAGING_DIR) + "/" + page);
    const std::size_t begin = source.find("\n.SH OPTIONS\n");
    const std::size_t end = source.find("\n.SH ", begin + 1);
    EXPECT_NE(begin, std::string::npos) << page;
    std::istringstream section(source.substr(begin, end - begin));
    Options options;
    const std::regex name(R"((--[a-z][a-z-]*)|(?:^|[\s,"])(-[A-Za-z])\b)");
    std::string line;
    bool tag = false;
    while (std::getline(section, line)) {
        if (tag) {
            // Roff's escaped hyphens and font changes are not part of a name.
            line = std::regex_replace(line, std::regex(R"(\\-)"), "-");
            line = std::regex_replace(line, std::regex(R"(\\f[BIRP])"), " ");
            for (std::sregex_iterator m(line.begin(), line.end(), name), e; m != e; ++m)
                options.insert((*m)[1].matched ? (*m)[1].str() : (*m)[2].str());
        }
        tag = line == ".TP";
    }
    return options;
}

/// The options of a --help text: the names at the start of its indented option lines.
Options HelpOptions(const std::string& help) {
    Options options;
    const std::regex line(R"(^ +(-[A-Za-z])?,? *(--[a-z][a-z-]*)?)");
    std::istringstream text(help);
    std::string l;
    while (std::getline(text, l)) {
        std::smatch m;
        if (l.starts_with("  -") || l.starts_with("      --")) {
            EXPECT_TRUE(std::regex_search(l, m, line)) << l;
            for (int k : {1, 2})
                if (m[k].matched)
                    options.insert(m[k].str());
        }
    }
    return options;
}

struct Result {
    int Status = -1;
    std::string Out;
    std::string Err;
};

/// Runs a shell command line and gathers its output; stdoutTo redirects standard output
/// elsewhere (">/dev/full").
Result RunShell(const std::string& command, const std::string& stdoutTo = "") {
    TTempDir io;
    const std::string line = command + " " + (stdoutTo.empty() ? ">" + io.File("out") : stdoutTo) +
                             " 2>" + io.File("err");
    const int raw = std::system(line.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(io.File("out")),
            ReadBytes(io.File("err"))};
}

/// The window program with no display to open: it would fail if it tried.
const std::string Tabbit =
    std::string("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb '") + TABBIT + "'";

} // namespace

TEST(ManPages, TabbitGenOptionsAgreeWithHelpAndTheOptionTable) {
    Options table;
    for (const option& o : GenLongOptions())
        table.insert(std::string("--") + o.name);
    for (const char* c = GenShortOptions; *c; ++c)
        if (std::isalpha(static_cast<unsigned char>(*c)))
            table.insert(std::string("-") + *c);
    EXPECT_EQ(ManPageOptions("tabbit-gen.1"), table);
    EXPECT_EQ(HelpOptions(GenUsage), table);
}

TEST(ManPages, TabbitOptionsAgreeWithItsHelp) {
    const Result help = RunShell(Tabbit + " --help");
    EXPECT_EQ(help.Status, 0) << help.Err;
    const Options expected = {"-h", "--help", "-V", "--version"};
    EXPECT_EQ(HelpOptions(help.Out), expected);
    EXPECT_EQ(ManPageOptions("tabbit.1"), expected);
}

TEST(WindowProgram, AnswersHelpAndVersionWithoutADisplay) {
    for (const char* option : {"--help", "-h"}) {
        const Result r = RunShell(Tabbit + " " + option);
        EXPECT_EQ(r.Status, 0) << option << r.Err;
        EXPECT_EQ(r.Out.rfind("Usage: tabbit ", 0), 0u) << r.Out;
        EXPECT_EQ(r.Err, "");
    }
    for (const char* option : {"--version", "-V", "--bogus --version"}) {
        const Result r = RunShell(Tabbit + " " + option);
        EXPECT_EQ(r.Status, 0) << option << r.Err;
        EXPECT_EQ(r.Out.rfind("tabbit 1.1\nCopyright (C) 2026 The tabbit developers.\n", 0), 0u);
    }
    Result r = RunShell(Tabbit + " --version", ">/dev/full");
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "tabbit: standard output: No space left on device\n");
}
