// SPDX-License-Identifier: MIT
// The window's generation run against tabbit-gen: the real main window on the offscreen
// platform presses Start for the example definition (five digits and a semicolon) into a
// file, from the click to the window being idle again, and into the memo; tabbit-gen
// produces the same records. The two are run in turn, so that each pair sees the same load
// on the machine; prints the median of each, the median of the pairs' ratios, and the time
// per record.
#include "mainwindow/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int FileRecordCounts[] = {1000000, 9000000};
constexpr int MemoRecords = 100000;
constexpr int Rounds = 7;

double Seconds(const std::function<void()>& run) {
    QElapsedTimer clock;
    clock.start();
    run();
    return clock.nsecsElapsed() / 1e9;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

/// Median of Rounds wall times of run, in seconds.
double MedianTime(const std::function<void()>& run) {
    std::vector<double> times;
    for (int i = 0; i < Rounds; ++i) {
        times.push_back(Seconds(run));
    }
    return Median(times);
}

/// Clicks Start and returns once the run has ended and the window is idle again.
void WindowRun(TFormMain& form, int records, const QString& fileName) {
    form.findChild<QLineEdit*>("VxNumEditRecords")->setText(QString::number(records));
    if (fileName.isEmpty()) {
        form.findChild<QRadioButton*>("VxRadioBtnMemo")->click();
    } else {
        form.findChild<QRadioButton*>("VxRadioBtnFile")->click();
        form.findChild<QLineEdit*>("EditFileName")->setText(fileName);
    }
    QEventLoop loop;
    QObject::connect(&form, &TFormMain::RunEnded, &loop, &QEventLoop::quit);
    form.findChild<QPushButton*>("ButtonStart")->click();
    if (form.Running()) {
        loop.exec();
    }
}

void PrintRatio(const char* what, double ratio, double goal) {
    std::printf("%-44s %.2f (goal: %.1f or less)\n", what, ratio, goal);
}

/// The window's file run against tabbit-gen at one record count, in pairs.
void CompareWithGen(TFormMain& form, int records, const QString& gen, const QString& windowFile,
                    const QString& genFile) {
    const QStringList args{"--seed", "1",     "--quiet",
                           "-o",     genFile, QString("/R=%1 /N=5 /F=1,#59 /E=W").arg(records)};
    std::vector<double> windowTimes;
    std::vector<double> genTimes;
    std::vector<double> ratios;
    for (int i = 0; i < Rounds; ++i) {
        windowTimes.push_back(Seconds([&] { WindowRun(form, records, windowFile); }));
        genTimes.push_back(Seconds([&] { QProcess::execute(gen, args); }));
        ratios.push_back(windowTimes.back() / genTimes.back());
    }
    const double windowTime = Median(windowTimes);
    const double genTime = Median(genTimes);
    std::printf("window, %7d records to a file:  %.3f s (%.1f ns/record, %lld bytes)\n", records,
                windowTime, windowTime / records * 1e9,
                static_cast<long long>(QFileInfo(windowFile).size()));
    std::printf("tabbit-gen, the same records:        %.3f s (%.1f ns/record, %lld bytes)\n",
                genTime, genTime / records * 1e9,
                static_cast<long long>(QFileInfo(genFile).size()));
    PrintRatio("window / tabbit-gen, medians:", windowTime / genTime, 1.5);
    PrintRatio("window / tabbit-gen, median of pairs:", Median(ratios), 1.5);
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

    const QString gen = QCoreApplication::applicationDirPath() + "/tabbit-gen";
    const bool haveGen = QFileInfo(gen).isExecutable();
    for (const int records : FileRecordCounts) {
        if (haveGen) {
            CompareWithGen(form, records, gen, windowFile, genFile);
        } else {
            const double time = MedianTime([&] { WindowRun(form, records, windowFile); });
            std::printf("window, %d records to a file: %.3f s\n", records, time);
        }
    }
    if (!haveGen) {
        std::printf("tabbit-gen not found beside the benchmark (%s): comparison skipped\n",
                    qPrintable(gen));
    }

    const double memoTime = MedianTime([&] { WindowRun(form, MemoRecords, QString()); });
    const double smallFileTime = MedianTime([&] { WindowRun(form, MemoRecords, windowFile); });
    std::printf("window, %d records to the memo:  %.3f s\n", MemoRecords, memoTime);
    std::printf("window, %d records to a file:    %.3f s\n", MemoRecords, smallFileTime);
    PrintRatio("memo / file:", memoTime / smallFileTime, 3.0);
    return 0;
}
