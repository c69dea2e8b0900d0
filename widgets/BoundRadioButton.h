// SPDX-License-Identifier: MIT
#pragma once

#include <QPointer>
#include <QRadioButton>

/// A radio button that drives a bound control: while checked the control is enabled, shown
/// in the window colour and focused; while unchecked it is disabled and shown in the
/// button-face colour.
class TVxRadioBtn : public QRadioButton {
    Q_OBJECT

public:
    explicit TVxRadioBtn(QWidget* parent = nullptr);
    TVxRadioBtn(const QString& text, QWidget* parent = nullptr);

    bool AutoDisable() const { return FAutoDisable; }
    void SetAutoDisable(bool b) { FAutoDisable = b; }
    bool AutoColor() const { return FAutoColor; }
    void SetAutoColor(bool b) { FAutoColor = b; }
    QWidget* Control() const { return FControl; }
    /// Binds control; another TVxRadioBtn is ignored. The binding ends when control is destroyed.
    void SetControl(QWidget* control);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateControl();
    /// Gives the bound control the focus when it can take it.
    void FocusControl();

    bool FAutoDisable = true;
    bool FShown = false;
    bool FAutoColor = true;
    QPointer<QWidget> FControl;
};
