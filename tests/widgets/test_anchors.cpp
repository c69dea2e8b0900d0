// SPDX-License-Identifier: MIT
// Anchored controls of a form resized on the screen: each keeps its distance to the edges it
// is anchored to.

#include "widgets/Anchors.h"

#include <QPushButton>
#include <QTest>

namespace {

/// A form designed at 400 by 300 that lays its controls out by their anchors when resized.
class TAnchoredForm : public QWidget {
public:
    static constexpr QSize Design{400, 300};

    TAnchoredForm() : FAnchors(Design) { resize(Design); }

    QWidget* Add(const char* name, QRect design, unsigned anchors) {
        auto* control = new QPushButton(name, this);
        control->setObjectName(name);
        FAnchors.Add(control, design, anchors);
        return control;
    }

protected:
    void resizeEvent(QResizeEvent*) override { FAnchors.Apply(size()); }

private:
    TAnchors FAnchors;
};

/// The distances of control to the left, top, right and bottom edges of its parent.
QMargins EdgeDistances(const QWidget* control) {
    const QRect r = control->geometry();
    const QSize parent = control->parentWidget()->size();
    return {r.x(), r.y(), parent.width() - (r.x() + r.width()),
            parent.height() - (r.y() + r.height())};
}

} // namespace

class TestAnchors : public QObject {
    Q_OBJECT

private slots:
    void resizingKeepsAnchoredEdges_data() {
        QTest::addColumn<unsigned>("anchors");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("geometry");
        const QRect design(20, 30, 100, 50);
        const QSize larger(500, 360); // 100 wider, 60 higher
        QTest::newRow("left top stays") << unsigned(akLeft | akTop) << larger << design;
        QTest::newRow("right moves")
            << unsigned(akTop | akRight) << larger << QRect(120, 30, 100, 50);
        QTest::newRow("left right widens")
            << unsigned(akLeft | akTop | akRight) << larger << QRect(20, 30, 200, 50);
        QTest::newRow("bottom moves down")
            << unsigned(akLeft | akBottom) << larger << QRect(20, 90, 100, 50);
        QTest::newRow("top bottom heightens")
            << unsigned(akLeft | akTop | akBottom) << larger << QRect(20, 30, 100, 110);
        QTest::newRow("all four grow")
            << unsigned(akLeft | akTop | akRight | akBottom) << larger << QRect(20, 30, 200, 110);
        QTest::newRow("right bottom corner")
            << unsigned(akRight | akBottom) << larger << QRect(120, 90, 100, 50);
        QTest::newRow("none stays") << 0u << larger << design;
        QTest::newRow("smaller moves back")
            << unsigned(akRight | akBottom) << QSize(350, 280) << QRect(-30, 10, 100, 50);
        // A control never gets a negative size, however small the form.
        QTest::newRow("shrunk to nothing") << unsigned(akLeft | akTop | akRight | akBottom)
                                           << QSize(250, 200) << QRect(20, 30, 0, 0);
    }
    void resizingKeepsAnchoredEdges() {
        QFETCH(unsigned, anchors);
        QFETCH(QSize, size);
        QFETCH(QRect, geometry);
        TAnchoredForm form;
        QWidget* control = form.Add("Control", QRect(20, 30, 100, 50), anchors);
        QCOMPARE(control->geometry(), QRect(20, 30, 100, 50));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.resize(size);
        QTRY_COMPARE(form.size(), size);
        QCOMPARE(form.findChild<QWidget*>("Control")->geometry(), geometry);
    }

    void aFormOfSeveralControlsBackAndForth() {
        TAnchoredForm form;
        QWidget* memo = form.Add("Memo1", {5, 100, 390, 150}, akLeft | akTop | akRight | akBottom);
        QWidget* start = form.Add("ButtonStart", {5, 260, 80, 30}, akLeft | akBottom);
        QWidget* help = form.Add("ButtonHelp", {315, 260, 80, 30}, akRight | akBottom);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QMargins memoEdges = EdgeDistances(memo);
        const QMargins startEdges = EdgeDistances(start);
        const QMargins helpEdges = EdgeDistances(help);
        for (QSize size : {QSize(640, 480), QSize(401, 301), QSize(900, 320), QSize(400, 300)}) {
            form.resize(size);
            QTRY_COMPARE(form.size(), size);
            QCOMPARE(EdgeDistances(memo), memoEdges);
            QCOMPARE(EdgeDistances(start).left(), startEdges.left());
            QCOMPARE(EdgeDistances(start).bottom(), startEdges.bottom());
            QCOMPARE(start->size(), QSize(80, 30));
            QCOMPARE(EdgeDistances(help).right(), helpEdges.right());
            QCOMPARE(EdgeDistances(help).bottom(), helpEdges.bottom());
            // The buttons stay below the memo however the form grows.
            QVERIFY(start->y() > memo->geometry().bottom());
        }
        QCOMPARE(memo->geometry(), QRect(5, 100, 390, 150));
    }
};

QTEST_MAIN(TestAnchors)
#include "test_anchors.moc"
