// The message-box flag values (the platform's own) and what the box reads
// from them.
#pragma once

namespace zelkor {

constexpr unsigned kBoxButtonSetMask = 0xF;
constexpr unsigned kBoxIconMask = 0xF0;
constexpr unsigned kBoxIconStop = 0x10;
constexpr unsigned kBoxIconQuestion = 0x20;
constexpr unsigned kBoxIconExclamation = 0x30;
constexpr unsigned kBoxIconInformation = 0x40;
constexpr unsigned kBoxRightAligned = 0x80000;
constexpr unsigned kBoxRightToLeft = 0x100000;

constexpr int kHebrewCharset = 177;
constexpr int kArabicCharset = 178;

// Hebrew and Arabic texts are right-aligned and read right to left.
unsigned FlagsForCharset(unsigned flags, int charset);
// The system icon of the flags (32513..32516), or 0 for the program's own.
int SystemIconId(unsigned flags);

} // namespace zelkor
