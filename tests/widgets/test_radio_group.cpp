// SPDX-License-Identifier: MIT
// The radio group: one checked item, chosen by index, click, arrow key or accelerator.

#include "widgets/RadioGroup.h"

#include <QApplication>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

/// A shown, active window with the end-of-line group and, beside it, a radio button of the
/// window itself that the group must leave alone.
struct TGroupWindow {
    QWidget Window;
    TRadioGroup* Group =
        new TRadioGroup("RadioGroupEOL", "end-of-line", {"&CR/LF", "&LF (UNIX)", "&none"}, &Window);
    QRadioButton* Outside = new QRadioButton("outside", &Window);

    TGroupWindow() {
        auto* layout = new QVBoxLayout(&Window);
        layout->addWidget(Group);
        layout->addWidget(Outside);
        Outside->setChecked(true);
        Window.show();
        Window.activateWindow();
        QApplication::setActiveWindow(&Window);
        if (!QTest::qWaitForWindowExposed(&Window)) {
            qFatal("the test window is not shown");
        }
    }
    QRadioButton* Item(int index) const {
        return Window.findChild<QRadioButton*>("RadioGroupEOLItem" + QString::number(index));
    }
};

} // namespace

class TestRadioGroup : public QObject {
    Q_OBJECT

private slots:
    void itemsAreNamedAndCaptioned() {
        TGroupWindow w;
        QCOMPARE(w.Group->objectName(), QString("RadioGroupEOL"));
        QCOMPARE(w.Group->title(), QString("end-of-line"));
        QCOMPARE(w.Group->ItemCount(), 3);
        QCOMPARE(w.Item(1)->text(), QString("&LF (UNIX)"));
        QVERIFY(!w.Item(3));
        QCOMPARE(w.Group->ItemIndex(), -1);
    }

    void itemIndexChecksExactlyOne_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("checked");
        QTest::newRow("first") << 0 << 0;
        QTest::newRow("last") << 2 << 2;
        QTest::newRow("none") << -1 << -1;
        QTest::newRow("past the end is none") << 3 << -1;
    }
    void itemIndexChecksExactlyOne() {
        QFETCH(int, index);
        QFETCH(int, checked);
        TGroupWindow w;
        w.Group->SetItemIndex(1);
        w.Group->SetItemIndex(index);
        QCOMPARE(w.Group->ItemIndex(), checked);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(w.Item(i)->isChecked(), i == checked);
        }
        QVERIFY(w.Outside->isChecked());
    }

    void clickChecksOneAndUnchecksTheOther() {
        TGroupWindow w;
        w.Group->SetItemIndex(0);
        QSignalSpy firstToggled(w.Item(0), &QRadioButton::toggled);
        QTest::mouseClick(w.Item(2), Qt::LeftButton, {}, QPoint(6, w.Item(2)->height() / 2));
        QCOMPARE(w.Group->ItemIndex(), 2);
        QCOMPARE(firstToggled.count(), 1);
        QVERIFY(w.Outside->isChecked());
        // Clicking the checked item keeps it checked.
        QTest::mouseClick(w.Item(2), Qt::LeftButton, {}, QPoint(6, w.Item(2)->height() / 2));
        QCOMPARE(w.Group->ItemIndex(), 2);
    }

    void noneCheckedStillExclusiveAfterwards() {
        TGroupWindow w;
        w.Group->SetItemIndex(0);
        w.Group->SetItemIndex(-1);
        QTest::mouseClick(w.Item(1), Qt::LeftButton, {}, QPoint(6, w.Item(1)->height() / 2));
        QTest::mouseClick(w.Item(2), Qt::LeftButton, {}, QPoint(6, w.Item(2)->height() / 2));
        QCOMPARE(w.Group->ItemIndex(), 2);
        QVERIFY(!w.Item(1)->isChecked());
    }

    void arrowKeysMoveTheCheckAlongTheRow() {
        TGroupWindow w;
        w.Group->SetItemIndex(0);
        w.Item(0)->setFocus(Qt::TabFocusReason);
        const auto press = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
        press(Qt::Key_Right);
        QCOMPARE(w.Group->ItemIndex(), 1);
        QVERIFY(w.Item(1)->hasFocus());
        press(Qt::Key_Right);
        QCOMPARE(w.Group->ItemIndex(), 2);
        // The row has no item past its end, and none above or below.
        press(Qt::Key_Right);
        QCOMPARE(w.Group->ItemIndex(), 2);
        press(Qt::Key_Down);
        QCOMPARE(w.Group->ItemIndex(), 2);
        QVERIFY(w.Item(2)->hasFocus());
        press(Qt::Key_Left);
        press(Qt::Key_Left);
        QCOMPARE(w.Group->ItemIndex(), 0);
        QVERIFY(w.Outside->isChecked());
    }

    void tabEntersAtTheCheckedItem() {
        TGroupWindow w;
        const auto enter = [&] {
            w.Outside->setFocus(Qt::TabFocusReason);
            QTest::keyClick(w.Outside, Qt::Key_Backtab, Qt::ShiftModifier);
        };
        // A selection set by the program, after the focus was in another item.
        w.Item(0)->setFocus(Qt::TabFocusReason);
        w.Group->SetItemIndex(1);
        enter();
        QVERIFY(w.Item(1)->hasFocus());
        w.Group->SetItemIndex(2);
        enter();
        QVERIFY(w.Item(2)->hasFocus());
        // With none checked, Tab still finds the group.
        w.Group->SetItemIndex(-1);
        enter();
        QVERIFY(w.Item(0)->hasFocus());
    }

    void acceleratorChecksItsItem() {
        TGroupWindow w;
        w.Group->SetItemIndex(0);
        QTest::keyClick(&w.Window, Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE(w.Group->ItemIndex(), 2); // an accelerator clicks after a moment
        QVERIFY(w.Item(2)->hasFocus());
    }
};

QTEST_MAIN(TestRadioGroup)
#include "test_radio_group.moc"
