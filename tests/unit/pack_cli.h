// zelkor-pack run in-process by the tests, its output captured.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"

namespace zelkor {
namespace fixtures {

inline std::string ReadWholeStream(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    return text;
}

// The exit status; standard output into `out` (when given), standard error
// into `err`.
inline int RunPackCaptured(const std::vector<std::string>& args, std::string* out,
                           std::string* err) {
    std::FILE* outFile = std::tmpfile();
    std::FILE* errFile = std::tmpfile();
    const int status = RunPack(args, outFile, errFile);
    if (out) *out = ReadWholeStream(outFile);
    *err = ReadWholeStream(errFile);
    std::fclose(outFile);
    std::fclose(errFile);
    return status;
}

} // namespace fixtures
} // namespace zelkor
