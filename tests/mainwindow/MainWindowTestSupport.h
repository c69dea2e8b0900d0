// SPDX-License-Identifier: MIT
#pragma once

// Helpers shared by the main-window tests: finding the window's controls, answering the modal
// dialogs, reading their texts, finding the open popup menu, stepping through a run.

#include "mainwindow/GenerationRun.h"
#include "mainwindow/MainWindow.h"
#include "tests/support/DialogSupport.h"
#include "widgets/Modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QString>
#include <QStringList>
#include <QTest>
#include <cstdint>
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

/// Calls back after every 100 records of a run, with the number of the pass; the run waits
/// until the callback has returned, and the gauge already shows the records done.
class TRunPasses {
public:
    explicit TRunPasses(std::function<void(int)> onPass) {
        TGenerationRun::SetPassObserver([this, onPass](std::uint64_t) { onPass(++FPasses); });
    }
    ~TRunPasses() { TGenerationRun::SetPassObserver(nullptr); }
    TRunPasses(const TRunPasses&) = delete;
    TRunPasses& operator=(const TRunPasses&) = delete;
    int Passes() const { return FPasses; }

private:
    int FPasses = 0;
};

/// Waits until the run that the window has going, if any, has ended.
inline void WaitForRunEnd(TFormMain& form) {
    if (!form.Running())
        return;
    QSignalSpy ended(&form, &TFormMain::RunEnded);
    QVERIFY(ended.wait(120000));
}

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
