// An extraction host over a map of files, recording what the extraction
// asks of the window, the user and the trace.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>
#include <zlib.h>

#include "package/byte_source.h"
#include "package/extract_host.h"

namespace zelkor {
namespace fixtures {

class MemoryExtractHost : public ExtractHost {
  public:
    struct File {
        std::string data;
        uint32_t dosDate = 0;
    };

    std::map<std::string, File> files; // volumes and extracted files, by path
    std::set<std::string> folders;
    std::set<std::string> failingPaths;
    std::map<std::string, uint32_t> volumeDates;
    // Answers each disk prompt; may put the volume in place first.
    std::function<bool(const std::string& prompt)> answer = [](const std::string&) {
        return false;
    };

    std::vector<std::string> errors, traces, prompts, ejected;
    std::vector<std::pair<int, int>> progress;            // mode, high
    std::vector<std::pair<std::string, uint32_t>> writes; // path, date passed
    int autoPlayRefusals = 0;
    int pumps = 0;

    bool Has(const std::string& path) const { return files.count(path) > 0; }
    const std::string& Data(const std::string& path) { return files[path].data; }
    int Steps() const {
        int steps = 0;
        for (const auto& p : progress)
            steps += p.first == 1;
        return steps;
    }
    bool Traced(const std::string& line) const {
        for (const std::string& t : traces)
            if (t == line) return true;
        return false;
    }

    bool FileExists(const Text& path) override { return Has(path); }
    std::unique_ptr<ByteSource> OpenVolume(const Text& path) override {
        auto it = files.find(path);
        if (it == files.end()) return nullptr;
        return std::unique_ptr<ByteSource>(new MemoryByteSource(it->second.data));
    }
    uint32_t FileDosDate(const Text& path) override {
        auto it = volumeDates.find(path);
        return it == volumeDates.end() ? 0 : it->second;
    }
    bool CreateFolder(const Text& path) override {
        if (path.empty()) return false;
        for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1))
            folders.insert(path.substr(0, at));
        folders.insert(path);
        return true;
    }
    bool WriteFile(const Text& path, const Text& data, uint32_t dosDate, bool append) override {
        writes.push_back({path, dosDate});
        const size_t cut = path.rfind('\\');
        const std::string folder = cut == std::string::npos ? "" : path.substr(0, cut);
        if (failingPaths.count(path) || !folders.count(folder)) return false;
        File& file = files[path];
        if (append) {
            file.data += data;
        } else {
            file.data = data;
        }
        if (dosDate != 0) file.dosDate = dosDate;
        return true;
    }
    Text LastErrorText() override { return "Access is denied"; }
    int64_t FileSize(const Text& path) override {
        return Has(path) ? int64_t(files[path].data.size()) : 0;
    }
    double DiskFree(const Text&) override { return 12345.75; }
    void Progress(int mode, int, int high, int, int, const Text&) override {
        progress.push_back({mode, high});
    }
    void PumpMessages() override { ++pumps; }
    void WaitPumping(uint32_t) override {}
    void RefuseAutoPlay() override { ++autoPlayRefusals; }
    void EjectDisk(const Text& path) override { ejected.push_back(path); }
    bool AskForDisk(const Text& text, const Text&, const Text&, int) override {
        prompts.push_back(text);
        return answer(text);
    }
    void ShowError(const Text& text) override { errors.push_back(text); }
    void TraceLine(const Text& line) override { traces.push_back(line); }
    uint32_t TickCount() override {
        const uint32_t now = tick_;
        tick_ += 250;
        return now;
    }
    unsigned long ProcessId() override { return 77; }

  private:
    uint32_t tick_ = 1000;
};

inline std::string LengthBytes(uint32_t v) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char(v >> (8 * i));
    return bytes;
}

// A block holding `content` as it is.
inline std::string StoredBlock(const std::string& content) {
    return LengthBytes(0u - uint32_t(content.size())) + content;
}

inline std::string ZlibStream(const std::string& content) {
    uLongf size = compressBound(uLong(content.size()));
    std::string packed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(&packed[0]), &size,
              reinterpret_cast<const Bytef*>(content.data()), uLong(content.size()), 9);
    packed.resize(size);
    return packed;
}

// A block holding `content` as a zlib stream, whatever its size.
inline std::string ZlibBlock(const std::string& content) {
    const std::string packed = ZlibStream(content);
    return LengthBytes(uint32_t(packed.size())) + packed;
}

inline std::string FileContent(const std::string& header, const std::string& data) {
    return header + std::string(1, '\0') + data;
}

} // namespace fixtures
} // namespace zelkor
