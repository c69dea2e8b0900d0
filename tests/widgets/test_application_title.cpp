// SPDX-License-Identifier: MIT
// The small form and label helpers.

#include "widgets/LinkLabel.h"
#include "widgets/ApplicationTitle.h"

#include <QLabel>
#include <QTest>

class TestVxVCLutils40 : public QObject {
    Q_OBJECT

private slots:
    void exeBaseName_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("cut at the first point") << "/usr/bin/tabbit.x.y"
                                                << "tabbit";
        QTest::newRow("no extension") << "/opt/tabbit/tabbit"
                                      << "tabbit";
        QTest::newRow("point in a folder") << "/opt/v1.1/tabbit"
                                           << "tabbit";
        QTest::newRow("no folder") << "Tabbit.exe"
                                   << "Tabbit";
        QTest::newRow("hidden file") << "/tmp/.tabbit"
                                     << "";
    }
    void exeBaseName() {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(QString::fromStdString(ExeBaseName(path.toStdString())), name);
    }

    void applicationTitleIsTheExecutablesName() {
        QCOMPARE(ApplicationTitle(), std::string("test_application_title"));
        QCOMPARE(ApplicationTitleText(), QString("test_application_title"));
        QVERIFY(ProgramVersion.empty());
    }

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
};

QTEST_MAIN(TestVxVCLutils40)
#include "test_application_title.moc"
