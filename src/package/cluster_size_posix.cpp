#include "package/file_info.h"

#include <sys/statvfs.h>

namespace zelkor {

uint32_t GetClusterSize(const Text& path) {
    // The path is often a file that does not exist yet: ask its folder then.
    Text probe = path;
    for (int attempt = 0; attempt < 2 && !probe.empty(); ++attempt) {
        struct statvfs st;
        if (statvfs(probe.c_str(), &st) == 0) {
            return st.f_bsize > 0xFFFFFFFFul ? 0xFFFFFFFFu : static_cast<uint32_t>(st.f_bsize);
        }
        const size_t slash = probe.find_last_of('/');
        probe = slash == Text::npos ? Text(".") : slash == 0 ? Text("/") : probe.substr(0, slash);
    }
    return 0;
}

} // namespace zelkor
