// The codes NotifyMonitor posts to a registered monitor window (wParam);
// the value (lParam) is given with each.
#pragma once

namespace zelkor {

enum MonitorCode {
    kMonitorInfoDownload = 40,  // 1 before, 2 after the update descriptor's download
    kMonitorSetupDownload = 41, // 1 before, 2 after the installer's or inform page's download
    kMonitorSetupRun = 42,      // 1 before, 2 after the downloaded installer's run
    kMonitorLoopEnded = 43,     // 0: the stub window's message loop has ended
    kMonitorWindow = 50,        // the stub window's handle, right after registration
    kMonitorAgentMessage = 51,  // the message number the stub window accepts next (1125)
};

} // namespace zelkor
