#include "token_writer.h"

#include <chrono>

#include "package/tokens.h"
#include "util/ini_registry.h"
#include "util/value_helpers.h"

namespace zelkor {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr uint8_t kMinFiller = 1;
constexpr uint8_t kMaxFiller = 8;
constexpr uint8_t kLowScrambleKey = 33;
constexpr uint8_t kHighScrambleKey = 122;

void AppendRaisedHex(std::string* out, uint8_t byte) {
    *out += static_cast<char>(kHexDigits[byte >> 4] + kTokenDigitRaise);
    *out += static_cast<char>(kHexDigits[byte & 0x0F] + kTokenDigitRaise);
}

std::string RandomBytes(TokenRandom& random, size_t count) {
    std::string bytes;
    for (size_t i = 0; i < count; ++i)
        bytes += static_cast<char>(random.Byte());
    return bytes;
}

} // namespace

uint8_t TokenRandom::Byte() {
    state_ = MixRandomBits(state_);
    return static_cast<uint8_t>(state_ >> 56);
}

uint8_t TokenRandom::Between(uint8_t low, uint8_t high) {
    const unsigned span = unsigned(high) - unsigned(low) + 1;
    return static_cast<uint8_t>(low + Byte() % span);
}

uint64_t FreshTokenSeed() {
    const uint64_t wall =
        static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    const uint64_t steady =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return MixRandomBits(wall ^ MixRandomBits(steady));
}

bool EncodeTokenWithLayout(const std::string& clear, const TokenLayout& layout, std::string* token,
                           std::string* error) {
    if (layout.leadingFiller.size() > kMaxLeadingFiller ||
        layout.trailingFiller.size() > kMaxTrailingFiller) {
        *error = "a token filler is longer than its length byte allows";
        return false;
    }
    const uint8_t key = layout.k0 ^ layout.k1;
    const std::string clearPart = layout.leadingFiller + clear + layout.trailingFiller;
    // The stored bytes before the check byte, then k1.
    std::string stored;
    stored += static_cast<char>(layout.k0);
    stored += static_cast<char>(layout.leadingFiller.size() ^ key);
    stored += static_cast<char>((layout.trailingFiller.size() + 1) ^ key);
    for (char c : clearPart)
        stored += static_cast<char>(static_cast<uint8_t>(c) ^ key);
    uint8_t check = layout.k1;
    for (char c : stored)
        check = static_cast<uint8_t>(check + static_cast<uint8_t>(c));
    stored += static_cast<char>(check);
    stored += static_cast<char>(layout.k1);

    token->clear();
    for (char c : stored)
        AppendRaisedHex(token, static_cast<uint8_t>(c));
    return true;
}

TokenLayout RandomTokenLayout(TokenRandom& random) {
    TokenLayout layout;
    layout.leadingFiller = RandomBytes(random, random.Between(kMinFiller, kMaxFiller));
    layout.trailingFiller = RandomBytes(random, random.Between(kMinFiller, kMaxFiller));
    layout.k0 = random.Byte();
    layout.k1 = static_cast<uint8_t>(layout.k0 ^ random.Between(1, 255));
    return layout;
}

std::string EncodeToken(const std::string& clear, TokenRandom& random) {
    std::string token;
    std::string error;
    // A random layout always fits its length bytes.
    EncodeTokenWithLayout(clear, RandomTokenLayout(random), &token, &error);
    return token;
}

bool TokenFileText(const std::string& clearToken, const std::string& note, const std::string& page,
                   bool scramble, TokenRandom& random, std::string* text, std::string* error) {
    if (note.find('|') != std::string::npos) {
        *error = "the address of a token file cannot contain \"|\"";
        return false;
    }
    const std::string clear = "|" + EncodeToken(clearToken, random) + "|" + note + "||" + page;
    *text = scramble ? ScrambleTextWithKey(clear, true,
                                           random.Between(kLowScrambleKey, kHighScrambleKey))
                     : clear;
    return true;
}

} // namespace zelkor
