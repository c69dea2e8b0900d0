// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// An output file for records: created or truncated on opening, written as bytes through a
/// buffer of its own. Every failure raises EInOutError; what was written before a failure is
/// on disk once Flush or Close returns or raises.
class TOutFile {
public:
    /// Creates or truncates the file at path.
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
    /// Hands the buffered bytes to the system.
    void Flush();
    /// Flushes and closes; a failure of either raises. Closing twice does nothing.
    void Close();

    const std::string& Path() const { return FPath; }

private:
    static constexpr std::size_t BufferSize = 1 << 16;

    void WriteSlow(std::string_view bytes);
    void WriteAll(const char* data, std::size_t size);

    int FHandle = -1;
    bool FOwnsHandle = false;
    std::string FPath;
    std::size_t FUsed = 0;
    char FBuffer[BufferSize];
};
