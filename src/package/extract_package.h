// Extraction of a package's file blocks, over one or more volumes, into a
// folder (Windows layer: files, disk prompts, progress, messages).
#pragma once

#include "util/progress.h"
#include "util/text.h"

namespace zelkor {

struct ExtractOptions {
    Text volumePath;  // volume 1: the installer itself or a "*.001" file
    Text destination; // without trailing backslash
    Text agentName;   // file name for the update agent copy; empty for none
    Text promptText;  // disk prompt, holding "<DISK_NUM>"
    Text promptTitle;
    Text buttonCaptions;
    int charset = 0;
    bool forcePrompt = false;
    ProgressCallback progress = nullptr;
};

struct ExtractOutcome {
    bool packageValid = false;
    Text runEntry; // name "*" optional tail, as stored; empty for none
    // The user cancelled a disk prompt: nothing is run, nothing is damaged.
    bool cancelled = false;
    // Why the package was refused; empty when it was not.
    Text damage;
};

ExtractOutcome ExtractPackage(const ExtractOptions& options);

} // namespace zelkor
