// Removing the running program after it has exited, through a batch file in
// the temporary folder that deletes the program and then itself.
#pragma once

#include "util/text.h"

namespace zelkor {

constexpr const char* kSelfRemovalBatchName = "_DEL_ME_.BAT";

// The batch text: each line ends in CR LF; the "RD" line only with folder.
Text SelfRemovalBatchText(const Text& exePath, const Text& exeFolder, const Text& batchPath,
                          bool removeFolder);

void DeleteMySelf(bool removeFolder);

} // namespace zelkor
