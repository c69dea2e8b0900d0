// SPDX-License-Identifier: MIT
#include "dialogs/ManageDialog.h"

#include "dialogs/InputBox.h"
#include "dialogs/MessageDialog.h"
#include "engine/Exceptions.h"
#include "engine/Latin1Text.h"
#include "platform/HelpViewer.h"
#include "platform/Latin1.h"
#include "store/SavedDefinitions.h"
#include "store/SettingsFile.h"
#include "widgets/ErrorDisplay.h"
#include "widgets/FormScale.h"
#include "widgets/ModalResult.h"

#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <exception>
#include <vector>

namespace {

/// A list entry that sorts by the Latin-1 codes of its name without regard to case; names
/// equal in that sense, which only a file edited by hand can hold, keep a fixed order by
/// their exact codes.
class TNameItem : public QListWidgetItem {
public:
    using QListWidgetItem::QListWidgetItem;

    bool operator<(const QListWidgetItem& other) const override {
        return TextLess(FromQString(text()), FromQString(other.text()));
    }
};

/// While a save waits for another program to let go of the settings file, the dialog goes on
/// repainting and running its timers; what the user does meanwhile waits, so that the action
/// under way cannot be started a second time.
void KeepWindowResponsive() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

/// A button that stands for an action: clicking it triggers the action, and it is enabled
/// exactly when the action is.
void BindButton(QPushButton* button, QAction* action) {
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
    QObject::connect(action, &QAction::changed, button,
                     [button, action] { button->setEnabled(action->isEnabled()); });
    button->setEnabled(action->isEnabled());
}

} // namespace

TFormManage::TFormManage(QWidget* parent) : QDialog(parent) {
    setObjectName("FormManage");
    setWindowTitle("Manage record definitions");

    GroupBox1 = new QGroupBox("existing record definitions", this);
    GroupBox1->setObjectName("GroupBox1");
    ListBoxDefs = new QListWidget(GroupBox1);
    ListBoxDefs->setObjectName("ListBoxDefs");
    ListBoxDefs->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBoxDefs->setSortingEnabled(true);
    // The list's room grows with the dialog's font, as the window's other parts do.
    ListBoxDefs->setMinimumSize(FormScale(font()).Size({240, 180}));
    ListBoxDefs->setAccessibleName(GroupBox1->title());
    ButtonLoad = new QPushButton("Load", GroupBox1);
    ButtonLoad->setObjectName("ButtonLoad");
    ButtonRename = new QPushButton("Rename", GroupBox1);
    ButtonRename->setObjectName("ButtonRename");
    ButtonDelete = new QPushButton("Delete", GroupBox1);
    ButtonDelete->setObjectName("ButtonDelete");
    Button1 = new QPushButton("Save current record definition...", this);
    Button1->setObjectName("Button1");
    // Enter in the list must not set off one of the buttons: Delete asks no question.
    for (QPushButton* button : {ButtonLoad, ButtonRename, ButtonDelete, Button1})
        button->setAutoDefault(false);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ButtonLoad);
    buttons->addWidget(ButtonRename);
    buttons->addWidget(ButtonDelete);
    buttons->addStretch();
    auto* group = new QHBoxLayout(GroupBox1);
    group->addWidget(ListBoxDefs, 1);
    group->addLayout(buttons);
    auto* form = new QVBoxLayout(this);
    form->addWidget(GroupBox1, 1);
    form->addWidget(Button1);
    form->setSizeConstraint(QLayout::SetMinimumSize);

    ActionList1 = new QObject(this);
    ActionList1->setObjectName("ActionList1");
    const auto makeAction = [this](const char* name, const char* caption,
                                   void (TFormManage::*execute)()) {
        auto* action = new QAction(caption, ActionList1);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this,
                [this, execute] { Guarded([this, execute] { (this->*execute)(); }); });
        return action;
    };
    ActionDelete = makeAction("ActionDelete", "Delete", &TFormManage::ActionDeleteExecute);
    ActionRename = makeAction("ActionRename", "Rename", &TFormManage::ActionRenameExecute);
    ActionLoad = makeAction("ActionLoad", "Load", &TFormManage::ActionLoadExecute);
    ActionSave =
        makeAction("ActionSave", "Save current record definition", &TFormManage::ActionSaveExecute);

    BindButton(ButtonDelete, ActionDelete);
    BindButton(ButtonRename, ActionRename);
    BindButton(Button1, ActionSave);
    // Load also ends the dialog, so its button runs the action itself and then closes.
    connect(ButtonLoad, &QPushButton::clicked, this, &TFormManage::ButtonLoadClick);
    connect(ActionLoad, &QAction::changed, ButtonLoad,
            [this] { ButtonLoad->setEnabled(ActionLoad->isEnabled()); });

    // The enabled states follow every change of the list, of its selection and of the
    // field count, instead of being polled.
    QAbstractItemModel* model = ListBoxDefs->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &TFormManage::ActionList1Update);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &TFormManage::ActionList1Update);
    connect(model, &QAbstractItemModel::modelReset, this, &TFormManage::ActionList1Update);
    connect(ListBoxDefs, &QListWidget::itemSelectionChanged, this, &TFormManage::ActionList1Update);
    ActionList1Update();

    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

TFormManage::~TFormManage() {
    // The list empties its model while the controls are destroyed, after this dialog is gone.
    ListBoxDefs->model()->disconnect(this);
    ListBoxDefs->disconnect(this);
}

void TFormManage::SetCurrentFieldCount(std::int32_t count) {
    FCurrentFieldCount = count;
    ActionList1Update();
}

void TFormManage::reject() {
    done(mrCancel);
}

void TFormManage::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        CenterOnScreen(this);
        Guarded([this] { FormShow(); });
    }
    QDialog::showEvent(event);
}

bool TFormManage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QDialog::eventFilter(watched, event);
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (event->type() == QEvent::KeyRelease) {
        FormKeyUp(key);
        return key.key() == Qt::Key_Escape;
    }
    if (key.key() == Qt::Key_Escape) {
        // The dialog closes when Escape comes up, not already when it goes down.
        FEscapeDown = true;
        return true;
    }
    if (key.key() == Qt::Key_F1) {
        ApplicationHelpCommand(HELP_CONTEXT, static_cast<unsigned long>(HelpContext()));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormManage::FormShow() {
    FLoadedDef.clear();
    ReadList();
}

void TFormManage::FormKeyUp(const QKeyEvent& key) {
    if (key.key() != Qt::Key_Escape || key.isAutoRepeat())
        return;
    if (FEscapeDown) {
        FEscapeDown = false;
        done(mrCancel);
    }
}

void TFormManage::ActionList1Update() {
    const bool selected = ListBoxDefs->count() > 0 && !ListBoxDefs->selectedItems().isEmpty();
    ActionDelete->setEnabled(selected);
    ActionRename->setEnabled(selected);
    ActionLoad->setEnabled(selected);
    ActionSave->setEnabled(FCurrentFieldCount > 0);
}

void TFormManage::ActionDeleteExecute() {
    const std::optional<std::string> name = SelectedName();
    if (!name)
        return;
    ChangeFile([this, &name] {
        Definitions().Delete(*name);
        delete ListBoxDefs->selectedItems().front();
        // Without a question before Delete, a neighbour must not be selected in its place.
        ListBoxDefs->clearSelection();
        ListBoxDefs->setCurrentItem(nullptr);
    });
}

void TFormManage::ActionRenameExecute() {
    const std::optional<std::string> oldName = SelectedName();
    if (!oldName)
        return;
    const std::string newName = TrimText(InputBox("Rename " + *oldName, "new name", ""));
    ChangeFile([this, &oldName, &newName] {
        Definitions().Rename(*oldName, newName);
        delete ListBoxDefs->selectedItems().front();
        AddName(newName);
        SelectName(newName);
    });
}

void TFormManage::ActionLoadExecute() {
    if (const std::optional<std::string> name = SelectedName()) {
        FLoadedDef = Definitions().Load(*name).value_or("");
    }
}

void TFormManage::ActionSaveExecute() {
    const std::string name = TrimText(InputBox("Save current record definion", "under name", ""));
    if (name.empty()) {
        return;
    }
    ChangeFile([this, &name] {
        Definitions().Save(name, FCurrentDef);
        AddName(name);
        done(mrOk);
    });
}

void TFormManage::ButtonLoadClick() {
    // The dialog closes with mrYes even when reading fails; LoadedDef is empty then.
    ActionLoad->trigger();
    done(mrYes);
}

void TFormManage::ReadList() {
    ListBoxDefs->clear();
    for (const std::string& name : Definitions().Names()) {
        AddName(name);
    }
}

/// When the change fails, the list is read anew from the file, so that it never shows a change
/// the file lacks, and the error goes on to the standard error display; the name selected
/// before stays selected. A failure of that reading is the same failure of the same file,
/// which the user is shown once, so it only leaves the list empty.
void TFormManage::ChangeFile(const std::function<void()>& change) {
    const std::optional<std::string> selected = SelectedName();
    try {
        change();
    } catch (const std::exception&) {
        try {
            ReadList();
            if (selected)
                SelectName(*selected);
        } catch (const std::exception&) {
            ListBoxDefs->clear();
        }
        throw;
    }
}

void TFormManage::AddName(const std::string& name) {
    ListBoxDefs->addItem(new TNameItem(ToQString(name)));
}

TSavedDefinitions TFormManage::Definitions() const {
    TSavedDefinitions definitions(DefaultIniPath());
    definitions.OnLockWait = KeepWindowResponsive;
    return definitions;
}

std::optional<std::string> TFormManage::SelectedName() const {
    const QList<QListWidgetItem*> selected = ListBoxDefs->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return FromQString(selected.front()->text());
}

void TFormManage::SelectName(const std::string& name) {
    const QString text = ToQString(name);
    for (int i = 0; i < ListBoxDefs->count(); ++i) {
        if (ListBoxDefs->item(i)->text() == text) {
            ListBoxDefs->setCurrentRow(i);
            return;
        }
    }
}
