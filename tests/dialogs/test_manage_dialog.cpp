// SPDX-License-Identifier: MIT
#include "dialogs/ManageDialog.h"

#include "platform/HelpViewer.h"
#include "platform/Latin1.h"
#include "store/SettingsFile.h"
#include "tests/support/DesktopFont.h"
#include "tests/support/DialogSupport.h"
#include "widgets/FormScale.h"
#include "widgets/Modal.h"
#include "widgets/ModalResult.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <deque>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <utility>

namespace {

/// Latin-1 bytes of a text written in this UTF-8 source.
QByteArray Latin1(const char* utf8) {
    return QString::fromUtf8(utf8).toLatin1();
}

// A file as a user may have it; "[x" is a name only an edit by hand can give.
const QByteArray Defs = Latin1("[RecordDefs]\r\nshort list=/N=5\r\nOther=/H=3\r\n"
                               "beta=/A=2 /Z=1\r\närger=/D=äöü /N=2\r\n[x=/N=1\r\n\r\n");
const QStringList DefsNames = {"[x", "beta", "Other", "short list", "ärger"};

/// A settings file in a temporary folder, made the program's settings file while it lives.
class TIniFile {
public:
    explicit TIniFile(const QByteArray& content = {}, const QString& name = "tabbit.ini")
        : FPath(FDir.filePath(name)) {
        if (!content.isEmpty()) {
            QFile file(FPath);
            if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
                qFatal("cannot write %s", qPrintable(FPath));
        }
        SetDefaultIniPath(FromQString(FPath));
    }
    ~TIniFile() { SetDefaultIniPath(""); }
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    QByteArray Bytes() const { return ReadBytes(FPath); }
    const QString& Path() const { return FPath; }

private:
    QTemporaryDir FDir;
    QString FPath;
};

void Click(const QWidget& parent, const char* name) {
    auto* button = parent.findChild<QAbstractButton*>(name);
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

QListWidget& List(const TFormManage& form) {
    return *form.findChild<QListWidget*>("ListBoxDefs");
}

bool Enabled(const TFormManage& form, const char* name) {
    return form.findChild<QAbstractButton*>(name)->isEnabled();
}

/// Counts the paint events a widget receives while it lives.
class TPaintCounter : public QObject {
public:
    TPaintCounter(QWidget& widget, int& count) : FCount(count) { widget.installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++FCount;
        return QObject::eventFilter(watched, event);
    }

private:
    int& FCount;
};

/// Plays the user of one showing of the dialog: drive acts on the shown dialog, the input
/// boxes it opens get the queued answers (Cancel for the Cancel marker), and every error
/// message is recorded and confirmed.
class TSession {
public:
    std::deque<QString> Answers;
    QStringList Inputs;
    QStringList Errors;

    int Run(TFormManage& form, const std::function<void()>& drive) {
        const TScopedModalHook hook([&](QDialog& dialog) {
            if (dialog.objectName() == "InputBox") {
                Answer(dialog);
            } else if (dialog.objectName() == "ErrorMessage") {
                Errors << DialogText(dialog);
                Click(dialog, "OK");
            } else if (&dialog == &form) {
                QVERIFY(QTest::qWaitForWindowExposed(&form));
                drive();
            } else {
                QFAIL(qPrintable("unexpected dialog " + dialog.objectName()));
            }
        });
        return ShowModal(form);
    }

    /// Shows a dialog that found nothing it could list: its list is empty, Escape leaves it.
    int RunWithEmptyList(TFormManage& form) {
        return Run(form, [&] {
            QVERIFY(Names(form).isEmpty());
            Escape(form);
        });
    }

private:
    void Answer(QDialog& box) { AnswerInputBox(box, Answers, Inputs); }
};

/// Records the help commands instead of showing help.
class THelpSpy : public THelpViewer {
public:
    bool HelpCommand(const std::string&, THelpCommand command, unsigned long data) override {
        Commands << std::pair(command, data);
        return true;
    }
    QList<std::pair<THelpCommand, unsigned long>> Commands;
};

} // namespace

class TestTabbitMg : public QObject {
    Q_OBJECT

private slots:
    void firstRunSavesTheOnlyLine() {
        const TIniFile ini;
        TFormManage form;
        form.SetCurrentDef(FromQString("/R=100 /D=äöüÄÖÜß /N=5 /F=1,#59 /E=W c:\\random.txt"));
        form.SetCurrentFieldCount(1);
        TSession user;
        user.Answers = {"  short list  "};
        const int result = user.Run(form, [&] {
            QVERIFY(Names(form).isEmpty());
            QVERIFY(!Enabled(form, "ButtonLoad") && !Enabled(form, "ButtonRename"));
            QVERIFY(!Enabled(form, "ButtonDelete") && Enabled(form, "Button1"));
            Click(form, "Button1");
        });
        QCOMPARE(result, int(mrOk));
        QCOMPARE(user.Inputs, QStringList{"Save current record definion|under name"});
        QCOMPARE(user.Errors, QStringList{});
        QCOMPARE(ini.Bytes(), Latin1("[RecordDefs]\r\nshort list=/R=100 /D=äöüÄÖÜß /N=5 "
                                     "/F=1,#59 /E=W c:\\random.txt\r\n\r\n"));
    }

    void enabledStatesFollowSelectionAndFieldCount() {
        const TIniFile ini(Defs);
        TFormManage form;
        TSession user;
        const int result = user.Run(form, [&] {
            QCOMPARE(Names(form), DefsNames);
            QVERIFY(!Enabled(form, "Button1") && !Enabled(form, "ButtonDelete"));
            Click(form, "Button1"); // disabled: no input box may open
            Select(form, "Other");
            QVERIFY(Enabled(form, "ButtonLoad") && Enabled(form, "ButtonRename"));
            QVERIFY(Enabled(form, "ButtonDelete"));
            form.SetCurrentFieldCount(2);
            QVERIFY(Enabled(form, "Button1"));
            form.SetCurrentFieldCount(0);
            QVERIFY(!Enabled(form, "Button1"));
            Escape(form);
        });
        QCOMPARE(result, int(mrCancel));
    }

    void saveRefusesNames_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("error");
        QTest::newRow("cancel") << Cancel << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("blanks") << "   "
                                << "";
        QTest::newRow("other case") << "SHORT LIST" << Duplicate;
        QTest::newRow("trimmed duplicate") << "  other " << Duplicate;
        QTest::newRow("accented case") << "ÄRGER" << Duplicate;
        QTest::newRow("equals") << "a=b" << Unstorable;
        QTest::newRow("comment") << ";note" << Unstorable;
        QTest::newRow("header") << "  [new]" << Unstorable;
    }
    void saveRefusesNames() {
        QFETCH(QString, typed);
        QFETCH(QString, error);
        const TIniFile ini(Defs);
        TFormManage form;
        form.SetCurrentFieldCount(1);
        TSession user;
        user.Answers = {typed};
        const int result = user.Run(form, [&] {
            Click(form, "Button1");
            QVERIFY(form.isVisible());
            Escape(form);
        });
        QCOMPARE(result, int(mrCancel));
        QCOMPARE(user.Errors, error.isEmpty() ? QStringList{} : QStringList{error});
        QCOMPARE(ini.Bytes(), Defs);
    }

    void saveStoresNewNames_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("trimmed") << "   new one  " << QByteArray("new one=/N=7");
        QTest::newRow("signs inside") << "a;[b]" << QByteArray("a;[b]=/N=7");
        QTest::newRow("latin-1") << "Öl" << Latin1("Öl=/N=7");
    }
    void saveStoresNewNames() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, line);
        const TIniFile ini(Defs);
        TFormManage form;
        form.SetCurrentDef("/N=7");
        form.SetCurrentFieldCount(1);
        TSession user;
        user.Answers = {typed};
        QCOMPARE(user.Run(form, [&] { Click(form, "Button1"); }), int(mrOk));
        QCOMPARE(user.Errors, QStringList{});
        QCOMPARE(ini.Bytes(), Defs.chopped(2) + line + "\r\n\r\n");
    }

    void renameRefusesNames_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("error");
        QTest::newRow("cancel") << Cancel << "Empty name not valid!";
        QTest::newRow("blanks") << "  "
                                << "Empty name not valid!";
        QTest::newRow("same") << " short list "
                              << "Name not changed!";
        QTest::newRow("other case") << "Short List" << Duplicate;
        QTest::newRow("other name") << "OTHER" << Duplicate;
        QTest::newRow("equals") << "short=list" << Unstorable;
        QTest::newRow("comment") << ";short list" << Unstorable;
        // "[x" is listed too: a name the file cannot carry is refused before the duplicates.
        QTest::newRow("header") << "[X" << Unstorable;
    }
    void renameRefusesNames() {
        QFETCH(QString, typed);
        QFETCH(QString, error);
        const TIniFile ini(Defs);
        TFormManage form;
        TSession user;
        user.Answers = {typed};
        const int result = user.Run(form, [&] {
            Select(form, "short list");
            Click(form, "ButtonRename");
            QVERIFY(form.isVisible());
            QCOMPARE(Names(form), DefsNames);
            Escape(form);
        });
        QCOMPARE(result, int(mrCancel));
        QCOMPARE(user.Inputs, QStringList{"Rename short list|new name"});
        QCOMPARE(user.Errors, QStringList{error});
        QCOMPARE(ini.Bytes(), Defs);
    }

    void renameMovesTheLineToTheEnd() {
        const TIniFile ini(Defs);
        TFormManage form;
        TSession user;
        user.Answers = {"  Zeta "};
        const int result = user.Run(form, [&] {
            Select(form, "beta");
            Click(form, "ButtonRename");
            QCOMPARE(Names(form), QStringList({"[x", "Other", "short list", "Zeta", "ärger"}));
            QCOMPARE(ini.Bytes(), Latin1("[RecordDefs]\r\nshort list=/N=5\r\nOther=/H=3\r\n"
                                         "ärger=/D=äöü /N=2\r\n[x=/N=1\r\nZeta=/A=2 /Z=1\r\n\r\n"));
            Escape(form);
        });
        QCOMPARE(result, int(mrCancel));
        QCOMPARE(user.Errors, QStringList{});
    }

    void deleteRemovesFromTheFileAtOnce() {
        const TIniFile ini(Defs);
        TFormManage form;
        TSession user;
        user.Run(form, [&] {
            Select(form, "Other");
            Click(form, "ButtonDelete");
            QCOMPARE(ini.Bytes(), Latin1("[RecordDefs]\r\nshort list=/N=5\r\nbeta=/A=2 /Z=1\r\n"
                                         "ärger=/D=äöü /N=2\r\n[x=/N=1\r\n\r\n"));
            QCOMPARE(Names(form), QStringList({"[x", "beta", "short list", "ärger"}));
            // Nothing is selected in its place, so a second click deletes nothing.
            QVERIFY(!Enabled(form, "ButtonDelete"));
            Escape(form);
        });
        QCOMPARE(user.Errors, QStringList{});
    }

    void loadClosesWithTheStoredString() {
        const TIniFile ini(Defs);
        TFormManage form;
        TSession user;
        const int result = user.Run(form, [&] {
            Select(form, "ärger");
            Click(form, "ButtonLoad");
        });
        QCOMPARE(result, int(mrYes));
        QCOMPARE(ToQString(form.LoadedDef()), QString("/D=äöü /N=2"));
        // The next showing starts without a chosen definition.
        QCOMPARE(user.Run(form, [&] { Escape(form); }), int(mrCancel));
        QVERIFY(form.LoadedDef().empty());
        QCOMPARE(ini.Bytes(), Defs);
    }

    void escapeAndCloseBoxCancel() {
        const TIniFile ini(Defs);
        TFormManage form;
        TSession user;
        QCOMPARE(user.Run(form,
                          [&] {
                              // The release of an Escape that closed an input box over the
                              // dialog arrives alone; it must not close the dialog as well.
                              QTest::keyRelease(&List(form), Qt::Key_Escape);
                              QVERIFY(form.isVisible());
                              Escape(form);
                          }),
                 int(mrCancel));
        QCOMPARE(user.Run(form, [&] { form.close(); }), int(mrCancel));
        QCOMPARE(ini.Bytes(), Defs);
    }

    void failedWriteKeepsFileAndList_data() {
        QTest::addColumn<QString>("action");
        QTest::newRow("delete") << "ButtonDelete";
        QTest::newRow("rename") << "ButtonRename";
        QTest::newRow("save") << "Button1";
    }
    void failedWriteKeepsFileAndList() {
        QFETCH(QString, action);
        // A rewrite goes through a temporary file beside the settings file; with a name this
        // long the file system refuses the temporary file's name, even to root, while the
        // settings file itself still reads.
        const TIniFile ini(Defs, QString(246, 'n') + ".ini");
        TFormManage form;
        form.SetCurrentFieldCount(1);
        TSession user;
        user.Answers = {"new name"};
        const int result = user.Run(form, [&] {
            Select(form, "beta");
            Click(form, qPrintable(action));
            QVERIFY(form.isVisible());
            QCOMPARE(Names(form), DefsNames);
            QCOMPARE(List(form).currentItem()->text(), QString("beta"));
            Escape(form);
        });
        QCOMPARE(result, int(mrCancel));
        QCOMPARE(user.Errors.size(), 1);
        QVERIFY2(!user.Errors.front().isEmpty(), "the error names no reason");
        QCOMPARE(ini.Bytes(), Defs);
    }

    void saveIntoMissingFolderFails() {
        const TIniFile ini({}, "missing/tabbit.ini");
        TFormManage form;
        form.SetCurrentFieldCount(1);
        TSession user;
        user.Answers = {"new name"};
        const int result = user.Run(form, [&] {
            Click(form, "Button1");
            QVERIFY(form.isVisible());
            QVERIFY(Names(form).isEmpty());
            Escape(form);
        });
        QCOMPARE(result, int(mrCancel));
        QCOMPARE(user.Errors.size(), 1);
        QVERIFY(!QFileInfo::exists(ini.Path()));
    }

    void saveErrorsNameTheFileAndTheCause_data() {
        QTest::addColumn<QString>("breakage");
        QTest::addColumn<QString>("message");
        QTest::newRow("lock is a folder")
            << "lock folder"
            << "Cannot lock the settings file %1: %1.lock is a folder.";
        QTest::newRow("lock is a link")
            << "lock link"
            << "Cannot lock the settings file %1: %1.lock is a symbolic link.";
        QTest::newRow("folder missing")
            << "folder"
            << "Cannot save the settings file %1: its folder %2 does not exist.";
    }
    void saveErrorsNameTheFileAndTheCause() {
        QFETCH(QString, breakage);
        QFETCH(QString, message);
        const TIniFile ini({}, breakage == "folder" ? "missing/tabbit.ini" : "tabbit.ini");
        if (breakage == "lock folder")
            QVERIFY(QDir().mkdir(ini.Path() + ".lock"));
        if (breakage == "lock link")
            QVERIFY(QFile::link("elsewhere", ini.Path() + ".lock"));
        TFormManage form;
        form.SetCurrentFieldCount(1);
        TSession user;
        user.Answers = {"new name"};
        const int result = user.Run(form, [&] {
            Click(form, "Button1");
            QVERIFY(Names(form).isEmpty());
            Escape(form);
        });
        QCOMPARE(result, int(mrCancel));
        message.replace("%2", QFileInfo(ini.Path()).path()).replace("%1", ini.Path());
        QCOMPARE(user.Errors, QStringList{message});
        QVERIFY(!QFileInfo::exists(ini.Path()));
    }

    void aSaveWaitsForAnotherProgramsLockWhileTheDialogAnswers() {
        const TIniFile ini("[RecordDefs]\r\nold=/N=1\r\n\r\n");
        // Another program holds the lock until its input ends.
        QProcess holder;
        holder.start("sh", {"-c", "exec 9>\"$0\" && flock 9 && echo locked && read x",
                            ini.Path() + ".lock"});
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readAll(), QByteArray("locked\n"));

        TFormManage form;
        form.SetCurrentDef("/N=2");
        form.SetCurrentFieldCount(1);
        int ticks = 0;
        int paints = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, &form, [&] {
            ++ticks;
            form.update();
        });
        TPaintCounter counter(form, paints);
        TSession user;
        user.Answers = {"new", "new"};
        const int result = user.Run(form, [&] {
            timer.start(50);
            Click(form, "Button1");
            // The dialog went on painting and running its timers while the save waited.
            QVERIFY2(ticks > 10, qPrintable(QString::number(ticks)));
            QVERIFY2(paints > 10, qPrintable(QString::number(paints)));
            QVERIFY(form.isVisible());
            QCOMPARE(Names(form), QStringList{"old"});
            QCOMPARE(ini.Bytes(), QByteArray("[RecordDefs]\r\nold=/N=1\r\n\r\n"));

            holder.closeWriteChannel();
            QVERIFY(holder.waitForFinished(10000));
            Click(form, "Button1");
        });
        QCOMPARE(user.Errors, QStringList{"The settings file " + ini.Path() +
                                          " is being saved by another program; try again."});
        QCOMPARE(result, int(mrOk));
        QCOMPARE(ini.Bytes(), QByteArray("[RecordDefs]\r\nold=/N=1\r\nnew=/N=2\r\n\r\n"));
    }

    void unreadableFileOpensWithEmptyList() {
        const TIniFile ini;
        QVERIFY(QDir().mkdir(ini.Path()));
        TFormManage form;
        TSession user;
        QCOMPARE(user.RunWithEmptyList(form), int(mrCancel));
        QCOMPARE(user.Errors.size(), 1);
    }

    void fileThatCannotBeASettingsFileIsReported_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("pipe") << "pipe"
                              << "Not a regular file: ";
        QTest::newRow("too large") << "large"
                                   << "Settings file too large.";
    }
    void fileThatCannotBeASettingsFileIsReported() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const TIniFile ini;
        const QByteArray path = QFile::encodeName(ini.Path());
        if (kind == "pipe") {
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
            message += ini.Path() + '.';
        } else {
            QFile file(ini.Path());
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(qint64{257} * 1024 * 1024));
        }
        TFormManage form;
        TSession user;
        QCOMPARE(user.RunWithEmptyList(form), int(mrCancel));
        QCOMPARE(user.Errors, QStringList{message});
    }

    void f1ShowsTheDialogsHelpTopic() {
        const TIniFile ini;
        TFormManage form;
        THelpSpy spy;
        THelpViewer* const previous = SetHelpViewer(&spy);
        TSession user;
        user.Run(form, [&] {
            QTest::keyClick(&List(form), Qt::Key_F1);
            Escape(form);
        });
        SetHelpViewer(previous);
        QCOMPARE(spy.Commands, (QList<std::pair<THelpCommand, unsigned long>>{{HELP_CONTEXT, 10}}));
    }

    void listIsNamedForAScreenReader() {
        TFormManage form;
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&List(form));
        QVERIFY(list);
        QCOMPARE(list->text(QAccessible::Name), QString("existing record definitions"));
        QCOMPARE(QAccessible::queryAccessibleInterface(&form)->text(QAccessible::Name),
                 QString("Manage record definitions"));
    }

    void captionsFitAtDesktopFonts_data() { AddDesktopFontRows({8, 12, 16}); }
    void captionsFitAtDesktopFonts() {
        QFETCH(int, points);
        const TDesktopFont desktop(points);
        const TIniFile ini;
        TFormManage form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // The list's room grows with the font; every button shows its whole caption.
        QVERIFY(List(form).width() >= FormScale(desktop.Font()).Horz(240));
        QVERIFY(List(form).height() >= FormScale(desktop.Font()).Vert(180));
        for (QPushButton* button : form.findChildren<QPushButton*>())
            QVERIFY2(FitsSizeHint(*button), qPrintable(button->text()));
        form.hide();
    }
};

QTEST_MAIN(TestTabbitMg)
#include "test_manage_dialog.moc"
