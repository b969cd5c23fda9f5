#include "commands.h"

#include <memory>

#include "extract_command.h"
#include "file_io.h"
#include "package_report.h"
#include "block_report.h"
#include "language_file.h"
#include "package/volume_names.h"
#include "token_writer.h"

namespace zelkor {
namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr char kAppendFiller = '\xA5';

bool ListFromItems(ListItems items, const std::map<int, std::string>& given, const char* name,
                   std::string* list, std::string* error) {
    for (const auto& entry : given) {
        if (static_cast<size_t>(entry.first) >= items.size()) items.resize(entry.first + 1);
        items[entry.first] = entry.second;
    }
    if (BuildList(items, list)) return true;
    *error = std::string("no free delimiter for the ") + name +
             ": its items use every candidate character";
    return false;
}

bool ReadPart(const std::string& path, const char* what, std::string* bytes, std::string* error) {
    if (ReadWholeFile(path, bytes, error)) return true;
    *error = std::string(what) + ": " + *error;
    return false;
}

int RunBuild(const BuildOptions& options, std::FILE* out, std::FILE* err) {
    std::vector<std::string> volumes;
    std::string error;
    if (!BuildVolumesFromOptions(options, &volumes, &error)) {
        std::fprintf(err, "zelkor-pack: error: %s\n", error.c_str());
        return kExitFailure;
    }
    std::vector<std::pair<std::string, std::string>> files;
    const std::string base = VolumeBaseName(options.outPath);
    for (size_t i = 0; i < volumes.size(); ++i) {
        const std::string path =
            i == 0 ? options.outPath : VolumeFileName(base, static_cast<int>(i + 1));
        files.emplace_back(path, std::move(volumes[i]));
    }
    if (!WriteFilesReplacing(files, &error)) {
        std::fprintf(err, "zelkor-pack: error: %s\n", error.c_str());
        return kExitFailure;
    }
    for (const auto& file : files)
        std::fprintf(out, "wrote %s (%llu bytes)\n", file.first.c_str(),
                     static_cast<unsigned long long>(file.second.size()));
    return 0;
}

int RunInspect(const std::string& path, bool blocks, bool showTokens, std::FILE* out,
               std::FILE* err) {
    std::unique_ptr<ByteSource> source = OpenFileSource(path);
    if (!source) {
        std::fprintf(err, "zelkor-pack: error: cannot open %s\n", path.c_str());
        return kExitFailure;
    }
    std::fprintf(out, "File: %s\n%s", QuoteText(path).c_str(),
                 InspectReport(*source, showTokens).c_str());
    if (blocks) std::fputs(InspectBlocks(path).c_str(), out);
    return 0;
}

int RunToken(const std::string& clear, std::FILE* out) {
    TokenRandom random(FreshTokenSeed());
    std::fprintf(out, "%s\n", EncodeToken(clear, random).c_str());
    return 0;
}

int RunTokenFile(const TokenFileOptions& options, std::FILE* out, std::FILE* err) {
    std::string page = options.pageText;
    std::string text;
    std::string error;
    TokenRandom random(FreshTokenSeed());
    if ((!options.pageFile.empty() && !ReadPart(options.pageFile, "page", &page, &error)) ||
        !TokenFileText(options.token, options.url, page, options.scramble, random, &text, &error) ||
        !WriteFileReplacing(options.outPath, text, &error)) {
        std::fprintf(err, "zelkor-pack: error: %s\n", error.c_str());
        return kExitFailure;
    }
    std::fprintf(out, "wrote %s (%llu bytes)\n", options.outPath.c_str(),
                 static_cast<unsigned long long>(text.size()));
    return 0;
}

} // namespace

bool BuildVolumesFromOptions(const BuildOptions& options, std::vector<std::string>* volumes,
                             std::string* error) {
    std::string stubFile;
    std::string image;
    if (!ReadPart(options.stubPath, "stub", &stubFile, error)) return false;
    if (!StubImageOf(stubFile, &image, error)) {
        *error = "stub " + options.stubPath + ": " + *error;
        return false;
    }

    PackageDescription package = options.package;
    if (!options.languageListFile.empty() &&
        !ReadPart(options.languageListFile, "language table", &package.languageTable, error))
        return false;
    if (!options.languagesFile.empty() &&
        !ReadLanguageFile(options.languagesFile, &package.languageTable, error))
        return false;
    if (!options.updateListFile.empty()) {
        if (!ReadPart(options.updateListFile, "update list", &package.updateList, error))
            return false;
    } else if (!ListFromItems(DefaultUpdateItems(), options.updateItems, "update list",
                              &package.updateList, error)) {
        return false;
    }
    if (!options.webListFile.empty()) {
        if (!ReadPart(options.webListFile, "web list", &package.webList, error)) return false;
    } else if (!options.webItems.empty() && !ListFromItems(ListItems(5), options.webItems,
                                                           "web list", &package.webList, error)) {
        return false;
    }
    for (const AppendPiece& piece : options.appends) {
        if (piece.file.empty()) {
            package.afterLogicalEnd.append(piece.count, kAppendFiller);
            continue;
        }
        std::string bytes;
        if (!ReadPart(piece.file, "appended file", &bytes, error)) return false;
        package.afterLogicalEnd += bytes;
    }
    std::vector<PackedFile> files;
    if (!CollectFiles(options.adds, &files, error)) return false;
    if (!options.run.empty() && !MarkRunEntry(options.run, &files, error)) return false;
    if (!files.empty()) {
        for (const PackedFile& file : files)
            package.fileSizes.push_back(file.size);
        if (!options.fileCountGiven) package.fileCount = static_cast<uint32_t>(files.size());
    }
    return BuildVolumes(image, package, files, options.layout, volumes, error);
}

int RunPack(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    PackCommandLine line;
    std::string error;
    if (!ParsePackCommandLine(args, &line, &error)) {
        std::fprintf(err, "zelkor-pack: error: %s\n", error.c_str());
        return kExitUsage;
    }
    switch (line.command) {
    case PackCommand::Help:
        std::fputs(PackHelpText(), out);
        return 0;
    case PackCommand::Build:
        return RunBuild(line.build, out, err);
    case PackCommand::Inspect:
        return RunInspect(line.inspectPath, line.inspectBlocks, line.inspectShowTokens, out, err);
    case PackCommand::Extract:
        return RunExtract(line.extractPackage, line.extractDestination, out, err);
    case PackCommand::Token:
        return RunToken(line.tokenText, out);
    case PackCommand::TokenFile:
        return RunTokenFile(line.tokenFile, out, err);
    }
    return kExitUsage;
}

} // namespace zelkor
