// SPDX-License-Identifier: MIT
#pragma once

#include <QElapsedTimer>
#include <QProgressBar>

/// The progress gauge of a run: a bar with the percentage done as text. Its position may be
/// set thousands of times a second, but drawing the bar is what costs (each drawing is
/// flushed to the screen at once), so the bar is drawn anew at most every RefreshInterval
/// milliseconds and whenever it reaches its minimum or maximum; Refresh draws it at once.
class TGauge : public QProgressBar {
    Q_OBJECT

public:
    static constexpr int RefreshInterval = 40;

    explicit TGauge(QWidget* parent = nullptr);

    int Position() const { return FPosition; }
    void SetPosition(int position);
    /// The largest position; a maximum of 0 is shown as an empty bar, not as Qt's busy bar.
    void SetMax(int max);
    /// Shows the current position now.
    void Refresh();

private:
    int FPosition = 0;
    QElapsedTimer FLastRefresh;
};
