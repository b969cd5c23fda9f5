#include "extract_command.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#include <sys/utime.h>
#include <windows.h>
#else
#include <sys/statvfs.h>
#include <unistd.h>
#include <utime.h>
#endif

#include "dos_time.h"
#include "package_report.h"
#include "package/file_info.h"
#include "package/package_extraction.h"
#include "package/volume_names.h"

namespace zelkor {
namespace {

constexpr int kExitFailure = 1;

// The stream joins names with backslashes, as the stub does.
std::string NativePath(std::string path) {
#ifndef _WIN32
    for (char& c : path)
        if (c == '\\') c = '/';
#endif
    return path;
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeFolder(const std::string& path) {
#ifdef _WIN32
    return _mkdir(path.c_str()) == 0;
#else
    return mkdir(path.c_str(), 0777) == 0;
#endif
}

// Missing, or a folder without entries.
bool IsFreeDestination(const std::string& path) {
    DIR* dir = opendir(path.c_str());
    if (!dir) {
        const bool missing = errno == ENOENT;
        return missing && !IsFolder(path);
    }
    bool empty = true;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") empty = false;
    }
    closedir(dir);
    return empty;
}

// The message box's markup as plain text.
std::string PlainText(std::string text) {
    const struct {
        const char* markup;
        const char* plain;
    } replacements[] = {{"<P>", "\n"}, {"<T>", "\t"}, {"<B>", ""}, {"</B>", ""}};
    for (const auto& r : replacements)
        text = ReplaceAllIgnoreCase(text, r.markup, r.plain);
    return text;
}

class ConsoleExtractHost : public ExtractHost {
  public:
    ConsoleExtractHost(const std::string& destination, const std::string& firstVolume,
                       std::FILE* err)
        : prefix_(destination + "\\"), base_(VolumeBaseName(firstVolume)), err_(err) {}

    bool FileExists(const Text& path) override {
        struct stat st;
        return stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }
    std::unique_ptr<ByteSource> OpenVolume(const Text& path) override {
        return OpenFileSource(NativePath(path));
    }
    uint32_t FileDosDate(const Text& path) override {
        struct stat st;
        if (stat(NativePath(path).c_str(), &st) != 0) return 0;
        return DosDateTimeFromTime(st.st_mtime);
    }

    bool CreateFolder(const Text& path) override {
        const std::string native = NativePath(path);
        for (size_t at = native.find_first_of("/\\", 1); at != std::string::npos;
             at = native.find_first_of("/\\", at + 1))
            MakeFolder(native.substr(0, at));
        MakeFolder(native);
        return IsFolder(native);
    }
    bool WriteFile(const Text& path, const Text& data, uint32_t dosDate, bool append) override {
        const std::string native = NativePath(path);
        const bool isNew = !FileExists(path);
        std::FILE* file = std::fopen(native.c_str(), append ? "ab" : "wb");
        if (!file) return Failed();
        const bool written = std::fwrite(data.data(), 1, data.size(), file) == data.size();
        if (std::fclose(file) != 0 || !written) return Failed();
        if (isNew && path.compare(0, prefix_.size(), prefix_) == 0)
            created_.push_back(path.substr(prefix_.size()));
        std::time_t when;
        if (dosDate != 0 && TimeFromDosDateTime(dosDate, &when)) {
#ifdef _WIN32
            struct _utimbuf times = {when, when};
            _utime(native.c_str(), &times);
#else
            struct utimbuf times = {when, when};
            utime(native.c_str(), &times);
#endif
        }
        return true;
    }
    Text LastErrorText() override {
        return std::strerror(lastErrno_);
    }
    int64_t FileSize(const Text& path) override {
        struct stat st;
        return stat(NativePath(path).c_str(), &st) == 0 ? int64_t(st.st_size) : 0;
    }
    double DiskFree(const Text& path) override {
        const std::string native = NativePath(path);
        const size_t cut = native.find_last_of("/\\");
        const std::string folder = cut == std::string::npos ? "." : native.substr(0, cut + 1);
#ifdef _WIN32
        ULARGE_INTEGER available;
        if (!GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr)) return -1;
        return double(available.QuadPart);
#else
        struct statvfs fs;
        if (statvfs(folder.c_str(), &fs) != 0) return -1;
        return double(fs.f_bavail) * double(fs.f_frsize);
#endif
    }

    void Progress(int, int, int, int, int, const Text&) override {}
    void PumpMessages() override {}
    void WaitPumping(uint32_t) override {}
    void RefuseAutoPlay() override {}
    void EjectDisk(const Text&) override {}
    // The prompt text is the disk number alone: there is nobody to insert
    // a disk, so a missing volume ends the extraction.
    bool AskForDisk(const Text& text, const Text&, const Text&, int) override {
        missingVolume_ = VolumeFileName(base_, std::atoi(text.c_str()));
        return false;
    }
    void ShowError(const Text& text) override {
        std::fprintf(err_, "zelkor-pack: error: %s\n", PlainText(text).c_str());
    }

    void TraceLine(const Text&) override {}
    uint32_t TickCount() override {
        return uint32_t(std::clock());
    }
    unsigned long ProcessId() override {
        return 0;
    }

    const std::vector<std::string>& Created() const {
        return created_;
    }
    int WriteFailures() const {
        return writeFailures_;
    }
    const std::string& MissingVolume() const {
        return missingVolume_;
    }

  private:
    bool Failed() {
        lastErrno_ = errno;
        ++writeFailures_;
        return false;
    }

    std::string prefix_;
    std::string base_;
    std::FILE* err_;
    std::vector<std::string> created_;
    int writeFailures_ = 0;
    int lastErrno_ = 0;
    std::string missingVolume_;
};

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    return path;
}

} // namespace

int RunExtract(const std::string& package, const std::string& destination, std::FILE* out,
               std::FILE* err) {
    {
        std::unique_ptr<ByteSource> source = OpenFileSource(package);
        if (!source) {
            std::fprintf(err, "zelkor-pack: error: cannot open %s\n", package.c_str());
            return kExitFailure;
        }
        if (!TGFileInfo(*source).HasPackage()) {
            std::fprintf(err, "zelkor-pack: error: %s holds no package\n", package.c_str());
            return kExitFailure;
        }
    }
    const std::string folder = WithoutTrailingSeparators(destination);
    if (!IsFreeDestination(folder)) {
        std::fprintf(err,
                     "zelkor-pack: error: %s must be a new or empty folder (extracted files are "
                     "appended to files of the same name)\n",
                     folder.c_str());
        return kExitFailure;
    }

    ExtractOptions options;
    options.volumePath = package;
    options.destination = folder;
    options.promptText = "<DISK_NUM>";
    ConsoleExtractHost host(folder, package, err);
    SaveFailures failures;
    const ExtractOutcome outcome = ExtractPackage(options, host, failures);

    for (const std::string& name : host.Created()) {
        const std::string native = NativePath(folder + "\\" + name);
        struct stat st;
        const long long size = stat(native.c_str(), &st) == 0 ? (long long)st.st_size : -1;
        std::fprintf(out, "extracted: %s (%lld bytes)\n", QuoteText(name).c_str(), size);
    }
    if (outcome.cancelled) {
        std::fprintf(err, "zelkor-pack: error: a volume is missing: %s\n",
                     host.MissingVolume().c_str());
        return kExitFailure;
    }
    if (!outcome.packageValid) {
        std::fprintf(err, "zelkor-pack: error: %s is damaged: %s\n", package.c_str(),
                     outcome.damage.c_str());
        return kExitFailure;
    }
    std::fprintf(out, "run: %s\n",
                 outcome.runEntry.empty() ? "none" : QuoteText(outcome.runEntry).c_str());
    if (host.WriteFailures() > 0) {
        std::fprintf(err, "zelkor-pack: error: %d write(s) failed\n", host.WriteFailures());
        return kExitFailure;
    }
    return 0;
}

} // namespace zelkor
