// Facts about the running process (Windows layer).
#pragma once

#include "util/text.h"

namespace zelkor {

// Full path of the main module's file.
Text ProgramPath();
// The command line exactly as the platform passed it.
Text RawCommandLine();
unsigned long CurrentProcessId();
unsigned long CurrentThreadId();

} // namespace zelkor
