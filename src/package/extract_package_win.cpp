// The Win32 side of ExtractPackage: files, the disk prompt, the window.
#include "package/extract_package.h"

#include <windows.h>

#include "package/package_extraction.h"
#include "setup/file_helpers.h"
#include "ui/message_box.h"
#include "ui/window_helpers.h"
#include "util/process_info.h"
#include "util/trace.h"
#include "util/win_handles.h"

namespace zelkor {
namespace {

Text SystemErrorText(DWORD code) {
    char buffer[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, buffer, sizeof buffer, nullptr);
    // The platform ends its texts with a full stop and a line break.
    while (length > 0 && (buffer[length - 1] == '.' || uint8_t(buffer[length - 1]) <= ' '))
        --length;
    return Text(buffer, length);
}

class WinExtractHost : public ExtractHost {
  public:
    explicit WinExtractHost(const ExtractOptions& options) : options_(options) {}

    bool FileExists(const Text& path) override { return zelkor::FileExists(path); }
    std::unique_ptr<ByteSource> OpenVolume(const Text& path) override {
        return OpenFileSource(path);
    }
    uint32_t FileDosDate(const Text& path) override { return FileDosDateTime(path); }

    bool CreateFolder(const Text& path) override { return ForceDirectories(path); }
    bool WriteFile(const Text& path, const Text& data, uint32_t dosDate, bool append) override {
        return WriteFileText(path, data, dosDate, append);
    }
    Text LastErrorText() override { return SystemErrorText(GetLastError()); }
    int64_t FileSize(const Text& path) override { return FileSizeByName(path); }
    double DiskFree(const Text& path) override { return zelkor::DiskFree(path); }

    void Progress(int mode, int low, int high, int position, int step, const Text& text) override {
        if (options_.progress) options_.progress(mode, low, high, position, step, text);
    }
    // A pump is a round trip to the window system: tens of microseconds, far
    // more under Wine on a busy machine. After every 64 KiB piece it cost more
    // than the inflation; once per few milliseconds keeps the window as alive.
    void PumpMessages() override {
        const DWORD now = GetTickCount();
        if (pumped_ && now - lastPump_ < kPumpIntervalMs) return;
        pumped_ = true;
        lastPump_ = now;
        zelkor::PumpMessages(0);
    }
    void WaitPumping(uint32_t ms) override { zelkor::WaitPumping(ms, 0); }
    void RefuseAutoPlay() override { SetCancelAutoPlay(true); }
    void EjectDisk(const Text& path) override { EjectCD(path); }
    bool AskForDisk(const Text& text, const Text& title, const Text& buttons,
                    int charset) override {
        return AskOkCancel(nullptr, text, title, charset, buttons);
    }
    void ShowError(const Text& text) override { ShowErrorBox(nullptr, text, Text(), 0, Text()); }

    void TraceLine(const Text& line) override { Trace() << line << EndLine; }
    uint32_t TickCount() override { return GetTickCount(); }
    unsigned long ProcessId() override { return CurrentProcessId(); }

  private:
    static constexpr DWORD kPumpIntervalMs = 10;

    const ExtractOptions& options_;
    bool pumped_ = false;
    DWORD lastPump_ = 0;
};

} // namespace

ExtractOutcome ExtractPackage(const ExtractOptions& options) {
    // Process-wide: only the first file that cannot be saved is reported.
    static SaveFailures failures;
    WinExtractHost host(options);
    return ExtractPackage(options, host, failures);
}

} // namespace zelkor
