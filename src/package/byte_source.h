// Random-access read of a file or a memory image, so that the package reader
// runs the same in the stub, in zelkor-pack and in native tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zelkor {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() = 0;
    // Reads up to `length` bytes at `offset`; returns the count read (0 at or
    // past the end, or on error).
    virtual uint32_t ReadAt(uint64_t offset, void* buffer, uint32_t length) = 0;
};

class MemoryByteSource : public ByteSource {
  public:
    explicit MemoryByteSource(const std::string& bytes) : bytes_(bytes) {}
    uint64_t Size() override { return bytes_.size(); }
    uint32_t ReadAt(uint64_t offset, void* buffer, uint32_t length) override;

  private:
    const std::string& bytes_;
};

// Opens a file for reading with sharing allowed; null when it cannot be
// opened. Implemented once for Win32 and once for POSIX.
std::unique_ptr<ByteSource> OpenFileSource(const std::string& path);

} // namespace zelkor
