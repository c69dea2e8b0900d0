// SPDX-License-Identifier: MIT
// The standard error display and the plain message box, answered through their OK button.

#include "engine/Exceptions.h"
#include "widgets/ErrorDisplay.h"
#include "widgets/Modal.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <new>

namespace {

struct TShownBox {
    QString Name;
    QString Title;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    int Buttons = 0;
};

/// Records the boxes shown and closes each through its OK button.
class TBoxRecorder {
public:
    TBoxRecorder()
        : FHook([this](QDialog& d) {
              auto& box = static_cast<QMessageBox&>(d);
              Shown.push_back({box.objectName(), box.windowTitle(), box.text(), box.icon(),
                               static_cast<int>(box.buttons().size())});
              QTest::mouseClick(box.findChild<QPushButton*>("OK"), Qt::LeftButton);
              Closed = !box.isVisible();
          }) {}
    std::vector<TShownBox> Shown;
    bool Closed = false;

private:
    TScopedModalHook FHook;
};

} // namespace

class TestErrorDisplay : public QObject {
    Q_OBJECT

private slots:
    void displayMessage_data() {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("letter") << QByteArray("File not found") << QByteArray("File not found.");
        QTest::newRow("digit") << QByteArray("I/O error 5") << QByteArray("I/O error 5.");
        QTest::newRow("8-bit letter") << QByteArray("Gr\xF6\xDF") << QByteArray("Gr\xF6\xDF.");
        QTest::newRow("slash is above the point") << QByteArray("a/") << QByteArray("a/.");
        QTest::newRow("point") << QByteArray("Done.") << QByteArray("Done.");
        QTest::newRow("exclamation")
            << QByteArray("No output file indicated!") << QByteArray("No output file indicated!");
        QTest::newRow("quote") << QByteArray("'x' is not a valid integer value'")
                               << QByteArray("'x' is not a valid integer value'");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void displayMessage() {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, shown);
        QCOMPARE(QByteArray::fromStdString(DisplayMessage(message.toStdString())), shown);
    }

    void showException() {
        TBoxRecorder boxes;
        ShowException(EConvertError("'\xE4' is not a valid integer value"));
        QCOMPARE(boxes.Shown.size(), std::size_t(1));
        const TShownBox& box = boxes.Shown[0];
        QCOMPARE(box.Name, QString("ErrorMessage"));
        QCOMPARE(box.Title, QString("test_error_display"));
        QCOMPARE(box.Text, QString::fromLatin1("'\xE4' is not a valid integer value."));
        QCOMPARE(box.Icon, QMessageBox::Critical);
        QCOMPARE(box.Buttons, 1);
        QVERIFY(boxes.Closed);
    }

    void showMessage() {
        TBoxRecorder boxes;
        ShowMessage("<b>Saved</b>");
        QCOMPARE(boxes.Shown.size(), std::size_t(1));
        QCOMPARE(boxes.Shown[0].Name, QString("Message"));
        QCOMPARE(boxes.Shown[0].Text, QString("<b>Saved</b>"));
        QCOMPARE(boxes.Shown[0].Icon, QMessageBox::NoIcon);
    }

    void guardedShowsWhatAHandlerThrows() {
        TBoxRecorder boxes;
        bool ran = false;
        Guarded([&] { ran = true; });
        QVERIFY(ran);
        QVERIFY(boxes.Shown.empty());
        Guarded([] { throw EInOutError(ENOSPC); });
        QCOMPARE(boxes.Shown.size(), std::size_t(1));
        QCOMPARE(boxes.Shown[0].Text, QString("Disk full."));
        Guarded([] { throw std::bad_alloc(); });
        Guarded([] { throw std::bad_array_new_length(); });
        QCOMPARE(boxes.Shown.size(), std::size_t(3));
        QCOMPARE(boxes.Shown[1].Text, QString("Out of memory."));
        QCOMPARE(boxes.Shown[2].Text, QString("Out of memory."));
    }
};

QTEST_MAIN(TestErrorDisplay)
#include "test_error_display.moc"
