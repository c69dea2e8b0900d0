// SPDX-License-Identifier: MIT
#include "store/FileLock.h"

#include "store/SettingsFileError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

/// How long a waiting rewrite sleeps between two attempts: short enough that the wait ends
/// soon after the lock is let go, long enough to cost no noticeable time.
constexpr std::chrono::milliseconds PollInterval{20};

/// The error for a lock file that cannot be opened, naming the settings file and the cause.
/// A missing folder, or a file where a folder should be, is a failure of the settings
/// file's own path and keeps the runtime's text for it.
[[noreturn]] void ThrowOpenError(int error, const std::string& lockPath,
                                 const std::string& settingsPath) {
    if (error == ENOENT || error == ENOTDIR) {
        throw EInOutError(error, settingsPath);
    }
    const std::string prefix = "Cannot lock the settings file " + settingsPath + ": ";
    if (error == EISDIR) {
        throw ESettingsFileError(error, settingsPath, prefix + lockPath + " is a folder");
    }
    if (error == ELOOP) {
        throw ESettingsFileError(error, settingsPath, prefix + lockPath + " is a symbolic link");
    }
    throw ESettingsFileError(error, settingsPath,
                             prefix + "cannot open " + lockPath + ": " + std::strerror(error));
}

} // namespace

std::string TFileLock::BusyMessage(const std::string& settingsPath) {
    return "The settings file " + settingsPath + " is being saved by another program; try again.";
}

TFileLock::TFileLock(std::string lockPath, const std::string& settingsPath,
                     std::chrono::milliseconds timeout, const std::function<void()>& whileWaiting)
    : FPath(std::move(lockPath)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const int fd = Open(settingsPath);
        int waited = 0;
        try {
            waited = Wait(fd, deadline, whileWaiting);
        } catch (...) {
            ::close(fd);
            throw;
        }
        if (waited != 0) {
            ::close(fd);
            if (waited == EWOULDBLOCK) {
                throw ESettingsFileError(waited, settingsPath, BusyMessage(settingsPath));
            }
            throw EInOutError(waited, settingsPath);
        }
        struct stat held {};
        struct stat named {};
        const bool heldOk = ::fstat(fd, &held) == 0;
        if (::stat(FPath.c_str(), &named) != 0) {
            const int error = errno;
            if (error != ENOENT) {
                ::close(fd);
                ThrowOpenError(error, FPath, settingsPath);
            }
        } else if (heldOk && held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            FFd = fd;
            return;
        }
        ::close(fd);
    }
}

TFileLock::~TFileLock() {
    // Failing to remove a lock file made by someone else leaves it for the next rewrite,
    // which locks it all the same.
    ::unlink(FPath.c_str());
    ::close(FFd);
}

int TFileLock::Open(const std::string& settingsPath) const {
    int fd = ::open(FPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
        // A lock file made by another user may be readable only, which is enough to lock
        // it. Without one, the folder is not writable, and that is the error.
        const int firstError = errno;
        fd = ::open(FPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) {
            errno = firstError;
        }
    }
    if (fd < 0) {
        ThrowOpenError(errno, FPath, settingsPath);
    }
    return fd;
}

int TFileLock::Wait(int fd, std::chrono::steady_clock::time_point deadline,
                    const std::function<void()>& whileWaiting) {
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return 0;
        }
        const int error = errno;
        if (error == EINTR) {
            continue;
        }
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            return error;
        }
        if (whileWaiting) {
            whileWaiting();
        }
        std::this_thread::sleep_for(PollInterval);
    }
}
