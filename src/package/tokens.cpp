#include "package/tokens.h"

#include <memory>

#include "util/ini_registry.h"
#include "util/value_helpers.h"

namespace zelkor {
namespace {

// k0, the two filler lengths, the check byte and k1.
constexpr size_t kTokenFrameBytes = 4;

// The whole file, or empty when it cannot be read or is too large to hold.
Text ReadTokenFileText(ByteSource& file) {
    const uint64_t size = file.Size();
    if (size == 0 || size > kMaxTokenFileSize) return Text();
    Text text(static_cast<size_t>(size), '\0');
    if (file.ReadAt(0, &text[0], static_cast<uint32_t>(size)) != size) return Text();
    return text;
}

} // namespace

TokenText DecodeToken(const Text& scrambled) {
    Text digits = scrambled;
    for (char& c : digits)
        c = static_cast<char>(static_cast<unsigned char>(c) - kTokenDigitRaise);

    // At least one pair: the empty text gives one byte.
    Text bytes;
    size_t at = 0;
    do {
        bytes += static_cast<char>(static_cast<uint8_t>(HexToInt64(digits.substr(at, 2))));
        at += 2;
    } while (at < digits.size());

    const size_t n = bytes.size();
    if (n <= kTokenFrameBytes) return TokenText();
    uint8_t sum = 0;
    for (size_t i = 0; i < n; ++i)
        if (i != n - 2) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(bytes[i]));
    if (sum != static_cast<uint8_t>(bytes[n - 2])) return TokenText();

    const char key = static_cast<char>(bytes[0] ^ bytes[n - 1]);
    for (size_t i = 1; i <= n - 2; ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ key);
    const size_t leading = static_cast<uint8_t>(bytes[1]);
    const size_t trailing = static_cast<uint8_t>(bytes[2]);
    // Fillers that overrun the block leave no clear text to speak of; taken
    // as empty, any two such tokens would be equal.
    if (leading + trailing + kTokenFrameBytes > n) return TokenText();

    TokenText token;
    token.decoded = true;
    token.clear = bytes.substr(leading + 3, n - leading - trailing - kTokenFrameBytes);
    return token;
}

bool SameToken(const TokenText& a, const TokenText& b) {
    return a.decoded && b.decoded && a.clear == b.clear;
}

TokenText GetAgentToken(const TGFileInfo& info) {
    return DecodeToken(info.GetAgentTokenItem());
}

TokenText GetWebToken(const TGFileInfo& info) {
    return DecodeToken(info.GetWebTokenItem());
}

bool SameWebToken(const TGFileInfo& a, const TGFileInfo& b) {
    return SameToken(GetWebToken(a), GetWebToken(b));
}

TokenFile ParseTokenFile(const Text& text) {
    // The key byte is read from the text when unscrambling.
    Text rest = TextAfter(ScrambleTextWithKey(text, false, 0), "|");
    Text fields[3];
    for (Text& field : fields) {
        field = TextBefore(rest, "|");
        rest = TextAfter(rest, "|");
    }
    TokenFile file;
    file.token = DecodeToken(fields[0]);
    file.rest = rest;
    return file;
}

bool SameAgentToken(const TGFileInfo& own, const TGFileInfo& installer) {
    return SameToken(GetAgentToken(own), GetAgentToken(installer));
}

bool SameAgentTokenInText(const TGFileInfo& own, const Text& tokenFileText) {
    return SameToken(GetAgentToken(own), ParseTokenFile(tokenFileText).token);
}

bool SameAgentToken(const TGFileInfo& own, ByteSource& file, int kind) {
    if (kind == kTokenKindInstaller) return SameAgentToken(own, TGFileInfo(file));
    if (kind == kTokenKindTokenFile) return SameAgentTokenInText(own, ReadTokenFileText(file));
    return false;
}

bool SameAgentToken(const TGFileInfo& own, const Text& path, int kind) {
    const std::unique_ptr<ByteSource> file = OpenFileSource(path);
    // A file that cannot be read has no token that decodes.
    return file && SameAgentToken(own, *file, kind);
}

} // namespace zelkor
