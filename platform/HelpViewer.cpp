// SPDX-License-Identifier: MIT
#include "platform/HelpViewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStringList>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

namespace {

std::string& HelpFile() {
    static std::string file;
    return file;
}

THelpViewer*& InstalledViewer() {
    static THelpViewer* viewer = nullptr;
    return viewer;
}

THelpViewer& BuiltInViewer() {
    static THelpViewer viewer;
    return viewer;
}

/// The one help window of the process, created on first use and kept until the
/// application object goes away.
QPointer<QWidget>& HelpWindow() {
    static QPointer<QWidget> window;
    return window;
}

void DeleteHelpWindow() {
    delete HelpWindow().data();
}

QTextBrowser* HelpBrowser() {
    QPointer<QWidget>& window = HelpWindow();
    if (!window) {
        window = new QWidget(nullptr, Qt::Window);
        window->setObjectName("HelpWindow");
        window->setWindowTitle(QCoreApplication::applicationName() + " help");
        // An open help window must not keep the program running once the main window is
        // closed.
        window->setAttribute(Qt::WA_QuitOnClose, false);
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* browser = new QTextBrowser(window);
        browser->setObjectName("HelpBrowser");
        browser->setOpenExternalLinks(true);
        layout->addWidget(browser);
        window->resize(640, 560);
        qAddPostRoutine(DeleteHelpWindow);
    }
    return window->findChild<QTextBrowser*>("HelpBrowser");
}

/// The folders that may hold the help pages of a help file, in the order they are tried:
/// help/ beside it, as in the build tree, and the program's data folder of the prefix it is
/// installed under, as a Linux package keeps them.
QStringList HelpFolders(const QFileInfo& helpFile) {
    const QString folder = helpFile.absolutePath();
    return {folder + "/help/", QDir::cleanPath(folder + "/../share/tabbit/help") + '/'};
}

/// The first of folders that holds the pages' start page; the first one when none does.
/// One folder serves all pages, so that links never lead from one set of pages to another.
QString ChooseHelpFolder(const QStringList& folders) {
    for (const QString& folder : folders)
        if (QFileInfo(folder + "index.html").isFile())
            return folder;
    return folders.front();
}

QString PageOf(const QString& folder, THelpCommand command, unsigned long data) {
    switch (command) {
    case HELP_FINDER:
        return folder + "contents.html";
    case HELP_CONTEXT: {
        const QString page = folder + "context-" + QString::number(data) + ".html";
        if (QFileInfo::exists(page))
            return page;
        return folder + "index.html";
    }
    case HELP_CONTENTS:
        break;
    }
    return folder + "index.html";
}

} // namespace

bool THelpViewer::HelpCommand(const std::string& helpFile, THelpCommand command,
                              unsigned long data) {
    const QStringList folders = HelpFolders(QFileInfo(QString::fromStdString(helpFile)));
    const QString page = PageOf(ChooseHelpFolder(folders), command, data);
    QTextBrowser* browser = HelpBrowser();
    const bool found = QFileInfo(page).isFile();
    if (found) {
        browser->setSource(QUrl::fromLocalFile(page));
    } else {
        QString places;
        for (const QString& folder : folders)
            places += "<li><tt>" + folder.toHtmlEscaped() + "</tt></li>";
        browser->setHtml("<h1>Help not available</h1><p>The help page</p><p><tt>" +
                         page.toHtmlEscaped() +
                         "</tt></p><p>could not be found. The help pages belong in one of the "
                         "folders</p><ul>" +
                         places + "</ul>");
    }
    QWidget* window = browser->window();
    window->show();
    window->raise();
    window->activateWindow();
    return found;
}

void SetApplicationHelpFile(const std::string& path) {
    HelpFile() = path;
}

const std::string& ApplicationHelpFile() {
    return HelpFile();
}

THelpViewer* SetHelpViewer(THelpViewer* viewer) {
    THelpViewer* previous = InstalledViewer();
    InstalledViewer() = viewer;
    return previous;
}

bool ApplicationHelpCommand(THelpCommand command, unsigned long data) {
    THelpViewer* viewer = InstalledViewer() ? InstalledViewer() : &BuiltInViewer();
    return viewer->HelpCommand(ApplicationHelpFile(), command, data);
}
