// SPDX-License-Identifier: MIT
#pragma once

#include <string>

/// Help commands of the application's help file.
enum THelpCommand : unsigned {
    HELP_CONTEXT = 1,  ///< data: the topic's context number
    HELP_CONTENTS = 3, ///< the help file's contents topic
    HELP_FINDER = 11,  ///< the help viewer's contents window with the list of topics
};

/// The help viewer: shows the program's HTML help pages for the application's help file.
/// A help file "<folder>/TabbitU.hlp" stands for the pages in "<folder>/help/" (a build tree)
/// or "<folder>/../share/tabbit/help/" (an installed program). Replaceable
/// so that tests see which command was issued without opening a window.
class THelpViewer {
public:
    virtual ~THelpViewer() = default;
    /// Carries out one help command on helpFile; false when the help could not be shown.
    virtual bool HelpCommand(const std::string& helpFile, THelpCommand command, unsigned long data);
};

/// The process-wide help file, set at program start.
void SetApplicationHelpFile(const std::string& path);
const std::string& ApplicationHelpFile();

/// Installs viewer (not owned; nullptr restores the built-in one); returns the previous one.
THelpViewer* SetHelpViewer(THelpViewer* viewer);

/// Issues a help command on the application's help file through the installed viewer.
bool ApplicationHelpCommand(THelpCommand command, unsigned long data);
