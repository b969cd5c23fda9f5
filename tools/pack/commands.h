// The commands of zelkor-pack, from parsed arguments to an exit status.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "options.h"

namespace zelkor {

// Reads the files that the options name and builds the installer bytes:
// volume 1 first, then any further volumes.
bool BuildVolumesFromOptions(const BuildOptions& options, std::vector<std::string>* volumes,
                             std::string* error);

// Runs a whole command line (without the program name); reports go to
// `out`, messages to `err`.
int RunPack(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

} // namespace zelkor
