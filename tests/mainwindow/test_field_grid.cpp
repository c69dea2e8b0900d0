// SPDX-License-Identifier: MIT
// The record table as the user edits it: its layout, the popup menu of field types and row
// operations, the key filter per column, rows exchanged by dragging and by keys, scrolling
// while dragging, and leaving the grid with the keyboard. The grid stands in a window of its
// own between two edits.
#include "MainWindowTestSupport.h"

#include "engine/CommandLanguage.h"
#include "engine/Exceptions.h"
#include "mainwindow/FieldGrid.h"
#include "platform/Latin1.h"
#include "widgets/FormScale.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

/// Menu items by their place in the popup menu.
enum TMenuItem {
    miDeleteLine = 0,
    miInsertLine = 1,
    miClearAll = 2,
    miNumeric = 3,
    miBlank = 8,
    miFixed = 10,
    miRandomString = 11,
    miDate = 14,
    miCounter = 16,
    miRange = 17,
    miList = 18,
    miFileLine = 19,
};

} // namespace

class TestFieldGrid : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void gridIsSetUp();
    void popupSetsTheFieldType();
    void popupOpensOnlyOnDataRows();
    void stringSurvivesOnlyBetweenStringTypes();
    void valueTypesKeepAndTakeTheirString();
    void fileLineTypeAsksForAFileOnlyWithoutOne();
    void deleteLineMovesRowsUp();
    void insertLineMovesRowsDown();
    void clearAllAsksFirst_data();
    void clearAllAsksFirst();
    void keyFilterPerColumn_data();
    void keyFilterPerColumn();
    void clickedCellTakesTypedText_data();
    void clickedCellTakesTypedText();
    void draggingExchangesRows_data();
    void draggingExchangesRows();
    void dragScrollsAtTheEdges();
    void menuKeysOpenThePopupForTheCurrentRow_data();
    void menuKeysOpenThePopupForTheCurrentRow();
    void controlTabLeavesTheGrid_data();
    void controlTabLeavesTheGrid();
    void altShiftArrowsExchangeRows();
    void ctrlASelectsTheCellText_data();
    void ctrlASelectsTheCellText();
    void dateTypeChosenIsToldEachTime();
    void rowsAndLoadedFields();

private:
    TFieldGrid* Grid() const { return G; }
    QPoint CellCenter(int col, int row) const { return ::CellCenter(*G, col, row); }
    void RightClick(int col, int row) { ::RightClick(*G, col, row); }
    void SetRow(int row, const std::string& type, const std::string& size, const std::string& str);
    QStringList Row(int row) const;

    std::unique_ptr<QWidget> FHost;
    TFormScale FScale;
    QLineEdit* FBefore = nullptr;
    TFieldGrid* G = nullptr;
    QLineEdit* FAfter = nullptr;
};

void TestFieldGrid::init() {
    FHost = std::make_unique<QWidget>();
    FScale = FormScale(FHost->font());
    FHost->resize(FScale.Size({431, 260}));
    FBefore = new QLineEdit(FHost.get());
    FBefore->setGeometry(FScale.Rect({5, 30, 100, 21}));
    G = new TFieldGrid(FScale, FHost.get());
    G->setGeometry(FScale.Rect({5, 62, 409, 139}));
    FAfter = new QLineEdit(FHost.get());
    FAfter->setGeometry(FScale.Rect({5, 230, 100, 21}));
    FHost->show();
    QVERIFY(QTest::qWaitForWindowExposed(FHost.get()));
    FHost->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FHost.get()));
}

void TestFieldGrid::cleanup() {
    if (QMenu* menu = OpenMenu())
        menu->hide();
    FHost.reset();
}

void TestFieldGrid::SetRow(int row, const std::string& type, const std::string& size,
                           const std::string& str) {
    G->SetCells(1, row, type);
    G->SetCells(2, row, size);
    G->SetCells(3, row, str);
}

QStringList TestFieldGrid::Row(int row) const {
    return {ToQString(G->Cells(1, row)), ToQString(G->Cells(2, row)), ToQString(G->Cells(3, row))};
}

void TestFieldGrid::gridIsSetUp() {
    QCOMPARE(G->RowCount(), 513);
    QCOMPARE(Grid()->rowCount(), 512);
    QCOMPARE(ToQString(G->Cells(0, 0)), "Field #");
    QCOMPARE(ToQString(G->Cells(1, 0)), "Field Type");
    QCOMPARE(ToQString(G->Cells(2, 0)), "Field Size");
    QCOMPARE(ToQString(G->Cells(3, 0)), "String (for fixed/random)");
    QCOMPARE(ToQString(G->Cells(0, 1)), "  1");
    QCOMPARE(ToQString(G->Cells(0, 42)), " 42");
    QCOMPARE(ToQString(G->Cells(0, 512)), "512");
    QCOMPARE(Row(1), QStringList({"", "", ""}));
    // The design sizes, grown with the font.
    const int widths[] = {45, 145, 55, 140};
    for (int c = 0; c < 4; ++c)
        QCOMPARE(Grid()->columnWidth(c), FScale.Horz(widths[c]));
    QCOMPARE(Grid()->rowHeight(0), FScale.Vert(18));
    QCOMPARE(Grid()->horizontalHeader()->height(), FScale.Vert(18));
    for (int c = 0; c < 2; ++c) {
        const Qt::ItemFlags flags = Grid()->item(0, c)->flags();
        QVERIFY(!(flags & Qt::ItemIsEditable));
        QVERIFY(!(flags & Qt::ItemIsSelectable));
    }
    QVERIFY(Grid()->item(0, 2)->flags() & Qt::ItemIsEditable);
    QCOMPARE(G->TopRow(), 1);
    G->SetTopRow(100);
    QCOMPARE(G->TopRow(), 100);

    // Tab moves between the editable cells only.
    Grid()->setFocus();
    Grid()->setCurrentCell(0, 3);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(Grid()->currentRow(), 1);
    QCOMPARE(Grid()->currentColumn(), 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(Grid()->currentRow(), 0);
    QCOMPARE(Grid()->currentColumn(), 3);
}

void TestFieldGrid::popupSetsTheFieldType() {
    SetRow(7, "", "12", "leftover");
    RightClick(2, 7);
    QMenu* menu = OpenMenu();
    QVERIFY(menu);
    QCOMPARE(menu->actions().size(), 20);
    for (int k = 0; k < 20; ++k) {
        QAction* item = menu->actions()[k];
        QCOMPARE(item->objectName(), "MenuItem" + QString::number(k));
        QCOMPARE(item->text(), QString::fromLatin1(TextTypeOpts[k].Caption));
    }
    // The menu opens at the Field Type cell of the clicked row.
    const QRect typeCell = Grid()->CellRect(1, 7);
    QCOMPARE(menu->pos().x(), Grid()->mapToGlobal(typeCell.bottomLeft()).x());
    Choose(miNumeric);
    QCOMPARE(Row(7), QStringList({"numeric (0..9)", "12", ""}));
    // Right-clicking never moves the current cell.
    QCOMPARE(Grid()->currentRow(), 0);
}

void TestFieldGrid::popupOpensOnlyOnDataRows() {
    QTest::mouseClick(Grid()->horizontalHeader()->viewport(), Qt::RightButton, {}, QPoint(80, 9));
    QVERIFY(!OpenMenu());
    QCOMPARE(ToQString(G->Cells(1, 0)), "Field Type");
    // Right of the last column there is no cell either.
    const int pastColumns = Grid()->horizontalHeader()->length() + 2;
    QVERIFY(pastColumns < Grid()->viewport()->width());
    QTest::mouseClick(Grid()->viewport(), Qt::RightButton, {}, QPoint(pastColumns, 5));
    QVERIFY(!OpenMenu());
}

void TestFieldGrid::stringSurvivesOnlyBetweenStringTypes() {
    SetRow(3, "fixed string", "2", "abc");
    RightClick(0, 3);
    Choose(miRandomString);
    QCOMPARE(Row(3), QStringList({"random from string", "2", "abc"}));
    RightClick(1, 3);
    Choose(miFixed);
    QCOMPARE(Row(3), QStringList({"fixed string", "2", "abc"}));
    RightClick(3, 3);
    Choose(miBlank);
    QCOMPARE(Row(3), QStringList({"blank", "2", ""}));
}

// The four value types take their value from the String column: a first count, a range, a
// list or a file name. It survives a change between them, and it can be typed.
void TestFieldGrid::valueTypesKeepAndTakeTheirString() {
    SetRow(3, "fixed string", "", "a|b");
    RightClick(1, 3);
    Choose(miList);
    QCOMPARE(Row(3), QStringList({"random from list", "", "a|b"}));
    RightClick(1, 3);
    Choose(miRange);
    QCOMPARE(Row(3), QStringList({"number range", "", "a|b"}));
    RightClick(1, 3);
    Choose(miDate);
    QCOMPARE(Row(3), QStringList({"random date", "", ""}));
    RightClick(1, 3);
    Choose(miCounter);
    Grid()->setFocus();
    Grid()->setCurrentCell(2, 3);
    QTest::keyClicks(QApplication::focusWidget(), "7");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(Row(3), QStringList({"counter (record number)", "", "7"}));
}

// Choosing "random line of file" asks the window for a file only while the row names none, so
// that a chosen file is not asked for again.
void TestFieldGrid::fileLineTypeAsksForAFileOnlyWithoutOne() {
    QSignalSpy asked(G, &TFieldGrid::FileLineTypeChosen);
    RightClick(1, 4);
    Choose(miFileLine);
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.at(0).at(0).toInt(), 4);
    G->SetCells(3, 4, "words.txt");
    RightClick(1, 4);
    Choose(miFileLine);
    QCOMPARE(asked.count(), 1);
    QCOMPARE(Row(4), QStringList({"random line of file", "", "words.txt"}));
}

void TestFieldGrid::deleteLineMovesRowsUp() {
    SetRow(3, "fixed string", "1", "abc");
    SetRow(4, "random from string", "2", "xyz");
    SetRow(5, "numeric (0..9)", "3", "");
    SetRow(512, "blank", "9", "");
    RightClick(2, 3);
    Choose(miDeleteLine);
    QCOMPARE(Row(3), QStringList({"random from string", "2", "xyz"}));
    QCOMPARE(Row(4), QStringList({"numeric (0..9)", "3", ""}));
    QCOMPARE(Row(5), QStringList({"", "", ""}));
    QCOMPARE(Row(511), QStringList({"blank", "9", ""}));
    QCOMPARE(Row(512), QStringList({"blank", "9", ""}));
    QCOMPARE(ToQString(G->Cells(0, 3)), "  3");

    RightClick(2, 512);
    Choose(miDeleteLine);
    QCOMPARE(Row(512), QStringList({"blank", "9", ""}));
}

void TestFieldGrid::insertLineMovesRowsDown() {
    SetRow(1, "fixed string", "1", "abc");
    SetRow(2, "random from string", "2", "xyz");
    SetRow(512, "blank", "9", "");
    RightClick(2, 1);
    Choose(miInsertLine);
    QCOMPARE(Row(1), QStringList({"", "", ""}));
    QCOMPARE(Row(2), QStringList({"fixed string", "1", "abc"}));
    QCOMPARE(Row(3), QStringList({"random from string", "2", "xyz"}));
    QCOMPARE(Row(512), QStringList({"", "", ""}));
    QCOMPARE(ToQString(G->Cells(0, 1)), "  1");

    SetRow(512, "blank", "9", "");
    RightClick(2, 512);
    Choose(miInsertLine);
    QCOMPARE(Row(512), QStringList({"", "", ""}));
    QCOMPARE(Row(3), QStringList({"random from string", "2", "xyz"}));
}

void TestFieldGrid::clearAllAsksFirst_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("yes") << "Yes" << true;
    QTest::newRow("no") << "No" << false;
    QTest::newRow("closed") << "" << false;
}

void TestFieldGrid::clearAllAsksFirst() {
    QFETCH(QString, answer);
    QFETCH(bool, cleared);
    SetRow(1, "fixed string", "1", "abc");
    SetRow(6, "numeric (0..9)", "4", "");
    SetRow(512, "blank", "2", "");
    TDialogAnswerer answerer(answer);
    RightClick(2, 6);
    Choose(miClearAll);
    QCOMPARE(answerer.Shown.size(), 1u);
    QCOMPARE(answerer.Shown[0].Text, "Really delete all field definitions?");
    const QStringList empty{"", "", ""};
    QCOMPARE(Row(1) == empty, cleared);
    QCOMPARE(Row(6) == empty, cleared);
    QCOMPARE(Row(512) == empty, cleared);
    QCOMPARE(ToQString(G->Cells(0, 6)), "  6");
    QCOMPARE(ToQString(G->Cells(3, 0)), "String (for fixed/random)");
}

void TestFieldGrid::keyFilterPerColumn_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("typed"); // \b is Backspace
    QTest::addColumn<QString>("after");
    QTest::newRow("size takes digits only") << "" << 2 << ""
                                            << "1a2-3 x"
                                            << "123";
    QTest::newRow("size takes backspace") << "blank" << 2 << ""
                                          << "12\b"
                                          << "1";
    QTest::newRow("string of a date") << "random date" << 3 << ""
                                      << "2000"
                                      << "2000";
    QTest::newRow("string of a fixed string") << "fixed string" << 3 << ""
                                              << "a, b;"
                                              << "a, b;";
    QTest::newRow("string of a pool") << "random from string" << 3 << ""
                                      << "xyz"
                                      << "xyz";
    QTest::newRow("string of a numeric row") << "numeric (0..9)" << 3 << ""
                                             << "abc"
                                             << "";
    QTest::newRow("backspace in a numeric row's string") << "numeric (0..9)" << 3 << "keep"
                                                         << "\b\b"
                                                         << "keep";
    QTest::newRow("string of an empty row") << "" << 3 << ""
                                            << "abc"
                                            << "";
}

void TestFieldGrid::keyFilterPerColumn() {
    QFETCH(QString, type);
    QFETCH(int, column);
    QFETCH(QString, before);
    QFETCH(QString, typed);
    QFETCH(QString, after);
    SetRow(4, FromQString(type), "", column == 3 ? FromQString(before) : "");
    Grid()->setFocus();
    Grid()->setCurrentCell(3, column);
    for (QChar c : typed) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        if (c == '\b')
            QTest::keyClick(target, Qt::Key_Backspace);
        else
            QTest::keyClicks(target, QString(c));
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(ToQString(G->Cells(column, 4)), after);
}

void TestFieldGrid::clickedCellTakesTypedText_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");
    QTest::newRow("size of an empty row") << "" << 2 << "5"
                                          << "5";
    QTest::newRow("size of a numeric row") << "numeric (0..9)" << 2 << "12"
                                           << "12";
    QTest::newRow("string of a fixed row") << "fixed string" << 3 << "ab"
                                           << "ab";
    QTest::newRow("letters in a size") << "numeric (0..9)" << 2 << "x7"
                                       << "7";
}

// A user clicks a cell and types: the click opens the cell, and the typed text must reach it
// through the same filter as when the cell was entered with the keyboard.
void TestFieldGrid::clickedCellTakesTypedText() {
    QFETCH(QString, type);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, after);
    SetRow(2, FromQString(type), "", "");
    QTest::mouseClick(G->viewport(), Qt::LeftButton, {}, CellCenter(column, 2));
    QTRY_VERIFY(QApplication::focusWidget() != nullptr);
    for (QChar c : typed)
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(ToQString(G->Cells(column, 2)), after);
}

void TestFieldGrid::draggingExchangesRows_data() {
    QTest::addColumn<int>("fromCol");
    QTest::addColumn<int>("toCol");
    QTest::addColumn<int>("toRow"); // 0: outside the grid
    QTest::addColumn<bool>("exchanged");
    QTest::newRow("number onto type") << 0 << 1 << 6 << true;
    QTest::newRow("type onto number") << 1 << 0 << 6 << true;
    QTest::newRow("onto the size column") << 0 << 2 << 6 << false;
    QTest::newRow("onto the string column") << 0 << 3 << 6 << false;
    QTest::newRow("onto itself") << 0 << 1 << 2 << false;
    QTest::newRow("outside the grid") << 0 << 1 << 0 << false;
    QTest::newRow("from an editable cell") << 2 << 1 << 6 << false;
}

void TestFieldGrid::draggingExchangesRows() {
    QFETCH(int, fromCol);
    QFETCH(int, toCol);
    QFETCH(int, toRow);
    QFETCH(bool, exchanged);
    for (int r = 1; r <= 7; ++r)
        SetRow(r, "fixed string", std::to_string(r), FromQString(QString("s%1").arg(r)));
    QWidget* cells = Grid()->viewport();
    const QPoint from = CellCenter(fromCol, 2);
    const QPoint to =
        toRow ? CellCenter(toCol, toRow) : QPoint(cells->width() + 200, cells->height() + 200);
    QTest::mousePress(cells, Qt::LeftButton, {}, from);
    QTest::mouseMove(cells, (from + to) / 2);
    QTest::mouseMove(cells, to);
    QTest::mouseRelease(cells, Qt::LeftButton, {}, to);
    const QStringList row2{"fixed string", "2", "s2"};
    const QStringList row6{"fixed string", "6", "s6"};
    QCOMPARE(Row(2), exchanged ? row6 : row2);
    QCOMPARE(Row(6), exchanged ? row2 : row6);
    // Rows are exchanged, not shifted.
    QCOMPARE(Row(3), QStringList({"fixed string", "3", "s3"}));
    QCOMPARE(Row(5), QStringList({"fixed string", "5", "s5"}));
    QCOMPARE(ToQString(G->Cells(0, 2)), "  2");
    QCOMPARE(ToQString(G->Cells(0, 6)), "  6");
}

void TestFieldGrid::dragScrollsAtTheEdges() {
    TFieldGrid* grid = Grid();
    QWidget* cells = grid->viewport();
    auto* timer = NamedChild<QTimer>(*G, "Timer1");
    const auto pointerTo = [&](QPoint gridPos) {
        QCursor::setPos(grid->mapToGlobal(gridPos));
        QTest::mouseMove(cells, cells->mapFrom(grid, gridPos));
    };
    G->SetTopRow(6);
    const QPoint start = cells->mapTo(grid, CellCenter(0, 7));
    QTest::mousePress(cells, Qt::LeftButton, {}, cells->mapFrom(grid, start));

    // Over the title row the grid scrolls up until row 1 is at the top, then stops.
    pointerTo(QPoint(20, 10));
    QTRY_COMPARE(G->TopRow(), 1);
    QTRY_VERIFY(!timer->isActive());

    // The middle band stops the scrolling.
    G->SetTopRow(4);
    pointerTo(QPoint(20, 10));
    QVERIFY(timer->isActive());
    pointerTo(QPoint(20, grid->height() / 2));
    QVERIFY(!timer->isActive());
    QTest::qWait(150);
    QCOMPARE(G->TopRow(), 4);

    // At the bottom edge it scrolls down until row 512 is visible.
    G->SetTopRow(505);
    pointerTo(QPoint(20, grid->height() - 3));
    QTRY_COMPARE(G->TopRow() + grid->VisibleRowCount(), 513);
    QTRY_VERIFY(!timer->isActive());

    // Outside the grid a tick does nothing, but the timer keeps running.
    G->SetTopRow(300);
    pointerTo(QPoint(20, grid->height() - 3));
    const QPoint outside(20, grid->height() + 40);
    QCursor::setPos(grid->mapToGlobal(outside));
    const int top = G->TopRow();
    QTest::qWait(150);
    QCOMPARE(G->TopRow(), top);
    QVERIFY(timer->isActive());
    QTest::mouseRelease(cells, Qt::LeftButton, {}, cells->mapFrom(grid, outside));
    QTest::mouseClick(cells, Qt::LeftButton, {}, CellCenter(2, G->TopRow()));
    QVERIFY(!timer->isActive());
}

void TestFieldGrid::menuKeysOpenThePopupForTheCurrentRow_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("inEditor");
    QTest::newRow("menu key in the editor") << int(Qt::Key_Menu) << Qt::KeyboardModifiers() << true;
    QTest::newRow("menu key on the grid") << int(Qt::Key_Menu) << Qt::KeyboardModifiers() << false;
    QTest::newRow("shift+f10 in the editor")
        << int(Qt::Key_F10) << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
    QTest::newRow("shift+f10 on the grid")
        << int(Qt::Key_F10) << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
}

void TestFieldGrid::menuKeysOpenThePopupForTheCurrentRow() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, inEditor);
    SetRow(40, "", "12", "leftover");
    // The current row lies out of view: the menu brings it into view first.
    Grid()->setFocus();
    Grid()->setCurrentCell(39, 3);
    if (!inEditor)
        Grid()->setFocus();
    QWidget* target = QApplication::focusWidget();
    QCOMPARE(target != Grid(), inEditor);
    QTest::keyClick(target, Qt::Key(key), modifiers);
    QMenu* menu = OpenMenu();
    QVERIFY(menu);
    const QRect typeCell = Grid()->CellRect(1, 40);
    QVERIFY(Grid()->rect().contains(typeCell));
    QCOMPARE(menu->pos().x(), Grid()->mapToGlobal(typeCell.bottomLeft()).x());
    // The choice acts on that row, even when the current cell has moved meanwhile.
    Grid()->setCurrentCell(2, 2);
    Choose(miNumeric);
    QCOMPARE(Row(40), QStringList({"numeric (0..9)", "12", ""}));
    QCOMPARE(Row(3), QStringList({"", "", ""}));
    // The keyboard goes on where it was: in the current cell.
    QTRY_VERIFY(Grid()->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClicks(QApplication::focusWidget(), "7");
    QCOMPARE(ToQString(G->Cells(2, 3)), "7");
}

void TestFieldGrid::controlTabLeavesTheGrid_data() {
    QTest::addColumn<bool>("inEditor");
    QTest::newRow("from the cell editor") << true;
    QTest::newRow("from the grid") << false;
}

void TestFieldGrid::controlTabLeavesTheGrid() {
    QFETCH(bool, inEditor);
    const auto enterGrid = [&] {
        Grid()->setFocus();
        Grid()->setCurrentCell(5, 2);
        if (!inEditor)
            Grid()->setFocus();
        return QApplication::focusWidget();
    };
    QTest::keyClick(enterGrid(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), FAfter);
    QTest::keyClick(enterGrid(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), FBefore);
    // Tab alone still moves between the cells.
    QTest::keyClick(enterGrid(), Qt::Key_Tab);
    QVERIFY(Grid()->isAncestorOf(QApplication::focusWidget()) ||
            QApplication::focusWidget() == Grid());
    QCOMPARE(Grid()->currentRow(), 5);
    QCOMPARE(Grid()->currentColumn(), 3);
}

void TestFieldGrid::altShiftArrowsExchangeRows() {
    for (int r = 1; r <= 4; ++r)
        SetRow(r, "fixed string", std::to_string(r), FromQString(QString("s%1").arg(r)));
    const auto press = [&](Qt::Key key) {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier | Qt::ShiftModifier);
    };
    Grid()->setFocus();
    Grid()->setCurrentCell(2, 3); // row 3
    press(Qt::Key_Up);
    QCOMPARE(Row(2), QStringList({"fixed string", "3", "s3"}));
    QCOMPARE(Row(3), QStringList({"fixed string", "2", "s2"}));
    // The current cell goes with the row, so the next stroke moves it on.
    QCOMPARE(Grid()->currentRow(), 1);
    QCOMPARE(Grid()->currentColumn(), 3);
    press(Qt::Key_Up);
    QCOMPARE(Row(1), QStringList({"fixed string", "3", "s3"}));
    QCOMPARE(Row(2), QStringList({"fixed string", "1", "s1"}));
    // Row 1 has no row above it.
    press(Qt::Key_Up);
    QCOMPARE(Row(1), QStringList({"fixed string", "3", "s3"}));
    QCOMPARE(Grid()->currentRow(), 0);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    QCOMPARE(Row(1), QStringList({"fixed string", "1", "s1"}));
    QCOMPARE(Row(2), QStringList({"fixed string", "2", "s2"}));
    QCOMPARE(Row(3), QStringList({"fixed string", "3", "s3"}));
    QCOMPARE(Row(4), QStringList({"fixed string", "4", "s4"}));
    // Nor has row 512 one below it.
    SetRow(512, "blank", "9", "");
    Grid()->setCurrentCell(511, 2);
    press(Qt::Key_Down);
    QCOMPARE(Row(512), QStringList({"blank", "9", ""}));
    QCOMPARE(ToQString(G->Cells(0, 3)), "  3");
}

void TestFieldGrid::ctrlASelectsTheCellText_data() {
    QTest::addColumn<int>("col");
    QTest::addColumn<bool>("inEditor");
    QTest::newRow("size, grid") << 2 << false;
    QTest::newRow("size, editor") << 2 << true;
    QTest::newRow("string, grid") << 3 << false;
    QTest::newRow("string, editor") << 3 << true;
}

void TestFieldGrid::ctrlASelectsTheCellText() {
    QFETCH(int, col);
    QFETCH(bool, inEditor);
    SetRow(4, "numeric (0..9)", "12", "text");
    Grid()->setFocus();
    Grid()->setCurrentCell(3, col);
    if (!inEditor)
        Grid()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    QVERIFY(Grid()->isAncestorOf(editor));
    QCOMPARE(editor->selectedText(), ToQString(G->Cells(col, 4)));
    // Only the current cell is selected, not the table.
    QVERIFY(Grid()->selectionModel()->selectedIndexes().size() <= 1);
    QCOMPARE(Row(4), QStringList({"numeric (0..9)", "12", "text"}));
}

void TestFieldGrid::dateTypeChosenIsToldEachTime() {
    QSignalSpy told(G, &TFieldGrid::DateTypeChosen);
    RightClick(2, 1);
    Choose(miDate);
    RightClick(2, 2);
    Choose(miFixed);
    RightClick(2, 3);
    Choose(miDate);
    QCOMPARE(told.count(), 2);
    QCOMPARE(Row(3), QStringList({"random date", "", ""}));
}

void TestFieldGrid::rowsAndLoadedFields() {
    SetRow(6, "blank", "9", "");
    G->LoadFields({{3, ttFixed, "a,b"}, {1990, ttDate, "2000"}});
    QCOMPARE(Row(1), QStringList({"fixed string", "3", "a,b"}));
    QCOMPARE(Row(2), QStringList({"random date", "1990", "2000"}));
    QCOMPARE(Row(6), QStringList({"", "", ""}));
    const std::vector<TGridRow> rows = G->Rows();
    QCOMPARE(rows.size(), 512u);
    QCOMPARE(rows[1].Caption, "random date");
    QCOMPARE(rows[1].Size, "1990");
    QCOMPARE(rows[1].Str, "2000");
    QVERIFY(rows[2].Caption.empty());

    // More fields than rows are refused whole: the grid keeps what it held.
    const std::vector<TFieldDef> tooMany(513, TFieldDef{1, ttNumeric, ""});
    QVERIFY_THROWS_EXCEPTION(Exception, G->LoadFields(tooMany));
    QCOMPARE(Row(1), QStringList({"fixed string", "3", "a,b"}));
    QCOMPARE(Row(3), QStringList({"", "", ""}));
}

QTEST_MAIN(TestFieldGrid)
#include "test_field_grid.moc"
