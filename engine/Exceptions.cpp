// SPDX-License-Identifier: MIT
#include "engine/Exceptions.h"

#include <cerrno>
#include <cstring>
#include <utility>

EInOutError::EInOutError(int errorCode, std::string fileName)
    : Exception(RuntimeText(errorCode)), FErrorCode(errorCode),
      FSystemReason(errorCode == ReadBeyondEnd ? RuntimeText(errorCode)
                                               : std::string(std::strerror(errorCode))),
      FFileName(std::move(fileName)) {}

std::string EInOutError::RuntimeText(int errorCode) {
    switch (errorCode) {
    case ENOENT:
        return "File not found";
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
        return "Invalid filename";
    case EMFILE:
    case ENFILE:
        return "Too many open files";
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return "File access denied";
    case ReadBeyondEnd:
        return "Read beyond end of file";
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return "Disk full";
    default:
        return "I/O error " + std::to_string(errorCode);
    }
}
