// TGFileInfo: the descriptor of a package file (trailer and descriptor lists).
#pragma once

#include <string>

#include "package/trailer.h"
#include "util/text.h"

namespace zelkor {

class TGFileInfo {
  public:
    // Missing file or empty path: zero record, empty lists.
    explicit TGFileInfo(const Text& path);
    explicit TGFileInfo(ByteSource& source);

    const TrailerRecord& Record() const { return record_; }
    // True when the magic matched and the descriptor lists lay within the
    // package; a damaged package reads as none (zero record, empty lists).
    bool HasPackage() const { return hasPackage_; }

    const Text& LanguageTable() const { return languageTable_; }
    const Text& UpdateList() const { return updateList_; }
    const Text& WebList() const { return webList_; }
    // Offset of the first byte after the descriptor lists (the first block).
    uint64_t BlocksOffset() const { return blocksOffset_; }

    bool AskBeforeExtract() const;
    bool MoreVolumes() const;
    bool SpannedMedia() const;
    bool ShowActivityBar() const;
    bool AgentLog() const;
    uint8_t WebInstaller() const { return record_.WebInstaller(); }
    uint8_t ConfirmDownload() const { return record_.ConfirmDownload(); }
    uint8_t CreateAgent() const { return record_.CreateAgent(); }
    uint8_t AutoUpdateProg() const { return record_.AutoUpdateProg(); }

    Text GetUpdateBaseUrl() const;
    Text GetInfoFileName() const;
    Text GetOriginalFileName() const;
    Text GetAgentExeName() const;
    Text GetAgentTokenItem() const;
    bool IsHiddenSetup() const;
    Text GetWebBaseUrl() const;
    Text GetWebSetupName() const;
    bool SkipLocalWebSetup() const;
    Text GetWebTokenItem() const;
    Text GetWebSetupSize() const;

    // Bytes needed on the drive of `path` (cluster size from the platform).
    double GetSpaceNeeded(const Text& path) const;

    // Localised texts from the language table, in the user's language with
    // English as the fallback; the default where there is no translation.
    Text GetLangText(const Text& key, const Text& defaultValue) const;
    int GetLangCharset() const;
    int GetLangFontSize() const;
    Text GetLangFontName() const;

  private:
    void Read(ByteSource& source);

    TrailerRecord record_{};
    Text languageTable_;
    Text updateList_;
    Text webList_;
    uint64_t blocksOffset_ = 0;
    bool hasPackage_ = false;
};

// File-name part of a path (after the last backslash, slash or drive colon).
Text FileNamePart(const Text& path);
// File-name part cut before its first "." (".exe" gives the empty text).
Text BaseNameOfFileName(const Text& fileName);

// Cluster size in bytes of the drive whose root is the first three
// characters of `path`; 0 when the query fails (Windows layer).
uint32_t GetClusterSize(const Text& path);
// The path forms of ReadTrailer and ComputeChecksum; a file that cannot be
// opened reads as an empty one.
bool ReadTrailer(const Text& path, TrailerRecord& record);
uint32_t ComputeChecksum(const Text& path, uint32_t trailerSize);

} // namespace zelkor
