#include "setup/self_removal.h"

#include <windows.h>

#include "setup/file_helpers.h"
#include "util/process_info.h"
#include "util/value_helpers.h"

namespace zelkor {

void DeleteMySelf(bool removeFolder) {
    const Text exePath = ProgramPath();
    const size_t slash = exePath.rfind('\\');
    const Text exeFolder = slash == Text::npos ? Text() : exePath.substr(0, slash);
    const Text batchPath = TempDir(true) + kSelfRemovalBatchName;
    const Text batch = SelfRemovalBatchText(exePath, exeFolder, batchPath, removeFolder);

    // Leave the program's folder, so that it is not in use when removed.
    SetCurrentDirectoryA(TempDir(false).c_str());
    if (!WriteFileText(batchPath, batch, 0, false)) return;
    WinExec(batchPath.c_str(), SW_HIDE);
}

} // namespace zelkor
