// SPDX-License-Identifier: MIT
#include "widgets/Gauge.h"

#include <algorithm>

TGauge::TGauge(QWidget* parent) : QProgressBar(parent) {
    setRange(0, 100);
    setValue(0);
    setTextVisible(true);
    setFormat("%p%");
    setAlignment(Qt::AlignCenter);
}

void TGauge::SetPosition(int position) {
    FPosition = position;
    if (position <= minimum() || position >= maximum() || !FLastRefresh.isValid() ||
        FLastRefresh.hasExpired(RefreshInterval)) {
        Refresh();
    }
}

void TGauge::SetMax(int max) {
    // A range of 0 to 0 turns a progress bar into a busy indicator.
    setMaximum(std::max(max, 1));
    Refresh();
}

void TGauge::Refresh() {
    setValue(std::clamp(FPosition, minimum(), maximum()));
    FLastRefresh.start();
}
