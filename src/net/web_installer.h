// The web installer: finds or downloads the full installer, checks that it
// carries the same web token, and runs it like any installer.
#pragma once

#include "util/text.h"

namespace zelkor {

// The agent copy of a web installer: the whole package with its logical
// size, less a short tail (a signature under 10000 bytes), marked as agent.
Text WebAgentCopyImage(const Text& programBytes);
// The download question with "<SIZE>" replaced by the size in megabytes
// (0 when the web list's size is not a number).
Text DownloadQuestion(const Text& question, const Text& sizeItem);

// Windows layer: the web branch of the installer run.
void RunWebInstaller(const Text& agentName);
void WriteWebAgentCopy(const Text& agentName);
void WebInstall(const Text& folder, const Text& baseLocation, const Text& fileName);

} // namespace zelkor
