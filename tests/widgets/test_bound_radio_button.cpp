// SPDX-License-Identifier: MIT
// The radio button with a bound control, driven through real clicks and keys in a shown window.

#include "widgets/BoundRadioButton.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

class TestBoundRadioButton : public QObject {
    Q_OBJECT

private slots:
    void outputTargetChoice() {
        QWidget window;
        auto* file = new TVxRadioBtn("Output on &file", &window);
        auto* memo = new TVxRadioBtn("Output in &memo", &window);
        auto* fileName = new QLineEdit(&window);
        auto* memo1 = new QPlainTextEdit(&window);
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : {static_cast<QWidget*>(file), static_cast<QWidget*>(memo),
                           static_cast<QWidget*>(fileName), static_cast<QWidget*>(memo1)}) {
            layout->addWidget(w);
        }
        file->setChecked(true);
        file->SetControl(fileName);
        memo->SetControl(memo1);

        const QColor window_ = QApplication::palette(fileName).color(QPalette::Base);
        const QColor face = QApplication::palette(fileName).color(QPalette::Button);
        QVERIFY(fileName->isEnabled());
        QVERIFY(!memo1->isEnabled());
        QCOMPARE(fileName->palette().color(QPalette::Base), window_);
        QCOMPARE(memo1->palette().color(QPalette::Base), face);

        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(fileName->hasFocus());

        QTest::mouseClick(memo, Qt::LeftButton, {}, QPoint(8, memo->height() / 2));
        QVERIFY(memo1->isEnabled());
        QVERIFY(memo1->hasFocus());
        QVERIFY(!fileName->isEnabled());
        QCOMPARE(fileName->palette().color(QPalette::Base), face);
        QCOMPARE(memo1->palette().color(QPalette::Base), window_);

        QTest::mouseClick(file, Qt::LeftButton, {}, QPoint(8, file->height() / 2));
        QVERIFY(fileName->hasFocus());
        QVERIFY(!memo1->isEnabled());

        // Choosing with the arrow keys moves the focus into the control, as a click does.
        file->setFocus();
        QTest::keyClick(file, Qt::Key_Down);
        QVERIFY(memo->isChecked());
        QVERIFY(memo1->hasFocus());
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_Up);
        QVERIFY(file->isChecked());
        QVERIFY(fileName->hasFocus());
        // An arrow key that finds no other button leaves the focus where it is.
        file->setFocus();
        QTest::keyClick(file, Qt::Key_Up);
        QVERIFY(file->isChecked());
        QVERIFY(file->hasFocus());
    }

    void bindingRules() {
        QWidget window;
        TVxRadioBtn radio("r", &window);
        TVxRadioBtn sibling("s", &window);
        auto label = std::make_unique<QLabel>("label", &window);
        radio.SetControl(label.get());
        radio.SetControl(&sibling); // another radio button is refused
        QCOMPARE(radio.Control(), label.get());

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        radio.setChecked(true);
        QVERIFY(label->isEnabled());
        QVERIFY(label->autoFillBackground());
        QCOMPARE(label->palette().color(QPalette::Window),
                 QApplication::palette(label.get()).color(QPalette::Base));
        QVERIFY(!label->hasFocus()); // a label takes no focus

        radio.SetAutoDisable(false);
        QVERIFY(label->isEnabled()); // nothing re-applied now
        sibling.setChecked(true);
        QVERIFY(label->isEnabled());

        label.reset();
        QCOMPARE(radio.Control(), nullptr);
        radio.setChecked(true); // nothing left to drive
    }
};

QTEST_MAIN(TestBoundRadioButton)
#include "test_bound_radio_button.moc"
