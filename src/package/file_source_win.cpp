#include "package/byte_source.h"

#include <windows.h>

#include "util/win_handles.h"

namespace zelkor {
namespace {

class WinFileSource : public ByteSource {
  public:
    explicit WinFileSource(FileHandle file) : file_(static_cast<FileHandle&&>(file)) {}

    uint64_t Size() override {
        // GetFileSizeEx is missing on the Windows 95 family.
        DWORD high = 0;
        const DWORD low = GetFileSize(file_.Get(), &high);
        if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
        return (static_cast<uint64_t>(high) << 32) | low;
    }

    uint32_t ReadAt(uint64_t offset, void* buffer, uint32_t length) override {
        LONG high = static_cast<LONG>(offset >> 32);
        const DWORD low =
            SetFilePointer(file_.Get(), static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
        if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return 0;
        DWORD read = 0;
        if (!ReadFile(file_.Get(), buffer, length, &read, nullptr)) return 0;
        return read;
    }

  private:
    FileHandle file_;
};

} // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::string& path) {
    if (path.empty()) return nullptr;
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    return std::unique_ptr<ByteSource>(new WinFileSource(static_cast<FileHandle&&>(file)));
}

} // namespace zelkor
