#include "package/file_info.h"

#include "util/lists.h"

namespace zelkor {
namespace {

// One length-prefixed list at `*position`, which must end by `limit`.
bool ReadList(ByteSource& source, uint64_t* position, uint64_t limit, Text* list) {
    if (*position > limit || limit - *position < 4) return false;
    bool ok = false;
    const uint32_t length = ReadU32At(source, *position, &ok);
    if (!ok || length > limit - *position - 4) return false;
    list->resize(length);
    if (length > 0 && source.ReadAt(*position + 4, &(*list)[0], length) != length) return false;
    *position += 4 + static_cast<uint64_t>(length);
    return true;
}

Text Item(const Text& list, int index) {
    return ListItem(list, index, Text());
}

} // namespace

TGFileInfo::TGFileInfo(const Text& path) {
    std::unique_ptr<ByteSource> source = OpenFileSource(path);
    if (source) Read(*source);
}

TGFileInfo::TGFileInfo(ByteSource& source) {
    Read(source);
}

void TGFileInfo::Read(ByteSource& source) {
    TrailerPlace place;
    if (!ReadTrailer(source, record_, &place) || record_.Magic() != PackageMagic) return;

    uint64_t position = record_.DataOffset();
    const bool complete =
        ReadList(source, &position, place.start, &languageTable_) &&
        ReadList(source, &position, place.start, &updateList_) &&
        (record_.ListCount() <= 2 || ReadList(source, &position, place.start, &webList_));
    if (!complete) {
        // Lists running past the trailer mean a damaged package: nothing of
        // it may steer the run, not even its flags.
        record_.Clear();
        languageTable_.clear();
        updateList_.clear();
        webList_.clear();
        return;
    }
    blocksOffset_ = position;
    hasPackage_ = true;
}

bool TGFileInfo::AskBeforeExtract() const {
    return record_.Flags() & kFlagAskBeforeExtract;
}
bool TGFileInfo::MoreVolumes() const {
    return record_.Flags() & kFlagMoreVolumes;
}
bool TGFileInfo::SpannedMedia() const {
    return record_.Flags() & kFlagSpannedMedia;
}
bool TGFileInfo::ShowActivityBar() const {
    return record_.Flags() & kFlagShowActivityBar;
}
bool TGFileInfo::AgentLog() const {
    return record_.Flags() & kFlagAgentLog;
}

Text TGFileInfo::GetUpdateBaseUrl() const {
    return Item(updateList_, 0);
}
Text TGFileInfo::GetInfoFileName() const {
    return FileNamePart(Item(updateList_, 1));
}
Text TGFileInfo::GetOriginalFileName() const {
    return BaseNameOfFileName(GetInfoFileName()) + ".original";
}
Text TGFileInfo::GetAgentExeName() const {
    return Item(updateList_, 2);
}
Text TGFileInfo::GetAgentTokenItem() const {
    return Item(updateList_, 3);
}
bool TGFileInfo::IsHiddenSetup() const {
    return Item(updateList_, 4) == "1";
}

Text TGFileInfo::GetWebBaseUrl() const {
    return Item(webList_, 0);
}
Text TGFileInfo::GetWebSetupName() const {
    return Item(webList_, 1);
}
bool TGFileInfo::SkipLocalWebSetup() const {
    return Item(webList_, 2) == "1";
}
Text TGFileInfo::GetWebTokenItem() const {
    return Item(webList_, 3);
}
Text TGFileInfo::GetWebSetupSize() const {
    return Item(webList_, 4);
}

double TGFileInfo::GetSpaceNeeded(const Text& path) const {
    return SpaceNeededForCluster(record_, GetClusterSize(path));
}

Text FileNamePart(const Text& path) {
    const size_t cut = path.find_last_of("\\/:");
    return cut == Text::npos ? path : path.substr(cut + 1);
}

Text BaseNameOfFileName(const Text& fileName) {
    return fileName.substr(0, fileName.find('.'));
}

bool ReadTrailer(const Text& path, TrailerRecord& record) {
    std::unique_ptr<ByteSource> source = OpenFileSource(path);
    return source && ReadTrailer(*source, record);
}

uint32_t ComputeChecksum(const Text& path, uint32_t trailerSize) {
    std::unique_ptr<ByteSource> source = OpenFileSource(path);
    // An empty file sums to 0.
    if (!source) return 0;
    return ComputeChecksum(*source, trailerSize);
}

} // namespace zelkor
