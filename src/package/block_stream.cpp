#include "package/block_stream.h"

#include <cstring>

#include "package/trailer.h"
#include "package/zlib_inflate.h"

namespace zelkor {
namespace {

// Passes inflated bytes to the block's sink.
class ToSink : public InflateOutput {
  public:
    explicit ToSink(BlockContentSink& sink) : sink_(sink) {}
    bool Inflated(const char* bytes, size_t count) override { return sink_.Content(bytes, count); }

  private:
    BlockContentSink& sink_;
};

} // namespace

bool ReadBlockFrame(ByteSource& source, uint64_t offset, uint64_t end, BlockFrame* frame,
                    Text* problem) {
    bool ok = false;
    const uint32_t raw = end >= 4 && offset <= end - 4 ? ReadU32At(source, offset, &ok) : 0;
    if (!ok) {
        *problem = "the block length at offset " + UIntToText(offset) + " cannot be read";
        return false;
    }
    const int32_t length = int32_t(raw);
    // The magnitude of -2^31 needs the unsigned negation.
    const uint32_t size = length < 0 ? 0u - raw : raw;
    if (size > end - offset - 4) {
        *problem = "the block at offset " + UIntToText(offset) + " (length " + IntToText(length) +
                   ") runs past the end of its volume";
        return false;
    }
    frame->offset = offset;
    frame->length = length;
    frame->size = size;
    frame->next = offset + 4 + size;
    return true;
}

namespace {

Text BlockAt(const BlockFrame& frame) {
    return "the block at offset " + UIntToText(frame.offset);
}

// Reads the block's bytes piece by piece and gives each to `consume`.
template <typename Consume>
bool ReadPieces(ByteSource& source, const BlockFrame& frame, BlockContentSink& sink, Text* problem,
                Consume consume) {
    Text piece(frame.size < kBlockReadPiece ? frame.size : kBlockReadPiece, '\0');
    uint64_t at = frame.offset + 4;
    uint32_t left = frame.size;
    while (left > 0) {
        const uint32_t want = left < kBlockReadPiece ? left : kBlockReadPiece;
        const uint32_t got = source.ReadAt(at, &piece[0], want);
        sink.PieceRead();
        if (got != want) {
            *problem = BlockAt(frame) + " cannot be read whole";
            return false;
        }
        at += got;
        left -= got;
        if (!consume(piece.data(), got)) return false;
    }
    return true;
}

} // namespace

bool StreamBlockContent(ByteSource& source, const BlockFrame& frame, BlockContentSink& sink,
                        Text* problem) {
    if (!frame.Compressed()) {
        return ReadPieces(source, frame, sink, problem, [&sink](const char* bytes, uint32_t n) {
            return sink.Content(bytes, n);
        });
    }
    ZlibInflater inflater;
    ToSink toSink(sink);
    const bool read = ReadPieces(source, frame, sink, problem,
                                 [&inflater, &toSink](const char* bytes, uint32_t n) {
                                     return inflater.Feed(bytes, n, toSink);
                                 });
    if (read && inflater.Finish()) return true;
    if (inflater.Failed()) *problem = BlockAt(frame) + " does not inflate: " + inflater.ErrorText();
    return false;
}

bool HeaderSplitter::Content(const char* bytes, size_t count) {
    if (seen_) return Data(bytes, count);
    const char* nul = static_cast<const char*>(std::memchr(bytes, '\0', count));
    const size_t headerPart = nul ? size_t(nul - bytes) : count;
    if (!tooLong_) {
        if (header_.size() + headerPart > kMaxBlockHeader) {
            tooLong_ = true;
            header_.clear();
        } else {
            header_.append(bytes, headerPart);
        }
    }
    if (!nul) return true;
    seen_ = true;
    if (tooLong_) return false;
    if (!Header(header_)) return false;
    const size_t rest = count - headerPart - 1;
    return rest == 0 || Data(nul + 1, rest);
}

} // namespace zelkor
