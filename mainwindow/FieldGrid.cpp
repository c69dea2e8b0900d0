// SPDX-License-Identifier: MIT
#include "mainwindow/FieldGrid.h"

#include "dialogs/MessageDialog.h"
#include "engine/Exceptions.h"
#include "platform/Latin1.h"
#include "widgets/ErrorDisplay.h"
#include "widgets/FormScale.h"
#include "widgets/ModalResult.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <cstdio>

namespace {

/// A typed character as the key filter judges it: keys that move between cells or cancel,
/// and Delete, are editing keys rather than characters.
bool TypedCharacter(const QKeyEvent& key, char32_t& code) {
    if (key.text().isEmpty()) {
        return false;
    }
    switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Delete:
        return false;
    default:
        break;
    }
    // Selecting and copying change no text, so the filter has nothing to judge.
    if (key.matches(QKeySequence::SelectAll) || key.matches(QKeySequence::Copy)) {
        return false;
    }
    code = key.text().toUcs4().value(0);
    return true;
}

/// The keys that open a control's context menu from the keyboard: the Menu key and
/// Shift+F10.
bool ContextMenuKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    return (key.key() == Qt::Key_Menu && mods == Qt::NoModifier) ||
           (key.key() == Qt::Key_F10 && mods == Qt::ShiftModifier);
}

/// Ctrl+Tab (+1) and Ctrl+Shift+Tab (-1), which leave a control that keeps Tab for itself;
/// 0 for any other key.
int ControlTab(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    if (key.key() == Qt::Key_Tab && mods == Qt::ControlModifier) {
        return 1;
    }
    if ((key.key() == Qt::Key_Backtab || key.key() == Qt::Key_Tab) &&
        mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
        return -1;
    }
    return 0;
}

/// Alt+Shift+Up (-1) and Alt+Shift+Down (+1), which exchange a row with its neighbour; 0 for
/// any other key.
int RowExchangeKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    if (mods != (Qt::AltModifier | Qt::ShiftModifier)) {
        return 0;
    }
    if (key.key() == Qt::Key_Up) {
        return -1;
    }
    if (key.key() == Qt::Key_Down) {
        return 1;
    }
    return 0;
}

} // namespace

bool CursorInGrid(const QWidget* grid) {
    if (!QGuiApplication::primaryScreen()) {
        return false;
    }
    const QPoint p = grid->mapFromGlobal(QCursor::pos());
    return p.x() >= 0 && p.x() <= grid->width() && p.y() >= 0 && p.y() <= grid->height();
}

TFieldGrid::TFieldGrid(const TFormScale& scale, QWidget* parent) : TStringGrid(4, parent) {
    setObjectName("StringGrid1");
    SetDefaultSizes(scale.Horz(45), scale.Vert(18));
    setToolTip("right-click to select field type");
    SetKeyFilter(this);
    viewport()->installEventFilter(this);
    viewport()->setMouseTracking(true);
    horizontalHeader()->viewport()->installEventFilter(this);
    horizontalHeader()->viewport()->setMouseTracking(true);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(50);
    connect(Timer1, &QTimer::timeout, this, [this] { Guarded([this] { Timer1Timer(); }); });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    // The open menu takes the focus from the cell editor, which closes on that; once the menu
    // is gone the focus would belong to the closed editor, that is to nobody. It goes back to
    // the grid, into the current cell's editor.
    connect(PopupMenu1, &QMenu::aboutToHide, this, [this] {
        QTimer::singleShot(0, this, [this] {
            const QWidget* focus = QApplication::focusWidget();
            if (window()->isActiveWindow() && (!focus || !focus->isVisible())) {
                setFocus(Qt::PopupFocusReason);
                edit(currentIndex());
            }
        });
    });
    // A click on a cell opens its editor at once, so the view's clicked signal never comes:
    // the grid counts as clicked whenever a cell is pressed or the current cell moves.
    connect(this, &QTableWidget::pressed, this, [this] { StringGrid1Click(); });
    connect(this, &QTableWidget::currentCellChanged, this, [this] { StringGrid1Click(); });

    BuildPopupMenu();
    SetupGrid(scale);
}

void TFieldGrid::BuildPopupMenu() {
    for (std::size_t k = 0; k < TextTypeOpts.size(); ++k) {
        QAction* item = PopupMenu1->addAction(QString::fromLatin1(TextTypeOpts[k].Caption));
        item->setObjectName("MenuItem" + QString::number(k));
        connect(item, &QAction::triggered, this,
                [this, item] { Guarded([this, item] { PopupClick(*item); }); });
    }
}

void TFieldGrid::SetupGrid(const TFormScale& scale) {
    SetRowCount(GridRowCount);
    SetCells(0, 0, "Field #");
    SetCells(ColType, 0, "Field Type");
    SetCells(ColSize, 0, "Field Size");
    SetCells(ColString, 0, "String (for fixed/random)");
    for (int r = 1; r < GridRowCount; ++r) {
        char number[16];
        std::snprintf(number, sizeof number, "%3d", r);
        SetCells(0, r, number);
    }
    SetColWidth(ColType, scale.Horz(145));
    SetColWidth(ColSize, scale.Horz(55));
    SetColWidth(ColString, scale.Horz(140));
    setCurrentCell(0, ColSize);
}

std::vector<TGridRow> TFieldGrid::Rows() const {
    std::vector<TGridRow> rows;
    rows.reserve(static_cast<std::size_t>(RowCount() - 1));
    for (int r = 1; r < RowCount(); ++r) {
        rows.push_back({Cells(ColType, r), Cells(ColSize, r), Cells(ColString, r)});
    }
    return rows;
}

void TFieldGrid::LoadFields(const std::vector<TFieldDef>& fields) {
    // Only a settings file edited by other means can hold more fields than the grid has
    // rows; loading part of such a definition would pass it off as the whole one.
    if (fields.size() > static_cast<std::size_t>(RowCount() - 1)) {
        throw Exception("Too many fields in record definition!");
    }
    for (int r = 1; r < RowCount(); ++r) {
        ClearGridRow(r);
    }
    int row = 1;
    for (const TFieldDef& field : fields) {
        SetCells(ColType, row, CaptionOfTextType(field.TextType));
        SetCells(ColSize, row, std::to_string(field.Size));
        SetCells(ColString, row, field.Str);
        ++row;
    }
}

void TFieldGrid::ClearGridRow(int row) {
    if (row <= 0 || row >= RowCount()) {
        return;
    }
    for (int c = ColType; c <= ColString; ++c) {
        SetCells(c, row, std::string());
    }
}

void TFieldGrid::PopupClick(const QAction& item) {
    const std::string caption = FromQString(item.text());
    const TTextType t = TextTypeOfCaption(caption);
    const int r = FPopupRow;
    const int last = RowCount() - 1;
    if (r < 1 || r > last) {
        return;
    }
    const auto copyRow = [this](int from, int to) {
        for (int c = ColType; c <= ColString; ++c) {
            SetCells(c, to, Cells(c, from));
        }
    };
    switch (t) {
    case ttClearAll:
        if (ConfirmYesNo("Really delete all field definitions?") == mrYes) {
            for (int s = 1; s <= last; ++s) {
                ClearGridRow(s);
            }
        }
        break;
    case ttDeleteLine:
        for (int s = r + 1; s <= last; ++s) {
            copyRow(s, s - 1);
        }
        break;
    case ttInsertLine:
        for (int s = last; s >= r + 1; --s) {
            copyRow(s - 1, s);
        }
        ClearGridRow(r);
        break;
    default: {
        SetCells(ColType, r, caption);
        const TTextTypeOpt& opt = OptOfTextType(t);
        if (t == ttDate) {
            emit DateTypeChosen();
        }
        // A text typed for one string field may serve the next one; a date's last year, or a
        // string under a type that has none, would only mislead.
        if (!opt.UsesString || opt.Kind == TFieldKind::Date) {
            SetCells(ColString, r, std::string());
        }
        if (t == ttFileLine && Cells(ColString, r).empty()) {
            emit FileLineTypeChosen(r);
        }
        break;
    }
    }
}

bool TFieldGrid::eventFilter(QObject* watched, QEvent* event) {
    bool consumed = false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched == this || watched->parent() == viewport()) {
            const auto& key = static_cast<QKeyEvent&>(*event);
            Guarded([&] { consumed = KeyDown(key); });
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: {
        const bool onCells = watched == viewport();
        if (!onCells && watched != horizontalHeader()->viewport()) {
            break;
        }
        const auto& mouse = static_cast<QMouseEvent&>(*event);
        const QPoint gridPos =
            static_cast<QWidget*>(watched)->mapTo(this, mouse.position().toPoint());
        Guarded([&] { consumed = MouseEvent(event->type(), mouse, onCells, gridPos); });
        break;
    }
    default:
        break;
    }
    return consumed || TStringGrid::eventFilter(watched, event);
}

bool TFieldGrid::KeyDown(const QKeyEvent& key) {
    char32_t code = 0;
    if (ContextMenuKey(key)) {
        PopupAtCurrentRow();
    } else if (const int direction = ControlTab(key)) {
        FocusOutOfGrid(direction > 0);
    } else if (const int delta = RowExchangeKey(key)) {
        ExchangeCurrentRow(delta);
    } else if (TypedCharacter(key, code)) {
        return !StringGrid1KeyPress(code);
    } else {
        return false;
    }
    return true;
}

bool TFieldGrid::MouseEvent(QEvent::Type type, const QMouseEvent& mouse, bool onCells,
                            QPoint gridPos) {
    if (type == QEvent::MouseMove) {
        if (FDragging) {
            StringGrid1DragOver(gridPos);
            return true;
        }
        UpdateDragScroll(gridPos.y());
        return false;
    }
    if (type == QEvent::MouseButtonRelease) {
        return StringGrid1MouseUp(mouse, gridPos);
    }
    if (onCells || mouse.button() == Qt::RightButton) {
        return StringGrid1MouseDown(mouse, gridPos);
    }
    return false;
}

bool TFieldGrid::StringGrid1MouseDown(const QMouseEvent& event, QPoint gridPos) {
    // The right button only opens the menu on its release; it never moves the current cell.
    if (event.button() == Qt::RightButton) {
        return true;
    }
    int col = 0;
    int row = 0;
    if (event.button() != Qt::LeftButton || !MouseToCell(gridPos, col, row) || row < 1 ||
        col >= FixedCols) {
        return false;
    }
    FDragRow = row;
    FDragging = true;
    return true;
}

bool TFieldGrid::StringGrid1MouseUp(const QMouseEvent& event, QPoint gridPos) {
    if (event.button() == Qt::LeftButton && FDragging) {
        StringGrid1EndDrag(gridPos);
        return true;
    }
    if (event.button() != Qt::RightButton) {
        return false;
    }
    int col = 0;
    int row = 0;
    if (MouseToCell(gridPos, col, row)) {
        PopupAtRow(row);
    }
    return true;
}

void TFieldGrid::PopupAtRow(int row) {
    if (row < 1 || row >= RowCount()) {
        return;
    }
    FPopupRow = row;
    const QRect typeCell = CellRect(ColType, row);
    PopupMenu1->popup(mapToGlobal(typeCell.bottomLeft()));
}

void TFieldGrid::PopupAtCurrentRow() {
    const int row = currentRow() + 1;
    if (row < 1) {
        return;
    }
    scrollToItem(item(row - 1, ColType));
    PopupAtRow(row);
}

void TFieldGrid::FocusOutOfGrid(bool forward) {
    // The next control in the tab order that can take the focus, passing over the grid's
    // own parts (the cell editor, the scroll bars).
    QWidget* w = this;
    for (;;) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (w == this) {
            return;
        }
        if (isAncestorOf(w) || w->window() != window()) {
            continue;
        }
        if (w->isEnabled() && w->isVisible() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

void TFieldGrid::ExchangeCurrentRow(int delta) {
    const int row = currentRow() + 1;
    const int target = row + delta;
    if (row < 1 || target < 1 || target >= RowCount()) {
        return;
    }
    // The same as dragging the current row onto its neighbour; the current cell goes with
    // the row, so that the next key stroke moves it on.
    FDragRow = row;
    ExchangeWithDragRow(target);
    setCurrentCell(target - 1, currentColumn());
}

bool TFieldGrid::DropAccepted(QPoint gridPos, int& dropRow) const {
    int col = 0;
    return MouseToCell(gridPos, col, dropRow) && dropRow >= 1 && dropRow != FDragRow &&
           col < FixedCols;
}

void TFieldGrid::StringGrid1DragOver(QPoint gridPos) {
    int dropRow = 0;
    const bool accept = DropAccepted(gridPos, dropRow);
    viewport()->setCursor(accept ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
    UpdateDragScroll(gridPos.y());
}

void TFieldGrid::StringGrid1EndDrag(QPoint gridPos) {
    FDragging = false;
    viewport()->unsetCursor();
    int dropRow = 0;
    if (DropAccepted(gridPos, dropRow)) {
        ExchangeWithDragRow(dropRow);
    }
}

void TFieldGrid::ExchangeWithDragRow(int dropRow) {
    for (int c = ColType; c <= ColString; ++c) {
        const std::string dropped = Cells(c, dropRow);
        SetCells(c, dropRow, Cells(c, FDragRow));
        SetCells(c, FDragRow, dropped);
    }
}

void TFieldGrid::StringGrid1Click() {
    Timer1->stop();
}

bool TFieldGrid::StringGrid1KeyPress(char32_t key) const {
    if (key > 0xFF) {
        return false;
    }
    switch (currentColumn()) {
    case ColSize:
        return (key >= '0' && key <= '9') || key == 8 || key == 9 || key == 13;
    case ColString:
        return OptOfTextType(TextTypeOfCaption(Cells(ColType, currentRow() + 1))).UsesString;
    default:
        return true;
    }
}

void TFieldGrid::UpdateDragScroll(int y) {
    // Enabling a running timer must not restart its interval, or a moving pointer would
    // keep it from ever firing.
    if (y <= DefaultRowHeight()) {
        FDragScroll = TDragScroll::Up;
        if (!Timer1->isActive()) {
            Timer1->start();
        }
    } else if (y >= height() - DefaultRowHeight() / 2) {
        FDragScroll = TDragScroll::Down;
        if (!Timer1->isActive()) {
            Timer1->start();
        }
    } else {
        Timer1->stop();
    }
}

void TFieldGrid::Timer1Timer() {
    if (!window()->isActiveWindow() || !FDragging || !CursorInGrid(this)) {
        return;
    }
    if (FDragScroll == TDragScroll::Up) {
        ScrollGridUp();
    } else if (FDragScroll == TDragScroll::Down) {
        ScrollGridDown();
    }
}

void TFieldGrid::ScrollGridUp() {
    if (TopRow() > 1) {
        SetTopRow(TopRow() - 1);
    } else {
        Timer1->stop();
    }
}

void TFieldGrid::ScrollGridDown() {
    if (TopRow() + VisibleRowCount() < RowCount()) {
        SetTopRow(TopRow() + 1);
    } else {
        Timer1->stop();
    }
}
