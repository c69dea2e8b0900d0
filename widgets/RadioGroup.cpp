// SPDX-License-Identifier: MIT
#include "widgets/RadioGroup.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>
#include <algorithm>

TRadioGroup::TRadioGroup(const QString& name, const QString& caption, const QStringList& items,
                         QWidget* parent)
    : QGroupBox(caption, parent) {
    setObjectName(name);
    // An explicit group: the automatic one would also take in radio buttons of the parent.
    auto* group = new QButtonGroup(this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 2);
    layout->setSpacing(2);
    for (const QString& text : items) {
        auto* item = new QRadioButton(text, this);
        item->setObjectName(name + "Item" + QString::number(FItems.size()));
        // Equal stretch gives equal columns whenever every caption fits in one.
        layout->addWidget(item, 1);
        group->addButton(item);
        FItems.push_back(item);
    }
    connect(group, &QButtonGroup::buttonToggled, this, [this](QAbstractButton*, bool checked) {
        if (checked) {
            TabToChecked();
        }
    });
    TabToChecked();
}

void TRadioGroup::TabToChecked() {
    const std::size_t target = static_cast<std::size_t>(std::max(ItemIndex(), 0));
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        const Qt::FocusPolicy policy = FItems[i]->focusPolicy();
        FItems[i]->setFocusPolicy(i == target ? Qt::FocusPolicy(policy | Qt::TabFocus)
                                              : Qt::FocusPolicy(policy & ~Qt::TabFocus));
    }
}

int TRadioGroup::ItemIndex() const {
    for (std::size_t i = 0; i < FItems.size(); ++i) {
        if (FItems[i]->isChecked()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TRadioGroup::SetItemIndex(int index) {
    if (index >= 0 && index < ItemCount()) {
        FItems[static_cast<std::size_t>(index)]->setChecked(true);
        return;
    }
    // An exclusive group refuses to have its checked button unchecked.
    QButtonGroup* group = FItems.empty() ? nullptr : FItems.front()->group();
    if (group) {
        group->setExclusive(false);
    }
    for (QRadioButton* item : FItems) {
        item->setChecked(false);
    }
    if (group) {
        group->setExclusive(true);
    }
    TabToChecked();
}
