// The zlib wrapper: inflates one block's zlib stream (RFC 1950) as its
// bytes arrive, handing the output on in bounded windows, so that neither
// the block nor its content has to fit in memory. Errors are returned: this
// build has no exceptions.
#pragma once

#include <cstddef>
#include <zlib.h>

#include "util/text.h"

namespace zelkor {

class InflateOutput {
  public:
    virtual ~InflateOutput() = default;
    // False stops the inflation; the receiver knows why.
    virtual bool Inflated(const char* bytes, size_t count) = 0;
};

class ZlibInflater {
  public:
    ZlibInflater();
    ~ZlibInflater();
    ZlibInflater(const ZlibInflater&) = delete;
    ZlibInflater& operator=(const ZlibInflater&) = delete;

    // Inflates more input. Bytes after the end of the stream are ignored.
    // False on a zlib error (see ErrorText) or when the output stopped it.
    bool Feed(const char* bytes, size_t count, InflateOutput& output);
    // After the last input: false, with an error text, when the stream has
    // not reached its end.
    bool Finish();
    bool Ended() const { return ended_; }
    bool Failed() const { return failed_; }
    // zlib's own text for the failing result.
    const Text& ErrorText() const { return error_; }

  private:
    bool Fail(int result);

    z_stream stream_{};
    bool ready_ = false;
    bool ended_ = false;
    bool failed_ = false;
    Text window_;
    Text error_;
};

} // namespace zelkor
