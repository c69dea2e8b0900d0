// SPDX-License-Identifier: MIT
#pragma once

#include "widgets/ModalResult.h"

#include <QDialog>
#include <cstdint>
#include <initializer_list>
#include <string>

class QKeyEvent;
class QPushButton;
class QWidget;

/// The kind of a message dialog: its caption and its icon.
enum TDialogKind : std::uint8_t {
    dkWarning = 0,
    dkError = 1,
    dkInformation = 2,
    dkConfirmation = 3,
    dkCustom = 4,
};

/// One button of a message dialog; the order is the left-to-right order in the dialog.
enum TDialogButton : std::uint8_t {
    dbYes = 0,
    dbNo = 1,
    dbOK = 2,
    dbCancel = 3,
    dbAbort = 4,
    dbRetry = 5,
    dbIgnore = 6,
    dbAll = 7,
    dbNoToAll = 8,
    dbYesToAll = 9,
    dbHelp = 10,
};

/// A set of dialog buttons, bit n for the button of value n.
class TDialogButtons {
public:
    constexpr TDialogButtons() = default;
    constexpr TDialogButtons(std::initializer_list<TDialogButton> buttons) {
        for (TDialogButton b : buttons) {
            FBits = static_cast<std::uint16_t>(FBits | (1u << b));
        }
    }
    constexpr bool Contains(TDialogButton b) const { return (FBits >> b) & 1u; }
    constexpr std::uint16_t Bits() const { return FBits; }

private:
    std::uint16_t FBits = 0;
};

/// The system's message dialog: icon, word-wrapped message and a centred row of buttons,
/// laid out from the font's average character size. Built by CreateMessageDialogEx.
class TMessageForm : public QDialog {
    Q_OBJECT

public:
    explicit TMessageForm(QWidget* parent = nullptr);

    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int context) { FHelpContext = context; }

    /// The close box and the window system's close command end the dialog with mrCancel.
    void reject() override;

protected:
    /// Escape is answered by the cancel button alone, with that button's modal result.
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend TMessageForm* CreateMessageDialogEx(const std::string& msg, TDialogKind kind,
                                               TDialogButtons buttons, TDialogButton defaultButton,
                                               bool showIcon, int fontHeight);

    void HelpButtonClick();

    int FHelpContext = 0;
    QPushButton* FCancelButton = nullptr;
};

/// Builds the dialog without showing it; the caller shows and frees it.
TMessageForm* CreateMessageDialogEx(const std::string& msg, TDialogKind kind,
                                    TDialogButtons buttons, TDialogButton defaultButton,
                                    bool showIcon, int fontHeight);

/// Builds, shows modally (through ShowModal) and frees the dialog; the pressed button's
/// modal result, or mrCancel when the dialog was closed otherwise.
int MessageDialogEx(const std::string& msg, TDialogKind kind, TDialogButtons buttons,
                    TDialogButton defaultButton, bool showIcon, int fontHeight, int helpContext);

/// A question with Yes and No, No the default: mrYes, mrNo or mrCancel.
int ConfirmYesNo(const std::string& msg);

/// Centres form over the active window, or on the screen when that does not fit.
void CenterOverActiveForm(QWidget* form);
/// Centres form on the primary screen.
void CenterOnScreen(QWidget* form);
