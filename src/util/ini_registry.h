// Settings access: INI files through the platform's profile functions, and
// registry values read as text (the program never writes the registry).
// Missing values and failed calls give the caller's default.
#pragma once

#include <cstdint>

#include "util/text.h"

namespace zelkor {

// The platform's predefined root keys, as numbers.
constexpr uint32_t kRegClassesRoot = 0x80000000u;
constexpr uint32_t kRegCurrentUser = 0x80000001u;
constexpr uint32_t kRegLocalMachine = 0x80000002u;
constexpr uint32_t kRegUsers = 0x80000003u;
constexpr uint32_t kRegCurrentConfig = 0x80000005u;
constexpr uint32_t kRegDynData = 0x80000006u;

// Registry value types that read other than as a NUL-ended string.
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiString = 7;

// Long or short root name in any case; anything else is the current user.
uint32_t RegRootFromName(const Text& name);

struct RegistryPath {
    uint32_t root;
    Text subKey;
};
// "ROOT\sub\key"; a path not starting with "HK" lies under the current user.
RegistryPath SplitRegistryPath(const Text& path);

// Value data as text: a DWORD in unsigned decimal, a multi-string with its
// inner NULs shown as "<0>", anything else up to its first NUL.
Text ConvertRegistryValue(uint32_t type, const Text& data);

constexpr const char* kScrambleMarker = "Scrambled=01";
// The scrambler with its key given; `key` is used only when scrambling.
Text ScrambleTextWithKey(const Text& text, bool scramble, uint8_t key);

// "HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows[ NT]\CurrentVersion".
Text WindowsVersionKeyFor(bool windowsNT);

// Windows layer.
Text RegReadText(const Text& keyPath, const Text& valueName, const Text& defaultValue);
Text IniReadText(const Text& file, const Text& section, const Text& key, const Text& defaultValue);
int64_t IniReadInt(const Text& file, const Text& section, const Text& key, int64_t defaultValue);
bool IniWriteText(const Text& file, const Text& section, const Text& key, const Text& value);
bool IniWriteInt(const Text& file, const Text& section, const Text& key, int64_t value);
// Scrambles with a fresh random key from 33 to 122, or unscrambles.
Text ScrambleText(const Text& text, bool scramble);
bool IsWindowsNT();
Text WindowsVersionKey();
Text GetLoggedOnUserName();
Text GetComputerNameText();
Text GetRegisteredOwner();
Text GetRegisteredOrganization();
Text GetAccountDomain(const Text& account);
Text GetUserDomain();

} // namespace zelkor
