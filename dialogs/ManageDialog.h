// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QAction;
class QGroupBox;
class QKeyEvent;
class QListWidget;
class QPushButton;
class QShowEvent;
class TSavedDefinitions;

/// The dialog in which the user keeps record definitions under names: it lists the names
/// saved in section RecordDefs of the settings file, saves the main window's current
/// definition under a new name, and loads, renames and deletes saved ones. Every action
/// reads the settings file anew and has written its change before it ends. Closes with
/// mrYes after Load (LoadedDef holds the chosen command string), mrOk after a successful
/// Save, and mrCancel on Escape or the close box.
class TFormManage : public QDialog {
    Q_OBJECT
    Q_PROPERTY(int HelpContext READ HelpContext CONSTANT)

public:
    explicit TFormManage(QWidget* parent = nullptr);
    ~TFormManage() override;

    /// The command string of the definition now in the main window; what Save stores.
    const std::string& CurrentDef() const { return FCurrentDef; }
    void SetCurrentDef(const std::string& def) { FCurrentDef = def; }
    /// The number of defined field rows of CurrentDef; Save is possible only above 0.
    std::int32_t CurrentFieldCount() const { return FCurrentFieldCount; }
    void SetCurrentFieldCount(std::int32_t count);
    /// The stored command string chosen by Load; emptied whenever the dialog is shown.
    const std::string& LoadedDef() const { return FLoadedDef; }

    /// The help topic of the dialog, shown by F1.
    int HelpContext() const { return 10; }

    /// The close box ends the dialog with mrCancel, like Escape.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    /// Sees the keys of the dialog and of all its controls before they do.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void FormKeyUp(const QKeyEvent& key);
    void ActionList1Update();
    void ActionDeleteExecute();
    void ActionRenameExecute();
    void ActionLoadExecute();
    void ActionSaveExecute();
    void ButtonLoadClick();

    /// Replaces the list with the names in the settings file.
    void ReadList();
    /// Runs a change of the settings file; see the definition for what a failure does.
    void ChangeFile(const std::function<void()>& change);
    void AddName(const std::string& name);
    /// The saved definitions of the settings file, with a lock wait that keeps the dialog
    /// responsive.
    TSavedDefinitions Definitions() const;
    /// The selected name; none when no entry is selected.
    std::optional<std::string> SelectedName() const;
    void SelectName(const std::string& name);

    QGroupBox* GroupBox1;
    QListWidget* ListBoxDefs;
    QPushButton* ButtonLoad;
    QPushButton* ButtonRename;
    QPushButton* ButtonDelete;
    QPushButton* Button1;
    QObject* ActionList1;
    QAction* ActionDelete;
    QAction* ActionRename;
    QAction* ActionLoad;
    QAction* ActionSave;

    std::string FCurrentDef;
    std::int32_t FCurrentFieldCount = 0;
    std::string FLoadedDef;
    /// Escape went down inside the dialog; only then does its release close the dialog, so
    /// that the release of an Escape that closed a nested input box does not close it too.
    bool FEscapeDown = false;
};
