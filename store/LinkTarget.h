// SPDX-License-Identifier: MIT
#pragma once

#include <string>

/// The file that path finally names: path itself when it is no symbolic link, otherwise the
/// end of its chain of links, followed link by link, also when that end does not exist yet.
/// Raises ESettingsFileError (ELOOP, naming settingsPath) for a chain that leads round in a
/// circle or is too long to follow.
std::string FinalLinkTarget(const std::string& path, const std::string& settingsPath);
