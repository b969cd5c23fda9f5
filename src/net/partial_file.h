// The partial file that collects a download into a file until it is
// complete, and what an existing one means for the next attempt.
#pragma once

#include <cstdint>

#include "util/text.h"

namespace zelkor {

// target + "." + decimal(size + stamp), added as signed 32-bit integers with
// wrap-around: another size or date on the server gives another name.
Text PartialFileName(const Text& target, int32_t size, uint32_t lastModified);
// A search mask that finds every partial file of the target (and, with
// Windows wildcards, the target itself: see IsPartialFileNameOf).
Text StalePartialMask(const Text& target);
// True for "<target name>.<decimal>" (ASCII case ignored): only such files
// are stale partial files. The target itself, or a "setup.exe.config"
// beside it, is not.
bool IsPartialFileNameOf(const Text& fileName, const Text& targetFileName);

enum class PartialStart {
    Fresh,    // no partial file: remove stale ones, read from 0
    Resume,   // ask for the rest with a Range request
    Complete, // already whole: nothing to read, only the rename
    Restart,  // unusable (empty or longer than the file): empty it, read from 0
};

PartialStart ChoosePartialStart(bool exists, int64_t partialSize, int64_t size);

} // namespace zelkor
