// tabbit: the window program that edits record definitions and generates their records.
#include "mainwindow/Tabbit_MW.h"
#include "platform/AppPaths.h"
#include "platform/Regional.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    InstallRegionalSettings();
    InstallDefaultIniPath();
    TFormMain formMain;
    formMain.show();
    return application.exec();
}
