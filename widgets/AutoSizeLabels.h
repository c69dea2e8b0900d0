// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

/// Gives every auto-sizing label of form (a QLabel or derived whose property "autoSize" is
/// true, which the system's labels set) the size of its current caption.
void RelayoutAutoSizeLabels(QWidget* form);
