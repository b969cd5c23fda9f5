#include "setup/setup_run.h"

#include "net/web_installer.h"
#include "package/extract_package.h"
#include "setup/file_helpers.h"
#include "setup/setup_logic.h"
#include "stub/process_state.h"
#include "ui/message_box.h"
#include "ui/stub_window.h"
#include "ui/window_helpers.h"
#include "util/ini_registry.h"
#include "util/process_info.h"
#include "util/switches.h"
#include "util/trace.h"
#include "util/value_helpers.h"
#include "util/win_handles.h"

namespace zelkor {
namespace {

// Process-wide folder state: each value is chosen once per run.
struct SetupFolders {
    Text setup;
    bool altRootChosen = false;
    Text altRoot;
    Text altFolder;
};

SetupFolders& Folders() {
    static SetupFolders folders;
    return folders;
}

// A random integer from 10000 to 100000, for the alternative folder names.
int RandomFolderNumber() {
    static uint32_t seed = GetTickCount() ^ GetCurrentProcessId();
    seed = seed * 1103515245u + 12345u;
    return 10000 + int((seed >> 8) % 90001u);
}

bool IsFixedDrive(char letter) {
    const char root[4] = {letter, ':', '\\', 0};
    return GetDriveTypeA(root) == DRIVE_FIXED;
}

Text LangText(const TGFileInfo& info, const char* key, const char* english) {
    return info.GetLangText(key, english);
}

// The tail of a run: the engine's start, wait and completion.
bool LaunchEngine(const Text& folder, const Text& runEntry, const Text& extraSwitches,
                  bool foreground) {
    const Text programFolder = ProgramDir(true);
    const Text runTag = RunTag(CurrentThreadId());
    EngineLaunch launch = BuildEngineCommandLine(folder, runEntry, extraSwitches, runTag,
                                                 ProgramPath(), ThisIs_AutoUpdateProg());
    const Text installedInfo = programFolder + OwnDescriptor().GetOriginalFileName();
    const Text startUpLink = IniReadText(installedInfo, "UnInstall", "StartUpLink", "");
    const Text checkLink = IniReadText(installedInfo, "UnInstall", "CheckforNewUpdateLink", "");
    Text& commandLine = launch.commandLine;
    commandLine = RemoveSwitch(commandLine, "/SpanCdLvl=");
    commandLine = RemoveSwitch(commandLine, "/SpanDiskFName1=");
    Trace() << CurrentProcessId() << " ==== WinExec(Setup.exe) >>" << commandLine << "<<"
            << EndLine;

    const Text atomName = kCompletionAtomPrefix + runTag;
    GlobalAddAtomA(atomName.c_str()); // the engine deletes it when it completes
    const KernelHandle process(RunProgram(commandLine, foreground ? SW_SHOW : SW_HIDE));
    const DWORD startError = process ? 0 : GetLastError();
    ShowWindow(MainWindow(), SW_HIDE);
    WaitPumping(1000, 0);
    if (process) {
        WaitForProcess(process.Get());
        DWORD exitCode = 0;
        GetExitCodeProcess(process.Get(), &exitCode);
        SetExitCode(exitCode);
    } else {
        SetExitCode(startError ? startError : kExitSetupFailed);
    }
    WaitWhileWindowExists(kEngineDialogClassPrefix + runTag, nullptr);
    WaitPumping(1000, 0);

    const ATOM atom = GlobalFindAtomA(atomName.c_str());
    const bool completed = atom == 0;
    if (atom) GlobalDeleteAtom(atom);
    if (completed) {
        const Text downloadedInfo = programFolder + OwnDescriptor().GetInfoFileName();
        const struct {
            const char* key;
            const Text& link;
        } shortcuts[] = {{"RemoveStartUpShortcut", startUpLink},
                         {"RemoveCheckForNewUpdateShortcut", checkLink}};
        for (const auto& shortcut : shortcuts)
            if (IniReadText(downloadedInfo, "NewSetup", shortcut.key, "0") == "1" &&
                !shortcut.link.empty() && FileExists(shortcut.link))
                DeleteFileA(shortcut.link.c_str());
    }
    return completed;
}

} // namespace

void PerformSetupRun() {
    StopSetupTimer();
    const TGFileInfo& own = OwnDescriptor();
    const Text agentName = own.CreateAgent() ? own.GetAgentExeName() : Text();
    if (own.WebInstaller()) {
        RunWebInstaller(agentName);
    } else {
        Text packagePath = GetSwitchValue("/SpanDiskFName1=");
        if (packagePath.empty()) packagePath = ProgramPath();
        const bool hidden = HasSwitch("/hide") || own.IsHiddenSetup();
        ExtractAndRun(GetSetupTempDir(), packagePath, agentName, CommandLineArgs(), !hidden);
    }
    RemoveDirTree(GetSetupTempDir(), false);
    PostQuitMessage(0);
}

bool ExtractAndRun(const Text& folderIn, const Text& packagePath, const Text& agentName,
                   const Text& extraSwitches, bool foreground) {
    Text folder = folderIn;
    bool completed = false;
    const TGFileInfo info(packagePath);
    if (info.ShowActivityBar()) ShowWindow(ActivityBar(), SW_SHOW);
    const int charset = info.GetLangCharset();
    SetStubCaption(CaptionLabel(), LangText(info, "s1", "Extracting Files..."),
                   info.GetLangFontName(), info.GetLangFontSize(), charset);
    if (!HasRoomForSetup(folder, packagePath) && FindAltTempRoot()) folder = GetAltTempDir();
    Trace() << "========= ForegroundOp=" << foreground << " ==========" << EndLine;

    const bool proceed = !foreground || ConfirmTempSpace(folder, info);
    if (!proceed) {
        SetExitCode(kExitUserCancelled);
    } else {
        ExtractOptions options;
        options.volumePath = packagePath;
        options.destination = folder;
        while (options.destination.size() > 3 && options.destination.back() == '\\')
            options.destination.pop_back();
        options.agentName = agentName;
        options.promptText =
            LangText(info, "s8", "Please insert <B>DISK #<DISK_NUM></B> and press OK to continue");
        options.promptTitle = LangText(info, "Attention", "Attention");
        options.buttonCaptions = LangText(info, "BtnText", kDefaultButtonCaptions);
        options.charset = charset;
        options.forcePrompt = GetForcePrompt();
        options.progress = StubProgress;
        if (foreground) ShowWindow(MainWindow(), SW_SHOW);
        WaitPumping(1000, 0);
        const ExtractOutcome outcome = ExtractPackage(options);
        WaitPumping(1000, 0);

        if (!outcome.damage.empty())
            Trace() << CurrentProcessId() << " Package refused: " << outcome.damage << EndLine;
        if (!outcome.runEntry.empty() && outcome.packageValid)
            completed = LaunchEngine(folder, outcome.runEntry, extraSwitches, foreground);
        else if (outcome.cancelled)
            SetExitCode(kExitUserCancelled);
        else
            SetExitCode(outcome.packageValid ? kExitSetupFailed : kExitPackageInvalid);
        if (!outcome.packageValid)
            ShowErrorBox(kOwnerWithHeading,
                         LangText(info, "s7",
                                  "Bad CRC!<P>This indicates that your setup file might be "
                                  "corrupted..."),
                         LangText(info, "Error", "Error"), charset, options.buttonCaptions);
    }
    RemoveAltTempDir();
    return completed;
}

Text GetSetupTempDir() {
    SetupFolders& folders = Folders();
    if (folders.setup.empty()) {
        folders.setup = SetupFolderName(TempDir(true), FileDosDateTime(ProgramPath()));
        if (FolderExists(folders.setup)) RemoveDirTree(folders.setup, true);
        ForceDirectories(folders.setup);
    }
    return folders.setup;
}

bool FindAltTempRoot() {
    SetupFolders& folders = Folders();
    if (folders.altRootChosen) return !folders.altRoot.empty();
    folders.altRootChosen = true;
    const char letters[] = {'C', 'D', 'E'};
    double freeSpace[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (!IsFixedDrive(letters[i])) continue;
        Text probe = Text(1, letters[i]) + ":\\TEMP";
        if (FolderExists(probe)) probe += "\\TEMP" + IntToText(RandomFolderNumber());
        ForceDirectories(probe);
        WriteFileText(probe + "\\~aa.tmp", "aa", 0, false);
        if (FileExists(probe + "\\~aa.tmp")) freeSpace[i] = DiskFree(probe);
        RemoveDirTree(probe, false);
    }
    const Text temp = TempDir(true);
    const char current = temp.empty() ? 'C' : UpperAscii(temp[0]);
    char best = current;
    double bestSpace = 0;
    for (int i = 0; i < 3; ++i)
        if (freeSpace[i] > bestSpace) {
            best = letters[i];
            bestSpace = freeSpace[i];
        }
    if (best != current) {
        folders.altRoot = Text(1, best) + ":\\TEMP";
        if (FolderExists(folders.altRoot)) folders.altRoot += "\\TEMP";
    }
    return !folders.altRoot.empty();
}

Text GetAltTempDir() {
    SetupFolders& folders = Folders();
    if (folders.altFolder.empty() && !folders.altRoot.empty()) {
        folders.altFolder = folders.altRoot + "_" + IntToText(RandomFolderNumber());
        if (FolderExists(folders.altFolder)) RemoveDirTree(folders.altFolder, true);
        ForceDirectories(folders.altFolder);
    }
    return folders.altFolder;
}

void RemoveAltTempDir() {
    if (!Folders().altFolder.empty()) RemoveDirTree(Folders().altFolder, true);
}

bool HasRoomForSetup(const Text& folder, const Text& packagePath) {
    const TGFileInfo info(packagePath);
    return info.GetSpaceNeeded(folder) < DiskFree(folder) && FolderExists(folder);
}

bool ConfirmTempSpace(const Text& folder, const TGFileInfo& info) {
    SpaceQuestionTexts texts;
    texts.askBeforeExtract =
        LangText(info, "s2", "Zelkor will extract files to your Temp Drive (<DRIVE>)<P>");
    texts.limitedSpace =
        LangText(info, "s3", "Limited Free Space on your Temp Drive! (<DRIVE>)<P>");
    texts.required = LangText(
        info, "s4", "<P>Estimated space required on your Temp drive is: <T>  <SPACE_REQ> MB<P>");
    texts.available = LangText(
        info, "s5", "Free space available on your Temp drive is: <T>  <SPACE_AVAIL> MB<P>");
    texts.continueSetup = LangText(info, "s6", "<P>Continue with Setup?<P>");
    const Text question = SpaceQuestion(texts, info.AskBeforeExtract(), folder,
                                        info.GetSpaceNeeded(folder), DiskFree(folder));
    if (question.empty()) return true;
    return AskYesNo(kOwnerWithHeading, question, LangText(info, "Confirm", "Confirm"),
                    info.GetLangCharset(), LangText(info, "BtnText", kDefaultButtonCaptions));
}

HANDLE RunProgram(const Text& commandLine, WORD showMode) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showMode;
    PROCESS_INFORMATION process{};
    Text line = commandLine; // CreateProcessA may write into it
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

void WaitForProcess(HANDLE process) {
    DWORD code = STILL_ACTIVE;
    do {
        WaitPumping(500, 0);
    } while (GetExitCodeProcess(process, &code) && code == STILL_ACTIVE);
}

bool GetForcePrompt() {
    return RegReadText("HKEY_CURRENT_USER\\Software\\Morvelin\\Zelkor\\SpanDisk", "ForcePrompt",
                       "0") == "1";
}

void WaitWhileWindowExists(const Text& className, const char* title) {
    while (FindWindowA(className.c_str(), title)) {
        PumpMessages(0);
        Sleep(100);
    }
}

} // namespace zelkor
