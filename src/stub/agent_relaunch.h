// The plain agent: starts its resident "X_" copy and forwards control
// switches to it.
#pragma once

namespace zelkor {

void CreateAndRun_X_Exe();
void HandleParamOK(bool xExeWasRunning);

} // namespace zelkor
