#include "stub/agent_relaunch.h"

#include "util/debug_log.h"
#include "util/process_info.h"
#include "util/trace.h"

namespace zelkor {

// The update agent is not part of this build yet: the plain agent says so
// and starts nothing.
void CreateAndRun_X_Exe() {
    DebugLog("CreateAndRun_X_Exe() - START");
    Trace() << CurrentProcessId() << " CreateAndRun_X_Exe: the update agent is not available"
            << EndLine;
    DebugLog("CreateAndRun_X_Exe() - END");
}

void HandleParamOK(bool xExeWasRunning) {
    DebugLog(Text("HandleParamOK() - X_ExeIsRunning=") + (xExeWasRunning ? "TRUE" : "FALSE"));
}

} // namespace zelkor
