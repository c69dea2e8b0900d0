// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

/// The general failure of the system: carries the message the user is shown.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

/// A text that does not convert to a number or a date.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

/// A failed file operation. The message is the runtime's text for the system error
/// ("File not found", "Disk full", ... or "I/O error %d"); the system's own reason
/// (strerror) and the file concerned are kept beside it for callers that show more.
class EInOutError : public Exception {
public:
    /// Error code of a read past the end of a file, which has no errno of its own.
    static constexpr int ReadBeyondEnd = -1;

    EInOutError(int errorCode, std::string fileName = {});

    /// errno of the failure, or ReadBeyondEnd.
    int ErrorCode() const { return FErrorCode; }
    /// The system's description of the error (strerror), for example "No space left on device".
    const std::string& SystemReason() const { return FSystemReason; }
    const std::string& FileName() const { return FFileName; }

    /// The runtime's message for an error code.
    static std::string RuntimeText(int errorCode);

private:
    int FErrorCode;
    std::string FSystemReason;
    std::string FFileName;
};
