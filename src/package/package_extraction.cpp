#include "package/package_extraction.h"

#include <climits>

#include "package/agent_copy.h"
#include "package/block_header.h"
#include "package/block_stream.h"
#include "package/file_info.h"
#include "package/save_failure.h"
#include "package/trailer.h"
#include "package/volume_names.h"

namespace zelkor {
namespace {

// The block loop stops when no more than a trailer's worth is left.
constexpr uint64_t kTrailerRoom = 74;
// Extracted data goes to disk in pieces of about this size, so that a
// block's content never has to be held whole.
constexpr size_t kWriteChunk = 1048576;
constexpr uint32_t kPromptWaitMs = 500;
constexpr uint32_t kFinishWaitMs = 500;

Text OffsetText(uint64_t offset) {
    return "the block at offset " + UIntToText(offset);
}

bool HasSeparator(const Text& name) {
    return name.find_first_of("\\/") != Text::npos;
}

Text FolderOf(const Text& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == Text::npos ? Text() : path.substr(0, cut);
}

bool LooksLikeAgentHost(const Text& volumePath) {
    return EndsWith(".exe", volumePath, true) || EndsWith(".exe.001", volumePath, true);
}

// Writes one block's data to the file its header names, appending.
class BlockWriter : public HeaderSplitter {
  public:
    BlockWriter(const Text& destination, ExtractHost& host, Text& runEntry, SaveFailures& failures,
                Text& pending)
        : destination_(destination), host_(host), runEntry_(runEntry), failures_(failures),
          pending_(pending) {
        pending_.clear();
    }

    void PieceRead() override { host_.PumpMessages(); }
    bool Escaped() const { return escaped_; }
    const Text& Name() const { return name_; }
    // After the whole content: the last write with the time stamp, and the
    // message for the first failed file of the process.
    void Finish();

  protected:
    bool Header(const Text& header) override;
    bool Data(const char* bytes, size_t count) override;

  private:
    void Write(uint32_t stamp);

    const Text& destination_;
    ExtractHost& host_;
    Text& runEntry_;
    SaveFailures& failures_;
    Text name_;
    Text target_;
    uint32_t stamp_ = 0;
    bool writing_ = false;
    bool escaped_ = false;
    bool failed_ = false;
    Text& pending_;
    uint64_t dataSize_ = 0;
    Text errorText_;
};

bool BlockWriter::Header(const Text& header) {
    if (header.empty()) return true;
    const BlockHeader parsed = ParseBlockHeader(header);
    if (parsed.marksRun) runEntry_ = parsed.runEntry;
    name_ = parsed.name;
    if (NameEscapesFolder(name_)) {
        escaped_ = true;
        return false;
    }
    target_ = destination_ + "\\" + name_;
    stamp_ = parsed.stamp;
    // Files in subfolders need their folder; the destination alone exists.
    if (HasSeparator(name_)) host_.CreateFolder(FolderOf(target_));
    // One step per new file: the pieces of a continued file count once.
    if (!host_.FileExists(target_)) host_.Progress(1, 0, 0, 0, 1, Text());
    writing_ = true;
    return true;
}

bool BlockWriter::Data(const char* bytes, size_t count) {
    dataSize_ += count;
    if (!writing_ || failed_) return true;
    pending_.append(bytes, count);
    if (pending_.size() >= kWriteChunk) Write(0);
    return true;
}

void BlockWriter::Write(uint32_t stamp) {
    if (!host_.WriteFile(target_, pending_, stamp, true)) {
        failed_ = true;
        // Taken at once: the size and space queries below change it.
        errorText_ = host_.LastErrorText();
    }
    pending_.clear();
}

void BlockWriter::Finish() {
    if (!writing_) return;
    if (!failed_) Write(stamp_);
    if (!failed_) return;
    if (failures_.count < INT_MAX) ++failures_.count;
    if (failures_.count != 1) return;
    host_.ShowError(target_ + "<P><P>Unable to save Extracted File!<P><P>" +
                    DescribeSaveFailure(errorText_, dataSize_, host_.FileSize(target_),
                                        host_.DiskFree(target_)));
}

class Extraction {
  public:
    Extraction(const ExtractOptions& options, ExtractHost& host, SaveFailures& failures)
        : options_(options), host_(host), failures_(failures) {
        record_.Clear();
        // Data is appended at most one read piece past a chunk. One buffer
        // for every block: a fresh one grown per block cost an allocation of
        // fresh pages for each block, more than the copying itself.
        pending_.reserve(kWriteChunk + kBlockReadPiece);
    }
    ExtractOutcome Run();

  private:
    enum class Step { NextVolume, Finish };

    Step ExtractVolume(int number, const Text& path);
    void CreateDestination();
    bool ReadBlocks(ByteSource& source, uint64_t offset, uint64_t end);
    bool ExtractBlock(ByteSource& source, const BlockFrame& frame);
    void WriteAgentCopy(ByteSource& source, const Text& volumePath);
    bool AskForVolume(int number, const Text& path);
    void Damaged(const Text& reason);

    const ExtractOptions& options_;
    ExtractHost& host_;
    SaveFailures& failures_;
    ExtractOutcome outcome_;
    TrailerRecord record_;
    // Counted over all volumes: only volume 1 carries the lists.
    uint32_t blockCount_ = 0;
    uint64_t listsEnd_ = 0;
    Text pending_;
};

ExtractOutcome Extraction::Run() {
    const uint32_t start = host_.TickCount();
    bool proceed = true;
    const Text base = VolumeBaseName(options_.volumePath);
    int number = 1;
    Text path = options_.volumePath;
    host_.Progress(0, 0, 0, 0, 1, Text());
    for (;;) {
        if (host_.FileExists(path)) {
            if (ExtractVolume(number, path) == Step::Finish) break;
        } else if (number == 1) {
            outcome_.damage = "the package file is missing: " + path;
        }
        if (!(record_.Flags() & kFlagMoreVolumes)) break;
        host_.RefuseAutoPlay();
        ++number;
        path = VolumeFileName(base, number);
        if (options_.forcePrompt || !host_.FileExists(path)) proceed = AskForVolume(number, path);
        host_.Progress(1, 0, 0, 0, 1, Text());
        if (!proceed) break;
    }
    if (!proceed) {
        outcome_.runEntry.clear();
        outcome_.cancelled = true;
    }
    host_.TraceLine(Text());
    host_.TraceLine("UnCompressTime: " + UIntToText(host_.TickCount() - start) + " MS");
    host_.WaitPumping(kFinishWaitMs);
    return outcome_;
}

Extraction::Step Extraction::ExtractVolume(int number, const Text& path) {
    const std::unique_ptr<ByteSource> source = host_.OpenVolume(path);
    if (!source) {
        Damaged("volume " + IntToText(number) + " cannot be opened: " + path);
        return Step::Finish;
    }
    record_.Clear();
    ReadTrailer(*source, record_);
    const uint64_t offset = record_.DataOffset();
    if (number == 1) host_.TraceLine("FileInfo.FilesCount=" + UIntToText(record_.FileCount()));

    const uint32_t computed = ComputeChecksum(*source, record_.TrailerSize());
    outcome_.packageValid = ChecksumPasses(computed, record_.Checksum());
    if (!outcome_.packageValid) {
        // The run entry found so far stays; the caller runs nothing anyway.
        outcome_.damage =
            "the checksum of volume " + IntToText(number) + " does not match: " + path;
        host_.TraceLine("Damaged package: " + outcome_.damage);
        return Step::Finish;
    }

    uint64_t end = source->Size();
    if (IsPeImage(*source)) {
        const uint64_t logical = ReadLogicalSize(*source);
        if (logical > 0 && logical < end) end = logical;
    }
    host_.TraceLine("FileLen=" + UIntToText(end));
    if (record_.Magic() != PackageMagic) return Step::NextVolume;

    if (number == 1) {
        const uint32_t files = record_.FileCount();
        host_.Progress(0, 0, files > INT_MAX ? INT_MAX : int(files), 0, 1, Text());
    }
    CreateDestination();
    if (!ReadBlocks(*source, offset, end)) return Step::Finish;
    if (number == 1 && !FileNamePart(options_.agentName).empty() && LooksLikeAgentHost(path))
        WriteAgentCopy(*source, path);
    return Step::NextVolume;
}

void Extraction::CreateDestination() {
    host_.CreateFolder(options_.destination);
    // Only an empty name is reported here; a folder that cannot be made
    // shows in the writes into it.
    if (options_.destination.empty())
        host_.ShowError(options_.destination + "<P><P>Unable to create Directory!<P><P>" +
                        host_.LastErrorText());
}

bool Extraction::ReadBlocks(ByteSource& source, uint64_t offset, uint64_t end) {
    while (end > offset && end - offset > kTrailerRoom) {
        host_.PumpMessages();
        BlockFrame frame;
        Text problem;
        if (!ReadBlockFrame(source, offset, end, &frame, &problem)) {
            Damaged(problem);
            return false;
        }
        offset = frame.next;
        ++blockCount_;
        // The lists have the shape of blocks and are passed over.
        const uint32_t lists = record_.ListCount();
        if (blockCount_ == lists) listsEnd_ = offset;
        if (blockCount_ > lists && !ExtractBlock(source, frame)) return false;
    }
    return true;
}

bool Extraction::ExtractBlock(ByteSource& source, const BlockFrame& frame) {
    BlockWriter writer(options_.destination, host_, outcome_.runEntry, failures_, pending_);
    Text problem;
    const bool complete = StreamBlockContent(source, frame, writer, &problem);
    if (writer.Escaped()) {
        Damaged(OffsetText(frame.offset) +
                " names a file outside the destination: " + writer.Name());
        return false;
    }
    if (writer.HeaderTooLong()) {
        Damaged(OffsetText(frame.offset) + " has a header longer than " +
                UIntToText(kMaxBlockHeader) + " bytes");
        return false;
    }
    if (!complete) {
        Damaged(problem);
        return false;
    }
    writer.Finish();
    return true;
}

void Extraction::WriteAgentCopy(ByteSource& source, const Text& volumePath) {
    Text copy;
    if (!MakeAgentCopy(source, listsEnd_, &copy)) {
        host_.TraceLine("No AU-Agent: the volume holds no stub with lists");
        return;
    }
    const Text target = options_.destination + "\\" + FileNamePart(options_.agentName);
    host_.WriteFile(target, copy, host_.FileDosDate(volumePath), false);
    host_.TraceLine(UIntToText(host_.ProcessId()) + " New AU-Agent: " + target);
}

bool Extraction::AskForVolume(int number, const Text& path) {
    host_.EjectDisk(path);
    bool proceed = true;
    do {
        // From the original text each time, so every disk shows its number.
        const Text prompt =
            ReplaceAllIgnoreCase(options_.promptText, "<DISK_NUM>", IntToText(number));
        proceed = host_.AskForDisk(prompt, options_.promptTitle, options_.buttonCaptions,
                                   options_.charset);
        host_.WaitPumping(kPromptWaitMs);
    } while (!host_.FileExists(path) && proceed);
    return proceed;
}

void Extraction::Damaged(const Text& reason) {
    outcome_.packageValid = false;
    outcome_.runEntry.clear();
    outcome_.damage = reason;
    host_.TraceLine("Damaged package: " + reason);
}

} // namespace

ExtractOutcome ExtractPackage(const ExtractOptions& options, ExtractHost& host,
                              SaveFailures& failures) {
    return Extraction(options, host, failures).Run();
}

} // namespace zelkor
