// The command line of zelkor-pack.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "package_builder.h"
#include "volume_layout.h"

namespace zelkor {

enum class PackCommand { Help, Build, Inspect, Extract, Token, TokenFile };

// Bytes to add after the logical end: a file's content, or `count` filler
// bytes when `file` is empty.
struct AppendPiece {
    std::string file;
    uint64_t count = 0;
};

struct BuildOptions {
    std::string stubPath;
    std::string outPath;
    std::string languageListFile;
    // A language file ([language] sections of key=value lines).
    std::string languagesFile;
    std::string updateListFile;
    std::string webListFile;
    // Item options by index; items not given keep their defaults.
    std::map<int, std::string> updateItems;
    std::map<int, std::string> webItems;
    // Clear token texts, scrambled into update and web item 3.
    std::string agentTokenText;
    std::string webTokenText;
    std::vector<AppendPiece> appends;
    // Files and folders to pack (PATH or PATH=NAME), and the run entry.
    std::vector<std::string> adds;
    std::string run;
    LayoutOptions layout;
    bool fileCountGiven = false;
    // Trailer fields and switches; the lists and blocks are filled later.
    PackageDescription package;
};

// `token-file`: the page comes from a file or is given as text.
struct TokenFileOptions {
    std::string token;
    std::string outPath;
    bool scramble = false;
    std::string url;
    std::string pageFile;
    std::string pageText;
};

struct PackCommandLine {
    PackCommand command = PackCommand::Help;
    BuildOptions build;
    std::string inspectPath;
    bool inspectBlocks = false;
    bool inspectShowTokens = false;
    std::string extractPackage;
    std::string extractDestination;
    std::string tokenText;
    TokenFileOptions tokenFile;
};

// `args` excludes the program name. False with a message for anything it
// does not understand.
bool ParsePackCommandLine(const std::vector<std::string>& args, PackCommandLine* out,
                          std::string* error);

const char* PackHelpText();

// Decimal, or hexadecimal after "0x"; the whole text must be the number.
bool ParseU32(const std::string& text, uint32_t* value);
bool ParseU64(const std::string& text, uint64_t* value);

} // namespace zelkor
