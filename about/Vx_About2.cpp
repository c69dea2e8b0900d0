// SPDX-License-Identifier: MIT
#include "about/Vx_About2.h"

#include "controls/ModalResult.h"
#include "controls/VxLabel.h"
#include "controls/VxVCLutils40.h"
#include "controls/Vxdialog40.h"
#include "platform/Latin1.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>

namespace {

// The contact endpoints shown in the window.
const char* const Holder = "The tabbit developers";
const char* const MailAddress = "tabbit@example.org";
const char* const WebAddress = "www.example.org/tabbit";

// The form's fonts are given as character heights in pixels, as the window was laid out at
// 96 dots per inch: 11 for the window's own text, 13 for the ownership line and the links.
constexpr int FormFontHeight = 11;
constexpr int TextFontHeight = 13;

/// font with the family and the character height of the layout; style and colour stay.
QFont Sized(QFont font, QFontDatabase::SystemFont family, int pixelHeight) {
    const QFont base = QFontDatabase::systemFont(family);
    font.setFamily(base.family());
    font.setStyleHint(base.styleHint());
    font.setFixedPitch(base.fixedPitch());
    font.setPixelSize(pixelHeight);
    return font;
}

/// An auto-sizing label at (left, top), as RelayoutAutoSizeLabels expects it.
void Place(QLabel* label, const char* name, int left, int top) {
    label->setObjectName(QString::fromLatin1(name));
    label->setProperty("autoSize", true);
    label->move(left, top);
}

/// The file name as a mail subject: every byte that has a meaning in a mailto link (a blank,
/// "&", "#", "%", "?") or is not ASCII is percent-encoded, so the whole name arrives.
std::string MailSubject(const QString& fileName) {
    return QUrl::toPercentEncoding(fileName).toStdString();
}

} // namespace

TFormAbout2::TFormAbout2(QWidget* parent, const QString& exePath) : QDialog(parent) {
    Q_INIT_RESOURCE(about);
    setObjectName(QStringLiteral("FormAbout2"));
    // A fixed single border with only the close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(342, 168);
    setFont(Sized(font(), QFontDatabase::GeneralFont, FormFontHeight));

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(QPixmap(QStringLiteral(":/about/Image2.png")));
    Image2->setGeometry(10, 10, 120, 125);

    LabelCopyR = new QLabel(this);
    Place(LabelCopyR, "LabelCopyR", 140, 10);
    LabelCopyR->setFont(Sized(LabelCopyR->font(), QFontDatabase::GeneralFont, TextFontHeight));
    QPalette black = LabelCopyR->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    LabelCopyR->setPalette(black);
    LabelCopyR->setText(QString(QChar(169)));

    VxLblMail = new TVxLbl(this);
    Place(VxLblMail, "VxLblMail", 140, 27);
    VxLblMail->setFont(Sized(VxLblMail->font(), QFontDatabase::FixedFont, TextFontHeight));
    VxLblMail->SetCaption(MailAddress);

    VxLbl1 = new TVxLbl(this);
    Place(VxLbl1, "VxLbl1", 140, 46);
    VxLbl1->setFont(Sized(VxLbl1->font(), QFontDatabase::FixedFont, TextFontHeight));
    VxLbl1->SetCaption(WebAddress);
    VxLbl1->SetURL(WebAddress);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(193, 140, 75, 25);
    BitBtn1->setDefault(true);
    BitBtn1->setProperty("modalResult", static_cast<int>(mrOk));
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(mrOk); });

    FormCreate(exePath);
}

void TFormAbout2::FormCreate(const QString& exePath) {
    const QFileInfo exe(exePath);
    const std::string baseName = ExeBaseName(QFile::encodeName(exe.filePath()).toStdString());
    setWindowTitle(QStringLiteral("Info about ") + QFile::decodeName(baseName.c_str()) + ' ' +
                   ToQString(ProgramVersion));

    // An unreadable file has no modification year; the line then names only the holder.
    const QDateTime modified = exe.lastModified();
    QString ownership(QChar(169));
    if (modified.isValid())
        ownership += ' ' + QString::number(modified.date().year());
    LabelCopyR->setText(ownership + ' ' + QString::fromLatin1(Holder));

    VxLblMail->SetURL(std::string("mailto:") + MailAddress +
                      "?subject=" + MailSubject(exe.fileName()));

    RelayoutAutoSizeLabels(this);
}

void TFormAbout2::FormShow() {
    CenterOverActiveForm(this);
}

void TFormAbout2::showEvent(QShowEvent* event) {
    // A spontaneous show event is the window system mapping the window again, not a showing.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TFormAbout2::keyPressEvent(QKeyEvent* event) {
    // OK is the cancel button too: Esc closes with its result, not with a rejection.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        BitBtn1->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
