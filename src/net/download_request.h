// How a download asks the server, and whether a ranged answer continues the
// partial file: only a 206 whose range runs from the partial file's end to
// the end of the same file is appended, since anything else would corrupt it.
#pragma once

#include <cstdint>

#include "util/text.h"

namespace zelkor {

constexpr const char* kProbeAgent = "HTTP_Connect_2";
constexpr const char* kDownloadAgent = "HTTP_Connect_3";

constexpr uint32_t kFlagReload = 0x80000000;
constexpr uint32_t kFlagResynchronize = 0x800;
constexpr uint32_t kFlagNoCacheWrite = 0x04000000;

// Into memory: always from the server; into a file: the cache may answer
// when the server confirms it is current.
uint32_t DownloadOpenFlags(bool intoFile);
// A partial answer must neither come from the cache nor go into it.
uint32_t RangedOpenFlags();
// "Range: bytes=<offset>-" and CR LF.
Text RangeHeader(int64_t offset);

struct ContentRange {
    int64_t first = 0;
    int64_t last = 0;
    int64_t total = 0;
};

// "bytes <first>-<last>/<total>"; false for anything else, an unknown
// total ("*") included.
bool ParseContentRange(const Text& header, ContentRange& range);

struct RangedAnswer {
    int status = 0;
    Text contentRange;
    uint32_t lastModified = 0; // 0 when the answer names no date
};

bool ContinuesPartialFile(const RangedAnswer& answer, int64_t offset, int64_t size,
                          uint32_t lastModified);

} // namespace zelkor
