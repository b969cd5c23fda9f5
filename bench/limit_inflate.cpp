// The physical limit for the extraction benchmark: reads an installer's file
// blocks, inflates them and writes the files, doing nothing else (no window,
// no time stamps, no checks beyond what the walk needs): 1 MiB reads, inflate
// straight into a 1 MiB buffer written when full, one handle per file, one
// z_stream reused.
//
//   limit_inflate PACKAGE FIRST_BLOCK_OFFSET BLOCKS_END DESTINATION [EXTRAS]
//
// EXTRAS (Windows only), a comma-separated list, adds the stub's own ways
// one at a time, so that the gap between the limit and the stub can be
// measured step by step:
//   stream    64 KiB reads, a 64 KiB inflate window, a 1 MiB write buffer
//   reopen    every write opens the file for appending and closes it
//   stamps    the block's time stamp is set after its last write
//   exists    the existence checks: the file (for the progress step) and the
//             folder of a name with a separator
//   progress  the progress step per new file of a hidden window: a
//             visibility check and a count (its bars catch up when shown)
//   pump      the window's messages, at most every 10 ms, per block and piece
//
// Prints "blocks=N files=N bytes=N ms=T" with T measured from the package's
// opening to the last file's closing. Built for Windows (run under Wine) and
// for POSIX (the same bare work without Wine).
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#endif

namespace {

constexpr size_t kPiece = 65536;
constexpr size_t kWriteChunk = 1048576;

#ifdef _WIN32
const char kSeparator = '\\';
using File = HANDLE;
const File kNoFile = INVALID_HANDLE_VALUE;

File OpenRead(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}
// The destination is fresh, and under Wine creating a new file costs less
// than replacing one (CREATE_ALWAYS).
File Create(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}
bool Seek(File file, uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = LONGLONG(offset);
    return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != 0;
}
bool ReadExactly(File file, void* buffer, size_t count) {
    char* at = static_cast<char*>(buffer);
    while (count > 0) {
        DWORD got = 0;
        const DWORD want = count > 0x40000000 ? 0x40000000 : DWORD(count);
        if (!ReadFile(file, at, want, &got, nullptr) || got == 0) return false;
        at += got;
        count -= got;
    }
    return true;
}
bool WriteExactly(File file, const void* buffer, size_t count) {
    const char* at = static_cast<const char*>(buffer);
    while (count > 0) {
        DWORD put = 0;
        const DWORD want = count > 0x40000000 ? 0x40000000 : DWORD(count);
        if (!WriteFile(file, at, want, &put, nullptr) || put == 0) return false;
        at += put;
        count -= put;
    }
    return true;
}
void Close(File file) {
    CloseHandle(file);
}
void MakeFolder(const std::string& path) {
    CreateDirectoryA(path.c_str(), nullptr);
}
double NowMs() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}
#else
const char kSeparator = '/';
using File = int;
const File kNoFile = -1;

File OpenRead(const std::string& path) {
    return open(path.c_str(), O_RDONLY);
}
File Create(const std::string& path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
}
bool Seek(File file, uint64_t offset) {
    return lseek(file, off_t(offset), SEEK_SET) == off_t(offset);
}
bool ReadExactly(File file, void* buffer, size_t count) {
    char* at = static_cast<char*>(buffer);
    while (count > 0) {
        const ssize_t got = read(file, at, count);
        if (got <= 0) return false;
        at += got;
        count -= size_t(got);
    }
    return true;
}
bool WriteExactly(File file, const void* buffer, size_t count) {
    const char* at = static_cast<const char*>(buffer);
    while (count > 0) {
        const ssize_t put = write(file, at, count);
        if (put <= 0) return false;
        at += put;
        count -= size_t(put);
    }
    return true;
}
void Close(File file) {
    close(file);
}
void MakeFolder(const std::string& path) {
    mkdir(path.c_str(), 0755);
}
double NowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}
#endif

struct Extras {
    bool stream = false;
    bool reopen = false;
    bool stamps = false;
    bool exists = false;
    bool progress = false;
    bool pump = false;
};

bool ParseExtras(const char* text, Extras* extras) {
    std::string list = text;
    list += ',';
    for (size_t at = 0, comma; (comma = list.find(',', at)) != std::string::npos; at = comma + 1) {
        const std::string item = list.substr(at, comma - at);
        if (item.empty()) continue;
        bool* flag = item == "stream"     ? &extras->stream
                     : item == "reopen"   ? &extras->reopen
                     : item == "stamps"   ? &extras->stamps
                     : item == "exists"   ? &extras->exists
                     : item == "progress" ? &extras->progress
                     : item == "pump"     ? &extras->pump
                                          : nullptr;
        if (!flag) return false;
        *flag = true;
    }
#ifndef _WIN32
    if (extras->stream || extras->reopen || extras->stamps || extras->exists || extras->progress ||
        extras->pump)
        return false;
#endif
    return true;
}

// Item `index` of a delimiter-led list ("|name|stamp|").
std::string ListItem(const std::string& list, int index) {
    if (list.size() < 2) return std::string();
    const char delimiter = list[0];
    size_t begin = 1;
    for (int i = 0; i < index; ++i) {
        begin = list.find(delimiter, begin);
        if (begin == std::string::npos) return std::string();
        ++begin;
    }
    const size_t end = list.find(delimiter, begin);
    return end == std::string::npos ? std::string() : list.substr(begin, end - begin);
}

// Where the extracted bytes go: one block's data after its header.
class Output {
  public:
    Output(const std::string& destination, const Extras& extras)
        : destination_(destination), extras_(extras) {
        pending_.reserve(kWriteChunk + kPiece);
#ifdef _WIN32
        if (extras_.progress) MakeProgressBars();
#endif
    }

    bool Header(const std::string& header) {
        std::string name = ListItem(header, 0);
        const size_t star = name.find('*');
        if (star != std::string::npos) name.erase(star);
        for (char& c : name)
            if (c == '\\' || c == '/') c = kSeparator;
        if (name.empty()) return false;
        stamp_ = uint32_t(std::strtoul(ListItem(header, 1).c_str(), nullptr, 10));
        target_ = destination_ + kSeparator + name;
#ifdef _WIN32
        bool isNew = name != current_;
        if (extras_.exists) {
            const size_t cut = target_.rfind(kSeparator);
            if (name.find(kSeparator) != std::string::npos)
                GetFileAttributesA(target_.substr(0, cut).c_str());
            isNew = GetFileAttributesA(target_.c_str()) == INVALID_FILE_ATTRIBUTES;
        }
        if (extras_.progress && isNew) {
            if (IsWindowVisible(window_)) {
                SendMessageA(progress_, PBM_STEPIT, 0, 0);
                SendMessageA(activity_, PBM_SETPOS, WPARAM(++steps_ % 21), 0);
            } else {
                ++hiddenSteps_;
            }
        }
#endif
        if (name != current_) {
            // Parent folders, each made once.
            for (size_t at = name.find(kSeparator); at != std::string::npos;
                 at = name.find(kSeparator, at + 1)) {
                const std::string folder = destination_ + kSeparator + name.substr(0, at);
                if (folders_.insert(folder).second) MakeFolder(folder);
            }
            if (!extras_.reopen) {
                if (out_ != kNoFile) Close(out_);
                out_ = Create(target_);
                if (out_ == kNoFile) return false;
            }
            current_ = name;
            ++files_;
        }
        return true;
    }

    // Data of the current block: written at once, or gathered into chunks.
    bool Data(const unsigned char* bytes, size_t count) {
        bytes_ += count;
        if (!extras_.stream) return Put(bytes, count, false);
        pending_.append(reinterpret_cast<const char*>(bytes), count);
        if (pending_.size() < kWriteChunk) return true;
        const bool ok =
            Put(reinterpret_cast<const unsigned char*>(pending_.data()), pending_.size(), false);
        pending_.clear();
        return ok;
    }

    bool EndBlock() {
        bool ok = true;
        if (extras_.stream || extras_.reopen || extras_.stamps)
            ok =
                Put(reinterpret_cast<const unsigned char*>(pending_.data()), pending_.size(), true);
        pending_.clear();
        return ok;
    }

    void Pump() {
#ifdef _WIN32
        if (!extras_.pump) return;
        const DWORD now = GetTickCount();
        if (pumped_ && now - lastPump_ < 10) return;
        pumped_ = true;
        lastPump_ = now;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
#endif
    }

    void Finish() {
        if (out_ != kNoFile) Close(out_);
        out_ = kNoFile;
    }
    uint64_t Files() const {
        return files_;
    }
    uint64_t Bytes() const {
        return bytes_;
    }

  private:
    bool Put(const unsigned char* bytes, size_t count, bool last) {
#ifdef _WIN32
        if (extras_.reopen) {
            HANDLE file = CreateFileA(target_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS)
                file =
                    CreateFileA(target_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE) return false;
            SetFilePointer(file, 0, nullptr, FILE_END);
            const bool ok = count == 0 || WriteExactly(file, bytes, count);
            if (ok && last && extras_.stamps) SetStamp(file);
            CloseHandle(file);
            return ok;
        }
        const bool ok = count == 0 || WriteExactly(out_, bytes, count);
        if (ok && last && extras_.stamps) SetStamp(out_);
        return ok;
#else
        (void)last;
        return count == 0 || WriteExactly(out_, bytes, count);
#endif
    }

#ifdef _WIN32
    void SetStamp(HANDLE file) {
        FILETIME local;
        FILETIME utc;
        if (stamp_ != 0 && DosDateTimeToFileTime(HIWORD(stamp_), LOWORD(stamp_), &local) &&
            LocalFileTimeToFileTime(&local, &utc))
            SetFileTime(file, nullptr, nullptr, &utc);
    }

    void MakeProgressBars() {
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        window_ = CreateWindowExA(0, "STATIC", "limit", WS_OVERLAPPEDWINDOW, 0, 0, 400, 120,
                                  nullptr, nullptr, nullptr, nullptr);
        progress_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 10, 360, 16,
                                    window_, nullptr, nullptr, nullptr);
        activity_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 40, 360, 16,
                                    window_, nullptr, nullptr, nullptr);
        SendMessageA(progress_, PBM_SETRANGE, 0, MAKELPARAM(0, 30000));
        SendMessageA(progress_, PBM_SETSTEP, 1, 0);
        SendMessageA(activity_, PBM_SETRANGE, 0, MAKELPARAM(0, 20));
    }

    HWND window_ = nullptr;
    HWND progress_ = nullptr;
    HWND activity_ = nullptr;
    int steps_ = 0;
    int hiddenSteps_ = 0;
    bool pumped_ = false;
    DWORD lastPump_ = 0;
#endif

    const std::string destination_;
    const Extras extras_;
    std::set<std::string> folders_;
    std::string current_;
    std::string target_;
    std::string pending_;
    uint32_t stamp_ = 0;
    File out_ = kNoFile;
    uint64_t files_ = 0;
    uint64_t bytes_ = 0;
};

// Splits a block's content at its first NUL, as it arrives.
class Splitter {
  public:
    explicit Splitter(Output& output) : output_(output) {}
    bool Content(const unsigned char* bytes, size_t count) {
        if (seen_) return output_.Data(bytes, count);
        const void* nul = std::memchr(bytes, 0, count);
        const size_t part = nul ? size_t(static_cast<const unsigned char*>(nul) - bytes) : count;
        header_.append(reinterpret_cast<const char*>(bytes), part);
        if (!nul) return true;
        seen_ = true;
        if (!output_.Header(header_)) return false;
        return part + 1 == count || output_.Data(bytes + part + 1, count - part - 1);
    }
    bool Seen() const { return seen_; }

  private:
    Output& output_;
    std::string header_;
    bool seen_ = false;
};

int Fail(const char* what) {
    std::fprintf(stderr, "limit_inflate: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    Extras extras;
    if ((argc != 5 && argc != 6) || (argc == 6 && !ParseExtras(argv[5], &extras)))
        return Fail("usage: limit_inflate PACKAGE FIRST_BLOCK_OFFSET BLOCKS_END DEST [EXTRAS]");
    const uint64_t first = std::strtoull(argv[2], nullptr, 10);
    const uint64_t end = std::strtoull(argv[3], nullptr, 10);

    const double start = NowMs();
    const File package = OpenRead(argv[1]);
    if (package == kNoFile || !Seek(package, first)) return Fail("cannot open the package");
    MakeFolder(argv[4]);
    Output output(argv[4], extras);

    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return Fail("inflateInit");
    // The limit inflates straight into 1 MiB that go to disk as they are;
    // whole 4 MiB blocks at once came out slower under Wine.
    const size_t piece = extras.stream ? kPiece : kWriteChunk;
    std::vector<unsigned char> input(piece);
    std::vector<unsigned char> inflated(piece);
    uint64_t blocks = 0;

    for (uint64_t at = first; at < end;) {
        output.Pump();
        unsigned char prefix[4];
        if (!ReadExactly(package, prefix, 4)) return Fail("short read of a block length");
        const int32_t length = int32_t(uint32_t(prefix[0]) | uint32_t(prefix[1]) << 8 |
                                       uint32_t(prefix[2]) << 16 | uint32_t(prefix[3]) << 24);
        const uint32_t size = length < 0 ? 0u - uint32_t(length) : uint32_t(length);
        at += 4 + uint64_t(size);
        ++blocks;
        Splitter splitter(output);
        if (length > 0) inflateReset(&stream);

        bool ended = length <= 0;
        size_t produced = 0;
        for (uint32_t left = size; left > 0;) {
            const uint32_t want = left < piece ? left : uint32_t(piece);
            if (!ReadExactly(package, input.data(), want)) return Fail("short read of a block");
            left -= want;
            output.Pump();
            if (length <= 0) {
                if (!splitter.Content(input.data(), want)) return Fail("cannot write a file");
                continue;
            }
            stream.next_in = input.data();
            stream.avail_in = want;
            bool full = false;
            do {
                stream.next_out = inflated.data() + produced;
                stream.avail_out = uInt(inflated.size() - produced);
                const int result = inflate(&stream, Z_NO_FLUSH);
                if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
                    return Fail("a block does not inflate");
                produced = inflated.size() - stream.avail_out;
                full = stream.avail_out == 0;
                if (result == Z_STREAM_END) ended = true;
                // The stub hands on every window; the limit only full buffers.
                if (produced > 0 && (extras.stream || full || ended)) {
                    if (!splitter.Content(inflated.data(), produced))
                        return Fail("cannot write a file");
                    produced = 0;
                }
            } while (!ended && (stream.avail_in > 0 || full));
        }
        if (!ended) return Fail("a block ends early");
        if (!splitter.Seen()) return Fail("a block has no header");
        if (!output.EndBlock()) return Fail("cannot write a file");
    }
    output.Finish();
    Close(package);
    inflateEnd(&stream);
    const double elapsed = NowMs() - start;
    std::printf("blocks=%llu files=%llu bytes=%llu ms=%.1f\n", (unsigned long long)blocks,
                (unsigned long long)output.Files(), (unsigned long long)output.Bytes(), elapsed);
    return 0;
}
