#include "net/download_request.h"

namespace zelkor {
namespace {

constexpr int kPartialContent = 206;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void SkipBlanks(const Text& text, size_t& at) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
}

// Decimal digits at `at`, at most 18 so the value cannot overflow.
bool ReadNumber(const Text& text, size_t& at, int64_t& value) {
    const size_t start = at;
    value = 0;
    while (at < text.size() && IsDigit(text[at]) && at - start < 18)
        value = value * 10 + (text[at++] - '0');
    return at > start && (at >= text.size() || !IsDigit(text[at]));
}

bool Expect(const Text& text, size_t& at, char c) {
    SkipBlanks(text, at);
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    SkipBlanks(text, at);
    return true;
}

} // namespace

uint32_t DownloadOpenFlags(bool intoFile) {
    return intoFile ? kFlagResynchronize : kFlagReload;
}

uint32_t RangedOpenFlags() {
    return kFlagReload | kFlagNoCacheWrite;
}

Text RangeHeader(int64_t offset) {
    return "Range: bytes=" + IntToText(offset) + "-\r\n";
}

bool ParseContentRange(const Text& header, ContentRange& range) {
    size_t at = 0;
    SkipBlanks(header, at);
    if (!StartsWith("bytes", header.substr(at), true)) return false;
    at += 5;
    if (at >= header.size() || (header[at] != ' ' && header[at] != '\t')) return false;
    SkipBlanks(header, at);
    ContentRange parsed;
    if (!ReadNumber(header, at, parsed.first) || !Expect(header, at, '-') ||
        !ReadNumber(header, at, parsed.last) || !Expect(header, at, '/') ||
        !ReadNumber(header, at, parsed.total))
        return false;
    SkipBlanks(header, at);
    if (at != header.size() || parsed.first > parsed.last || parsed.last >= parsed.total)
        return false;
    range = parsed;
    return true;
}

bool ContinuesPartialFile(const RangedAnswer& answer, int64_t offset, int64_t size,
                          uint32_t lastModified) {
    ContentRange range;
    if (answer.status != kPartialContent || !ParseContentRange(answer.contentRange, range))
        return false;
    // A date that differs means another file of the same length.
    if (answer.lastModified != 0 && answer.lastModified != lastModified) return false;
    return range.first == offset && range.last == size - 1 && range.total == size;
}

} // namespace zelkor
