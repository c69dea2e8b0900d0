// SPDX-License-Identifier: MIT
#include "dialogs/MessageDialog.h"

#include "platform/HelpViewer.h"
#include "platform/Latin1.h"
#include "widgets/ApplicationTitle.h"
#include "widgets/ErrorDisplay.h"
#include "widgets/Modal.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <array>
#include <memory>

namespace {

struct TButtonRow {
    const char* Name;
    const char* Caption;
    TModalResult Result;
};

/// The buttons in the order of TDialogButton, which is also their order in the dialog.
constexpr std::array<TButtonRow, 11> ButtonTable{{
    {"Yes", "&Yes", mrYes},
    {"No", "&No", mrNo},
    {"OK", "OK", mrOk},
    {"Cancel", "Cancel", mrCancel},
    {"Abort", "&Abort", mrAbort},
    {"Retry", "&Retry", mrRetry},
    {"Ignore", "&Ignore", mrIgnore},
    {"All", "&All", mrAll},
    {"NoToAll", "N&o to All", mrNoToAll},
    {"YesToAll", "Yes to &All", mrYesToAll},
    {"Help", "&Help", mrNone},
}};

constexpr std::array<const char*, 4> KindCaptions{"Warning", "Error", "Information",
                                                  "Confirmation"};
constexpr std::array<QStyle::StandardPixmap, 4> KindIcons{
    QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxInformation,
    QStyle::SP_MessageBoxQuestion};

// Layout in dialog units: a quarter of the average character width horizontally, an eighth
// of the character height vertically.
constexpr int HorzMargin = 8;
constexpr int VertMargin = 8;
constexpr int HorzSpacing = 10;
constexpr int VertSpacing = 10;
constexpr int ButtonWidth = 50;
constexpr int ButtonHeight = 14;
constexpr int ButtonSpacing = 4;
constexpr int IconSize = 32;

/// a * b / c through a 64-bit product, rounded to the nearest integer (halves away from zero).
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

QRect PrimaryScreen() {
    return QGuiApplication::primaryScreen()->geometry();
}

/// The layout constants in pixels for one font.
struct TDialogLayout {
    int HorzMargin;
    int VertMargin;
    int HorzSpacing;
    int VertSpacing;
    int ButtonWidth;
    int ButtonHeight;
    int ButtonSpacing;
};

/// Converts the dialog units to pixels of the font that metrics measures: its average
/// character width is the advance of the 52 letters divided by 52, its height the line height.
TDialogLayout DialogLayout(const QFontMetrics& metrics) {
    const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const int cx = metrics.horizontalAdvance(letters) / 52;
    const int cy = metrics.height();
    const auto horz = [cx](int units) { return MulDiv(units, cx, 4); };
    const auto vert = [cy](int units) { return MulDiv(units, cy, 8); };
    return {horz(HorzMargin),  vert(VertMargin),   horz(HorzSpacing),  vert(VertSpacing),
            horz(ButtonWidth), vert(ButtonHeight), horz(ButtonSpacing)};
}

/// The size of text wrapped at word boundaries within half the screen width. It is measured
/// exactly as the message label draws it (plain text, word wrap), so the label shows the lines
/// that were measured.
QSize MessageSize(const QFontMetrics& metrics, const QString& text) {
    const QRect bounds =
        metrics.boundingRect(QRect(0, 0, PrimaryScreen().width() / 2, 0), Qt::TextWordWrap, text);
    return {bounds.x() + bounds.width(), bounds.y() + bounds.height()};
}

/// The area of the icon and the text beside it: the icon and a spacing widen it, and it is at
/// least as high as the icon.
QSize IconTextSize(QSize textSize, bool withIcon, const TDialogLayout& layout) {
    if (!withIcon) {
        return textSize;
    }
    return {textSize.width() + IconSize + layout.HorzSpacing,
            std::max(textSize.height(), IconSize)};
}

/// The width of the row of buttons, 0 without any.
int ButtonGroupWidth(TDialogButtons buttons, const TDialogLayout& layout) {
    int count = 0;
    for (std::size_t b = 0; b < ButtonTable.size(); ++b) {
        if (buttons.Contains(static_cast<TDialogButton>(b))) {
            ++count;
        }
    }
    return count == 0 ? 0 : count * layout.ButtonWidth + (count - 1) * layout.ButtonSpacing;
}

/// The kind's system icon in the top left corner.
void AddIcon(TMessageForm& form, TDialogKind kind, const TDialogLayout& layout) {
    auto* image = new QLabel(&form);
    image->setObjectName("Image_Vx1");
    image->setPixmap(form.style()->standardIcon(KindIcons[kind], nullptr, &form).pixmap(IconSize));
    image->setGeometry(layout.HorzMargin, layout.VertMargin, IconSize, IconSize);
    image->setAccessibleName(KindCaptions[kind]);
}

void AddMessage(TMessageForm& form, const QString& text, QRect geometry) {
    auto* message = new QLabel(&form);
    message->setObjectName("Message");
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message->setText(text);
    message->setGeometry(geometry);
    // A screen reader announces the dialog by its caption and its message.
    form.setAccessibleDescription(text);
}

/// The push button of each dialog button, null for the buttons the dialog does not have.
using TButtonPushes = std::array<QPushButton*, ButtonTable.size()>;

/// The buttons of the set from left to right in table order, starting at the top left corner
/// at, in tab order. Every button but Help closes the dialog with its modal result.
TButtonPushes AddButtons(TMessageForm& form, TDialogButtons buttons, QPoint at,
                         const TDialogLayout& layout) {
    TButtonPushes pushes{};
    int x = at.x();
    for (std::size_t b = 0; b < ButtonTable.size(); ++b) {
        if (!buttons.Contains(static_cast<TDialogButton>(b))) {
            continue;
        }
        const TButtonRow& row = ButtonTable[b];
        auto* push = new QPushButton(row.Caption, &form);
        push->setObjectName(row.Name);
        push->setProperty("modalResult", static_cast<int>(row.Result));
        push->setGeometry(x, at.y(), layout.ButtonWidth, layout.ButtonHeight);
        if (b != dbHelp) {
            const int result = row.Result;
            QObject::connect(push, &QPushButton::clicked, &form,
                             [dialog = &form, result] { dialog->done(result); });
        }
        pushes[b] = push;
        x += layout.ButtonWidth + layout.ButtonSpacing;
    }
    return pushes;
}

/// Makes the default button, when the dialog has it, the one that answers Enter, has the
/// focus and answers Esc; without it OK answers Esc when there is no Cancel. Returns the button
/// that answers Esc, null when none does.
QPushButton* ChooseDefaultAndCancel(const TButtonPushes& pushes, TDialogButtons buttons,
                                    TDialogButton defaultButton) {
    QPushButton* push = defaultButton < pushes.size() ? pushes[defaultButton] : nullptr;
    if (push) {
        push->setDefault(true);
        push->setFocus();
        return push;
    }
    if (!buttons.Contains(dbCancel)) {
        return pushes[dbOK];
    }
    return nullptr;
}

} // namespace

TMessageForm::TMessageForm(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
}

void TMessageForm::reject() {
    done(mrCancel);
}

void TMessageForm::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        if (FCancelButton) {
            FCancelButton->click();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TMessageForm::HelpButtonClick() {
    Guarded(
        [this] { ApplicationHelpCommand(HELP_CONTEXT, static_cast<unsigned long>(FHelpContext)); });
}

TMessageForm* CreateMessageDialogEx(const std::string& msg, TDialogKind kind,
                                    TDialogButtons buttons, TDialogButton defaultButton,
                                    bool showIcon, int fontHeight) {
    auto form = std::make_unique<TMessageForm>();
    form->setObjectName("MessageForm");
    if (fontHeight > 0) {
        QFont font = form->font();
        font.setPixelSize(fontHeight);
        form->setFont(font);
    }
    const QFontMetrics metrics(form->font());
    const TDialogLayout layout = DialogLayout(metrics);
    const QString text = ToQString(msg);
    const QSize textSize = MessageSize(metrics, text);
    const bool withIcon = showIcon && kind < dkCustom;
    const QSize iconText = IconTextSize(textSize, withIcon, layout);
    const int buttonGroupWidth = ButtonGroupWidth(buttons, layout);

    const int clientWidth = std::max(iconText.width(), buttonGroupWidth) + 2 * layout.HorzMargin;
    const int clientHeight =
        iconText.height() + layout.ButtonHeight + layout.VertSpacing + 2 * layout.VertMargin;
    form->setFixedSize(clientWidth, clientHeight);
    CenterOverActiveForm(form.get());
    form->setWindowTitle(kind < dkCustom ? QString(KindCaptions[kind]) : ApplicationTitleText());

    if (withIcon) {
        AddIcon(*form, kind, layout);
    }
    AddMessage(
        *form, text,
        QRect(QPoint(iconText.width() - textSize.width() + layout.HorzMargin, layout.VertMargin),
              textSize));
    const QPoint buttonRow((clientWidth - buttonGroupWidth) / 2,
                           iconText.height() + layout.VertMargin + layout.VertSpacing);
    const TButtonPushes pushes = AddButtons(*form, buttons, buttonRow, layout);
    if (QPushButton* help = pushes[dbHelp]) {
        TMessageForm* dialog = form.get();
        QObject::connect(help, &QPushButton::clicked, dialog,
                         [dialog] { dialog->HelpButtonClick(); });
    }
    form->FCancelButton = ChooseDefaultAndCancel(pushes, buttons, defaultButton);
    return form.release();
}

int MessageDialogEx(const std::string& msg, TDialogKind kind, TDialogButtons buttons,
                    TDialogButton defaultButton, bool showIcon, int fontHeight, int helpContext) {
    const std::unique_ptr<TMessageForm> form(
        CreateMessageDialogEx(msg, kind, buttons, defaultButton, showIcon, fontHeight));
    form->SetHelpContext(helpContext);
    return ShowModal(*form);
}

int ConfirmYesNo(const std::string& msg) {
    return MessageDialogEx(msg, dkConfirmation, {dbYes, dbNo}, dbNo, true, 0, 0);
}

void CenterOnScreen(QWidget* form) {
    if (!form) {
        return;
    }
    const QRect screen = PrimaryScreen();
    const QSize outer = form->frameGeometry().size();
    form->move(screen.x() + (screen.width() - outer.width()) / 2,
               screen.y() + (screen.height() - outer.height()) / 2);
}

void CenterOverActiveForm(QWidget* form) {
    if (!form) {
        return;
    }
    QWidget* active = QApplication::activeWindow();
    if (!active) {
        CenterOnScreen(form);
        return;
    }
    const QRect screen = PrimaryScreen();
    const QRect a = active->frameGeometry();
    const QSize outer = form->frameGeometry().size();
    int x = a.x() + a.width() / 2 - outer.width() / 2;
    int y = a.y() + a.height() / 2 - outer.height() / 2;
    if (x < screen.x()) {
        x = a.x();
    }
    if (y < screen.y()) {
        y = a.y();
    }
    if (x + outer.width() > screen.x() + screen.width() ||
        y + outer.height() > screen.y() + screen.height()) {
        CenterOnScreen(form);
        return;
    }
    form->move(x, y);
}
