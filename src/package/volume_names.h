// The file names of a package's volumes: volume 1 is the path the caller
// names; volume k lies beside it with the number as a suffix.
#pragma once

#include "util/text.h"

namespace zelkor {

// The path without a final ".001".
Text VolumeBaseName(const Text& firstVolume);
// The base name, ".", and the number padded with zeros to three digits
// (.002, .010, .250, .1000).
Text VolumeFileName(const Text& baseName, int number);

} // namespace zelkor
