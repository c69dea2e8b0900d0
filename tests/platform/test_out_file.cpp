// SPDX-License-Identifier: MIT
#include "platform/OutFile.h"

#include "engine/Exceptions.h"

#include "tests/support/TTempDir.h"
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {} // namespace

TEST(TOutFile, WritesBytesExactlyAcrossBufferBoundaries) {
    TTempDir dir;
    std::string expected;
    {
        TOutFile f(dir.File("out"));
        for (int i = 0; i < 20000; ++i) {
            std::string record(static_cast<std::size_t>(i % 97), static_cast<char>(i % 256));
            if (i == 5000)
                record.assign(200000, 'x'); // larger than the buffer
            f.Write(record);
            expected += record;
        }
        f.Close();
    }
    EXPECT_EQ(ReadBytes(dir.File("out")), expected);
}

TEST(TOutFile, TruncatesAnExistingFile) {
    TTempDir dir;
    std::ofstream(dir.File("out")) << "previous content";
    TOutFile f(dir.File("out"));
    f.Close();
    EXPECT_EQ(fs::file_size(dir.File("out")), 0u);
}

TEST(TOutFile, BytesBeforeAFailureAreOnDisk) {
    TTempDir dir;
    {
        TOutFile f(dir.File("out"));
        f.Write("first records");
        // Leaving the scope by an exception still writes what was buffered.
    }
    EXPECT_EQ(ReadBytes(dir.File("out")), "first records");
}

TEST(TOutFile, FailuresRaiseTheRuntimeText) {
    TTempDir dir;
    struct Case {
        std::string Path;
        int Errno;
        const char* Text;
    };
    const Case cases[] = {
        {dir.File("missing/out"), ENOENT, "File not found"},
        {dir.File(""), EISDIR, "File access denied"},
    };
    for (const Case& c : cases) {
        try {
            TOutFile f(c.Path);
            FAIL() << c.Path;
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.ErrorCode(), c.Errno) << c.Path;
            EXPECT_STREQ(e.what(), c.Text);
            EXPECT_EQ(e.FileName(), c.Path);
        }
    }
}

TEST(TOutFile, DiskFullIsReportedWhenTheBufferGoesOut) {
    TOutFile f("/dev/full");
    f.Write("abc");
    try {
        f.Close();
        FAIL() << "no exception";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), ENOSPC);
        EXPECT_STREQ(e.what(), "Disk full");
        EXPECT_EQ(e.SystemReason(), "No space left on device");
    }
}

TEST(TOutFile, NameIsUsedWithItsBytesUnchanged) {
    TTempDir dir;
    const std::string name = "bad\xFF\xE4.txt";
    TOutFile(dir.File(name)).Close();
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{name});
}

TEST(TOutFile, CutBackKeepsExactlyTheFirstBytes) {
    struct Case {
        const char* Name;
        std::size_t Through; // bytes handed to the system before the cut
        std::size_t Buffered;
        std::uint64_t Keep;
    };
    const Case cases[] = {
        {"on disk only", 10, 0, 4}, {"into the buffer", 10, 6, 13}, {"before the buffer", 10, 6, 7},
        {"nothing", 10, 6, 0},      {"everything", 10, 6, 16},
    };
    for (const Case& c : cases) {
        TTempDir dir;
        const std::string bytes = "0123456789abcdef";
        TOutFile f(dir.File("out"));
        f.WriteThrough(bytes.substr(0, c.Through));
        f.Write(bytes.substr(c.Through, c.Buffered));
        EXPECT_EQ(f.OnDisk(), c.Through) << c.Name;
        EXPECT_EQ(f.Written(), c.Through + c.Buffered) << c.Name;
        EXPECT_TRUE(f.CutBack(c.Keep)) << c.Name;
        f.Close();
        EXPECT_EQ(ReadBytes(dir.File("out")), bytes.substr(0, c.Keep)) << c.Name;
    }
}

/// Standard output sent to fd for as long as it lives.
class TStdoutTo {
public:
    explicit TStdoutTo(int fd) : FSaved(::dup(STDOUT_FILENO)) { ::dup2(fd, STDOUT_FILENO); }
    ~TStdoutTo() {
        ::dup2(FSaved, STDOUT_FILENO);
        ::close(FSaved);
    }

private:
    int FSaved;
};

TEST(TOutFile, CutBackOfStandardOutput) {
    TTempDir dir;
    {
        // Appended to (`>> file`): what the file held before stays.
        std::ofstream(dir.File("log")) << "old;";
        const int fd = ::open(dir.File("log").c_str(), O_WRONLY | O_APPEND);
        ASSERT_GE(fd, 0);
        TStdoutTo redirect(fd);
        ::close(fd);
        TOutFile out;
        EXPECT_TRUE(out.IsRegularFile());
        out.WriteThrough("record1;record2;rec");
        EXPECT_TRUE(out.CutBack(16));
        out.Close();
    }
    EXPECT_EQ(ReadBytes(dir.File("log")), "old;record1;record2;");

    // A pipe cannot take bytes back.
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    {
        TStdoutTo redirect(pipeEnds[1]);
        TOutFile out;
        EXPECT_FALSE(out.IsRegularFile());
        out.WriteThrough("abc");
        EXPECT_FALSE(out.CutBack(1));
        out.Close();
    }
    ::close(pipeEnds[1]);
    char got[8] = {};
    EXPECT_EQ(::read(pipeEnds[0], got, sizeof got), 3);
    ::close(pipeEnds[0]);
}

TEST(TOutFile, FileSizeLimitFailsTheWriteInsteadOfKillingTheProcess) {
    TTempDir dir;
    const std::string path = dir.File("out");
    constexpr std::size_t RecordSize = 7;
    constexpr rlim_t Limit = 1000;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A fresh process: the signal as the system starts it, and a limit below the run.
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{Limit, Limit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        TOutFile f(path);
        const std::string piece(10 * RecordSize, 'r');
        int status = 1;
        try {
            for (int i = 0; i < 100; ++i) {
                f.WriteThrough(piece);
            }
        } catch (const EInOutError& e) {
            const bool reported = e.ErrorCode() == EFBIG && e.SystemReason() == "File too large" &&
                                  std::string(e.what()) == "Disk full";
            // The caller cuts back to its last whole record, as the programs do.
            status = reported && f.CutBack(f.OnDisk() / RecordSize * RecordSize) ? 0 : 2;
        }
        ::_exit(status);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(fs::file_size(path) % RecordSize, 0u);
}
