// SPDX-License-Identifier: MIT
#include "widgets/BoundRadioButton.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

TVxRadioBtn::TVxRadioBtn(QWidget* parent) : QRadioButton(parent) {
    connect(this, &QAbstractButton::toggled, this, [this] { UpdateControl(); });
}

TVxRadioBtn::TVxRadioBtn(const QString& text, QWidget* parent) : QRadioButton(text, parent) {
    connect(this, &QAbstractButton::toggled, this, [this] { UpdateControl(); });
}

void TVxRadioBtn::SetControl(QWidget* control) {
    if (qobject_cast<TVxRadioBtn*>(control)) {
        return;
    }
    FControl = control;
    if (control) {
        UpdateControl();
    }
}

void TVxRadioBtn::showEvent(QShowEvent* event) {
    QRadioButton::showEvent(event);
    // The window now exists: the checked button's control can take the focus it could not
    // take while the window was being built.
    if (!FShown) {
        FShown = true;
        UpdateControl();
    }
}

void TVxRadioBtn::keyPressEvent(QKeyEvent* event) {
    QRadioButton::keyPressEvent(event);
    // An arrow key checks the neighbouring button, whose control takes the focus, and then
    // focuses that button itself; the focus belongs in the control, as after a click.
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (auto* now = qobject_cast<TVxRadioBtn*>(QApplication::focusWidget());
            now && now != this && now->isChecked()) {
            now->FocusControl();
        }
        break;
    default:
        break;
    }
}

void TVxRadioBtn::FocusControl() {
    QWidget* control = FControl;
    // A control of a window that is not shown yet cannot take the focus; that is no error.
    if (control && control->isEnabled() && control->focusPolicy() != Qt::NoFocus &&
        control->window()->isVisible()) {
        control->setFocus();
    }
}

void TVxRadioBtn::UpdateControl() {
    QWidget* control = FControl;
    if (!control) {
        return;
    }
    if (FAutoDisable) {
        control->setEnabled(isChecked());
    }
    FocusControl();
    if (FAutoColor) {
        const QPalette system = QApplication::palette(control);
        const QColor colour = system.color(isChecked() ? QPalette::Base : QPalette::Button);
        QPalette palette = control->palette();
        palette.setColor(QPalette::Base, colour);
        palette.setColor(QPalette::Window, colour);
        control->setPalette(palette);
        const bool edit =
            qobject_cast<QLineEdit*>(control) || qobject_cast<QAbstractScrollArea*>(control) ||
            qobject_cast<QAbstractSpinBox*>(control) || qobject_cast<QComboBox*>(control);
        if (!edit) {
            control->setAutoFillBackground(true);
        }
    }
}
