#include "options.h"

#include <functional>

#include "token_writer.h"

namespace zelkor {
namespace {

constexpr uint64_t kMaxAppendBytes = 1ull << 30;

// How an option takes its value: always (next argument or after "="),
// never, or optionally after "=" with a default.
enum class Arity { Value, Flag, Optional };

struct OptionRule {
    const char* name;
    Arity arity;
    const char* defaultValue; // Arity::Optional only
    std::function<bool(const std::string&, std::string*)> apply;
};

bool ParseByte(const std::string& text, uint8_t* value) {
    uint32_t v = 0;
    if (!ParseU32(text, &v) || v > 0xFF) return false;
    *value = static_cast<uint8_t>(v);
    return true;
}

bool ParseHex32(std::string text, uint32_t* value) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = text.substr(2);
    return ParseU32("0x" + text, value);
}

bool ParseSpaceTable(const std::string& text, uint32_t table[kSpaceTableEntries]) {
    uint32_t parsed[kSpaceTableEntries] = {};
    int count = 0;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string piece =
            text.substr(start, comma == std::string::npos ? comma : comma - start);
        if (count == kSpaceTableEntries || !ParseU32(piece, &parsed[count])) return false;
        ++count;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    for (int i = 0; i < kSpaceTableEntries; ++i)
        table[i] = parsed[i];
    return true;
}

bool Fail(std::string* error, const std::string& message) {
    *error = message;
    return false;
}

std::vector<OptionRule> BuildOptionRules(BuildOptions& o, bool* listCountGiven) {
    PackageDescription& p = o.package;
    auto text = [](std::string* target) {
        return [target](const std::string& v, std::string* error) {
            if (v.empty()) return Fail(error, "needs a non-empty value");
            *target = v;
            return true;
        };
    };
    auto item = [](std::map<int, std::string>* items, int index) {
        return [items, index](const std::string& v, std::string*) {
            (*items)[index] = v;
            return true;
        };
    };
    auto flag = [&p](uint8_t bit) {
        return [&p, bit](const std::string&, std::string*) {
            p.flags |= bit;
            return true;
        };
    };
    auto byte = [](uint8_t* target) {
        return [target](const std::string& v, std::string* error) {
            return ParseByte(v, target) || Fail(error, "expects a number from 0 to 255");
        };
    };
    return {
        {"--stub", Arity::Value, nullptr, text(&o.stubPath)},
        {"--out", Arity::Value, nullptr, text(&o.outPath)},
        {"--list-count", Arity::Value, nullptr,
         [&p, listCountGiven](const std::string& v, std::string* error) {
             uint32_t n = 0;
             if (!ParseU32(v, &n) || (n != 0 && n != 2 && n != 3))
                 return Fail(error, "expects 2 or 3 (or 0, which reads as 2)");
             p.listCount = static_cast<uint8_t>(n);
             *listCountGiven = true;
             return true;
         }},
        {"--lang-list", Arity::Value, nullptr, text(&o.languageListFile)},
        {"--languages", Arity::Value, nullptr, text(&o.languagesFile)},
        {"--update-list", Arity::Value, nullptr, text(&o.updateListFile)},
        {"--web-list", Arity::Value, nullptr, text(&o.webListFile)},
        {"--update-base-url", Arity::Value, nullptr, item(&o.updateItems, 0)},
        {"--info-file", Arity::Value, nullptr, item(&o.updateItems, 1)},
        {"--agent-name", Arity::Value, nullptr, item(&o.updateItems, 2)},
        {"--agent-token", Arity::Value, nullptr, item(&o.updateItems, 3)},
        {"--agent-token-text", Arity::Value, nullptr, text(&o.agentTokenText)},
        {"--hidden-setup", Arity::Optional, "1", item(&o.updateItems, 4)},
        {"--web-base-url", Arity::Value, nullptr, item(&o.webItems, 0)},
        {"--web-setup-name", Arity::Value, nullptr, item(&o.webItems, 1)},
        {"--skip-local-web-setup", Arity::Optional, "1", item(&o.webItems, 2)},
        {"--web-token", Arity::Value, nullptr, item(&o.webItems, 3)},
        {"--web-token-text", Arity::Value, nullptr, text(&o.webTokenText)},
        {"--web-setup-size", Arity::Value, nullptr, item(&o.webItems, 4)},
        {"--ask-before-extract", Arity::Flag, nullptr, flag(kFlagAskBeforeExtract)},
        {"--more-volumes", Arity::Flag, nullptr, flag(kFlagMoreVolumes)},
        {"--spanned-media", Arity::Flag, nullptr, flag(kFlagSpannedMedia)},
        {"--show-activity-bar", Arity::Flag, nullptr, flag(kFlagShowActivityBar)},
        {"--agent-log", Arity::Flag, nullptr, flag(kFlagAgentLog)},
        {"--web-installer", Arity::Optional, "1", byte(&p.webInstaller)},
        {"--confirm-download", Arity::Optional, "1", byte(&p.confirmDownload)},
        {"--create-agent", Arity::Optional, "1", byte(&p.createAgent)},
        {"--auto-update-prog", Arity::Optional, "1", byte(&p.autoUpdateProg)},
        {"--file-count", Arity::Value, nullptr,
         [&o](const std::string& v, std::string* error) {
             o.fileCountGiven = true;
             return ParseU32(v, &o.package.fileCount) ||
                    Fail(error, "expects a 32-bit unsigned number");
         }},
        {"--checksum", Arity::Value, nullptr,
         [&p](const std::string& v, std::string* error) {
             if (v == "auto") {
                 p.checksumMode = ChecksumMode::Auto;
             } else if (v == "off") {
                 p.checksumMode = ChecksumMode::Off;
             } else if (ParseU32(v, &p.checksumValue)) {
                 p.checksumMode = ChecksumMode::Fixed;
             } else {
                 return Fail(error, "expects auto, off or a 32-bit number");
             }
             return true;
         }},
        {"--space-table", Arity::Value, nullptr,
         [&p](const std::string& v, std::string* error) {
             if (!ParseSpaceTable(v, p.spaceTable))
                 return Fail(error, "expects 1 to 9 comma-separated 32-bit numbers");
             p.spaceTableGiven = true;
             return true;
         }},
        {"--trailer-size", Arity::Value, nullptr,
         [&p](const std::string& v, std::string* error) {
             if (!ParseU32(v, &p.trailerSize) || p.trailerSize > kTrailerRecordSize)
                 return Fail(error, "expects a number from 0 to 74");
             return true;
         }},
        {"--magic", Arity::Value, nullptr,
         [&p](const std::string& v, std::string* error) {
             return ParseHex32(v, &p.magic) || Fail(error, "expects a hexadecimal 32-bit number");
         }},
        {"--no-logical-size", Arity::Flag, nullptr,
         [&p](const std::string&, std::string*) {
             p.writeLogicalSize = false;
             return true;
         }},
        {"--append-file", Arity::Value, nullptr,
         [&o](const std::string& v, std::string* error) {
             if (v.empty()) return Fail(error, "needs a non-empty value");
             o.appends.push_back({v, 0});
             return true;
         }},
        {"--add", Arity::Value, nullptr,
         [&o](const std::string& v, std::string* error) {
             if (v.empty()) return Fail(error, "needs a non-empty value");
             o.adds.push_back(v);
             return true;
         }},
        {"--run", Arity::Value, nullptr, text(&o.run)},
        {"--level", Arity::Value, nullptr,
         [&o](const std::string& v, std::string* error) {
             uint32_t n = 0;
             if (!ParseU32(v, &n) || n > 9) return Fail(error, "expects a zlib level from 0 to 9");
             o.layout.level = static_cast<int>(n);
             return true;
         }},
        {"--piece-size", Arity::Value, nullptr,
         [&o](const std::string& v, std::string* error) {
             uint64_t n = 0;
             if (!ParseU64(v, &n) || n == 0 || n > kMaxPieceSize)
                 return Fail(error, "expects a number of bytes from 1 to 1 GiB");
             o.layout.pieceSize = n;
             return true;
         }},
        {"--volume-size", Arity::Value, nullptr,
         [&o](const std::string& v, std::string* error) {
             uint64_t n = 0;
             if (!ParseU64(v, &n) || n == 0 || n > 0xFFFFFFFFu)
                 return Fail(error, "expects a number of bytes from 1 to 4 GiB - 1");
             o.layout.volumeSize = n;
             return true;
         }},
        {"--append-bytes", Arity::Value, nullptr,
         [&o](const std::string& v, std::string* error) {
             uint64_t n = 0;
             if (!ParseU64(v, &n) || n > kMaxAppendBytes)
                 return Fail(error, "expects a number of bytes up to 1 GiB");
             o.appends.push_back({std::string(), n});
             return true;
         }},
    };
}

// Scrambled here, so that the item options and list files see the items.
bool ScrambleTokenTexts(BuildOptions& o, std::string* error) {
    constexpr int kTokenItem = 3;
    if (!o.agentTokenText.empty() && o.updateItems.count(kTokenItem))
        return Fail(error, "--agent-token-text cannot be combined with --agent-token");
    if (!o.webTokenText.empty() && o.webItems.count(kTokenItem))
        return Fail(error, "--web-token-text cannot be combined with --web-token");
    TokenRandom random(FreshTokenSeed());
    if (!o.agentTokenText.empty())
        o.updateItems[kTokenItem] = EncodeToken(o.agentTokenText, random);
    if (!o.webTokenText.empty()) o.webItems[kTokenItem] = EncodeToken(o.webTokenText, random);
    return true;
}

bool ParseBuild(const std::vector<std::string>& args, PackCommandLine* out, std::string* error) {
    BuildOptions& o = out->build;
    bool listCountGiven = false;
    const std::vector<OptionRule> rules = BuildOptionRules(o, &listCountGiven);
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out->command = PackCommand::Help;
            return true;
        }
        if (arg.compare(0, 2, "--") != 0) return Fail(error, "unexpected argument '" + arg + "'");
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionRule* rule = nullptr;
        for (const OptionRule& r : rules)
            if (name == r.name) rule = &r;
        if (!rule) return Fail(error, "unknown option '" + name + "'");

        std::string value;
        if (equals != std::string::npos) {
            if (rule->arity == Arity::Flag) return Fail(error, name + " takes no value");
            value = arg.substr(equals + 1);
        } else if (rule->arity == Arity::Value) {
            if (i + 1 >= args.size()) return Fail(error, name + " needs a value");
            value = args[++i];
        } else if (rule->arity == Arity::Optional) {
            value = rule->defaultValue;
        }
        std::string why;
        if (!rule->apply(value, &why)) return Fail(error, name + ": " + why);
    }

    if (!ScrambleTokenTexts(o, error)) return false;
    if (o.stubPath.empty()) return Fail(error, "build needs --stub STUB.exe");
    if (o.outPath.empty()) return Fail(error, "build needs --out OUT.exe");
    if (!o.languageListFile.empty() && !o.languagesFile.empty())
        return Fail(error, "--languages cannot be combined with --lang-list");
    if (!o.updateListFile.empty() && !o.updateItems.empty())
        return Fail(error, "--update-list cannot be combined with update item options");
    if (!o.webListFile.empty() && !o.webItems.empty())
        return Fail(error, "--web-list cannot be combined with web item options");
    const bool wantsWebList = !o.webListFile.empty() || !o.webItems.empty();
    if (!listCountGiven && wantsWebList) o.package.listCount = 3;
    if (wantsWebList && o.package.listCount != 3)
        return Fail(error, "a web list needs --list-count 3");
    if (!o.run.empty() && o.adds.empty()) return Fail(error, "--run needs files from --add");
    return true;
}

bool ParseInspect(const std::vector<std::string>& args, PackCommandLine* out, std::string* error) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out->command = PackCommand::Help;
            return true;
        }
        if (arg == "--blocks") {
            out->inspectBlocks = true;
            continue;
        }
        if (arg == "--show-tokens") {
            out->inspectShowTokens = true;
            continue;
        }
        if (arg.compare(0, 1, "-") == 0 && arg != "-")
            return Fail(error, "unknown option '" + arg + "'");
        if (!out->inspectPath.empty()) return Fail(error, "inspect takes one file");
        out->inspectPath = arg;
    }
    if (out->inspectPath.empty()) return Fail(error, "inspect needs a FILE");
    return true;
}

bool ParseExtract(const std::vector<std::string>& args, PackCommandLine* out, std::string* error) {
    std::vector<std::string> operands;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out->command = PackCommand::Help;
            return true;
        }
        if (arg.compare(0, 1, "-") == 0 && arg != "-")
            return Fail(error, "unknown option '" + arg + "'");
        operands.push_back(arg);
    }
    if (operands.size() != 2) return Fail(error, "extract needs PACKAGE and DEST");
    out->extractPackage = operands[0];
    out->extractDestination = operands[1];
    return true;
}

bool ParseToken(const std::vector<std::string>& args, PackCommandLine* out, std::string* error) {
    if (args.size() == 2 && (args[1] == "--help" || args[1] == "-h")) {
        out->command = PackCommand::Help;
        return true;
    }
    if (args.size() != 2 || args[1].empty())
        return Fail(error, "token needs one non-empty CLEAR text");
    out->tokenText = args[1];
    return true;
}

bool ParseTokenFileCommand(const std::vector<std::string>& args, PackCommandLine* out,
                           std::string* error) {
    TokenFileOptions& o = out->tokenFile;
    bool pageGiven = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out->command = PackCommand::Help;
            return true;
        }
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (name == "--scramble") {
            if (equals != std::string::npos) return Fail(error, name + " takes no value");
            o.scramble = true;
            continue;
        }
        std::string* target = name == "--token"       ? &o.token
                              : name == "--out"       ? &o.outPath
                              : name == "--url"       ? &o.url
                              : name == "--page"      ? &o.pageFile
                              : name == "--page-text" ? &o.pageText
                                                      : nullptr;
        if (!target) return Fail(error, "unknown option or argument '" + arg + "'");
        if (name == "--page" || name == "--page-text") {
            if (pageGiven) return Fail(error, "token-file takes one --page or --page-text");
            pageGiven = true;
        }
        if (equals != std::string::npos) {
            *target = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            *target = args[++i];
        } else {
            return Fail(error, name + " needs a value");
        }
    }
    if (o.token.empty()) return Fail(error, "token-file needs --token CLEAR");
    if (o.outPath.empty()) return Fail(error, "token-file needs --out FILE");
    if (o.url.find('|') != std::string::npos) return Fail(error, "--url cannot contain \"|\"");
    return true;
}

bool ParseDigits(const std::string& text, uint64_t limit, uint64_t* value) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const uint64_t base = hex ? 16 : 10;
    const size_t first = hex ? 2 : 0;
    if (text.size() <= first) return false;
    uint64_t v = 0;
    for (size_t i = first; i < text.size(); ++i) {
        const char c = text[i];
        uint64_t digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint64_t>(c - '0');
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = static_cast<uint64_t>(c - 'a' + 10);
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = static_cast<uint64_t>(c - 'A' + 10);
        } else {
            return false;
        }
        if (v > (limit - digit) / base) return false;
        v = v * base + digit;
    }
    *value = v;
    return true;
}

} // namespace

bool ParseU32(const std::string& text, uint32_t* value) {
    uint64_t v = 0;
    if (!ParseDigits(text, 0xFFFFFFFFu, &v)) return false;
    *value = static_cast<uint32_t>(v);
    return true;
}

bool ParseU64(const std::string& text, uint64_t* value) {
    return ParseDigits(text, UINT64_MAX, value);
}

bool ParsePackCommandLine(const std::vector<std::string>& args, PackCommandLine* out,
                          std::string* error) {
    *out = PackCommandLine();
    if (args.empty()) return Fail(error, "no command given (try --help)");
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        out->command = PackCommand::Help;
        return true;
    }
    if (command == "build") {
        out->command = PackCommand::Build;
        return ParseBuild(args, out, error);
    }
    if (command == "inspect") {
        out->command = PackCommand::Inspect;
        return ParseInspect(args, out, error);
    }
    if (command == "extract") {
        out->command = PackCommand::Extract;
        return ParseExtract(args, out, error);
    }
    if (command == "token") {
        out->command = PackCommand::Token;
        return ParseToken(args, out, error);
    }
    if (command == "token-file") {
        out->command = PackCommand::TokenFile;
        return ParseTokenFileCommand(args, out, error);
    }
    return Fail(error, "unknown command '" + command + "' (try --help)");
}

const char* PackHelpText() {
    return R"(Usage:
  zelkor-pack build --stub STUB.exe --out OUT.exe [options]
  zelkor-pack inspect [--blocks] [--show-tokens] FILE
  zelkor-pack extract PACKAGE DEST
  zelkor-pack token CLEAR
  zelkor-pack token-file --token CLEAR --out FILE [--scramble] [--url URL]
                         [--page FILE | --page-text TEXT]
  zelkor-pack --help

build: appends a package to a copy of the stub: the descriptor lists, the
packed files, the trailer, the logical size and the checksum. The output is
written to temporary files beside OUT.exe and renamed only when complete.

Packed files:
  --add PATH                a file (stored under its own name) or a folder
                            (every file below it, named relative to it with
                            backslashes; empty folders are left out); repeat
                            for more
  --add PATH=NAME           a file stored as NAME, or a folder's files
                            stored under NAME\
  --run NAME[ TAIL]         the file run after extraction: its stored name
                            gets "*" and the command-line tail, as in
                            "setup.exe* /InstallTo=..." (NAME*TAIL also works)
  --level N                 zlib level 0 to 9 (default 9); a block that does
                            not get smaller is stored as it is
  --piece-size BYTES        most bytes of a file in one block (default
                            4194304); larger files go in several blocks,
                            which keeps the stub's memory small
  --volume-size BYTES       most bytes in one volume file: volume 1 is OUT,
                            the next ones OUT.002, OUT.003, ... (a final
                            ".001" of OUT is left out); a file that does not
                            fit is continued in the next volume
  FileCount and the space table come from the packed files unless
  --file-count or --space-table is given.

Descriptor lists (a FILE is stored byte for byte; item options build the
list with a delimiter that no item contains):
  --list-count N            2, or 3 with a web list; 0 reads as 2
                            (default: 3 when a web list option is given, else 2)
  --lang-list FILE          language table (default: the single byte 0x02)
  --languages FILE          language table from a language file (not with
                            --lang-list): each language starts with a line
                            [NAME], the English name (French, German, ...),
                            followed by key=value lines (s0, s1, ..., BtnText,
                            Confirm, FontName, ...). Blank lines and lines
                            starting with ; or # are left out, and so are the
                            blanks around keys and values; |  text  | keeps
                            them (one pair of bars is taken off, so captions
                            are written ||&OK|&Cancel|...||). A UTF-8 file is
                            stored in Windows-1252, any other byte for byte
  --update-list FILE        update list (default: built from the items below)
  --update-base-url URL     update item 0 (default: empty)
  --info-file NAME          update item 1 (default: .info)
  --agent-name NAME         update item 2 (default: .exe)
  --agent-token TOKEN       update item 3, scrambled (default: a 36-character token)
  --agent-token-text CLEAR  update item 3 from its clear text, scrambled here
                            with random fillers (not with --agent-token)
  --hidden-setup[=TEXT]     update item 4 (default: 0; alone: 1, hidden)
  --web-list FILE           web list
  --web-base-url URL        web item 0
  --web-setup-name NAME     web item 1
  --skip-local-web-setup[=TEXT]
                            web item 2 (alone: 1, do not look beside the stub)
  --web-token TOKEN         web item 3, scrambled
  --web-token-text CLEAR    web item 3 from its clear text, scrambled here
                            (not with --web-token)
  --web-setup-size BYTES    web item 4

Trailer:
  --ask-before-extract      flag bit 0
  --more-volumes            flag bit 1
  --spanned-media           flag bit 2
  --show-activity-bar       flag bit 3
  --agent-log               flag bit 4
  --web-installer[=N]       byte 66 (alone: 1)
  --confirm-download[=N]    byte 67 (alone: 1)
  --create-agent[=N]        byte 68 (alone: 1)
  --auto-update-prog[=N]    byte 69 (alone: 1)
  --file-count N            number of packed files (default: 0)
  --checksum auto|off|N     auto computes it (default); off stores 1234,
                            which switches the check off; N stores N
  --space-table A,B,...     up to 9 entries, the rest 0 (default: computed
                            from the packed files)

For tests of old or damaged packages:
  --trailer-size N          write a trailer of N bytes, 0 to 74 (default 74):
                            the first N-4 record bytes, then N
  --magic HEX               package magic (default 4A3B2C1D)
  --no-logical-size         leave the logical size (0xF8-0xFF) zero
  --append-file FILE        add FILE after the logical end, outside the
                            logical size and the checksum (as a signature is)
  --append-bytes N          add N filler bytes there
  (repeated --append-* options add their bytes in order)

inspect: prints the trailer, the checksum verdict, the descriptor lists and
their named items as "Name: value" lines. Texts are quoted, with \\ and \xHH
escapes. Exit status 0 when FILE could be read. With --blocks it then walks
every volume and prints one line per block:
  BlockN: offset=O list length=L
  BlockN: offset=O zlib|stored length=L name="NAME" stamp=S time=T data=D
(T is the stamp as YYYY-MM-DDTHH:MM:SS local time; "skipped" marks a block
with an empty header), and "Blocks: N" at the end, or "BlocksProblem: ..."
where a block cannot be read. For each token item it prints whether it
decodes (AgentTokenDecodes, WebTokenDecodes: yes or no); the clear text
(AgentTokenText, WebTokenText) only with --show-tokens.

extract: unpacks every file of PACKAGE and its further volumes into DEST
(a new or empty folder) as the stub does, with their time stamps. It
prints a line per file, extracted: "NAME" (SIZE bytes), and at the end
run: "ENTRY" or run: none. A damaged package (checksum, block lengths,
zlib data, names that leave DEST) or a missing volume is refused with exit
status 1.

token: prints CLEAR as one scrambled token, for --agent-token or
--web-token. Fillers and keys are random, so every run prints another
token for the same clear text; the stub compares clear texts only.

token-file: writes the token file of an inform page: "|TOKEN|URL||PAGE",
TOKEN being CLEAR scrambled. The agent shows PAGE (--page: a file stored
byte for byte; --page-text: the text; default empty) only when CLEAR equals
its own agent token. --url is kept in the file as a note and is not read by
the agent (the dialog's button address comes from the update descriptor).
--scramble passes the whole file through the text scrambler.

Numbers are decimal, or hexadecimal after 0x. Options take their value as
the next argument or after "=".
)";
}

} // namespace zelkor
