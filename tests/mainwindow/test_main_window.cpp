// SPDX-License-Identifier: MIT
// The main window as the user drives it: its controls, the field grid within it (the date
// hint, Latin-1 only), the command string it writes, its help, its fit at desktop fonts, and
// what a screen reader learns of it. The generation run has tests of its own.
#include "MainWindowTestSupport.h"

#include "engine/CommandLanguage.h"
#include "engine/Dates.h"
#include "engine/Exceptions.h"
#include "mainwindow/MainWindow.h"
#include "platform/HelpViewer.h"
#include "platform/Latin1.h"
#include "tests/support/DesktopFont.h"
#include "widgets/ApplicationTitle.h"
#include "widgets/ErrorDisplay.h"
#include "widgets/Gauge.h"
#include "widgets/Memo.h"
#include "widgets/NumberEdit.h"
#include "widgets/RadioGroup.h"
#include "widgets/StringGrid.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace {

const char* const Umlauts = "\xE4\xF6\xFC\xC4\xD6\xDC\xDF";

/// The place of "random date" in the popup menu.
constexpr int miDate = 14;
constexpr int miFileLine = 19;

/// Records the help commands instead of showing help.
class TRecordingViewer : public THelpViewer {
public:
    bool HelpCommand(const std::string& helpFile, THelpCommand command,
                     unsigned long data) override {
        Files.push_back(helpFile);
        Commands.push_back(command);
        Data.push_back(data);
        return true;
    }
    std::vector<std::string> Files;
    std::vector<THelpCommand> Commands;
    std::vector<unsigned long> Data;
};

} // namespace

/// The main window, driven as a user drives it; each test gets a fresh window.
class TestMainWindow : public QObject, public TMainWindowFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithItsDefaults();
    void controlsSitAtTheirDesignPlaces_data();
    void controlsSitAtTheirDesignPlaces();
    void tabOrderAndLabelBuddies();
    void outputAndEndOfLineChoicesAreSeparate();

    void dateHintIsShownOnce();
    void wordFileIsPickedWithTheFileDialog();
    void charactersOutsideLatin1AreRefused();

    void buildCommandString_data();
    void buildCommandString();
    void buildCommandStringTrimsAndTakesTheDateFormat();
    void buildCommandStringRefusesEmptyStrings_data();
    void buildCommandStringRefusesEmptyStrings();

    void f1OpensHelpEverywhere_data();
    void f1OpensHelpEverywhere();
    void helpButtonPrefersTheContentsFile();

    void textsFitAtDesktopFonts_data();
    void textsFitAtDesktopFonts();

    void arrowKeysMoveTheFocusIntoTheOutputTarget();

    void windowIsAWindowNamedByItsCaption();
    void controlsHaveAccessibleNames();
    void gaugeReportsItsValue();
    void gridReportsTitlesAndCells();
    void memoOffersItsLinesAsText();

private:
    TStringGrid* Grid() const { return Child<TStringGrid>("StringGrid1"); }
    QStringList Row(int row) const;
};

void TestMainWindow::init() {
    SystemDateFormat = "d/m/yyyy";
    FTemp = std::make_unique<QTemporaryDir>();
    F = std::make_unique<TFormMain>();
    F->show();
    QVERIFY(QTest::qWaitForWindowExposed(F.get()));
    F->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(F.get()));
}

void TestMainWindow::cleanup() {
    if (QMenu* menu = OpenMenu())
        menu->hide();
    F.reset();
    FTemp.reset();
}

QStringList TestMainWindow::Row(int row) const {
    return {ToQString(F->Cells(1, row)), ToQString(F->Cells(2, row)), ToQString(F->Cells(3, row))};
}

// ---------------------------------------------------------------------------------------
// The window

void TestMainWindow::startsWithItsDefaults() {
    QCOMPARE(F->windowTitle(), "Create file with random records");
    // The design size, grown with the window's font.
    QCOMPARE(F->size(), F->Scale().Size({431, 480}));
    QCOMPARE(F->minimumSize(), F->size());
    QCOMPARE(Child<QLineEdit>("EditDateFormat")->text(), "D/M/YYYY");
    QCOMPARE(Child<QLineEdit>("VxNumEditRecords")->text(), "100");
    QCOMPARE(Child<QLineEdit>("EditCharset")->text(), ToQString(Umlauts));
    QCOMPARE(Child<TRadioGroup>("RadioGroupEOL")->ItemIndex(), 0);
    QCOMPARE(Child<QRadioButton>("RadioGroupEOLItem0")->text(), "&CR/LF");
    QCOMPARE(Child<QRadioButton>("RadioGroupEOLItem1")->text(), "&LF (UNIX)");
    QCOMPARE(Child<QRadioButton>("RadioGroupEOLItem2")->text(), "&none");
    QVERIFY(Child<QRadioButton>("VxRadioBtnFile")->isChecked());
    QVERIFY(!Child<QRadioButton>("VxRadioBtnMemo")->isChecked());
    QCOMPARE(Child<QLineEdit>("EditFileName")->text(), QDir::homePath() + "/random.txt");
    QVERIFY(Child<QLineEdit>("EditFileName")->isEnabled());
    QVERIFY(Child<TMemo>("Memo1")->Text().isEmpty());
    QVERIFY(!Child<TMemo>("Memo1")->isEnabled());
    ExpectIdle();
    QCOMPARE(QApplication::focusWidget(), Child<QLineEdit>("EditFileName"));
    QCOMPARE(Child<TGauge>("Gauge1")->value(), 0);
    QVERIFY(Child<TGauge>("Gauge1")->isTextVisible());
    QVERIFY(!Child<QTimer>("Timer1")->isActive());
    QCOMPARE(Child<QTimer>("Timer1")->interval(), 50);
    QCOMPARE(ProgramVersion, "1.1");
    QCOMPARE(QString::fromStdString(ApplicationHelpFile()),
             QCoreApplication::applicationDirPath() + "/TabbitU.hlp");

    const std::pair<const char*, const char*> hints[] = {
        {"StringGrid1", "right-click to select field type"},
        {"EditCharset", "used in conjunction with field type \"letter union user def' charset\" "},
        {"RadioGroupEOL", "coding EOL type"},
        {"ButtonStart", "start record generation"},
        {"ButtonAbort", "abort record generation"},
        {"ButtonHelp", "display help"},
        {"ButtonAbout", "about the author"},
        {"ButtonManage", "save or load record definitions"},
    };
    for (const auto& [name, hint] : hints)
        QCOMPARE(Child<QWidget>(name)->toolTip(), hint);
    const std::pair<const char*, const char*> captions[] = {
        {"ButtonStart", "Start"},
        {"ButtonAbort", "Abort"},
        {"ButtonHelp", "Help"},
        {"ButtonAbout", "About"},
        {"ButtonManage", "Manage Definitions"},
    };
    for (const auto& [name, caption] : captions)
        QCOMPARE(Child<QPushButton>(name)->text(), caption);
}

void TestMainWindow::controlsSitAtTheirDesignPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("design");
    QTest::addColumn<QRect>("enlarged"); // window 100 wider and 80 higher
    QTest::newRow("record count") << "VxNumEditRecords" << QRect(104, 5, 65, 21)
                                  << QRect(104, 5, 65, 21);
    QTest::newRow("charset") << "EditCharset" << QRect(192, 32, 217, 21) << QRect(192, 32, 217, 21);
    QTest::newRow("grid") << "StringGrid1" << QRect(5, 62, 409, 139) << QRect(5, 62, 509, 219);
    QTest::newRow("date format") << "EditDateFormat" << QRect(90, 230, 89, 21)
                                 << QRect(90, 310, 89, 21);
    QTest::newRow("end of line") << "RadioGroupEOL" << QRect(192, 206, 222, 45)
                                 << QRect(192, 286, 222, 45);
    QTest::newRow("memo radio") << "VxRadioBtnMemo" << QRect(5, 264, 113, 17)
                                << QRect(5, 344, 113, 17);
    QTest::newRow("file radio") << "VxRadioBtnFile" << QRect(139, 264, 91, 17)
                                << QRect(139, 344, 91, 17);
    QTest::newRow("file name") << "EditFileName" << QRect(242, 261, 172, 21)
                               << QRect(242, 341, 172, 21);
    QTest::newRow("memo") << "Memo1" << QRect(5, 288, 409, 97) << QRect(5, 368, 509, 97);
    QTest::newRow("start") << "ButtonStart" << QRect(5, 400, 60, 25) << QRect(5, 480, 60, 25);
    QTest::newRow("abort") << "ButtonAbort" << QRect(80, 400, 60, 25) << QRect(80, 480, 60, 25);
    QTest::newRow("help") << "ButtonHelp" << QRect(155, 400, 60, 25) << QRect(155, 480, 60, 25);
    QTest::newRow("about") << "ButtonAbout" << QRect(229, 400, 60, 25) << QRect(229, 480, 60, 25);
    QTest::newRow("manage") << "ButtonManage" << QRect(301, 400, 113, 25)
                            << QRect(301, 480, 113, 25);
    QTest::newRow("gauge") << "Gauge1" << QRect(5, 434, 411, 18) << QRect(5, 514, 511, 18);
}

void TestMainWindow::controlsSitAtTheirDesignPlaces() {
    QFETCH(QString, name);
    QFETCH(QRect, design);
    QFETCH(QRect, enlarged);
    // The design geometry is grown with the window's font; enlarging the window moves and
    // widens the anchored controls by exactly as much as the window grows.
    auto* control = Child<QWidget>(name.toLatin1().constData());
    QRect scaled = F->Scale().Rect(design);
    // A one-line control too low for its style's frames is as high as it needs to be, about
    // the same middle.
    const int missing = control->sizeHint().height() - scaled.height();
    if (missing > 0 && name != "StringGrid1" && name != "Memo1" && name != "RadioGroupEOL" &&
        name != "Gauge1")
        scaled.adjust(0, -missing / 2, 0, missing - missing / 2);
    const QRect grown =
        scaled.translated(enlarged.topLeft() - design.topLeft())
            .adjusted(0, 0, enlarged.width() - design.width(), enlarged.height() - design.height());
    const QSize size = F->size();
    QCOMPARE(control->geometry(), scaled);
    F->resize(size + QSize(100, 80));
    QTRY_COMPARE(control->geometry(), grown);
    F->resize(size);
    QTRY_COMPARE(control->geometry(), scaled);
}

void TestMainWindow::tabOrderAndLabelBuddies() {
    const char* order[] = {
        "VxNumEditRecords", "EditCharset",    "StringGrid1",  "EditDateFormat", "RadioGroupEOL",
        "VxRadioBtnMemo",   "VxRadioBtnFile", "EditFileName", "Memo1",          "ButtonStart",
        "ButtonAbort",      "ButtonHelp",     "ButtonAbout",  "ButtonManage"};
    // Following the focus chain from the first control meets the others in this order.
    QWidget* w = Child<QWidget>(order[0]);
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget* wanted = Child<QWidget>(order[i]);
        int steps = 0;
        do {
            w = w->nextInFocusChain();
        } while (w != wanted && ++steps < 20);
        QVERIFY2(w == wanted, order[i]);
    }
    QCOMPARE(Child<QLabel>("Label1")->text(), "&Record Count:");
    QCOMPARE(Child<QLabel>("Label1")->buddy(), Child<QWidget>("VxNumEditRecords"));
    QCOMPARE(Child<QLabel>("Label2")->text(), "Record Definition:");
    QCOMPARE(Child<QLabel>("Label3")->text(), "User &defined character set:");
    QCOMPARE(Child<QLabel>("Label3")->buddy(), Child<QWidget>("EditCharset"));
    QCOMPARE(Child<QLabel>("Label4")->text(), "Date F&ormat:");
    QCOMPARE(Child<QLabel>("Label4")->buddy(), Child<QWidget>("EditDateFormat"));
    // No label's text is cut off by its own box.
    for (const char* name : {"Label1", "Label2", "Label3", "Label4"}) {
        auto* label = Child<QLabel>(name);
        QVERIFY2(label->width() >= label->sizeHint().width(), name);
    }
}

void TestMainWindow::outputAndEndOfLineChoicesAreSeparate() {
    auto* file = Child<QRadioButton>("VxRadioBtnFile");
    auto* memo = Child<QRadioButton>("VxRadioBtnMemo");
    auto* eol = Child<TRadioGroup>("RadioGroupEOL");
    QTest::mouseClick(file, Qt::LeftButton);
    QVERIFY(file->isChecked());
    QTest::mouseClick(eol->findChild<QRadioButton*>("RadioGroupEOLItem2"), Qt::LeftButton);
    QCOMPARE(eol->ItemIndex(), 2);
    QVERIFY(file->isChecked());
    QTest::mouseClick(memo, Qt::LeftButton);
    QVERIFY(memo->isChecked());
    QVERIFY(!file->isChecked());
    QCOMPARE(eol->ItemIndex(), 2);
    // The bound controls follow, and the focus goes to the memo.
    QVERIFY(Child<TMemo>("Memo1")->isEnabled());
    QVERIFY(!Child<QLineEdit>("EditFileName")->isEnabled());
    QCOMPARE(QApplication::focusWidget(), Child<QWidget>("Memo1"));
    QTest::mouseClick(memo, Qt::LeftButton);
    QVERIFY(memo->isChecked());
}

// ---------------------------------------------------------------------------------------
// The field grid

// Choosing "random line of file" offers the desktop's file dialog; a file in the current
// folder is named relative to it, as the engine reads it, and Cancel leaves the row as it was.
void TestMainWindow::wordFileIsPickedWithTheFileDialog() {
    const QString folder = FTemp->path();
    QFile words(folder + "/cities.txt");
    QVERIFY(words.open(QIODevice::WriteOnly));
    words.write("Lyon\nOslo\n");
    words.close();
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder);
    const auto restore = qScopeGuard([&before] { QDir::setCurrent(before); });
    QStringList captions;
    {
        const TScopedModalHook hook([&](QDialog& dialog) {
            auto& files = dynamic_cast<QFileDialog&>(dialog);
            captions << files.objectName();
            files.selectFile(folder + "/cities.txt");
            static_cast<QDialog&>(files).accept();
        });
        RightClick(*Grid(), 1, 1);
        Choose(miFileLine);
    }
    QCOMPARE(captions, QStringList({"WordFileDialog"}));
    QCOMPARE(Row(1), QStringList({"random line of file", "", "cities.txt"}));
    {
        const TScopedModalHook hook([](QDialog& dialog) { dialog.reject(); });
        RightClick(*Grid(), 1, 2);
        Choose(miFileLine);
    }
    QCOMPARE(Row(2), QStringList({"random line of file", "", ""}));
}

void TestMainWindow::dateHintIsShownOnce() {
    TDialogAnswerer answerer;
    SetRow(1, "fixed string", "1990", "abc");
    RightClick(*Grid(), 2, 1);
    Choose(miDate);
    QCOMPARE(Row(1), QStringList({"random date", "1990", ""}));
    QCOMPARE(answerer.Shown.size(), 1u);
    QCOMPARE(answerer.Shown[0].Name, "Message");
    QCOMPARE(answerer.Shown[0].Text, "Please enter <YearFrom> in column \"Field Size\",\n"
                                     "<YearTo> in column \"String\".\n"
                                     "The random dates will appear in the format\n"
                                     "as defined in control panel.");
    RightClick(*Grid(), 2, 2);
    Choose(miDate);
    QCOMPARE(ToQString(F->Cells(1, 2)), "random date");
    QCOMPARE(answerer.Shown.size(), 1u);
}

void TestMainWindow::charactersOutsideLatin1AreRefused() {
    const auto typeEuro = [](QWidget* target) {
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString::fromUtf8("\u20AC"),
                            Qt::NoModifier);
    };
    for (const char* name : {"EditCharset", "EditDateFormat", "EditFileName"}) {
        auto* edit = Child<QLineEdit>(name);
        edit->setFocus();
        edit->setText("ab");
        edit->end(false);
        typeEuro(edit);
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString::fromLatin1("\xE9"),
                            Qt::NoModifier);
        QCOMPARE(edit->text(), QString::fromLatin1("ab\xE9"));
        // Pasting goes through the same check: the whole insertion is refused.
        edit->insert(QString::fromUtf8("x\u20ACy"));
        QCOMPARE(edit->text(), QString::fromLatin1("ab\xE9"));
    }
    SetRow(2, "fixed string", "", "");
    Grid()->setFocus();
    Grid()->setCurrentCell(1, 3);
    QTest::keyClicks(QApplication::focusWidget(), "a");
    typeEuro(QApplication::focusWidget());
    QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown,
                        QString::fromLatin1("\xFC"), Qt::NoModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(F->Cells(3, 2), std::string("a\xFC"));
}

// ---------------------------------------------------------------------------------------
// The command string

void TestMainWindow::buildCommandString_data() {
    QTest::addColumn<QStringList>("rows"); // type|size|string, row 1 first; "" for an empty row
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("charset");
    QTest::addColumn<int>("eol");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("argCount");
    QTest::addColumn<int>("definedRows");
    QTest::addColumn<QString>("refusal"); // what the generator says to the string, if anything
    const QString u = ToQString(Umlauts);
    const QString file = "c:\\random.txt";
    QTest::newRow("no rows") << QStringList() << "100" << u << 0 << file
                             << "/R=100 /D=" + u + " /E=W c:\\random.txt" << 4 << 0
                             << QString("Empty record definition not allowed.");
    QTest::newRow("one numeric row")
        << QStringList{"numeric (0..9)|5|"} << "100" << u << 0 << file
        << "/R=100 /D=" + u + " /N=5 /E=W c:\\random.txt" << 5 << 1 << QString();
    QTest::newRow("fixed string and date")
        << QStringList{"fixed string||ab c", "random date|1990|2000"} << "100" << u << 0 << file
        << "/R=100 /D=" + u + " /F=1,#97#98#32#99 /Y=1990,2000 /E=W c:\\random.txt" << 6 << 2
        << QString();
    QTest::newRow("settings emptied") << QStringList{"numeric (0..9)|3|"} << "100"
                                      << "" << 2 << ""
                                      << "/R=100 /N=3 /E=N " << 3 << 1 << QString();
    QTest::newRow("first row empty") << QStringList{"", "numeric (0..9)|3|"} << "100" << u << 0
                                     << file << "/R=100 /D=" + u + " /E=W c:\\random.txt" << 4 << 0
                                     << QString("Empty record definition not allowed.");
    QTest::newRow("stops at the first empty row")
        << QStringList{"hex (0..F)|1|", "capital (A..Z)|2|", "small (a..z)|3|", "", "blank|4|"}
        << "7"
        << "" << 1 << "out.txt"
        << "/R=7 /H=1 /C=2 /S=3 /E=U out.txt" << 6 << 3 << QString();
    QTest::newRow("stops at an editing entry")
        << QStringList{"tabstop|2|", "(clear all)|1|", "blank|1|"} << "7"
        << "" << 0 << "o"
        << "/R=7 /T=2 /E=W o" << 4 << 1 << QString();
    QTest::newRow("empty size is 1") << QStringList{"numeric (0..9)||"} << "100"
                                     << "" << 0 << "o"
                                     << "/R=100 /N=1 /E=W o" << 4 << 1 << QString();
    QTest::newRow("commas are coded") << QStringList{"fixed string|1|a,b"} << "100"
                                      << "" << 0 << "o"
                                      << "/R=100 /F=1,#97#44#98 /E=W o" << 4 << 1 << QString();
    QTest::newRow("date without to-year") << QStringList{"random date|1990|"} << "100"
                                          << "" << 0 << "o"
                                          << "/R=100 /Y=1990 /E=W o" << 4 << 1 << QString();
    QTest::newRow("string on a type without one")
        << QStringList{"letter (A..Z, a..z)|2|x"} << "100"
        << "" << 0 << "o"
        << "/R=100 /L=2,#120 /E=W o" << 4 << 1 << QString("Invalid length for argument L.");
    QTest::newRow("record count emptied") << QStringList{"binary (#0..#255)|1|"} << ""
                                          << "" << 0 << "o"
                                          << "/R=1 /X=1 /E=W o" << 4 << 1 << QString();
    QTest::newRow("every remaining type")
        << QStringList{"letter union userdef' charset|2|", "binary low (#0..#31)|3|"} << "1"
        << "xy" << 0 << "o"
        << "/R=1 /D=xy /A=2 /P=3 /E=W o" << 6 << 2 << QString();
    QTest::newRow("long string written whole")
        << QStringList{"fixed string|1|" + QString(100, 'z')} << "1"
        << "" << 0 << "o"
        << "/R=1 /F=1," + QString("#122").repeated(100) + " /E=W o" << 4 << 1 << QString();
    // File names on this system are absolute paths; the generator takes them as the name.
    QTest::newRow("absolute path") << QStringList{"numeric (0..9)|2|"} << "9"
                                   << "" << 0 << "/home/user/random.txt"
                                   << "/R=9 /N=2 /E=W /home/user/random.txt" << 4 << 1 << QString();
}

void TestMainWindow::buildCommandString() {
    QFETCH(QStringList, rows);
    QFETCH(QString, count);
    QFETCH(QString, charset);
    QFETCH(int, eol);
    QFETCH(QString, fileName);
    QFETCH(QString, expected);
    QFETCH(int, argCount);
    QFETCH(int, definedRows);
    QFETCH(QString, refusal);
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList cells = rows[r].split('|');
        if (cells.size() == 3)
            SetRow(r + 1, FromQString(cells[0]), FromQString(cells[1]), FromQString(cells[2]));
    }
    SetRecordCount(count);
    Child<QLineEdit>("EditCharset")->setText(charset);
    Child<TRadioGroup>("RadioGroupEOL")->SetItemIndex(eol);
    Child<QLineEdit>("EditFileName")->setText(fileName);

    std::int32_t defined = -1;
    std::string cmd;
    F->BuildCommandString(defined, cmd);
    QCOMPARE(ToQString(cmd), expected);
    QCOMPARE(F->ArgCount(), argCount);
    QCOMPARE(defined, definedRows);

    // The count agrees with what the generator accepts from the string, or the generator
    // refuses the string with its own message.
    TVxRndParser parser;
    try {
        parser.Parse(cmd);
        QVERIFY2(refusal.isEmpty(), "accepted");
        QCOMPARE(parser.ArgCount(), F->ArgCount());
        QCOMPARE(static_cast<int>(parser.Fields().size()), definedRows);
    } catch (const Exception& e) {
        QCOMPARE(QString::fromStdString(e.what()), refusal);
    }
}

void TestMainWindow::buildCommandStringTrimsAndTakesTheDateFormat() {
    auto* fileName = Child<QLineEdit>("EditFileName");
    auto* charset = Child<QLineEdit>("EditCharset");
    auto* dateFormat = Child<QLineEdit>("EditDateFormat");
    fileName->setText("  out.txt  ");
    charset->setText(" \tab ");
    dateFormat->setText(" DD.MM.YYYY");
    SetRow(1, "numeric (0..9)", "2", "");
    std::int32_t defined = 0;
    std::string cmd;
    F->BuildCommandString(defined, cmd);
    QCOMPARE(ToQString(cmd), "/R=100 /D=ab /N=2 /E=W out.txt");
    QCOMPARE(fileName->text(), "out.txt");
    QCOMPARE(charset->text(), "ab");
    QCOMPARE(QString::fromStdString(SystemDateFormat), " DD.MM.YYYY");

    // An empty date-format edit leaves the format in force alone.
    dateFormat->clear();
    F->BuildCommandString(defined, cmd);
    QCOMPARE(QString::fromStdString(SystemDateFormat), " DD.MM.YYYY");

    // The trimming happens also when a row is then refused.
    fileName->setText("  other.txt  ");
    dateFormat->setText("yyyy");
    SetRow(2, "fixed string", "1", "");
    QVERIFY_THROWS_EXCEPTION(Exception, F->BuildCommandString(defined, cmd));
    QCOMPARE(fileName->text(), "other.txt");
    QCOMPARE(QString::fromStdString(SystemDateFormat), "yyyy");
    QCOMPARE(defined, 2);
}

void TestMainWindow::buildCommandStringRefusesEmptyStrings_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("message");
    QTest::newRow("random from string")
        << "random from string"
        << "Empty string for field type\r\n\"random from string\" not allowed!";
    QTest::newRow("fixed string") << "fixed string"
                                  << "Empty string for field type\r\n\"fixed string\" not allowed!";
}

void TestMainWindow::buildCommandStringRefusesEmptyStrings() {
    QFETCH(QString, type);
    QFETCH(QString, message);
    SetRow(1, "numeric (0..9)", "1", "");
    SetRow(2, FromQString(type), "3", "");
    std::int32_t defined = 0;
    std::string cmd = "untouched";
    try {
        F->BuildCommandString(defined, cmd);
        QFAIL("no error");
    } catch (const Exception& e) {
        QCOMPARE(QString::fromStdString(e.what()), message);
    }
}

// ---------------------------------------------------------------------------------------
// Help

void TestMainWindow::f1OpensHelpEverywhere_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("shift");
    QTest::newRow("grid") << "StringGrid1" << false;
    QTest::newRow("cell editor") << "editor" << false;
    QTest::newRow("record count") << "VxNumEditRecords" << false;
    QTest::newRow("date format") << "EditDateFormat" << false;
    QTest::newRow("file name, shift") << "EditFileName" << true;
    QTest::newRow("button") << "ButtonStart" << false;
    QTest::newRow("radio group, shift") << "RadioGroupEOLItem1" << true;
}

void TestMainWindow::f1OpensHelpEverywhere() {
    QFETCH(QString, focus);
    QFETCH(bool, shift);
    TRecordingViewer viewer;
    THelpViewer* previous = SetHelpViewer(&viewer);
    if (focus == "editor") {
        Grid()->setFocus();
        Grid()->setCurrentCell(2, 2);
        Grid()->editItem(Grid()->item(2, 2));
        QVERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
    } else {
        Child<QWidget>(focus.toLatin1().constData())->setFocus();
    }
    QWidget* target = QApplication::focusWidget();
    QVERIFY(target);
    QTest::keyClick(target, Qt::Key_F1, shift ? Qt::ShiftModifier : Qt::NoModifier);
    QTest::keyClick(target, Qt::Key_F2);
    SetHelpViewer(previous);
    QCOMPARE(viewer.Commands, std::vector<THelpCommand>{HELP_CONTENTS});
    QCOMPARE(viewer.Data, std::vector<unsigned long>{0});
    QCOMPARE(viewer.Files[0], ApplicationHelpFile());
}

void TestMainWindow::helpButtonPrefersTheContentsFile() {
    TRecordingViewer viewer;
    THelpViewer* previous = SetHelpViewer(&viewer);
    const QString oldCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(FTemp->path()));
    QTest::mouseClick(Child<QPushButton>("ButtonHelp"), Qt::LeftButton);
    {
        QFile cnt("TabbitU.cnt");
        QVERIFY(cnt.open(QIODevice::WriteOnly));
    }
    QTest::mouseClick(Child<QPushButton>("ButtonHelp"), Qt::LeftButton);
    QDir::setCurrent(oldCurrent);
    // Beside the help file it does not count: only the current folder is asked.
    QTest::mouseClick(Child<QPushButton>("ButtonHelp"), Qt::LeftButton);
    SetHelpViewer(previous);
    QCOMPARE(viewer.Commands,
             (std::vector<THelpCommand>{HELP_CONTENTS, HELP_FINDER, HELP_CONTENTS}));
}

// ---------------------------------------------------------------------------------------
// The desktop's font

void TestMainWindow::textsFitAtDesktopFonts_data() {
    AddDesktopFontRows();
}

void TestMainWindow::textsFitAtDesktopFonts() {
    QFETCH(int, points);
    const TDesktopFont desktop(points);
    F = std::make_unique<TFormMain>();
    F->show();
    QVERIFY(QTest::qWaitForWindowExposed(F.get()));

    // The window shows the desktop's font at its own size, the memo a fixed-pitch one.
    QCOMPARE(F->font().pointSize(), points);
    const QFont memoFont = Child<TMemo>("Memo1")->font();
    QCOMPARE(memoFont.pointSize(), points);
    const QFontMetrics memoMetrics(memoFont);
    QCOMPARE(memoMetrics.horizontalAdvance('i'), memoMetrics.horizontalAdvance('W'));

    // No caption is cut off: every text's size hint fits the box it was given.
    QStringList clipped;
    const auto check = [&](QWidget* w, QSize needed) {
        if (w->isVisible() && (needed.width() > w->width() || needed.height() > w->height()))
            clipped << QString("%1 needs %2x%3, has %4x%5")
                           .arg(w->objectName())
                           .arg(needed.width())
                           .arg(needed.height())
                           .arg(w->width())
                           .arg(w->height());
    };
    for (QLabel* label : F->findChildren<QLabel*>())
        check(label, label->sizeHint());
    for (QRadioButton* radio : F->findChildren<QRadioButton*>())
        check(radio, radio->sizeHint());
    for (QPushButton* button : F->findChildren<QPushButton*>())
        check(button, QSize(CaptionWidth(*button), button->sizeHint().height()));
    for (QLineEdit* edit : F->findChildren<QLineEdit*>())
        check(edit, QSize(0, edit->sizeHint().height()));
    check(Child<TGauge>("Gauge1"), QSize(0, F->fontMetrics().height()));
    // The grid's titles and the longest field type fit their columns, a row its text.
    const QFontMetrics metrics(Grid()->font());
    const auto column = [&](int col, const QString& text) {
        if (metrics.horizontalAdvance(text) + 4 > Grid()->columnWidth(col))
            clipped << "column " + QString::number(col) + ": " + text;
    };
    for (int c = 0; c < 4; ++c)
        column(c, ToQString(F->Cells(c, 0)));
    for (const TTextTypeOpt& opt : TextTypeOpts)
        column(1, QString::fromLatin1(opt.Caption));
    if (metrics.height() > Grid()->rowHeight(0))
        clipped << "row height";
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join("; ")));

    // Nor does a control cover another.
    QStringList overlapping;
    const QList<QWidget*> controls = F->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < controls.size(); ++i)
        for (qsizetype j = i + 1; j < controls.size(); ++j)
            if (controls[i]->isVisible() && controls[j]->isVisible() &&
                controls[i]->geometry().intersects(controls[j]->geometry()))
                overlapping << controls[i]->objectName() + "/" + controls[j]->objectName();
    QVERIFY2(overlapping.isEmpty(), qPrintable(overlapping.join("; ")));

    // On a screen too low for it, the window gives up grid rows, down to three, and keeps
    // its bottom on the screen.
    const int room = F->screen()->availableGeometry().height() -
                     F->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, F.get());
    QVERIFY(Grid()->height() >= Grid()->horizontalHeader()->height() + 3 * Grid()->rowHeight(0));
    QVERIFY(F->height() <= room || Grid()->height() < F->Scale().Vert(18) * 4 + 4);
    const int designHeight = F->Scale().Vert(480);
    QCOMPARE(F->height() < designHeight, designHeight > room);
    QCOMPARE(F->minimumHeight(), F->height());

    // At the common 10 points the window fits a 1366 x 768 screen with its title bar and a
    // panel.
    if (points == 10) {
        QVERIFY(F->width() <= 1366);
        QVERIFY2(F->height() + 60 <= 768, qPrintable(QString::number(F->height())));
    }
}

// ---------------------------------------------------------------------------------------
// The keyboard alone

void TestMainWindow::arrowKeysMoveTheFocusIntoTheOutputTarget() {
    auto* file = Child<QRadioButton>("VxRadioBtnFile");
    auto* memo = Child<QRadioButton>("VxRadioBtnMemo");
    file->setFocus();
    QTest::keyClick(file, Qt::Key_Left);
    QVERIFY(memo->isChecked());
    QCOMPARE(QApplication::focusWidget(), Child<QWidget>("Memo1"));
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_Right);
    QVERIFY(file->isChecked());
    QCOMPARE(QApplication::focusWidget(), Child<QWidget>("EditFileName"));
    // The end-of-line choice stays where it was.
    QCOMPARE(Child<TRadioGroup>("RadioGroupEOL")->ItemIndex(), 0);
}

// ---------------------------------------------------------------------------------------
// A screen reader

void TestMainWindow::windowIsAWindowNamedByItsCaption() {
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(F.get());
    QVERIFY(window);
    QCOMPARE(window->role(), QAccessible::Window);
    QCOMPARE(window->text(QAccessible::Name), QString("Create file with random records"));
}

void TestMainWindow::controlsHaveAccessibleNames() {
    struct TExpected {
        const char* Control;
        const char* Name;
        const char* Description;
    };
    const TExpected expected[] = {
        {"VxNumEditRecords", "Record Count:", ""},
        {"EditCharset", "User defined character set:",
         "used in conjunction with field type \"letter union user def' charset\" "},
        {"StringGrid1", "Record Definition:", "right-click to select field type"},
        {"EditDateFormat", "Date Format:", ""},
        {"RadioGroupEOL", "end-of-line", "coding EOL type"},
        {"RadioGroupEOLItem1", "LF (UNIX)", ""},
        {"VxRadioBtnMemo", "Output in memo", ""},
        {"VxRadioBtnFile", "Output on file", ""},
        {"EditFileName", "Output on file", ""},
        {"Memo1", "Output in memo", ""},
        {"ButtonStart", "Start", "start record generation"},
        {"ButtonAbort", "Abort", "abort record generation"},
        {"ButtonHelp", "Help", "display help"},
        {"ButtonAbout", "About", "about the author"},
        {"ButtonManage", "Manage Definitions", "save or load record definitions"},
        {"Gauge1", "Progress", ""},
    };
    for (const TExpected& e : expected) {
        QAccessibleInterface* iface =
            QAccessible::queryAccessibleInterface(Child<QWidget>(e.Control));
        QVERIFY2(iface, e.Control);
        QCOMPARE(iface->text(QAccessible::Name), QString(e.Name));
        if (*e.Description)
            QCOMPARE(iface->text(QAccessible::Description), QString(e.Description));
    }
}

void TestMainWindow::gaugeReportsItsValue() {
    auto* gauge = Child<TGauge>("Gauge1");
    gauge->SetMax(500);
    gauge->SetPosition(200);
    gauge->Refresh();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(gauge);
    QVERIFY(iface);
    QAccessibleValueInterface* value = iface->valueInterface();
    QVERIFY(value);
    QCOMPARE(value->currentValue().toInt(), 200);
    QCOMPARE(value->minimumValue().toInt(), 0);
    QCOMPARE(value->maximumValue().toInt(), 500);
}

void TestMainWindow::gridReportsTitlesAndCells() {
    SetRow(6, "random from string", "3", "abc");
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(Grid());
    QVERIFY(iface);
    QAccessibleTableInterface* table = iface->tableInterface();
    QVERIFY(table);
    QCOMPARE(table->columnCount(), 4);
    QCOMPARE(table->rowCount(), 512);
    const char* titles[] = {"Field #", "Field Type", "Field Size", "String (for fixed/random)"};
    for (int c = 0; c < 4; ++c)
        QCOMPARE(table->columnDescription(c), QString(titles[c]));
    const char* cells[] = {"  6", "random from string", "3", "abc"};
    for (int c = 0; c < 4; ++c) {
        QAccessibleInterface* cell = table->cellAt(5, c);
        QVERIFY(cell);
        QCOMPARE(cell->text(QAccessible::Name), QString(cells[c]));
    }
}

void TestMainWindow::memoOffersItsLinesAsText() {
    auto* memo = Child<TMemo>("Memo1");
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(memo);
    QVERIFY(iface);
    QAccessibleTextInterface* text = iface->textInterface();
    QVERIFY(text);
    QVERIFY(iface->state().readOnly);
    QCOMPARE(text->characterCount(), 0);
    QCOMPARE(text->text(0, 0), QString());

    memo->AddLine("12345;");
    memo->AddLine("ab\rc");
    memo->AddLine("");
    memo->AddLine("xyz");
    const QString all = QString("12345;\nab") + QChar(TMemo::CarriageReturnMark) + "c\n\nxyz";
    QCOMPARE(text->characterCount(), all.size());
    QCOMPARE(text->text(0, text->characterCount()), all);
    // Any stretch of the text, line breaks included, reads as it stands in the whole.
    for (int start = 0; start <= all.size(); ++start)
        for (int end = start; end <= all.size(); ++end)
            QCOMPARE(text->text(start, end), all.mid(start, end - start));
    // A screen reader reads it line by line.
    int start = -1;
    int end = -1;
    QCOMPARE(text->textAtOffset(8, QAccessible::LineBoundary, &start, &end),
             QString("ab") + QChar(TMemo::CarriageReturnMark) + "c\n");
    QCOMPARE(start, 7);
    QCOMPARE(end, 12);
    QCOMPARE(text->textAtOffset(13, QAccessible::LineBoundary, &start, &end), QString("xyz"));
    QCOMPARE(start, 13);
    QCOMPARE(end, 16);
    // The selection is reported by whole lines.
    QCOMPARE(text->selectionCount(), 0);
    memo->SelectAll();
    QCOMPARE(text->selectionCount(), 1);
    text->selection(0, &start, &end);
    QCOMPARE(start, 0);
    QCOMPARE(end, all.size());
    memo->ClearLines();
    QCOMPARE(text->characterCount(), 0);
}

int main(int argc, char** argv) {
    // The default output file lives in the home folder: point it at a folder of our own.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    QApplication application(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_main_window.moc"
