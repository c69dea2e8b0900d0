// SPDX-License-Identifier: MIT
#include "store/FileReplacement.h"

#include "store/SettingsFileError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// The size of the pieces the new file is written in: the whole content is never held twice.
constexpr std::size_t BufferSize = std::size_t{1} << 16;

/// True when a file of mode gives its group no more than everybody else: then the group a new
/// file gets instead of the old one makes no difference to anyone's access.
bool GroupGetsNoMore(mode_t mode) {
    const mode_t group = (mode >> 3) & 07;
    const mode_t others = mode & 07;
    return (group & ~others) == 0;
}

} // namespace

TReplacement::TReplacement(std::string target, std::string settingsPath)
    : FTarget(std::move(target)), FSettingsPath(std::move(settingsPath)),
      FTempName(FTarget + std::string(SavingInfix) + "XXXXXX") {
    FFd = ::mkostemp(FTempName.data(), O_CLOEXEC);
    if (FFd < 0) {
        const int error = errno;
        throw ESettingsFileError(
            error, FSettingsPath,
            "Cannot save the settings file " + FSettingsPath +
                ": cannot make a temporary file beside it: " + std::strerror(error));
    }
    FBuffer.reserve(BufferSize);
}

TReplacement::~TReplacement() {
    if (FFd >= 0) {
        ::close(FFd);
    }
    if (!FCommitted) {
        ::unlink(FTempName.c_str());
    }
}

void TReplacement::TakeOverAttributes() {
    struct stat info {};
    if (::stat(FTarget.c_str(), &info) != 0) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        // Best effort: some file systems (FAT on a stick) refuse permission bits, and a
        // settings file with the default bits is still a good one.
        static_cast<void>(::fchmod(FFd, 0666 & ~mask));
        return;
    }
    // Replacing the file would get past a write protection the user gave it.
    if (::access(FTarget.c_str(), W_OK) != 0) {
        throw EInOutError(errno, FSettingsPath);
    }
    if (::fchown(FFd, info.st_uid, info.st_gid) != 0) {
        const int error = errno;
        struct stat made {};
        const bool madeOk = ::fstat(FFd, &made) == 0;
        // A file system without owners (FAT) refuses the call but gives every file the same
        // owner anyway; and a group that gets no more than everyone else matters to nobody.
        // Any other change of owner or group would take the file from its owner.
        const bool ownerKept = madeOk && made.st_uid == info.st_uid;
        const bool groupKept =
            madeOk && (made.st_gid == info.st_gid || GroupGetsNoMore(info.st_mode));
        if (!ownerKept || !groupKept) {
            throw ESettingsFileError(
                error, FSettingsPath,
                "Cannot save the settings file " + FSettingsPath +
                    ": its owner and group cannot be kept: " + std::strerror(error));
        }
    }
    // After the owner, which clears the set-id bits.
    static_cast<void>(::fchmod(FFd, info.st_mode & 07777));
}

void TReplacement::Write(std::string_view bytes) {
    FWritten += bytes.size();
    if (MaxSize != 0 && FWritten > MaxSize) {
        throw Exception("Settings file too large");
    }
    while (!bytes.empty()) {
        const std::size_t room = BufferSize - FBuffer.size();
        const std::size_t taken = std::min(room, bytes.size());
        FBuffer.append(bytes.substr(0, taken));
        bytes.remove_prefix(taken);
        if (FBuffer.size() == BufferSize) {
            Flush();
        }
    }
}

void TReplacement::Flush() {
    const char* data = FBuffer.data();
    std::size_t left = FBuffer.size();
    while (left > 0) {
        const ssize_t written = ::write(FFd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail();
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    FBuffer.clear();
}

void TReplacement::Commit() {
    Flush();
    if (::fsync(FFd) != 0) {
        Fail();
    }
    const int closed = ::close(FFd);
    FFd = -1;
    if (closed != 0) {
        Fail();
    }
    if (::rename(FTempName.c_str(), FTarget.c_str()) != 0) {
        Fail();
    }
    FCommitted = true;
}

void TReplacement::Fail() const {
    throw EInOutError(errno, FSettingsPath);
}

void TReplacement::RemoveStale(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string prefix =
        (slash == std::string::npos ? target : target.substr(slash + 1)) + std::string(SavingInfix);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    const auto isUniqueChar = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    };
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix) {
            continue;
        }
        const std::string_view unique = name.substr(prefix.size());
        if (!std::all_of(unique.begin(), unique.end(), isUniqueChar)) {
            continue;
        }
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode)) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
    }
    ::closedir(dir);
}
