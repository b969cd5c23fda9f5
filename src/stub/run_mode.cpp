#include "stub/run_mode.h"

#include "package/file_info.h"

namespace zelkor {

const char* RunModeName(RunMode mode) {
    switch (mode) {
    case RunMode::AlreadyRunning:
        return "AlreadyRunning";
    case RunMode::AgentLauncher:
        return "AgentLauncher";
    case RunMode::ResidentAgent:
        return "ResidentAgent";
    case RunMode::SpanRelaunch:
        return "SpanRelaunch";
    case RunMode::Setup:
        break;
    }
    return "Setup";
}

Text InstanceClassNameFor(bool isAgentProgram, const Text& programPath) {
    if (!isAgentProgram) return programPath;
    return ".AutoUpdate." + BaseNameOfFileName(FileNamePart(programPath));
}

Text ResidentAgentClassName(const Text& agentName) {
    return ".AutoUpdate.X_" + BaseNameOfFileName(agentName);
}

bool IsPlainAgentExe(bool isAgentProgram, const Text& programFileName, const Text& agentName) {
    return isAgentProgram && SameTextTrimmed(programFileName, agentName);
}

bool IsResidentAgentExe(bool isAgentProgram, const Text& programFileName, const Text& agentName) {
    return isAgentProgram && SameTextTrimmed(programFileName, "X_" + agentName);
}

RunMode ChooseRunMode(const RunModeFacts& facts) {
    if (facts.instanceWindowExists) return RunMode::AlreadyRunning;
    if (facts.plainAgentExe) return RunMode::AgentLauncher;
    if (facts.residentAgentExe) return RunMode::ResidentAgent;
    if (facts.spannedMedia && facts.spanCdLevel == 1) return RunMode::SpanRelaunch;
    return RunMode::Setup;
}

} // namespace zelkor
