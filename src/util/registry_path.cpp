#include "util/ini_registry.h"

namespace zelkor {
namespace {

struct RootName {
    const char* longName;
    const char* shortName;
    uint32_t root;
};

constexpr RootName kRootNames[] = {
    {"HKEY_CLASSES_ROOT", "HKCR", kRegClassesRoot},
    {"HKEY_CURRENT_USER", "HKCU", kRegCurrentUser},
    {"HKEY_LOCAL_MACHINE", "HKLM", kRegLocalMachine},
    {"HKEY_USERS", "HKU", kRegUsers},
    {"HKEY_CURRENT_CONFIG", "HKCC", kRegCurrentConfig},
    {"HKEY_DYN_DATA", "HKDD", kRegDynData},
};

} // namespace

uint32_t RegRootFromName(const Text& name) {
    const Text upper = UpperCaseAscii(name);
    for (const RootName& entry : kRootNames)
        if (upper == entry.longName || upper == entry.shortName) return entry.root;
    return kRegCurrentUser;
}

RegistryPath SplitRegistryPath(const Text& path) {
    const Text trimmed = TrimControl(path);
    if (!StartsWith("HK", trimmed, true)) return {kRegCurrentUser, trimmed};
    const size_t slash = trimmed.find('\\');
    if (slash == Text::npos) return {RegRootFromName(trimmed), Text()};
    return {RegRootFromName(trimmed.substr(0, slash)), trimmed.substr(slash + 1)};
}

Text WindowsVersionKeyFor(bool windowsNT) {
    return windowsNT ? "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"
                     : "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
}

} // namespace zelkor
