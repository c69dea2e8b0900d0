// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// Where the programs find their files. Paths are bytes as the system gives them, never
// converted through another character set, so that any folder name works.

/// The full path of the running executable.
std::string ExecutablePath();

/// True when the program whose executable is exePath is installed: it lies in the bin folder
/// of a prefix whose data folder holds the program's help pages (share/tabbit/help), where
/// the help viewer finds them.
bool IsInstalledProgram(const std::string& exePath);

/// What a program does with its settings file: a program that only reads it must leave no
/// trace, not even an empty configuration folder.
enum class TIniUse { ReadWrite, ReadOnly };

/// The settings file of a program whose executable is exePath: the executable's path with
/// ".ini" when that file exists already, or when the program is not installed (a build
/// folder or a portable copy) and its folder is writable; otherwise "tabbit.ini" in configDir,
/// which is then created when missing unless use is ReadOnly. So an installed program never
/// writes into its bin folder, not even when run by root.
std::string ChooseIniPath(const std::string& exePath, const std::string& configDir,
                          TIniUse use = TIniUse::ReadWrite);

/// The user's configuration folder of the window program: $XDG_CONFIG_HOME/tabbit, by default
/// ~/.config/tabbit.
std::string UserConfigDir();

/// The settings file of the window program, which tabbit-gen shares: ChooseIniPath for
/// "<folder of this executable>/tabbit". The program hands it to the store.
std::string WindowProgramIniPath(TIniUse use = TIniUse::ReadWrite);
