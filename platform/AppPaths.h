// SPDX-License-Identifier: MIT
#pragma once

#include <string>

/// The full path of the running executable.
std::string ExecutablePath();

/// The settings file of a program whose executable is exePath: the executable's path with
/// ".ini" when that file exists or its folder is writable (a build folder or a portable
/// copy); otherwise "tabbit.ini" in configDir (an installed program). The folder of the
/// chosen file is created when missing.
std::string ChooseIniPath(const std::string& exePath, const std::string& configDir);

/// The user's configuration folder of the window program (~/.config/tabbit).
std::string UserConfigDir();

/// Hands the settings file of the window program to the store: the one beside
/// "<folder of this executable>/tabbit", or the user's configuration file.
void InstallDefaultIniPath();
