// Small installers built in memory for the package tests.
#pragma once

#include <cstring>
#include <map>
#include <string>

#include "package/byte_source.h"
#include "package_builder.h"

namespace zelkor {
namespace fixtures {

// "MZ" at 0, "PE" at 0x100 and a recognisable body, nothing at 0xF8-0xFF.
inline std::string FakeStub(size_t size = 0x300) {
    std::string stub(size, '\0');
    stub[0] = 'M';
    stub[1] = 'Z';
    stub[0x100] = 'P';
    stub[0x101] = 'E';
    for (size_t i = 0x102; i < size; ++i)
        stub[i] = static_cast<char>(i * 7 + 3);
    return stub;
}

inline std::string Build(const PackageDescription& package, const std::string& stub = FakeStub()) {
    std::string installer;
    std::string error;
    if (!BuildPackage(stub, package, &installer, &error)) return "build failed: " + error;
    return installer;
}

inline uint32_t U32At(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<uint8_t>(bytes[at + i]);
    return v;
}

inline void PutU32(std::string& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(v >> (8 * i));
}

inline std::string U32Bytes(uint32_t v) {
    std::string bytes(4, '\0');
    PutU32(bytes, 0, v);
    return bytes;
}

// A large file without the memory: zeros except for the pieces placed in it.
class SparseByteSource : public ByteSource {
  public:
    explicit SparseByteSource(uint64_t size) : size_(size) {}
    void Place(uint64_t offset, const std::string& bytes) { pieces_[offset] = bytes; }
    uint64_t Size() override { return size_; }
    uint32_t ReadAt(uint64_t offset, void* buffer, uint32_t length) override {
        if (offset >= size_) return 0;
        const uint64_t count = size_ - offset < length ? size_ - offset : length;
        char* out = static_cast<char*>(buffer);
        std::memset(out, 0, count);
        for (const auto& piece : pieces_) {
            const uint64_t begin = piece.first;
            const uint64_t end = begin + piece.second.size();
            const uint64_t from = begin > offset ? begin : offset;
            const uint64_t to = end < offset + count ? end : offset + count;
            if (from < to)
                std::memcpy(out + (from - offset), &piece.second[from - begin], to - from);
        }
        return static_cast<uint32_t>(count);
    }

  private:
    uint64_t size_;
    std::map<uint64_t, std::string> pieces_;
};

} // namespace fixtures
} // namespace zelkor
