#include "util/switches.h"

namespace zelkor {

namespace {

int DigitValue(char c, unsigned base) {
    int digit = -1;
    if (c >= '0' && c <= '9')
        digit = c - '0';
    else if (c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
    return digit >= 0 && static_cast<unsigned>(digit) < base ? digit : -1;
}

} // namespace

Text ArgumentTextOf(const Text& rawCommandLine, const Text& programPath) {
    Text args = rawCommandLine;
    // An empty path would otherwise match an empty pair of quotes.
    if (!programPath.empty()) {
        const Text quoted = "\"" + programPath + "\"";
        int at = PosIgnoreCase(quoted, args);
        size_t length = quoted.size();
        if (at == 0) {
            at = PosIgnoreCase(programPath, args);
            length = programPath.size();
        }
        if (at > 0) args.erase(static_cast<size_t>(at) - 1, length);
    }
    return TrimControl(args);
}

bool HasSwitchIn(const Text& args, const Text& name) {
    return PosIgnoreCase(name, args) > 0;
}

Text GetSwitchValueIn(const Text& args, const Text& name) {
    int at = PosIgnoreCase(name, args);
    if (at == 0) return Text();
    Text rest = args.substr(static_cast<size_t>(at) - 1 + name.size());
    if (rest.empty()) return "TRUE";

    Text value;
    if (rest[0] == '"') {
        size_t close = rest.find('"', 1);
        value = rest.substr(1, close == Text::npos ? Text::npos : close - 1);
    } else {
        value = rest.substr(0, rest.find(' '));
        value = value.substr(0, value.find('/'));
    }
    return TrimControl(value);
}

int64_t GetSwitchIntIn(const Text& args, const Text& name, int64_t defaultValue) {
    int64_t value = 0;
    return ParseSwitchInt(GetSwitchValueIn(args, name), value) ? value : defaultValue;
}

bool ParseSwitchInt(const Text& text, int64_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    unsigned base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        i += 1;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return false;

    // The magnitude of INT64_MIN is one more than INT64_MAX.
    const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        int digit = DigitValue(text[i], base);
        if (digit < 0) return false;
        if (magnitude > (limit - static_cast<uint64_t>(digit)) / base) return false;
        magnitude = magnitude * base + static_cast<uint64_t>(digit);
    }
    value = negative ? static_cast<int64_t>(~magnitude + 1) : static_cast<int64_t>(magnitude);
    return true;
}

} // namespace zelkor
