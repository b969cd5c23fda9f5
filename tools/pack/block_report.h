// `zelkor-pack inspect --blocks`: one line per block of every volume.
#pragma once

#include <string>

namespace zelkor {

// "VolumeK: ..." lines for each volume, then one line per block:
// "BlockN: offset=O list length=L" for the descriptor lists, and
// "BlockN: offset=O zlib|stored length=L name="..." stamp=S time=T data=D"
// for the files ("skipped" in place of the name when the header is
// empty). Stops at the first block that cannot be read, with a
// "BlocksProblem:" line.
std::string InspectBlocks(const std::string& firstVolume);

} // namespace zelkor
