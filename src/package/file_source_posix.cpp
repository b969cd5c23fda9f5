#include "package/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelkor {
namespace {

class PosixFileSource : public ByteSource {
  public:
    explicit PosixFileSource(int fd) : fd_(fd) {}
    ~PosixFileSource() override { close(fd_); }
    PosixFileSource(const PosixFileSource&) = delete;
    PosixFileSource& operator=(const PosixFileSource&) = delete;

    uint64_t Size() override {
        struct stat st;
        if (fstat(fd_, &st) != 0 || st.st_size < 0) return 0;
        return static_cast<uint64_t>(st.st_size);
    }

    uint32_t ReadAt(uint64_t offset, void* buffer, uint32_t length) override {
        // pread takes a signed offset; anything beyond it is past every file.
        if (offset > static_cast<uint64_t>(INT64_MAX)) return 0;
        uint32_t done = 0;
        while (done < length) {
            const ssize_t n = pread(fd_, static_cast<char*>(buffer) + done, length - done,
                                    static_cast<off_t>(offset + done));
            if (n <= 0) break;
            done += static_cast<uint32_t>(n);
        }
        return done;
    }

  private:
    int fd_;
};

} // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::string& path) {
    if (path.empty()) return nullptr;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<ByteSource>(new PosixFileSource(fd));
}

} // namespace zelkor
