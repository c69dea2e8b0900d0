// SPDX-License-Identifier: MIT
#include "mainwindow/MainWindow.h"

#include "dialogs/AboutBox.h"
#include "widgets/ModalResult.h"
#include "widgets/ErrorDisplay.h"
#include "widgets/FormScale.h"
#include "widgets/Modal.h"
#include "widgets/ApplicationTitle.h"
#include "dialogs/MessageDialog.h"
#include "widgets/NumberEdit.h"
#include "engine/Exceptions.h"
#include "engine/Dates.h"
#include "engine/Producer.h"
#include "engine/RandomSource.h"
#include "engine/CommandLanguage.h"
#include "widgets/Gauge.h"
#include "widgets/Latin1Validator.h"
#include "widgets/Memo.h"
#include "widgets/RadioGroup.h"
#include "widgets/StringGrid.h"
#include "platform/AppPaths.h"
#include "platform/HelpViewer.h"
#include "platform/Latin1.h"
#include "platform/OutFile.h"
#include "dialogs/ManageDialog.h"
#include "Version.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

const char* const HelpFileName = "TabbitU.hlp";
/// A run moves its gauge and looks at its events after every so many records.
constexpr std::uint64_t RecordsPerPass = 100;
const char* const DateHint = "Please enter <YearFrom> in column \"Field Size\",\r\n"
                             "<YearTo> in column \"String\".\r\n"
                             "The random dates will appear in the format\r\n"
                             "as defined in control panel.";
/// The default character set, äöüÄÖÜß, as Latin-1 bytes.
const char* const DefaultCharset = "\xE4\xF6\xFC\xC4\xD6\xDC\xDF";

constexpr int GridRowCount = 513;
constexpr int ColType = 1;
constexpr int ColSize = 2;
constexpr int ColString = 3;

/// text without the blanks and control characters at either end.
std::string Trim(const std::string& text) {
    const auto kept = [](char c) { return static_cast<unsigned char>(c) > ' '; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && !kept(text[begin]))
        ++begin;
    while (end > begin && !kept(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

/// text, or "1" for the empty text: the count a missing number stands for.
std::string OneWhenEmpty(std::string text) {
    if (text.empty())
        text.push_back('1');
    return text;
}

/// text with the letters a to z upper-cased.
std::string UpperAZ(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

/// Sees the keys released anywhere in the form before the focused control does.
class TKeyPreview : public QObject {
public:
    TKeyPreview(QWidget* form, std::function<void(const QKeyEvent&)> keyUp)
        : QObject(form), FForm(form), FKeyUp(std::move(keyUp)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyRelease)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() != Qt::Key_F1 || !widget || widget->window() != FForm)
            return false;
        Guarded([&] { FKeyUp(*key); });
        event->accept();
        return true;
    }

private:
    QWidget* FForm;
    std::function<void(const QKeyEvent&)> FKeyUp;
};

/// Returns the window to idle however a run ends: Abort disabled, Start enabled, the memo
/// showing the lines added and the gauge its last position.
class TRunCleanup {
public:
    TRunCleanup(QPushButton* start, QPushButton* abort, TMemo* memo, TGauge* gauge)
        : FStart(start), FAbort(abort), FMemo(memo), FGauge(gauge) {}
    ~TRunCleanup() { Finish(); }
    TRunCleanup(const TRunCleanup&) = delete;
    TRunCleanup& operator=(const TRunCleanup&) = delete;

    void MemoUpdating() { FMemoUpdating = true; }
    void Finish() {
        if (FDone)
            return;
        FDone = true;
        // Start is enabled before Abort is disabled, and takes over Abort's focus: otherwise
        // the focus would pass on to Help, and the key that started the run would open it.
        FStart->setEnabled(true);
        if (FAbort->hasFocus())
            FStart->setFocus(Qt::OtherFocusReason);
        FAbort->setEnabled(false);
        if (FMemoUpdating)
            FMemo->EndUpdate();
        FGauge->Refresh();
    }

private:
    QPushButton* FStart;
    QPushButton* FAbort;
    TMemo* FMemo;
    TGauge* FGauge;
    bool FMemoUpdating = false;
    bool FDone = false;
};

/// A typed character as the key filter judges it: keys that move between cells or cancel,
/// and Delete, are editing keys rather than characters.
bool TypedCharacter(const QKeyEvent& key, char32_t& code) {
    if (key.text().isEmpty())
        return false;
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
    if (key.matches(QKeySequence::SelectAll) || key.matches(QKeySequence::Copy))
        return false;
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
    if (key.key() == Qt::Key_Tab && mods == Qt::ControlModifier)
        return 1;
    if ((key.key() == Qt::Key_Backtab || key.key() == Qt::Key_Tab) &&
        mods == (Qt::ControlModifier | Qt::ShiftModifier))
        return -1;
    return 0;
}

/// Alt+Shift+Up (-1) and Alt+Shift+Down (+1), which exchange a row with its neighbour; 0 for
/// any other key.
int RowExchangeKey(const QKeyEvent& key) {
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    if (mods != (Qt::AltModifier | Qt::ShiftModifier))
        return 0;
    if (key.key() == Qt::Key_Up)
        return -1;
    if (key.key() == Qt::Key_Down)
        return 1;
    return 0;
}

/// The main window is a window to a screen reader, not a plain pane, and is named by its
/// caption.
QAccessibleInterface* FormAccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("TFormMain") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

bool CursorInGrid(const QWidget* grid) {
    if (!QGuiApplication::primaryScreen())
        return false;
    const QPoint p = grid->mapFromGlobal(QCursor::pos());
    return p.x() >= 0 && p.x() <= grid->width() && p.y() >= 0 && p.y() <= grid->height();
}

template <class Sender, class Signal, class Handler>
void TFormMain::Connect(Sender* sender, Signal signal, Handler handler) {
    connect(sender, signal, this, [handler](auto&&...) { Guarded(handler); });
}

TFormMain::TFormMain(QWidget* parent) : QWidget(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(FormAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setObjectName("FormMain");
    setWindowTitle("Create file with random records");
    CreateControls();
    qApp->installEventFilter(
        new TKeyPreview(this, [this](const QKeyEvent& key) { FormKeyUp(key); }));
    FormCreate();
    EditFileName->setFocus();
}

TFormMain::~TFormMain() = default;

void TFormMain::SetFormAbout(TFormAbout2* form) {
    FFormAbout = form;
}

void TFormMain::SetFormManage(TFormManage* form) {
    FFormManage = form;
}

void TFormMain::CreateControls() {
    // The window shows the desktop's font at its own size and grows with it; the records
    // are shown in the desktop's fixed-pitch font of the same size.
    FScale = FormScale(font());
    const QFont fixedFont = FixedPitchFont(font());
    const QSize designSize = FScale.Size({DesignWidth, DesignHeight});
    FAnchors = TAnchors(designSize);
    // A large font on a low screen would push the bottom of the window off the screen; the
    // grid then gives up rows for it, down to three, as when the window is made lower.
    QSize minimum = designSize;
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        // The window manager's frame is not known before the window is shown: room is left
        // for a title bar above and as much again for the frame's lower edge and borders.
        const int room = s->availableGeometry().height() -
                         2 * style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
        const int spare = FScale.Vert(139) - 4 * FScale.Vert(18);
        const int excess = designSize.height() - room;
        if (excess > 0)
            minimum.setHeight(designSize.height() - std::min(excess, spare));
    }
    resize(minimum);
    setMinimumSize(minimum);
    const auto at = [this](int x, int y, int w, int h) { return FScale.Rect({x, y, w, h}); };
    // The style's frames, margins and check marks do not grow with the font, so a one-line
    // control can fall a pixel or two short of the height its style needs for the text; it
    // then gets that height about the same middle.
    const auto tall = [](QWidget* control, QRect r) {
        const int missing = control->sizeHint().height() - r.height();
        if (missing > 0)
            r.adjust(0, -missing / 2, 0, missing - missing / 2);
        return r;
    };

    const auto label = [this](const char* name, const QString& text, QPoint at,
                              unsigned anchors = akLeft | akTop) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        FAnchors.Add(l, QRect(FScale.Point(at), l->sizeHint()), anchors);
        return l;
    };
    const auto edit = [this, tall](const char* name, const QString& text, QRect at,
                                   unsigned anchors) {
        auto* e = new QLineEdit(text, this);
        e->setObjectName(name);
        e->setValidator(new TLatin1Validator(e));
        FAnchors.Add(e, tall(e, at), anchors);
        return e;
    };
    const auto button = [this, tall](const char* name, const QString& text, const QString& hint,
                                     QRect at) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setToolTip(hint);
        b->setAutoDefault(false);
        FAnchors.Add(b, tall(b, at), akLeft | akBottom);
        return b;
    };

    Label1 = label("Label1", "&Record Count:", {5, 13});
    Label2 = label("Label2", "Record Definition:", {5, 40});
    Label3 = label("Label3", "User &defined character set:", {192, 13});
    Label4 = label("Label4", "Date F&ormat:", {5, 235}, akLeft | akBottom);

    VxNumEditRecords = new TVxNumEdit(this);
    VxNumEditRecords->setObjectName("VxNumEditRecords");
    VxNumEditRecords->SetDigitsInt(7);
    VxNumEditRecords->SetValue(100);
    FAnchors.Add(VxNumEditRecords, tall(VxNumEditRecords, at(104, 5, 65, 21)));

    EditCharset =
        edit("EditCharset", ToQString(DefaultCharset), at(192, 32, 217, 21), akLeft | akTop);
    EditCharset->setToolTip(
        "used in conjunction with field type \"letter union user def' charset\" ");

    StringGrid1 = new TStringGrid(4, this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->SetDefaultSizes(FScale.Horz(45), FScale.Vert(18));
    StringGrid1->setToolTip("right-click to select field type");
    StringGrid1->SetKeyFilter(this);
    StringGrid1->viewport()->installEventFilter(this);
    StringGrid1->viewport()->setMouseTracking(true);
    StringGrid1->horizontalHeader()->viewport()->installEventFilter(this);
    StringGrid1->horizontalHeader()->viewport()->setMouseTracking(true);
    FAnchors.Add(StringGrid1, at(5, 62, 409, 139), akLeft | akTop | akRight | akBottom);

    EditDateFormat = edit("EditDateFormat", QString(), at(90, 230, 89, 21), akLeft | akBottom);

    RadioGroupEOL =
        new TRadioGroup("RadioGroupEOL", "end-of-line", {"&CR/LF", "&LF (UNIX)", "&none"}, this);
    RadioGroupEOL->setToolTip("coding EOL type");
    RadioGroupEOL->SetItemIndex(0);
    FAnchors.Add(RadioGroupEOL, at(192, 206, 222, 45), akLeft | akBottom);

    VxRadioBtnMemo = new TVxRadioBtn("Output in &memo", this);
    VxRadioBtnMemo->setObjectName("VxRadioBtnMemo");
    FAnchors.Add(VxRadioBtnMemo, tall(VxRadioBtnMemo, at(5, 264, 113, 17)), akLeft | akBottom);
    VxRadioBtnFile = new TVxRadioBtn("Output on &file", this);
    VxRadioBtnFile->setObjectName("VxRadioBtnFile");
    FAnchors.Add(VxRadioBtnFile, tall(VxRadioBtnFile, at(139, 264, 91, 17)), akLeft | akBottom);

    EditFileName = edit("EditFileName", QDir::homePath() + "/random.txt", at(242, 261, 172, 21),
                        akLeft | akBottom);

    Memo1 = new TMemo(this);
    Memo1->setObjectName("Memo1");
    Memo1->setFont(fixedFont);
    FAnchors.Add(Memo1, at(5, 288, 409, 97), akLeft | akRight | akBottom);

    // The two output buttons form a group of their own; left to Qt, their group would take
    // in the end-of-line buttons too, which lie deeper in the same window.
    auto* outputGroup = new QButtonGroup(this);
    outputGroup->addButton(VxRadioBtnMemo);
    outputGroup->addButton(VxRadioBtnFile);
    VxRadioBtnFile->setChecked(true);
    VxRadioBtnMemo->SetControl(Memo1);
    VxRadioBtnFile->SetControl(EditFileName);

    ButtonStart = button("ButtonStart", "Start", "start record generation", at(5, 400, 60, 25));
    ButtonAbort = button("ButtonAbort", "Abort", "abort record generation", at(80, 400, 60, 25));
    ButtonAbort->setEnabled(false);
    ButtonHelp = button("ButtonHelp", "Help", "display help", at(155, 400, 60, 25));
    ButtonAbout = button("ButtonAbout", "About", "about the author", at(229, 400, 60, 25));
    ButtonManage = button("ButtonManage", "Manage Definitions", "save or load record definitions",
                          at(301, 400, 113, 25));

    Gauge1 = new TGauge(this);
    Gauge1->setObjectName("Gauge1");
    FAnchors.Add(Gauge1, at(5, 434, 411, 18), akLeft | akRight | akBottom);

    Label1->setBuddy(VxNumEditRecords);
    Label2->setBuddy(StringGrid1);
    Label3->setBuddy(EditCharset);
    Label4->setBuddy(EditDateFormat);
    // The output targets are named by the radio buttons that choose them, the gauge by what
    // it shows; every other control by its label or caption.
    EditFileName->setAccessibleName(WithoutAccelerator(VxRadioBtnFile->text()));
    Memo1->setAccessibleName(WithoutAccelerator(VxRadioBtnMemo->text()));
    Gauge1->setAccessibleName("Progress");
    NameControlsForAccessibility(this);

    QWidget* order[] = {
        VxNumEditRecords, EditCharset,    StringGrid1,  EditDateFormat, RadioGroupEOL,
        VxRadioBtnMemo,   VxRadioBtnFile, EditFileName, Memo1,          ButtonStart,
        ButtonAbort,      ButtonHelp,     ButtonAbout,  ButtonManage};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(50);
    Connect(Timer1, &QTimer::timeout, [this] { Timer1Timer(); });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    // The open menu takes the focus from the cell editor, which closes on that; once the menu
    // is gone the focus would belong to the closed editor, that is to nobody. It goes back to
    // the grid, into the current cell's editor.
    connect(PopupMenu1, &QMenu::aboutToHide, this, [this] {
        QTimer::singleShot(0, this, [this] {
            const QWidget* focus = QApplication::focusWidget();
            if (isActiveWindow() && (!focus || !focus->isVisible())) {
                StringGrid1->setFocus(Qt::PopupFocusReason);
                StringGrid1->edit(StringGrid1->currentIndex());
            }
        });
    });

    Connect(ButtonStart, &QPushButton::clicked, [this] { ButtonStartClick(); });
    Connect(ButtonAbort, &QPushButton::clicked, [this] { ButtonAbortClick(); });
    Connect(ButtonHelp, &QPushButton::clicked, [this] { ButtonHelpClick(); });
    Connect(ButtonAbout, &QPushButton::clicked, [this] { ButtonAboutClick(); });
    Connect(ButtonManage, &QPushButton::clicked, [this] { ButtonManageClick(); });
    // A click on a cell opens its editor at once, so the view's clicked signal never comes:
    // the grid counts as clicked whenever a cell is pressed or the current cell moves.
    Connect(StringGrid1, &QTableWidget::pressed, [this] { StringGrid1Click(); });
    Connect(StringGrid1, &QTableWidget::currentCellChanged, [this] { StringGrid1Click(); });
}

void TFormMain::FormCreate() {
    const QString folder = QFileInfo(QString::fromStdString(ExecutablePath())).absolutePath();
    SetApplicationHelpFile((folder + '/' + HelpFileName).toStdString());
    ProgramVersion = TABBIT_VERSION;
    FDateHintShown = false;
    EditDateFormat->setText(ToQString(UpperAZ(SystemDateFormat)));
    BuildPopupMenu();
    SetupGrid();
}

void TFormMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (FShown)
        return;
    FShown = true;
    Guarded([this] {
        if (const QScreen* s = screen())
            move(s->availableGeometry().center() - frameGeometry().center() + pos());
    });
}

void TFormMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Guarded([this] { FAnchors.Apply(size()); });
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    const bool onCells = watched == StringGrid1->viewport();
    const bool onTitles = watched == StringGrid1->horizontalHeader()->viewport();
    bool consumed = false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        if (watched != StringGrid1 && watched->parent() != StringGrid1->viewport())
            break;
        const auto& key = static_cast<QKeyEvent&>(*event);
        Guarded([&] {
            consumed = true;
            char32_t code = 0;
            if (ContextMenuKey(key))
                PopupAtCurrentRow();
            else if (const int direction = ControlTab(key))
                FocusOutOfGrid(direction > 0);
            else if (const int delta = RowExchangeKey(key))
                ExchangeCurrentRow(delta);
            else if (TypedCharacter(key, code))
                consumed = !StringGrid1KeyPress(code);
            else
                consumed = false;
        });
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: {
        if (!onCells && !onTitles)
            break;
        const auto& mouse = static_cast<QMouseEvent&>(*event);
        const QPoint gridPos =
            static_cast<QWidget*>(watched)->mapTo(StringGrid1, mouse.position().toPoint());
        Guarded([&] {
            if (event->type() == QEvent::MouseMove) {
                if (FDragging) {
                    bool accept = false;
                    StringGrid1DragOver(gridPos, accept);
                    consumed = true;
                } else {
                    StringGrid1MouseMove(gridPos);
                }
            } else if (event->type() == QEvent::MouseButtonRelease) {
                consumed = StringGrid1MouseUp(mouse, gridPos);
            } else if (onCells || mouse.button() == Qt::RightButton) {
                consumed = StringGrid1MouseDown(mouse, gridPos);
            }
        });
        break;
    }
    default:
        break;
    }
    return consumed || QWidget::eventFilter(watched, event);
}

void TFormMain::FormKeyUp(const QKeyEvent& key) {
    if (key.key() == Qt::Key_F1)
        ButtonHelpClick();
}

void TFormMain::ButtonHelpClick() {
    // The contents file is looked for in the current folder, not beside the help file.
    const QString contentsFile = QFileInfo(HelpFileName).completeBaseName() + ".cnt";
    ApplicationHelpCommand(QFileInfo(contentsFile).isFile() ? HELP_FINDER : HELP_CONTENTS, 0);
}

void TFormMain::ButtonAboutClick() {
    if (FFormAbout)
        ShowModal(*FFormAbout);
}

void TFormMain::ButtonManageClick() {
    if (!FFormManage)
        return;
    std::int32_t definedRows = 0;
    std::string cmd;
    BuildCommandString(definedRows, cmd);
    FFormManage->SetCurrentFieldCount(definedRows);
    FFormManage->SetCurrentDef(cmd);
    if (ShowModal(*FFormManage) != mrYes)
        return;
    TVxRndParser parser;
    parser.Parse(FFormManage->LoadedDef());
    LoadDefinition(parser);
}

void TFormMain::LoadDefinition(const TVxRndParser& parser) {
    const std::vector<TFieldDef>& fields = parser.Fields();
    // Only a settings file edited by other means can hold more fields than the grid has
    // rows; loading part of such a definition would pass it off as the whole one.
    if (fields.size() > static_cast<std::size_t>(RowCount() - 1))
        throw Exception("Too many fields in record definition!");
    for (int r = 1; r < RowCount(); ++r)
        ClearGridRow(r);
    int row = 1;
    for (const TFieldDef& field : fields) {
        SetCells(ColType, row, CaptionOfTextType(field.TextType));
        SetCells(ColSize, row, std::to_string(field.Size));
        SetCells(ColString, row, field.Str);
        ++row;
    }
    VxNumEditRecords->setText(ToQString(std::to_string(parser.RecordCount())));
    EditCharset->setText(ToQString(parser.UserCharset()));
    EditFileName->setText(ToQString(parser.FileName()));
    RadioGroupEOL->SetItemIndex(parser.EndOfLine());
}

// ---------------------------------------------------------------------------------------
// The field grid

void TFormMain::BuildPopupMenu() {
    for (std::size_t k = 0; k < TextTypeOpts.size(); ++k) {
        QAction* item = PopupMenu1->addAction(QString::fromLatin1(TextTypeOpts[k].Caption));
        item->setObjectName("MenuItem" + QString::number(k));
        Connect(item, &QAction::triggered, [this, item] { PopupClick(*item); });
    }
}

void TFormMain::SetupGrid() {
    StringGrid1->SetRowCount(GridRowCount);
    SetCells(0, 0, "Field #");
    SetCells(ColType, 0, "Field Type");
    SetCells(ColSize, 0, "Field Size");
    SetCells(ColString, 0, "String (for fixed/random)");
    for (int r = 1; r < GridRowCount; ++r) {
        char number[16];
        std::snprintf(number, sizeof number, "%3d", r);
        SetCells(0, r, number);
    }
    StringGrid1->SetColWidth(ColType, FScale.Horz(145));
    StringGrid1->SetColWidth(ColSize, FScale.Horz(55));
    StringGrid1->SetColWidth(ColString, FScale.Horz(140));
    StringGrid1->setCurrentCell(0, ColSize);
}

std::string TFormMain::Cells(int col, int row) const {
    return StringGrid1->Cells(col, row);
}

void TFormMain::SetCells(int col, int row, const std::string& text) {
    StringGrid1->SetCells(col, row, text);
}

int TFormMain::RowCount() const {
    return StringGrid1->RowCount();
}

int TFormMain::TopRow() const {
    return StringGrid1->TopRow();
}

void TFormMain::SetTopRow(int row) {
    StringGrid1->SetTopRow(row);
}

void TFormMain::ClearGridRow(int row) {
    if (row <= 0 || row >= RowCount())
        return;
    for (int c = ColType; c <= ColString; ++c)
        SetCells(c, row, std::string());
}

void TFormMain::PopupClick(const QAction& item) {
    const std::string caption = FromQString(item.text());
    const TTextType t = TextTypeOfCaption(caption);
    const int r = FPopupRow;
    const int last = RowCount() - 1;
    if (r < 1 || r > last)
        return;
    const auto copyRow = [this](int from, int to) {
        for (int c = ColType; c <= ColString; ++c)
            SetCells(c, to, Cells(c, from));
    };
    switch (t) {
    case ttClearAll:
        if (ConfirmYesNo("Really delete all field definitions?") == mrYes)
            for (int s = 1; s <= last; ++s)
                ClearGridRow(s);
        break;
    case ttDeleteLine:
        for (int s = r + 1; s <= last; ++s)
            copyRow(s, s - 1);
        break;
    case ttInsertLine:
        for (int s = last; s >= r + 1; --s)
            copyRow(s - 1, s);
        ClearGridRow(r);
        break;
    default:
        SetCells(ColType, r, caption);
        if (t == ttDate && !FDateHintShown) {
            ShowMessage(DateHint);
            FDateHintShown = true;
        }
        if (t != ttFixed && t != ttRandomString)
            SetCells(ColString, r, std::string());
        break;
    }
}

bool TFormMain::StringGrid1MouseDown(const QMouseEvent& event, QPoint gridPos) {
    // The right button only opens the menu on its release; it never moves the current cell.
    if (event.button() == Qt::RightButton)
        return true;
    int col = 0;
    int row = 0;
    if (event.button() != Qt::LeftButton || !StringGrid1->MouseToCell(gridPos, col, row) ||
        row < 1 || col >= TStringGrid::FixedCols)
        return false;
    FDragRow = row;
    FDragging = true;
    return true;
}

void TFormMain::StringGrid1MouseMove(QPoint gridPos) {
    UpdateDragScroll(gridPos.y());
}

bool TFormMain::StringGrid1MouseUp(const QMouseEvent& event, QPoint gridPos) {
    if (event.button() == Qt::LeftButton && FDragging) {
        StringGrid1EndDrag(gridPos);
        return true;
    }
    if (event.button() != Qt::RightButton)
        return false;
    int col = 0;
    int row = 0;
    if (StringGrid1->MouseToCell(gridPos, col, row))
        PopupAtRow(row);
    return true;
}

void TFormMain::PopupAtRow(int row) {
    if (row < 1 || row >= RowCount())
        return;
    FPopupRow = row;
    const QRect typeCell = StringGrid1->CellRect(ColType, row);
    PopupMenu1->popup(StringGrid1->mapToGlobal(typeCell.bottomLeft()));
}

void TFormMain::PopupAtCurrentRow() {
    const int row = StringGrid1->currentRow() + 1;
    if (row < 1)
        return;
    StringGrid1->scrollToItem(StringGrid1->item(row - 1, ColType));
    PopupAtRow(row);
}

void TFormMain::FocusOutOfGrid(bool forward) {
    // The next control in the tab order that can take the focus, passing over the grid's
    // own parts (the cell editor, the scroll bars).
    QWidget* w = StringGrid1;
    for (;;) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (w == StringGrid1)
            return;
        if (StringGrid1->isAncestorOf(w) || w->window() != this)
            continue;
        if (w->isEnabled() && w->isVisible() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    }
}

void TFormMain::ExchangeCurrentRow(int delta) {
    const int row = StringGrid1->currentRow() + 1;
    const int target = row + delta;
    if (row < 1 || target < 1 || target >= RowCount())
        return;
    // The same as dragging the current row onto its neighbour; the current cell goes with
    // the row, so that the next key stroke moves it on.
    FDragRow = row;
    ExchangeWithDragRow(target);
    StringGrid1->setCurrentCell(target - 1, StringGrid1->currentColumn());
}

bool TFormMain::DropAccepted(QPoint gridPos, int& dropRow) const {
    int col = 0;
    return StringGrid1->MouseToCell(gridPos, col, dropRow) && dropRow >= 1 && dropRow != FDragRow &&
           col < TStringGrid::FixedCols;
}

void TFormMain::StringGrid1DragOver(QPoint gridPos, bool& accept) {
    int dropRow = 0;
    accept = DropAccepted(gridPos, dropRow);
    StringGrid1->viewport()->setCursor(accept ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
    UpdateDragScroll(gridPos.y());
}

void TFormMain::StringGrid1EndDrag(QPoint gridPos) {
    FDragging = false;
    StringGrid1->viewport()->unsetCursor();
    int dropRow = 0;
    if (DropAccepted(gridPos, dropRow))
        ExchangeWithDragRow(dropRow);
}

void TFormMain::ExchangeWithDragRow(int dropRow) {
    for (int c = ColType; c <= ColString; ++c) {
        const std::string dropped = Cells(c, dropRow);
        SetCells(c, dropRow, Cells(c, FDragRow));
        SetCells(c, FDragRow, dropped);
    }
}

void TFormMain::StringGrid1Click() {
    Timer1->stop();
}

bool TFormMain::StringGrid1KeyPress(char32_t key) const {
    if (key > 0xFF)
        return false;
    switch (StringGrid1->currentColumn()) {
    case ColSize:
        return (key >= '0' && key <= '9') || key == 8 || key == 9 || key == 13;
    case ColString: {
        const TTextType t = TextTypeOfCaption(Cells(ColType, StringGrid1->currentRow() + 1));
        return t == ttFixed || t == ttRandomString || t == ttDate;
    }
    default:
        return true;
    }
}

void TFormMain::UpdateDragScroll(int y) {
    // Enabling a running timer must not restart its interval, or a moving pointer would
    // keep it from ever firing.
    if (y <= StringGrid1->DefaultRowHeight()) {
        FDragScroll = TDragScroll::Up;
        if (!Timer1->isActive())
            Timer1->start();
    } else if (y >= StringGrid1->height() - StringGrid1->DefaultRowHeight() / 2) {
        FDragScroll = TDragScroll::Down;
        if (!Timer1->isActive())
            Timer1->start();
    } else {
        Timer1->stop();
    }
}

void TFormMain::Timer1Timer() {
    if (!isActiveWindow() || !FDragging || !CursorInGrid(StringGrid1))
        return;
    if (FDragScroll == TDragScroll::Up)
        ScrollGridUp();
    else if (FDragScroll == TDragScroll::Down)
        ScrollGridDown();
}

void TFormMain::ScrollGridUp() {
    if (TopRow() > 1)
        SetTopRow(TopRow() - 1);
    else
        Timer1->stop();
}

void TFormMain::ScrollGridDown() {
    if (TopRow() + StringGrid1->VisibleRowCount() < RowCount())
        SetTopRow(TopRow() + 1);
    else
        Timer1->stop();
}

// ---------------------------------------------------------------------------------------
// The command string

void TFormMain::BuildCommandString(std::int32_t& definedRows, std::string& cmd) {
    const std::string count = OneWhenEmpty(Trim(FromQString(VxNumEditRecords->text())));
    FArgCount = 1;
    cmd = "/R=" + count + " ";

    const std::string dateFormat = FromQString(EditDateFormat->text());
    if (!dateFormat.empty())
        SystemDateFormat = dateFormat;

    const std::string fileName = Trim(FromQString(EditFileName->text()));
    if (ToQString(fileName) != EditFileName->text())
        EditFileName->setText(ToQString(fileName));
    const std::string charset = Trim(FromQString(EditCharset->text()));
    if (ToQString(charset) != EditCharset->text())
        EditCharset->setText(ToQString(charset));

    if (!charset.empty()) {
        ++FArgCount;
        cmd += "/D=" + charset + " ";
    }

    definedRows = 0;
    for (int r = 1; r < RowCount(); ++r) {
        const std::string prefix = ArgOfCaption(Cells(ColType, r));
        if (prefix.empty())
            break;
        ++FArgCount;
        ++definedRows;
        const std::string size = OneWhenEmpty(Cells(ColSize, r));
        const std::string text = Cells(ColString, r);
        const std::string str = prefix == "/Y=" ? text : EncodeCodes(text);
        if (prefix == "/U=" && str.empty())
            throw Exception("Empty string for field type\r\n\"random from string\" not allowed!");
        if (prefix == "/F=" && str.empty())
            throw Exception("Empty string for field type\r\n\"fixed string\" not allowed!");
        cmd += prefix + size;
        if (!str.empty())
            cmd += "," + str;
        cmd += " ";
    }

    switch (RadioGroupEOL->ItemIndex()) {
    case 1:
        cmd += "/E=U ";
        break;
    case 2:
        cmd += "/E=N ";
        break;
    default:
        cmd += "/E=W ";
        break;
    }
    cmd += fileName;
    FArgCount += fileName.empty() ? 1 : 2;
}

// ---------------------------------------------------------------------------------------
// The generation run

void TFormMain::ButtonStartClick() {
    if (VxRadioBtnFile->isChecked() && Trim(FromQString(EditFileName->text())).empty())
        throw Exception("No output file indicated!");
    std::int32_t definedRows = 0;
    std::string cmd;
    BuildCommandString(definedRows, cmd);
    TVxRndParser parser;
    parser.Parse(cmd);
    if (parser.ArgCount() != FArgCount)
        throw Exception("Invalid record definition.");
    SeedFromTime();
    RunGeneration(parser);
}

void TFormMain::ButtonAbortClick() {
    FAbortRequested = true;
}

void TFormMain::RunGeneration(const TVxRndParser& parser) {
    Gauge1->SetPosition(0);
    FAbortRequested = false;
    ButtonAbort->setEnabled(true);
    ButtonStart->setEnabled(false);
    TRunCleanup cleanup(ButtonStart, ButtonAbort, Memo1, Gauge1);
    FRunning = true;
    const auto ended = qScopeGuard([this] {
        FRunning = false;
        if (FCloseRequested) {
            FCloseRequested = false;
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        }
    });

    const std::int32_t n = StrToInt(FromQString(VxNumEditRecords->text()));
    Gauge1->SetMax(n);
    const bool toFile = VxRadioBtnFile->isChecked();
    std::unique_ptr<TOutFile> file;
    if (toFile)
        file = std::make_unique<TOutFile>(QFile::encodeName(EditFileName->text()).toStdString());
    Memo1->ClearLines();
    Memo1->BeginUpdate();
    cleanup.MemoUpdating();

    const std::uint64_t count = n > 0 ? static_cast<std::uint64_t>(n) : 0;
    if (file)
        WriteRecords(parser, *file, count);
    else
        AddRecordLines(parser, count);
    cleanup.Finish();
    if (file)
        file->Close();
}

void TFormMain::WriteRecords(const TVxRndParser& parser, TOutFile& file, std::uint64_t count) {
    // One thread keeps the window's event handling and the production in step; each batch
    // of a hundred continues from the random state where the one before ended.
    TVxProducer producer(parser, true);
    producer.SetThreads(1);
    producer.SetRecordsPerPiece(RecordsPerPass);
    const auto write = [&file](const TVxPiece& piece) {
        file.Write(std::string_view(piece.Data, piece.Size));
        return true;
    };
    for (std::uint64_t done = 0; done < count;) {
        const std::uint64_t batch = std::min(RecordsPerPass, count - done);
        producer.Run(Seed, 0, batch, write);
        done += batch;
        if (batch == RecordsPerPass && !RunPass(done))
            return;
    }
}

void TFormMain::AddRecordLines(const TVxRndParser& parser, std::uint64_t count) {
    std::string record;
    for (std::uint64_t i = 1; i <= count; ++i) {
        parser.GetRecord(false, record);
        Memo1->AddLine(record);
        if (i % RecordsPerPass == 0 && !RunPass(i))
            return;
    }
}

bool TFormMain::RunPass(std::uint64_t done) {
    Gauge1->SetPosition(static_cast<int>(done));
    QCoreApplication::processEvents();
    return !FAbortRequested;
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (!FRunning) {
        QWidget::closeEvent(event);
        return;
    }
    // The run is inside the Start handler: it has to end before the window can go, or it
    // would go on writing with no window left to stop it.
    FCloseRequested = true;
    FAbortRequested = true;
    event->ignore();
}
