// SPDX-License-Identifier: MIT
#include "platform/OutFile.h"

#include "engine/Exceptions.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

TOutFile::TOutFile(const std::string& path) : FPath(path) {
    FHandle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (FHandle < 0)
        throw EInOutError(errno, path);
    FOwnsHandle = true;
}

TOutFile::TOutFile() : FHandle(STDOUT_FILENO), FPath("-") {}

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

void TOutFile::WriteSlow(std::string_view bytes) {
    Flush();
    if (bytes.size() >= BufferSize) {
        WriteAll(bytes.data(), bytes.size());
    } else {
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
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}
