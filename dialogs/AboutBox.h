// SPDX-License-Identifier: MIT
#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class TVxLbl;

/// The program's information window: a picture, the ownership line, a mail link, a web link
/// and OK. Created once at program start, after the main window has set ProgramVersion, and
/// shown modally (ShowModal) each time the main window asks for it.
class TFormAbout2 : public QDialog {
    Q_OBJECT

public:
    /// exePath is the program file whose name, file name and modification year the texts
    /// show; the texts are built here, once.
    explicit TFormAbout2(QWidget* parent = nullptr,
                         const QString& exePath = QCoreApplication::applicationFilePath());

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate(const QString& exePath);
    void FormShow();

    QLabel* Image2;
    QLabel* LabelCopyR;
    TVxLbl* VxLblMail;
    TVxLbl* VxLbl1;
    QPushButton* BitBtn1;
};
