#pragma once

namespace zelkor {

// The resident agent's test-mode check at start.
void CheckTestMode(bool atStart);

} // namespace zelkor
