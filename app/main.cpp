// SPDX-License-Identifier: MIT
// tabbit: the window program that edits record definitions and generates their records.
#include "Version.h"
#include "dialogs/AboutBox.h"
#include "dialogs/ManageDialog.h"
#include "mainwindow/MainWindow.h"
#include "platform/AppPaths.h"
#include "platform/Regional.h"
#include "store/SettingsFile.h"
#include "widgets/FormScale.h"

#include <QApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

const char* const Usage =
    "Usage: tabbit [OPTION]...\n"
    "Edit record definitions and generate random test records in a window.\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "  -V, --version  print the version and exit\n"
    "Other arguments are ignored.\n"
    "\n"
    "The saved definitions live in $XDG_CONFIG_HOME/tabbit/tabbit.ini (by default\n"
    "~/.config/tabbit/tabbit.ini); a copy that is not installed keeps tabbit.ini\n"
    "beside itself. tabbit-gen generates the same records without a window.\n";

const char* const Version = "tabbit " TABBIT_VERSION "\n"
                            "Copyright (C) 2026 The tabbit developers.\n"
                            "License MIT: <https://opensource.org/licenses/MIT>.\n"
                            "This is free software: you are free to change and redistribute it.\n"
                            "There is NO WARRANTY, to the extent permitted by law.\n";

/// Prints text for --help or --version and gives the exit status: 1, with the system's
/// reason on standard error, when standard output cannot take it.
int PrintOut(const char* text) {
    if (std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0)
        return 0;
    std::fprintf(stderr, "tabbit: standard output: %s\n", std::strerror(errno));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // Answered before the application object exists, so that they need no display.
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return PrintOut(Usage);
        if (arg == "--version" || arg == "-V")
            return PrintOut(Version);
    }
    QApplication application(argc, argv);
    InstallProgramIdentity();
    InstallRegionalSettings();
    SetDefaultIniPath(WindowProgramIniPath());
    // The main window comes first: its creation sets the version that the about box shows.
    TFormMain formMain;
    TFormAbout2 formAbout(&formMain);
    TFormManage formManage(&formMain);
    formMain.SetFormAbout(&formAbout);
    formMain.SetFormManage(&formManage);
    formMain.show();
    return application.exec();
}
