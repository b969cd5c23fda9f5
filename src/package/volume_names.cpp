#include "package/volume_names.h"

namespace zelkor {

Text VolumeBaseName(const Text& firstVolume) {
    if (EndsWith(".001", firstVolume, false)) return firstVolume.substr(0, firstVolume.size() - 4);
    return firstVolume;
}

Text VolumeFileName(const Text& baseName, int number) {
    return baseName + "." + PadLeft(IntToText(number), 3, '0');
}

} // namespace zelkor
