#include "net/download_progress.h"

namespace zelkor {

int64_t DownloadChunkSize(int64_t size) {
    const int64_t tenth = size / 10;
    if (tenth > kDownloadBufferSize) return kDownloadBufferSize;
    // Below 10 bytes a tenth is 0: a read of 0 would end the transfer at once.
    return tenth < 1 ? 1 : tenth;
}

int64_t RoundHalfEven(int64_t numerator, int64_t denominator) {
    const int64_t quotient = numerator / denominator;
    const int64_t twiceRemainder = (numerator % denominator) * 2;
    if (twiceRemainder > denominator) return quotient + 1;
    if (twiceRemainder == denominator) return quotient + (quotient & 1);
    return quotient;
}

DownloadProgress StartDownloadProgress(int64_t size, int64_t done, int64_t chunk) {
    DownloadProgress progress;
    if (size < 0 || done < 0 || chunk < 1) return progress;
    const int64_t chunks = RoundHalfEven(size, chunk) + 1;
    progress.chunksPerStep = (chunks + kMaxBarSteps - 1) / kMaxBarSteps;
    progress.high = int((chunks + progress.chunksPerStep - 1) / progress.chunksPerStep);
    progress.chunks = RoundHalfEven(done, chunk);
    progress.position = int(progress.chunks / progress.chunksPerStep);
    return progress;
}

bool AdvanceDownloadProgress(DownloadProgress& progress) {
    ++progress.chunks;
    return progress.chunks % progress.chunksPerStep == 0;
}

} // namespace zelkor
