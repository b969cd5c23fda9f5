#include "setup/spanned_media.h"

#include "util/debug_log.h"
#include "util/process_info.h"
#include "util/trace.h"

namespace zelkor {

// Spanned media are not part of this build yet: the relaunch is reported
// and nothing is copied or started.
void RelaunchFromSpannedMedia() {
    Trace() << CurrentProcessId() << " SpannedMedia: relaunch is not available" << EndLine;
    DebugLog("RelaunchFromSpannedMedia - not available");
}

} // namespace zelkor
