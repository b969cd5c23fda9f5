#include "package/file_info.h"

#include <windows.h>

namespace zelkor {

uint32_t GetClusterSize(const Text& path) {
    const Text root = path.substr(0, 3);
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (!GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters))
        return 0;
    return sectorsPerCluster * bytesPerSector;
}

} // namespace zelkor
