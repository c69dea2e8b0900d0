// SPDX-License-Identifier: MIT
#include "dialogs/InputBox.h"

#include "widgets/ModalResult.h"
#include "widgets/Modal.h"
#include "dialogs/MessageDialog.h"
#include "platform/Latin1.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>

namespace {

/// Refuses every text with a character the program's 8-bit strings cannot hold, typed or
/// pasted, so that what the box returns is exactly what the user saw.
class TLatin1Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return IsLatin1(input) ? Acceptable : Invalid;
    }
};

constexpr int MaxInputLength = 255;

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
    edit->setValidator(new TLatin1Validator(edit));
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
    layout->addLayout(buttons);

    box.adjustSize();
    box.setFixedSize(box.size());
    CenterOverActiveForm(&box);
    edit->setFocus();

    if (ShowModal(box) != mrOk)
        return initial;
    return FromQString(edit->text());
}
