// The builder's side of package tokens: scrambled tokens in the layout the
// stub decodes (package/tokens.h), and token files for inform pages.
#pragma once

#include <cstdint>
#include <string>

namespace zelkor {

// The free choices of one scrambled token. The trailing filler is followed
// by the check byte, which ends the trailing part.
struct TokenLayout {
    uint8_t k0 = 0;
    uint8_t k1 = 0;
    std::string leadingFiller;  // at most 255 bytes
    std::string trailingFiller; // at most 254 bytes
};
constexpr size_t kMaxLeadingFiller = 255;
constexpr size_t kMaxTrailingFiller = 254;

// The free bytes of tokens and token files; a seed repeats them exactly.
class TokenRandom {
  public:
    explicit TokenRandom(uint64_t seed) : state_(seed) {}
    uint8_t Byte();
    // From `low` to `high` inclusive.
    uint8_t Between(uint8_t low, uint8_t high);

  private:
    uint64_t state_;
};

// Differs from run to run; one generator serves all tokens of a run.
uint64_t FreshTokenSeed();

// False with a reason when a filler is too long for its length byte.
bool EncodeTokenWithLayout(const std::string& clear, const TokenLayout& layout, std::string* token,
                           std::string* error);
// 1 to 8 filler bytes on each side, and k0 and k1 that differ, so that the
// clear text never shows through.
TokenLayout RandomTokenLayout(TokenRandom& random);
std::string EncodeToken(const std::string& clear, TokenRandom& random);

// Field 0 empty, field 1 the scrambled token, field 2 the note (the page's
// address), field 3 empty, then the page; optionally passed through the
// text scrambler with a key from 33 to 122. False when the note holds a
// "|", which would shift the fields.
bool TokenFileText(const std::string& clearToken, const std::string& note, const std::string& page,
                   bool scramble, TokenRandom& random, std::string* text, std::string* error);

} // namespace zelkor
