// SPDX-License-Identifier: MIT
// The scale of the windows by their font, the program's identity on the desktop, and the
// accessible names the controls take from their labels and hints.

#include "widgets/FormScale.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

class TestFormScale : public QObject {
    Q_OBJECT

private slots:
    void scaleIsNeverBelowOne_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<double>("scaledX");
        QTest::addColumn<double>("scaledY");
        QTest::newRow("design font") << 1.0 << 1.0 << 1.0 << 1.0;
        QTest::newRow("smaller font") << 0.8 << 0.9 << 1.0 << 1.0;
        QTest::newRow("wider only") << 1.5 << 0.9 << 1.5 << 1.0;
        QTest::newRow("larger font") << 1.5 << 2.0 << 1.5 << 2.0;
    }
    void scaleIsNeverBelowOne() {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(double, scaledX);
        QFETCH(double, scaledY);
        const TFormScale scale(x, y);
        QCOMPARE(scale.X(), scaledX);
        QCOMPARE(scale.Y(), scaledY);
    }

    void rectanglesScaleByTheirEdges() {
        const TFormScale scale(1.5, 1.25);
        QCOMPARE(scale.Horz(10), 15);
        QCOMPARE(scale.Vert(18), 23); // 22.5 rounds away from zero
        QCOMPARE(scale.Rect({5, 62, 409, 139}), QRect(8, 78, 621 - 8, 251 - 78));
        // Two controls that touch in the design still touch, whatever the rounding.
        const QRect left = scale.Rect({5, 400, 61, 25});
        const QRect right = scale.Rect({66, 400, 61, 25});
        QCOMPARE(left.right() + 1, right.left());
        QCOMPARE(scale.Size({431, 480}), QSize(647, 600));
        QCOMPARE(TFormScale().Rect({1, 2, 3, 4}), QRect(1, 2, 3, 4));
    }

    void scaleFollowsTheFontsCharacterSize() {
        QFont small("DejaVu Sans");
        small.setPixelSize(8);
        QCOMPARE(FormScale(small).X(), 1.0);
        QCOMPARE(FormScale(small).Y(), 1.0);

        QFont large("DejaVu Sans");
        large.setPixelSize(26);
        const TCharSize size = AverageCharSize(large);
        QVERIFY(size.Width > 6);
        QVERIFY(size.Height > 13);
        QCOMPARE(FormScale(large).X(), size.Width / 6);
        QCOMPARE(FormScale(large).Y(), size.Height / 13.0);
        // A larger font never gives a smaller window.
        QFont larger = large;
        larger.setPixelSize(30);
        QVERIFY(FormScale(larger).X() > FormScale(large).X());
        QVERIFY(FormScale(larger).Y() > FormScale(large).Y());
    }

    void programIdentity() {
        QVERIFY(!ProgramIcon().isNull());
        QVERIFY(!ProgramIcon().availableSizes().isEmpty() || !ProgramIcon().name().isEmpty());
        InstallProgramIdentity();
        QCOMPARE(QGuiApplication::desktopFileName(), QString("org.tabbit.tabbit"));
        QVERIFY(!QApplication::windowIcon().isNull());
        // Every window without an icon of its own shows the program's.
        QDialog window;
        QVERIFY(!window.windowIcon().isNull());
    }

    void withoutAccelerator_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("plain");
        QTest::newRow("accelerator") << "&Record Count:"
                                     << "Record Count:";
        QTest::newRow("in a word") << "Date F&ormat:"
                                   << "Date Format:";
        QTest::newRow("doubled") << "Save && load"
                                 << "Save & load";
        QTest::newRow("none") << "Record Definition:"
                              << "Record Definition:";
        QTest::newRow("trailing") << "A&"
                                  << "A&";
    }
    void withoutAccelerator() {
        QFETCH(QString, caption);
        QFETCH(QString, plain);
        QCOMPARE(WithoutAccelerator(caption), plain);
    }

    void controlsAreNamedByLabelsAndDescribedByHints() {
        QWidget form;
        auto* label = new QLabel("User &defined character set:", &form);
        auto* edit = new QLineEdit(&form);
        edit->setToolTip("used in conjunction");
        label->setBuddy(edit);
        auto* named = new QLineEdit(&form);
        named->setAccessibleName("kept");
        named->setToolTip("a hint");
        named->setAccessibleDescription("kept too");
        (new QLabel("Other:", &form))->setBuddy(named);

        NameControlsForAccessibility(&form);
        QCOMPARE(edit->accessibleName(), QString("User defined character set:"));
        QCOMPARE(edit->accessibleDescription(), QString("used in conjunction"));
        QCOMPARE(named->accessibleName(), QString("kept"));
        QCOMPARE(named->accessibleDescription(), QString("kept too"));
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(edit);
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), QString("User defined character set:"));
        NameControlsForAccessibility(nullptr);
    }
};

QTEST_MAIN(TestFormScale)
#include "test_form_scale.moc"
