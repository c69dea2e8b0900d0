// SPDX-License-Identifier: MIT
#include "widgets/ErrorDisplay.h"

#include "platform/Latin1.h"
#include "widgets/ApplicationTitle.h"
#include "widgets/Modal.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <new>

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

/// The text shown for error: its message, or a readable text for a failure of the runtime
/// that has no message of its own.
std::string ErrorText(const std::exception& error) {
    // The library's own texts for these ("std::bad_alloc") say nothing to a user.
    if (dynamic_cast<const std::bad_alloc*>(&error)) {
        return "Out of memory.";
    }
    return DisplayMessage(error.what());
}

} // namespace

std::string DisplayMessage(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + '.';
    }
    return message;
}

void ShowException(const std::exception& error) {
    ShowBox("ErrorMessage", QMessageBox::Critical, ErrorText(error));
}

void ShowMessage(const std::string& message) {
    ShowBox("Message", QMessageBox::NoIcon, message);
}
