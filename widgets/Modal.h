// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <functional>

/// Called instead of a blocking exec() while installed: it gets the shown dialog and answers
/// it (clicks a button, types into it). Tests install one; the program never does.
using TModalHook = std::function<void(QDialog&)>;

/// Shows a dialog modally and returns its result (a TModalResult for the system's own
/// dialogs). With a hook installed the dialog is shown, handed to the hook and then closed;
/// the result is whatever the hook's answer set (mrCancel when it set none).
int ShowModal(QDialog& dialog);

/// Installs hook (an empty one restores the blocking exec()); returns the previous one.
TModalHook SetModalHook(TModalHook hook);

/// Installs a hook for the lifetime of the object.
class TScopedModalHook {
public:
    explicit TScopedModalHook(TModalHook hook) : FPrevious(SetModalHook(std::move(hook))) {}
    ~TScopedModalHook() { SetModalHook(std::move(FPrevious)); }
    TScopedModalHook(const TScopedModalHook&) = delete;
    TScopedModalHook& operator=(const TScopedModalHook&) = delete;

private:
    TModalHook FPrevious;
};
