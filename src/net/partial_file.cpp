#include "net/partial_file.h"

namespace zelkor {

Text PartialFileName(const Text& target, int32_t size, uint32_t lastModified) {
    // Unsigned addition wraps without undefined behaviour; the cast back
    // gives the signed sum that older partial files were named with.
    const int32_t sum = int32_t(uint32_t(size) + lastModified);
    return target + "." + IntToText(sum);
}

Text StalePartialMask(const Text& target) {
    return target + ".*";
}

bool IsPartialFileNameOf(const Text& fileName, const Text& targetFileName) {
    const size_t prefix = targetFileName.size() + 1;
    if (fileName.size() <= prefix || fileName[prefix - 1] != '.' ||
        !SameTextIgnoreCase(fileName.substr(0, targetFileName.size()), targetFileName))
        return false;
    size_t at = prefix;
    if (fileName[at] == '-') ++at;
    if (at == fileName.size()) return false;
    for (; at < fileName.size(); ++at)
        if (fileName[at] < '0' || fileName[at] > '9') return false;
    return true;
}

PartialStart ChoosePartialStart(bool exists, int64_t partialSize, int64_t size) {
    if (!exists) return PartialStart::Fresh;
    if (partialSize > 0 && partialSize < size) return PartialStart::Resume;
    if (partialSize == size) return PartialStart::Complete;
    return PartialStart::Restart;
}

} // namespace zelkor
