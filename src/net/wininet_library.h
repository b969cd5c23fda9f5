// WinINet, loaded by name on first use and freed once at the end of the
// stub window's message loop.
#pragma once

#include "util/win_handles.h"

namespace zelkor {

Library& WinINetLibrary();

} // namespace zelkor
