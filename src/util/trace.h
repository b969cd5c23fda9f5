// The process's trace device (Windows layer): text goes to a window of class
// ".ZDebug." of another process, if one runs, and is dropped otherwise.
#pragma once

#include <cstdint>

#include "util/trace_buffer.h"

namespace zelkor {

TraceStream& Trace();
void SetTraceChannel(uint16_t channel);
void SendToDebugViewer(const Text& text);
// Flushes pending text; the entry calls it when the process ends.
void CloseTrace();

} // namespace zelkor
