// SPDX-License-Identifier: MIT
#include "platform/Shell.h"

#include "platform/Latin1.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>
#include <QUrl>

namespace {

TShell* InstalledShell = nullptr;

/// The value of key in group of an ini-style desktop file (mimeapps.list, .desktop), or an
/// empty string when the file, the group or the key is missing.
QString DesktopFileValue(const QString& path, const QString& group, const QString& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    bool inGroup = false;
    const QString prefix = key + '=';
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith('['))
            inGroup = line == '[' + group + ']';
        else if (inGroup && line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed();
    }
    return {};
}

/// The installed desktop entry file of a desktop file id, or empty.
QString LocateDesktopEntry(const QString& id) {
    if (id.isEmpty())
        return {};
    return QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
}

/// The desktop file ids the association files name as default for mimeType, in the order the
/// desktop looks at them: the user's configuration, the system's, then the data folders.
QString DefaultDesktopEntryFor(const QString& mimeType) {
    QStringList names;
    const QString desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    for (const QString& desktop : desktops.split(':', Qt::SkipEmptyParts))
        names << desktop.toLower() + "-mimeapps.list";
    names << "mimeapps.list";

    QStringList files;
    for (const QString& dir :
         QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        for (const QString& name : names)
            files << dir + '/' + name;
    for (const QString& dir :
         QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        for (const QString& name : names)
            files << dir + '/' + name;
        files << dir + "/defaults.list";
    }
    for (const QString& file : files) {
        const QString ids = DesktopFileValue(file, "Default Applications", mimeType);
        for (const QString& id : ids.split(';', Qt::SkipEmptyParts)) {
            const QString entry = LocateDesktopEntry(id.trimmed());
            if (!entry.isEmpty())
                return entry;
        }
    }
    return {};
}

/// The first word of a desktop entry's command line; quotes group blanks and a backslash
/// escapes the next character inside them.
QString FirstWordOfExec(const QString& exec) {
    QString word;
    qsizetype i = 0;
    if (exec.startsWith('"')) {
        for (i = 1; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size())
                ++i;
            word += exec[i];
        }
        return word;
    }
    while (i < exec.size() && !exec[i].isSpace())
        word += exec[i++];
    return word;
}

} // namespace

QString ProgramOfDesktopEntry(const QString& desktopFile) {
    const QString word = FirstWordOfExec(DesktopFileValue(desktopFile, "Desktop Entry", "Exec"));
    if (word.isEmpty())
        return {};
    if (QFileInfo(word).isAbsolute()) {
        const QFileInfo program(word);
        return program.isFile() && program.isExecutable() ? program.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(word);
}

int TShell::ShellExecuteOpen(const std::string& url) {
    const QString text = ToQString(url);
    QUrl target(text, QUrl::TolerantMode);
    if (target.scheme().isEmpty())
        target = QUrl::fromUserInput(text);
    if (!target.isValid() || target.isEmpty())
        return ShellFailure;
    return QDesktopServices::openUrl(target) ? ShellSuccess : ShellFailure;
}

std::string TShell::ProgramForExtension(const std::string& ext) {
    if (ext.empty())
        return {};
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile("file" + ToQString(ext), QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return {};
    const QString program = ProgramOfDesktopEntry(DefaultDesktopEntryFor(type.name()));
    // The association is looked at only to compare program names; a path the 8-bit text
    // cannot hold names no program the caller knows, which is the same as none.
    if (!IsLatin1(program))
        return {};
    return FromQString(program.toUpper());
}

int TShell::WinExec(const std::string& cmdLine) {
    QStringList words = QProcess::splitCommand(ToQString(cmdLine));
    if (words.isEmpty())
        return ShellFailure;
    const QString program = words.takeFirst();
    return QProcess::startDetached(program, words) ? ShellSuccess : ShellFailure;
}

TShell& Shell() {
    static TShell desktopShell;
    return InstalledShell ? *InstalledShell : desktopShell;
}

TShell* SetShell(TShell* shell) {
    TShell* previous = InstalledShell;
    InstalledShell = shell;
    return previous;
}
