// Small value helpers shared across the program: 64-bit numbers, number
// parsing, date texts, the TRUE/FALSE words, trailing backslashes of
// folders, and a few facts read from the platform.
#pragma once

#include <cstdint>

#include "util/debug_log.h"
#include "util/text.h"

namespace zelkor {

int64_t Min64(int64_t a, int64_t b);
int64_t Max64(int64_t a, int64_t b);
// Raised to `low` first, then lowered to `high`: with low > high, high wins.
int64_t EnsureRange64(int64_t value, int64_t low, int64_t high);

// Decimal text of low + bits mod (high - low + 1); `low` when high <= low.
Text RandomIntTextFrom(uint64_t randomBits, int64_t low, int64_t high);
// Spreads a clock reading over all 64 bits, so nearby readings differ widely.
uint64_t MixRandomBits(uint64_t seed);

Text ZeroPad(int32_t n, int width);
// Digits "0123456789ABCDEF" by position after upper-casing and trimming; a
// character outside them counts as -1. Overflow wraps around.
int64_t ParseRadix(const Text& text, int base);
int64_t HexToInt64(const Text& text);

// "||JAN|FEB|...|DEC|": item m is month m.
extern const char kMonthList[];
// "09-DEC-2007".
Text FormatDateDMY(const LocalDateTime& date);
// "09-DEC-2007  14:05:09", with the user's time separator.
Text FormatDateTimeDMY(const LocalDateTime& dateTime, char timeSeparator);

Text BoolToText(bool value);

// Whether a byte opens a double-byte character in the system's code page.
using LeadByteTest = bool (*)(unsigned char);
bool NoLeadBytes(unsigned char);

// A backslash counts as a separator only when the byte before it does not
// open a double-byte character.
Text SetTrailingBackslash(const Text& path, bool add, LeadByteTest isLeadByte);
Text StripTrailingBackslash(const Text& path, LeadByteTest isLeadByte);
// Removes doubled backslashes inside a path or a delimited list of paths;
// a leading pair, a pair after a list delimiter and a pair that ends the
// text stay.
Text CollapseBackslashes(const Text& path, bool stripTrailing, LeadByteTest isLeadByte);

bool DeveloperModeValue(const Text& value);
// The platform's message for `code` (without its trailing line break), or a
// fixed English text for codes with the high bit set.
Text ErrorTextFor(uint32_t code, const Text& platformText);

// Windows layer.
Text RandomIntText(int64_t low, int64_t high);
bool IsSystemLeadByte(unsigned char byte);
Text SetTrailingBackslash(const Text& path, bool add);
Text StripTrailingBackslash(const Text& path);
Text CollapseBackslashes(const Text& path, bool stripTrailing);
Text ProgramDir(bool trailing);
Text WindowsDir(bool trailing);
Text SystemDir(bool trailing);
Text TempDir(bool trailing);
// The library stays loaded once the function is found, since the caller
// keeps its address; null when either is missing.
void* GetProcFromLibrary(const Text& library, const Text& name);
// Reads "DVX" now; IsDeveloperMode keeps the first answer for the run.
bool ReadDeveloperMode();
bool IsDeveloperMode();
Text LastErrorText();
Text SystemDateDMY();
Text SystemDateTimeDMY();

} // namespace zelkor
