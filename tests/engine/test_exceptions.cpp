// SPDX-License-Identifier: MIT
#include "engine/Exceptions.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

struct RuntimeTextCase {
    int Code;
    const char* Text;
};

void PrintTo(const RuntimeTextCase& c, std::ostream* os) {
    *os << c.Code;
}

class RuntimeTextTest : public testing::TestWithParam<RuntimeTextCase> {};

TEST_P(RuntimeTextTest, MessageIsTheRuntimeText) {
    const EInOutError error(GetParam().Code, "out.txt");
    EXPECT_STREQ(error.what(), GetParam().Text);
    EXPECT_EQ(error.Message(), GetParam().Text);
    EXPECT_EQ(error.ErrorCode(), GetParam().Code);
    EXPECT_EQ(error.FileName(), "out.txt");
}

INSTANTIATE_TEST_SUITE_P(
    Errno, RuntimeTextTest,
    testing::Values(
        RuntimeTextCase{ENOENT, "File not found"}, RuntimeTextCase{ENOTDIR, "Invalid filename"},
        RuntimeTextCase{ENAMETOOLONG, "Invalid filename"},
        RuntimeTextCase{ELOOP, "Invalid filename"}, RuntimeTextCase{EINVAL, "Invalid filename"},
        RuntimeTextCase{EMFILE, "Too many open files"},
        RuntimeTextCase{ENFILE, "Too many open files"},
        RuntimeTextCase{EACCES, "File access denied"}, RuntimeTextCase{EPERM, "File access denied"},
        RuntimeTextCase{EROFS, "File access denied"}, RuntimeTextCase{EISDIR, "File access denied"},
        RuntimeTextCase{EInOutError::ReadBeyondEnd, "Read beyond end of file"},
        RuntimeTextCase{ENOSPC, "Disk full"}, RuntimeTextCase{EDQUOT, "Disk full"},
        RuntimeTextCase{EFBIG, "Disk full"}, RuntimeTextCase{EIO, "I/O error 5"},
        RuntimeTextCase{EBUSY, "I/O error 16"}));

TEST(EInOutErrorTest, SystemReasonIsTheSystemText) {
    const EInOutError error(ENOSPC);
    EXPECT_EQ(error.SystemReason(), std::strerror(ENOSPC));
    EXPECT_TRUE(error.FileName().empty());
}

TEST(EInOutErrorTest, ReadBeyondEndHasAReadableReason) {
    const EInOutError error(EInOutError::ReadBeyondEnd);
    EXPECT_EQ(error.SystemReason(), "Read beyond end of file");
}

TEST(ExceptionTest, HierarchyLetsCallersCatchTheGeneralFailure) {
    EXPECT_THROW(throw EInOutError(ENOENT, "a"), Exception);
    EXPECT_THROW(throw EConvertError("bad"), Exception);
    EXPECT_THROW(throw Exception("bad"), std::runtime_error);
    EXPECT_STREQ(EConvertError("bad").what(), "bad");
}

} // namespace
