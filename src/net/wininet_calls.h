// The WinINet entries the program uses, bound by name on first use. While an
// entry cannot be found its wrapper calls nothing and yields 0 (false or a
// null handle), so machines without WinINet simply cannot connect.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "util/text.h"
#include "util/win_handles.h"

namespace zelkor {

// Loads the library into `library` when it is not loaded yet, then looks
// the entry up; 0 when either fails.
FARPROC GetWinINetProc(Library& library, const char* libraryName, const char* entryName);
// UnloadWinINet calls this before freeing the library: the remembered
// addresses die with it.
void ForgetWinINetEntries();

bool WinINetGetConnectedState(DWORD& flags);
// Preconfigured access, no proxy or bypass list, no flags.
HINTERNET WinINetOpen(const char* agent);
// `headers` may be empty; context 0.
HINTERNET WinINetOpenUrl(HINTERNET internet, const Text& url, const Text& headers, DWORD flags);
bool WinINetReadFile(HINTERNET file, void* buffer, DWORD toRead, DWORD& read);
bool WinINetQueryInfo(HINTERNET request, DWORD infoLevel, void* buffer, DWORD& length);
bool WinINetCloseHandle(HINTERNET handle);

} // namespace zelkor
