// SPDX-License-Identifier: MIT
#include "platform/OutFile.h"

#include "engine/Exceptions.h"

#include "tests/support/TTempDir.h"
#include <cerrno>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

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
