// SPDX-License-Identifier: MIT
#pragma once

#include <QLineEdit>
#include <cstdint>
#include <string>

/// A single-line edit for one number: lets the user type only what can form a number within
/// its digit limits, keeps Value inside [Min, Max] and rewrites the text into one canonical
/// form on Enter or when the focus leaves. Optionally hexadecimal ("$" and hex digits).
class TVxNumEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TVxNumEdit(QWidget* parent = nullptr);

    std::uint8_t DigitsFrac() const { return FDigitsFrac; }
    void SetDigitsFrac(std::uint8_t n);
    std::uint8_t DigitsInt() const { return FDigitsInt; }
    void SetDigitsInt(std::uint8_t n);
    long double Value() const { return FValue; }
    void SetValue(long double v);
    long double Min() const { return FMin; }
    void SetMin(long double v);
    long double Max() const { return FMax; }
    void SetMax(long double v);
    bool Hex() const { return FHex; }
    void SetHex(bool b);

    /// Reads text as a decimal number, "," and "." both standing for the decimal separator;
    /// raises EConvertError for an empty or malformed text.
    static long double StrToFloatAny(const std::string& text);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FormatText();
    bool CheckInput();
    void FilterKey(QKeyEvent* event);
    bool AcceptsChar(int key) const;
    bool LeaveEdit();

    std::uint8_t FDigitsFrac = 0;
    std::uint8_t FDigitsInt = 8;
    long double FValue = 0;
    long double FMin = 0;
    long double FMax = 99999999.9L;
    bool FHex = false;
    long double FOldValue = 0;
    /// Set from the focus coming in until it leaves for another control of the window, so
    /// that a context menu or another window taking the focus for a while is no new entry.
    bool FEntered = false;
};
