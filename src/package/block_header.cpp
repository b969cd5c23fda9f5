#include "package/block_header.h"

#include "util/lists.h"

namespace zelkor {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Only dots and blanks, with at least two dots: the platform trims the
// blanks and may read the dots as a way up.
bool IsDotSegment(const Text& name, size_t begin, size_t end) {
    int dots = 0;
    for (size_t i = begin; i < end; ++i) {
        if (name[i] == '.') {
            ++dots;
        } else if (name[i] != ' ') {
            return false;
        }
    }
    return dots >= 2;
}

} // namespace

BlockHeader ParseBlockHeader(const Text& header) {
    BlockHeader parsed;
    if (header.find('*') != Text::npos) {
        parsed.marksRun = true;
        parsed.runEntry = header;
    }
    parsed.name = ListItem(header, 0, Text());
    parsed.stamp = ParseStamp(ListItem(header, 1, Text()));
    const size_t star = parsed.name.find('*');
    if (star != Text::npos) {
        parsed.runEntry = parsed.name;
        parsed.name.erase(star);
    }
    return parsed;
}

uint32_t ParseStamp(const Text& item) {
    size_t at = 0;
    const bool negative = !item.empty() && item[0] == '-';
    if (negative || (!item.empty() && item[0] == '+')) at = 1;
    if (at == item.size()) return 0;
    uint64_t value = 0;
    for (; at < item.size(); ++at) {
        const char c = item[at];
        if (c < '0' || c > '9') return 0;
        value = value * 10 + uint64_t(c - '0');
        if (value > 0xFFFFFFFFu) return 0;
    }
    if (negative) {
        if (value > 0x80000000u) return 0;
        return uint32_t(0u - uint32_t(value));
    }
    return uint32_t(value);
}

bool NameEscapesFolder(const Text& name) {
    if (name.empty()) return false;
    if (IsSeparator(name[0])) return true;
    if (name.size() >= 2 && name[1] == ':') return true;
    size_t begin = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !IsSeparator(name[i])) continue;
        if (IsDotSegment(name, begin, i)) return true;
        begin = i + 1;
    }
    return false;
}

} // namespace zelkor
