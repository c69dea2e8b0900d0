// SPDX-License-Identifier: MIT
#include "dialogs/AboutBox.h"

#include "dialogs/MessageDialog.h"
#include "platform/Latin1.h"
#include "widgets/ApplicationTitle.h"
#include "widgets/AutoSizeLabels.h"
#include "widgets/FormScale.h"
#include "widgets/LinkLabel.h"
#include "widgets/ModalResult.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>

#include <cmath>

namespace {

// The contact endpoints shown in the window.
const char* const Holder = "The tabbit developers";
const char* const MailAddress = "tabbit@example.org";
const char* const WebAddress = "www.example.org/tabbit";

// The ownership line and the links are drawn larger than the window's own text, by the
// ratio of their character heights in the design (13 to 11 pixels).
constexpr double TextFontRatio = 13.0 / 11.0;

/// font enlarged to the size of the texts, in the fixed-pitch font if fixedPitch; style and
/// colour stay.
QFont TextFont(QFont font, bool fixedPitch) {
    if (fixedPitch) {
        const QFont fixed = FixedPitchFont(font);
        font.setFamily(fixed.family());
        font.setStyleHint(fixed.styleHint());
        font.setFixedPitch(true);
    }
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * TextFontRatio);
    } else {
        font.setPixelSize(static_cast<int>(std::lround(font.pixelSize() * TextFontRatio)));
    }
    return font;
}

/// An auto-sizing label at (left, top), as RelayoutAutoSizeLabels expects it.
void Place(QLabel* label, const char* name, QPoint at) {
    label->setObjectName(QString::fromLatin1(name));
    label->setProperty("autoSize", true);
    label->move(at);
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
    // The window shows the desktop's font and grows with it.
    const TFormScale scale = FormScale(font());
    setFixedSize(scale.Size({342, 168}));

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(QPixmap(QStringLiteral(":/about/Image2.png")));
    Image2->setAlignment(Qt::AlignCenter);
    Image2->setGeometry(scale.Rect({10, 10, 120, 125}));

    LabelCopyR = new QLabel(this);
    Place(LabelCopyR, "LabelCopyR", scale.Point({140, 10}));
    LabelCopyR->setFont(TextFont(LabelCopyR->font(), false));
    QPalette black = LabelCopyR->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    LabelCopyR->setPalette(black);
    LabelCopyR->setText(QString(QChar(169)));

    VxLblMail = new TVxLbl(this);
    Place(VxLblMail, "VxLblMail", scale.Point({140, 27}));
    VxLblMail->setFont(TextFont(VxLblMail->font(), true));
    VxLblMail->SetCaption(MailAddress);

    VxLbl1 = new TVxLbl(this);
    Place(VxLbl1, "VxLbl1", scale.Point({140, 46}));
    VxLbl1->setFont(TextFont(VxLbl1->font(), true));
    VxLbl1->SetCaption(WebAddress);
    VxLbl1->SetURL(WebAddress);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(scale.Rect({193, 140, 75, 25}));
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
    if (modified.isValid()) {
        ownership += ' ' + QString::number(modified.date().year());
    }
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
    if (!event->spontaneous()) {
        FormShow();
    }
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
