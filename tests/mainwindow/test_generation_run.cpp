// SPDX-License-Identifier: MIT
// How a generation run of the main window ends when the user stops it: Abort with records of
// any size, and closing the window while the run goes on.
#include "MainWindowTestSupport.h"

#include "engine/Dates.h"
#include "mainwindow/MainWindow.h"
#include "widgets/Gauge.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

/// True when this process has path open.
bool IsOpen(const QString& path) {
    const QString wanted = QFileInfo(path).canonicalFilePath();
    const QDir fds("/proc/self/fd");
    for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System))
        if (fd.symLinkTarget() == wanted)
            return true;
    return false;
}

} // namespace

class TestRunEnd : public QObject {
    Q_OBJECT

private slots:
    void init() {
        SystemDateFormat = "d/m/yyyy";
        FTemp = std::make_unique<QTemporaryDir>();
        F = std::make_unique<TFormMain>();
        F->show();
        QVERIFY(QTest::qWaitForWindowExposed(F.get()));
    }
    void cleanup() {
        F.reset();
        FTemp.reset();
    }

    void abortEndsOnAHundredWhateverTheRecordSize_data() {
        QTest::addColumn<int>("recordSize");
        QTest::newRow("small") << 5;
        // Records this large fill the producer's buffers long before a hundred of them.
        QTest::newRow("large") << 30000;
    }
    void abortEndsOnAHundredWhateverTheRecordSize() {
        QFETCH(int, recordSize);
        const QString path = FTemp->filePath("aborted.txt");
        F->SetCells(1, 1, "fixed string");
        F->SetCells(2, 1, std::to_string(recordSize));
        F->SetCells(3, 1, "x");
        SetFileOutput(path);
        Child<QLineEdit>("VxNumEditRecords")->setText("1000");
        std::vector<int> gauge;
        TDialogAnswerer answerer;
        {
            TRunPasses passes([&](int pass) {
                gauge.push_back(Child<TGauge>("Gauge1")->Position());
                if (pass == 3)
                    QTest::mouseClick(Child<QPushButton>("ButtonAbort"), Qt::LeftButton);
            });
            Start();
            QCOMPARE(passes.Passes(), 3);
        }
        QCOMPARE(answerer.Shown.size(), 0u);
        QCOMPARE(gauge, std::vector<int>({100, 200, 300}));
        const QByteArray bytes = ReadAll(path);
        QCOMPARE(bytes.size(), 300 * (recordSize + 2));
        QCOMPARE(bytes.count('\n'), 300);
        QVERIFY(!IsOpen(path));
    }

    void keyboardRunLeavesTheFocusOnStart_data() {
        QTest::addColumn<bool>("abort");
        QTest::newRow("run to its end") << false;
        QTest::newRow("aborted") << true;
    }
    // Space on Start, then (for an abort) Space on Abort, which has the focus during the
    // run: afterwards the focus is back on Start, so a further Space starts another run
    // rather than opening the help.
    void keyboardRunLeavesTheFocusOnStart() {
        QFETCH(bool, abort);
        F->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(F.get()));
        F->SetCells(1, 1, "numeric (0..9)");
        F->SetCells(2, 1, "5");
        SetFileOutput(FTemp->filePath("keys.txt"));
        Child<QLineEdit>("VxNumEditRecords")->setText("1000");
        auto* start = Child<QPushButton>("ButtonStart");
        auto* abortButton = Child<QPushButton>("ButtonAbort");
        start->setFocus();
        bool abortFocusedDuringRun = false;
        {
            TRunPasses passes([&](int pass) {
                if (pass != 2)
                    return;
                abortFocusedDuringRun = abortButton->hasFocus();
                if (abort)
                    QTest::keyClick(abortButton, Qt::Key_Space);
            });
            QTest::keyClick(start, Qt::Key_Space);
            WaitForRunEnd(*F);
        }
        QVERIFY(abortFocusedDuringRun);
        QCOMPARE(ReadAll(FTemp->filePath("keys.txt")).size(), (abort ? 200 : 1000) * 7);
        QVERIFY(start->isEnabled());
        QVERIFY(!abortButton->isEnabled());
        QCOMPARE(QApplication::focusWidget(), start);
    }

    void closingDuringARunAbortsItThenCloses() {
        const QString path = FTemp->filePath("long.txt");
        F->SetCells(1, 1, "numeric (0..9)");
        F->SetCells(2, 1, "5");
        SetFileOutput(path);
        Child<QLineEdit>("VxNumEditRecords")->setText("9999999");
        QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);
        bool stillShown = false;
        bool openDuringRun = false;
        // The run ends, then the window goes, and with it the program: its event loop ends.
        bool timedOut = false;
        QTimer::singleShot(20000, qApp, [&] {
            timedOut = true;
            QCoreApplication::exit(1);
        });
        {
            TRunPasses passes([&](int pass) {
                if (pass == 2) {
                    openDuringRun = IsOpen(path);
                    // As the window manager's close button does.
                    F->close();
                    stillShown = F->isVisible();
                }
            });
            QTest::mouseClick(Child<QPushButton>("ButtonStart"), Qt::LeftButton);
            QCOMPARE(QCoreApplication::exec(), 0);
            QCOMPARE(passes.Passes(), 2);
        }
        QVERIFY(openDuringRun);
        // The window waited for the run, which ended with the hundred being produced.
        QVERIFY(stillShown);
        const QByteArray bytes = ReadAll(path);
        QCOMPARE(bytes.size(), 200 * 7);
        QCOMPARE(bytes.count("\r\n"), 200);
        QVERIFY(!IsOpen(path));
        QVERIFY(!timedOut);
        QVERIFY(!F->isVisible());
        QCOMPARE(lastWindowClosed.count(), 1);
    }

    void closingWhenIdleClosesAtOnce() {
        F->close();
        QVERIFY(!F->isVisible());
        // Shown again, the window runs as before, and a later close is no abort.
        F->show();
        QVERIFY(QTest::qWaitForWindowExposed(F.get()));
        F->SetCells(1, 1, "numeric (0..9)");
        F->SetCells(2, 1, "2");
        const QString path = FTemp->filePath("after.txt");
        SetFileOutput(path);
        Child<QLineEdit>("VxNumEditRecords")->setText("500");
        Start();
        QCOMPARE(ReadAll(path).size(), 500 * 4);
        QVERIFY(F->isVisible());
    }

private:
    template <class T> T* Child(const char* name) const { return NamedChild<T>(*F, name); }
    void SetFileOutput(const QString& path) {
        QTest::mouseClick(Child<QRadioButton>("VxRadioBtnFile"), Qt::LeftButton);
        Child<QLineEdit>("EditFileName")->setText(path);
    }
    void Start() {
        QTest::mouseClick(Child<QPushButton>("ButtonStart"), Qt::LeftButton);
        WaitForRunEnd(*F);
    }

    std::unique_ptr<TFormMain> F;
    std::unique_ptr<QTemporaryDir> FTemp;
};

QTEST_MAIN(TestRunEnd)
#include "test_generation_run.moc"
