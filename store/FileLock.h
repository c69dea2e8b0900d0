// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <string>

/// The exclusive lock that every rewrite of a settings file holds from reading the file anew
/// to putting the new one in place, so that rewrites by several processes follow one another
/// and none overwrites a change another one has made. The lock is taken on a file of its own
/// beside the settings file, because the settings file itself is replaced by each rewrite.
/// The lock file is removed before the lock is let go; a process that waited for it then holds
/// a lock on a removed file, notices that the name now leads elsewhere, and locks again.
///
/// The wait for a lock that another process holds is bounded, so that a program that hangs
/// while it saves cannot freeze every other one: after timeout the lock is refused with
/// ESettingsFileError (EWOULDBLOCK). Between two attempts whileWaiting is called, so that a
/// window can stay responsive.
class TFileLock {
public:
    /// The message of a lock that another program held for longer than the wait allows.
    static std::string BusyMessage(const std::string& settingsPath);

    TFileLock(std::string lockPath, const std::string& settingsPath,
              std::chrono::milliseconds timeout, const std::function<void()>& whileWaiting);
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;
    ~TFileLock();

private:
    /// Opens the lock file, creating it when it is missing.
    int Open(const std::string& settingsPath) const;
    /// Waits for the lock on fd; 0 once it is held, EWOULDBLOCK when another process held it
    /// until the deadline, or the errno of a failure.
    static int Wait(int fd, std::chrono::steady_clock::time_point deadline,
                    const std::function<void()>& whileWaiting);

    std::string FPath;
    int FFd = -1;
};
