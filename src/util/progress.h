// The progress callback that the extraction and the download drive: mode 0
// sets the range (0 to high), position and step; mode 1 steps once.
#pragma once

#include "util/text.h"

namespace zelkor {

using ProgressCallback = void (*)(int mode, int low, int high, int position, int step,
                                  const Text& text);

} // namespace zelkor
