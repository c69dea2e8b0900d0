// SPDX-License-Identifier: MIT
#include "dialogs/InputBox.h"

#include "dialogs/MessageDialog.h"
#include "platform/Latin1.h"
#include "widgets/Modal.h"
#include "widgets/ModalResult.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>
#include <functional>
#include <utility>

namespace {

/// Refuses every text with a character the program's 8-bit strings cannot hold, typed or
/// pasted, so that what the box returns is exactly what the user saw; each refusal is handed
/// to onRefused with the text that was refused, so that the box can say why.
class TLatin1Validator : public QValidator {
public:
    TLatin1Validator(QObject* parent, std::function<void(const QString&)> onRefused)
        : QValidator(parent), FOnRefused(std::move(onRefused)) {}
    State validate(QString& input, int&) const override {
        if (IsLatin1(input)) {
            return Acceptable;
        }
        FOnRefused(input);
        return Invalid;
    }

private:
    std::function<void(const QString&)> FOnRefused;
};

constexpr int MaxInputLength = 255;

/// How much of a refused text the message quotes, in average characters, so that it stays
/// within the two lines the box keeps free for it.
constexpr int QuotedLength = 24;

/// Why text cannot be taken: it names the text and the first character outside Latin-1, with
/// that character's code as the program's other messages give it.
QString RefusalText(const QString& text, const QFontMetrics& metrics) {
    const QString character = FirstNonLatin1(text);
    const QString shown =
        metrics.elidedText(text, Qt::ElideMiddle, metrics.averageCharWidth() * QuotedLength);
    return QString("The text \"%1\" holds a character that cannot be saved: %2 (%3)")
        .arg(shown, character, QString::fromStdString(CharacterCode(character)));
}

} // namespace

std::string InputBox(const std::string& caption, const std::string& prompt,
                     const std::string& initial) {
    QDialog box;
    box.setObjectName("InputBox");
    box.setWindowTitle(ToQString(caption));

    auto* label = new QLabel(ToQString(prompt), &box);
    label->setObjectName("Prompt");
    label->setTextFormat(Qt::PlainText);

    auto* edit = new QLineEdit(&box);
    edit->setObjectName("Edit");

    // Below the edit, room for two lines that say why a text was refused; the text in the
    // edit stays as it was, so that nothing typed so far is lost.
    auto* refusal = new QLabel(&box);
    refusal->setObjectName("Refusal");
    refusal->setTextFormat(Qt::PlainText);
    refusal->setWordWrap(true);
    refusal->setMinimumHeight(refusal->fontMetrics().lineSpacing() * 2);
    refusal->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    edit->setValidator(new TLatin1Validator(edit, [refusal](const QString& refused) {
        refusal->setText(RefusalText(refused, refusal->fontMetrics()));
        refusal->setAccessibleName(refusal->text());
        QApplication::beep();
    }));
    QObject::connect(edit, &QLineEdit::textEdited, refusal, [refusal] {
        refusal->clear();
        refusal->setAccessibleName({});
    });
    // A longer initial text stays whole: the limit is for what the user adds.
    edit->setMaxLength(std::max(MaxInputLength, static_cast<int>(initial.size())));
    edit->setText(ToQString(initial));
    edit->selectAll();
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 40);

    // The prompt (plain text, shown as it stands) names the edit line, and the box, for a
    // screen reader.
    edit->setAccessibleName(label->text());
    box.setAccessibleDescription(label->text());

    auto* ok = new QPushButton("OK", &box);
    ok->setObjectName("OK");
    ok->setProperty("modalResult", static_cast<int>(mrOk));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &box, [&box] { box.done(mrOk); });

    auto* cancel = new QPushButton("Cancel", &box);
    cancel->setObjectName("Cancel");
    cancel->setProperty("modalResult", static_cast<int>(mrCancel));
    QObject::connect(cancel, &QPushButton::clicked, &box, [&box] { box.done(mrCancel); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(refusal);
    layout->addLayout(buttons);

    box.adjustSize();
    box.setFixedSize(box.size());
    CenterOverActiveForm(&box);
    edit->setFocus();

    if (ShowModal(box) != mrOk)
        return initial;
    return FromQString(edit->text());
}
