// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QFont;
class QIcon;
class QWidget;

/// The average character size of font: the advance of the 52 letters A to Z and a to z in one
/// line, divided by 52, and the font's height. Dialog units are reckoned from it.
struct TCharSize {
    double Width;
    int Height;
};
TCharSize AverageCharSize(const QFont& font);

/// How much larger than its design a window is drawn so that its texts fit in the font it
/// shows. The windows were laid out for a font of 6 by 13 pixels average character size; a
/// larger font widens the window by its character width and heightens it by its character
/// height, as dialog units do. A window never shrinks below its design: the fixed parts of the
/// controls (frames, check marks) keep their size in any font. Positions scale by their edges,
/// so controls that shared an edge in the design still share it.
class TFormScale {
public:
    static constexpr double DesignCharWidth = 6;
    static constexpr int DesignCharHeight = 13;

    TFormScale() = default;
    TFormScale(double x, double y);

    double X() const { return FX; }
    double Y() const { return FY; }
    int Horz(int designPixels) const;
    int Vert(int designPixels) const;
    QPoint Point(QPoint design) const;
    QSize Size(QSize design) const;
    QRect Rect(QRect design) const;

private:
    double FX = 1;
    double FY = 1;
};

/// The scale of a window that shows font.
TFormScale FormScale(const QFont& font);

/// The desktop's fixed-pitch font at the size of font.
QFont FixedPitchFont(const QFont& font);

/// The program's icon: the one installed in the desktop's icon theme, or the one built into
/// the program when the theme has none.
QIcon ProgramIcon();

/// What makes the desktop know the program's windows as one program's: its desktop file's
/// name and its icon on every window. Called once, after the application object exists.
void InstallProgramIdentity();

/// A caption as a screen reader is to say it: without the "&" that marks the accelerator,
/// "&&" standing for one "&".
QString WithoutAccelerator(const QString& caption);

/// Gives every control of form that has none an accessible name and description: a control
/// named by a label (its buddy) takes the label's text without the accelerator mark, and a
/// control with a hint takes the hint as its description.
void NameControlsForAccessibility(QWidget* form);
