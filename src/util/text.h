// Text helpers shared by the whole program. Texts are byte strings in the
// ANSI code page; positions are 1-based; "ignoring case" folds ASCII only.
#pragma once

#include <cstdint>
#include <string>

namespace zelkor {

using Text = std::string;

char UpperAscii(char c);
Text UpperCaseAscii(const Text& text);
bool SameTextIgnoreCase(const Text& a, const Text& b);

Text ReplaceAll(const Text& text, const Text& oldText, const Text& newText);
Text ReplaceAllIgnoreCase(const Text& text, const Text& oldText, const Text& newText);

int PosIgnoreCase(const Text& sub, const Text& text);
int PosFrom(const Text& sub, const Text& text, int start);
int PosFromIgnoreCase(const Text& sub, const Text& text, int start);
int LastPos(const Text& sub, const Text& text);
int PosFromEndIgnoreCase(const Text& sub, const Text& text);

Text TextBefore(const Text& text, const Text& sep);
Text TextAfter(const Text& text, const Text& sep);

Text StripEnclosing(const Text& text, char ch, bool force, bool once);
Text Unquote(const Text& text, bool force);
Text ReverseText(const Text& text);

bool StartsWith(const Text& prefix, const Text& text, bool ignoreCase);
bool EndsWith(const Text& suffix, const Text& text, bool ignoreCase);
bool SameTextTrimmed(const Text& a, const Text& b);
// Removes every byte <= 0x20 from both ends.
Text TrimControl(const Text& text);

Text PadLeft(const Text& text, int width, char fill);

// Small formatters: the stub has no printf family.
Text IntToText(int64_t value);
Text UIntToText(uint64_t value);

} // namespace zelkor
