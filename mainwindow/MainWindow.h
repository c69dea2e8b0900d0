// SPDX-License-Identifier: MIT
#pragma once

#include "widgets/FormScale.h"
#include "widgets/Anchors.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <string>

class QAction;
class QCloseEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QMouseEvent;
class TOutFile;
class QPushButton;
class QTimer;
class TFormAbout2;
class TFormManage;
class TGauge;
class TMemo;
class TRadioGroup;
class TStringGrid;
class TVxNumEdit;
class TVxRadioBtn;
class TVxRndParser;

/// True when the screen pointer lies over grid, its edges included.
bool CursorInGrid(const QWidget* grid);

/// The main window: the record table, the settings of a run (record count, character set,
/// date format, end of line, output target), the generation run with its gauge, and the
/// buttons for help, about and the saved definitions.
class TFormMain : public QWidget {
    Q_OBJECT

public:
    explicit TFormMain(QWidget* parent = nullptr);
    ~TFormMain() override;

    /// The about box and the manage dialog that the About and Manage Definitions buttons
    /// show; the window does not own them. Without them the two buttons do nothing.
    void SetFormAbout(TFormAbout2* form);
    void SetFormManage(TFormManage* form);

    /// Writes the command string of the table and the settings into cmd and the number of
    /// table rows written as fields into definedRows; sets the argument count. Trims the
    /// file-name and character-set edits and takes over the date format. Raises when a row
    /// needs a string and has none.
    void BuildCommandString(std::int32_t& definedRows, std::string& cmd);
    /// The number of arguments the last BuildCommandString wrote.
    std::int32_t ArgCount() const { return FArgCount; }

    /// The grid in its own numbering: row 0 holds the titles, rows 1 to 512 the fields.
    std::string Cells(int col, int row) const;
    void SetCells(int col, int row, const std::string& text);
    int RowCount() const;
    int TopRow() const;
    void SetTopRow(int row);

    /// The client size the window was laid out at, for a font of the design's size.
    static constexpr int DesignWidth = 431;
    static constexpr int DesignHeight = 480;
    /// How much larger than its design the window is drawn in its font.
    const TFormScale& Scale() const { return FScale; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    /// Closing the window during a run aborts the run, and the window closes when it ends.
    void closeEvent(QCloseEvent* event) override;

private:
    /// Where Timer1 scrolls the grid while a row is dragged.
    enum class TDragScroll { None, Up, Down };

    void CreateControls();
    void FormCreate();
    void FormKeyUp(const QKeyEvent& key);
    void ButtonHelpClick();
    void ButtonAboutClick();
    void ButtonManageClick();
    void ButtonStartClick();
    void ButtonAbortClick();
    void RunGeneration(TVxRndParser& parser);
    /// The records of a file run, produced a hundred at a time.
    void WriteRecords(const TVxRndParser& parser, TOutFile& file, std::uint64_t count);
    /// The records of a memo run, one line each.
    void AddRecordLines(TVxRndParser& parser, std::uint64_t count);
    /// What a run does after every hundred records: moves the gauge to done and lets the
    /// event loop run; false when the run is to stop.
    bool RunPass(std::uint64_t done);
    /// Puts a parsed definition into the grid and the settings controls.
    void LoadDefinition(const TVxRndParser& parser);

    void BuildPopupMenu();
    void SetupGrid();
    void ClearGridRow(int row);
    void PopupClick(const QAction& item);
    /// Mouse events of the grid; true when the grid is not to see them.
    bool StringGrid1MouseDown(const QMouseEvent& event, QPoint gridPos);
    void StringGrid1MouseMove(QPoint gridPos);
    bool StringGrid1MouseUp(const QMouseEvent& event, QPoint gridPos);
    void StringGrid1DragOver(QPoint gridPos, bool& accept);
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

    /// Connects a signal to a handler that runs through the standard error display.
    template <class Sender, class Signal, class Handler>
    void Connect(Sender* sender, Signal signal, Handler handler);

    TFormScale FScale;
    TAnchors FAnchors{QSize(DesignWidth, DesignHeight)};

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    TVxNumEdit* VxNumEditRecords;
    QLineEdit* EditCharset;
    TStringGrid* StringGrid1;
    QLineEdit* EditDateFormat;
    TRadioGroup* RadioGroupEOL;
    TVxRadioBtn* VxRadioBtnMemo;
    TVxRadioBtn* VxRadioBtnFile;
    QLineEdit* EditFileName;
    TMemo* Memo1;
    QPushButton* ButtonStart;
    QPushButton* ButtonAbort;
    QPushButton* ButtonHelp;
    QPushButton* ButtonAbout;
    QPushButton* ButtonManage;
    TGauge* Gauge1;
    QTimer* Timer1;
    QMenu* PopupMenu1;
    QPointer<TFormAbout2> FFormAbout;
    QPointer<TFormManage> FFormManage;

    std::int32_t FPopupRow = 0;
    bool FAbortRequested = false;
    bool FRunning = false;
    /// The window was closed during a run: it closes once the run has ended.
    bool FCloseRequested = false;
    std::int32_t FDragRow = 0;
    std::int32_t FArgCount = 0;
    bool FDateHintShown = false;

    bool FDragging = false;
    TDragScroll FDragScroll = TDragScroll::None;
    bool FShown = false;
};
