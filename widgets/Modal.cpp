// SPDX-License-Identifier: MIT
#include "widgets/Modal.h"

#include "widgets/ModalResult.h"

namespace {

TModalHook& InstalledHook() {
    static TModalHook hook;
    return hook;
}

} // namespace

int ShowModal(QDialog& dialog) {
    int result = 0;
    // A copy, so that a hook may install another one while it answers the dialog.
    if (const TModalHook hook = InstalledHook()) {
        dialog.setModal(true);
        dialog.show();
        hook(dialog);
        if (dialog.isVisible()) {
            dialog.done(mrCancel);
        }
        result = dialog.result();
    } else {
        result = dialog.exec();
    }
    // A plain reject() (Escape, the close box of a dialog that does not answer it itself)
    // leaves QDialog's 0, which is the same as cancelling.
    return result == mrNone ? mrCancel : result;
}

TModalHook SetModalHook(TModalHook hook) {
    TModalHook previous = std::move(InstalledHook());
    InstalledHook() = std::move(hook);
    return previous;
}
