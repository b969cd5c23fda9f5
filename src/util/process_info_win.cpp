#include "util/process_info.h"

#include <windows.h>

namespace zelkor {

Text ProgramPath() {
    char path[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length >= sizeof path) length = 0;
    return Text(path, length);
}

Text RawCommandLine() {
    return GetCommandLineA();
}

unsigned long CurrentProcessId() {
    return GetCurrentProcessId();
}

unsigned long CurrentThreadId() {
    return GetCurrentThreadId();
}

} // namespace zelkor
