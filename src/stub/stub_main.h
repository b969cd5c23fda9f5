#pragma once

namespace zelkor {

// The program's main routine: reads the own descriptor, frames the run with
// its start and end lines and dispatches to the run mode.
void StubMain();
void DoRunStubWin();

} // namespace zelkor
