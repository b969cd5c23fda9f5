// The stream of length-prefixed blocks after the descriptor lists: where
// each block lies, and its content, read in pieces and inflated on the way,
// so that memory stays bounded whatever a length claims.
#pragma once

#include <cstddef>
#include <cstdint>

#include "package/byte_source.h"
#include "util/text.h"

namespace zelkor {

// The most one read of a block fetches before the window gets its turn.
constexpr uint32_t kBlockReadPiece = 65536;
// A header this long cannot hold a name any platform accepts.
constexpr size_t kMaxBlockHeader = 65536;

struct BlockFrame {
    uint64_t offset = 0; // of the length prefix
    int32_t length = 0;  // as stored: above 0 a zlib stream, else the content
    uint32_t size = 0;   // bytes after the prefix
    uint64_t next = 0;   // offset of the following block
    bool Compressed() const { return length > 0; }
};

// Reads the length prefix at `offset`. False, with the reason, when the
// prefix cannot be read or the block runs past `end`.
bool ReadBlockFrame(ByteSource& source, uint64_t offset, uint64_t end, BlockFrame* frame,
                    Text* problem);

class BlockContentSink {
  public:
    virtual ~BlockContentSink() = default;
    // False stops the reading; the sink knows why.
    virtual bool Content(const char* bytes, size_t count) = 0;
    // After every piece read from the volume.
    virtual void PieceRead() {}
};

// Reads the block's bytes in pieces of at most kBlockReadPiece, inflates a
// zlib block, and hands the content on in order. False on a short read or a
// zlib error (with the reason), or when the sink stopped (reason empty).
bool StreamBlockContent(ByteSource& source, const BlockFrame& frame, BlockContentSink& sink,
                        Text* problem);

// Splits a block's content at its first NUL into the header and the data.
class HeaderSplitter : public BlockContentSink {
  public:
    bool Content(const char* bytes, size_t count) override;
    // The content held a NUL, so the header is known (it may be empty).
    bool HeaderSeen() const { return seen_; }
    // The header ran past kMaxBlockHeader and a NUL followed: the reading
    // stopped there.
    bool HeaderTooLong() const { return tooLong_ && seen_; }

  protected:
    // False stops the reading.
    virtual bool Header(const Text& header) = 0;
    virtual bool Data(const char* bytes, size_t count) = 0;

  private:
    Text header_;
    bool seen_ = false;
    bool tooLong_ = false;
};

} // namespace zelkor
