// SPDX-License-Identifier: MIT
#include "widgets/Latin1Validator.h"

#include "platform/Latin1.h"

QValidator::State TLatin1Validator::validate(QString& input, int&) const {
    return IsLatin1(input) ? Acceptable : Invalid;
}
