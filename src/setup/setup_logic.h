// The decisions of the installer run, apart from the platform: the setup
// folder's name, the free-space question, the engine command line.
#pragma once

#include <cstdint>

#include "util/text.h"

namespace zelkor {

constexpr const char* kCompletionAtomPrefix = "AutoUpdateAtomTokenByZelkor";
constexpr const char* kEngineDialogClassPrefix = ".SDialog_Class_Name.";

// Exit codes when the engine did not run (the engine's own code otherwise).
constexpr unsigned long kExitPackageInvalid = 1620;
constexpr unsigned long kExitUserCancelled = 1602;
constexpr unsigned long kExitSetupFailed = 1603;

// "<temp>SETUP_<n>", n the time-of-day half of the program's DOS stamp.
Text SetupFolderName(const Text& tempFolderWithBackslash, uint32_t programDosDateTime);
// "_" and the thread id: ties the engine to this run.
Text RunTag(unsigned long threadId);

// The command line without the first occurrence of `name` (exact case),
// its value and the blanks after it, up to the next "/".
Text RemoveSwitch(const Text& commandLine, const Text& name);
// Megabytes with 1 decimal above 10, 2 from 1, else 3.
Text FormatMegabytes(double bytes);

struct EngineLaunch {
    Text enginePath;
    Text commandLine;
};
// The engine file is the run entry before its "*" (blanks trimmed); the text
// after the "*" joins the extra switches.
EngineLaunch BuildEngineCommandLine(const Text& folder, const Text& runEntry,
                                    const Text& extraSwitches, const Text& runTag,
                                    const Text& programPath, bool isAgentProgram);

struct SpaceQuestionTexts {
    Text askBeforeExtract; // "s2"
    Text limitedSpace;     // "s3"
    Text required;         // "s4"
    Text available;        // "s5"
    Text continueSetup;    // "s6"
};
// The free-space question, or empty when none is to be asked.
Text SpaceQuestion(const SpaceQuestionTexts& texts, bool askBeforeExtract, const Text& folder,
                   double need, double freeBytes);

} // namespace zelkor
