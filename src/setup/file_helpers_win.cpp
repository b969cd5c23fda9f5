#include "setup/file_helpers.h"

#include <windows.h>
#include <winioctl.h>

#include "util/trace.h"
#include "util/win_handles.h"

namespace zelkor {
namespace {

constexpr int64_t kOneMiB = 1048576;
// The most one read can fill: a 32-bit process cannot hold more, and a
// failed allocation would end the process.
constexpr int64_t kLargestRead = 0x7FFFFFFF;
constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

using FreeSpaceExCall = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// Process-wide: whether the platform offers the extended free-space query.
struct ExtendedFreeSpace {
    bool tested = false;
    FreeSpaceExCall call = nullptr;
};

FreeSpaceExCall ExtendedFreeSpaceCall() {
    static ExtendedFreeSpace state;
    if (!state.tested) {
        state.tested = true;
        // kernel32 stays mapped in every process, so the entry outlives this
        // reference to the library.
        const Library kernel(LoadLibraryA("kernel32.dll"));
        if (kernel) {
            const FARPROC entry = GetProcAddress(kernel.Get(), "GetDiskFreeSpaceExA");
            state.call = reinterpret_cast<FreeSpaceExCall>(reinterpret_cast<void*>(entry));
        }
    }
    return state.call;
}

// An existing file is shared and never truncated (other processes may read or
// append to the same log); a new one is created unshared. Creating comes
// first: the extraction appends mostly to new files, and a name that does not
// exist is the expensive lookup (Wine scans the folder for it).
FileHandle OpenForAppend(const Text& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file && GetLastError() == ERROR_FILE_EXISTS)
        file.Reset(CreateFileA(path.c_str(), GENERIC_WRITE, kShareReadWrite, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    return file;
}

// The DOS value holds the local date in its high half and the time in its low.
void SetDosDate(HANDLE file, uint32_t dosDate) {
    FILETIME local;
    FILETIME utc;
    if (DosDateTimeToFileTime(HIWORD(dosDate), LOWORD(dosDate), &local) &&
        LocalFileTimeToFileTime(&local, &utc))
        SetFileTime(file, nullptr, nullptr, &utc);
}

// Returns the number of bytes written; no single call writes more than 1 MiB.
size_t WriteAll(HANDLE file, const Text& data) {
    const int64_t total = int64_t(data.size());
    if (total <= kOneMiB) {
        DWORD written = 0;
        WriteFile(file, data.data(), DWORD(total), &written, nullptr);
        return written;
    }
    const int64_t chunk = WriteChunkSize(total, 10, kOneMiB);
    int64_t done = 0;
    while (done < total) {
        const int64_t part = total - done < chunk ? total - done : chunk;
        DWORD written = 0;
        const BOOL ok = WriteFile(file, data.data() + done, DWORD(part), &written, nullptr);
        done += written;
        if (!ok || written == 0) break;
    }
    return size_t(done);
}

Text WithoutTrailingSeparators(Text path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

bool IsDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

void TraceDevice(const char* step, const Text& device, HANDLE handle) {
    Trace() << step << device << ' ' << uint32_t(uintptr_t(handle)) << EndLine;
}

} // namespace

int64_t FileSeek64(void* handle, int64_t offset, int origin) {
    LONG high = LONG(offset >> 32);
    const DWORD low = SetFilePointer(handle, LONG(uint32_t(offset)), &high, DWORD(origin));
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return -1;
    return int64_t((uint64_t(uint32_t(high)) << 32) | low);
}

int64_t GetFileSize64(void* handle) {
    DWORD high = 0;
    const DWORD low = GetFileSize(handle, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
    return int64_t((uint64_t(high) << 32) | low);
}

int64_t FileSizeByName(const Text& path) {
    WIN32_FIND_DATAA found;
    const FindHandle find(FindFirstFileA(path.c_str(), &found));
    if (!find) return 0;
    return int64_t((uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
}

Text ReadFileText(const Text& path, int64_t maximumLength, int64_t offset) {
    if (!FileExists(path)) return Text();
    const FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, kShareReadWrite, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Text();
    const int64_t size = GetFileSize64(file.Get());
    int64_t count = size - offset;
    if (maximumLength != 0 && maximumLength < count) count = maximumLength;
    if (offset < 0 || offset >= size || count <= 0 || count > kLargestRead) return Text();
    if (FileSeek64(file.Get(), offset, FILE_BEGIN) != offset) return Text();
    Text result(size_t(count), '\0');
    DWORD read = 0;
    if (!ReadFile(file.Get(), &result[0], DWORD(count), &read, nullptr) || read != count)
        return Text();
    return result;
}

bool WriteFileText(const Text& path, const Text& data, uint32_t dosDate, bool append) {
    FileHandle file;
    if (append) {
        file = OpenForAppend(path);
        if (file) FileSeek64(file.Get(), 0, FILE_END);
    } else {
        file.Reset(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (!file) return false;
    const bool complete = WriteAll(file.Get(), data) == data.size();
    if (complete && dosDate != 0) SetDosDate(file.Get(), dosDate);
    return complete;
}

bool AppendFileText(const Text& path, const Text& text, uint32_t dosDate) {
    const FileHandle file = OpenForAppend(path);
    if (!file) return false;
    FileSeek64(file.Get(), 0, FILE_END);
    DWORD written = 0;
    WriteFile(file.Get(), text.data(), DWORD(text.size()), &written, nullptr);
    if (dosDate != 0) SetDosDate(file.Get(), dosDate);
    return written == text.size();
}

double DiskFree(const Text& path) {
    const FreeSpaceExCall extended = ExtendedFreeSpaceCall();
    Text root;
    const char* rootArgument =
        DiskFreeRoot(path, extended != nullptr, root) ? root.c_str() : nullptr;
    if (extended) {
        ULARGE_INTEGER available;
        ULARGE_INTEGER total;
        ULARGE_INTEGER totalFree;
        if (!extended(rootArgument, &available, &total, &totalFree)) return -1;
        return double(available.QuadPart);
    }
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (!GetDiskFreeSpaceA(rootArgument, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters))
        return -1;
    return double(uint32_t(sectorsPerCluster * bytesPerSector)) * double(freeClusters);
}

bool DeleteFiles(const Text& mask, bool clearAttributes) {
    const Text folder = FileFolderPart(mask);
    WIN32_FIND_DATAA found;
    const FindHandle find(FindFirstFileA(mask.c_str(), &found));
    if (!find) return false;
    bool matched = false;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        matched = true;
        const Text name = folder + found.cFileName;
        if (clearAttributes) SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(name.c_str());
    } while (FindNextFileA(find.Get(), &found));
    return matched;
}

bool RemoveDirTree(const Text& folder, bool clearAttributes) {
    if (folder.empty()) return false;
    const bool existed = FolderExists(folder);
    const Text prefix = WithoutTrailingSeparators(folder) + "\\";
    DeleteFiles(prefix + "*.*", clearAttributes);
    {
        WIN32_FIND_DATAA found;
        const FindHandle find(FindFirstFileA((prefix + "*.*").c_str(), &found));
        if (find) {
            do {
                const DWORD attributes = found.dwFileAttributes;
                if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
                    (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) ||
                    IsDotEntry(found.cFileName))
                    continue;
                const Text child = prefix + found.cFileName;
                // A linked folder belongs elsewhere: remove the link, never
                // what it points to.
                if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                    RemoveDirTree(child, clearAttributes);
                RemoveDirectoryA(child.c_str());
            } while (FindNextFileA(find.Get(), &found));
        }
    }
    RemoveDirectoryA(folder.c_str());
    return existed && !FolderExists(folder);
}

bool EjectCD(const Text& path) {
    if (path.empty()) return false;
    const char letter = UpperAscii(path[0]);
    if (letter < 'A' || letter > 'Z') return false;
    const Text root = Text(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) != DRIVE_CDROM) return false;

    const Text device = "\\\\.\\" + Text(1, letter) + ":";
    FileHandle drive(CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, kShareReadWrite,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    TraceDevice("EjectCD-2: ", device, drive.Get());
    if (!drive)
        drive.Reset(CreateFileA(device.c_str(), GENERIC_READ, kShareReadWrite, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    TraceDevice("EjectCD-3: ", device, drive.Get());
    if (!drive) return false;
    DWORD returned = 0;
    return DeviceIoControl(drive.Get(), IOCTL_STORAGE_EJECT_MEDIA, nullptr, 0, nullptr, 0,
                           &returned, nullptr) != 0;
}

bool FileExists(const Text& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const Text& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const Text& folder) {
    const Text path = WithoutTrailingSeparators(folder);
    if (path.empty()) return false;
    if (FolderExists(path)) return true;
    const Text parent = WithoutTrailingSeparators(FileFolderPart(path));
    // A drive ("C:") or the end of a relative path needs no creating.
    if (!parent.empty() && parent.back() != ':') ForceDirectories(parent);
    CreateDirectoryA(path.c_str(), nullptr);
    return FolderExists(path);
}

uint32_t FileDosDateTime(const Text& path) {
    WIN32_FIND_DATAA found;
    const FindHandle find(FindFirstFileA(path.c_str(), &found));
    FILETIME local;
    WORD date = 0;
    WORD time = 0;
    if (!find || !FileTimeToLocalFileTime(&found.ftLastWriteTime, &local) ||
        !FileTimeToDosDateTime(&local, &date, &time))
        return 0;
    return uint32_t(date) << 16 | time;
}

} // namespace zelkor
