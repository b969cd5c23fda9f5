#include "util/trace_buffer.h"

#include <cstring>

namespace zelkor {

void TraceStream::Put(char c) {
    buffer_[pending_++] = c;
    if (pending_ == kBufferSize) Flush();
}

TraceStream& TraceStream::operator<<(const Text& text) {
    for (char c : text)
        Put(c);
    return *this;
}

TraceStream& TraceStream::operator<<(const char* text) {
    while (*text)
        Put(*text++);
    return *this;
}

TraceStream& TraceStream::operator<<(char c) {
    Put(c);
    return *this;
}

TraceStream& TraceStream::operator<<(bool value) {
    return *this << (value ? "TRUE" : "FALSE");
}

TraceStream& TraceStream::operator<<(TraceEndLine) {
    Put('\n');
    Flush();
    return *this;
}

void TraceStream::Flush() {
    if (pending_ > 0) {
        // The viewer receives the text up to the first NUL byte.
        const void* nul = std::memchr(buffer_, 0, size_t(pending_));
        const size_t length =
            nul ? size_t(static_cast<const char*>(nul) - buffer_) : size_t(pending_);
        pending_ = 0;
        if (sink_) sink_(Text(buffer_, length));
    }
    pending_ = 0;
}

} // namespace zelkor
