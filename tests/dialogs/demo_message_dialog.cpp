// SPDX-License-Identifier: MIT
// A window with the system's controls and, over it, the message dialog with a long message:
// run under a real display to look at the layout.

#include "dialogs/MessageDialog.h"
#include "widgets/BoundRadioButton.h"
#include "widgets/LinkLabel.h"
#include "widgets/NumberEdit.h"

#include <QApplication>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);

    QWidget window;
    window.setWindowTitle("tabbit controls");
    auto* count = new TVxNumEdit(&window);
    count->SetDigitsInt(7);
    count->SetValue(100);
    auto* file = new TVxRadioBtn("Output on &file", &window);
    auto* memo = new TVxRadioBtn("Output in &memo", &window);
    auto* fileName = new QLineEdit("/tmp/random.txt", &window);
    auto* memo1 = new QPlainTextEdit(&window);
    auto* link = new TVxLbl(&window);
    link->SetCaption("www.example.org");
    file->setChecked(true);
    file->SetControl(fileName);
    memo->SetControl(memo1);

    auto* layout = new QFormLayout(&window);
    layout->addRow("Records:", count);
    layout->addRow(file, fileName);
    layout->addRow(memo, memo1);
    layout->addRow("Link:", link);
    window.resize(520, 360);
    window.move(150, 60);
    window.show();
    window.activateWindow();

    QTimer::singleShot(300, &window, [] {
        MessageDialogEx("Really delete all field definitions? Every row of the table is "
                        "emptied, the field types, sizes and strings alike, and the record "
                        "definition cannot be restored afterwards unless it was saved under a "
                        "name before. Saved definitions stay as they are.",
                        dkConfirmation, {dbYes, dbNo, dbCancel, dbHelp}, dbNo, true, 0, 0);
        QApplication::quit();
    });
    return app.exec();
}
