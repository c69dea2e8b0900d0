// SPDX-License-Identifier: MIT
// The memo: its lines, the bytes it cannot show as they are, update brackets, selection and
// copy with the mouse and keys, the read-only text a screen reader gets, and a million lines.

#include "widgets/Memo.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <string>

namespace {

/// A shown window holding one memo named "Memo1".
struct TMemoWindow {
    QWidget Window;

    TMemoWindow() {
        auto* memo = new TMemo(&Window);
        memo->setObjectName("Memo1");
        auto* layout = new QVBoxLayout(&Window);
        layout->addWidget(memo);
        Window.resize(300, 200);
        Window.show();
        Window.activateWindow();
        QApplication::setActiveWindow(&Window);
        if (!QTest::qWaitForWindowExposed(&Window)) {
            qFatal("the test window is not shown");
        }
    }
    TMemo* Memo() const { return Window.findChild<TMemo*>("Memo1"); }
    /// A point in the middle of line (counted from the top visible line) of the viewport.
    QPoint LinePoint(int line) const {
        const int height = Memo()->fontMetrics().lineSpacing();
        return {10, line * height + height / 2};
    }
    void AddLines(std::initializer_list<const char*> lines) const {
        for (const char* line : lines) {
            Memo()->AddLine(line);
        }
    }
};

QAccessibleTextInterface* TextOf(TMemo* memo) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(memo);
    return accessible ? accessible->textInterface() : nullptr;
}

} // namespace

class TestMemo : public QObject {
    Q_OBJECT

private slots:
    void linesKeepEveryByte_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << QByteArray("abc 123") << QString("abc 123");
        QTest::newRow("Latin-1") << QByteArray("\xE4\xF6\xFC\xDF\xFF") << QString("äöüßÿ");
        QTest::newRow("tab stays") << QByteArray("a\tb") << QString("a\tb");
        QTest::newRow("CR LF") << QByteArray("a\r\nb")
                               << QString("a") + QChar(TMemo::CarriageReturnMark) +
                                      QChar(TMemo::LineFeedMark) + "b";
        QTest::newRow("NUL inside")
            << QByteArray("a\0b", 3) << QString("a") + QChar(TMemo::NulMark) + "b";
        QTest::newRow("low controls stay") << QByteArray("\x01\x1F") << QString("\x01\x1F");
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void linesKeepEveryByte() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        TMemoWindow w;
        w.Memo()->AddLine("before");
        w.Memo()->AddLine(std::string_view(bytes.constData(), bytes.size()));
        w.Memo()->AddLine("after");
        // A byte that would break the line never makes a line of its own.
        QCOMPARE(w.Memo()->LineCount(), 3);
        QCOMPARE(w.Memo()->Line(1), shown);
        QCOMPARE(w.Memo()->Text(), "before\n" + shown + "\nafter");
    }

    void clearLinesForgetsLinesAndSelection() {
        TMemoWindow w;
        w.AddLines({"one", "two"});
        w.Memo()->SelectAll();
        w.Memo()->ClearLines();
        QCOMPARE(w.Memo()->LineCount(), 0);
        QCOMPARE(w.Memo()->Text(), QString());
        QCOMPARE(w.Memo()->SelectedText(), QString());
        w.Memo()->SelectAll(); // nothing to select
        QCOMPARE(w.Memo()->SelectedText(), QString());
        w.AddLines({"three"});
        QCOMPARE(w.Memo()->Text(), QString("three"));
        QCOMPARE(w.Memo()->verticalScrollBar()->maximum(), 0);
    }

    void updateBracketsShowLinesOnceAtTheOutermostEnd() {
        TMemoWindow w;
        QScrollBar* vertical = w.Memo()->verticalScrollBar();
        w.Memo()->BeginUpdate();
        w.Memo()->BeginUpdate();
        for (int i = 0; i < 500; ++i) {
            w.Memo()->AddLine(std::to_string(i));
        }
        QCOMPARE(w.Memo()->LineCount(), 500);
        QCOMPARE(vertical->maximum(), 0);
        w.Memo()->EndUpdate();
        QCOMPARE(vertical->maximum(), 0); // still inside the outer bracket
        w.Memo()->EndUpdate();
        const int visible = vertical->pageStep();
        QVERIFY(visible > 0);
        QCOMPARE(vertical->maximum(), 500 - visible);
        // An unmatched end changes nothing, and later lines are shown at once again.
        w.Memo()->EndUpdate();
        w.Memo()->AddLine("500");
        QCOMPARE(vertical->maximum(), 501 - visible);
    }

    void longLinesScrollSideways() {
        TMemoWindow w;
        QScrollBar* horizontal = w.Memo()->horizontalScrollBar();
        w.Memo()->AddLine("short");
        QCOMPARE(horizontal->maximum(), 0);
        w.Memo()->AddLine(std::string(400, 'x'));
        QVERIFY(horizontal->maximum() > 0);
        const int plain = horizontal->maximum();
        // A tab takes the cells up to the next multiple of eight.
        w.Memo()->AddLine("\t\t" + std::string(400, 'x'));
        const int cell = w.Memo()->fontMetrics().horizontalAdvance(u'0');
        QCOMPARE(horizontal->maximum(), plain + 16 * cell);
    }

    void mouseSelectsWholeLinesAndCopyTakesThem() {
        TMemoWindow w;
        w.AddLines({"l0", "l1", "l2", "l3", "l4"});
        QWidget* viewport = w.Memo()->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, w.LinePoint(1));
        QCOMPARE(w.Memo()->SelectedText(), QString("l1"));
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, w.LinePoint(3));
        QCOMPARE(w.Memo()->SelectedText(), QString("l1\nl2\nl3"));
        QTest::keyClick(w.Memo(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("l1\nl2\nl3"));
        // Upwards from the anchor.
        QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, w.LinePoint(0));
        QCOMPARE(w.Memo()->SelectedText(), QString("l0\nl1"));
        // Below the last line is the last line.
        QTest::mouseClick(viewport, Qt::LeftButton, {}, w.LinePoint(9));
        QCOMPARE(w.Memo()->SelectedText(), QString("l4"));
        QTest::keyClick(w.Memo(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(w.Memo()->SelectedText(), QString("l0\nl1\nl2\nl3\nl4"));
    }

    void copyWithoutSelectionKeepsTheClipboard() {
        TMemoWindow w;
        w.AddLines({"line"});
        QApplication::clipboard()->setText("kept");
        QTest::keyClick(w.Memo(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("kept"));
    }

    void keysScroll() {
        TMemoWindow w;
        for (int i = 0; i < 100; ++i) {
            w.Memo()->AddLine(std::to_string(i));
        }
        QScrollBar* vertical = w.Memo()->verticalScrollBar();
        QTest::keyClick(w.Memo(), Qt::Key_Down);
        QCOMPARE(vertical->value(), 1);
        QTest::keyClick(w.Memo(), Qt::Key_PageDown);
        QCOMPARE(vertical->value(), 1 + vertical->pageStep());
        QTest::keyClick(w.Memo(), Qt::Key_End);
        QCOMPARE(vertical->value(), vertical->maximum());
        QTest::mouseClick(w.Memo()->viewport(), Qt::LeftButton, {}, w.LinePoint(0));
        QCOMPARE(w.Memo()->SelectedText(), QString::number(vertical->value()));
        QTest::keyClick(w.Memo(), Qt::Key_Home);
        QCOMPARE(vertical->value(), 0);
    }

    void screenReaderReadsTheLinesAsOneReadOnlyText() {
        TMemoWindow w;
        w.AddLines({"ab", "", "cde"});
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(w.Memo());
        QVERIFY(accessible);
        QVERIFY(accessible->state().readOnly);
        QVERIFY(accessible->state().multiLine);
        QAccessibleTextInterface* text = accessible->textInterface();
        QVERIFY(text);
        // "ab\n\ncde": the line feeds between lines count as characters.
        QCOMPARE(text->characterCount(), 7);
        QCOMPARE(text->text(0, 7), QString("ab\n\ncde"));
        QCOMPARE(text->text(1, 5), QString("b\n\nc"));
        QCOMPARE(text->text(-5, 100), QString("ab\n\ncde"));
        QCOMPARE(text->text(3, 3), QString());

        struct TCase {
            int Offset;
            const char* Line;
            int Start, End;
        };
        const TCase cases[] = {
            {0, "ab\n", 0, 3}, {2, "ab\n", 0, 3}, {3, "\n", 3, 4},
            {4, "cde", 4, 7},  {7, "cde", 4, 7},  {8, "", -1, -1},
        };
        for (const TCase& c : cases) {
            int start = 0;
            int end = 0;
            QCOMPARE(text->textAtOffset(c.Offset, QAccessible::LineBoundary, &start, &end),
                     QString(c.Line));
            QCOMPARE(start, c.Start);
            QCOMPARE(end, c.End);
        }

        QCOMPARE(text->selectionCount(), 0);
        QTest::mouseClick(w.Memo()->viewport(), Qt::LeftButton, {}, w.LinePoint(1));
        QTest::mouseClick(w.Memo()->viewport(), Qt::LeftButton, Qt::ShiftModifier, w.LinePoint(2));
        int start = 0;
        int end = 0;
        text->selection(0, &start, &end);
        QCOMPARE(text->selectionCount(), 1);
        QCOMPARE(start, 3);
        QCOMPARE(end, 7);
        // The text cannot be changed through the screen reader's selection either.
        text->setSelection(0, 0, 1);
        text->selection(0, &start, &end);
        QCOMPARE(start, 3);
    }

    void screenReaderPointsAtCharacters() {
        TMemoWindow w;
        w.AddLines({"abc", "de"});
        QAccessibleTextInterface* text = TextOf(w.Memo());
        QVERIFY(text);
        const QRect d = text->characterRect(4);
        QVERIFY(d.isValid());
        QCOMPARE(text->offsetAtPoint(d.center()), 4);
        const QRect a = text->characterRect(0);
        QVERIFY(a.top() < d.top());
        QCOMPARE(text->offsetAtPoint(a.center()), 0);
        QVERIFY(text->characterRect(6).isNull());
    }

    void aMillionLines() {
        TMemoWindow w;
        constexpr int Count = 1000000;
        w.Memo()->BeginUpdate();
        for (int i = 0; i < Count; ++i) {
            w.Memo()->AddLine("record " + std::to_string(i));
        }
        w.Memo()->EndUpdate();
        QCOMPARE(w.Memo()->LineCount(), Count);
        QCOMPARE(w.Memo()->Line(0), QString("record 0"));
        QCOMPARE(w.Memo()->Line(Count - 1), QString("record 999999"));
        QScrollBar* vertical = w.Memo()->verticalScrollBar();
        QCOMPARE(vertical->maximum(), Count - vertical->pageStep());

        // The screen reader gets single lines out of the whole, wherever they lie.
        QAccessibleTextInterface* text = TextOf(w.Memo());
        QVERIFY(text);
        for (int line : {1, 4711, 500000, Count - 1}) {
            const int offset = w.Memo()->LineOffset(line);
            QCOMPARE(w.Memo()->LineOfOffset(offset), line);
            QCOMPARE(w.Memo()->LineOfOffset(offset - 1), line - 1); // the line feed before it
            int start = 0;
            int end = 0;
            const QString expected = "record " + QString::number(line);
            const QString got =
                text->textAtOffset(offset + 2, QAccessible::LineBoundary, &start, &end);
            QCOMPARE(got, line == Count - 1 ? expected : expected + '\n');
            QCOMPARE(start, offset);
        }
        QCOMPARE(text->characterCount(), w.Memo()->LineOffset(Count - 1) + 13);

        // Jumping to the end shows the last lines.
        QTest::keyClick(w.Memo(), Qt::Key_End);
        QTest::mouseClick(w.Memo()->viewport(), Qt::LeftButton, {},
                          w.LinePoint(vertical->pageStep() - 1));
        QCOMPARE(w.Memo()->SelectedText(), QString("record 999999"));
        QVERIFY(!w.Memo()->viewport()->grab().isNull());
    }
};

QTEST_MAIN(TestMemo)
#include "test_memo.moc"
