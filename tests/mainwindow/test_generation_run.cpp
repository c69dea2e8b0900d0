// SPDX-License-Identifier: MIT
// The generation run of the main window: what it writes to the file or the memo, the gauge
// while it goes on, the output target fixed at its start, a fresh seed for every run, and the
// failures that end it with a message; how it ends when the user stops it: Abort with records
// of any size, and closing the window while the run goes on; how the window answers the user,
// and opens its dialogs, during a long run; and how a run ends when the file may grow no
// further.
#include "MainWindowTestSupport.h"

#include "dialogs/AboutBox.h"
#include "engine/Dates.h"
#include "engine/Exceptions.h"
#include "mainwindow/MainWindow.h"
#include "platform/HelpViewer.h"
#include "platform/Latin1.h"
#include "widgets/Gauge.h"
#include "widgets/Memo.h"
#include "widgets/RadioGroup.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <memory>
#include <sys/resource.h>

namespace {

/// Counts the help commands instead of showing help.
class TRecordingViewer : public THelpViewer {
public:
    bool HelpCommand(const std::string&, THelpCommand, unsigned long) override {
        ++Commands;
        return true;
    }
    int Commands = 0;
};

/// Lets the files of this process grow to at most limit bytes while it lives, and ignores the
/// signal that the system sends when one would grow beyond: the write then fails instead.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &FBefore);
        FSignalBefore = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = FBefore;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &FBefore);
        std::signal(SIGXFSZ, FSignalBefore);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    rlimit FBefore{};
    void (*FSignalBefore)(int) = SIG_DFL;
};

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

class TestGenerationRun : public QObject, public TMainWindowFixture {
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

    void fileRunWritesEveryRecord_data() {
        QTest::addColumn<int>("eol");
        QTest::addColumn<QByteArray>("lineEnd");
        QTest::newRow("CR LF") << 0 << QByteArray("\r\n");
        QTest::newRow("LF") << 1 << QByteArray("\n");
        QTest::newRow("none") << 2 << QByteArray();
    }

    void fileRunWritesEveryRecord() {
        QFETCH(int, eol);
        QFETCH(QByteArray, lineEnd);
        const QString path = FTemp->filePath("out.txt");
        ExampleDefinition();
        SetFileOutput(path);
        SetRecordCount("250");
        Child<TRadioGroup>("RadioGroupEOL")->SetItemIndex(eol);
        TDialogAnswerer answerer;
        Start();
        QCOMPARE(answerer.Shown.size(), 0u);
        ExpectIdle();
        const QByteArray bytes = ReadAll(path);
        const qsizetype recordSize = 6 + lineEnd.size();
        QCOMPARE(bytes.size(), 250 * recordSize);
        const QRegularExpression record("^[0-9]{5};$");
        for (qsizetype i = 0; i < bytes.size(); i += recordSize) {
            const QByteArray one = bytes.mid(i, recordSize);
            QVERIFY(one.endsWith(lineEnd));
            QVERIFY2(record.match(QString::fromLatin1(one.left(6))).hasMatch(), one.constData());
        }
        QVERIFY(Child<TMemo>("Memo1")->Text().isEmpty());
    }

    void memoRunAddsOneLinePerRecord() {
        auto* memo = Child<TMemo>("Memo1");
        ExampleDefinition();
        SetMemoOutput();
        SetRecordCount("5");
        Start();
        QCOMPARE(memo->LineCount(), 5);
        // Whatever the end of line, a memo line carries none.
        Child<TRadioGroup>("RadioGroupEOL")->SetItemIndex(1);
        SetRecordCount("120");
        Start();
        const QStringList lines = memo->Text().split('\n');
        QCOMPARE(lines.size(), 120);
        QCOMPARE(memo->LineCount(), 120);
        const QRegularExpression record("^[0-9]{5};$");
        for (const QString& line : lines)
            QVERIFY2(record.match(line).hasMatch(), qPrintable(line));
        ExpectIdle();

        // A file run clears the memo too.
        SetFileOutput(FTemp->filePath("f.txt"));
        Start();
        QVERIFY(memo->Text().isEmpty());
        QCOMPARE(memo->LineCount(), 0);
    }

    void memoShowsLineBreaksAsPlaceholders() {
        SetRow(1, "fixed string", "1", std::string("a\r\nb\0c", 6));
        SetMemoOutput();
        SetRecordCount("2");
        Start();
        const QString line = QString("a") + QChar(TMemo::CarriageReturnMark) +
                             QChar(TMemo::LineFeedMark) + "b" + QChar(TMemo::NulMark) + "c";
        QCOMPARE(Child<TMemo>("Memo1")->Text(), line + "\n" + line);
    }

    void memoTakesOverCollectedLinesAtTheEnd() {
        auto* memo = Child<TMemo>("Memo1");
        SetMemoOutput();
        memo->BeginUpdate();
        for (int i = 0; i < 500; ++i)
            memo->AddLine("line " + std::to_string(i));
        QCOMPARE(memo->verticalScrollBar()->maximum(), 0);
        memo->EndUpdate();
        QCOMPARE(memo->LineCount(), 500);
        QCOMPARE(memo->Line(499), "line 499");
        QVERIFY(memo->verticalScrollBar()->maximum() > 400);
        QVERIFY(memo->SelectedText().isEmpty());

        // Whole lines are selected by dragging over them and copied with Ctrl+C.
        const int height = memo->fontMetrics().lineSpacing();
        QTest::mousePress(memo->viewport(), Qt::LeftButton, {}, QPoint(10, height / 2));
        QTest::mouseMove(memo->viewport(), QPoint(10, 2 * height + height / 2));
        QTest::mouseRelease(memo->viewport(), Qt::LeftButton, {},
                            QPoint(10, 2 * height + height / 2));
        QCOMPARE(memo->SelectedText(), "line 0\nline 1\nline 2");
        QTest::keyClick(memo, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), "line 0\nline 1\nline 2");
        QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(memo->SelectedText(), memo->Text());
        QTest::keyClick(memo, Qt::Key_End);
        QCOMPARE(memo->verticalScrollBar()->value(), memo->verticalScrollBar()->maximum());

        memo->ClearLines();
        QCOMPARE(memo->LineCount(), 0);
        QVERIFY(memo->Text().isEmpty());
        QVERIFY(memo->SelectedText().isEmpty());
        QCOMPARE(memo->verticalScrollBar()->maximum(), 0);
    }

    void emptyRunTruncatesTheFile() {
        const QString path = FTemp->filePath("old.txt");
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("previous content");
        }
        auto* memo = Child<TMemo>("Memo1");
        ExampleDefinition();
        SetMemoOutput();
        Start();
        QCOMPARE(memo->LineCount(), 100);
        SetFileOutput(path);
        SetRecordCount("0");
        Start();
        QVERIFY(QFile::exists(path));
        QCOMPARE(QFileInfo(path).size(), 0);
        QVERIFY(memo->Text().isEmpty());
        QCOMPARE(Child<TGauge>("Gauge1")->value(), 0);
        ExpectIdle();
    }

    void gaugeStopsAtTheLastHundred() {
        auto* gauge = Child<TGauge>("Gauge1");
        std::vector<int> seen;
        ExampleDefinition();
        SetMemoOutput();
        SetRecordCount("350");
        {
            TRunPasses passes([&](int) { seen.push_back(gauge->Position()); });
            Start();
        }
        QCOMPARE(seen, std::vector<int>({100, 200, 300}));
        QCOMPARE(gauge->Position(), 300);
        QCOMPARE(gauge->value(), 300);
        QCOMPARE(gauge->maximum(), 350);
        SetRecordCount("150");
        Start();
        QCOMPARE(gauge->value(), 100);
        QCOMPARE(gauge->maximum(), 150);
        QCOMPARE(gauge->text(), "66%");
        // Below 100 records the gauge stays at 0, and an empty run is no busy indicator.
        SetRecordCount("0");
        Start();
        QCOMPARE(gauge->value(), 0);
        QVERIFY(gauge->maximum() > gauge->minimum());
        QCOMPARE(gauge->text(), "0%");
    }

    void abortStopsAfterTheNextHundred() {
        const QString path = FTemp->filePath("aborted.txt");
        auto* start = Child<QPushButton>("ButtonStart");
        auto* abort = Child<QPushButton>("ButtonAbort");
        bool running = false;
        ExampleDefinition();
        SetFileOutput(path);
        SetRecordCount("1000");
        TDialogAnswerer answerer;
        {
            // Abort is clicked in the pass after record 200; the run notices it right after.
            TRunPasses passes([&](int pass) {
                if (pass == 1)
                    running = !start->isEnabled() && abort->isEnabled();
                if (pass == 2)
                    QTest::mouseClick(abort, Qt::LeftButton);
            });
            Start();
            QCOMPARE(passes.Passes(), 2);
        }
        QVERIFY(running);
        QCOMPARE(answerer.Shown.size(), 0u);
        QCOMPARE(ReadAll(path).count('\n'), 200);
        QCOMPARE(ReadAll(path).size(), 200 * 8);
        ExpectIdle();

        // A later run is not aborted by the earlier click.
        Start();
        QCOMPARE(ReadAll(path).count('\n'), 1000);

        // Fewer than 100 records give the event loop no pass, so nothing can abort them.
        SetRecordCount("99");
        {
            TRunPasses passes([&](int) { QTest::mouseClick(abort, Qt::LeftButton); });
            Start();
            QCOMPARE(passes.Passes(), 0);
        }
        QCOMPARE(ReadAll(path).count('\n'), 99);
    }

    void outputTargetIsFixedForTheRun() {
        const QString path = FTemp->filePath("target.txt");
        auto* memoButton = Child<QRadioButton>("VxRadioBtnMemo");
        ExampleDefinition();
        SetFileOutput(path);
        SetRecordCount("500");
        {
            TRunPasses passes([&](int pass) {
                if (pass == 1)
                    QTest::mouseClick(memoButton, Qt::LeftButton);
            });
            Start();
        }
        QVERIFY(memoButton->isChecked());
        QCOMPARE(ReadAll(path).count('\n'), 500);
        QVERIFY(Child<TMemo>("Memo1")->Text().isEmpty());
    }

    void eachRunIsSeededAnew() {
        ExampleDefinition();
        SetRecordCount("200");
        SetFileOutput(FTemp->filePath("first.txt"));
        Start();
        QTest::qWait(5);
        SetFileOutput(FTemp->filePath("second.txt"));
        Start();
        const QByteArray first = ReadAll(FTemp->filePath("first.txt"));
        QCOMPARE(first.size(), 200 * 8);
        QVERIFY(first != ReadAll(FTemp->filePath("second.txt")));
    }

    // A word file that cannot be read, or a counter that outgrows its width, is refused
    // before the target is opened: the file of an earlier run keeps its bytes.
    void refusedValueFieldsLeaveTheTargetAsItWas_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("str");
        QTest::addColumn<QString>("named");
        QTest::newRow("missing word file") << "random line of file"
                                           << ""
                                           << "nowhere.txt"
                                           << "nowhere.txt";
        QTest::newRow("counter too wide") << "counter (record number)"
                                          << "2"
                                          << "95"
                                          << "counter";
    }

    void refusedValueFieldsLeaveTheTargetAsItWas() {
        QFETCH(QString, type);
        QFETCH(QString, size);
        QFETCH(QString, str);
        QFETCH(QString, named);
        const QString path = FTemp->filePath("kept.txt");
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::WriteOnly));
        kept.write("earlier run\n");
        kept.close();
        SetRow(1, FromQString(type), FromQString(size), FromQString(str));
        SetRecordCount("100");
        SetFileOutput(path);
        TDialogAnswerer answerer;
        Start();
        QCOMPARE(answerer.Shown.size(), 1u);
        QCOMPARE(answerer.Shown[0].Name, "ErrorMessage");
        QVERIFY2(answerer.Shown[0].Text.contains(named, Qt::CaseInsensitive),
                 qPrintable(answerer.Shown[0].Text));
        ExpectIdle();
        QCOMPARE(ReadAll(path), QByteArray("earlier run\n"));
    }

    void failuresAreShownAndLeaveTheWindowIdle_data() {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("message");
        QTest::newRow("no file name") << "blank file name"
                                      << "No output file indicated!";
        QTest::newRow("fixed string without string")
            << "empty fixed string"
            << "Empty string for field type\r\n\"fixed string\" not allowed!";
        QTest::newRow("pool without string")
            << "empty pool"
            << "Empty string for field type\r\n\"random from string\" not allowed!";
        QTest::newRow("no field") << "empty grid"
                                  << "Empty record definition not allowed.";
        QTest::newRow("generator refuses a size") << "bad size"
                                                  << "Invalid length for argument N.";
        QTest::newRow("counts differ") << "blank in charset"
                                       << "Invalid record definition.";
        QTest::newRow("record count not a number") << "empty count"
                                                   << "'' is not a valid integer value.";
        QTest::newRow("folder missing")
            << "missing folder" << QString::fromStdString(EInOutError::RuntimeText(ENOENT) + ".");
        QTest::newRow("disk full")
            << "disk full" << QString::fromStdString(EInOutError::RuntimeText(ENOSPC) + ".");
    }

    void failuresAreShownAndLeaveTheWindowIdle() {
        QFETCH(QString, situation);
        QFETCH(QString, message);
        auto* memo = Child<TMemo>("Memo1");
        auto* fileName = Child<QLineEdit>("EditFileName");
        const QString path = FTemp->filePath("never.txt");

        // The memo holds the lines of an earlier run, which a refused run leaves alone.
        ExampleDefinition();
        SetMemoOutput();
        SetRecordCount("3");
        Start();
        QCOMPARE(memo->LineCount(), 3);
        SetFileOutput(path);

        bool fileRun = true;
        if (situation == "blank file name") {
            fileName->setText("   ");
        } else if (situation == "empty fixed string") {
            SetRow(3, "fixed string", "1", "");
        } else if (situation == "empty pool") {
            SetRow(3, "random from string", "1", "");
        } else if (situation == "empty grid") {
            SetRow(1, "", "", "");
        } else if (situation == "bad size") {
            SetRow(1, "numeric (0..9)", "5x", "");
        } else if (situation == "blank in charset") {
            SetMemoOutput();
            fileRun = false;
            fileName->clear();
            Child<QLineEdit>("EditCharset")->setText("a b");
        } else if (situation == "empty count") {
            SetRecordCount("");
        } else if (situation == "missing folder") {
            fileName->setText(FTemp->filePath("no/such/folder/out.txt"));
        } else if (situation == "disk full") {
            fileName->setText("/dev/full");
        }

        TDialogAnswerer answerer;
        Start();
        QCOMPARE(answerer.Shown.size(), 1u);
        QCOMPARE(answerer.Shown[0].Name, "ErrorMessage");
        QCOMPARE(answerer.Shown[0].Text, Lines(message));
        ExpectIdle();
        if (situation == "blank file name")
            QCOMPARE(fileName->text(), "   ");
        if (fileRun)
            QVERIFY(!QFile::exists(path));
        // Only a run that got as far as its output has emptied the memo.
        const bool outputOpened = situation == "disk full";
        QCOMPARE(memo->LineCount(), outputOpened ? 0 : 3);

        // The window stays usable: the same window runs a sound definition afterwards.
        SetRow(1, "numeric (0..9)", "5", "");
        SetRow(2, "fixed string", "1", ";");
        SetRow(3, "", "", "");
        SetRecordCount("10");
        Child<QLineEdit>("EditCharset")->setText("x");
        SetFileOutput(FTemp->filePath("after.txt"));
        Start();
        QCOMPARE(answerer.Shown.size(), 1u);
        QCOMPARE(ReadAll(FTemp->filePath("after.txt")).size(), 10 * 8);
    }

    void blankFileNameIsFineForMemoOutput() {
        ExampleDefinition();
        SetMemoOutput();
        Child<QLineEdit>("EditFileName")->setText("   ");
        SetRecordCount("4");
        TDialogAnswerer answerer;
        Start();
        QCOMPARE(answerer.Shown.size(), 0u);
        QCOMPARE(Child<TMemo>("Memo1")->LineCount(), 4);
    }

    void failingRecordKeepsTheEarlierOnes() {
        // Years beyond 9999 cannot be written; the run stops at the first such record drawn.
        const QString path = FTemp->filePath("dates.txt");
        SetRow(1, "random date", "9000", "10000");
        Child<QLineEdit>("EditDateFormat")->setText("yyyy");
        SetFileOutput(path);
        SetRecordCount("20000");
        TDialogAnswerer answerer;
        Start();
        QCOMPARE(answerer.Shown.size(), 1u);
        QCOMPARE(answerer.Shown[0].Text, "Invalid argument to date encode.");
        ExpectIdle();
        const QByteArray bytes = ReadAll(path);
        QVERIFY(bytes.size() < 20000LL * 6);
        QCOMPARE(bytes.size() % 6, 0);
        for (const QByteArray& line : bytes.split('\n'))
            if (!line.isEmpty())
                QVERIFY2(
                    QRegularExpression("^9[0-9]{3}\r$").match(QString::fromLatin1(line)).hasMatch(),
                    line.constData());

        SetMemoOutput();
        Start();
        QCOMPARE(answerer.Shown.size(), 2u);
        for (const QString& line : Child<TMemo>("Memo1")->Text().split('\n', Qt::SkipEmptyParts))
            QVERIFY2(QRegularExpression("^9[0-9]{3}$").match(line).hasMatch(), qPrintable(line));
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

    // The long runs below go on for many seconds unless they are stopped: a million
    // kilobyte records.
    void windowAnswersDuringALongRun() {
        LongRun("/dev/null");
        auto* gauge = Child<TGauge>("Gauge1");
        auto* charset = Child<QLineEdit>("EditCharset");
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 longestGap = 0;
        int ticks = 0;
        QTimer ticker;
        ticker.setInterval(10);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, clock.elapsed() - last);
            last = clock.elapsed();
            ++ticks;
        });
        ticker.start();
        Start(false);
        QTRY_VERIFY(gauge->Position() > 0);
        QVERIFY(F->Running());
        QTest::keyClicks(charset, "xyz");
        QVERIFY(charset->text().endsWith("xyz"));
        QTest::qWait(300);
        QVERIFY(F->Running());
        QCOMPARE(gauge->Position() % 100, 0);
        ticker.stop();
        QVERIFY(ticks > 10);
        // Generous for a loaded machine: a run that blocked the window would leave one gap
        // as long as the whole wait.
        QVERIFY2(longestGap < 250, qPrintable(QString::number(longestGap)));
        QTest::mouseClick(Child<QPushButton>("ButtonAbort"), Qt::LeftButton);
        WaitForRunEnd(*F);
    }

    void abortEndsALongRunQuicklyOnAHundred() {
        const QString path = FTemp->filePath("long.txt");
        LongRun(path);
        auto* gauge = Child<TGauge>("Gauge1");
        Start(false);
        QTRY_VERIFY(gauge->Position() > 0);
        QSignalSpy ended(F.get(), &TFormMain::RunEnded);
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(Child<QPushButton>("ButtonAbort"), Qt::LeftButton);
        QVERIFY(ended.wait(5000));
        // A tenth of a second on an idle machine; the bound leaves room for a loaded one.
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        const qint64 size = QFileInfo(path).size();
        QCOMPARE(size % 1002, 0);
        QCOMPARE(size / 1002 % 100, 0);
        QCOMPARE(gauge->Position(), size / 1002);
        QVERIFY(!IsOpen(path));
    }

    void closingDuringALongRunClosesOnceItHasStopped() {
        LongRun("/dev/null");
        QSignalSpy ended(F.get(), &TFormMain::RunEnded);
        Start(false);
        QTRY_VERIFY(Child<TGauge>("Gauge1")->Position() > 0);
        F->close();
        QVERIFY(F->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!F->isVisible(), 5000);
        QVERIFY(!F->Running());
        QCOMPARE(ended.count(), 1);
    }

    void fileSizeLimitLeavesWholeRecords_data() {
        QTest::addColumn<bool>("dates");
        QTest::addColumn<QString>("records");
        QTest::newRow("while the run goes on") << false << "100000";
        // The last bytes are written when the file is closed.
        QTest::newRow("at the end of the run") << false << "14290";
        // Dates of one or two digits give records of several widths.
        QTest::newRow("records of several widths") << true << "100000";
    }
    void fileSizeLimitLeavesWholeRecords() {
        QFETCH(bool, dates);
        QFETCH(QString, records);
        const QString path = FTemp->filePath("limited.txt");
        if (dates) {
            F->SetCells(1, 1, "random date");
            F->SetCells(2, 1, "1990");
            F->SetCells(3, 1, "2000");
            Child<QLineEdit>("EditDateFormat")->setText("d/m/yyyy");
        } else {
            F->SetCells(1, 1, "numeric (0..9)");
            F->SetCells(2, 1, "5");
        }
        SetFileOutput(path);
        Child<QLineEdit>("VxNumEditRecords")->setText(records);
        TDialogAnswerer answerer;
        {
            const TFileSizeLimit limit(100000);
            Start();
        }
        QCOMPARE(answerer.Shown.size(), 1u);
        QCOMPARE(answerer.Shown[0].Name, "ErrorMessage");
        QCOMPARE(answerer.Shown[0].Text, path + ": File too large.");
        QVERIFY(Child<QPushButton>("ButtonStart")->isEnabled());
        const QByteArray bytes = ReadAll(path);
        if (!dates) {
            // 14285 records of 7 bytes fit below the limit; nothing of the next one stays.
            QCOMPARE(bytes.size(), 14285 * 7);
            QVERIFY(bytes.endsWith("\r\n"));
            return;
        }
        // Every record is whole, and the next one would not have fit.
        QVERIFY(bytes.size() > 100000 - 12);
        QVERIFY(bytes.endsWith("\r\n"));
        const QRegularExpression date("^[0-9]{1,2}/[0-9]{1,2}/(199[0-9]|2000)$");
        const QList<QByteArray> lines = bytes.chopped(1).split('\n');
        for (const QByteArray& line : lines)
            QVERIFY2(date.match(QString::fromLatin1(line.chopped(1))).hasMatch(), line.constData());
    }

    void memoRunAbortedKeepsItsWholeHundreds() {
        F->SetCells(1, 1, "letter (A..Z, a..z)");
        F->SetCells(2, 1, "12");
        QTest::mouseClick(Child<QRadioButton>("VxRadioBtnMemo"), Qt::LeftButton);
        Child<QLineEdit>("VxNumEditRecords")->setText("100000");
        std::vector<int> lines;
        {
            TRunPasses passes([&](int pass) {
                lines.push_back(Child<TMemo>("Memo1")->LineCount());
                if (pass == 3)
                    QTest::mouseClick(Child<QPushButton>("ButtonAbort"), Qt::LeftButton);
            });
            Start();
        }
        // The lines come over in batches while the run goes on, and are shown at its end.
        QCOMPARE(lines, std::vector<int>({100, 200, 300}));
        auto* memo = Child<TMemo>("Memo1");
        QCOMPARE(memo->LineCount(), 300);
        for (int i = 0; i < memo->LineCount(); ++i)
            QVERIFY(QRegularExpression("^[A-Za-z]{12}$").match(memo->Line(i)).hasMatch());
    }

    void aboutAndHelpOpenDuringALongRun() {
        TFormAbout2 about(F.get());
        F->SetFormAbout(&about);
        TRecordingViewer viewer;
        THelpViewer* previous = SetHelpViewer(&viewer);
        LongRun("/dev/null");
        auto* gauge = Child<TGauge>("Gauge1");
        Start(false);
        QTRY_VERIFY(gauge->Position() > 0);
        bool runningMeanwhile = false;
        {
            // The run goes on while the about box is open.
            const TScopedModalHook hook([&](QDialog&) {
                const int before = gauge->Position();
                QTRY_VERIFY(gauge->Position() > before);
                runningMeanwhile = F->Running();
            });
            QTest::mouseClick(Child<QPushButton>("ButtonAbout"), Qt::LeftButton);
        }
        QVERIFY(runningMeanwhile);
        QTest::mouseClick(Child<QPushButton>("ButtonHelp"), Qt::LeftButton);
        SetHelpViewer(previous);
        QCOMPARE(viewer.Commands, 1);
        QVERIFY(F->Running());
        QTest::mouseClick(Child<QPushButton>("ButtonAbort"), Qt::LeftButton);
        WaitForRunEnd(*F);
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
    /// A run of a million records of a thousand digits (and CR LF) to path.
    void LongRun(const QString& path) {
        F->SetCells(1, 1, "numeric (0..9)");
        F->SetCells(2, 1, "1000");
        SetFileOutput(path);
        Child<QLineEdit>("VxNumEditRecords")->setText("1000000");
    }
};

QTEST_MAIN(TestGenerationRun)
#include "test_generation_run.moc"
