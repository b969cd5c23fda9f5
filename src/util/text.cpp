#include "util/text.h"

#include <algorithm>

namespace zelkor {

namespace {

bool IsControlOrSpace(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

// 1-based position of the first `sub` in `text` at or after `from` (0-based);
// 0 for none and for an empty `sub`.
int FindPos(const Text& sub, const Text& text, size_t from) {
    if (sub.empty() || from > text.size()) return 0;
    size_t at = text.find(sub, from);
    return at == Text::npos ? 0 : static_cast<int>(at) + 1;
}

// `searched` is `text` itself, or its uppercased copy when case is ignored:
// matches found there are applied to `text`, so what is kept keeps its case.
Text ReplaceAllIn(const Text& text, const Text& searched, const Text& oldText,
                  const Text& newText) {
    if (oldText.empty()) return text;
    size_t at = searched.find(oldText);
    if (at == Text::npos) return text;
    Text result;
    result.reserve(text.size());
    size_t copied = 0;
    while (at != Text::npos) {
        result.append(text, copied, at - copied);
        result += newText;
        copied = at + oldText.size();
        at = searched.find(oldText, copied);
    }
    result.append(text, copied, Text::npos);
    return result;
}

} // namespace

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

Text UpperCaseAscii(const Text& text) {
    Text result(text);
    for (char& c : result)
        c = UpperAscii(c);
    return result;
}

bool SameTextIgnoreCase(const Text& a, const Text& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

Text ReplaceAll(const Text& text, const Text& oldText, const Text& newText) {
    return ReplaceAllIn(text, text, oldText, newText);
}

Text ReplaceAllIgnoreCase(const Text& text, const Text& oldText, const Text& newText) {
    return ReplaceAllIn(text, UpperCaseAscii(text), UpperCaseAscii(oldText), newText);
}

int PosIgnoreCase(const Text& sub, const Text& text) {
    return FindPos(UpperCaseAscii(sub), UpperCaseAscii(text), 0);
}

int PosFrom(const Text& sub, const Text& text, int start) {
    if (start < 1 || sub.empty() || static_cast<size_t>(start) > text.size()) return 0;
    size_t from = static_cast<size_t>(start) - 1;
    size_t at = text.find(sub, from);
    // The scan ends at a NUL; any later match would end later still.
    size_t limit = std::min(text.find('\0', from), text.size());
    if (at == Text::npos || at + sub.size() > limit) return 0;
    return static_cast<int>(at) + 1;
}

int PosFromIgnoreCase(const Text& sub, const Text& text, int start) {
    return PosFrom(UpperCaseAscii(sub), UpperCaseAscii(text), start);
}

int LastPos(const Text& sub, const Text& text) {
    if (sub.empty()) return 0;
    size_t at = text.rfind(sub);
    return at == Text::npos ? 0 : static_cast<int>(at) + 1;
}

int PosFromEndIgnoreCase(const Text& sub, const Text& text) {
    return FindPos(ReverseText(UpperCaseAscii(sub)), ReverseText(UpperCaseAscii(text)), 0);
}

Text TextBefore(const Text& text, const Text& sep) {
    int at = FindPos(sep, text, 0);
    return at == 0 ? Text() : text.substr(0, static_cast<size_t>(at) - 1);
}

Text TextAfter(const Text& text, const Text& sep) {
    int at = FindPos(sep, text, 0);
    return at == 0 ? text : text.substr(static_cast<size_t>(at) - 1 + sep.size());
}

Text StripEnclosing(const Text& text, char ch, bool force, bool once) {
    if (text.size() == 1 && text[0] == ch) return Text();
    if (text.size() < 2) return text;
    if (!force && !(text.front() == ch && text.back() == ch)) return text;
    size_t first = 0;
    size_t last = text.size(); // one past the kept part
    while (first < last && text[first] == ch) {
        ++first;
        if (once) break;
    }
    while (last > first && text[last - 1] == ch) {
        --last;
        if (once) break;
    }
    return text.substr(first, last - first);
}

Text Unquote(const Text& text, bool force) {
    return StripEnclosing(text, '"', force, false);
}

Text ReverseText(const Text& text) {
    return Text(text.rbegin(), text.rend());
}

bool StartsWith(const Text& prefix, const Text& text, bool ignoreCase) {
    if (prefix.empty() || prefix.size() > text.size()) return false;
    Text head = text.substr(0, prefix.size());
    return ignoreCase ? SameTextIgnoreCase(head, prefix) : head == prefix;
}

bool EndsWith(const Text& suffix, const Text& text, bool ignoreCase) {
    if (suffix.size() > text.size()) return false;
    Text tail = text.substr(text.size() - suffix.size());
    return ignoreCase ? SameTextIgnoreCase(tail, suffix) : tail == suffix;
}

bool SameTextTrimmed(const Text& a, const Text& b) {
    return SameTextIgnoreCase(TrimControl(a), TrimControl(b));
}

Text TrimControl(const Text& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsControlOrSpace(text[first]))
        ++first;
    while (last > first && IsControlOrSpace(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

Text PadLeft(const Text& text, int width, char fill) {
    if (width <= 0 || text.size() >= static_cast<size_t>(width)) return text;
    return Text(static_cast<size_t>(width) - text.size(), fill) + text;
}

Text IntToText(int64_t value) {
    // Negating in unsigned arithmetic keeps INT64_MIN exact.
    uint64_t magnitude = static_cast<uint64_t>(value);
    if (value < 0) return "-" + UIntToText(~magnitude + 1);
    return UIntToText(magnitude);
}

Text UIntToText(uint64_t value) {
    char digits[20];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    Text result(count, '0');
    std::reverse_copy(digits, digits + count, result.begin());
    return result;
}

} // namespace zelkor
