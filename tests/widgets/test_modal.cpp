// SPDX-License-Identifier: MIT
// Showing dialogs modally with a hook that answers them through their real buttons.

#include "widgets/Modal.h"
#include "widgets/ModalResult.h"

#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <functional>

class TestModal : public QObject {
    Q_OBJECT

private slots:
    void resultOfTheAnswer_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("result");
        QTest::newRow("no answer: closed, cancelled") << "" << int(mrCancel);
        QTest::newRow("reject") << "reject" << int(mrCancel);
        QTest::newRow("accept") << "accept" << int(mrOk);
        QTest::newRow("a button's result") << "Yes" << int(mrYes);
    }
    void resultOfTheAnswer() {
        QFETCH(QString, answer);
        QFETCH(int, result);
        QDialog dialog;
        auto* yes = new QPushButton("&Yes", &dialog);
        yes->setObjectName("Yes");
        connect(yes, &QPushButton::clicked, &dialog, [&] { dialog.done(mrYes); });
        bool shownModal = false;
        TScopedModalHook hook([&](QDialog& d) {
            shownModal = d.isVisible() && d.isModal();
            if (answer == "reject") {
                d.reject();
            } else if (answer == "accept") {
                d.accept();
            } else if (!answer.isEmpty()) {
                QTest::mouseClick(d.findChild<QPushButton*>(answer), Qt::LeftButton);
            }
        });
        QCOMPARE(ShowModal(dialog), result);
        QVERIFY(shownModal);
        QVERIFY(!dialog.isVisible());
    }

    void hooksNestAndRestore() {
        QStringList seen;
        const TModalHook outer = [&](QDialog& d) { seen << "outer " + d.objectName(); };
        TModalHook previous = SetModalHook(outer);
        QVERIFY(!previous);
        {
            TScopedModalHook inner([&](QDialog& d) {
                seen << "inner " + d.objectName();
                if (d.objectName() != "first") {
                    return;
                }
                // A dialog opened while answering is answered by the hook in force.
                QDialog nested;
                nested.setObjectName("nested");
                ShowModal(nested);
            });
            QDialog first;
            first.setObjectName("first");
            ShowModal(first);
        }
        QDialog second;
        second.setObjectName("second");
        ShowModal(second);
        QCOMPARE(seen, QStringList({"inner first", "inner nested", "outer second"}));
        QVERIFY(SetModalHook(std::move(previous)));
    }
};

QTEST_MAIN(TestModal)
#include "test_modal.moc"
