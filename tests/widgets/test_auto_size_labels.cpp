// SPDX-License-Identifier: MIT
// Auto-sizing labels taking the size of their new captions.

#include "widgets/AutoSizeLabels.h"
#include "widgets/LinkLabel.h"

#include <QLabel>
#include <QTest>

class TestAutoSizeLabels : public QObject {
    Q_OBJECT

private slots:
    void relayoutAutoSizeLabels() {
        QWidget form;
        auto* link = new TVxLbl(&form);
        auto* fixed = new QLabel(&form);
        link->resize(5, 5);
        fixed->resize(5, 5);
        static_cast<QLabel*>(link)->setText("a much longer caption than before");
        fixed->setText("a much longer caption than before");
        RelayoutAutoSizeLabels(&form);
        QCOMPARE(link->size(), link->sizeHint());
        QCOMPARE(fixed->size(), QSize(5, 5));
    }

    void labelsInsideContainersAndMarkedPlainLabels() {
        QWidget form;
        auto* group = new QWidget(&form);
        auto* marked = new QLabel(group);
        marked->setProperty("autoSize", true);
        marked->resize(5, 5);
        marked->setText("a caption inside a container");
        RelayoutAutoSizeLabels(&form);
        QCOMPARE(marked->size(), marked->sizeHint());
        RelayoutAutoSizeLabels(nullptr);
    }
};

QTEST_MAIN(TestAutoSizeLabels)
#include "test_auto_size_labels.moc"
