#include "setup/self_removal.h"

#include <windows.h>

#include "setup/file_helpers.h"
#include "util/process_info.h"

namespace zelkor {
namespace {

Text TempFolder() {
    char path[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof path, path);
    return length > 0 && length < sizeof path ? Text(path, length) : Text();
}

Text WithoutTrailingBackslash(Text folder) {
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

} // namespace

void DeleteMySelf(bool removeFolder) {
    const Text exePath = ProgramPath();
    const size_t slash = exePath.rfind('\\');
    const Text exeFolder = slash == Text::npos ? Text() : exePath.substr(0, slash);
    const Text temp = TempFolder();
    const Text batchPath = temp + kSelfRemovalBatchName;
    const Text batch = SelfRemovalBatchText(exePath, exeFolder, batchPath, removeFolder);

    // Leave the program's folder, so that it is not in use when removed.
    SetCurrentDirectoryA(WithoutTrailingBackslash(temp).c_str());
    if (!WriteFileText(batchPath, batch, 0, false)) return;
    WinExec(batchPath.c_str(), SW_HIDE);
}

} // namespace zelkor
