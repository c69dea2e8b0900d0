// SPDX-License-Identifier: MIT
// tabbit-gen on a terminal: the progress line and the summary go where they cannot mix with
// the records, and saved names cannot act on the terminal.
#include "tests/support/TTempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <pty.h>
#include <regex>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

const std::string Gen = Quote(TABBIT_GEN);

struct TerminalRun {
    int Status = -1;
    /// Every byte that reached the terminal.
    std::string Terminal;
};

/// Runs a shell command line with standard input, output and error on a pseudo-terminal of
/// its own. The terminal passes bytes unchanged (no CR before LF), so that records can be
/// compared as they are.
TerminalRun OnTerminal(const std::string& command) {
    termios raw{};
    ::cfmakeraw(&raw);
    winsize size{24, 200, 0, 0};
    int master = -1;
    const pid_t child = ::forkpty(&master, nullptr, &raw, &size);
    if (child == 0) {
        ::execl("/bin/bash", "bash", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    TerminalRun run;
    if (child < 0) {
        ADD_FAILURE() << "forkpty failed";
        return run;
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        // EIO once the last process holding the terminal has gone.
        if (got <= 0) {
            break;
        }
        run.Terminal.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(master);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

/// The records of a run with the same arguments, written into a file.
std::string RecordsOf(const std::string& definition, const TTempDir& dir) {
    const std::string file = dir.File("expected.txt");
    std::system((Gen + " -q --seed=5 -o " + Quote(file) + " " + Quote(definition)).c_str());
    return ReadBytes(file);
}

/// The summary line, with any time.
std::regex SummaryLine(const std::string& counts, const std::string& target) {
    return std::regex(R"(\r\x1b\[Ktabbit-gen: )" + counts + " written to " + target +
                      R"( in [0-9]+\.[0-9][0-9] s\n$)");
}

} // namespace

TEST(TabbitGenOnATerminal, RecordsOnTheSameTerminalAreNeverDrawnOver) {
    TTempDir dir;
    const std::string definition = "/R=1000000 /N=5 /E=U";
    const std::string expected = RecordsOf(definition, dir);
    ASSERT_EQ(expected.size(), 6000000u);
    // Into standard output on purpose, by default (no file named), and through /dev/tty.
    for (const std::string target : {"-o -", "", "-o /dev/tty"}) {
        const TerminalRun run =
            OnTerminal(Gen + " --seed=5 -j1 " + target + " " + Quote(definition));
        EXPECT_EQ(run.Status, 0) << target;
        EXPECT_EQ(run.Terminal.size(), expected.size()) << target;
        EXPECT_TRUE(run.Terminal == expected) << target << ": " << run.Terminal.substr(0, 200);
    }
}

TEST(TabbitGenOnATerminal, IntoAFileItShowsProgressAndSaysWhatWasWritten) {
    TTempDir dir;
    const std::string file = dir.File("out.txt");
    const TerminalRun run = OnTerminal(Gen + " --seed=5 -o " + Quote(file) + " '/R=1000 /N=5'");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(ReadBytes(file).size(), 7000u);
    EXPECT_TRUE(std::regex_search(run.Terminal, SummaryLine(R"(1,000 records \(7\.0 kB\))", file)))
        << run.Terminal;

    // -q: not a word.
    const TerminalRun quiet = OnTerminal(Gen + " -q -o " + Quote(file) + " '/R=1000 /N=5'");
    EXPECT_EQ(quiet.Status, 0);
    EXPECT_EQ(quiet.Terminal, "");
}

TEST(TabbitGenOnATerminal, IntoAPipeItShowsProgressAndNamesStandardOutput) {
    // The reader lets the run wait long enough for the progress line to be drawn.
    const TerminalRun run = OnTerminal(Gen + " --seed=5 -j1 '/R=1000000 /N=5 /E=U'" +
                                       " | { sleep 0.5; wc -c >/dev/null; }");
    EXPECT_EQ(run.Status, 0);
    const std::string progress = R"(\r[0-9,]+/1,000,000 records \([0-9]+%\), [0-9,]+ records/s, )"
                                 R"([0-9.:]+( s)? elapsed, ([0-9.:]+( s)? left|time left unknown))"
                                 R"(\x1b\[K)";
    EXPECT_TRUE(std::regex_search(run.Terminal, std::regex("^" + progress))) << run.Terminal;
    EXPECT_TRUE(std::regex_search(
        run.Terminal, SummaryLine(R"(1,000,000 records \(6\.0 MB\))", "standard output")))
        << run.Terminal;
}

TEST(TabbitGenOnATerminal, StandardErrorElsewhereGetsNothingDrawn) {
    TTempDir dir;
    const std::string file = dir.File("out.txt");
    const std::string err = dir.File("err");
    const TerminalRun run =
        OnTerminal(Gen + " --seed=5 -o " + Quote(file) + " '/R=1000 /N=5' 2>" + Quote(err));
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Terminal, "");
    EXPECT_EQ(ReadBytes(err), "");
}

TEST(TabbitGenOnATerminal, ListShowsControlCharactersEscaped) {
    TTempDir dir;
    const std::string ini = dir.File("tabbit.ini");
    std::ofstream(ini, std::ios::binary)
        << "[RecordDefs]\r\nesc\x1b[2J=/N\r\nsoh\x01=/N\r\ndel\x7f=/N\r\ncsi\x9b"
           "2J=/N\r\n";
    const TerminalRun run = OnTerminal(Gen + " --ini " + Quote(ini) + " --list");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Terminal, "esc\\e[2J\nsoh\\x01\ndel\\x7f\ncsi\\x9b2J\n");
}
