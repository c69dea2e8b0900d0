// SPDX-License-Identifier: MIT
#pragma once

// Helpers for the tests that show a window at the font sizes a desktop may be set to and
// check that no text is cut off.

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QWidget>
#include <initializer_list>

/// Makes the application's font the desktop font at the given size while it lives, as a user
/// who chose that size sees it, and puts the previous font back afterwards so that the next
/// test starts as before.
class TDesktopFont {
public:
    explicit TDesktopFont(int points) : FPrevious(QApplication::font()), FFont("DejaVu Sans") {
        FFont.setPointSize(points);
        QApplication::setFont(FFont);
    }
    ~TDesktopFont() { QApplication::setFont(FPrevious); }
    TDesktopFont(const TDesktopFont&) = delete;
    TDesktopFont& operator=(const TDesktopFont&) = delete;

    /// The font set, to scale a window's design sizes by.
    const QFont& Font() const { return FFont; }

private:
    QFont FPrevious;
    QFont FFont;
};

/// Adds the column "points" and a row "<n> pt" for each size to the current test's data:
/// by default the sizes from a small to a large desktop font.
inline void AddDesktopFontRows(std::initializer_list<int> sizes = {8, 10, 12, 14, 16}) {
    QTest::addColumn<int>("points");
    for (int points : sizes)
        QTest::addRow("%d pt", points) << points;
}

/// True when the widget has at least the size its size hint asks for.
inline bool FitsSizeHint(const QWidget& widget) {
    return widget.width() >= widget.sizeHint().width() &&
           widget.height() >= widget.sizeHint().height();
}

/// The width a push button needs to show its whole caption: the text with the style's margin
/// on either side. Its size hint adds a minimum width of the style's beyond that, which a
/// button of a fixed design width need not reach.
inline int CaptionWidth(const QPushButton& button) {
    const int margin = button.style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button);
    return button.fontMetrics().horizontalAdvance(button.text()) + 2 * margin;
}
