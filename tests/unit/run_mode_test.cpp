#include <gtest/gtest.h>

#include "stub/run_mode.h"

namespace zelkor {
namespace {

TEST(RunMode, TestedInOrder) {
    const struct {
        RunModeFacts facts;
        RunMode mode;
    } cases[] = {
        {{true, true, false, true, 1}, RunMode::AlreadyRunning},
        {{false, true, false, true, 1}, RunMode::AgentLauncher},
        {{false, false, true, true, 1}, RunMode::ResidentAgent},
        {{false, false, false, true, 1}, RunMode::SpanRelaunch},
        {{false, false, false, true, 2}, RunMode::Setup},
        {{false, false, false, false, 1}, RunMode::Setup},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseRunMode(c.facts), c.mode) << RunModeName(c.mode);
}

TEST(RunMode, InstanceClassNameIsThePathOrTheAgentBaseName) {
    EXPECT_EQ(InstanceClassNameFor(false, "C:\\Dl\\setup.exe"), "C:\\Dl\\setup.exe");
    EXPECT_EQ(InstanceClassNameFor(true, "C:\\App\\X_agent.v2.exe"), ".AutoUpdate.X_agent");
    EXPECT_EQ(ResidentAgentClassName("agent.exe"), ".AutoUpdate.X_agent");
    EXPECT_EQ(ResidentAgentClassName(".exe"), ".AutoUpdate.X_");
}

TEST(RunMode, AgentNamesCompareTrimmedIgnoringCase) {
    EXPECT_TRUE(IsPlainAgentExe(true, "AGENT.EXE", " agent.exe "));
    EXPECT_FALSE(IsPlainAgentExe(false, "agent.exe", "agent.exe"));
    EXPECT_TRUE(IsResidentAgentExe(true, "x_Agent.exe", "agent.exe"));
    EXPECT_FALSE(IsResidentAgentExe(true, "agent.exe", "agent.exe"));
    EXPECT_FALSE(IsPlainAgentExe(true, "other.exe", "agent.exe"));
}

} // namespace
} // namespace zelkor
