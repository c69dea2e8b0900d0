// SPDX-License-Identifier: MIT
#pragma once

#include "widgets/Anchors.h"
#include "widgets/FormScale.h"

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <string>

class QCloseEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class TFormAbout2;
class TFormManage;
class TGauge;
class TGenerationRun;
class TMemo;
class TRadioGroup;
class TFieldGrid;
class TVxNumEdit;
class TVxRadioBtn;
class TVxRndParser;

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

    /// Whether a generation run is going on.
    bool Running() const { return FRun != nullptr; }

signals:
    /// A run has ended and the window is idle again; an error it ended with has been shown.
    void RunEnded();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    /// Closing the window during a run aborts the run, and the window closes when it ends.
    void closeEvent(QCloseEvent* event) override;

private:
    // The window's construction, step by step.
    void CreateControls();
    void SetupScaling();
    void CreateSettingsControls();
    void CreateGrid();
    void CreateOutputControls();
    void CreateButtons();
    /// Label buddies and the names a screen reader gives the controls.
    void NameControls();
    void SetupTabOrder();
    void ConnectHandlers();
    void FormCreate();

    /// A rectangle of the design, in pixels of the window's font.
    QRect At(int x, int y, int w, int h) const;
    /// r, made as high as control needs for its text.
    static QRect Tall(const QWidget* control, QRect r);
    QLabel* AddLabel(const char* name, const QString& text, QPoint at,
                     unsigned anchors = akLeft | akTop);
    QLineEdit* AddEdit(const char* name, const QString& text, QRect at, unsigned anchors);
    QPushButton* AddButton(const char* name, const QString& text, const QString& hint, QRect at);

    void FormKeyUp(const QKeyEvent& key);
    void ButtonHelpClick();
    void ButtonAboutClick();
    void ButtonManageClick();
    void ButtonStartClick();
    void ButtonAbortClick();
    void StringGrid1DateTypeChosen();
    /// Lets the user pick the word file of a "random line of file" row with the desktop's
    /// file dialog; a name inside the current folder is kept relative to it.
    void StringGrid1FileLineTypeChosen(int row);
    /// Starts the run of a parsed definition on the window's settings.
    void RunGeneration(const TVxRndParser& parser);
    /// The run has ended: the window is idle again and shows how the run ended.
    void RunFinished();
    /// Returns the window to idle: Start enabled, Abort disabled, the gauge drawn.
    void EndRun();
    /// Puts a parsed definition into the grid and the settings controls.
    void LoadDefinition(const TVxRndParser& parser);

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
    TFieldGrid* StringGrid1;
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
    QPointer<TFormAbout2> FFormAbout;
    QPointer<TFormManage> FFormManage;

    /// The run going on, or nullptr when the window is idle.
    TGenerationRun* FRun = nullptr;
    /// The window was closed during a run: it closes once the run has ended.
    bool FCloseRequested = false;
    std::int32_t FArgCount = 0;
    bool FDateHintShown = false;

    bool FShown = false;
};
