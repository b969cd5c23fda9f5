#include "util/process_info.h"
#include "util/switches.h"

namespace zelkor {

// Computed afresh on every query: the command line is never cached.
Text CommandLineArgs() {
    return ArgumentTextOf(RawCommandLine(), ProgramPath());
}

bool HasSwitch(const Text& name) {
    return HasSwitchIn(CommandLineArgs(), name);
}

Text GetSwitchValue(const Text& name) {
    return GetSwitchValueIn(CommandLineArgs(), name);
}

int64_t GetSwitchInt(const Text& name, int64_t defaultValue) {
    return GetSwitchIntIn(CommandLineArgs(), name, defaultValue);
}

} // namespace zelkor
