#include "update/scheduler.h"

namespace zelkor {

// The agent's schedule is not part of this build yet: ticks pass idly, so
// a resident agent stays in its message loop until it is closed.
void AutoUpdateTimerTick() {}

} // namespace zelkor
