// SPDX-License-Identifier: MIT
#pragma once

// Helpers shared by the main-window tests: answering the modal dialogs, reading their texts,
// finding the open popup menu.

#include "controls/VxModal.h"
#include "tests/support/DialogSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <vector>

/// One dialog that was shown while a TDialogAnswerer was installed.
struct TShownDialog {
    QString Name;
    QString Text;
};

/// Answers every modal dialog by clicking the button named answer (none: just close it) and
/// records what each one showed.
class TDialogAnswerer {
public:
    explicit TDialogAnswerer(QString answer = "OK")
        : FHook([this, answer](QDialog& dialog) {
              Shown.push_back({dialog.objectName(), DialogText(dialog)});
              if (!answer.isEmpty())
                  if (auto* button = dialog.findChild<QAbstractButton*>(answer))
                      button->click();
          }) {}

    std::vector<TShownDialog> Shown;

private:
    TScopedModalHook FHook;
};

/// The popup menu that is open now, or nullptr.
inline QMenu* OpenMenu() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* menu = qobject_cast<QMenu*>(w); menu && menu->isVisible())
            return menu;
    return nullptr;
}

/// Message texts compare with CR LF taken as one line break.
inline QString Lines(QString text) {
    return text.replace("\r\n", "\n");
}
