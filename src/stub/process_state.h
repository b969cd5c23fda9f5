// Process-wide state of one run, written once by the entry before the
// dispatch and read by the rest of the program.
#pragma once

#include "package/file_info.h"
#include "util/text.h"

namespace zelkor {

// The descriptor of the running executable; valid from the start of
// StubMain until DoRunStubWin returns.
const TGFileInfo& OwnDescriptor();
void SetOwnDescriptor(const TGFileInfo* descriptor);

bool ThisIs_AutoUpdateProg();
void SetThisIs_AutoUpdateProg(bool value);

// The class looked for by the single-instance test and registered by WinMain.
const Text& InstanceClassName();
void SetInstanceClassName(const Text& name);

// The process exit code: the setup engine's, or what the run ended with.
unsigned long ExitCode();
void SetExitCode(unsigned long code);

} // namespace zelkor
