#include "util/value_helpers.h"

#include <windows.h>

#include "util/process_info.h"
#include "util/win_handles.h"

namespace zelkor {
namespace {

constexpr UINT kFolderBufferSize = 256;

// Process-wide: the developer mode is decided once per run.
struct DeveloperMode {
    bool decided = false;
    bool on = false;
};

// Up to the first NUL; empty when the call failed or the buffer was short.
Text FolderFromBuffer(const char* buffer, UINT length, bool trailing) {
    if (length == 0 || length >= kFolderBufferSize) return Text();
    const Text folder(buffer);
    return folder.empty() ? folder : SetTrailingBackslash(folder, trailing);
}

char TimeSeparator() {
    char value[8];
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, value, sizeof value) > 1) return value[0];
    return ':';
}

LocalDateTime Now() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return LocalDateTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

} // namespace

Text RandomIntText(int64_t low, int64_t high) {
    // Reseeded from the clock on every call; the counter moves between calls.
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    const uint64_t seed =
        uint64_t(counter.QuadPart) ^ (uint64_t(GetTickCount()) << 32) ^ GetCurrentProcessId();
    return RandomIntTextFrom(MixRandomBits(seed), low, high);
}

bool IsSystemLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

Text SetTrailingBackslash(const Text& path, bool add) {
    return SetTrailingBackslash(path, add, IsSystemLeadByte);
}

Text StripTrailingBackslash(const Text& path) {
    return StripTrailingBackslash(path, IsSystemLeadByte);
}

Text CollapseBackslashes(const Text& path, bool stripTrailing) {
    return CollapseBackslashes(path, stripTrailing, IsSystemLeadByte);
}

Text ProgramDir(bool trailing) {
    const Text path = ProgramPath();
    const size_t slash = path.rfind('\\');
    if (slash == Text::npos) return Text();
    return SetTrailingBackslash(path.substr(0, slash + 1), trailing);
}

Text WindowsDir(bool trailing) {
    char buffer[kFolderBufferSize] = {};
    return FolderFromBuffer(buffer, GetWindowsDirectoryA(buffer, kFolderBufferSize), trailing);
}

Text SystemDir(bool trailing) {
    char buffer[kFolderBufferSize] = {};
    return FolderFromBuffer(buffer, GetSystemDirectoryA(buffer, kFolderBufferSize), trailing);
}

Text TempDir(bool trailing) {
    char buffer[kFolderBufferSize] = {};
    return FolderFromBuffer(buffer, GetTempPathA(kFolderBufferSize, buffer), trailing);
}

void* GetProcFromLibrary(const Text& library, const Text& name) {
    Library module(LoadLibraryA(library.c_str()));
    if (!module) return nullptr;
    void* entry = reinterpret_cast<void*>(GetProcAddress(module.Get(), name.c_str()));
    // The caller keeps the address for the rest of the run: the reference
    // passes to the process and the library is never freed.
    if (entry) module.Release();
    return entry;
}

bool ReadDeveloperMode() {
    char value[8];
    const DWORD length = GetEnvironmentVariableA("DVX", value, sizeof value);
    return length > 0 && length < sizeof value && DeveloperModeValue(Text(value, length));
}

bool IsDeveloperMode() {
    static DeveloperMode mode;
    if (!mode.decided) {
        mode.on = ReadDeveloperMode();
        mode.decided = true;
    }
    return mode.on;
}

Text LastErrorText() {
    const DWORD code = GetLastError();
    char buffer[1024];
    const DWORD length =
        (code & 0x80000000u)
            ? 0
            : FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0, buffer, sizeof buffer, nullptr);
    return ErrorTextFor(code, Text(buffer, length < sizeof buffer ? length : 0));
}

Text SystemDateDMY() {
    return FormatDateDMY(Now());
}

Text SystemDateTimeDMY() {
    return FormatDateTimeDMY(Now(), TimeSeparator());
}

} // namespace zelkor
