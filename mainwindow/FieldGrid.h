// SPDX-License-Identifier: MIT
#pragma once

#include "engine/CommandLanguage.h"
#include "engine/CommandStringWriter.h"
#include "widgets/StringGrid.h"

#include <QEvent>

#include <cstdint>
#include <string>
#include <vector>

class QAction;
class QKeyEvent;
class QMenu;
class QMouseEvent;
class QTimer;
class TFormScale;

/// True when the screen pointer lies over grid, its edges included.
bool CursorInGrid(const QWidget* grid);

/// The record table of the main window: 512 field rows of type, size and string. The type is
/// chosen from its popup menu (a right-click, Shift+F10 or the Menu key), which also deletes,
/// inserts and clears rows; typing is filtered per column; rows are exchanged by dragging
/// them by their number or type cell, scrolling while the pointer rests at an edge, or with
/// Alt+Shift+Up and Down; Ctrl+Tab leaves the grid.
class TFieldGrid : public TStringGrid {
    Q_OBJECT

public:
    static constexpr int GridRowCount = 513;
    static constexpr int ColType = 1;
    static constexpr int ColSize = 2;
    static constexpr int ColString = 3;

    TFieldGrid(const TFormScale& scale, QWidget* parent = nullptr);

    /// The field rows in order, as the command-string writer takes them.
    std::vector<TGridRow> Rows() const;
    /// Empties every field row and fills the first ones with fields; raises when they are
    /// more than the grid has rows, and then changes nothing.
    void LoadFields(const std::vector<TFieldDef>& fields);
    /// Empties a field row; rows outside 1 to 512 are ignored.
    void ClearGridRow(int row);

signals:
    /// "random date" was chosen from the popup menu for a row.
    void DateTypeChosen();
    /// "random line of file" was chosen for row, whose String does not name a file yet.
    void FileLineTypeChosen(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Where Timer1 scrolls the grid while a row is dragged.
    enum class TDragScroll { None, Up, Down };

    void BuildPopupMenu();
    void SetupGrid(const TFormScale& scale);
    void PopupClick(const QAction& item);
    /// A key pressed in the grid or a cell editor; true when nobody else is to see it.
    bool KeyDown(const QKeyEvent& key);
    /// A mouse event of the cells or the titles at gridPos; true when the grid is not to
    /// see it.
    bool MouseEvent(QEvent::Type type, const QMouseEvent& mouse, bool onCells, QPoint gridPos);
    bool StringGrid1MouseDown(const QMouseEvent& event, QPoint gridPos);
    bool StringGrid1MouseUp(const QMouseEvent& event, QPoint gridPos);
    void StringGrid1DragOver(QPoint gridPos);
    void StringGrid1EndDrag(QPoint gridPos);
    void StringGrid1Click();
    /// The typed character key (a Latin-1 code, or above 255) judged by the current column;
    /// false when it is to be dropped.
    bool StringGrid1KeyPress(char32_t key) const;
    bool DropAccepted(QPoint gridPos, int& dropRow) const;
    /// Exchanges the contents of a data row with those of FDragRow, as a drop does.
    void ExchangeWithDragRow(int dropRow);
    /// Opens the popup menu for a data row at the row's type cell.
    void PopupAtRow(int row);
    /// Opens the popup menu for the current row, brought into view.
    void PopupAtCurrentRow();
    /// Moves the focus from the grid to the next or previous control of the window.
    void FocusOutOfGrid(bool forward);
    /// Exchanges the current row with the one delta rows away, as a drag onto it does.
    void ExchangeCurrentRow(int delta);
    void UpdateDragScroll(int y);
    void Timer1Timer();
    void ScrollGridUp();
    void ScrollGridDown();

    QTimer* Timer1;
    QMenu* PopupMenu1;

    std::int32_t FPopupRow = 0;
    std::int32_t FDragRow = 0;
    bool FDragging = false;
    TDragScroll FDragScroll = TDragScroll::None;
};
