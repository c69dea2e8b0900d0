// SPDX-License-Identifier: MIT
// The Latin-1 validator on a real edit: what the user types or pastes reaches the text only
// when every character of it has an 8-bit code.

#include "widgets/Latin1Validator.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

/// A shown, active window with one edit named "EditCharset" that has the validator.
struct TEditWindow {
    QWidget Window;

    TEditWindow() {
        auto* edit = new QLineEdit(&Window);
        edit->setObjectName("EditCharset");
        edit->setValidator(new TLatin1Validator(edit));
        (new QVBoxLayout(&Window))->addWidget(edit);
        Window.show();
        Window.activateWindow();
        QApplication::setActiveWindow(&Window);
        if (!QTest::qWaitForWindowExposed(&Window)) {
            qFatal("the test window is not shown");
        }
        edit->setFocus();
    }
    QLineEdit* Edit() const { return Window.findChild<QLineEdit*>("EditCharset"); }
};

/// Types text into widget one character at a time, as a keyboard with those keys would;
/// QTest::keyClicks knows ASCII only.
void Type(QWidget* widget, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.mid(i, length),
                            Qt::NoModifier);
        i += length - 1;
    }
}

} // namespace

class TestLatin1Validator : public QObject {
    Q_OBJECT

private slots:
    void typedCharacters_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::newRow("ASCII") << "abc 123"
                               << "abc 123";
        QTest::newRow("umlauts") << "äöüÄÖÜß"
                                 << "äöüÄÖÜß";
        QTest::newRow("highest code") << QString(QChar(0xFF)) << QString(QChar(0xFF));
        QTest::newRow("just past it") << QString(QChar(0x100)) << "";
        QTest::newRow("euro sign refused, rest kept") << "a€b"
                                                      << "ab";
        QTest::newRow("Cyrillic") << "xЖy"
                                  << "xy";
        QTest::newRow("non-breaking space") << QString(QChar(0xA0)) << QString(QChar(0xA0));
        QTest::newRow("emoji") << QString::fromUtf8("a\xF0\x9F\x98\x80"
                                                    "b")
                               << "ab";
    }
    void typedCharacters() {
        QFETCH(QString, typed);
        QFETCH(QString, text);
        TEditWindow w;
        Type(w.Edit(), typed);
        QCOMPARE(w.Edit()->text(), text);
    }

    void pasteOutsideLatin1IsRefusedWhole() {
        TEditWindow w;
        QTest::keyClicks(w.Edit(), "kept");
        QSignalSpy edited(w.Edit(), &QLineEdit::textEdited);
        QApplication::clipboard()->setText("ab€cd");
        QTest::keyClick(w.Edit(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.Edit()->text(), QString("kept"));
        QCOMPARE(edited.count(), 0);
        QApplication::clipboard()->setText("äß");
        QTest::keyClick(w.Edit(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.Edit()->text(), QString("keptäß"));
        QCOMPARE(edited.count(), 1);
    }

    void composedInputIsCheckedLikeTypedInput() {
        TEditWindow w;
        for (const QString& commit : {QString("ä"), QString("漢字"), QString("ß")}) {
            QInputMethodEvent event;
            event.setCommitString(commit);
            QApplication::sendEvent(w.Edit(), &event);
        }
        QCOMPARE(w.Edit()->text(), QString("äß"));
    }

    void charactersBeyondTheBasicPlaneAreRefused() {
        TEditWindow w;
        // One character made of two UTF-16 units, neither of which may slip through alone.
        QApplication::clipboard()->setText(QString::fromUtf8("a\xF0\x9F\x98\x80"));
        QTest::keyClick(w.Edit(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.Edit()->text(), QString());
        TLatin1Validator validator;
        QString input = QString::fromUtf8("\xF0\x9F\x98\x80");
        int position = 0;
        QCOMPARE(validator.validate(input, position), QValidator::Invalid);
        input.clear();
        QCOMPARE(validator.validate(input, position), QValidator::Acceptable);
    }
};

QTEST_MAIN(TestLatin1Validator)
#include "test_latin1_validator.moc"
