// Runs one HTTP download for the scenarios and records what came of it.
//
//   download_probe RESULT_FILE URL TARGET
//
// TARGET "" downloads into memory; the bytes then go to RESULT_FILE
// ".content". RESULT_FILE receives "key=value" lines (CR LF):
//   error=     the download's error text (empty: success)
//   page404=   Check404Page of the target (or the content) with no previous
//              error: the 404 text for an HTML page, else empty
//   setup=     high position step of the callback's set-up call
//   setuptext= the progress text of that call
//   steps=     the number of one-step calls
// The program owns a window of class "ZelkorDownloadProbe" that handles
// close requests as the stub window does: the first raises the abort flag,
// the second closes. Exit code: 0 success, 1 error text, 2 bad command line.
#include <windows.h>

#include <cstdio>
#include <string>

#include "net/check_404_page.h"
#include "net/download_control.h"
#include "net/http_download.h"
#include "setup/file_helpers.h"

namespace {

struct Record {
    std::string setup;
    std::string setupText;
    int steps = 0;
};
Record record;

void Progress(int mode, int, int high, int position, int step, const zelkor::Text& text) {
    if (mode == 0) {
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "%d %d %d", high, position, step);
        record.setup = numbers;
        record.setupText = text;
    } else if (mode == 1) {
        ++record.steps;
    }
}

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE && !zelkor::DownloadAbortRequested()) {
        zelkor::SetDownloadAbort(true);
        return 0;
    }
    if (message == WM_DESTROY) {
        zelkor::SetDownloadAbort(true);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateProbeWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ProbeProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ZelkorDownloadProbe";
    if (!RegisterClassA(&windowClass)) return nullptr;
    return CreateWindowExA(0, windowClass.lpszClassName, "Download probe", WS_OVERLAPPEDWINDOW, 0,
                           0, 300, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const std::string resultPath = argv[1];
    const std::string url = argv[2];
    const std::string target = argv[3];
    const HWND window = CreateProbeWindow();

    zelkor::SetDownloadAbort(false);
    zelkor::Text content;
    zelkor::Text error;
    zelkor::HTTP_DownloadFile_Incremental(window, url, target, content, &Progress, error);
    const zelkor::Text page = zelkor::Check404Page(target, content, url, "");
    zelkor::UnloadWinINet();

    if (target.empty()) zelkor::WriteFileText(resultPath + ".content", content, 0, false);
    const std::string lines = "error=" + error + "\r\npage404=" + page +
                              "\r\nsetup=" + record.setup + "\r\nsetuptext=" + record.setupText +
                              "\r\nsteps=" + std::to_string(record.steps) + "\r\n";
    zelkor::WriteFileText(resultPath, lines, 0, false);
    if (window) DestroyWindow(window);
    return error.empty() ? 0 : 1;
}
