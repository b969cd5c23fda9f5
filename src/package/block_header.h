// What the header of a block says: the file's name, its time stamp, and
// whether it marks the run entry.
#pragma once

#include <cstdint>

#include "util/text.h"

namespace zelkor {

struct BlockHeader {
    Text name;          // item 0, cut before its first "*"
    uint32_t stamp = 0; // item 1: a DOS date-time; 0 leaves the time as written
    bool marksRun = false;
    // What the run entry becomes: item 0 as stored when it holds the "*",
    // else the whole header.
    Text runEntry;
};

BlockHeader ParseBlockHeader(const Text& header);

// A decimal number of 32 bits; negative values keep their bit pattern, so
// dates from 2044 on read back whichever way they were written. 0 for
// anything else.
uint32_t ParseStamp(const Text& item);

// True when the name could reach outside the folder it is extracted to: a
// root or UNC path, a drive, or a segment of dots ("..", and "..." which the
// Windows 95 family reads as two levels up).
bool NameEscapesFolder(const Text& name);

} // namespace zelkor
