// `zelkor-pack extract`: unpacks a package (all its volumes) into a folder
// with the stub's own block-stream logic.
#pragma once

#include <cstdio>
#include <string>

namespace zelkor {

// Prints each file written and the run entry to `out`; refuses a damaged
// package, a missing volume or a destination that holds files, with a
// message on `err` and exit status 1.
int RunExtract(const std::string& package, const std::string& destination, std::FILE* out,
               std::FILE* err);

} // namespace zelkor
