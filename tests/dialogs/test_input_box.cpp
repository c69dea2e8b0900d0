// SPDX-License-Identifier: MIT
// The text-input box, answered by typing into its edit and pressing its buttons.

#include "dialogs/InputBox.h"
#include "widgets/Modal.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

namespace {

/// Types text character by character, also characters QTest has no key for.
void Type(QWidget* widget, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

std::string Answer(const std::string& initial,
                   const std::function<void(QDialog&, QLineEdit*)>& answer) {
    TScopedModalHook hook([&](QDialog& d) {
        d.activateWindow();
        QApplication::setActiveWindow(&d);
        if (QTest::qWaitForWindowExposed(&d))
            answer(d, d.findChild<QLineEdit*>("Edit"));
    });
    return InputBox("Save definition", "Name:", initial);
}

} // namespace

class TestVxInputBox : public QObject {
    Q_OBJECT

private slots:
    void answers_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QByteArray>("result");
        QTest::newRow("OK returns the edited text") << "OK" << QByteArray("Gr\xFC\xDF");
        QTest::newRow("Enter as OK") << "enter" << QByteArray("Gr\xFC\xDF");
        QTest::newRow("Cancel returns the initial text") << "Cancel" << QByteArray("old");
        QTest::newRow("Escape as Cancel") << "escape" << QByteArray("old");
    }
    void answers() {
        QFETCH(QString, action);
        QFETCH(QByteArray, result);
        const std::string answer = Answer("old", [&](QDialog& d, QLineEdit* edit) {
            QCOMPARE(d.objectName(), QString("InputBox"));
            QCOMPARE(d.windowTitle(), QString("Save definition"));
            QCOMPARE(d.findChild<QLabel*>()->text(), QString("Name:"));
            // A screen reader hears the prompt as the name of the edit line.
            QCOMPARE(QAccessible::queryAccessibleInterface(edit)->text(QAccessible::Name),
                     QString("Name:"));
            QCOMPARE(QAccessible::queryAccessibleInterface(&d)->text(QAccessible::Description),
                     QString("Name:"));
            QCOMPARE(edit->selectedText(), QString("old"));
            Type(edit, QString::fromLatin1("Gr\xFC\xDF"));
            if (action == "enter")
                QTest::keyClick(edit, Qt::Key_Return);
            else if (action == "escape")
                QTest::keyClick(edit, Qt::Key_Escape);
            else
                QTest::mouseClick(d.findChild<QPushButton*>(action), Qt::LeftButton);
        });
        QCOMPARE(QByteArray::fromStdString(answer), result);
    }

    void onlyLatin1AndAtMost255Characters() {
        const std::string answer = Answer("", [](QDialog& d, QLineEdit* edit) {
            Type(edit, QString("a\u20ACb")); // the euro sign is refused
            QCOMPARE(edit->text(), QString("ab"));
            QApplication::clipboard()->setText(QString("x\u0416y"));
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(edit->text(), QString("ab"));
            QTest::keyClicks(edit, QString(300, 'c'));
            QCOMPARE(edit->text().size(), 255);
            QTest::mouseClick(d.findChild<QPushButton*>("OK"), Qt::LeftButton);
        });
        QCOMPARE(answer, "ab" + std::string(253, 'c'));
    }

    void refusedCharactersAreNamedAndTheTextIsKept_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QString>("message");
        QTest::newRow("pasted") << "paste" << QString("\u20ACuro")
                                << "The text \"Gr\u20ACuro\" holds a character that cannot be "
                                   "saved: \u20AC (U+20AC)";
        QTest::newRow("typed") << "type" << QString("\u20AC")
                               << "The text \"Gr\u20AC\" holds a character that cannot be "
                                  "saved: \u20AC (U+20AC)";
        QTest::newRow("beyond the basic plane")
            << "paste" << QString::fromUtf8("a\xF0\x9F\x98\x80")
            << QString::fromUtf8("The text \"Gra\xF0\x9F\x98\x80\" holds a character that "
                                 "cannot be saved: \xF0\x9F\x98\x80 (U+1F600)");
    }
    void refusedCharactersAreNamedAndTheTextIsKept() {
        QFETCH(QString, how);
        QFETCH(QString, refused);
        QFETCH(QString, message);
        const std::string answer = Answer("", [&](QDialog& d, QLineEdit* edit) {
            auto* refusal = d.findChild<QLabel*>("Refusal");
            QVERIFY(refusal);
            QVERIFY(refusal->text().isEmpty());
            QTest::keyClicks(edit, "Gr");
            if (how == "paste") {
                QApplication::clipboard()->setText(refused);
                QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            } else {
                Type(edit, refused);
            }
            QCOMPARE(edit->text(), QString("Gr"));
            QCOMPARE(refusal->text(), message);
            QVERIFY(refusal->isVisible());
            QCOMPARE(QAccessible::queryAccessibleInterface(refusal)->text(QAccessible::Name),
                     message);
            // The user corrects the text; the message goes with the next edit.
            Type(edit, QString::fromLatin1("\xFC\xDF"));
            QVERIFY(refusal->text().isEmpty());
            QTest::mouseClick(d.findChild<QPushButton*>("OK"), Qt::LeftButton);
        });
        QCOMPARE(answer, "Gr\xFC\xDF");
    }

    void aLongRefusedTextIsQuotedShortened() {
        const std::string answer = Answer("", [](QDialog& d, QLineEdit* edit) {
            QApplication::clipboard()->setText(QString(200, 'x') + QChar(0x20AC));
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            const QString shown = d.findChild<QLabel*>("Refusal")->text();
            QVERIFY2(shown.size() < 120, qPrintable(shown));
            QVERIFY2(shown.endsWith(QString(QChar(0x20AC)) + " (U+20AC)"), qPrintable(shown));
            QTest::mouseClick(d.findChild<QPushButton*>("Cancel"), Qt::LeftButton);
        });
        QCOMPARE(answer, "");
    }

    void longInitialTextStaysWhole() {
        const std::string initial(300, 'i');
        const std::string answer = Answer(initial, [](QDialog& d, QLineEdit*) {
            QTest::mouseClick(d.findChild<QPushButton*>("OK"), Qt::LeftButton);
        });
        QCOMPARE(answer, initial);
    }
};

QTEST_MAIN(TestVxInputBox)
#include "test_input_box.moc"
