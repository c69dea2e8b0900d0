// SPDX-License-Identifier: MIT
#pragma once

// Helpers shared by the main-window tests: finding the window's controls, answering the modal
// dialogs, reading their texts, finding the open popup menu, stepping through a run, and a
// fixture base that fills in a window and starts its runs.

#include "mainwindow/GenerationRun.h"
#include "mainwindow/MainWindow.h"
#include "tests/support/DialogSupport.h"
#include "widgets/Modal.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPoint>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QString>
#include <QStringList>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
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

/// The middle of the cell at col and row of grid, row 1 being the first below the titles;
/// the cell is scrolled into view first.
inline QPoint CellCenter(QTableWidget& grid, int col, int row) {
    grid.scrollToItem(grid.item(row - 1, col));
    return grid.visualItemRect(grid.item(row - 1, col)).center();
}

/// Right-clicks the cell at col and row of grid, which opens its popup menu.
inline void RightClick(QTableWidget& grid, int col, int row) {
    QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, CellCenter(grid, col, row));
}

/// Clicks the item at place item of the open popup menu and waits for the menu to close.
inline void Choose(int item) {
    QMenu* menu = OpenMenu();
    QVERIFY(menu);
    auto* action = menu->findChild<QAction*>("MenuItem" + QString::number(item));
    QVERIFY(action);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    QTRY_VERIFY(!menu->isVisible());
}

/// Message texts compare with CR LF taken as one line break.
inline QString Lines(QString text) {
    return text.replace("\r\n", "\n");
}

/// The window under test with a temporary folder for its files, and the steps the tests take
/// on it as a user would; a test class derives from QObject and this, and creates both in its
/// init.
class TMainWindowFixture {
protected:
    template <class T> T* Child(const char* name) const { return NamedChild<T>(*F, name); }
    void SetRow(int row, const std::string& type, const std::string& size, const std::string& str) {
        F->SetCells(1, row, type);
        F->SetCells(2, row, size);
        F->SetCells(3, row, str);
    }
    void SetFileOutput(const QString& path) {
        QTest::mouseClick(Child<QRadioButton>("VxRadioBtnFile"), Qt::LeftButton);
        Child<QLineEdit>("EditFileName")->setText(path);
    }
    void SetMemoOutput() {
        QTest::mouseClick(Child<QRadioButton>("VxRadioBtnMemo"), Qt::LeftButton);
        QVERIFY(Child<QRadioButton>("VxRadioBtnMemo")->isChecked());
    }
    void SetRecordCount(const QString& text) {
        Child<QLineEdit>("VxNumEditRecords")->setText(text);
    }
    /// Five digits and a semicolon per record.
    void ExampleDefinition() {
        SetRow(1, "numeric (0..9)", "5", "");
        SetRow(2, "fixed string", "1", ";");
    }
    /// Clicks Start and, unless told not to, waits for the run to end.
    void Start(bool wait = true) {
        QTest::mouseClick(Child<QPushButton>("ButtonStart"), Qt::LeftButton);
        if (wait) {
            WaitForRunEnd(*F);
        }
    }
    void ExpectIdle() const {
        QVERIFY(Child<QPushButton>("ButtonStart")->isEnabled());
        QVERIFY(!Child<QPushButton>("ButtonAbort")->isEnabled());
    }

    std::unique_ptr<TFormMain> F;
    std::unique_ptr<QTemporaryDir> FTemp;
};
