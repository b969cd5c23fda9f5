// Sample setup engine for tests and the demo. It does what a real engine
// does at the edges the stub sees: it reads "/TH_ID=", may delete the
// completion atom, may keep a dialog of the engine dialog class open after
// it has ended, and exits with a chosen code.
//
// Environment (all optional):
//   ZELKOR_ENGINE_RECORD    file to append "key=value" lines to: the command
//                           line, the show state, the folder it runs from
//   ZELKOR_ENGINE_EXIT      exit code (default 0)
//   ZELKOR_ENGINE_COMPLETE  "1": delete the completion atom (run completed)
//   ZELKOR_ENGINE_SLEEP_MS  stay alive this long before ending
//   ZELKOR_ENGINE_DIALOG_MS keep a ".SDialog_Class_Name.<tag>" window open
//                           this long after the engine process has ended
// Switch of its own: /InstallTo="folder" copies every file beside the
// engine (but itself) into that folder, keeping subfolders.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Env(const char* name) {
    char value[1024];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::string SwitchValue(const std::string& commandLine, const std::string& name) {
    const size_t at = commandLine.find(name);
    if (at == std::string::npos) return "";
    std::string rest = commandLine.substr(at + name.size());
    if (!rest.empty() && rest[0] == '"') return rest.substr(1, rest.find('"', 1) - 1);
    return rest.substr(0, rest.find(' '));
}

void AppendRecord(const std::string& line) {
    const std::string path = Env("ZELKOR_ENGINE_RECORD");
    if (path.empty()) return;
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    const std::string text = line + "\r\n";
    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Folder(const std::string& path) {
    return path.substr(0, path.rfind('\\'));
}

void CopyTree(const std::string& from, const std::string& to, const std::string& skip) {
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((from + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string source = from + "\\" + name, target = to + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CopyTree(source, target, skip);
        } else if (lstrcmpiA(source.c_str(), skip.c_str()) != 0) {
            CopyFileA(source.c_str(), target.c_str(), FALSE);
            AppendRecord("installed=" + target);
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

// The dialog that outlives the engine: a second process of this program.
int RunDialog(const std::string& tag, DWORD milliseconds) {
    const std::string className = ".SDialog_Class_Name." + tag;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = className.c_str();
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, className.c_str(), "Setup finished", WS_OVERLAPPEDWINDOW, 0, 0,
                                  300, 120, nullptr, nullptr, windowClass.hInstance, nullptr);
    AppendRecord("dialog=open");
    const DWORD end = GetTickCount() + milliseconds;
    while (GetTickCount() < end) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(20);
    }
    AppendRecord("dialog=closed");
    DestroyWindow(window);
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string commandLine = GetCommandLineA();
    char modulePath[MAX_PATH];
    GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);

    const std::string dialogTag = SwitchValue(commandLine, "/ZelkorDialogOnly=");
    if (!dialogTag.empty())
        return RunDialog(dialogTag, DWORD(std::atoi(SwitchValue(commandLine, "/For=").c_str())));

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    char currentFolder[MAX_PATH];
    GetCurrentDirectoryA(sizeof currentFolder, currentFolder);
    AppendRecord("commandline=" + commandLine);
    AppendRecord("show=" + std::to_string((startup.dwFlags & STARTF_USESHOWWINDOW)
                                              ? int(startup.wShowWindow)
                                              : -1));
    AppendRecord("module=" + std::string(modulePath));

    const std::string installTo = SwitchValue(commandLine, "/InstallTo=");
    if (!installTo.empty()) CopyTree(Folder(modulePath), installTo, modulePath);

    const std::string tag = SwitchValue(commandLine, "/TH_ID=");
    if (Env("ZELKOR_ENGINE_COMPLETE") == "1" && !tag.empty()) {
        const ATOM atom = GlobalFindAtomA(("AutoUpdateAtomTokenByZelkor" + tag).c_str());
        AppendRecord(atom ? "atom=deleted" : "atom=missing");
        if (atom) GlobalDeleteAtom(atom);
    }
    const std::string dialogMs = Env("ZELKOR_ENGINE_DIALOG_MS");
    if (!dialogMs.empty() && !tag.empty()) {
        std::string child =
            "\"" + std::string(modulePath) + "\" /ZelkorDialogOnly=" + tag + " /For=" + dialogMs;
        STARTUPINFOA childStartup{};
        childStartup.cb = sizeof childStartup;
        PROCESS_INFORMATION process{};
        if (CreateProcessA(nullptr, &child[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &childStartup, &process)) {
            // The dialog must exist before this process ends; a new process
            // can take seconds to start on a busy machine.
            const std::string className = ".SDialog_Class_Name." + tag;
            for (int i = 0; i < 3000 && !FindWindowA(className.c_str(), nullptr); ++i)
                Sleep(20);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    const std::string sleepMs = Env("ZELKOR_ENGINE_SLEEP_MS");
    if (!sleepMs.empty()) Sleep(DWORD(std::atoi(sleepMs.c_str())));

    const int exitCode = std::atoi(Env("ZELKOR_ENGINE_EXIT").c_str());
    AppendRecord("exit=" + std::to_string(exitCode));
    return exitCode;
}
