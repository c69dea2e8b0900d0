// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Exceptions.h"

#include <string>
#include <utility>

/// A failure of the machinery that saves a settings file (its lock, its temporary file, the
/// links that lead to it) or of a saved-definitions action, with a message that names the
/// settings file and says what went wrong, instead of the runtime's bare text. It is an
/// EInOutError all the same, with the system's error code and the settings file's name.
class ESettingsFileError : public EInOutError {
public:
    ESettingsFileError(int errorCode, std::string fileName, std::string message)
        : EInOutError(errorCode, std::move(fileName)), FMessage(std::move(message)) {}

    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};
