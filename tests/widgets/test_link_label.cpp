// SPDX-License-Identifier: MIT
// The link label: its look, URL following the caption, and the route a click takes to the
// shell, observed through a recording shell so that nothing is opened.

#include "platform/Shell.h"
#include "widgets/LinkLabel.h"

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>
#include <string>
#include <vector>

namespace {

/// Records every call and answers with Result; ProgramForExtension names Browser.
class TRecordingShell : public TShell {
public:
    int ShellExecuteOpen(const std::string& url) override {
        Calls.push_back("open " + url);
        return Result;
    }
    std::string ProgramForExtension(const std::string& ext) override {
        Calls.push_back("program " + ext);
        return Browser;
    }
    int WinExec(const std::string& cmdLine) override {
        Calls.push_back("exec " + cmdLine);
        return Result;
    }
    std::vector<std::string> Calls;
    std::string Browser;
    int Result = ShellSuccess;
};

const QColor Blue(0, 0, 255);
const QColor Purple(128, 0, 128);

QColor FontColour(const QLabel& label) {
    return label.palette().color(QPalette::WindowText);
}

QStringList Calls(const TRecordingShell& shell) {
    QStringList calls;
    for (const std::string& c : shell.Calls) {
        calls << QString::fromStdString(c);
    }
    return calls;
}

} // namespace

class TestLinkLabel : public QObject {
    Q_OBJECT

    TRecordingShell FShell;
    TShell* FPrevious = nullptr;

private slots:
    void init() {
        FShell = TRecordingShell();
        FPrevious = SetShell(&FShell);
    }
    void cleanup() { SetShell(FPrevious); }

    void looksLikeALink() {
        TVxLbl label;
        QCOMPARE(FontColour(label), Blue);
        QVERIFY(label.font().underline());
        QCOMPARE(label.FontColorVisited(), Purple);
        QVERIFY(label.property("autoSize").toBool());
        QCOMPARE(label.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(label.cursor().hotSpot(), QPoint(10, 1));
        const QImage hand = label.cursor().pixmap().toImage();
        QCOMPARE(hand.size(), QSize(32, 32));
        QCOMPARE(qAlpha(hand.pixel(10, 0)), 0); // above the finger tip: transparent
        QCOMPARE(qAlpha(hand.pixel(10, 1)), 255);
    }

    void urlFollowsTheCaption_data() {
        QTest::addColumn<QString>("url"); // set after the first caption "old"
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty URL follows") << ""
                                           << "new"
                                           << "new";
        QTest::newRow("blank URL follows") << " \t"
                                           << "new"
                                           << "new";
        QTest::newRow("URL equal to the caption follows") << " old "
                                                          << "new"
                                                          << "new";
        QTest::newRow("URL of its own stays") << "http://x.org"
                                              << "new"
                                              << "http://x.org";
        QTest::newRow("same caption changes nothing") << ""
                                                      << "old"
                                                      << "";
        QTest::newRow("case counts") << "OLD"
                                     << "new"
                                     << "OLD";
    }
    void urlFollowsTheCaption() {
        QFETCH(QString, url);
        QFETCH(QString, caption);
        QFETCH(QString, expected);
        for (bool throughQLabel : {false, true}) {
            TVxLbl label;
            label.SetCaption("old");
            QCOMPARE(label.URL(), std::string("old"));
            label.SetURL(url.toStdString());
            if (throughQLabel) {
                static_cast<QLabel&>(label).setText(caption);
            } else {
                label.SetCaption(caption.toStdString());
            }
            QCOMPARE(QString::fromStdString(label.URL()), expected);
        }
    }

    void route_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("browser");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("web link") << "www.x.org"
                                  << "/OPT/NETSCAPE.EXE" << QStringList{"open www.x.org"};
        QTest::newRow("handed over untrimmed") << " http://x.org "
                                               << "" << QStringList{"open  http://x.org "};
        QTest::newRow("mail through the shell")
            << "mailto:a@x.org"
            << "/USR/BIN/FIREFOX" << QStringList{"program .htm", "open mailto:a@x.org"};
        QTest::newRow("mail with that browser")
            << "MailTo:a@x.org?subject=tabbit"
            << "/OPT/NETSCAPE.EXE"
            << QStringList{"program .htm", "exec /OPT/NETSCAPE.EXE MailTo:a@x.org?subject=tabbit"};
        QTest::newRow("browser in another folder name")
            << "mailto:a@x.org"
            << "/NETSCAPE.EXE/BIN/FIREFOX" << QStringList{"program .htm", "open mailto:a@x.org"};
        QTest::newRow("blank URL opens nothing") << " \r\n"
                                                 << "" << QStringList{};
    }
    void route() {
        QFETCH(QString, url);
        QFETCH(QString, browser);
        QFETCH(QStringList, calls);
        FShell.Browser = browser.toStdString();
        TVxLbl label;
        label.SetURL(url.toStdString());
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QTest::mouseClick(&label, Qt::LeftButton);
        QCOMPARE(Calls(FShell), calls);
        QCOMPARE(FontColour(label), calls.isEmpty() ? Blue : Purple);
    }

    void successRule() {
        TVxLbl label;
        FShell.Result = 32; // the highest failure code
        QVERIFY(!label.OpenURL("http://x.org"));
        QCOMPARE(FontColour(label), Blue);
        FShell.Result = 33;
        label.SetFontColorVisited(Qt::darkGreen);
        QVERIFY(label.OpenURL("http://x.org"));
        QCOMPARE(FontColour(label), QColor(Qt::darkGreen));
        FShell.Result = 0; // a later failure keeps the visited colour
        QVERIFY(!label.OpenURL("http://x.org"));
        QCOMPARE(FontColour(label), QColor(Qt::darkGreen));
        QVERIFY(label.OpenURL("  "));
    }

    void clickHandlerWinsOverOpening() {
        TVxLbl label;
        label.SetURL("http://x.org");
        int clicks = 0;
        label.SetOnClick([&](TVxLbl* sender) {
            QCOMPARE(sender, &label);
            ++clicks;
        });
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QTest::mouseClick(&label, Qt::LeftButton);
        QCOMPARE(clicks, 1);
        // Released outside the label: no click.
        QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(1, 1));
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(-5, -5));
        QCOMPARE(clicks, 1);
        QVERIFY(FShell.Calls.empty());
    }

    void hoverFiresEventsOnly() {
        QWidget window;
        auto* label = new TVxLbl(&window);
        label->SetCaption("link");
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(label);
        layout->addSpacing(100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QStringList events;
        label->SetOnMouseEnter([&](TVxLbl*) { events << "enter"; });
        label->SetOnMouseLeave([&](TVxLbl*) { events << "leave"; });
        QTest::mouseMove(&window, QPoint(window.width() / 2, window.height() - 5));
        QTest::mouseMove(label, QPoint(2, 2));
        QTest::mouseMove(&window, QPoint(window.width() / 2, window.height() - 5));
        QTRY_COMPARE(events, QStringList({"enter", "leave"}));
        QCOMPARE(FontColour(*label), Blue);
    }
};

QTEST_MAIN(TestLinkLabel)
#include "test_link_label.moc"
