#include "util/value_helpers.h"

#include "util/lists.h"

namespace zelkor {
namespace {

constexpr char kRadixDigits[] = "0123456789ABCDEF";
constexpr char kNoErrorText[] = "The system error message could not be read.";

int DigitValue(char c) {
    for (int i = 0; kRadixDigits[i] != '\0'; ++i)
        if (kRadixDigits[i] == c) return i;
    return -1;
}

bool EndsWithSeparator(const Text& path, LeadByteTest isLeadByte) {
    const size_t n = path.size();
    if (n == 0 || path[n - 1] != '\\') return false;
    return n == 1 || !isLeadByte(static_cast<unsigned char>(path[n - 2]));
}

} // namespace

const char kMonthList[] = "||JAN|FEB|MAR|APR|MAY|JUN|JUL|AUG|SEP|OCT|NOV|DEC|";

int64_t Min64(int64_t a, int64_t b) {
    return a < b ? a : b;
}

int64_t Max64(int64_t a, int64_t b) {
    return a > b ? a : b;
}

int64_t EnsureRange64(int64_t value, int64_t low, int64_t high) {
    if (value < low) value = low;
    if (value > high) value = high;
    return value;
}

Text RandomIntTextFrom(uint64_t randomBits, int64_t low, int64_t high) {
    if (high <= low) return IntToText(low);
    // Unsigned arithmetic: the span of the widest range does not fit int64.
    const uint64_t span = static_cast<uint64_t>(high) - static_cast<uint64_t>(low) + 1;
    const uint64_t offset = span == 0 ? randomBits : randomBits % span;
    return IntToText(static_cast<int64_t>(static_cast<uint64_t>(low) + offset));
}

uint64_t MixRandomBits(uint64_t seed) {
    uint64_t z = seed + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

Text ZeroPad(int32_t n, int width) {
    return PadLeft(IntToText(n), width, '0');
}

int64_t ParseRadix(const Text& text, int base) {
    const Text digits = UpperCaseAscii(TrimControl(text));
    // Two's complement wrap-around without signed overflow.
    uint64_t result = 0;
    uint64_t weight = 1;
    for (size_t i = digits.size(); i > 0; --i) {
        result += static_cast<uint64_t>(static_cast<int64_t>(DigitValue(digits[i - 1]))) * weight;
        weight *= static_cast<uint64_t>(static_cast<int64_t>(base));
    }
    return static_cast<int64_t>(result);
}

int64_t HexToInt64(const Text& text) {
    const bool prefixed = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    return ParseRadix(prefixed ? text.substr(2) : text, 16);
}

Text FormatDateDMY(const LocalDateTime& date) {
    return ZeroPad(date.day, 2) + "-" + ListItem(kMonthList, date.month, Text()) + "-" +
           ZeroPad(date.year, 4);
}

Text FormatDateTimeDMY(const LocalDateTime& dateTime, char timeSeparator) {
    return FormatDateDMY(dateTime) + "  " + ZeroPad(dateTime.hour, 2) + timeSeparator +
           ZeroPad(dateTime.minute, 2) + timeSeparator + ZeroPad(dateTime.second, 2);
}

Text BoolToText(bool value) {
    return value ? "TRUE" : "FALSE";
}

bool NoLeadBytes(unsigned char) {
    return false;
}

Text SetTrailingBackslash(const Text& path, bool add, LeadByteTest isLeadByte) {
    Text result = path;
    if (result.size() >= 3 && EndsWithSeparator(result, isLeadByte)) result.pop_back();
    if (add) result += '\\';
    return result;
}

Text StripTrailingBackslash(const Text& path, LeadByteTest isLeadByte) {
    if (path == "\\") return Text();
    if (path.size() > 1 && EndsWithSeparator(path, isLeadByte))
        return path.substr(0, path.size() - 1);
    return path;
}

Text CollapseBackslashes(const Text& path, bool stripTrailing, LeadByteTest isLeadByte) {
    if (path.size() <= 2) return path;
    const char first = path.front();
    const bool isList = first == path.back();
    Text rest = path.substr(1);
    // 1-based position i of the text maps to rest[i - 1]; going down keeps
    // the positions still to be examined in place after a deletion.
    for (size_t i = rest.size() - 2; i >= 2; --i) {
        if (rest[i - 1] != '\\' || rest[i] != '\\') continue;
        const char before = rest[i - 2];
        if (isLeadByte(static_cast<unsigned char>(before))) continue;
        // A network path at the start of a list item keeps its pair.
        if (isList && before == first) continue;
        rest.erase(i - 1, 1);
    }
    if (rest.size() >= 2 && rest[0] == '\\' && rest[1] == '\\') rest.erase(0, 1);
    const Text result = first + rest;
    return stripTrailing ? StripTrailingBackslash(result, isLeadByte) : result;
}

bool DeveloperModeValue(const Text& value) {
    return value == "947";
}

Text ErrorTextFor(uint32_t code, const Text& platformText) {
    if (code & 0x80000000u) return kNoErrorText;
    size_t length = platformText.size();
    while (length > 0 && static_cast<unsigned char>(platformText[length - 1]) <= ' ')
        --length;
    return platformText.substr(0, length);
}

} // namespace zelkor
