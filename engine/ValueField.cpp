// SPDX-License-Identifier: MIT
#include "engine/ValueField.h"

#include "engine/CommandLanguage.h"
#include "engine/RandomSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>

namespace {

/// The most digits of a number of a range or a counter: its value in units of the last
/// fraction digit then fits 64 bits with room for the range's span.
constexpr unsigned MaxDigits = 18;
/// The largest word file read: its lines are held in memory for the whole run.
constexpr std::uint64_t MaxFileBytes = std::uint64_t{256} << 20;
/// Lists whose weights add up to at most this many get a table of the item of every draw.
constexpr std::uint32_t MaxDrawTable = 4096;
/// The widest value a field may be padded to, so that a record stays a sensible size.
constexpr std::int32_t WidestWidth = 1 << 20;
/// Texts get slots of 16 bytes when there are at most this many (16 MiB of slots).
constexpr std::size_t MaxSlots = std::size_t{1} << 20;
/// A counter's text without a width: a sign and up to 19 digits.
constexpr std::size_t CounterTextBytes = 20;

/// A number as the command string spells it, read into units of its last fraction digit.
struct TNumber {
    std::int64_t Value = 0;
    unsigned Fraction = 0;
    /// The decimal mark, or 0 for a whole number.
    char Mark = 0;
};

enum class TNumberRead { Ok, Invalid, TooLong };

/// Reads an optional sign, at least one digit, and with fractions allowed a decimal mark
/// ("." or ",") followed by at least one digit; at most MaxDigits digits in all.
TNumberRead ReadNumber(const std::string& text, bool fractions, TNumber& number) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        ++i;
    }
    unsigned digits = 0;
    bool digitBeforeMark = false;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (++digits <= MaxDigits) {
                value = value * 10 + (c - '0');
            }
            digitBeforeMark = digitBeforeMark || number.Mark == 0;
            number.Fraction += number.Mark != 0 ? 1 : 0;
        } else if (fractions && (c == '.' || c == ',') && number.Mark == 0 && digits > 0) {
            number.Mark = c;
        } else {
            return TNumberRead::Invalid;
        }
    }
    if (!digitBeforeMark || (number.Mark != 0 && number.Fraction == 0)) {
        return TNumberRead::Invalid;
    }
    if (digits > MaxDigits) {
        return TNumberRead::TooLong;
    }
    number.Value = negative ? -value : value;
    return TNumberRead::Ok;
}

/// A weight of a list item: a whole number from 1, at most 2^32 - 1 (0 when it is not).
std::uint64_t ReadWeight(const std::string& text) {
    if (text.empty() || text.size() > 10) {
        return 0;
    }
    std::uint64_t weight = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return 0;
        }
        weight = weight * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return weight <= std::numeric_limits<std::uint32_t>::max() ? weight : 0;
}

/// The name of a file as the system spells it on a UTF-8 desktop, from its 8-bit text.
std::string SystemNameOf(const std::string& latin1) {
    std::string name;
    for (const char c : latin1) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x80) {
            name.push_back(c);
        } else {
            name.push_back(static_cast<char>(0xC0 | code >> 6));
            name.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return name;
}

/// "00" to "99", for writing numbers two digits at a time.
constexpr char DigitPairs[] = "00010203040506070809101112131415161718192021222324252627282930"
                              "31323334353637383940414243444546474849505152535455565758596061"
                              "62636465666768697071727374757677787980818283848586878889909192"
                              "93949596979899";

/// The decimal digits of a number, 0 for 0.
unsigned DigitCount(std::uint64_t value) {
    static constexpr std::uint64_t Powers[] = {1u,
                                               10u,
                                               100u,
                                               1000u,
                                               10000u,
                                               100000u,
                                               1000000u,
                                               10000000u,
                                               100000000u,
                                               1000000000u,
                                               10000000000u,
                                               100000000000u,
                                               1000000000000u,
                                               10000000000000u,
                                               100000000000000u,
                                               1000000000000000u,
                                               10000000000000000u,
                                               100000000000000000u,
                                               1000000000000000000u,
                                               10000000000000000000u};
    // 1233 / 4096 is just above log10(2): an estimate from the bits that is off by one at
    // most, and only downwards.
    const auto estimate = static_cast<unsigned>(std::bit_width(value | 1) * 1233 >> 12);
    return estimate + (value >= Powers[estimate] ? 1 : 0);
}

/// The eight decimal digits of a number below 10^8, leading zeros included, as the bytes of
/// a number in memory order: the four-digit halves, their two-digit halves and their digits
/// are split side by side in the lanes of one register.
std::uint64_t EightDigits(std::uint32_t value) {
    const std::uint64_t high = value / 10000u;
    std::uint64_t lanes = high | (value - high * 10000u) << 32;
    std::uint64_t quotients = (lanes * 10486u >> 20) & 0x0000007F0000007Fu;
    lanes = quotients | (lanes - quotients * 100u) << 16;
    quotients = (lanes * 103u >> 10) & 0x000F000F000F000Fu;
    lanes = quotients | (lanes - quotients * 10u) << 8;
    return lanes | 0x3030303030303030u;
}

/// The next state of the generator, as DrawBelow takes it.
inline std::uint32_t Step(std::uint32_t& state) {
    state = state * RandomMultiplier + RandomIncrement;
    return state;
}

} // namespace

TVxValueField::TVxValueField(const TFieldDef& field, std::size_t number)
    : FType(field.TextType), FNumber(number),
      FWidth(static_cast<std::size_t>(std::max(field.Size, 0))) {
    const std::string letter(1, OptOfTextType(FType).Arg.size() == 3 ? OptOfTextType(FType).Arg[1]
                                                                     : '?');
    if (field.Size < 0 || field.Size > WidestWidth) {
        RaiseError("Invalid length for argument " + letter + ".");
    }
    switch (FType) {
    case ttCounter:
        ParseCounter(field.Str);
        break;
    case ttRange:
        ParseRange(field.Str);
        break;
    case ttList:
        ParseList(field.Str);
        break;
    case ttFileLine:
        if (field.Str.empty()) {
            RaiseError("Missing file name for argument /W.");
        }
        FFileName = field.Str;
        FDraws = 1;
        FMaxWidth = FWidth;
        break;
    default:
        RaiseError("Field " + std::to_string(number) + " gives no value of its own.");
    }
}

void TVxValueField::ParseCounter(const std::string& text) {
    TNumber first;
    if (!text.empty() && ReadNumber(text, false, first) != TNumberRead::Ok) {
        RaiseError("Invalid first value for argument /I: " + text +
                   " (a whole number of up to 18 digits expected).");
    }
    FLow = text.empty() ? 1 : first.Value;
    FMaxWidth = FWidth > 0 ? FWidth : CounterTextBytes;
    CheckRecords(0, 1);
}

void TVxValueField::ParseRange(const std::string& text) {
    const std::string prefix = "Invalid range for argument /M: " + text;
    const std::size_t dots = text.find("..");
    if (dots == std::string::npos) {
        RaiseError(prefix + " (low..high expected).");
    }
    TNumber low;
    TNumber high;
    const TNumberRead lowRead = ReadNumber(text.substr(0, dots), true, low);
    const TNumberRead highRead = ReadNumber(text.substr(dots + 2), true, high);
    if (lowRead == TNumberRead::Invalid || highRead == TNumberRead::Invalid) {
        RaiseError(prefix + " (low..high expected).");
    }
    if (lowRead == TNumberRead::TooLong || highRead == TNumberRead::TooLong) {
        RaiseError(prefix + " (more than 18 digits).");
    }
    if (low.Fraction != high.Fraction) {
        RaiseError(prefix + " (different numbers of decimals).");
    }
    if (low.Mark != high.Mark) {
        RaiseError(prefix + " (different decimal marks).");
    }
    if (low.Value > high.Value) {
        RaiseError(prefix + " (low above high).");
    }
    FLow = low.Value;
    FFraction = low.Fraction;
    FMark = low.Mark;
    FCount = static_cast<std::uint64_t>(high.Value - low.Value) + 1;
    FDraws = FCount <= (std::uint64_t{1} << 32) ? 1 : 2;
    // The widest value is one of the two ends: the magnitude only grows away from 0.
    const std::string lowText = NumberText(low.Value);
    const std::string highText = NumberText(high.Value);
    const std::string& widest = highText.size() >= lowText.size() ? highText : lowText;
    CheckWidth(widest.size(), "the value " + widest);
    FMaxWidth = std::max(FWidth, widest.size());
}

void TVxValueField::ParseList(const std::string& text) {
    if (text.empty()) {
        RaiseError("Empty list for argument /V.");
    }
    std::vector<std::string> items;
    SplitString(text, "|", items);
    std::uint64_t total = 0;
    std::size_t widest = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        std::string& item = items[i];
        const std::size_t star = item.rfind('*');
        std::uint64_t weight = 1;
        if (star != std::string::npos) {
            weight = ReadWeight(item.substr(star + 1));
            if (weight == 0) {
                RaiseError("Invalid weight for argument /V: " + item +
                           " (a whole number from 1 expected).");
            }
            item.erase(star);
        }
        total += weight;
        if (total > std::numeric_limits<std::uint32_t>::max()) {
            RaiseError("Weights for argument /V add up to more than 4294967295.");
        }
        FWeights.push_back(static_cast<std::uint32_t>(total));
        AddText(item.data(), item.size());
        widest = item.size() > items[widest].size() ? i : widest;
    }
    SealTexts();
    CheckWidth(items[widest].size(), "the item \"" + items[widest] + "\"");
    FDraws = 1;
    FMaxWidth = std::max(FWidth, items[widest].size());
    if (total <= MaxDrawTable) {
        for (std::uint32_t draw = 0; draw < total; ++draw) {
            FItemOfDraw.push_back(static_cast<std::uint32_t>(
                std::upper_bound(FWeights.begin(), FWeights.end(), draw) - FWeights.begin()));
        }
    }
}

void TVxValueField::AddText(const char* data, std::size_t size) {
    if (FOffsets.empty()) {
        FOffsets.push_back(0);
    }
    FTexts.append(data, size);
    FOffsets.push_back(static_cast<std::uint32_t>(FTexts.size()));
}

void TVxValueField::LoadFile(bool nameAsBytes) {
    const std::string systemName = nameAsBytes ? FFileName : SystemNameOf(FFileName);
    const std::string quoted = "\"" + FFileName + "\"";
    // Not blocking on a named pipe: anything but a regular file is refused below.
    const int fd = ::open(systemName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    const auto refuse = [&](const std::string& why) {
        const int error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        RaiseError(why.empty()
                       ? "Cannot read the word file " + quoted + " (" + std::strerror(error) + ")."
                       : "The word file " + quoted + why);
    };
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        refuse("");
    }
    if (!S_ISREG(info.st_mode)) {
        refuse(" is not a regular file.");
    }
    if (info.st_size == 0) {
        refuse(" is empty.");
    }
    if (static_cast<std::uint64_t>(info.st_size) > MaxFileBytes) {
        refuse(" is larger than 256 MiB.");
    }
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            refuse(n == 0 ? " changed while it was read." : "");
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);

    std::size_t widest = 0;
    std::size_t widestLine = 0;
    std::vector<std::uint32_t> offsets;
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end == std::string::npos) {
            end = bytes.size();
        } else if (end > start && bytes[end - 1] == '\r') {
            --end;
        }
        AddText(bytes.data() + start, end - start);
        if (end - start > widest || FOffsets.size() == 2) {
            widest = end - start;
            widestLine = FOffsets.size() - 1;
        }
        start = next;
    }
    SealTexts();
    CheckWidth(widest, "line " + std::to_string(widestLine) + " of " + quoted);
    FMaxWidth = std::max(FWidth, widest);
}

void TVxValueField::CheckRecords(std::uint64_t first, std::uint64_t count) const {
    if (FType != ttCounter || count == 0) {
        return;
    }
    __extension__ using Wide = __int128;
    const Wide low = static_cast<Wide>(FLow) + first;
    const Wide high = low + (count - 1);
    if (high > std::numeric_limits<std::int64_t>::max()) {
        RaiseError("Field " + std::to_string(FNumber) +
                   " (\"counter (record number)\"): the counter runs past 9223372036854775807.");
    }
    const std::string lowText = NumberText(static_cast<std::int64_t>(low));
    const std::string highText = NumberText(static_cast<std::int64_t>(high));
    const std::string& widest = highText.size() >= lowText.size() ? highText : lowText;
    CheckWidth(widest.size(), "the value " + widest);
}

std::string TVxValueField::NumberText(std::int64_t value) const {
    char text[48];
    return std::string(text, WriteNumber(text, value, 0));
}

void TVxValueField::CheckWidth(std::size_t size, const std::string& text) const {
    if (FWidth > 0 && size > FWidth) {
        RaiseError("Field " + std::to_string(FNumber) + " (\"" +
                   std::string(OptOfTextType(FType).Caption) + "\"): " + text + " takes " +
                   std::to_string(size) + " characters, more than its width of " +
                   std::to_string(FWidth) + ".");
    }
}

char* TVxValueField::WriteNumber(char* out, std::int64_t value, std::size_t width) const {
    // The length is known first, so that the digits go straight to their places, two at a
    // time from the right: a scratch buffer read back at once would stall on its stores.
    const bool negative = value < 0;
    std::uint64_t magnitude = negative ? std::uint64_t{0} - static_cast<std::uint64_t>(value)
                                       : static_cast<std::uint64_t>(value);
    // Below 10^8 the digits are made first and counted from their leading zeros, without a
    // branch on the count (which differs from value to value).
    const bool small = magnitude < 100000000u;
    const std::uint64_t eight = small ? EightDigits(static_cast<std::uint32_t>(magnitude)) : 0;
    const unsigned significant =
        small
            ? 8 - static_cast<unsigned>(
                      std::countr_zero((eight ^ 0x3030303030303030u) | std::uint64_t{1} << 56) / 8)
            : DigitCount(magnitude);
    const unsigned digits = std::max(significant, FFraction + 1);
    const std::size_t length = digits + (FFraction > 0 ? 1 : 0) + (negative ? 1 : 0);
    if (negative) {
        *out++ = '-';
    }
    if (width > length) {
        out = std::fill_n(out, width - length, '0');
    }
    char* const end = out + digits + (FFraction > 0 ? 1 : 0);
    if (digits + (FFraction > 0 ? 1 : 0) <= 8) {
        // The usual widths fit one 64-bit register.
        std::uint64_t text = eight >> (8 * (8 - digits));
        if (FFraction > 0) {
            const unsigned at = 8 * (digits - FFraction);
            const std::uint64_t head = text & ((std::uint64_t{1} << at) - 1);
            text = head | std::uint64_t{static_cast<unsigned char>(FMark)} << at |
                   (text >> at) << (at + 8);
        }
        std::memcpy(out, &text, sizeof text);
        return end;
    }
    if (digits <= 15) {
        // The digits as one string in a register, the mark put in by shifts, one store.
        __extension__ using Wide = unsigned __int128;
        const std::uint64_t high = magnitude / 100000000u;
        const Wide all = static_cast<Wide>(
                             EightDigits(static_cast<std::uint32_t>(magnitude - high * 100000000u)))
                             << 64 |
                         EightDigits(static_cast<std::uint32_t>(high));
        Wide text = all >> (8 * (16 - digits));
        if (FFraction > 0) {
            const unsigned at = 8 * (digits - FFraction);
            const Wide head = text & ((Wide{1} << at) - 1);
            text = head | static_cast<Wide>(static_cast<unsigned char>(FMark)) << at |
                   (text >> at) << (at + 8);
        }
        std::memcpy(out, &text, sizeof text);
        return end;
    }
    char* p = end;
    const auto pairs = [&](unsigned count) {
        for (; count >= 2; count -= 2) {
            p -= 2;
            std::memcpy(p, DigitPairs + magnitude % 100 * 2, 2);
            magnitude /= 100;
        }
        if (count == 1) {
            *--p = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        }
    };
    pairs(FFraction);
    if (FFraction > 0) {
        *--p = FMark;
    }
    pairs(digits - FFraction);
    return end;
}

void TVxValueField::SealTexts() {
    FTexts.append(16, '\0');
    const std::size_t count = FOffsets.size() - 1;
    for (std::size_t i = 0; i < count; ++i) {
        if (FOffsets[i + 1] - FOffsets[i] > 15 || count > MaxSlots) {
            return;
        }
    }
    FSlots.assign(count * 16, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t size = FOffsets[i + 1] - FOffsets[i];
        std::memcpy(FSlots.data() + i * 16, FTexts.data() + FOffsets[i], size);
        FSlots[i * 16 + 15] = static_cast<char>(size);
    }
}

char* TVxValueField::WriteText(char* out, std::size_t index) const {
    if (!FSlots.empty()) {
        // One block holds the text and its length: nothing waits for an offset.
        const char* const slot = FSlots.data() + index * 16;
        std::memcpy(out, slot, 16);
        const std::size_t size = static_cast<unsigned char>(slot[15]);
        return FWidth > size ? std::fill_n(out + size, FWidth - size, ' ') : out + size;
    }
    const std::size_t begin = FOffsets[index];
    const std::size_t size = FOffsets[index + 1] - begin;
    // Whole blocks of 16 bytes: the texts end in a block of padding, and the room after out
    // takes what passes the text's end (WriteRoom).
    const char* const from = FTexts.data() + begin;
    for (std::size_t i = 0; i < size; i += 16) {
        std::memcpy(out + i, from + i, 16);
    }
    out += size;
    if (FWidth > size) {
        out = std::fill_n(out, FWidth - size, ' ');
    }
    return out;
}

bool TVxValueField::SlotsOfDraws(const std::string& suffix, std::string& slots,
                                 std::uint32_t& bound) const {
    const bool list = FType == ttList;
    if ((FType != ttFileLine && !list) || FOffsets.empty() || (list && FItemOfDraw.empty())) {
        return false;
    }
    bound = list ? FWeights.back() : static_cast<std::uint32_t>(FOffsets.size() - 1);
    if (bound > MaxSlots) {
        return false;
    }
    std::string text;
    std::string table(std::size_t{bound} * 16, '\0');
    for (std::uint32_t draw = 0; draw < bound; ++draw) {
        const std::size_t index = list ? FItemOfDraw[draw] : draw;
        text.assign(FTexts, FOffsets[index], FOffsets[index + 1] - FOffsets[index]);
        if (FWidth > text.size()) {
            text.append(FWidth - text.size(), ' ');
        }
        text += suffix;
        if (text.size() > 15) {
            return false;
        }
        std::memcpy(table.data() + std::size_t{draw} * 16, text.data(), text.size());
        table[std::size_t{draw} * 16 + 15] = static_cast<char>(text.size());
    }
    slots = std::move(table);
    return true;
}

std::size_t TVxValueField::ItemOfDraw(std::uint32_t draw) const {
    if (!FItemOfDraw.empty()) {
        return FItemOfDraw[draw];
    }
    return static_cast<std::size_t>(std::upper_bound(FWeights.begin(), FWeights.end(), draw) -
                                    FWeights.begin());
}

char* TVxValueField::Write(char* out, std::uint64_t record, std::uint32_t& state) const {
    switch (FType) {
    case ttCounter:
        // Wraps rather than overflows; CheckRecords refuses such runs beforehand.
        return WriteNumber(
            out, static_cast<std::int64_t>(static_cast<std::uint64_t>(FLow) + record), FWidth);
    case ttRange: {
        std::uint64_t k = 0;
        if (FDraws == 1) {
            k = (static_cast<std::uint64_t>(Step(state)) * FCount) >> 32;
        } else {
            // Two draws make 64 random bits, scaled to the span as one draw is to 32.
            __extension__ using Wide = unsigned __int128;
            const std::uint64_t high = Step(state);
            const std::uint64_t bits = high << 32 | Step(state);
            k = static_cast<std::uint64_t>((static_cast<Wide>(bits) * FCount) >> 64);
        }
        return WriteNumber(out, static_cast<std::int64_t>(static_cast<std::uint64_t>(FLow) + k),
                           FWidth);
    }
    case ttList:
        return WriteText(out, ItemOfDraw(DrawBelow(state, FWeights.back())));
    case ttFileLine:
        return WriteText(out, DrawBelow(state, static_cast<std::uint32_t>(FOffsets.size() - 1)));
    default:
        return out;
    }
}

void TVxValueField::Append(std::string& text, std::uint64_t record, std::uint32_t& state) const {
    const std::size_t start = text.size();
    text.resize(start + FMaxWidth + WriteRoom);
    char* const end = Write(text.data() + start, record, state);
    text.resize(static_cast<std::size_t>(end - text.data()));
}
