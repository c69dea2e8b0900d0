// The help viewer: which page each help command opens, the one reused help window, the
// message for a missing page, and the help pages shipped with the program.
#include "platform/HelpViewer.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>

namespace {

void WritePage(const QString& path, const QString& title) {
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

void TestHelpViewer::missingPageIsExplained() {
    QTemporaryDir folder;
    THelpViewer viewer;
    QVERIFY(!viewer.HelpCommand(folder.filePath("TabbitU.hlp").toStdString(), HELP_CONTENTS, 0));
    QTextBrowser* browser = Browser();
    QVERIFY(browser);
    QVERIFY(browser->window()->isVisible());
    QVERIFY(browser->toPlainText().contains("could not be found"));
    QVERIFY(browser->toPlainText().contains(folder.filePath("help/index.html")));
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
#include "test_helpviewer.moc"
