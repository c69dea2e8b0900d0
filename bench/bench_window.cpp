// SPDX-License-Identifier: MIT
// The window's generation run against tabbit-gen: the real main window on the offscreen
// platform presses Start for the example definition (five digits and a semicolon) into a
// file, and into the memo; tabbit-gen produces the same records. Prints the best of five
// wall times of each and their ratios.
#include "mainwindow/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

constexpr int FileRecords = 1000000;
constexpr int MemoRecords = 100000;

/// Best of five wall times of run, in seconds.
double BestOfFive(const std::function<void()>& run) {
    double best = 1e30;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer clock;
        clock.start();
        run();
        best = std::min(best, clock.nsecsElapsed() / 1e9);
    }
    return best;
}

void WindowRun(TFormMain& form, int records, const QString& fileName) {
    form.findChild<QLineEdit*>("VxNumEditRecords")->setText(QString::number(records));
    if (fileName.isEmpty()) {
        form.findChild<QRadioButton*>("VxRadioBtnMemo")->click();
    } else {
        form.findChild<QRadioButton*>("VxRadioBtnFile")->click();
        form.findChild<QLineEdit*>("EditFileName")->setText(fileName);
    }
    form.findChild<QPushButton*>("ButtonStart")->click();
}

void PrintRatio(const char* what, double a, double b, double goal) {
    std::printf("%-34s %.2f (goal: %.1f or less)\n", what, a / b, goal);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    const QString windowFile = folder.filePath("window.txt");
    const QString genFile = folder.filePath("gen.txt");

    TFormMain form;
    form.show();
    form.SetCells(1, 1, "numeric (0..9)");
    form.SetCells(2, 1, "5");
    form.SetCells(1, 2, "fixed string");
    form.SetCells(2, 2, "1");
    form.SetCells(3, 2, ";");

    const double windowFileTime = BestOfFive([&] { WindowRun(form, FileRecords, windowFile); });
    std::printf("window, %d records to a file:   %.3f s (%lld bytes)\n", FileRecords,
                windowFileTime, static_cast<long long>(QFileInfo(windowFile).size()));

    const QString gen = QCoreApplication::applicationDirPath() + "/tabbit-gen";
    if (QFileInfo(gen).isExecutable()) {
        const QStringList args{"--seed",  "1",
                               "--quiet", "-o",
                               genFile,   QString("/R=%1 /N=5 /F=1,#59 /E=W").arg(FileRecords)};
        const double genTime = BestOfFive([&] { QProcess::execute(gen, args); });
        std::printf("tabbit-gen, the same records:      %.3f s (%lld bytes)\n", genTime,
                    static_cast<long long>(QFileInfo(genFile).size()));
        PrintRatio("window / tabbit-gen:", windowFileTime, genTime, 1.5);
    } else {
        std::printf("tabbit-gen not found beside the benchmark (%s): comparison skipped\n",
                    qPrintable(gen));
    }

    const double memoTime = BestOfFive([&] { WindowRun(form, MemoRecords, QString()); });
    const double smallFileTime = BestOfFive([&] { WindowRun(form, MemoRecords, windowFile); });
    std::printf("window, %d records to the memo:  %.3f s\n", MemoRecords, memoTime);
    std::printf("window, %d records to a file:    %.3f s\n", MemoRecords, smallFileTime);
    PrintRatio("memo / file:", memoTime, smallFileTime, 3.0);
    return 0;
}
