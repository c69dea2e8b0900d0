// SPDX-License-Identifier: MIT
// The desktop shell layer: the association lookup read from desktop files in a temporary XDG
// tree, and the failures of opening and starting, without opening anything.

#include "platform/Shell.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

void Write(const QString& path, const QByteArray& text, bool executable = false) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner);
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    QString Path(const QString& relative) const { return FDir.path() + '/' + relative; }

private slots:
    void initTestCase() {
        QVERIFY(FDir.isValid());
        // The user's own folders lie in the temporary tree; the system's data stays
        // reachable for the MIME database, after it.
        qputenv("XDG_CONFIG_HOME", Path("config").toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", Path("sysconfig").toLocal8Bit());
        qputenv("XDG_DATA_HOME", Path("data").toLocal8Bit());
        qputenv("XDG_DATA_DIRS", (Path("sysdata") + ":/usr/local/share:/usr/share").toLocal8Bit());
        qunsetenv("XDG_CURRENT_DESKTOP");
        Write(Path("bin/netscape.exe"), "#!/bin/sh\n", true);
        Write(Path("bin/not executable"), "");
    }

    void programOfDesktopEntry_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QString>("program"); // "@" stands for the temporary folder
        QTest::newRow("full path with field code")
            << QByteArray("[Desktop Entry]\nName=N\nExec=@/bin/netscape.exe %u\n")
            << "@/bin/netscape.exe";
        QTest::newRow("quoted path")
            << QByteArray("[Desktop Entry]\nExec=\"@/bin/netscape.exe\" %U\n")
            << "@/bin/netscape.exe";
        QTest::newRow("found through PATH") << QByteArray("[Desktop Entry]\nExec=sh -c x\n")
                                            << QStandardPaths::findExecutable("sh");
        QTest::newRow("not executable")
            << QByteArray("[Desktop Entry]\nExec=\"@/bin/not executable\"\n") << "";
        QTest::newRow("missing program") << QByteArray("[Desktop Entry]\nExec=@/bin/none\n") << "";
        QTest::newRow("Exec of an action only")
            << QByteArray("[Desktop Entry]\nName=N\n[Desktop Action new]\nExec=sh\n") << "";
        QTest::newRow("no file") << QByteArray() << "";
    }
    void programOfDesktopEntry() {
        QFETCH(QByteArray, entry);
        QFETCH(QString, program);
        const QString file = Path("entry.desktop");
        QFile::remove(file);
        if (!entry.isEmpty())
            Write(file, entry.replace("@", FDir.path().toLocal8Bit()));
        QCOMPARE(ProgramOfDesktopEntry(file), program.replace("@", FDir.path()));
    }

    void defaultBrowserFromTheUsersAssociations() {
        Write(Path("data/applications/tabbit-netscape.desktop"),
              ("[Desktop Entry]\nType=Application\nExec=" + Path("bin/netscape.exe") + " %u\n")
                  .toLocal8Bit());
        // An entry that is not installed is passed over.
        Write(
            Path("config/mimeapps.list"),
            "[Added Associations]\ntext/html=other.desktop\n"
            "[Default Applications]\ntext/html=tabbit-missing.desktop;tabbit-netscape.desktop;\n");
        TShell shell;
        QCOMPARE(QString::fromStdString(shell.ProgramForExtension(".htm")),
                 Path("bin/netscape.exe").toUpper());
        QCOMPARE(shell.ProgramForExtension(".tabbit-unknown"), std::string());
        QCOMPARE(shell.ProgramForExtension(""), std::string());
    }

    void failuresAreReportedByCode() {
        TShell shell;
        QCOMPARE(shell.ShellExecuteOpen(""), ShellFailure);
        QCOMPARE(shell.WinExec(""), ShellFailure);
        QCOMPARE(shell.WinExec((Path("bin/none") + " mailto:a@x.org").toStdString()), ShellFailure);
        QCOMPARE(shell.WinExec("true mailto:a@x.org"), ShellSuccess);
    }

    void replaceableShell() {
        TShell replacement;
        QVERIFY(SetShell(&replacement) == nullptr);
        QCOMPARE(&Shell(), &replacement);
        QCOMPARE(SetShell(nullptr), &replacement);
        QVERIFY(&Shell() != &replacement);
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
