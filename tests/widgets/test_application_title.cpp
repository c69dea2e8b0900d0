// SPDX-License-Identifier: MIT
// The executable's name as the windows show it.

#include "widgets/ApplicationTitle.h"

#include <QTest>

class TestApplicationTitle : public QObject {
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
};

QTEST_MAIN(TestApplicationTitle)
#include "test_application_title.moc"
