// SPDX-License-Identifier: MIT
// The window program's saved definitions end to end: the real main window with its real
// manage dialog and about box, as the program creates them, driven through their buttons:
// saving, restarting, loading, renaming and deleting, stored strings the window refuses,
// tabbit-gen on a definition saved in the window, and the faults the window survives.
#include "MainWindowTestSupport.h"

#include "dialogs/AboutBox.h"
#include "dialogs/ManageDialog.h"
#include "engine/CommandLanguage.h"
#include "engine/Dates.h"
#include "engine/Exceptions.h"
#include "engine/RandomSource.h"
#include "mainwindow/MainWindow.h"
#include "platform/Latin1.h"
#include "store/SettingsFile.h"
#include "widgets/RadioGroup.h"
#include "widgets/StringGrid.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <deque>
#include <functional>
#include <memory>

namespace {

/// Menu items by their place in the popup menu.
constexpr int miNumeric = 3;

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

/// The windows of one program run, created as the program creates them: the main window
/// first, then the about box and the manage dialog, both owned by the main window.
struct TProgram {
    TProgram() {
        Main = std::make_unique<TFormMain>();
        About = new TFormAbout2(Main.get());
        Manage = new TFormManage(Main.get());
        Main->SetFormAbout(About);
        Main->SetFormManage(Manage);
        Main->show();
        if (!QTest::qWaitForWindowExposed(Main.get()))
            qFatal("main window not shown");
        Main->activateWindow();
        if (!QTest::qWaitForWindowActive(Main.get()))
            qFatal("main window not active");
    }

    template <class T> T* Child(const char* name) const { return NamedChild<T>(*Main, name); }
    QLineEdit* Edit(const char* name) const { return Child<QLineEdit>(name); }

    std::unique_ptr<TFormMain> Main;
    TFormAbout2* About;
    TFormManage* Manage;
};

/// What a window shows that a definition could change, the row numbers included.
QStringList WindowState(const TProgram& p) {
    QStringList state;
    for (int r = 1; r < p.Main->RowCount(); ++r)
        for (int c = 0; c <= 3; ++c)
            state << ToQString(p.Main->Cells(c, r));
    for (const char* name : {"VxNumEditRecords", "EditCharset", "EditFileName", "EditDateFormat"})
        state << p.Edit(name)->text();
    state << QString::number(p.Child<TRadioGroup>("RadioGroupEOL")->ItemIndex());
    state << (p.Child<QRadioButton>("VxRadioBtnFile")->isChecked() ? "file" : "memo");
    return state;
}

QStringList Row(const TProgram& p, int row) {
    return {ToQString(p.Main->Cells(1, row)), ToQString(p.Main->Cells(2, row)),
            ToQString(p.Main->Cells(3, row))};
}

void ClickButton(const QWidget& parent, const char* name) {
    auto* button = parent.findChild<QAbstractButton*>(name);
    QVERIFY2(button, name);
    QVERIFY2(button->isEnabled(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

/// Plays the user of the window: a button of the main window is clicked, and the dialogs
/// that follow are answered. The manage dialog and the about box are handed to drive; input
/// boxes get the queued answers (Cancel for the Cancel marker); error boxes and messages are
/// recorded and confirmed.
class TUser {
public:
    std::deque<QString> Answers;
    QStringList Inputs;
    QStringList Errors;
    QStringList Shown;

    void Click(const TProgram& p, const char* button,
               const std::function<void(QDialog&)>& drive = {}) {
        const TScopedModalHook hook([&](QDialog& dialog) {
            Shown << dialog.objectName();
            if (dialog.objectName() == "InputBox") {
                Answer(dialog);
            } else if (dialog.objectName() == "ErrorMessage" || dialog.objectName() == "Message") {
                Errors << DialogText(dialog);
                ClickButton(dialog, "OK");
            } else {
                QVERIFY(QTest::qWaitForWindowExposed(&dialog));
                if (drive)
                    drive(dialog);
            }
        });
        ClickButton(*p.Main, button);
        // A run's errors come at its end, which the user sees through.
        WaitForRunEnd(*p.Main);
    }

    /// Manage Definitions, with drive acting in the shown dialog.
    void Manage(const TProgram& p, const std::function<void(TFormManage&)>& drive) {
        Click(p, "ButtonManage", [&](QDialog& dialog) {
            QCOMPARE(&dialog, static_cast<QDialog*>(p.Manage));
            drive(*p.Manage);
        });
    }

    /// Manage Definitions, Load of the named definition.
    void Load(const TProgram& p, const QString& name) {
        Manage(p, [&](TFormManage& form) {
            Select(form, name);
            ClickButton(form, "ButtonLoad");
        });
    }

    /// Manage Definitions, Save under the name typed.
    void Save(const TProgram& p, const QString& typed) {
        Answers.push_back(typed);
        Manage(p, [&](TFormManage& form) { ClickButton(form, "Button1"); });
    }

private:
    void Answer(QDialog& box) { AnswerInputBox(box, Answers, Inputs); }
};

/// One row of the example definition.
struct TExampleRow {
    const char* Type;
    const char* Size;
    const char* Str;
};

// A fixed string with "#" first, a comma, a blank and bytes above 127; a pool with the
// highest byte; a date range; two fields without strings.
const TExampleRow ExampleRows[] = {
    {"numeric (0..9)", "5", ""},
    {"fixed string", "2", "#a, b\xE4"},
    {"random from string", "3", "xy\xFF"},
    {"random date", "1990", "2010"},
    {"hex (0..F)", "4", ""},
    {"letter union userdef' charset", "2", ""},
};
const char* const ExampleCharset = "+\xE4\xF6";
/// The bytes of one generated record of the example with LF and the date as yyyy-mm-dd.
constexpr int ExampleRecordSize = 5 + 2 * 6 + 3 + 10 + 4 + 2 + 1;

} // namespace

/// The main window with its manage dialog and about box; every test has a settings file of
/// its own in a temporary folder.
class TestSavedDefinitions : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void saveWritesTheCommandString();
    void savedDefinitionSurvivesARestart();
    void loadBringsBackWhatTheStringHolds_data();
    void loadBringsBackWhatTheStringHolds();
    void listRenameAndDelete();
    void renameRefusals_data();
    void renameRefusals();
    void escapeChangesNothing();
    void refusedStoredStringsChangeNothing_data();
    void refusedStoredStringsChangeNothing();
    void aFullGridLoads();
    void valueFieldsSaveAndLoad();
    void refusedGridShowsNoDialog();
    void tabbitGenGeneratesTheSavedDefinition();
    void aboutButtonShowsTheAboutBox();
    void windowWithoutDialogsIgnoresTheirButtons();

    void outputFaultsLeaveTheWindowUsable_data();
    void outputFaultsLeaveTheWindowUsable();
    void settingsFileGoneBeforeSave();
    void settingsFileIsAFolder();

private:
    QString IniPath() const { return FTemp->filePath("tabbit.ini"); }
    QByteArray Ini() const { return ReadBytes(IniPath()); }
    /// The example definition put into the window: the first row typed as a user does, the
    /// others through the window's cells; count 250, LF, a file in the temporary folder, and
    /// the date format yyyy-mm-dd.
    void FillExample(const TProgram& p);
    /// The command string of the example, as the window writes it.
    std::string ExampleCommand() const;
    /// A run, with user answering whatever it shows.
    void Start(const TProgram& p, TUser& user) { user.Click(p, "ButtonStart"); }
    void ExpectIdle(const TProgram& p) const;

    std::unique_ptr<QTemporaryDir> FTemp;
};

void TestSavedDefinitions::init() {
    SystemDateFormat = "d/m/yyyy";
    FTemp = std::make_unique<QTemporaryDir>();
    QVERIFY(FTemp->isValid());
    SetDefaultIniPath(FromQString(IniPath()));
}

void TestSavedDefinitions::cleanup() {
    SetDefaultIniPath("");
    FTemp.reset();
}

void TestSavedDefinitions::FillExample(const TProgram& p) {
    auto* grid = p.Child<TStringGrid>("StringGrid1");
    // Row 1 as the user fills it: the type from the popup menu, the size typed.
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {},
                      grid->visualItemRect(grid->item(0, 1)).center());
    QMenu* menu = OpenMenu();
    QVERIFY(menu);
    auto* numeric = menu->findChild<QAction*>("MenuItem" + QString::number(miNumeric));
    QVERIFY(numeric);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(numeric).center());
    QTRY_VERIFY(!menu->isVisible());
    grid->setFocus();
    grid->setCurrentCell(0, 2);
    QTest::keyClicks(QApplication::focusWidget(), ExampleRows[0].Size);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(Row(p, 1), QStringList({ExampleRows[0].Type, ExampleRows[0].Size, ""}));
    // The closed editor goes away in the event loop, as it does between a user's keys.
    QTest::qWait(0);

    for (int r = 1; r < int(std::size(ExampleRows)); ++r) {
        p.Main->SetCells(1, r + 1, ExampleRows[r].Type);
        p.Main->SetCells(2, r + 1, ExampleRows[r].Size);
        p.Main->SetCells(3, r + 1, ExampleRows[r].Str);
    }
    p.Edit("VxNumEditRecords")->setText("250");
    p.Edit("EditCharset")->setText(ToQString(ExampleCharset));
    p.Edit("EditFileName")->setText(FTemp->filePath("out.txt"));
    QTest::mouseClick(p.Child<QRadioButton>("RadioGroupEOLItem1"), Qt::LeftButton);
    // Dates of one length, so that every record of a run has the same size.
    p.Edit("EditDateFormat")->setText("yyyy-mm-dd");
}

std::string TestSavedDefinitions::ExampleCommand() const {
    return "/R=250 /D=+\xE4\xF6 /N=5 /F=2,#35#97#44#32#98#228 /U=3,#120#121#255 /Y=1990,2010 "
           "/H=4 /A=2 /E=U " +
           FromQString(FTemp->filePath("out.txt"));
}

void TestSavedDefinitions::ExpectIdle(const TProgram& p) const {
    QVERIFY(p.Child<QPushButton>("ButtonStart")->isEnabled());
    QVERIFY(!p.Child<QPushButton>("ButtonAbort")->isEnabled());
}

// ---------------------------------------------------------------------------------------

void TestSavedDefinitions::saveWritesTheCommandString() {
    const TProgram p;
    FillExample(p);
    TUser user;
    user.Save(p, "  my def ");
    QCOMPARE(user.Inputs, QStringList{"Save current record definion|under name"});
    QCOMPARE(user.Errors, QStringList{});
    QCOMPARE(Ini(), "[RecordDefs]\r\nmy def=" + Bytes(ExampleCommand()) + "\r\n\r\n");
    // The dialog was handed the definition with its count of field rows.
    QCOMPARE(p.Manage->CurrentDef(), ExampleCommand());
    QCOMPARE(p.Manage->CurrentFieldCount(), int(std::size(ExampleRows)));
}

void TestSavedDefinitions::savedDefinitionSurvivesARestart() {
    {
        const TProgram first;
        FillExample(first);
        TUser user;
        user.Save(first, "my def");
        QCOMPARE(user.Errors, QStringList{});
    }
    const TProgram second;
    second.Edit("EditDateFormat")->setText("DD.MM.YYYY");
    QTest::mouseClick(second.Child<QRadioButton>("VxRadioBtnMemo"), Qt::LeftButton);
    TUser user;
    user.Manage(second, [&](TFormManage& form) {
        QCOMPARE(Names(form), QStringList{"my def"});
        Select(form, "my def");
        ClickButton(form, "ButtonLoad");
    });
    QCOMPARE(user.Errors, QStringList{});
    for (int r = 0; r < int(std::size(ExampleRows)); ++r)
        QCOMPARE(Row(second, r + 1), QStringList({ExampleRows[r].Type, ExampleRows[r].Size,
                                                  ToQString(ExampleRows[r].Str)}));
    QCOMPARE(Row(second, int(std::size(ExampleRows)) + 1), QStringList({"", "", ""}));
    QCOMPARE(second.Edit("VxNumEditRecords")->text(), "250");
    QCOMPARE(second.Edit("EditCharset")->text(), ToQString(ExampleCharset));
    QCOMPARE(second.Edit("EditFileName")->text(), FTemp->filePath("out.txt"));
    QCOMPARE(second.Child<TRadioGroup>("RadioGroupEOL")->ItemIndex(), 1);
    QCOMPARE(second.Edit("EditDateFormat")->text(), "DD.MM.YYYY");
    QVERIFY(second.Child<QRadioButton>("VxRadioBtnMemo")->isChecked());
    // Written again, the loaded definition is the saved one byte for byte.
    std::int32_t rows = 0;
    std::string cmd;
    second.Main->BuildCommandString(rows, cmd);
    QCOMPARE(cmd, ExampleCommand());
}

void TestSavedDefinitions::loadBringsBackWhatTheStringHolds_data() {
    // What the grid held before: ten rows, more than any stored definition here has.
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QStringList>("settings"); // count, character set, file name, end of line
    QTest::newRow("fewer rows") << QByteArray("/R=7 /D=xy /N=3 /F=1,#59 /E=N out.txt")
                                << QList<QStringList>{{"numeric (0..9)", "3", ""},
                                                      {"fixed string", "1", ";"}}
                                << QStringList{"7", "xy", "out.txt", "2"};
    // Parts absent from the string come back with the parser's start values.
    QTest::newRow("fields only") << QByteArray("/S=2")
                                 << QList<QStringList>{{"small (a..z)", "2", ""}}
                                 << QStringList{"1", "", "", "0"};
    // A hand-written string: lower-case switches, a literal string, a date without a comma,
    // a count of 0 and a negative count are shown as the parser holds them.
    QTest::newRow("by hand") << QByteArray("/e=u /f=3,a#b /y=+1999 /b=0 /t=-2 /r=-5")
                             << QList<QStringList>{{"fixed string", "3", "a#b"},
                                                   {"random date", "1999", "1999"},
                                                   {"blank", "0", ""},
                                                   {"tabstop", "-2", ""}}
                             << QStringList{"-5", "", "", "1"};
    // The value fields come back with their width and their string; a width alone, as the
    // window writes a counter without a first value, leaves the string empty.
    QTest::newRow("value fields")
        << QByteArray("/R=3 /I=7 /M=0,-1.50..2.25 /V=4,a*3|b /W=0,cities.txt /E=U")
        << QList<QStringList>{{"counter (record number)", "7", ""},
                              {"number range", "0", "-1.50..2.25"},
                              {"random from list", "4", "a*3|b"},
                              {"random line of file", "0", "cities.txt"}}
        << QStringList{"3", "", "", "1"};
}

void TestSavedDefinitions::loadBringsBackWhatTheStringHolds() {
    QFETCH(QByteArray, stored);
    QFETCH(QList<QStringList>, rows);
    QFETCH(QStringList, settings);
    WriteBytes(IniPath(), "[RecordDefs]\r\nd=" + stored + "\r\n");
    const TProgram p;
    for (int r = 1; r <= 10; ++r) {
        p.Main->SetCells(1, r, "capital (A..Z)");
        p.Main->SetCells(2, r, std::to_string(r));
        p.Main->SetCells(3, r, "left");
    }
    TUser user;
    user.Load(p, "d");
    QCOMPARE(user.Errors, QStringList{});
    for (int r = 1; r <= 10; ++r) {
        QCOMPARE(Row(p, r), r <= rows.size() ? rows[r - 1] : QStringList({"", "", ""}));
        QCOMPARE(ToQString(p.Main->Cells(0, r)), QString("%1").arg(r, 3));
    }
    QCOMPARE(QStringList({p.Edit("VxNumEditRecords")->text(), p.Edit("EditCharset")->text(),
                          p.Edit("EditFileName")->text(),
                          QString::number(p.Child<TRadioGroup>("RadioGroupEOL")->ItemIndex())}),
             settings);
    QCOMPARE(Ini(), "[RecordDefs]\r\nd=" + stored + "\r\n");
}

void TestSavedDefinitions::listRenameAndDelete() {
    WriteBytes(IniPath(), "[RecordDefs]\r\nshort list=/N=5\r\nOther=/H=3\r\nbeta=/A=2 /Z=1\r\n");
    const TProgram p;
    FillExample(p);
    const QStringList before = WindowState(p);
    TUser user;
    user.Answers = {"  Zeta  "};
    user.Manage(p, [&](TFormManage& form) {
        QCOMPARE(Names(form), QStringList({"beta", "Other", "short list"}));
        Select(form, "beta");
        ClickButton(form, "ButtonRename");
        QCOMPARE(Names(form), QStringList({"Other", "short list", "Zeta"}));
        QCOMPARE(Ini(), "[RecordDefs]\r\nshort list=/N=5\r\nOther=/H=3\r\nZeta=/A=2 /Z=1\r\n\r\n");
        Select(form, "Other");
        ClickButton(form, "ButtonDelete");
        QCOMPARE(Names(form), QStringList({"short list", "Zeta"}));
        QCOMPARE(Ini(), "[RecordDefs]\r\nshort list=/N=5\r\nZeta=/A=2 /Z=1\r\n\r\n");
        QVERIFY(form.isVisible());
        Escape(form);
    });
    QCOMPARE(user.Inputs, QStringList{"Rename beta|new name"});
    QCOMPARE(user.Errors, QStringList{});
    QCOMPARE(WindowState(p), before);
    // The next showing lists what the file holds now.
    user.Manage(p, [&](TFormManage& form) {
        QCOMPARE(Names(form), QStringList({"short list", "Zeta"}));
        Escape(form);
    });
}

void TestSavedDefinitions::renameRefusals_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("error");
    QTest::newRow("cancel") << Cancel << "Empty name not valid!";
    QTest::newRow("blanks") << "   "
                            << "Empty name not valid!";
    QTest::newRow("same name") << " beta "
                               << "Name not changed!";
    QTest::newRow("same name in capitals") << "BETA" << Duplicate;
    QTest::newRow("another name") << "other" << Duplicate;
    QTest::newRow("equals sign") << "be=ta" << Unstorable;
    QTest::newRow("comment sign") << ";beta" << Unstorable;
}

void TestSavedDefinitions::renameRefusals() {
    QFETCH(QString, typed);
    QFETCH(QString, error);
    const QByteArray defs = "[RecordDefs]\r\nbeta=/N=5\r\nOther=/H=3\r\n";
    WriteBytes(IniPath(), defs);
    const TProgram p;
    const QStringList before = WindowState(p);
    TUser user;
    user.Answers = {typed};
    user.Manage(p, [&](TFormManage& form) {
        Select(form, "beta");
        ClickButton(form, "ButtonRename");
        QVERIFY(form.isVisible());
        QCOMPARE(Names(form), QStringList({"beta", "Other"}));
        Escape(form);
    });
    QCOMPARE(user.Errors, QStringList{error});
    QCOMPARE(Ini(), defs);
    QCOMPARE(WindowState(p), before);
}

void TestSavedDefinitions::escapeChangesNothing() {
    const QByteArray defs = "[RecordDefs]\r\nd=/R=9 /C=4 /E=N x.txt\r\n";
    WriteBytes(IniPath(), defs);
    const TProgram p;
    FillExample(p);
    const QStringList before = WindowState(p);
    TUser user;
    // A definition selected, then Escape: nothing is loaded.
    user.Manage(p, [&](TFormManage& form) {
        Select(form, "d");
        Escape(form);
    });
    // The close box cancels too.
    user.Manage(p, [&](TFormManage& form) { form.close(); });
    QCOMPARE(user.Errors, QStringList{});
    QCOMPARE(WindowState(p), before);
    QCOMPARE(Ini(), defs);
}

void TestSavedDefinitions::refusedStoredStringsChangeNothing_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("error");
    QTest::newRow("settings only")
        << QByteArray("/R=5 /E=U") << "Empty record definition not allowed.";
    QTest::newRow("empty value") << QByteArray() << "Empty record definition not allowed.";
    QTest::newRow("bad code") << QByteArray("/N=2 /F=2,#97#x") << "Code sequence not valid: #97#x.";
    QTest::newRow("bad size") << QByteArray("/N=5,#97") << "Invalid length for argument N.";
    QByteArray tooMany;
    for (int i = 0; i < 513; ++i)
        tooMany += "/N=1 ";
    QTest::newRow("513 fields") << tooMany << "Too many fields in record definition!";
}

void TestSavedDefinitions::refusedStoredStringsChangeNothing() {
    QFETCH(QByteArray, stored);
    QFETCH(QString, error);
    const QByteArray defs = "[RecordDefs]\r\nbad=" + stored + "\r\n";
    WriteBytes(IniPath(), defs);
    const TProgram p;
    FillExample(p);
    const QStringList before = WindowState(p);
    TUser user;
    user.Load(p, "bad");
    QCOMPARE(user.Errors, QStringList{error});
    QCOMPARE(WindowState(p), before);
    QCOMPARE(Ini(), defs);
    ExpectIdle(p);
}

// The four value types go through Manage Definitions like every other field: saved as the
// window writes them (an empty Field Size as 0, the string as codes), loaded back into the
// same rows, and written again to the same command string.
void TestSavedDefinitions::valueFieldsSaveAndLoad() {
    const QList<QStringList> rows{{"counter (record number)", "", "100"},
                                  {"fixed string", "", ";"},
                                  {"number range", "8", "0,00..99,99"},
                                  {"random from list", "", "open*3|closed"},
                                  {"random line of file", "", "cities.txt"}};
    std::string written;
    {
        const TProgram first;
        for (int r = 0; r < int(rows.size()); ++r)
            for (int c = 0; c < 3; ++c)
                first.Main->SetCells(c + 1, r + 1, FromQString(rows[r][c]));
        std::int32_t defined = 0;
        first.Main->BuildCommandString(defined, written);
        QCOMPARE(defined, 5);
        QVERIFY2(written.find("/I=0,#49#48#48 /F=1,#59 /M=8,") != std::string::npos,
                 written.c_str());
        TUser user;
        user.Save(first, "values");
        QCOMPARE(user.Errors, QStringList{});
    }
    const TProgram second;
    TUser user;
    user.Load(second, "values");
    QCOMPARE(user.Errors, QStringList{});
    const QList<QStringList> loaded{{"counter (record number)", "0", "100"},
                                    {"fixed string", "1", ";"},
                                    {"number range", "8", "0,00..99,99"},
                                    {"random from list", "0", "open*3|closed"},
                                    {"random line of file", "0", "cities.txt"}};
    for (int r = 0; r < int(loaded.size()); ++r)
        QCOMPARE(Row(second, r + 1), loaded[r]);
    std::int32_t defined = 0;
    std::string again;
    second.Main->BuildCommandString(defined, again);
    QCOMPARE(again, written);
}

void TestSavedDefinitions::aFullGridLoads() {
    QByteArray full;
    for (int i = 1; i <= 512; ++i)
        full += "/N=" + QByteArray::number(i) + " ";
    WriteBytes(IniPath(), "[RecordDefs]\r\nfull=" + full + "\r\n");
    const TProgram p;
    TUser user;
    user.Load(p, "full");
    QCOMPARE(user.Errors, QStringList{});
    QCOMPARE(Row(p, 1), QStringList({"numeric (0..9)", "1", ""}));
    QCOMPARE(Row(p, 512), QStringList({"numeric (0..9)", "512", ""}));
}

void TestSavedDefinitions::refusedGridShowsNoDialog() {
    const TProgram p;
    p.Main->SetCells(1, 1, "fixed string");
    TUser user;
    user.Click(p, "ButtonManage", [](QDialog&) { QFAIL("the dialog was shown"); });
    QCOMPARE(user.Shown, QStringList{"ErrorMessage"});
    QCOMPARE(Lines(user.Errors.value(0)),
             "Empty string for field type\n\"fixed string\" not allowed!");
}

void TestSavedDefinitions::tabbitGenGeneratesTheSavedDefinition() {
    const TProgram p;
    FillExample(p);
    TUser user;
    user.Save(p, "my def");
    QCOMPARE(user.Errors, QStringList{});

    const auto generate = [&](const QStringList& args) {
        QProcess gen;
        gen.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        gen.start(TABBIT_GEN,
                  QStringList{"--quiet", "--seed", "7", "--date-format", "yyyy-mm-dd"} + args);
        return gen.waitForFinished(60000) && gen.exitStatus() == QProcess::NormalExit &&
               gen.exitCode() == 0;
    };
    const QString loaded = FTemp->filePath("loaded.txt");
    const QString given = FTemp->filePath("given.txt");
    QVERIFY(generate({"--ini", IniPath(), "--load", "my def", "-o", loaded}));
    QVERIFY(generate({"-o", given, ToQString(ExampleCommand())}));
    const QByteArray records = ReadBytes(loaded);
    QCOMPARE(records.size(), 250 * ExampleRecordSize);
    QCOMPARE(records, ReadBytes(given));

    // The window's engine in this process gives the same records from the same seed.
    SystemDateFormat = "yyyy-mm-dd";
    TVxRndParser parser;
    parser.Parse(ExampleCommand());
    Seed = 7;
    std::string here;
    std::string record;
    for (int i = 0; i < parser.RecordCount(); ++i) {
        parser.GetRecord(true, record);
        here += record;
    }
    QCOMPARE(Bytes(here), records);

    // The window's own run, seeded from the clock, writes records of the same shape.
    Start(p, user);
    QCOMPARE(user.Errors, QStringList{});
    const QByteArray windowRecords = ReadBytes(FTemp->filePath("out.txt"));
    QCOMPARE(windowRecords.size(), records.size());
    QCOMPARE(windowRecords.count('\n'), 250);
}

void TestSavedDefinitions::aboutButtonShowsTheAboutBox() {
    const TProgram p;
    TUser user;
    QStringList captions;
    for (int i = 0; i < 2; ++i)
        user.Click(p, "ButtonAbout", [&](QDialog& dialog) {
            QCOMPARE(&dialog, static_cast<QDialog*>(p.About));
            captions << dialog.windowTitle();
            ClickButton(dialog, "BitBtn1");
        });
    QCOMPARE(captions, QStringList(2, "Info about test_saved_definitions 1.1"));
    QCOMPARE(user.Errors, QStringList{});
    QVERIFY(!p.About->isVisible());
}

void TestSavedDefinitions::windowWithoutDialogsIgnoresTheirButtons() {
    TFormMain lone;
    lone.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lone));
    TDialogAnswerer answerer;
    for (const char* name : {"ButtonAbout", "ButtonManage"})
        QTest::mouseClick(lone.findChild<QPushButton*>(name), Qt::LeftButton);
    QCOMPARE(answerer.Shown.size(), 0u);
}

// ---------------------------------------------------------------------------------------
// Faults

void TestSavedDefinitions::outputFaultsLeaveTheWindowUsable_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("error");
    QTest::newRow("disk full") << "/dev/full"
                               << QString::fromStdString(EInOutError::RuntimeText(ENOSPC) + ".");
    QTest::newRow("missing folder")
        << "no/such/folder/out.txt"
        << QString::fromStdString(EInOutError::RuntimeText(ENOENT) + ".");
}

void TestSavedDefinitions::outputFaultsLeaveTheWindowUsable() {
    QFETCH(QString, fileName);
    QFETCH(QString, error);
    const QString target = fileName.startsWith('/') ? fileName : FTemp->filePath(fileName);
    const QByteArray defs =
        "[RecordDefs]\r\nout=/R=300 /N=5 /F=1,#59 /E=U " + QFile::encodeName(target) + "\r\n";
    WriteBytes(IniPath(), defs);
    const TProgram p;
    TUser user;
    user.Load(p, "out");
    QCOMPARE(user.Errors, QStringList{});
    const QStringList loaded = WindowState(p);
    QCOMPARE(p.Edit("EditFileName")->text(), target);

    Start(p, user);
    QCOMPARE(user.Errors, QStringList{error});
    ExpectIdle(p);
    QCOMPARE(WindowState(p), loaded);
    QCOMPARE(Ini(), defs);

    // A second run to a sound file works.
    const QString after = FTemp->filePath("after.txt");
    p.Edit("EditFileName")->setText(after);
    Start(p, user);
    QCOMPARE(user.Errors, QStringList{error});
    QCOMPARE(ReadBytes(after).size(), 300 * 7);
    ExpectIdle(p);
}

void TestSavedDefinitions::settingsFileGoneBeforeSave() {
    WriteBytes(IniPath(), "[RecordDefs]\r\nold=/N=1\r\n[Other]\r\nk=v\r\n");
    const TProgram p;
    FillExample(p);
    TUser user;
    user.Answers = {"new"};
    user.Manage(p, [&](TFormManage& form) {
        QCOMPARE(Names(form), QStringList{"old"});
        QVERIFY(QFile::remove(IniPath()));
        ClickButton(form, "Button1");
    });
    QCOMPARE(user.Errors, QStringList{});
    QCOMPARE(Ini(), "[RecordDefs]\r\nnew=" + Bytes(ExampleCommand()) + "\r\n\r\n");
    user.Manage(p, [&](TFormManage& form) {
        QCOMPARE(Names(form), QStringList{"new"});
        Escape(form);
    });
}

void TestSavedDefinitions::settingsFileIsAFolder() {
    QVERIFY(QDir().mkdir(IniPath()));
    const TProgram p;
    FillExample(p);
    const QStringList before = WindowState(p);
    TUser user;
    user.Answers = {"new"};
    int errorsAtShow = -1;
    user.Manage(p, [&](TFormManage& form) {
        errorsAtShow = int(user.Errors.size());
        QVERIFY(Names(form).isEmpty());
        ClickButton(form, "Button1");
        QVERIFY(form.isVisible());
        QVERIFY(Names(form).isEmpty());
        Escape(form);
    });
    // The dialog opened after the error, and Save showed the error again.
    QCOMPARE(errorsAtShow, 1);
    QVERIFY(user.Errors.size() > 1);
    QVERIFY2(!user.Errors.front().isEmpty(), "the error names no reason");
    for (const QString& shown : user.Errors)
        QCOMPARE(shown, user.Errors.front());
    QVERIFY(QFileInfo(IniPath()).isDir());
    QCOMPARE(WindowState(p), before);

    // The window stays usable: a run goes ahead.
    const QStringList errors = user.Errors;
    Start(p, user);
    QCOMPARE(user.Errors, errors);
    ExpectIdle(p);
    QCOMPARE(ReadBytes(FTemp->filePath("out.txt")).size(), 250 * ExampleRecordSize);
}

QTEST_MAIN(TestSavedDefinitions)
#include "test_saved_definitions.moc"
