// SPDX-License-Identifier: MIT
// The help viewer: which page each help command opens, where it looks for the pages, the one
// reused help window, the message for a missing page, and the help pages shipped with the
// program.
#include "platform/HelpViewer.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

namespace {

void WritePage(const QString& path, const QString& title) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile page(path);
    if (!page.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    page.write(("<html><body><h1>" + title + "</h1></body></html>").toUtf8());
}

QList<QWidget*> HelpWindows() {
    QList<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "HelpWindow")
            found << w;
    return found;
}

QTextBrowser* Browser() {
    const QList<QWidget*> windows = HelpWindows();
    return windows.size() == 1 ? windows[0]->findChild<QTextBrowser*>() : nullptr;
}

/// The local pages a help page links to.
QStringList LinksOf(const QString& path) {
    QFile page(path);
    if (!page.open(QIODevice::ReadOnly))
        return {};
    const QString html = QString::fromUtf8(page.readAll());
    QStringList links;
    static const QRegularExpression href("href=\"([^\"#]*)(#[^\"]*)?\"");
    for (auto it = href.globalMatch(html); it.hasNext();) {
        const QString target = it.next().captured(1);
        if (!target.isEmpty() && !target.contains(':'))
            links << target;
    }
    return links;
}

} // namespace

/// The built-in help viewer with pages of its own, and the shipped help pages.
class TestHelpViewer : public QObject {
    Q_OBJECT

private slots:
    void commandsOpenTheirPages_data();
    void commandsOpenTheirPages();
    void pagesAreFoundInBothPlaces_data();
    void pagesAreFoundInBothPlaces();
    void missingPageIsExplained();
    void applicationCommandGoesToTheInstalledViewer();
    void shippedPagesAreLinkedTogether();
    void pagesAreCopiedBesideTheProgram();
};

void TestHelpViewer::commandsOpenTheirPages_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("data");
    QTest::addColumn<QString>("page");
    QTest::newRow("contents topic") << int(HELP_CONTENTS) << 0 << "index.html";
    QTest::newRow("list of topics") << int(HELP_FINDER) << 0 << "contents.html";
    QTest::newRow("context with a page") << int(HELP_CONTEXT) << 10 << "context-10.html";
    QTest::newRow("context without a page") << int(HELP_CONTEXT) << 99 << "index.html";
}

void TestHelpViewer::commandsOpenTheirPages() {
    QFETCH(int, command);
    QFETCH(int, data);
    QFETCH(QString, page);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir("help"));
    for (const char* name : {"index.html", "contents.html", "context-10.html"})
        WritePage(folder.filePath(QString("help/") + name), name);
    THelpViewer viewer;
    const std::string helpFile = folder.filePath("TabbitU.hlp").toStdString();
    QVERIFY(viewer.HelpCommand(helpFile, THelpCommand(command), data));
    QTextBrowser* browser = Browser();
    QVERIFY(browser);
    QVERIFY(browser->window()->isVisible());
    QCOMPARE(browser->source(), QUrl::fromLocalFile(folder.filePath("help/" + page)));
    QVERIFY(browser->toPlainText().contains(page));
    // The window is made once and reused.
    QVERIFY(viewer.HelpCommand(helpFile, HELP_FINDER, 0));
    QCOMPARE(HelpWindows().size(), 1);
}

void TestHelpViewer::pagesAreFoundInBothPlaces_data() {
    // The help file lies in <prefix>/bin; the pages are in bin/help (the build tree), in
    // share/tabbit/help (the installed tree) or in both.
    QTest::addColumn<QStringList>("withPages");
    QTest::addColumn<QString>("emptyFolder");
    QTest::addColumn<QString>("used");
    const QString built = "bin/help/";
    const QString installed = "share/tabbit/help/";
    QTest::newRow("build tree") << QStringList{built} << "" << built;
    QTest::newRow("installed tree") << QStringList{installed} << "" << installed;
    QTest::newRow("build tree first") << QStringList{installed, built} << "" << built;
    // An empty help folder beside the program does not hide the installed pages.
    QTest::newRow("empty build folder") << QStringList{installed} << built << installed;
}

void TestHelpViewer::pagesAreFoundInBothPlaces() {
    QFETCH(QStringList, withPages);
    QFETCH(QString, emptyFolder);
    QFETCH(QString, used);
    QTemporaryDir prefix;
    for (const QString& folder : withPages)
        for (const char* name : {"index.html", "contents.html", "context-10.html"})
            WritePage(prefix.filePath(folder + name), folder + name);
    if (!emptyFolder.isEmpty())
        QVERIFY(QDir().mkpath(prefix.filePath(emptyFolder)));
    THelpViewer viewer;
    const std::string helpFile = prefix.filePath("bin/TabbitU.hlp").toStdString();
    const std::pair<THelpCommand, QString> commands[] = {{HELP_CONTENTS, "index.html"},
                                                         {HELP_FINDER, "contents.html"},
                                                         {HELP_CONTEXT, "context-10.html"}};
    for (const auto& [command, page] : commands) {
        QVERIFY(viewer.HelpCommand(helpFile, command, 10));
        QTextBrowser* browser = Browser();
        QVERIFY(browser);
        QCOMPARE(browser->source(), QUrl::fromLocalFile(prefix.filePath(used + page)));
        QVERIFY(browser->toPlainText().contains(used + page));
    }
}

void TestHelpViewer::missingPageIsExplained() {
    QTemporaryDir prefix;
    QVERIFY(QDir(prefix.path()).mkdir("bin"));
    THelpViewer viewer;
    QVERIFY(
        !viewer.HelpCommand(prefix.filePath("bin/TabbitU.hlp").toStdString(), HELP_CONTENTS, 0));
    QTextBrowser* browser = Browser();
    QVERIFY(browser);
    QVERIFY(browser->window()->isVisible());
    const QString text = browser->toPlainText();
    QVERIFY(text.contains("could not be found"));
    QVERIFY(text.contains(prefix.filePath("bin/help/index.html")));
    // Both places where the pages may be are named.
    QVERIFY(text.contains(prefix.filePath("bin/help/")));
    QVERIFY(text.contains(prefix.filePath("share/tabbit/help/")));
}

void TestHelpViewer::applicationCommandGoesToTheInstalledViewer() {
    struct TRecorder : THelpViewer {
        bool HelpCommand(const std::string& file, THelpCommand command,
                         unsigned long data) override {
            Calls << QString("%1 %2 %3").arg(QString::fromStdString(file)).arg(command).arg(data);
            return false;
        }
        QStringList Calls;
    } recorder;
    SetApplicationHelpFile("/somewhere/TabbitU.hlp");
    QCOMPARE(ApplicationHelpFile(), "/somewhere/TabbitU.hlp");
    THelpViewer* previous = SetHelpViewer(&recorder);
    QVERIFY(!ApplicationHelpCommand(HELP_FINDER, 0));
    QCOMPARE(SetHelpViewer(previous), &recorder);
    QCOMPARE(recorder.Calls, QStringList{"/somewhere/TabbitU.hlp 11 0"});
}

void TestHelpViewer::shippedPagesAreLinkedTogether() {
    const QDir help(TABBIT_HELP_SOURCE_DIR);
    const QStringList pages = help.entryList({"*.html"}, QDir::Files);
    for (const char* needed : {"index.html", "contents.html", "context-10.html"})
        QVERIFY2(pages.contains(needed), needed);
    // Every link leads to a shipped page, and every page can be reached from the list of
    // topics.
    QSet<QString> reached{"contents.html"};
    QStringList pending{"contents.html"};
    while (!pending.isEmpty()) {
        const QString page = pending.takeFirst();
        for (const QString& link : LinksOf(help.filePath(page))) {
            QVERIFY2(pages.contains(link), qPrintable(page + " links to " + link));
            if (!reached.contains(link)) {
                reached.insert(link);
                pending << link;
            }
        }
    }
    for (const QString& page : pages)
        QVERIFY2(reached.contains(page), qPrintable(page + " is not reachable"));
}

void TestHelpViewer::pagesAreCopiedBesideTheProgram() {
    const QDir help(TABBIT_HELP_SOURCE_DIR);
    const QString copies = QCoreApplication::applicationDirPath() + "/help/";
    for (const QString& page : help.entryList({"*.html"}, QDir::Files))
        QVERIFY2(QFile::exists(copies + page), qPrintable(page));
}

QTEST_MAIN(TestHelpViewer)
#include "test_help_viewer.moc"
