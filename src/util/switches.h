// Command-line switches of the form /NAME=value or /NAME found by a
// case-insensitive substring search in the argument text.
#pragma once

#include <cstdint>

#include "util/text.h"

namespace zelkor {

// The raw command line with the program's own path (quoted or not) removed
// and both ends trimmed.
Text ArgumentTextOf(const Text& rawCommandLine, const Text& programPath);

bool HasSwitchIn(const Text& args, const Text& name);
Text GetSwitchValueIn(const Text& args, const Text& name);
int64_t GetSwitchIntIn(const Text& args, const Text& name, int64_t defaultValue);

// Optional sign, then decimal digits, or hex digits after $, x, X, 0x or 0X.
// The whole text must be used.
bool ParseSwitchInt(const Text& text, int64_t& value);

// The same queries on this process's own command line (Windows layer).
Text CommandLineArgs();
bool HasSwitch(const Text& name);
Text GetSwitchValue(const Text& name);
int64_t GetSwitchInt(const Text& name, int64_t defaultValue);

} // namespace zelkor
