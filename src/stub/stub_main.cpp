#include "stub/stub_main.h"

#include <windows.h>

#include "setup/self_removal.h"
#include "setup/spanned_media.h"
#include "stub/agent_relaunch.h"
#include "stub/process_state.h"
#include "stub/run_mode.h"
#include "ui/stub_window.h"
#include "update/test_mode.h"
#include "util/debug_log.h"
#include "util/process_info.h"
#include "util/switches.h"
#include "util/trace.h"

namespace zelkor {
namespace {

bool TopLevelWindowExists(const Text& className) {
    return FindWindowA(className.c_str(), nullptr) != nullptr;
}

const char* TrueFalse(bool value) {
    return value ? "TRUE" : "FALSE";
}

} // namespace

void StubMain() {
    const Text commandLine = RawCommandLine();
    const Text programPath = ProgramPath();
    Trace() << CurrentProcessId() << " ==== STUB START ====> " << commandLine << '<' << EndLine;

    const TGFileInfo own(programPath);
    SetOwnDescriptor(&own);
    SetThisIs_AutoUpdateProg(own.AutoUpdateProg() != 0);
    SetDebugLogEnabled(ThisIs_AutoUpdateProg() && own.AgentLog());
    if (IsResidentAgentExe(ThisIs_AutoUpdateProg(), FileNamePart(programPath),
                           own.GetAgentExeName()))
        SetDebugLogPrefix(" X ");

    DebugLog("");
    DebugLog("=== START === " + programPath);
    DebugLog("CommandLine=" + commandLine);
    Trace() << CurrentProcessId() << " ==== ThisIs_AutoUpdateProg=" << ThisIs_AutoUpdateProg()
            << EndLine;

    DoRunStubWin();

    SetOwnDescriptor(nullptr);
    Trace() << CurrentProcessId() << " ==== STUB END ====> " << commandLine << '<' << EndLine;
    Trace() << EndLine;
    DebugLog("=== EXIT === " + programPath);
    DebugLog("");
}

void DoRunStubWin() {
    DebugLog("DoRunStubWin() --- Start");
    const Text programPath = ProgramPath();
    const Text programFileName = FileNamePart(programPath);
    const Text agentName = OwnDescriptor().GetAgentExeName();
    const bool isAgent = ThisIs_AutoUpdateProg();
    SetInstanceClassName(InstanceClassNameFor(isAgent, programPath));

    const bool xExeIsRunning = TopLevelWindowExists(ResidentAgentClassName(agentName));
    const bool plainAgent = IsPlainAgentExe(isAgent, programFileName, agentName);
    const bool residentAgent = IsResidentAgentExe(isAgent, programFileName, agentName);
    DebugLog(Text("X_ExeIsRunning=") + TrueFalse(xExeIsRunning));
    DebugLog(Text("ThisIs_Plain_AutoUpdate_Exe=") + TrueFalse(plainAgent));
    DebugLog(Text("ThisIs_X_AutoUpdate_Exe=") + TrueFalse(residentAgent));

    const RunModeFacts facts{TopLevelWindowExists(InstanceClassName()), plainAgent, residentAgent,
                             OwnDescriptor().SpannedMedia(), GetSwitchInt("/SpanCdLvl=", 1)};
    const RunMode mode = ChooseRunMode(facts);
    Trace() << CurrentProcessId() << " ==== RunMode=" << RunModeName(mode) << EndLine;

    switch (mode) {
    case RunMode::AlreadyRunning:
        break;
    case RunMode::AgentLauncher:
        CreateAndRun_X_Exe();
        break;
    case RunMode::ResidentAgent:
        DebugLog("CheckTestMode");
        CheckTestMode(true);
        DebugLog("WinMain");
        WinMain();
        DebugLog("DeleteMySelf");
        DeleteMySelf(false);
        break;
    case RunMode::SpanRelaunch:
        RelaunchFromSpannedMedia();
        break;
    case RunMode::Setup:
        WinMain();
        if (facts.spanCdLevel == 2) DeleteMySelf(true);
        break;
    }
    if (plainAgent) HandleParamOK(xExeIsRunning);
    DebugLog("DoRunStubWin() --- End");
}

} // namespace zelkor
