// SPDX-License-Identifier: MIT
// The progress gauge: range, position, what it draws and what a screen reader hears.

#include "widgets/Gauge.h"

#include <QAccessible>
#include <QTest>
#include <QVBoxLayout>

namespace {

/// A shown window holding one gauge named "Gauge1".
struct TGaugeWindow {
    QWidget Window;

    TGaugeWindow() {
        auto* gauge = new TGauge(&Window);
        gauge->setObjectName("Gauge1");
        (new QVBoxLayout(&Window))->addWidget(gauge);
        Window.show();
        if (!QTest::qWaitForWindowExposed(&Window)) {
            qFatal("the test window is not shown");
        }
    }
    TGauge* Gauge() const { return Window.findChild<TGauge*>("Gauge1"); }
    /// Lets the refresh interval pass, so that the next position is drawn.
    static void WaitForRefresh() { QTest::qWait(TGauge::RefreshInterval + 10); }
};

QAccessibleValueInterface* ValueOf(TGauge* gauge) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(gauge);
    return accessible ? accessible->valueInterface() : nullptr;
}

} // namespace

class TestGauge : public QObject {
    Q_OBJECT

private slots:
    void newGaugeIsEmpty() {
        TGaugeWindow w;
        QCOMPARE(w.Gauge()->minimum(), 0);
        QCOMPARE(w.Gauge()->maximum(), 100);
        QCOMPARE(w.Gauge()->Position(), 0);
        QCOMPARE(w.Gauge()->value(), 0);
        QCOMPARE(w.Gauge()->text(), QString("0%"));
    }

    void positionsAreDrawnClampedToTheRange_data() {
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("drawn");
        QTest::addColumn<QString>("text");
        QTest::newRow("half") << 200 << 100 << 100 << "50%";
        QTest::newRow("full") << 200 << 200 << 200 << "100%";
        QTest::newRow("past the end") << 200 << 250 << 200 << "100%";
        QTest::newRow("below the start") << 200 << -5 << 0 << "0%";
        QTest::newRow("largest record count") << 9999999 << 5000000 << 5000000 << "50%";
        // A run of no records: an empty bar, not the busy indicator of a 0 to 0 range.
        QTest::newRow("no records") << 0 << 0 << 0 << "0%";
    }
    void positionsAreDrawnClampedToTheRange() {
        QFETCH(int, max);
        QFETCH(int, position);
        QFETCH(int, drawn);
        QFETCH(QString, text);
        TGaugeWindow w;
        w.Gauge()->SetMax(max);
        QVERIFY(w.Gauge()->maximum() > w.Gauge()->minimum());
        TGaugeWindow::WaitForRefresh();
        w.Gauge()->SetPosition(position);
        QCOMPARE(w.Gauge()->Position(), position);
        QCOMPARE(w.Gauge()->value(), drawn);
        QCOMPARE(w.Gauge()->text(), text);
    }

    void endsAreDrawnAtOnceAndRefreshCatchesUp() {
        TGaugeWindow w;
        w.Gauge()->SetMax(1000);
        w.Gauge()->Refresh();
        // However fast the positions come, the start and the end are never left out.
        for (int position = 1; position <= 1000; ++position) {
            w.Gauge()->SetPosition(position);
        }
        QCOMPARE(w.Gauge()->value(), 1000);
        w.Gauge()->SetPosition(0);
        QCOMPARE(w.Gauge()->value(), 0);
        w.Gauge()->SetPosition(1);
        w.Gauge()->SetPosition(500);
        w.Gauge()->Refresh();
        QCOMPARE(w.Gauge()->value(), 500);
        // Once the interval has passed, the next position is drawn.
        TGaugeWindow::WaitForRefresh();
        w.Gauge()->SetPosition(600);
        QCOMPARE(w.Gauge()->value(), 600);
    }

    void newMaximumRedrawsThePosition() {
        TGaugeWindow w;
        w.Gauge()->SetPosition(100);
        w.Gauge()->SetMax(400);
        QCOMPARE(w.Gauge()->value(), 100);
        QCOMPARE(w.Gauge()->text(), QString("25%"));
        w.Gauge()->SetMax(50);
        QCOMPARE(w.Gauge()->value(), 50);
    }

    void ownMinimum() {
        TGaugeWindow w;
        w.Gauge()->setMinimum(10);
        w.Gauge()->SetMax(20);
        w.Gauge()->SetPosition(15);
        w.Gauge()->Refresh();
        QCOMPARE(w.Gauge()->text(), QString("50%"));
        w.Gauge()->SetPosition(3);
        QCOMPARE(w.Gauge()->value(), 10);
    }

    void screenReaderHearsTheDrawnValue() {
        TGaugeWindow w;
        w.Gauge()->SetMax(300);
        QAccessibleValueInterface* value = ValueOf(w.Gauge());
        QVERIFY(value);
        QCOMPARE(value->minimumValue().toInt(), 0);
        QCOMPARE(value->maximumValue().toInt(), 300);
        TGaugeWindow::WaitForRefresh();
        w.Gauge()->SetPosition(120);
        QCOMPARE(value->currentValue().toInt(), 120);
        w.Gauge()->SetPosition(999);
        QCOMPARE(value->currentValue().toInt(), 300);
        w.Gauge()->SetMax(0);
        QCOMPARE(value->maximumValue().toInt(), 1);
    }
};

QTEST_MAIN(TestGauge)
#include "test_gauge.moc"
