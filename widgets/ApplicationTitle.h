// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <string>

/// The file-name part of path, cut before its first ".": "/usr/bin/tabbit.x.y" gives "tabbit".
std::string ExeBaseName(const std::string& path);

/// The application's title: ExeBaseName of the running executable.
std::string ApplicationTitle();

/// The application's title as the windows show it. Unlike ApplicationTitle it also holds an
/// executable name outside the 8-bit character set, so a caption never fails.
QString ApplicationTitleText();

/// The program's version text, "1.1", set when the main window is created and shown by the
/// about box.
extern std::string ProgramVersion;
