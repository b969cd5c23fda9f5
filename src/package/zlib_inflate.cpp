#include "package/zlib_inflate.h"

namespace zelkor {
namespace {

constexpr size_t kOutputWindow = 65536;
// zlib counts input in 32-bit units.
constexpr size_t kLargestFeed = 0x40000000;

} // namespace

ZlibInflater::ZlibInflater() : window_(kOutputWindow, '\0') {
    const int result = inflateInit(&stream_);
    ready_ = result == Z_OK;
    if (!ready_) Fail(result);
}

ZlibInflater::~ZlibInflater() {
    if (ready_) inflateEnd(&stream_);
}

bool ZlibInflater::Fail(int result) {
    failed_ = true;
    error_ = zError(result);
    if (stream_.msg) error_ += Text(": ") + stream_.msg;
    return false;
}

bool ZlibInflater::Feed(const char* bytes, size_t count, InflateOutput& output) {
    if (failed_) return false;
    while (count > 0 && !ended_) {
        const size_t part = count < kLargestFeed ? count : kLargestFeed;
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes));
        stream_.avail_in = static_cast<uInt>(part);
        // A full window may leave output pending inside zlib, so the loop
        // goes on until the input is used and the window was not filled.
        do {
            stream_.next_out = reinterpret_cast<Bytef*>(&window_[0]);
            stream_.avail_out = static_cast<uInt>(kOutputWindow);
            const int result = inflate(&stream_, Z_NO_FLUSH);
            const size_t produced = kOutputWindow - stream_.avail_out;
            if (produced > 0 && !output.Inflated(window_.data(), produced)) return false;
            if (result == Z_STREAM_END) {
                ended_ = true;
                break;
            }
            // No progress for want of input is not an error yet.
            if (result == Z_BUF_ERROR && stream_.avail_in == 0) break;
            // Z_NEED_DICT is positive but no block can supply a dictionary.
            if (result != Z_OK) return Fail(result);
        } while (stream_.avail_in > 0 || stream_.avail_out == 0);
        bytes += part;
        count -= part;
    }
    return true;
}

bool ZlibInflater::Finish() {
    if (failed_) return false;
    if (ended_) return true;
    failed_ = true;
    error_ = Text(zError(Z_BUF_ERROR)) + ": the stream ends early";
    return false;
}

} // namespace zelkor
