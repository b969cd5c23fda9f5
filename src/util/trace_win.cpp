#include "util/trace.h"

#include <windows.h>

#include "util/win_handles.h"

namespace zelkor {
namespace {

// The trace device is process-wide: registered message, channel and lock.
struct TraceDevice {
    TraceDevice() : stream(&SendToDebugViewer) {
        InitializeCriticalSection(&lock);
        message = uint16_t(RegisterWindowMessageA(".Z_DebugMsg."));
    }
    TraceStream stream;
    CRITICAL_SECTION lock;
    uint16_t message = 0;
    uint16_t channel = 1;
};

TraceDevice& Device() {
    static TraceDevice device;
    return device;
}

} // namespace

TraceStream& Trace() {
    return Device().stream;
}

void SetTraceChannel(uint16_t channel) {
    Device().channel = channel;
}

void SendToDebugViewer(const Text& text) {
    TraceDevice& device = Device();
    EnterCriticalSection(&device.lock);
    if (HWND viewer = FindWindowA(".ZDebug.", nullptr)) {
        GlobalAtom atom(GlobalAddAtomA(text.c_str()));
        if (atom) SendMessageA(viewer, device.message, device.channel, LPARAM(atom.Get()));
    }
    LeaveCriticalSection(&device.lock);
}

void CloseTrace() {
    Device().stream.Flush();
}

} // namespace zelkor
