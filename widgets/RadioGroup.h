// SPDX-License-Identifier: MIT
#pragma once

#include <QGroupBox>
#include <QStringList>
#include <vector>

class QRadioButton;

/// A captioned group of radio buttons of which exactly one is selected, laid out side by side
/// in one row; the selection is read and set by index.
class TRadioGroup : public QGroupBox {
    Q_OBJECT

public:
    /// The buttons are named name + "Item" + their index (RadioGroupEOLItem0, ...).
    TRadioGroup(const QString& name, const QString& caption, const QStringList& items,
                QWidget* parent = nullptr);

    /// The selected item, -1 when none is.
    int ItemIndex() const;
    void SetItemIndex(int index);
    int ItemCount() const { return static_cast<int>(FItems.size()); }

private:
    /// Lets Tab enter the group at its checked item (the first when none is), as in a radio
    /// group of any desktop; Qt would enter at the item that last had the focus, which a
    /// selection set by the program does not move.
    void TabToChecked();

    std::vector<QRadioButton*> FItems;
};
