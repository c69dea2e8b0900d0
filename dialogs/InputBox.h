// SPDX-License-Identifier: MIT
#pragma once

#include <string>

/// The modal text-input box: caption, a prompt above one edit line (objectName "Edit", at most
/// 255 characters, Latin-1 only), OK (objectName "OK", also Enter) and Cancel (objectName
/// "Cancel", also Escape). The dialog's objectName is "InputBox". A text with a character outside
/// Latin-1, typed or pasted, is refused: the edit keeps its text, and a label below it (objectName
/// "Refusal") says which character cannot be saved until the next edit. Returns the edited text
/// after OK and the initial text after Cancel. Shown through ShowModal, so tests answer it by
/// hook.
std::string InputBox(const std::string& caption, const std::string& prompt,
                     const std::string& initial);
