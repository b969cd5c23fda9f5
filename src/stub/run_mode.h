// The run-mode decision, from facts the Windows layer gathers.
#pragma once

#include "util/text.h"

namespace zelkor {

enum class RunMode { AlreadyRunning, AgentLauncher, ResidentAgent, SpanRelaunch, Setup };

const char* RunModeName(RunMode mode);

// ".AutoUpdate." + base name for an agent, else the full program path.
Text InstanceClassNameFor(bool isAgentProgram, const Text& programPath);
// The class of a running resident agent for the given agent name.
Text ResidentAgentClassName(const Text& agentName);

bool IsPlainAgentExe(bool isAgentProgram, const Text& programFileName, const Text& agentName);
bool IsResidentAgentExe(bool isAgentProgram, const Text& programFileName, const Text& agentName);

struct RunModeFacts {
    bool instanceWindowExists;
    bool plainAgentExe;
    bool residentAgentExe;
    bool spannedMedia;
    int64_t spanCdLevel; // "/SpanCdLvl=", default 1
};

RunMode ChooseRunMode(const RunModeFacts& facts);

} // namespace zelkor
