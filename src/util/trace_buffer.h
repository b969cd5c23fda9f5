// The trace stream: text collects in a 128-byte buffer that is handed to a
// sink when it fills, at each end of line and at exit.
#pragma once

#include <cstdint>
#include <type_traits>

#include "util/text.h"

namespace zelkor {

struct TraceEndLine {};
constexpr TraceEndLine EndLine{};

class TraceStream {
  public:
    static constexpr int kBufferSize = 128;
    using Sink = void (*)(const Text& piece);

    explicit TraceStream(Sink sink) : sink_(sink) {}

    TraceStream& operator<<(const Text& text);
    TraceStream& operator<<(const char* text);
    TraceStream& operator<<(char c);
    TraceStream& operator<<(bool value); // "TRUE" or "FALSE"
    template <typename T, typename = std::enable_if_t<std::is_integral_v<T>>>
    TraceStream& operator<<(T value) {
        return *this << (std::is_signed_v<T> ? IntToText(int64_t(value))
                                             : UIntToText(uint64_t(value)));
    }
    // A single line feed, then a flush.
    TraceStream& operator<<(TraceEndLine);

    void Flush();
    int Pending() const { return pending_; }

  private:
    void Put(char c);

    Sink sink_;
    char buffer_[kBufferSize];
    int pending_ = 0;
};

} // namespace zelkor
