// SPDX-License-Identifier: MIT
#include "widgets/Anchors.h"

#include <QWidget>
#include <algorithm>

void TAnchors::Add(QWidget* control, QRect designGeometry, unsigned anchors) {
    control->setGeometry(designGeometry);
    FItems.push_back({control, designGeometry, anchors});
}

namespace {

/// One axis: the start and length of a control for a parent grown by delta.
void Follow(bool nearEdge, bool farEdge, int delta, int& start, int& length) {
    if (!farEdge) {
        return;
    }
    if (nearEdge) {
        length += delta;
    } else {
        start += delta;
    }
}

} // namespace

void TAnchors::Apply(QSize size) const {
    const int dx = size.width() - FDesignSize.width();
    const int dy = size.height() - FDesignSize.height();
    for (const TItem& item : FItems) {
        int x = item.Design.x();
        int y = item.Design.y();
        int w = item.Design.width();
        int h = item.Design.height();
        Follow(item.Anchors & akLeft, item.Anchors & akRight, dx, x, w);
        Follow(item.Anchors & akTop, item.Anchors & akBottom, dy, y, h);
        item.Control->setGeometry(x, y, std::max(w, 0), std::max(h, 0));
    }
}
