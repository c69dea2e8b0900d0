// SPDX-License-Identifier: MIT
#include "widgets/NumberEdit.h"

#include "engine/CommandLanguage.h"
#include "engine/Dates.h"
#include "engine/Exceptions.h"
#include "platform/Latin1.h"
#include "widgets/ErrorDisplay.h"
#include "widgets/ModalResult.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>

namespace {

constexpr int MaxDigits = 18;
// Character codes of the keys the filter treats specially.
constexpr int KeyBackspace = 8;
constexpr int KeyEnter = 13;
constexpr int KeyEscape = 27;
constexpr int KeyCopy = 3;
constexpr int KeyPaste = 22;
constexpr int KeyCut = 24;
constexpr int NoChar = -1;
constexpr int UnknownChar = 0xFFFF;

char DecimalSeparator() {
    return FormatSettings().DecimalSeparator;
}

/// The decimal digits of a number: |value| = 0.Digits * 10^Exponent, without trailing zero
/// digits; no digits for zero.
struct TDecimal {
    bool Negative = false;
    std::string Digits;
    int Exponent = 0;
};

/// Cuts digits to its first keep digits, rounding half away from zero. Digits carried past
/// the first one leave "1" and return true: the number has grown by one decimal place.
bool RoundDigits(std::string& digits, std::size_t keep) {
    if (keep >= digits.size()) {
        return false;
    }
    const bool roundUp = digits[keep] >= '5';
    digits.erase(keep);
    if (!roundUp) {
        return false;
    }
    // The nines after the last other digit become zeros, which are dropped anyway.
    const std::size_t last = digits.find_last_not_of('9');
    if (last == std::string::npos) {
        digits.assign(1, '1');
        return true;
    }
    digits.erase(last + 1);
    ++digits[last];
    return false;
}

/// value rounded half away from zero to at most precision significant digits and, when
/// decimals is not negative, to at most decimals digits after the decimal point. The
/// rounding starts from the 18 significant digits that an extended number holds, so 1.005
/// read from a text rounds to 1.01 as the user expects, not to its binary neighbour 1.00.
TDecimal ToDecimal(long double value, int precision, int decimals) {
    TDecimal result;
    if (value == 0) {
        return result;
    }
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                   std::chars_format::scientific, MaxDigits - 1);
    // buffer: d.ddddddddddddddddde[+-]x
    std::string digits(1, buffer[0]);
    const char* exponent = std::find(buffer, end.ptr, 'e');
    digits.append(static_cast<const char*>(buffer + 2), exponent);
    int power = 0;
    std::from_chars(exponent + (exponent[1] == '+' ? 2 : 1), end.ptr, power);
    int exp10 = power + 1;

    int keep = precision;
    if (decimals >= 0) {
        keep = std::min(keep, exp10 + decimals);
    }
    if (keep < 0) {
        return result;
    }
    if (RoundDigits(digits, static_cast<std::size_t>(keep))) {
        ++exp10;
    }
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
    }
    if (digits.empty()) {
        return result;
    }
    result.Negative = value < 0;
    result.Digits = digits;
    result.Exponent = exp10;
    return result;
}

/// The exponent form: the first digit, the decimal separator and the other digits when there
/// are any, "E" and the exponent ("-" only when negative).
std::string ExponentText(const TDecimal& d) {
    std::string text = d.Negative ? "-" : "";
    text += d.Digits[0];
    if (d.Digits.size() > 1) {
        text += DecimalSeparator();
        text.append(d.Digits, 1);
    }
    return text + 'E' + std::to_string(d.Exponent - 1);
}

/// The digits in fixed-point notation with at least `decimals` decimals.
std::string FixedDigits(const TDecimal& d, int decimals) {
    std::string intPart;
    std::string fracPart;
    if (d.Exponent <= 0) {
        intPart = "0";
        fracPart = std::string(static_cast<std::size_t>(-d.Exponent), '0') + d.Digits;
    } else if (static_cast<int>(d.Digits.size()) <= d.Exponent) {
        intPart = d.Digits + std::string(d.Exponent - d.Digits.size(), '0');
    } else {
        intPart = d.Digits.substr(0, static_cast<std::size_t>(d.Exponent));
        fracPart = d.Digits.substr(static_cast<std::size_t>(d.Exponent));
    }
    if (static_cast<int>(fracPart.size()) < decimals) {
        fracPart.append(decimals - fracPart.size(), '0');
    }
    std::string text = d.Negative ? "-" : "";
    text += intPart;
    if (!fracPart.empty()) {
        text += DecimalSeparator() + fracPart;
    }
    return text;
}

std::string NonFiniteText(long double value) {
    if (std::isnan(value)) {
        return "NAN";
    }
    return value < 0 ? "-INF" : "INF";
}

/// General notation: 15 significant digits without trailing zeros, in exponent form for
/// more than 15 integer digits or a magnitude below 0.0001.
std::string GeneralText(long double value) {
    if (!std::isfinite(value)) {
        return NonFiniteText(value);
    }
    const TDecimal d = ToDecimal(value, 15, -1);
    if (d.Digits.empty()) {
        return "0";
    }
    if (d.Exponent > 15 || d.Exponent < -3) {
        return ExponentText(d);
    }
    return FixedDigits(d, 0);
}

/// Fixed-point notation with exactly `decimals` decimals and `precision` significant digits
/// at most; exponent form when the integer part needs more than `precision` digits.
std::string FixedText(long double value, int precision, int decimals) {
    if (!std::isfinite(value)) {
        return NonFiniteText(value);
    }
    const TDecimal d = ToDecimal(value, precision, decimals);
    if (d.Digits.empty()) {
        return FixedDigits(TDecimal{false, "0", 1}, decimals);
    }
    if (d.Exponent > precision) {
        return ExponentText(d);
    }
    return FixedDigits(d, decimals);
}

QString HexText(std::int32_t value) {
    return '$' + QString::number(static_cast<std::uint32_t>(value), 16).toUpper();
}

/// A decimal number: blanks around, an optional sign, digits with at most one decimal
/// separator, at least one digit, and an optional exponent.
bool IsDecimalNumber(const std::string& text, char separator) {
    std::size_t i = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    if (i == std::string::npos) {
        return false;
    }
    const auto isDigit = [&](std::size_t k) { return text[k] >= '0' && text[k] <= '9'; };
    if (text[i] == '+' || text[i] == '-') {
        ++i;
    }
    std::size_t digits = 0;
    while (i <= last && isDigit(i)) {
        ++i;
        ++digits;
    }
    if (i <= last && text[i] == separator) {
        ++i;
        while (i <= last && isDigit(i)) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i <= last && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i <= last && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        const std::size_t start = i;
        while (i <= last && isDigit(i)) {
            ++i;
        }
        if (i == start) {
            return false;
        }
    }
    return i == last + 1;
}

/// The character a key event types, in the codes of the edit's filter: NoChar for a key that
/// types nothing (arrows, Home, Delete), the control code for Ctrl with a letter, the
/// clipboard codes for the clipboard shortcuts, UnknownChar for a text of several characters.
int TypedChar(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyEnter;
    case Qt::Key_Escape:
        return KeyEscape;
    case Qt::Key_Backspace:
        return KeyBackspace;
    default:
        break;
    }
    if (event->matches(QKeySequence::Copy)) {
        return KeyCopy;
    }
    if (event->matches(QKeySequence::Paste)) {
        return KeyPaste;
    }
    if (event->matches(QKeySequence::Cut)) {
        return KeyCut;
    }
    // Selecting the whole text changes no character, so the desktop's Ctrl+A stays the edit's.
    if (event->key() == Qt::Key_Delete || event->matches(QKeySequence::SelectAll)) {
        return NoChar;
    }
    const QString text = event->text();
    if (text.isEmpty()) {
        return NoChar;
    }
    if (text.size() > 1) {
        return UnknownChar;
    }
    const char16_t c = text[0].unicode();
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (letter && (event->modifiers() & Qt::ControlModifier)) {
        return c & 0x1F;
    }
    return c;
}

/// Hands an error of an event handler to the standard error display once the event has been
/// handled: a modal box in the middle of a focus change would leave the change half done.
void ShowExceptionLater(std::exception_ptr error) {
    QMetaObject::invokeMethod(
        qApp,
        [error] {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                ShowException(e);
            }
        },
        Qt::QueuedConnection);
}

/// Eats the mouse press that gave a button the focus, with everything up to its release, so
/// that the press does not end in a click once the focus has been taken back from it.
class TPressCanceller : public QObject {
public:
    explicit TPressCanceller(QAbstractButton* button) : QObject(button) {
        button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return true;
        case QEvent::MouseButtonRelease:
            // Off at once: a deferred delete may wait long for an event loop.
            watched->removeEventFilter(this);
            deleteLater();
            return true;
        default:
            return false;
        }
    }
};

/// True when the focus leaves for another control of the window; a context menu, the menu
/// bar or another window taking the focus is no exit from the edit.
bool LeavesForControl(Qt::FocusReason reason) {
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
           reason != Qt::MenuBarFocusReason;
}

} // namespace

TVxNumEdit::TVxNumEdit(QWidget* parent) : QLineEdit(parent) {
    // The filter sees typed characters only; composed input would pass around it.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    SetValue(0);
}

void TVxNumEdit::SetDigitsFrac(std::uint8_t n) {
    if (FHex) {
        n = 0;
    }
    if (n == FDigitsFrac) {
        return;
    }
    FDigitsFrac = std::min<std::uint8_t>(n, MaxDigits);
    FormatText();
}

void TVxNumEdit::SetDigitsInt(std::uint8_t n) {
    if (n == FDigitsInt) {
        return;
    }
    FDigitsInt = std::min<std::uint8_t>(n, MaxDigits);
    FormatText();
}

void TVxNumEdit::SetValue(long double v) {
    if (v > FMax) {
        FValue = FMax;
    } else if (v < FMin) {
        FValue = FMin;
    } else {
        FValue = v;
    }
    setText(ToQString(GeneralText(FValue)));
    FormatText();
}

void TVxNumEdit::SetMin(long double v) {
    if (v == FMin) {
        return;
    }
    if (v <= FMax) {
        FMin = v;
    }
    SetValue(FValue);
}

void TVxNumEdit::SetMax(long double v) {
    if (v == FMax) {
        return;
    }
    if (v >= FMin) {
        FMax = v;
    }
    SetValue(FValue);
}

void TVxNumEdit::SetHex(bool b) {
    if (b == FHex) {
        return;
    }
    FHex = b;
    if (b) {
        FDigitsFrac = 0;
    }
    FormatText();
}

long double TVxNumEdit::StrToFloatAny(const std::string& text) {
    const char separator = DecimalSeparator();
    std::string number = text;
    std::replace_if(
        number.begin(), number.end(), [](char c) { return c == ',' || c == '.'; }, separator);
    const auto invalid = [&] {
        return EConvertError("'" + text + "' is not a valid floating point value");
    };
    if (!IsDecimalNumber(number, separator)) {
        throw invalid();
    }
    // from_chars reads the C notation whatever the process locale: "." and no "+".
    std::string c = number.substr(number.find_first_not_of(' '));
    c.erase(c.find_last_not_of(' ') + 1);
    std::replace(c.begin(), c.end(), separator, '.');
    if (c[0] == '+') {
        c.erase(0, 1);
    }
    long double value = 0;
    const auto [end, error] = std::from_chars(c.data(), c.data() + c.size(), value);
    if (error != std::errc() || end != c.data() + c.size() || !std::isfinite(value)) {
        throw invalid();
    }
    return value;
}

void TVxNumEdit::FormatText() {
    const QString current = text();
    if (current.isEmpty()) {
        return;
    }
    if (FHex) {
        std::int32_t number = 0;
        if (IsLatin1(current) && TryStrToInt(FromQString(current), number)) {
            FValue = number;
        }
        setText(HexText(StrToInt(FromQString(current))));
        return;
    }
    std::string number;
    if (current.startsWith('$')) {
        number = std::to_string(StrToInt(FromQString(current)));
    } else if (IsLatin1(current)) {
        number = FromQString(current);
    }
    try {
        FValue = StrToFloatAny(number);
    } catch (const EConvertError&) {
        // An unreadable text is replaced by the rendering of the value it could not change.
    }
    const int precision = std::clamp(FDigitsInt + FDigitsFrac, 2, MaxDigits);
    setText(ToQString(FixedText(FValue, precision, FDigitsFrac)));
}

bool TVxNumEdit::CheckInput() {
    try {
        const std::string number = FromQString(text());
        const long double x = FHex ? StrToInt(number) : StrToFloatAny(number);
        if (x < FMin) {
            FValue = FMin;
        } else if (x > FMax) {
            FValue = FMax;
        } else {
            FValue = x;
        }
        setText(ToQString(GeneralText(FValue)));
        FormatText();
        return true;
    } catch (const Exception&) {
        // The caller decides what an unreadable text means: nothing at Enter, the old value
        // when the focus leaves.
        return false;
    }
}

void TVxNumEdit::focusInEvent(QFocusEvent* event) {
    if (!FEntered) {
        FEntered = true;
        FOldValue = FValue;
    }
    QLineEdit::focusInEvent(event);
}

void TVxNumEdit::focusOutEvent(QFocusEvent* event) {
    if (!LeavesForControl(event->reason())) {
        QLineEdit::focusOutEvent(event);
        return;
    }
    FEntered = false;
    bool pullBack = false;
    try {
        pullBack = LeaveEdit();
    } catch (const std::exception&) {
        ShowExceptionLater(std::current_exception());
    }
    QLineEdit::focusOutEvent(event);
    if (!pullBack) {
        return;
    }
    auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    if (button && event->reason() == Qt::MouseFocusReason) {
        new TPressCanceller(button);
    }
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

bool TVxNumEdit::LeaveEdit() {
    if (!FHex && text().contains('$')) {
        SetHex(true);
    }
    if (FHex && !text().contains('$')) {
        setText('$' + text());
    }
    if (CheckInput()) {
        FormatText();
        return false;
    }
    SetValue(FOldValue);
    selectAll();
    // Confirming with OK must not take an unreadable number along; cancelling may.
    QWidget* receiver = QApplication::focusWidget();
    if (!receiver) {
        return false;
    }
    auto* button = qobject_cast<QPushButton*>(receiver);
    return !button || button->property("modalResult").toInt() == mrOk;
}

void TVxNumEdit::hideEvent(QHideEvent* event) {
    FEntered = false;
    QLineEdit::hideEvent(event);
}

void TVxNumEdit::keyPressEvent(QKeyEvent* event) {
    try {
        FilterKey(event);
    } catch (const std::exception&) {
        ShowExceptionLater(std::current_exception());
    }
}

void TVxNumEdit::FilterKey(QKeyEvent* event) {
    int key = TypedChar(event);
    if (key == NoChar) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (key >= 'a' && key <= 'z') {
        key -= 'a' - 'A';
    }
    switch (key) {
    case KeyEnter:
        CheckInput();
        // Nothing is typed; the window may still take Enter for its default button.
        event->ignore();
        return;
    case KeyBackspace:
    case KeyCopy:
    case KeyPaste:
    case KeyCut:
        QLineEdit::keyPressEvent(event);
        return;
    case KeyEscape:
        SetValue(FOldValue);
        selectAll();
        QLineEdit::keyPressEvent(event);
        return;
    default:
        break;
    }
    if (!AcceptsChar(key)) {
        event->accept();
        return;
    }
    const QString typed(QChar(static_cast<char16_t>(key)));
    if (typed == event->text()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    QKeyEvent upper(event->type(), event->key(), event->modifiers(), typed, event->isAutoRepeat(),
                    event->count());
    QLineEdit::keyPressEvent(&upper);
    event->setAccepted(upper.isAccepted());
}

bool TVxNumEdit::AcceptsChar(int key) const {
    if (key <= ' ' || key == UnknownChar) {
        return false;
    }
    const int separator = static_cast<unsigned char>(DecimalSeparator());
    const bool digit = key >= '0' && key <= '9';
    if (FHex) {
        if (!digit && !(key >= 'A' && key <= 'F')) {
            return false;
        }
    } else if (!digit && key != separator && key != '-') {
        return false;
    }
    const QString current = text();
    const QChar separatorChar(static_cast<char16_t>(separator));
    if (key == separator && (FDigitsFrac == 0 || current.contains(separatorChar))) {
        return false;
    }
    if (key == '-' && (FMin >= 0 || FHex || current.contains('-'))) {
        return false;
    }

    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int end = hasSelectedText() ? selectionEnd() : start;
    if (key == '-' && start != 0) {
        return false;
    }
    const QString result =
        current.left(start) + QChar(static_cast<char16_t>(key)) + current.mid(end, 500);
    const qsizetype length = result.size();
    const qsizetype s = result.indexOf(separatorChar) + 1;
    const qsizetype m = result.indexOf('-') + 1;
    if (s > 0 && length - s > FDigitsFrac) {
        return false;
    }
    if (s > 0 && s - m > FDigitsInt + 1) {
        return false;
    }
    if (s == 0 && length - m > FDigitsInt) {
        return false;
    }
    return true;
}
