#include "setup/file_helpers.h"

namespace zelkor {
namespace {

// Windows accepts both slashes; a drive prefix ends at its colon.
constexpr const char* kPathSeparators = "\\/:";

size_t NameStart(const Text& path) {
    const size_t separator = path.find_last_of(kPathSeparators);
    return separator == Text::npos ? 0 : separator + 1;
}

} // namespace

int64_t WriteChunkSize(int64_t total, int64_t parts, int64_t maximum) {
    // No parts would divide by zero; one part is the closest sound reading.
    if (parts < 1) parts = 1;
    int64_t n = total / parts;
    if (n <= 1024) return total < 1024 ? total : 1024;
    do {
        if (n > maximum) n = maximum;
        maximum /= 2;
    } while (maximum >= 1024 && n == total);
    return n;
}

Text FileBaseName(const Text& path) {
    const Text name = path.substr(NameStart(path));
    return name.substr(0, name.find('.'));
}

Text FileFolderPart(const Text& path) {
    return path.substr(0, NameStart(path));
}

bool DiskFreeRoot(const Text& path, bool extendedQuery, Text& root) {
    if (path.empty()) return false;
    if (extendedQuery && path.size() >= 3)
        root = path;
    else
        root = Text(1, UpperAscii(path[0])) + ":\\";
    return true;
}

} // namespace zelkor
