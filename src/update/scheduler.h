#pragma once

namespace zelkor {

// One tick of the resident agent's timer.
void AutoUpdateTimerTick();

} // namespace zelkor
