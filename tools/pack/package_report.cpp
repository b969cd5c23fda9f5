#include "package_report.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "package/file_info.h"
#include "package/tokens.h"

namespace zelkor {
namespace {

// Item 3 of the update and web lists: only its length is shown.
constexpr int kTokenItem = 3;

class Report {
  public:
    void Line(const std::string& name, const std::string& value) {
        text_ += name + ": " + value + "\n";
    }
    void Number(const std::string& name, uint64_t value) { Line(name, std::to_string(value)); }
    void YesNo(const std::string& name, bool value) { Line(name, value ? "yes" : "no"); }
    void Quoted(const std::string& name, const std::string& value) { Line(name, QuoteText(value)); }
    std::string Take() { return std::move(text_); }

  private:
    std::string text_;
};

std::string Hex(uint64_t value, int digits) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%0*llX", digits,
                  static_cast<unsigned long long>(value));
    return buffer;
}

std::string HexBytes(const uint8_t* bytes, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        char buffer[4];
        std::snprintf(buffer, sizeof buffer, "%02X", bytes[i]);
        if (i > 0) out += ' ';
        out += buffer;
    }
    return out;
}

void ListLines(Report& report, const std::string& name, const std::string& list, bool present,
               bool hasToken) {
    report.Line(name, present ? "present" : "absent");
    if (!present) return;
    report.Number(name + ".Length", list.size());
    if (list.empty()) return;
    const char delimiter = list[0];
    report.Quoted(name + ".Delimiter", std::string(1, delimiter));
    std::vector<std::string> items;
    size_t start = 1;
    for (size_t i = 1; i < list.size(); ++i) {
        if (list[i] != delimiter) continue;
        items.push_back(list.substr(start, i - start));
        start = i + 1;
    }
    report.Number(name + ".Items", items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string itemName = name + ".Item" + std::to_string(i);
        if (hasToken && i == kTokenItem) {
            report.Line(itemName, "(token, " + std::to_string(items[i].size()) + " characters)");
        } else {
            report.Quoted(itemName, items[i]);
        }
    }
    // Bytes after the last delimiter belong to no item.
    if (start < list.size()) report.Quoted(name + ".Unterminated", list.substr(start));
}

// A publisher's secret: its clear text only on request.
void TokenLines(Report& report, const std::string& name, const TokenText& token, bool showTokens) {
    report.YesNo(name + "Decodes", token.decoded);
    if (showTokens && token.decoded) report.Quoted(name + "Text", token.clear);
}

} // namespace

std::string QuoteText(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c >= 0x7F || c == '"') {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string InspectReport(ByteSource& source, bool showTokens) {
    Report report;
    report.Number("PhysicalSize", source.Size());
    report.YesNo("PeImage", IsPeImage(source));
    report.Number("LogicalSize", ReadLogicalSize(source));

    TrailerRecord found{};
    TrailerPlace place;
    const bool trailerFound = ReadTrailer(source, found, &place);
    report.YesNo("TrailerFound", trailerFound);
    if (trailerFound) {
        report.Number("LogicalEnd", place.logicalEnd);
        report.Number("TrailerOffset", place.start);
    }

    // The trailer is shown as found; the lists as the stub sees them, where
    // a damaged package reads as none.
    const TrailerRecord& r = found;
    const TGFileInfo info(source);
    report.Number("TrailerSize", r.TrailerSize());
    report.Number("Reserved0", r.Reserved0());
    report.Number("ListCount", r.ListCount());
    report.Line("Reserved2", HexBytes(r.bytes + 2, 2));
    report.Number("DataOffset", r.DataOffset());
    report.Number("FileCount", r.FileCount());
    report.Line("Magic", Hex(r.Magic(), 8));
    report.YesNo("MagicMatches", r.Magic() == PackageMagic);
    const uint32_t computed = ComputeChecksum(source, r.TrailerSize());
    report.Number("ChecksumStored", r.Checksum());
    report.Number("ChecksumComputed", computed);
    report.Line("ChecksumVerdict", ChecksumPasses(computed, r.Checksum()) ? "PASS" : "FAIL");
    report.Line("Reserved20", HexBytes(r.bytes + 20, 8));
    for (int i = 0; i < kSpaceTableEntries; ++i)
        report.Number("SpaceTable" + std::to_string(i), r.SpaceTable(i));
    report.Number("Reserved64", r.bytes[64]);
    report.Line("Flags", Hex(r.Flags(), 2));
    report.YesNo("AskBeforeExtract", r.Flags() & kFlagAskBeforeExtract);
    report.YesNo("MoreVolumes", r.Flags() & kFlagMoreVolumes);
    report.YesNo("SpannedMedia", r.Flags() & kFlagSpannedMedia);
    report.YesNo("ShowActivityBar", r.Flags() & kFlagShowActivityBar);
    report.YesNo("AgentLog", r.Flags() & kFlagAgentLog);
    report.Number("WebInstaller", r.WebInstaller());
    report.Number("ConfirmDownload", r.ConfirmDownload());
    report.Number("CreateAgent", r.CreateAgent());
    report.Number("AutoUpdateProg", r.AutoUpdateProg());

    const bool package = info.HasPackage();
    report.YesNo("Package", package);
    if (package) report.Number("BlocksOffset", info.BlocksOffset());
    ListLines(report, "LanguageTable", info.LanguageTable(), package, false);
    ListLines(report, "UpdateList", info.UpdateList(), package, true);
    ListLines(report, "WebList", info.WebList(), package && info.Record().ListCount() > 2, true);

    report.Quoted("UpdateBaseUrl", info.GetUpdateBaseUrl());
    report.Quoted("InfoFile", info.GetInfoFileName());
    report.Quoted("OriginalFile", info.GetOriginalFileName());
    report.Quoted("AgentName", info.GetAgentExeName());
    report.Number("AgentTokenLength", info.GetAgentTokenItem().size());
    TokenLines(report, "AgentToken", GetAgentToken(info), showTokens);
    report.YesNo("HiddenSetup", info.IsHiddenSetup());
    report.Quoted("WebBaseUrl", info.GetWebBaseUrl());
    report.Quoted("WebSetupName", info.GetWebSetupName());
    report.YesNo("SkipLocalWebSetup", info.SkipLocalWebSetup());
    report.Number("WebTokenLength", info.GetWebTokenItem().size());
    TokenLines(report, "WebToken", GetWebToken(info), showTokens);
    report.Quoted("WebSetupSize", info.GetWebSetupSize());
    return report.Take();
}

} // namespace zelkor
