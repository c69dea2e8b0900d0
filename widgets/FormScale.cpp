// SPDX-License-Identifier: MIT
#include "widgets/FormScale.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

const char* const DesktopFileName = "org.tabbit.tabbit";

} // namespace

QString WithoutAccelerator(const QString& caption) {
    QString plain;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i;
        }
        plain += caption[i];
    }
    return plain;
}

TCharSize AverageCharSize(const QFont& font) {
    const QFontMetricsF metrics(font);
    const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    return {metrics.horizontalAdvance(letters) / 52.0, QFontMetrics(font).height()};
}

TFormScale::TFormScale(double x, double y) : FX(std::max(x, 1.0)), FY(std::max(y, 1.0)) {}

int TFormScale::Horz(int designPixels) const {
    return static_cast<int>(std::lround(designPixels * FX));
}

int TFormScale::Vert(int designPixels) const {
    return static_cast<int>(std::lround(designPixels * FY));
}

QPoint TFormScale::Point(QPoint design) const {
    return {Horz(design.x()), Vert(design.y())};
}

QSize TFormScale::Size(QSize design) const {
    return {Horz(design.width()), Vert(design.height())};
}

QRect TFormScale::Rect(QRect design) const {
    const QPoint topLeft = Point(design.topLeft());
    const QPoint end = Point(design.topLeft() + QPoint(design.width(), design.height()));
    return {topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y())};
}

TFormScale FormScale(const QFont& font) {
    const TCharSize size = AverageCharSize(font);
    return {size.Width / TFormScale::DesignCharWidth,
            static_cast<double>(size.Height) / TFormScale::DesignCharHeight};
}

QFont FixedPitchFont(const QFont& font) {
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (font.pointSizeF() > 0) {
        fixed.setPointSizeF(font.pointSizeF());
    } else {
        fixed.setPixelSize(font.pixelSize());
    }
    return fixed;
}

QIcon ProgramIcon() {
    Q_INIT_RESOURCE(tabbit_widgets);
    return QIcon::fromTheme(DesktopFileName, QIcon(":/tabbit.png"));
}

void InstallProgramIdentity() {
    QGuiApplication::setDesktopFileName(DesktopFileName);
    QGuiApplication::setWindowIcon(ProgramIcon());
}

void NameControlsForAccessibility(QWidget* form) {
    if (!form) {
        return;
    }
    for (QLabel* label : form->findChildren<QLabel*>()) {
        QWidget* named = label->buddy();
        if (named && named->accessibleName().isEmpty()) {
            named->setAccessibleName(WithoutAccelerator(label->text()));
        }
    }
    for (QWidget* control : form->findChildren<QWidget*>()) {
        if (!control->toolTip().isEmpty() && control->accessibleDescription().isEmpty()) {
            control->setAccessibleDescription(control->toolTip());
        }
    }
}
