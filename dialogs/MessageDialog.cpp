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
    const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const int cx = metrics.horizontalAdvance(letters) / 52;
    const int cy = metrics.height();
    const auto horz = [cx](int units) { return MulDiv(units, cx, 4); };
    const auto vert = [cy](int units) { return MulDiv(units, cy, 8); };
    const int horzMargin = horz(HorzMargin);
    const int vertMargin = vert(VertMargin);
    const int horzSpacing = horz(HorzSpacing);
    const int vertSpacing = vert(VertSpacing);
    const int buttonWidth = horz(ButtonWidth);
    const int buttonHeight = vert(ButtonHeight);
    const int buttonSpacing = horz(ButtonSpacing);

    // The message is measured exactly as the label below draws it: plain text, wrapped at
    // word boundaries, so the label shows the lines that were measured.
    const QString text = ToQString(msg);
    const QRect textRect =
        metrics.boundingRect(QRect(0, 0, PrimaryScreen().width() / 2, 0), Qt::TextWordWrap, text);
    const int textWidth = textRect.x() + textRect.width();
    const int textHeight = textRect.y() + textRect.height();

    const bool withIcon = showIcon && kind < dkCustom;
    int iconTextWidth = textWidth;
    int iconTextHeight = textHeight;
    if (withIcon) {
        iconTextWidth += IconSize + horzSpacing;
        iconTextHeight = std::max(iconTextHeight, IconSize);
    }

    int buttonCount = 0;
    for (std::size_t b = 0; b < ButtonTable.size(); ++b) {
        if (buttons.Contains(static_cast<TDialogButton>(b))) {
            ++buttonCount;
        }
    }
    const int buttonGroupWidth =
        buttonCount == 0 ? 0 : buttonCount * buttonWidth + (buttonCount - 1) * buttonSpacing;

    const int clientWidth = std::max(iconTextWidth, buttonGroupWidth) + 2 * horzMargin;
    const int clientHeight = iconTextHeight + buttonHeight + vertSpacing + 2 * vertMargin;
    form->setFixedSize(clientWidth, clientHeight);
    CenterOverActiveForm(form.get());

    form->setWindowTitle(kind < dkCustom ? QString(KindCaptions[kind]) : ApplicationTitleText());

    if (withIcon) {
        auto* image = new QLabel(form.get());
        image->setObjectName("Image_Vx1");
        image->setPixmap(
            form->style()->standardIcon(KindIcons[kind], nullptr, form.get()).pixmap(IconSize));
        image->setGeometry(horzMargin, vertMargin, IconSize, IconSize);
        image->setAccessibleName(KindCaptions[kind]);
    }

    auto* message = new QLabel(form.get());
    message->setObjectName("Message");
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message->setText(text);
    message->setGeometry(iconTextWidth - textWidth + horzMargin, vertMargin, textWidth, textHeight);
    // A screen reader announces the dialog by its caption and its message.
    form->setAccessibleDescription(text);

    int x = (clientWidth - buttonGroupWidth) / 2;
    const int y = iconTextHeight + vertMargin + vertSpacing;
    QPushButton* defaultPush = nullptr;
    QPushButton* okPush = nullptr;
    for (std::size_t b = 0; b < ButtonTable.size(); ++b) {
        const auto button = static_cast<TDialogButton>(b);
        if (!buttons.Contains(button)) {
            continue;
        }
        const TButtonRow& row = ButtonTable[b];
        auto* push = new QPushButton(row.Caption, form.get());
        push->setObjectName(row.Name);
        push->setProperty("modalResult", static_cast<int>(row.Result));
        push->setGeometry(x, y, buttonWidth, buttonHeight);
        TMessageForm* dialog = form.get();
        if (button == dbHelp) {
            QObject::connect(push, &QPushButton::clicked, dialog,
                             [dialog] { dialog->HelpButtonClick(); });
        } else {
            const int result = row.Result;
            QObject::connect(push, &QPushButton::clicked, dialog,
                             [dialog, result] { dialog->done(result); });
        }
        if (button == defaultButton) {
            defaultPush = push;
        }
        if (button == dbOK) {
            okPush = push;
        }
        x += buttonWidth + buttonSpacing;
    }

    if (defaultPush) {
        defaultPush->setDefault(true);
        defaultPush->setFocus();
        form->FCancelButton = defaultPush;
    } else if (okPush && !buttons.Contains(dbCancel)) {
        form->FCancelButton = okPush;
    }
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
