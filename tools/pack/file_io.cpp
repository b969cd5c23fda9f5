#include "file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace zelkor {
namespace {

std::string Reason() {
    return std::strerror(errno);
}

bool ReplaceFile(const std::string& from, const std::string& to, std::string* error) {
#ifdef _WIN32
    // rename() will not replace an existing file on Windows.
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    *error = "cannot rename to " + to + ": error " + std::to_string(GetLastError());
    return false;
#else
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    *error = "cannot rename to " + to + ": " + Reason();
    return false;
#endif
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        *error = "cannot open " + path + ": " + Reason();
        return false;
    }
    std::string content;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        content.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        *error = "cannot read " + path;
        return false;
    }
    *bytes = std::move(content);
    return true;
}

bool WriteFileReplacing(const std::string& path, const std::string& bytes, std::string* error) {
    return WriteFilesReplacing({{path, bytes}}, error);
}

bool WriteFilesReplacing(const std::vector<std::pair<std::string, std::string>>& files,
                         std::string* error) {
    std::vector<std::string> temporaries;
    auto removeTemporaries = [&temporaries]() {
        for (const std::string& temporary : temporaries)
            std::remove(temporary.c_str());
    };
    for (const auto& file : files) {
        const std::string temporary = file.first + ".zelkor-pack.tmp";
        std::FILE* out = std::fopen(temporary.c_str(), "wb");
        if (!out) {
            *error = "cannot create " + temporary + ": " + Reason();
            removeTemporaries();
            return false;
        }
        temporaries.push_back(temporary);
        const std::string& bytes = file.second;
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        const bool closed = std::fclose(out) == 0;
        if (!written || !closed) {
            *error = "cannot write " + temporary + ": " + Reason();
            removeTemporaries();
            return false;
        }
    }
    // Only when every file is complete does any of them replace its target.
    for (size_t i = 0; i < files.size(); ++i) {
        if (!ReplaceFile(temporaries[i], files[i].first, error)) {
            temporaries.erase(temporaries.begin(), temporaries.begin() + long(i));
            removeTemporaries();
            return false;
        }
    }
    return true;
}

} // namespace zelkor
