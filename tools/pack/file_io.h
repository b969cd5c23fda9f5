// Whole-file reads and writes of the builder.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zelkor {

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error);

// Writes to a temporary file beside `path` and renames it over `path` only
// when every byte is written, so a failed build leaves no partial output.
bool WriteFileReplacing(const std::string& path, const std::string& bytes, std::string* error);
// The same for several files (path, bytes): none replaces its target unless
// all were written.
bool WriteFilesReplacing(const std::vector<std::pair<std::string, std::string>>& files,
                         std::string* error);

} // namespace zelkor
