// SPDX-License-Identifier: MIT
// Code sequences and the integer conversion on any text.
//
// Properties:
// - StrToInt and TryStrToInt agree, and both agree with a conversion written here from
//   std::from_chars (blanks, sign and decimal digits within 32 bits, or a hexadecimal marker
//   and up to eight hexadecimal digits); StrToInt's failure names the text;
// - CodeToChar accepts exactly the conversions from 0 to 255;
// - DecodeCodes yields one character per "#", or fails with a message that quotes the whole
//   text; a decoded text encoded again decodes to itself;
// - any text encoded with EncodeCodes decodes back to itself;
// - SplitString's pieces joined with the separator give the text again.

#include "engine/CommandLanguage.h"
#include "engine/Exceptions.h"
#include "tests/fuzz/FuzzCheck.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<std::int32_t> ReferenceConversion(std::string_view text) {
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos)
        return std::nullopt;
    text.remove_prefix(start);
    std::size_t marker = 0;
    if (text.starts_with("0x") || text.starts_with("0X"))
        marker = 2;
    else if (text[0] == '$' || text[0] == 'x' || text[0] == 'X')
        marker = 1;
    if (marker != 0) {
        const std::string_view digits = text.substr(marker);
        if (digits.empty() || digits.size() > 8 ||
            !std::all_of(digits.begin(), digits.end(), IsHexDigit))
            return std::nullopt;
        std::uint32_t pattern = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), pattern, 16);
        return static_cast<std::int32_t>(pattern);
    }
    const bool negative = text[0] == '-';
    if (text[0] == '+' || text[0] == '-')
        text.remove_prefix(1);
    if (text.empty() || !std::all_of(text.begin(), text.end(), IsDigit))
        return std::nullopt;
    const std::size_t nonZero = text.find_first_not_of('0');
    if (nonZero == std::string_view::npos)
        return 0;
    text.remove_prefix(nonZero);
    if (text.size() > 10)
        return std::nullopt;
    std::int64_t magnitude = 0;
    std::from_chars(text.data(), text.data() + text.size(), magnitude);
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

void CheckConversion(const std::string& text) {
    std::int32_t tried = 12345;
    const bool ok = TryStrToInt(text, tried);
    // A failed conversion leaves the target alone.
    FUZZ_CHECK(ok || tried == 12345);
    FUZZ_CHECK(ReferenceConversion(text) ==
               (ok ? std::optional<std::int32_t>(tried) : std::nullopt));
    try {
        const std::int32_t converted = StrToInt(text);
        FUZZ_CHECK(ok && converted == tried);
    } catch (const EConvertError& error) {
        FUZZ_CHECK(!ok);
        FUZZ_CHECK(IsMessage(error.what(), "'" + text + "' is not a valid integer value"));
    }
    char ch = 'x';
    FUZZ_CHECK(CodeToChar(text, ch) == (ok && tried >= 0 && tried <= 255));
    FUZZ_CHECK(static_cast<unsigned char>(ch) == (ok && tried >= 0 && tried <= 255 ? tried : 0));
}

void CheckCodes(const std::string& text) {
    try {
        const std::string decoded = DecodeCodes(text);
        FUZZ_CHECK(decoded.size() ==
                   static_cast<std::size_t>(std::count(text.begin(), text.end(), '#')));
        FUZZ_CHECK(DecodeCodes(EncodeCodes(decoded)) == decoded);
    } catch (const Exception& error) {
        FUZZ_CHECK(IsMessage(error.what(), "Code sequence not valid: " + text));
    }
    const std::string encoded = EncodeCodes(text);
    FUZZ_CHECK(encoded.size() <= 4 * text.size());
    FUZZ_CHECK(DecodeCodes(encoded) == text);
}

void CheckSplit(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces{"kept"};
    SplitString(text, separator, pieces);
    if (text.empty()) {
        FUZZ_CHECK(pieces.size() == 1);
        return;
    }
    std::string joined;
    for (std::size_t i = 1; i < pieces.size(); ++i)
        joined += (i > 1 ? separator : "") + pieces[i];
    FUZZ_CHECK(joined == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckConversion(text);
    CheckCodes(text);
    CheckSplit(text, "#");
    // The first byte as a separator of the rest exercises separators of other kinds.
    if (size > 1)
        CheckSplit(text.substr(1), text.substr(0, 1 + data[0] % 2));
    return 0;
}
