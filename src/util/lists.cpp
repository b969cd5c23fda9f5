#include "util/lists.h"

namespace zelkor {

const char kListDelimiterCandidates[11] = "|^!~@#$&*\xFF";

namespace {

const size_t kCandidateCount = sizeof(kListDelimiterCandidates) - 1;

// The first candidate that occurs nowhere in `text`, or NUL when none is free.
char FreeDelimiter(const Text& text) {
    for (size_t i = 0; i < kCandidateCount; ++i)
        if (text.find(kListDelimiterCandidates[i]) == Text::npos)
            return kListDelimiterCandidates[i];
    return '\0';
}

} // namespace

int ListItemCount(const Text& list) {
    if (list.empty() || list.front() != list.back()) return 0;
    const char delimiter = list[0];
    int count = 0;
    // The NUL test comes first: a NUL-delimited list holds no readable item.
    for (size_t i = 1; i < list.size() && list[i] != '\0'; ++i)
        if (list[i] == delimiter) ++count;
    return count;
}

Text ListItem(const Text& list, int index, const Text& defaultValue) {
    if (list.empty() || index < 0) return defaultValue;
    const char delimiter = list[0];
    int number = 0;
    size_t itemStart = 1;
    for (size_t i = 1; i < list.size() && list[i] != '\0'; ++i) {
        if (list[i] != delimiter) continue;
        if (number == index) {
            // Callers cannot tell an empty item from a missing one.
            if (i == itemStart) return defaultValue;
            return list.substr(itemStart, i - itemStart);
        }
        ++number;
        itemStart = i + 1;
    }
    return defaultValue;
}

bool ListSetItem(Text& list, int index, const Text& value) {
    const Text source = list.empty() ? Text("|") : list;
    long long count = ListItemCount(source);
    if (count <= index) count = static_cast<long long>(index) + 1;

    // A NUL inside the value would become a delimiter and split the item.
    const Text item = value.substr(0, value.find('\0'));
    Text working(1, '\0');
    for (long long i = 0; i < count; ++i) {
        working += i == index ? item : ListItem(source, static_cast<int>(i), Text());
        working += '\0';
    }
    // A list delimited by NUL could not be read back, so it is never stored.
    if (FreeDelimiter(working) == '\0') return false;
    list = ListChooseDelimiter(working);
    return true;
}

Text ListChooseDelimiter(const Text& text) {
    if (text.empty()) return text;
    const char delimiter = FreeDelimiter(text);
    if (delimiter == '\0') return text;
    return ReplaceAll(text, Text(1, text[0]), Text(1, delimiter));
}

Text ListValue(const Text& list, const Text& name, const Text& defaultValue) {
    if (list.size() <= 2 || list.front() != list.back()) return defaultValue;
    const Text delimiter(1, list[0]);
    Text key = delimiter + name;
    if (!EndsWith("=", name, false)) key += '=';

    Text working = ReplaceAll(list, delimiter + " ", delimiter);
    working = ReplaceAll(working, " =", "=");

    int at = PosIgnoreCase(key, working);
    if (at == 0) return defaultValue;
    size_t valueStart = static_cast<size_t>(at) - 1 + key.size();
    size_t valueEnd = working.find(delimiter[0], valueStart);
    if (valueEnd == Text::npos) valueEnd = working.size();
    return working.substr(valueStart, valueEnd - valueStart);
}

} // namespace zelkor
