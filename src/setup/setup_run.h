// The installer run: temporary folders, the free-space question, the
// extraction and the setup engine's start, wait and completion.
#pragma once

#include <windows.h>

#include "package/file_info.h"
#include "util/text.h"

namespace zelkor {

// The stub window's first timer tick: the whole installer run, then the
// quit message.
void PerformSetupRun();
// True when the engine deleted the completion atom (the run completed).
bool ExtractAndRun(const Text& folder, const Text& packagePath, const Text& agentName,
                   const Text& extraSwitches, bool foreground);

Text GetSetupTempDir();
bool FindAltTempRoot();
Text GetAltTempDir();
void RemoveAltTempDir();
bool HasRoomForSetup(const Text& folder, const Text& packagePath);
bool ConfirmTempSpace(const Text& folder, const TGFileInfo& descriptor);
HANDLE RunProgram(const Text& commandLine, WORD showMode);
void WaitForProcess(HANDLE process);
bool GetForcePrompt();
void WaitWhileWindowExists(const Text& className, const char* title);

} // namespace zelkor
