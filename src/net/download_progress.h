// Chunk size and progress-bar arithmetic of a download.
#pragma once

#include <cstdint>

namespace zelkor {

// The read buffer; no read asks for more.
constexpr int64_t kDownloadBufferSize = 10240;
// The bar's range travels as a 16-bit number.
constexpr int64_t kMaxBarSteps = 65535;

// A tenth of the file, at most the buffer, at least one byte.
int64_t DownloadChunkSize(int64_t size);
// numerator / denominator rounded to the nearest, halves to even;
// numerator >= 0, denominator > 0.
int64_t RoundHalfEven(int64_t numerator, int64_t denominator);

// The bar moves one step per `chunksPerStep` chunks read, so that files
// with more than 65,535 chunks still fit its range.
struct DownloadProgress {
    int high = 0;
    int position = 0;
    int64_t chunksPerStep = 1;
    int64_t chunks = 0; // counted from the start of the file
};

DownloadProgress StartDownloadProgress(int64_t size, int64_t done, int64_t chunk);
// Counts one chunk read; true when the bar should step.
bool AdvanceDownloadProgress(DownloadProgress& progress);

} // namespace zelkor
