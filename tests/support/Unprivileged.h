// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

/// Runs body as the unprivileged user "nobody" when the test runs as root (as CI does), in a
/// child process, so that checks of file permissions hold there too instead of being
/// skipped; otherwise runs it as it is. The body makes its own temporary folders, so that
/// they belong to the user it runs as.
template <class Body> void AsUnprivilegedUser(Body body) {
    if (::geteuid() != 0) {
        body();
        return;
    }
    constexpr uid_t Nobody = 65534;
    EXPECT_EXIT(
        {
            if (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
                std::_Exit(3);
            body();
            std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}
