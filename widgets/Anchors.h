// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

/// The edges of a control's parent that the control follows.
enum TAnchor : unsigned {
    akLeft = 1,
    akTop = 2,
    akRight = 4,
    akBottom = 8,
};

/// Lays out the controls of a form that was designed at a fixed size: each control keeps its
/// distance to the edges it is anchored to, so a control anchored left and right widens with
/// the form and one anchored only at the bottom moves down with it.
class TAnchors {
public:
    explicit TAnchors(QSize designSize) : FDesignSize(designSize) {}

    /// Places control at its design geometry and remembers its anchors (a set of TAnchor).
    void Add(QWidget* control, QRect designGeometry, unsigned anchors = akLeft | akTop);
    /// Places every control for a form of the given client size.
    void Apply(QSize size) const;

private:
    struct TItem {
        QWidget* Control;
        QRect Design;
        unsigned Anchors;
    };

    QSize FDesignSize;
    std::vector<TItem> FItems;
};
