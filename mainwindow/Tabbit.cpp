// SPDX-License-Identifier: MIT
// tabbit: the window program that edits record definitions and generates their records.
#include "about/Vx_About2.h"
#include "controls/VxFormScale.h"
#include "mainwindow/Tabbit_MW.h"
#include "platform/AppPaths.h"
#include "platform/Regional.h"
#include "store/Tabbit_Mg.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    InstallProgramIdentity();
    InstallRegionalSettings();
    InstallDefaultIniPath();
    // The main window comes first: its creation sets the version that the about box shows.
    TFormMain formMain;
    TFormAbout2 formAbout(&formMain);
    TFormManage formManage(&formMain);
    formMain.SetFormAbout(&formAbout);
    formMain.SetFormManage(&formManage);
    formMain.show();
    return application.exec();
}
