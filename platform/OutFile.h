// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

/// An output file for records: created or truncated on opening, written as bytes through a
/// buffer of its own. Every failure raises EInOutError; what was written before a failure is
/// on disk once Flush or Close returns or raises. It counts the bytes that reached the system,
/// so that a caller that knows where its records end can cut a file back to a whole record.
///
/// Opening one sets SIGXFSZ to be ignored for the whole process: a write beyond the
/// file-size limit (ulimit -f) then fails with EFBIG and is reported like any other failure,
/// instead of killing the program with a record torn in half.
class TOutFile {
public:
    /// Creates or truncates the file at path. The path is handed to the system as its bytes
    /// stand, without any change of encoding.
    explicit TOutFile(const std::string& path);
    /// Standard output.
    TOutFile();
    ~TOutFile();
    TOutFile(const TOutFile&) = delete;
    TOutFile& operator=(const TOutFile&) = delete;

    void Write(std::string_view bytes) {
        if (bytes.size() <= BufferSize - FUsed) {
            bytes.copy(FBuffer + FUsed, bytes.size());
            FUsed += bytes.size();
        } else {
            WriteSlow(bytes);
        }
    }
    /// Hands the buffered bytes and then bytes to the system at once, without copying them:
    /// for large pieces, and for callers that want to know exactly what is on disk.
    void WriteThrough(std::string_view bytes);
    /// Hands the buffered bytes to the system.
    void Flush();
    /// Flushes and closes; a failure of either raises. Closing twice does nothing.
    void Close();

    /// Bytes given to this object so far, buffered ones included.
    std::uint64_t Written() const { return FOnDisk + FUsed; }
    /// Bytes that the system has accepted; after a failed write this is where the output
    /// really ends.
    std::uint64_t OnDisk() const { return FOnDisk; }
    /// True when the output is a regular file, which can be cut back.
    bool IsRegularFile() const { return FRegular; }
    /// Lets the output hold only the first keep bytes written through this object: buffered
    /// bytes beyond them are dropped, and a regular file is truncated there. Returns false
    /// when that is impossible (not a regular file, or the system refused); never raises, as
    /// it serves on the way out of a failure.
    bool CutBack(std::uint64_t keep) noexcept;

    const std::string& Path() const { return FPath; }
    /// The file descriptor written to, for asking what kind of file it is; -1 once closed.
    int Handle() const { return FHandle; }

private:
    static constexpr std::size_t BufferSize = 1 << 16;

    void Inspect();
    void WriteSlow(std::string_view bytes);
    void WriteAll(const char* data, std::size_t size);

    int FHandle = -1;
    bool FOwnsHandle = false;
    bool FRegular = false;
    /// Where this object's first byte lies in the file (standard output may be appended to).
    std::uint64_t FStartOffset = 0;
    std::uint64_t FOnDisk = 0;
    std::string FPath;
    std::size_t FUsed = 0;
    char FBuffer[BufferSize];
};
