// SPDX-License-Identifier: MIT
#include "platform/OutFile.h"

#include "engine/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// Both programs write their records through this class, so this one place serves them both.
/// Done at every opening, which is rare and cheap, so that nothing set in between undoes it.
void IgnoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace

TOutFile::TOutFile(const std::string& path) : FPath(path) {
    IgnoreFileSizeSignal();
    FHandle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (FHandle < 0)
        throw EInOutError(errno, path);
    FOwnsHandle = true;
    Inspect();
}

TOutFile::TOutFile() : FHandle(STDOUT_FILENO), FPath("-") {
    IgnoreFileSizeSignal();
    Inspect();
}

TOutFile::~TOutFile() {
    // A destructor must not throw: callers that care about the last bytes call Close first.
    // Reaching here with bytes still buffered means an exception is already under way, and
    // the bytes are written on a best-effort basis so that nothing produced is lost.
    try {
        Flush();
    } catch (const EInOutError&) {
    }
    if (FOwnsHandle && FHandle >= 0)
        ::close(FHandle);
}

void TOutFile::Inspect() {
    struct stat info;
    if (::fstat(FHandle, &info) != 0 || !S_ISREG(info.st_mode))
        return;
    FRegular = true;
    // Output appended to (`>> file`) starts at the end of what the file held.
    const int flags = ::fcntl(FHandle, F_GETFL);
    const off_t position = ::lseek(FHandle, 0, SEEK_CUR);
    if (flags >= 0 && (flags & O_APPEND) != 0)
        FStartOffset = static_cast<std::uint64_t>(info.st_size);
    else if (position >= 0)
        FStartOffset = static_cast<std::uint64_t>(position);
}

void TOutFile::Flush() {
    if (FUsed == 0)
        return;
    const std::size_t used = FUsed;
    FUsed = 0;
    WriteAll(FBuffer, used);
}

void TOutFile::Close() {
    if (FHandle < 0)
        return;
    Flush();
    const int handle = FHandle;
    FHandle = -1;
    if (FOwnsHandle && ::close(handle) != 0)
        throw EInOutError(errno, FPath);
}

void TOutFile::WriteThrough(std::string_view bytes) {
    Flush();
    WriteAll(bytes.data(), bytes.size());
}

bool TOutFile::CutBack(std::uint64_t keep) noexcept {
    if (keep >= FOnDisk) {
        // Only buffered bytes lie beyond: keep those up to keep and drop the rest.
        FUsed = static_cast<std::size_t>(std::min<std::uint64_t>(FUsed, keep - FOnDisk));
        return true;
    }
    FUsed = 0;
    if (!FRegular || FHandle < 0)
        return false;
    const auto end = static_cast<off_t>(FStartOffset + keep);
    if (::ftruncate(FHandle, end) != 0)
        return false;
    FOnDisk = keep;
    ::lseek(FHandle, end, SEEK_SET);
    return true;
}

void TOutFile::WriteSlow(std::string_view bytes) {
    if (bytes.size() >= BufferSize) {
        WriteThrough(bytes);
    } else {
        Flush();
        bytes.copy(FBuffer, bytes.size());
        FUsed = bytes.size();
    }
}

void TOutFile::WriteAll(const char* data, std::size_t size) {
    if (FHandle < 0)
        throw EInOutError(EBADF, FPath);
    while (size > 0) {
        const ssize_t n = ::write(FHandle, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EInOutError(errno, FPath);
        }
        FOnDisk += static_cast<std::uint64_t>(n);
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}
