// The update agent written among the extracted files: the installer's stub
// image and descriptor lists, with a trailer that marks it as the agent.
#pragma once

#include <cstdint>

#include "package/byte_source.h"
#include "util/text.h"

namespace zelkor {

// Bytes 0 to `listsEnd` of the volume with the logical size's low half
// zeroed (the copy's trailer sits at its physical end), then the volume's
// trailer record with AutoUpdateProg 1 and TrailerSize 74. False when the
// volume has no trailer or cannot give those bytes.
bool MakeAgentCopy(ByteSource& volume, uint64_t listsEnd, Text* copy);

} // namespace zelkor
