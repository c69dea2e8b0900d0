// SPDX-License-Identifier: MIT
#include "widgets/AutoSizeLabels.h"

#include <QLabel>
#include <QWidget>

void RelayoutAutoSizeLabels(QWidget* form) {
    if (!form) {
        return;
    }
    for (QLabel* label : form->findChildren<QLabel*>()) {
        if (label->property("autoSize").toBool()) {
            label->adjustSize();
        }
    }
}
