#include "platform/OutFile.h"

#include "engine/Exceptions.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "tabbit-outfile-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        FPath = pattern;
    }
    ~TempDir() { fs::remove_all(FPath); }
    std::string operator/(const std::string& name) const { return (FPath / name).string(); }

private:
    fs::path FPath;
};

std::string ReadFile(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(TOutFile, WritesBytesExactlyAcrossBufferBoundaries) {
    TempDir dir;
    std::string expected;
    {
        TOutFile f(dir / "out");
        for (int i = 0; i < 20000; ++i) {
            std::string record(static_cast<std::size_t>(i % 97), static_cast<char>(i % 256));
            if (i == 5000)
                record.assign(200000, 'x'); // larger than the buffer
            f.Write(record);
            expected += record;
        }
        f.Close();
    }
    EXPECT_EQ(ReadFile(dir / "out"), expected);
}

TEST(TOutFile, TruncatesAnExistingFile) {
    TempDir dir;
    std::ofstream(dir / "out") << "previous content";
    TOutFile f(dir / "out");
    f.Close();
    EXPECT_EQ(fs::file_size(dir / "out"), 0u);
}

TEST(TOutFile, BytesBeforeAFailureAreOnDisk) {
    TempDir dir;
    {
        TOutFile f(dir / "out");
        f.Write("first records");
        // Leaving the scope by an exception still writes what was buffered.
    }
    EXPECT_EQ(ReadFile(dir / "out"), "first records");
}

TEST(TOutFile, FailuresRaiseTheRuntimeText) {
    TempDir dir;
    struct Case {
        std::string Path;
        int Errno;
        const char* Text;
    };
    const Case cases[] = {
        {dir / "missing/out", ENOENT, "File not found"},
        {dir / "", EISDIR, "File access denied"},
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
