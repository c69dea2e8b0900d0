// SPDX-License-Identifier: MIT
#pragma once

#include <QTableWidget>
#include <string>

class QLineEdit;

/// A grid of 8-bit texts with one fixed title row and fixed leading columns, numbered the
/// classic way: row 0 is the title row (the horizontal header), rows 1 and up are the data
/// rows, columns count from 0 and the first FixedCols of them are fixed. Fixed cells are
/// drawn in the button colour and can be neither selected, edited nor reached with the
/// keyboard. Cell editors accept Latin-1 only and write every change through at once, so the
/// cells always hold what the user sees.
class TStringGrid : public QTableWidget {
    Q_OBJECT

public:
    static constexpr int FixedCols = 2;

    TStringGrid(int colCount, QWidget* parent = nullptr);

    /// All rows, the title row included.
    int RowCount() const { return rowCount() + 1; }
    void SetRowCount(int rows);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    int DefaultColWidth() const { return FDefaultColWidth; }
    /// The width of every column not set apart and the height of every row, the title row's too.
    void SetDefaultSizes(int colWidth, int rowHeight);
    void SetColWidth(int col, int width) { setColumnWidth(col, width); }

    std::string Cells(int col, int row) const;
    void SetCells(int col, int row, const std::string& text);

    /// The first visible data row.
    int TopRow() const;
    void SetTopRow(int row);
    /// The number of data rows fully visible.
    int VisibleRowCount() const;

    /// The cell under point (in the grid's own coordinates); false when there is none.
    bool MouseToCell(QPoint point, int& col, int& row) const;
    /// The rectangle of a visible cell in the grid's own coordinates.
    QRect CellRect(int col, int row) const;

    /// Also sees the key presses of every cell editor (before the editor acts on them).
    void SetKeyFilter(QObject* filter);
    QObject* KeyFilter() const { return FKeyFilter; }

protected:
    /// Ctrl+A selects the text of the current cell in its editor, not the whole table.
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    QTableWidgetItem* CellItem(int col, int row) const;

    int FDefaultRowHeight = 18;
    int FDefaultColWidth = 45;
    QObject* FKeyFilter = nullptr;
};
