// SPDX-License-Identifier: MIT
#pragma once

#include <exception>
#include <string>
#include <utility>

class QWidget;

/// The text shown for an error message: a "." is appended when the last character's code is
/// above that of "." (a letter or a digit), so "!", "." or a quote at the end stay alone.
std::string DisplayMessage(const std::string& message);

/// The standard error display: a message box (objectName "ErrorMessage") captioned with the
/// application's title, with the error icon, an OK button (objectName "OK") and the message;
/// running out of memory shows "Out of memory." rather than the library's own text.
void ShowException(const std::exception& error);

/// A plain message box (objectName "Message") with an OK button (objectName "OK"), captioned
/// with the application's title.
void ShowMessage(const std::string& message);

/// Runs an event handler and shows whatever it throws in the standard error display. Every
/// handler connected to a signal runs through this, so errors never cross Qt's event loop.
template <class F> void Guarded(F&& handler) {
    try {
        std::forward<F>(handler)();
    } catch (const std::exception& error) {
        ShowException(error);
    }
}
