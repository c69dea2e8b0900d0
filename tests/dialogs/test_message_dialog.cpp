// SPDX-License-Identifier: MIT
// The message dialog: its layout, its buttons and keys answered through the real widgets, and
// the placement of forms over the active window.

#include "dialogs/MessageDialog.h"
#include "platform/HelpViewer.h"
#include "tests/support/DesktopFont.h"
#include "widgets/ApplicationTitle.h"
#include "widgets/Modal.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <functional>

namespace {

/// Shows the dialog a call opens, lets answer work on it in the shown, active window and
/// returns the call's result.
int Answer(const std::function<void(QDialog&)>& answer, const std::function<int()>& call) {
    TScopedModalHook hook([&](QDialog& dialog) {
        dialog.activateWindow();
        QApplication::setActiveWindow(&dialog);
        if (QTest::qWaitForWindowExposed(&dialog)) {
            answer(dialog);
        }
    });
    return call();
}

QPushButton* Button(QDialog& d, const char* name) {
    return d.findChild<QPushButton*>(name);
}

/// The button names from left to right.
QStringList ButtonOrder(QDialog& d) {
    QList<QPushButton*> buttons = d.findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(),
              [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    QStringList names;
    for (QPushButton* b : buttons) {
        names << b->objectName();
    }
    return names;
}

class TRecordingViewer : public THelpViewer {
public:
    bool HelpCommand(const std::string&, THelpCommand command, unsigned long data) override {
        Commands.push_back({command, data});
        return true;
    }
    std::vector<std::pair<THelpCommand, unsigned long>> Commands;
};

} // namespace

class TestMessageDialog : public QObject {
    Q_OBJECT

private slots:
    void confirmYesNo_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("result");
        QTest::newRow("Enter answers No") << "enter" << int(mrNo);
        QTest::newRow("Escape answers No") << "escape" << int(mrNo);
        QTest::newRow("Yes clicked") << "click Yes" << int(mrYes);
        QTest::newRow("Yes by its accelerator") << "alt+y" << int(mrYes);
        QTest::newRow("close box") << "close" << int(mrCancel);
    }
    void confirmYesNo() {
        QFETCH(QString, action);
        QFETCH(int, result);
        const int answer = Answer(
            [&](QDialog& d) {
                QCOMPARE(d.windowTitle(), QString("Confirmation"));
                QVERIFY(d.findChild<QLabel*>("Image_Vx1"));
                QCOMPARE(ButtonOrder(d), QStringList({"Yes", "No"}));
                QCOMPARE(Button(d, "Yes")->text(), QString("&Yes"));
                QCOMPARE(Button(d, "No")->text(), QString("&No"));
                QVERIFY(Button(d, "No")->isDefault());
                QVERIFY(Button(d, "No")->hasFocus());
                if (action == "enter") {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                } else if (action == "escape") {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                } else if (action == "click Yes") {
                    QTest::mouseClick(Button(d, "Yes"), Qt::LeftButton);
                } else if (action == "alt+y") {
                    QTest::keyClick(&d, Qt::Key_Y, Qt::AltModifier);
                } else {
                    d.close();
                }
                QTRY_VERIFY(!d.isVisible()); // an accelerator clicks after a moment
            },
            [] { return ConfirmYesNo("Really delete all field definitions?"); });
        QCOMPARE(answer, result);
    }

    void layoutOfAOneLineMessage() {
        std::unique_ptr<TMessageForm> form(
            CreateMessageDialogEx("Short.", dkWarning, {dbOK}, dbOK, true, 0));
        const QFontMetrics fm(form->font());
        const int cx =
            fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52;
        const int cy = fm.height();
        const auto horz = [cx](int n) { return (n * cx + 2) / 4; };
        const auto vert = [cy](int n) { return (n * cy + 4) / 8; };
        auto* image = form->findChild<QLabel*>("Image_Vx1");
        auto* message = form->findChild<QLabel*>("Message");
        QCOMPARE(image->geometry(), QRect(horz(8), vert(8), 32, 32));
        QCOMPARE(image->pixmap().size(), QSize(32, 32));
        QCOMPARE(message->x(), horz(8) + 32 + horz(10));
        QCOMPARE(message->height(), cy);
        // The text area is as high as the icon, not as the line.
        QCOMPARE(form->height(), 32 + vert(14) + vert(10) + 2 * vert(8));
        QPushButton* ok = Button(*form, "OK");
        QCOMPARE(ok->geometry(), QRect((form->width() - horz(50)) / 2, 32 + vert(8) + vert(10),
                                       horz(50), vert(14)));
        QCOMPARE(form->minimumSize(), form->maximumSize());
    }

    void screenReaderHearsCaptionAndMessage() {
        std::unique_ptr<TMessageForm> form(CreateMessageDialogEx(
            "Really delete all field definitions?", dkConfirmation, {dbYes, dbNo}, dbNo, true, 0));
        QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(form.get());
        QVERIFY(dialog);
        QCOMPARE(dialog->role(), QAccessible::Dialog);
        QCOMPARE(dialog->text(QAccessible::Name), QString("Confirmation"));
        QCOMPARE(dialog->text(QAccessible::Description),
                 QString("Really delete all field definitions?"));
        QAccessibleInterface* message =
            QAccessible::queryAccessibleInterface(form->findChild<QLabel*>("Message"));
        QCOMPARE(message->text(QAccessible::Name), QString("Really delete all field definitions?"));
        QAccessibleInterface* icon =
            QAccessible::queryAccessibleInterface(form->findChild<QLabel*>("Image_Vx1"));
        QCOMPARE(icon->text(QAccessible::Name), QString("Confirmation"));
        QCOMPARE(
            QAccessible::queryAccessibleInterface(Button(*form, "Yes"))->text(QAccessible::Name),
            QString("Yes"));
    }

    void captionsFitAtDesktopFonts_data() { AddDesktopFontRows(); }
    void captionsFitAtDesktopFonts() {
        QFETCH(int, points);
        const TDesktopFont desktop(points);
        std::unique_ptr<TMessageForm> form(
            CreateMessageDialogEx("Really delete all field definitions?", dkConfirmation,
                                  {dbYes, dbNo, dbNoToAll, dbYesToAll}, dbNo, true, 0));
        auto* message = form->findChild<QLabel*>("Message");
        QVERIFY(message->width() >= message->sizeHint().width());
        QVERIFY(message->height() >= message->heightForWidth(message->width()));
        for (QPushButton* button : form->findChildren<QPushButton*>()) {
            QVERIFY2(CaptionWidth(*button) <= button->width(), qPrintable(button->text()));
            QVERIFY2(button->fontMetrics().height() <= button->height(),
                     qPrintable(button->text()));
        }
    }

    void longMessageWrapsAtHalfTheScreen() {
        std::string words;
        for (int i = 0; i < 60; ++i) {
            words += "word" + std::to_string(i) + ' ';
        }
        std::unique_ptr<TMessageForm> form(
            CreateMessageDialogEx(words, dkInformation, {dbOK}, dbOK, true, 0));
        auto* message = form->findChild<QLabel*>("Message");
        const int half = QGuiApplication::primaryScreen()->geometry().width() / 2;
        QVERIFY(message->width() <= half);
        QVERIFY(message->height() >= 3 * form->fontMetrics().height());
        QVERIFY(message->wordWrap());
        // Everything measured fits the label, so nothing is clipped.
        QVERIFY(message->heightForWidth(message->width()) <= message->height());
        QVERIFY(message->geometry().bottom() < Button(*form, "OK")->y());
    }

    void kinds_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("icon");
        QTest::newRow("warning") << int(dkWarning) << "Warning" << true;
        QTest::newRow("error") << int(dkError) << "Error" << true;
        QTest::newRow("information") << int(dkInformation) << "Information" << true;
        QTest::newRow("confirmation") << int(dkConfirmation) << "Confirmation" << true;
        QTest::newRow("custom never has an icon")
            << int(dkCustom) << "test_message_dialog" << false;
    }
    void kinds() {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QFETCH(bool, icon);
        std::unique_ptr<TMessageForm> form(
            CreateMessageDialogEx("m", static_cast<TDialogKind>(kind), {dbOK}, dbOK, true, 0));
        QCOMPARE(form->windowTitle(), caption);
        QCOMPARE(form->findChild<QLabel*>("Image_Vx1") != nullptr, icon);
    }

    void allButtonsInTableOrder() {
        const TDialogButtons all{dbHelp,  dbYesToAll, dbNoToAll, dbAll, dbIgnore, dbRetry,
                                 dbAbort, dbCancel,   dbOK,      dbNo,  dbYes};
        std::unique_ptr<TMessageForm> form(
            CreateMessageDialogEx("m", dkCustom, all, dbYes, false, 0));
        QCOMPARE(ButtonOrder(*form), QStringList({"Yes", "No", "OK", "Cancel", "Abort", "Retry",
                                                  "Ignore", "All", "NoToAll", "YesToAll", "Help"}));
        QCOMPARE(Button(*form, "NoToAll")->text(), QString("N&o to All"));
        QCOMPARE(Button(*form, "Retry")->property("modalResult").toInt(), int(mrRetry));
        QCOMPARE(Button(*form, "Help")->property("modalResult").toInt(), int(mrNone));
    }

    void escape_data() {
        QTest::addColumn<QString>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("result"); // -1: Escape leaves the dialog open
        QTest::newRow("OK alone answers Escape") << "OK" << int(dbAll) << int(mrOk);
        QTest::newRow("OK with Cancel: none") << "OK Cancel" << int(dbAll) << -1;
        QTest::newRow("the default answers Escape") << "Yes No" << int(dbYes) << int(mrYes);
        QTest::newRow("no buttons: only the close box") << "" << int(dbOK) << -1;
    }
    void escape() {
        QFETCH(QString, buttons);
        QFETCH(int, defaultButton);
        QFETCH(int, result);
        const TDialogButtons set = buttons == "OK"          ? TDialogButtons{dbOK}
                                   : buttons == "OK Cancel" ? TDialogButtons{dbOK, dbCancel}
                                   : buttons == "Yes No"    ? TDialogButtons{dbYes, dbNo}
                                                            : TDialogButtons{};
        {
            // Only a default button that is present is made the default; once shown, Qt's
            // focused push button answers Enter as well.
            std::unique_ptr<TMessageForm> form(CreateMessageDialogEx(
                "m", dkWarning, set, static_cast<TDialogButton>(defaultButton), true, 0));
            for (QPushButton* b : form->findChildren<QPushButton*>()) {
                QCOMPARE(b->isDefault(), b->objectName() == "Yes" && defaultButton == dbYes);
            }
        }
        bool open = false;
        const int answer = Answer(
            [&](QDialog& d) {
                QTest::keyClick(&d, Qt::Key_Escape);
                open = d.isVisible();
                d.close();
            },
            [&] {
                return MessageDialogEx("m", dkWarning, set,
                                       static_cast<TDialogButton>(defaultButton), true, 0, 0);
            });
        QCOMPARE(open, result < 0);
        QCOMPARE(answer, result < 0 ? int(mrCancel) : result);
    }

    void helpButtonShowsTheTopicAndStays() {
        TRecordingViewer viewer;
        THelpViewer* previous = SetHelpViewer(&viewer);
        const int result = Answer(
            [](QDialog& d) {
                QTest::mouseClick(Button(d, "Help"), Qt::LeftButton);
                QVERIFY(d.isVisible());
                QTest::mouseClick(Button(d, "OK"), Qt::LeftButton);
            },
            [] {
                return MessageDialogEx("m", dkError, {dbOK, dbHelp}, dbOK, true, 0, 4711);
            });
        SetHelpViewer(previous);
        QCOMPARE(result, int(mrOk));
        QCOMPARE(viewer.Commands.size(), std::size_t(1));
        QCOMPARE(viewer.Commands[0].first, HELP_CONTEXT);
        QCOMPARE(viewer.Commands[0].second, 4711ul);
    }

    void fontHeightScalesTheLayout() {
        std::unique_ptr<TMessageForm> small(
            CreateMessageDialogEx("m", dkCustom, {dbOK}, dbOK, false, 10));
        std::unique_ptr<TMessageForm> large(
            CreateMessageDialogEx("m", dkCustom, {dbOK}, dbOK, false, 30));
        QVERIFY(Button(*large, "OK")->width() > Button(*small, "OK")->width());
        QVERIFY(Button(*large, "OK")->height() > Button(*small, "OK")->height());
    }

    void placement_data() {
        QTest::addColumn<QRect>("active"); // empty: no active window
        QTest::addColumn<QString>("rule");
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QTest::newRow("over the active window") << QRect(100, 100, 401, 301) << "over";
        QTest::newRow("negative: the window's edge") << QRect(-100, -60, 100, 100) << "edge";
        QTest::newRow("off the screen: its centre")
            << QRect(screen.width() - 150, 100, 100, 100) << "screen";
        QTest::newRow("no active window") << QRect() << "screen";
    }
    void placement() {
        QFETCH(QRect, active);
        QFETCH(QString, rule);
        QWidget window;
        if (!active.isEmpty()) {
            window.setGeometry(active);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.move(active.topLeft());
            QApplication::setActiveWindow(&window);
        } else {
            QApplication::setActiveWindow(nullptr);
        }
        QWidget form;
        form.resize(200, 100);
        CenterOverActiveForm(&form);
        const QRect a = window.frameGeometry();
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QPoint expected =
            rule == "over"   ? QPoint(a.x() + a.width() / 2 - 100, a.y() + a.height() / 2 - 50)
            : rule == "edge" ? a.topLeft()
                             : QPoint((screen.width() - 200) / 2, (screen.height() - 100) / 2);
        QCOMPARE(form.pos(), expected);
    }
};

QTEST_MAIN(TestMessageDialog)
#include "test_message_dialog.moc"
