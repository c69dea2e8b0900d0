// SPDX-License-Identifier: MIT
#include "controls/VxErrorDisplay.h"

#include "controls/VxModal.h"
#include "controls/VxVCLutils40.h"
#include "platform/Latin1.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

void ShowBox(const char* objectName, QMessageBox::Icon icon, const std::string& text) {
    QMessageBox box(QApplication::activeWindow());
    box.setObjectName(objectName);
    box.setWindowTitle(ApplicationTitleText());
    box.setIcon(icon);
    // Messages are shown as they stand: a "<" in a file name is no markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(ToQString(text));
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    ok->setObjectName("OK");
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    ShowModal(box);
}

} // namespace

std::string DisplayMessage(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + '.';
    return message;
}

void ShowException(const std::exception& error) {
    ShowBox("ErrorMessage", QMessageBox::Critical, DisplayMessage(error.what()));
}

void ShowMessage(const std::string& message) {
    ShowBox("Message", QMessageBox::NoIcon, message);
}
