// The detail of the message shown when an extracted file cannot be saved.
#pragma once

#include <cstdint>

#include "util/text.h"

namespace zelkor {

// `errorText` is the platform's text for the failed write; `fileSize` what
// is on disk now; `bytesFree` the free space of its drive (truncated).
Text DescribeSaveFailure(const Text& errorText, uint64_t dataSize, int64_t fileSize,
                         double bytesFree);

} // namespace zelkor
