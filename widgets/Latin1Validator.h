// SPDX-License-Identifier: MIT
#pragma once

#include <QValidator>

/// Refuses every edit that would put a character outside Latin-1 into a text field, so that
/// what the user types always reaches the 8-bit engine unchanged.
class TLatin1Validator : public QValidator {
    Q_OBJECT

public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};
