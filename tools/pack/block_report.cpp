#include "block_report.h"

#include <memory>

#include "dos_time.h"
#include "package_report.h"
#include "package/block_header.h"
#include "package/block_stream.h"
#include "package/trailer.h"
#include "package/volume_names.h"
#include "util/lists.h"

namespace zelkor {
namespace {

constexpr uint64_t kTrailerRoom = 74;

// Keeps the header, counts the data.
class BlockSummary : public HeaderSplitter {
  public:
    const std::string& HeaderText() const { return header_; }
    uint64_t DataSize() const { return dataSize_; }

  protected:
    bool Header(const Text& header) override {
        header_ = header;
        return true;
    }
    bool Data(const char*, size_t count) override {
        dataSize_ += count;
        return true;
    }

  private:
    std::string header_;
    uint64_t dataSize_ = 0;
};

std::string FileBlockText(ByteSource& source, const BlockFrame& frame, std::string* problem) {
    BlockSummary summary;
    if (!StreamBlockContent(source, frame, summary, problem)) {
        if (problem->empty()) *problem = "a header longer than " + std::to_string(kMaxBlockHeader);
        return std::string();
    }
    if (!summary.HeaderSeen()) return " skipped (no header)";
    if (summary.HeaderText().empty()) return " skipped (empty header)";
    const BlockHeader header = ParseBlockHeader(summary.HeaderText());
    return " name=" + QuoteText(ListItem(summary.HeaderText(), 0, Text())) +
           " stamp=" + std::to_string(header.stamp) + " time=" + DosDateTimeText(header.stamp) +
           " data=" + std::to_string(summary.DataSize()) +
           (NameEscapesFolder(header.name) ? " escapes" : "");
}

} // namespace

std::string InspectBlocks(const std::string& firstVolume) {
    std::string report;
    const std::string base = VolumeBaseName(firstVolume);
    uint32_t blockCount = 0;
    std::string path = firstVolume;
    for (int number = 1;; path = VolumeFileName(base, ++number)) {
        const std::string volume = "Volume" + std::to_string(number);
        report += volume + ": " + QuoteText(path) + "\n";
        std::unique_ptr<ByteSource> source = OpenFileSource(path);
        if (!source) {
            report += volume + ".Missing: yes\n";
            break;
        }
        TrailerRecord record{};
        ReadTrailer(*source, record);
        const bool passes =
            ChecksumPasses(ComputeChecksum(*source, record.TrailerSize()), record.Checksum());
        report += volume + ".DataOffset: " + std::to_string(record.DataOffset()) + "\n";
        report += volume + ".ChecksumVerdict: " + (passes ? "PASS" : "FAIL") + "\n";
        if (record.Magic() != PackageMagic) {
            report += volume + ".MagicMatches: no\n";
        } else {
            uint64_t end = source->Size();
            if (IsPeImage(*source)) {
                const uint64_t logical = ReadLogicalSize(*source);
                if (logical > 0 && logical < end) end = logical;
            }
            for (uint64_t offset = record.DataOffset();
                 end > offset && end - offset > kTrailerRoom;) {
                BlockFrame frame;
                std::string problem;
                if (!ReadBlockFrame(*source, offset, end, &frame, &problem)) {
                    report += "BlocksProblem: " + problem + "\n";
                    return report;
                }
                offset = frame.next;
                ++blockCount;
                std::string line = "Block" + std::to_string(blockCount) +
                                   ": offset=" + std::to_string(frame.offset);
                // The lists are raw bytes behind a length, never inflated.
                if (blockCount <= record.ListCount()) {
                    report += line + " list length=" + std::to_string(frame.size) + "\n";
                    continue;
                }
                line += std::string(frame.Compressed() ? " zlib" : " stored") +
                        " length=" + std::to_string(frame.length);
                const std::string text = FileBlockText(*source, frame, &problem);
                if (!problem.empty()) {
                    report += line + "\nBlocksProblem: " + problem + "\n";
                    return report;
                }
                report += line + text + "\n";
            }
        }
        if (!(record.Flags() & kFlagMoreVolumes)) break;
    }
    report += "Blocks: " + std::to_string(blockCount) + "\n";
    return report;
}

} // namespace zelkor
