// SPDX-License-Identifier: MIT
#include "mainwindow/MainWindow.h"

#include "mainwindow/FieldGrid.h"
#include "mainwindow/GenerationRun.h"

#include "dialogs/AboutBox.h"
#include "dialogs/ManageDialog.h"
#include "dialogs/MessageDialog.h"
#include "engine/CommandLanguage.h"
#include "engine/CommandStringWriter.h"
#include "engine/Dates.h"
#include "engine/Exceptions.h"
#include "engine/RandomSource.h"
#include "platform/AppPaths.h"
#include "platform/HelpViewer.h"
#include "platform/Latin1.h"
#include "platform/OutFile.h"
#include "widgets/ApplicationTitle.h"
#include "widgets/BoundRadioButton.h"
#include "widgets/ErrorDisplay.h"
#include "widgets/FormScale.h"
#include "widgets/Gauge.h"
#include "widgets/Latin1Validator.h"
#include "widgets/Memo.h"
#include "widgets/Modal.h"
#include "widgets/ModalResult.h"
#include "widgets/NumberEdit.h"
#include "widgets/RadioGroup.h"

#include "Version.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const HelpFileName = "TabbitU.hlp";
const char* const DateHint = "Please enter <YearFrom> in column \"Field Size\",\r\n"
                             "<YearTo> in column \"String\".\r\n"
                             "The random dates will appear in the format\r\n"
                             "as defined in control panel.";
/// The default character set, äöüÄÖÜß, as Latin-1 bytes.
const char* const DefaultCharset = "\xE4\xF6\xFC\xC4\xD6\xDC\xDF";

/// text with the letters a to z upper-cased.
std::string UpperAZ(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

/// Sees the keys released anywhere in the form before the focused control does.
class TKeyPreview : public QObject {
public:
    TKeyPreview(QWidget* form, std::function<void(const QKeyEvent&)> keyUp)
        : QObject(form), FForm(form), FKeyUp(std::move(keyUp)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyRelease) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() != Qt::Key_F1 || !widget || widget->window() != FForm) {
            return false;
        }
        Guarded([&] { FKeyUp(*key); });
        event->accept();
        return true;
    }

private:
    QWidget* FForm;
    std::function<void(const QKeyEvent&)> FKeyUp;
};

/// The main window is a window to a screen reader, not a plain pane, and is named by its
/// caption.
QAccessibleInterface* FormAccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("TFormMain") && object && object->isWidgetType()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    return nullptr;
}

} // namespace

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

TFormMain::~TFormMain() {
    // A run still going on stops before the controls it shows its progress in go.
    delete FRun;
}

void TFormMain::SetFormAbout(TFormAbout2* form) {
    FFormAbout = form;
}

void TFormMain::SetFormManage(TFormManage* form) {
    FFormManage = form;
}

void TFormMain::CreateControls() {
    SetupScaling();
    CreateSettingsControls();
    CreateGrid();
    CreateOutputControls();
    CreateButtons();
    NameControls();
    SetupTabOrder();
    ConnectHandlers();
}

void TFormMain::SetupScaling() {
    // The window shows the desktop's font at its own size and grows with it.
    FScale = FormScale(font());
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
        if (excess > 0) {
            minimum.setHeight(designSize.height() - std::min(excess, spare));
        }
    }
    resize(minimum);
    setMinimumSize(minimum);
}

QRect TFormMain::At(int x, int y, int w, int h) const {
    return FScale.Rect({x, y, w, h});
}

QRect TFormMain::Tall(const QWidget* control, QRect r) {
    // The style's frames, margins and check marks do not grow with the font, so a one-line
    // control can fall a pixel or two short of the height its style needs for the text; it
    // then gets that height about the same middle.
    const int missing = control->sizeHint().height() - r.height();
    if (missing > 0) {
        r.adjust(0, -missing / 2, 0, missing - missing / 2);
    }
    return r;
}

QLabel* TFormMain::AddLabel(const char* name, const QString& text, QPoint at, unsigned anchors) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    FAnchors.Add(l, QRect(FScale.Point(at), l->sizeHint()), anchors);
    return l;
}

QLineEdit* TFormMain::AddEdit(const char* name, const QString& text, QRect at, unsigned anchors) {
    auto* e = new QLineEdit(text, this);
    e->setObjectName(name);
    e->setValidator(new TLatin1Validator(e));
    FAnchors.Add(e, Tall(e, at), anchors);
    return e;
}

QPushButton* TFormMain::AddButton(const char* name, const QString& text, const QString& hint,
                                  QRect at) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAutoDefault(false);
    FAnchors.Add(b, Tall(b, at), akLeft | akBottom);
    return b;
}

void TFormMain::CreateSettingsControls() {
    Label1 = AddLabel("Label1", "&Record Count:", {5, 13});
    Label2 = AddLabel("Label2", "Record Definition:", {5, 40});
    Label3 = AddLabel("Label3", "User &defined character set:", {192, 13});

    VxNumEditRecords = new TVxNumEdit(this);
    VxNumEditRecords->setObjectName("VxNumEditRecords");
    VxNumEditRecords->SetDigitsInt(7);
    VxNumEditRecords->SetValue(100);
    FAnchors.Add(VxNumEditRecords, Tall(VxNumEditRecords, At(104, 5, 65, 21)));

    EditCharset =
        AddEdit("EditCharset", ToQString(DefaultCharset), At(192, 32, 217, 21), akLeft | akTop);
    EditCharset->setToolTip(
        "used in conjunction with field type \"letter union user def' charset\" ");
}

void TFormMain::CreateGrid() {
    StringGrid1 = new TFieldGrid(FScale, this);
    FAnchors.Add(StringGrid1, At(5, 62, 409, 139), akLeft | akTop | akRight | akBottom);
}

void TFormMain::CreateOutputControls() {
    Label4 = AddLabel("Label4", "Date F&ormat:", {5, 235}, akLeft | akBottom);
    EditDateFormat = AddEdit("EditDateFormat", QString(), At(90, 230, 89, 21), akLeft | akBottom);

    RadioGroupEOL =
        new TRadioGroup("RadioGroupEOL", "end-of-line", {"&CR/LF", "&LF (UNIX)", "&none"}, this);
    RadioGroupEOL->setToolTip("coding EOL type");
    RadioGroupEOL->SetItemIndex(0);
    FAnchors.Add(RadioGroupEOL, At(192, 206, 222, 45), akLeft | akBottom);

    VxRadioBtnMemo = new TVxRadioBtn("Output in &memo", this);
    VxRadioBtnMemo->setObjectName("VxRadioBtnMemo");
    FAnchors.Add(VxRadioBtnMemo, Tall(VxRadioBtnMemo, At(5, 264, 113, 17)), akLeft | akBottom);
    VxRadioBtnFile = new TVxRadioBtn("Output on &file", this);
    VxRadioBtnFile->setObjectName("VxRadioBtnFile");
    FAnchors.Add(VxRadioBtnFile, Tall(VxRadioBtnFile, At(139, 264, 91, 17)), akLeft | akBottom);

    EditFileName = AddEdit("EditFileName", QDir::homePath() + "/random.txt", At(242, 261, 172, 21),
                           akLeft | akBottom);

    // The records are shown in the desktop's fixed-pitch font of the window's size.
    Memo1 = new TMemo(this);
    Memo1->setObjectName("Memo1");
    Memo1->setFont(FixedPitchFont(font()));
    FAnchors.Add(Memo1, At(5, 288, 409, 97), akLeft | akRight | akBottom);

    // The two output buttons form a group of their own; left to Qt, their group would take
    // in the end-of-line buttons too, which lie deeper in the same window.
    auto* outputGroup = new QButtonGroup(this);
    outputGroup->addButton(VxRadioBtnMemo);
    outputGroup->addButton(VxRadioBtnFile);
    VxRadioBtnFile->setChecked(true);
    VxRadioBtnMemo->SetControl(Memo1);
    VxRadioBtnFile->SetControl(EditFileName);
}

void TFormMain::CreateButtons() {
    ButtonStart = AddButton("ButtonStart", "Start", "start record generation", At(5, 400, 60, 25));
    ButtonAbort = AddButton("ButtonAbort", "Abort", "abort record generation", At(80, 400, 60, 25));
    ButtonAbort->setEnabled(false);
    ButtonHelp = AddButton("ButtonHelp", "Help", "display help", At(155, 400, 60, 25));
    ButtonAbout = AddButton("ButtonAbout", "About", "about the author", At(229, 400, 60, 25));
    ButtonManage = AddButton("ButtonManage", "Manage Definitions",
                             "save or load record definitions", At(301, 400, 113, 25));

    Gauge1 = new TGauge(this);
    Gauge1->setObjectName("Gauge1");
    FAnchors.Add(Gauge1, At(5, 434, 411, 18), akLeft | akRight | akBottom);
}

void TFormMain::NameControls() {
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
}

void TFormMain::SetupTabOrder() {
    QWidget* order[] = {
        VxNumEditRecords, EditCharset,    StringGrid1,  EditDateFormat, RadioGroupEOL,
        VxRadioBtnMemo,   VxRadioBtnFile, EditFileName, Memo1,          ButtonStart,
        ButtonAbort,      ButtonHelp,     ButtonAbout,  ButtonManage};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void TFormMain::ConnectHandlers() {
    Connect(ButtonStart, &QPushButton::clicked, [this] { ButtonStartClick(); });
    Connect(ButtonAbort, &QPushButton::clicked, [this] { ButtonAbortClick(); });
    Connect(ButtonHelp, &QPushButton::clicked, [this] { ButtonHelpClick(); });
    Connect(ButtonAbout, &QPushButton::clicked, [this] { ButtonAboutClick(); });
    Connect(ButtonManage, &QPushButton::clicked, [this] { ButtonManageClick(); });
    Connect(StringGrid1, &TFieldGrid::DateTypeChosen, [this] { StringGrid1DateTypeChosen(); });
    connect(StringGrid1, &TFieldGrid::FileLineTypeChosen, this,
            [this](int row) { Guarded([this, row] { StringGrid1FileLineTypeChosen(row); }); });
}

void TFormMain::FormCreate() {
    const QString folder = QFileInfo(QString::fromStdString(ExecutablePath())).absolutePath();
    SetApplicationHelpFile((folder + '/' + HelpFileName).toStdString());
    ProgramVersion = TABBIT_VERSION;
    FDateHintShown = false;
    EditDateFormat->setText(ToQString(UpperAZ(SystemDateFormat)));
}

void TFormMain::StringGrid1DateTypeChosen() {
    // How a date field is filled in is told once per program run, when first chosen.
    if (!FDateHintShown) {
        ShowMessage(DateHint);
        FDateHintShown = true;
    }
}

void TFormMain::StringGrid1FileLineTypeChosen(int row) {
    QFileDialog dialog(this, "Choose the file whose lines are drawn");
    dialog.setObjectName("WordFileDialog");
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDirectory(QDir::current());
    if (ShowModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const QString path = dialog.selectedFiles().constFirst();
    const QString relative = QDir::current().relativeFilePath(path);
    const bool inside = !relative.startsWith("..") && !QDir::isAbsolutePath(relative);
    StringGrid1->SetCells(TFieldGrid::ColString, row, FromQString(inside ? relative : path));
}

void TFormMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (FShown) {
        return;
    }
    FShown = true;
    Guarded([this] {
        if (const QScreen* s = screen()) {
            move(s->availableGeometry().center() - frameGeometry().center() + pos());
        }
    });
}

void TFormMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Guarded([this] { FAnchors.Apply(size()); });
}

void TFormMain::FormKeyUp(const QKeyEvent& key) {
    if (key.key() == Qt::Key_F1) {
        ButtonHelpClick();
    }
}

void TFormMain::ButtonHelpClick() {
    // The contents file is looked for in the current folder, not beside the help file.
    const QString contentsFile = QFileInfo(HelpFileName).completeBaseName() + ".cnt";
    ApplicationHelpCommand(QFileInfo(contentsFile).isFile() ? HELP_FINDER : HELP_CONTENTS, 0);
}

void TFormMain::ButtonAboutClick() {
    if (FFormAbout) {
        ShowModal(*FFormAbout);
    }
}

void TFormMain::ButtonManageClick() {
    if (!FFormManage) {
        return;
    }
    std::int32_t definedRows = 0;
    std::string cmd;
    BuildCommandString(definedRows, cmd);
    FFormManage->SetCurrentFieldCount(definedRows);
    FFormManage->SetCurrentDef(cmd);
    if (ShowModal(*FFormManage) != mrYes) {
        return;
    }
    TVxRndParser parser;
    parser.Parse(FFormManage->LoadedDef());
    LoadDefinition(parser);
}

void TFormMain::LoadDefinition(const TVxRndParser& parser) {
    StringGrid1->LoadFields(parser.Fields());
    VxNumEditRecords->setText(ToQString(std::to_string(parser.RecordCount())));
    EditCharset->setText(ToQString(parser.UserCharset()));
    EditFileName->setText(ToQString(parser.FileName()));
    RadioGroupEOL->SetItemIndex(parser.EndOfLine());
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

// ---------------------------------------------------------------------------------------
// The command string

void TFormMain::BuildCommandString(std::int32_t& definedRows, std::string& cmd) {
    // A run going on may be reading the date format; it is only written when it changes.
    const std::string dateFormat = FromQString(EditDateFormat->text());
    if (!dateFormat.empty() && dateFormat != SystemDateFormat) {
        SystemDateFormat = dateFormat;
    }
    const auto trimEdit = [](QLineEdit* edit) {
        const std::string trimmed = TrimControls(FromQString(edit->text()));
        if (ToQString(trimmed) != edit->text()) {
            edit->setText(ToQString(trimmed));
        }
        return trimmed;
    };
    const TCommandSettings settings{FromQString(VxNumEditRecords->text()), trimEdit(EditCharset),
                                    RadioGroupEOL->ItemIndex(), trimEdit(EditFileName)};
    try {
        const TCommandString written = ::BuildCommandString(StringGrid1->Rows(), settings);
        FArgCount = written.ArgCount;
        definedRows = written.DefinedRows;
        cmd = written.Text;
    } catch (const ERowRefused& e) {
        FArgCount = e.ArgCount();
        definedRows = e.DefinedRows();
        throw;
    }
}

// ---------------------------------------------------------------------------------------
// The generation run

void TFormMain::ButtonStartClick() {
    if (VxRadioBtnFile->isChecked() && TrimControls(FromQString(EditFileName->text())).empty()) {
        throw Exception("No output file indicated!");
    }
    std::int32_t definedRows = 0;
    std::string cmd;
    BuildCommandString(definedRows, cmd);
    TVxRndParser parser;
    parser.Parse(cmd);
    if (parser.ArgCount() != FArgCount) {
        throw Exception("Invalid record definition.");
    }
    SeedFromTime();
    RunGeneration(parser);
}

void TFormMain::ButtonAbortClick() {
    if (FRun) {
        FRun->Abort();
    }
}

void TFormMain::RunGeneration(const TVxRndParser& parser) {
    Gauge1->SetPosition(0);
    ButtonAbort->setEnabled(true);
    ButtonStart->setEnabled(false);
    try {
        const std::int32_t n = StrToInt(FromQString(VxNumEditRecords->text()));
        Gauge1->SetMax(n);
        const std::uint64_t count = n > 0 ? static_cast<std::uint64_t>(n) : 0;
        // Word files are read and value widths checked before the target is truncated, so a
        // refused definition leaves an existing file as it was.
        parser.Prepare(count);
        // The target is fixed for the run; the window may be changed while it goes on.
        std::unique_ptr<TOutFile> file;
        const std::string fileName = FromQString(EditFileName->text());
        if (VxRadioBtnFile->isChecked()) {
            file =
                std::make_unique<TOutFile>(QFile::encodeName(EditFileName->text()).toStdString());
        }
        FRun =
            new TGenerationRun(parser, std::move(file), fileName, count, Seed, Gauge1, Memo1, this);
    } catch (...) {
        EndRun();
        throw;
    }
    Memo1->ClearLines();
    Memo1->BeginUpdate();
    connect(FRun, &TGenerationRun::Finished, this, [this] { RunFinished(); });
    FRun->Start();
}

void TFormMain::RunFinished() {
    const std::exception_ptr error = FRun->Error();
    FRun->deleteLater();
    FRun = nullptr;
    Memo1->EndUpdate();
    EndRun();
    if (error) {
        Guarded([&] { std::rethrow_exception(error); });
    }
    emit RunEnded();
    if (FCloseRequested) {
        FCloseRequested = false;
        close();
    }
}

void TFormMain::EndRun() {
    // Start is enabled before Abort is disabled, and takes over Abort's focus: otherwise the
    // focus would pass on to Help, and the key that started the run would open it.
    ButtonStart->setEnabled(true);
    if (ButtonAbort->hasFocus()) {
        ButtonStart->setFocus(Qt::OtherFocusReason);
    }
    ButtonAbort->setEnabled(false);
    Gauge1->Refresh();
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (!FRun) {
        QWidget::closeEvent(event);
        return;
    }
    // The window goes once the run has ended, so that no run goes on with no window left to
    // show or stop it.
    FCloseRequested = true;
    FRun->Abort();
    event->ignore();
}
