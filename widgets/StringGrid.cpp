// SPDX-License-Identifier: MIT
#include "widgets/StringGrid.h"

#include "platform/Latin1.h"
#include "widgets/Latin1Validator.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

/// Draws the fixed cells like the title row and gives the editable ones a Latin-1 editor.
class TGridDelegate : public QStyledItemDelegate {
public:
    explicit TGridDelegate(TStringGrid* grid) : QStyledItemDelegate(grid), FGrid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (index.column() >= TStringGrid::FixedCols) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->save();
        painter->fillRect(option.rect, option.palette.button());
        painter->setPen(option.palette.color(QPalette::ButtonText));
        painter->setFont(option.font);
        // A small fixed margin instead of the style's wider one: the longest field-type
        // caption has to fit the Field Type column.
        painter->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          index.data().toString());
        painter->restore();
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setValidator(new TLatin1Validator(editor));
        if (FGrid->KeyFilter())
            editor->installEventFilter(FGrid->KeyFilter());
        connect(editor, &QLineEdit::textEdited, this,
                [this, editor] { emit const_cast<TGridDelegate*>(this)->commitData(editor); });
        return editor;
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        // Ctrl+Tab and Ctrl+Shift+Tab leave the grid; the delegate would take them for Tab
        // and move to the next cell.
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
                (key->modifiers() & Qt::ControlModifier))
                return false;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TStringGrid* FGrid;
};

} // namespace

TStringGrid::TStringGrid(int colCount, QWidget* parent) : QTableWidget(0, colCount, parent) {
    setItemDelegate(new TGridDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(FDefaultRowHeight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* titles = horizontalHeader();
    titles->setMinimumSectionSize(1);
    titles->setDefaultSectionSize(FDefaultColWidth);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setSectionsClickable(false);
    titles->setHighlightSections(false);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    titles->setFixedHeight(FDefaultRowHeight);
    titles->setStretchLastSection(false);
    setHorizontalHeaderLabels(QStringList(colCount, QString()));
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerPixel);
    setSelectionMode(ContiguousSelection);
    setSelectionBehavior(SelectItems);
    setEditTriggers(AllEditTriggers);
    setTabKeyNavigation(true);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
}

void TStringGrid::SetDefaultSizes(int colWidth, int rowHeight) {
    FDefaultColWidth = colWidth;
    FDefaultRowHeight = rowHeight;
    verticalHeader()->setDefaultSectionSize(rowHeight);
    horizontalHeader()->setDefaultSectionSize(colWidth);
    horizontalHeader()->setFixedHeight(rowHeight);
}

void TStringGrid::SetRowCount(int rows) {
    const int oldData = rowCount();
    const int newData = std::max(rows - 1, 0);
    setRowCount(newData);
    for (int r = oldData; r < newData; ++r)
        for (int c = 0; c < columnCount(); ++c) {
            auto* item = new QTableWidgetItem;
            if (c < FixedCols)
                item->setFlags(Qt::ItemIsEnabled);
            setItem(r, c, item);
        }
}

QTableWidgetItem* TStringGrid::CellItem(int col, int row) const {
    if (row == 0)
        return horizontalHeaderItem(col);
    return item(row - 1, col);
}

std::string TStringGrid::Cells(int col, int row) const {
    const QTableWidgetItem* cell = CellItem(col, row);
    return cell ? FromQString(cell->text()) : std::string();
}

void TStringGrid::SetCells(int col, int row, const std::string& text) {
    if (QTableWidgetItem* cell = CellItem(col, row))
        cell->setText(ToQString(text));
}

int TStringGrid::TopRow() const {
    return verticalScrollBar()->value() + 1;
}

void TStringGrid::SetTopRow(int row) {
    verticalScrollBar()->setValue(row - 1);
}

int TStringGrid::VisibleRowCount() const {
    return std::max(viewport()->height() / FDefaultRowHeight, 0);
}

bool TStringGrid::MouseToCell(QPoint point, int& col, int& row) const {
    const QHeaderView* titles = horizontalHeader();
    if (titles->geometry().contains(point)) {
        col = titles->logicalIndexAt(point.x() - titles->x());
        row = 0;
        return col >= 0;
    }
    if (!viewport()->geometry().contains(point))
        return false;
    const QModelIndex index = indexAt(point - viewport()->pos());
    if (!index.isValid())
        return false;
    col = index.column();
    row = index.row() + 1;
    return true;
}

QRect TStringGrid::CellRect(int col, int row) const {
    if (row == 0) {
        const QHeaderView* titles = horizontalHeader();
        return QRect(titles->sectionViewportPosition(col), 0, titles->sectionSize(col),
                     titles->height())
            .translated(titles->pos());
    }
    return visualRect(model()->index(row - 1, col)).translated(viewport()->pos());
}

void TStringGrid::SetKeyFilter(QObject* filter) {
    if (FKeyFilter)
        removeEventFilter(FKeyFilter);
    FKeyFilter = filter;
    if (filter)
        installEventFilter(filter);
}

void TStringGrid::keyPressEvent(QKeyEvent* event) {
    if (!event->matches(QKeySequence::SelectAll)) {
        QTableWidget::keyPressEvent(event);
        return;
    }
    const QModelIndex current = currentIndex();
    if (current.isValid() && (current.flags() & Qt::ItemIsEditable)) {
        edit(current);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (editor && viewport()->isAncestorOf(editor))
            editor->selectAll();
    }
    event->accept();
}

QModelIndex TStringGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = currentIndex();
    QModelIndex next = QTableWidget::moveCursor(action, modifiers);
    if (!next.isValid() || next.column() >= FixedCols)
        return next;
    // The fixed columns are skipped: backwards into the last column of the row above,
    // otherwise into the first editable column.
    if (action == MovePrevious) {
        if (current.row() <= 0)
            return current;
        return model()->index(current.row() - 1, columnCount() - 1);
    }
    return model()->index(next.row(), FixedCols);
}
