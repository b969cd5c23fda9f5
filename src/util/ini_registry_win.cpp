#include "util/ini_registry.h"

#include <windows.h>

#include <vector>

#include "util/switches.h"
#include "util/win_handles.h"

namespace zelkor {
namespace {

constexpr DWORD kRegistryReadAccess = 0x20019; // KEY_READ
constexpr DWORD kValueBufferSize = 10241;
constexpr DWORD kNameBufferSize = 256;

// The predefined keys are sign-extended handle values.
HKEY RootKey(uint32_t root) {
    return reinterpret_cast<HKEY>(ULONG_PTR(LONG(root)));
}

// A fresh seed per call: the counter moves between any two calls.
uint8_t RandomScrambleKey() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    uint32_t seed = counter.LowPart ^ GetTickCount() ^ GetCurrentProcessId();
    seed ^= seed >> 16;
    seed *= 0x45D9F3Bu;
    seed ^= seed >> 16;
    return uint8_t(33 + seed % 90);
}

using NameQuery = BOOL(WINAPI*)(LPSTR, LPDWORD);

Text QueryName(NameQuery query) {
    char name[kNameBufferSize];
    DWORD size = kNameBufferSize;
    if (!query(name, &size)) return Text();
    name[kNameBufferSize - 1] = '\0';
    return TrimControl(name);
}

} // namespace

Text RegReadText(const Text& keyPath, const Text& valueName, const Text& defaultValue) {
    const RegistryPath path = SplitRegistryPath(keyPath);
    HKEY opened = nullptr;
    if (RegOpenKeyExA(RootKey(path.root), path.subKey.c_str(), 0, kRegistryReadAccess, &opened) !=
        ERROR_SUCCESS)
        return defaultValue;
    const RegistryKey key(opened);
    Text data(kValueBufferSize, '\0');
    DWORD type = 0;
    DWORD size = kValueBufferSize;
    if (RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&data[0]), &size) != ERROR_SUCCESS ||
        size > kValueBufferSize)
        return defaultValue;
    data.resize(size);
    return ConvertRegistryValue(type, data);
}

Text IniReadText(const Text& file, const Text& section, const Text& key, const Text& defaultValue) {
    Text value(kValueBufferSize, '\0');
    const DWORD length =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), &value[0],
                                 kValueBufferSize, file.c_str());
    value.resize(length);
    return value;
}

int64_t IniReadInt(const Text& file, const Text& section, const Text& key, int64_t defaultValue) {
    int64_t value = 0;
    return ParseSwitchInt(IniReadText(file, section, key, IntToText(defaultValue)), value)
               ? value
               : defaultValue;
}

bool IniWriteText(const Text& file, const Text& section, const Text& key, const Text& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
           0;
}

bool IniWriteInt(const Text& file, const Text& section, const Text& key, int64_t value) {
    return IniWriteText(file, section, key, IntToText(value));
}

Text ScrambleText(const Text& text, bool scramble) {
    return ScrambleTextWithKey(text, scramble, RandomScrambleKey());
}

bool IsWindowsNT() {
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

Text WindowsVersionKey() {
    return WindowsVersionKeyFor(IsWindowsNT());
}

Text GetLoggedOnUserName() {
    return QueryName(GetUserNameA);
}

Text GetComputerNameText() {
    return QueryName(GetComputerNameA);
}

Text GetRegisteredOwner() {
    return TrimControl(RegReadText(WindowsVersionKey(), "RegisteredOwner", GetLoggedOnUserName()));
}

Text GetRegisteredOrganization() {
    return TrimControl(RegReadText(WindowsVersionKey(), "RegisteredOrganization", Text()));
}

Text GetAccountDomain(const Text& account) {
    DWORD sidSize = 0;
    DWORD domainSize = 0;
    SID_NAME_USE use;
    LookupAccountNameA(nullptr, account.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
    if (sidSize == 0) return Text();
    std::vector<BYTE> sid(sidSize);
    Text domain(domainSize + 1, '\0');
    DWORD domainLength = domainSize + 1;
    if (!LookupAccountNameA(nullptr, account.c_str(), sid.data(), &sidSize, &domain[0],
                            &domainLength, &use))
        return Text();
    return Text(domain.c_str());
}

Text GetUserDomain() {
    return GetAccountDomain(GetLoggedOnUserName());
}

} // namespace zelkor
