// SPDX-License-Identifier: MIT
#pragma once

// Helpers shared by the main-window tests: finding the window's controls, answering the modal
// dialogs, reading their texts, finding the open popup menu, stepping through a run.

#include "widgets/Modal.h"
#include "tests/support/DialogSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

/// The child of parent named name; a test that names a control the window lacks cannot go on.
template <class T> T* NamedChild(const QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(name);
    if (!child)
        qFatal("no child %s", name);
    return child;
}

/// The whole content of a file; empty when it cannot be read.
inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

/// Calls back in each pass through the event loop that a run makes after every 100 records,
/// with the number of the pass: a zero timer fires once per pass.
class TRunPasses {
public:
    explicit TRunPasses(std::function<void(int)> onPass) {
        FTimer.setInterval(0);
        QObject::connect(&FTimer, &QTimer::timeout, [this, onPass] { onPass(++FPasses); });
        FTimer.start();
    }
    int Passes() const { return FPasses; }

private:
    QTimer FTimer;
    int FPasses = 0;
};

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
