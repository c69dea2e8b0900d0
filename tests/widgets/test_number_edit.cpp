// SPDX-License-Identifier: MIT
// The numeric edit, driven through real keys, mouse clicks and focus changes in a shown window.

#include "engine/Dates.h"
#include "engine/Exceptions.h"
#include "widgets/Modal.h"
#include "widgets/ModalResult.h"
#include "widgets/NumberEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

/// A shown, active window with a record-count edit and the controls the focus can go to.
struct TEditWindow {
    QWidget Window;
    TVxNumEdit* Edit = new TVxNumEdit(&Window);
    QLineEdit* Other = new QLineEdit(&Window);
    QPushButton* Ok = new QPushButton("OK", &Window);
    QPushButton* Cancel = new QPushButton("Cancel", &Window);
    QPushButton* Plain = new QPushButton("Plain", &Window);

    TEditWindow() {
        Edit->setObjectName("Edit");
        Ok->setProperty("modalResult", static_cast<int>(mrOk));
        Cancel->setProperty("modalResult", static_cast<int>(mrCancel));
        auto* layout = new QVBoxLayout(&Window);
        for (QWidget* w :
             {static_cast<QWidget*>(Edit), static_cast<QWidget*>(Other), static_cast<QWidget*>(Ok),
              static_cast<QWidget*>(Cancel), static_cast<QWidget*>(Plain)}) {
            layout->addWidget(w);
        }
        // The main window's record count.
        Edit->SetDigitsInt(7);
        Edit->SetValue(100);
        Window.show();
        Window.activateWindow();
        QApplication::setActiveWindow(&Window);
        if (!QTest::qWaitForWindowExposed(&Window)) {
            qFatal("the test window is not shown");
        }
        Edit->setFocus(Qt::TabFocusReason);
    }
    void Paste(const QString& text) {
        Edit->selectAll();
        QApplication::clipboard()->setText(text);
        QTest::keyClick(Edit, Qt::Key_V, Qt::ControlModifier);
    }
};

} // namespace

class TestNumberEdit : public QObject {
    Q_OBJECT

private slots:
    void init() { FormatSettings().DecimalSeparator = '.'; }

    void newEditShowsZero() {
        TVxNumEdit edit;
        QCOMPARE(edit.text(), QString("0"));
        QCOMPARE(edit.Value(), 0.0L);
    }

    void keyFilter() {
        struct TCase {
            const char* Name;
            int DigitsInt, DigitsFrac;
            double Min;
            bool Hex;
            const char* Text;
            int SelStart, SelLength; // SelStart -1: cursor at the end
            const char* Typed;
            const char* Expected;
        };
        const TCase cases[] = {
            {"minus refused with Min 0", 8, 0, 0, false, "5", 0, 0, "-", "5"},
            {"separator refused without decimals", 8, 0, 0, false, "1", -1, 0, ".", "1"},
            {"eighth digit refused", 7, 0, 0, false, "", -1, 0, "12345678", "1234567"},
            {"selection is replaced", 7, 0, 0, false, "1234567", 0, 7, "9", "9"},
            {"third decimal refused", 8, 2, 0, false, "1.23", -1, 0, "4", "1.23"},
            {"second separator refused", 8, 2, 0, false, "1.2", 0, 0, ".", "1.2"},
            {"separator in the selection", 8, 2, 0, false, "1.5", 0, 3, ".", "1.5"},
            {"integer digits before decimals", 2, 2, 0, false, "12.5", 0, 0, "3", "12.5"},
            {"minus at the front", 8, 0, -10, false, "5", 0, 0, "-", "-5"},
            {"minus elsewhere refused", 8, 0, -10, false, "5", -1, 0, "-", "5"},
            {"minus only once", 8, 0, -10, false, "-5", 0, 2, "-", "-5"},
            {"minus is no digit", 2, 0, -100, false, "-1", -1, 0, "23", "-12"},
            {"letters and blanks refused", 8, 0, 0, false, "1", -1, 0, "a ,x", "1"},
            {"hex small letter upper-cased", 8, 0, 0, true, "$1", -1, 0, "a", "$1A"},
            {"hex G refused", 8, 0, 0, true, "$1", -1, 0, "g", "$1"},
            {"hex dollar counts", 3, 0, 0, true, "$F", -1, 0, "FF", "$FF"},
        };
        for (const TCase& c : cases) {
            TEditWindow w;
            w.Edit->SetDigitsInt(static_cast<std::uint8_t>(c.DigitsInt));
            w.Edit->SetDigitsFrac(static_cast<std::uint8_t>(c.DigitsFrac));
            w.Edit->SetMin(c.Min);
            w.Edit->SetHex(c.Hex);
            w.Edit->setText(c.Text);
            if (c.SelStart < 0) {
                w.Edit->end(false);
            } else {
                w.Edit->setSelection(c.SelStart, c.SelLength);
            }
            QTest::keyClicks(w.Edit, c.Typed);
            QVERIFY2(w.Edit->text() == c.Expected, c.Name);
        }
    }

    void regionalSeparator() {
        FormatSettings().DecimalSeparator = ',';
        TEditWindow w;
        w.Edit->SetDigitsFrac(2);
        QCOMPARE(w.Edit->text(), QString("100,00"));
        w.Edit->setText("1");
        w.Edit->end(false);
        QTest::keyClicks(w.Edit, ".,5");
        QCOMPARE(w.Edit->text(), QString("1,5"));
    }

    void clipboardKeysAndBackspaceStillWork() {
        TEditWindow w;
        w.Edit->selectAll();
        QTest::keyClick(w.Edit, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("100"));
        QTest::keyClick(w.Edit, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(w.Edit->text(), QString());
        QApplication::clipboard()->setText("12a");
        QTest::keyClick(w.Edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.Edit->text(), QString("12a")); // a paste is not filtered
        QTest::keyClick(w.Edit, Qt::Key_Backspace);
        QCOMPARE(w.Edit->text(), QString("12"));
        // Select all, then a digit replaces the whole text.
        QTest::keyClick(w.Edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w.Edit, "7");
        QCOMPARE(w.Edit->text(), QString("7"));
    }

    void enter() {
        struct TCase {
            const char* Name;
            const char* Pasted;
            const char* Text;
            double Value;
        };
        const TCase cases[] = {
            {"rounded half up, value kept", "12.5", "13", 12.5},
            {"comma reads as separator", "2,5", "3", 2.5},
            {"below Min", "-5", "0", 0},
            {"empty changes nothing", "", "", 100},
            {"letters change nothing", "x1", "x1", 100},
        };
        for (const TCase& c : cases) {
            TEditWindow w;
            w.Paste(c.Pasted);
            QTest::keyClick(w.Edit, Qt::Key_Return);
            QVERIFY2(w.Edit->text() == c.Text, c.Name);
            QVERIFY2(static_cast<double>(w.Edit->Value()) == c.Value, c.Name);
        }
    }

    void leave() {
        struct TCase {
            const char* Name;
            const char* Pasted;
            const char* Text;
            double Value;
            bool FocusBack;
        };
        const TCase cases[] = {
            {"rounded to the shown number", "12.5", "13", 13, false},
            {"empty restores", "", "100", 100, true},
            {"lone minus restores", "-", "100", 100, true},
            {"letters restore", "abc", "100", 100, true},
            {"eight digits: exponent form", "12345678", "1.234568E7", 12345680, false},
            {"just below Max rounds up", "99999995", "1E8", 1e8, false},
            {"above Max becomes Max", "123456789", "1E8", 1e8, false},
            {"dollar switches to hex", "$FF", "$FF", 255, false},
        };
        for (const TCase& c : cases) {
            TEditWindow w;
            w.Paste(c.Pasted);
            w.Other->setFocus(Qt::TabFocusReason);
            QVERIFY2(w.Edit->text() == c.Text, c.Name);
            QVERIFY2(static_cast<double>(w.Edit->Value()) == c.Value, c.Name);
            QVERIFY2(w.Edit->hasFocus() == c.FocusBack, c.Name);
            QVERIFY2(!c.FocusBack || w.Edit->selectedText() == c.Text, c.Name);
        }
    }

    void invalidHexReachesErrorDisplay() {
        TEditWindow w;
        QStringList shown;
        TScopedModalHook hook([&](QDialog& d) {
            shown << d.objectName() + ": " + static_cast<QMessageBox&>(d).text();
        });
        w.Paste("$XY");
        w.Other->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(shown, QStringList{"ErrorMessage: '$XY' is not a valid integer value."});
        QVERIFY(w.Edit->Hex());
        QApplication::setActiveWindow(&w.Window);
        // The next exit restores the number held on entry, now in hexadecimal.
        w.Edit->setFocus(Qt::TabFocusReason);
        w.Other->setFocus(Qt::TabFocusReason);
        QCOMPARE(w.Edit->text(), QString("$64"));
    }

    void clickOnButtonWithUnreadableText_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("focusBack");
        QTest::newRow("OK takes nothing along") << "OK" << true;
        QTest::newRow("Cancel lets go") << "Cancel" << false;
        QTest::newRow("plain button lets go") << "Plain" << false;
    }
    void clickOnButtonWithUnreadableText() {
        QFETCH(QString, button);
        QFETCH(bool, focusBack);
        TEditWindow w;
        QPushButton* target = button == "OK" ? w.Ok : button == "Cancel" ? w.Cancel : w.Plain;
        QSignalSpy clicked(target, &QPushButton::clicked);
        w.Paste("");
        QTest::mouseClick(target, Qt::LeftButton);
        QCOMPARE(w.Edit->hasFocus(), focusBack);
        QCOMPARE(clicked.count(), focusBack ? 0 : 1);
        QCOMPARE(w.Edit->text(), QString("100"));
        // The eaten click does not linger: with a readable number OK goes through.
        w.Edit->setFocus(Qt::TabFocusReason);
        QSignalSpy okClicked(w.Ok, &QPushButton::clicked);
        QTest::mouseClick(w.Ok, Qt::LeftButton);
        QCOMPARE(okClicked.count(), 1);
    }

    void escapeRestoresValueOfEntry() {
        TEditWindow w;
        w.Paste("55");
        QTest::keyClick(w.Edit, Qt::Key_Return);
        QCOMPARE(static_cast<double>(w.Edit->Value()), 55.0);
        QTest::keyClick(w.Edit, Qt::Key_Escape);
        QCOMPARE(w.Edit->text(), QString("100"));
        QCOMPARE(w.Edit->selectedText(), QString("100"));
        QCOMPARE(static_cast<double>(w.Edit->Value()), 100.0);
    }

    void contextMenuIsNoExit() {
        TEditWindow w;
        w.Paste("");
        QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
        QApplication::sendEvent(w.Edit, &popup);
        QCOMPARE(w.Edit->text(), QString()); // not yet checked: the user may paste
    }

    void setters() {
        TVxNumEdit edit;
        edit.SetMax(50);
        edit.SetMin(60); // above Max: refused
        QCOMPARE(static_cast<double>(edit.Min()), 0.0);
        edit.SetValue(70);
        QCOMPARE(edit.text(), QString("50"));
        edit.SetMax(-1); // below Min: refused
        QCOMPARE(static_cast<double>(edit.Max()), 50.0);
        edit.SetDigitsInt(40);
        QCOMPARE(edit.DigitsInt(), std::uint8_t(18));
        edit.SetDigitsFrac(2);
        QCOMPARE(edit.text(), QString("50.00"));
        edit.SetDigitsFrac(0);
        edit.SetHex(true);
        QCOMPARE(edit.DigitsFrac(), std::uint8_t(0));
        QCOMPARE(edit.text(), QString("$32"));
        edit.SetDigitsFrac(3);
        QCOMPARE(edit.DigitsFrac(), std::uint8_t(0));
        edit.SetHex(false);
        QCOMPARE(edit.text(), QString("50"));
    }

    void rendering() {
        struct TCase {
            int DigitsInt, DigitsFrac;
            double Value;
            const char* Text;
        };
        const TCase cases[] = {
            {7, 0, 99999999.9, "1E8"},   // Max of the record count
            {8, 2, 1.005, "1.01"},       // decimal, not binary, rounding
            {8, 2, -0.125, "-0.13"},     // half away from zero
            {8, 3, -1.5, "-1.500"},      // decimals padded
            {8, 0, -0.4, "0"},           // zero is never negative
            {2, 2, 123.45, "123.50"},    // at most DigitsInt + DigitsFrac digits
            {2, 6, 0.00001, "0.000010"}, // read back from the exponent form
            {7, 0, 12345678, "1.234568E7"},
            {8, 2, 9.995, "10.00"},   // a carry through every digit
            {8, 1, 999.96, "1000.0"}, // the carry adds an integer digit
            {8, 0, 0.5, "1"},         // no digit kept, rounded up
            {8, 0, 0.49, "0"},        // no digit kept, rounded down
        };
        for (const TCase& c : cases) {
            TVxNumEdit edit;
            edit.SetMin(-1000);
            edit.SetMax(1e9);
            edit.SetDigitsInt(static_cast<std::uint8_t>(c.DigitsInt));
            edit.SetDigitsFrac(static_cast<std::uint8_t>(c.DigitsFrac));
            edit.SetValue(c.Value);
            QCOMPARE(edit.text(), QString(c.Text));
        }
    }

    void strToFloatAny() {
        const std::pair<const char*, double> valid[] = {
            {"1,5", 1.5}, {"1.5", 1.5}, {" +2 ", 2}, {"-.5E1", -5}};
        const char* invalid[] = {"", "-", "1,000.5", "$10", "1e", "1e99999"};
        for (char separator : {'.', ','}) {
            FormatSettings().DecimalSeparator = separator;
            for (const auto& [text, value] : valid) {
                QCOMPARE(static_cast<double>(TVxNumEdit::StrToFloatAny(text)), value);
            }
            for (const char* text : invalid) {
                QVERIFY_THROWS_EXCEPTION(EConvertError, TVxNumEdit::StrToFloatAny(text));
            }
        }
    }
};

QTEST_MAIN(TestNumberEdit)
#include "test_number_edit.moc"
