// SPDX-License-Identifier: MIT
#include "store/LinkTarget.h"

#include "store/SettingsFileError.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// As many links as the system itself follows in one path before it gives up with ELOOP.
constexpr int MaxLinks = 40;

std::string ReadLink(const std::string& path, const std::string& settingsPath) {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (length < 0) {
            throw EInOutError(errno, settingsPath);
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::string FinalLinkTarget(const std::string& path, const std::string& settingsPath) {
    std::string current = path;
    for (int hop = 0; hop <= MaxLinks; ++hop) {
        struct stat info {};
        // A name that does not exist (or cannot be looked at) ends the chain: it is the file a
        // save creates, or the one whose error the save reports.
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        const std::string next = ReadLink(current, settingsPath);
        if (!next.empty() && next.front() == '/') {
            current = next;
        } else {
            const std::size_t slash = current.rfind('/');
            current =
                (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + next;
        }
    }
    throw ESettingsFileError(ELOOP, settingsPath,
                             "Cannot save the settings file " + settingsPath +
                                 ": its symbolic links lead round in a circle");
}
