// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <string>

/// Result codes of the shell operations follow the desktop shell's rule: a code above 32 means
/// the platform accepted the request, 32 or less that it refused it.
constexpr int ShellSuccess = 33;
constexpr int ShellFailure = 2;

/// The desktop shell: hands links to the user's mail and web programs, names the program the
/// desktop associates with a file type, and starts programs. Replaceable so that tests see
/// which route a link takes and what a failure does without opening anything.
class TShell {
public:
    virtual ~TShell() = default;

    /// Asks the desktop to open url (a web or mail link, or a file) with the program the
    /// user chose for it; a text without a scheme is taken as a web address, as the desktop's
    /// own shell does. ShellSuccess when the desktop accepted it, otherwise ShellFailure.
    virtual int ShellExecuteOpen(const std::string& url);

    /// The full path, in upper case, of the program the desktop associates with files ending
    /// in ext (".htm": the default web browser); empty when there is none or it is missing.
    virtual std::string ProgramForExtension(const std::string& ext);

    /// Starts cmdLine (a program followed by its arguments, blank-separated, quotes group)
    /// as a process of its own; ShellSuccess when it was started, otherwise ShellFailure.
    virtual int WinExec(const std::string& cmdLine);
};

/// The process-wide shell.
TShell& Shell();

/// Installs shell (not owned; nullptr restores the desktop's one); returns the previous one.
TShell* SetShell(TShell* shell);

/// The program that a desktop entry file (".desktop") starts: the first word of its Exec
/// line in the "Desktop Entry" group, resolved through PATH when it is not a full path.
/// Empty when the file cannot be read, has no Exec line or the program does not exist.
QString ProgramOfDesktopEntry(const QString& desktopFile);
