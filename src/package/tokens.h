// Package tokens: the scrambled secret in update item 3 (agent token) and
// web item 3 (web token) that ties downloaded files to their publisher.
#pragma once

#include <cstdint>

#include "package/byte_source.h"
#include "package/file_info.h"
#include "util/text.h"

namespace zelkor {

// Kinds of SameAgentToken's file.
constexpr int kTokenKindInstaller = 2;
constexpr int kTokenKindTokenFile = 3;

// The digits "0"-"9", "A"-"F" of a scrambled token are stored raised by this.
constexpr int kTokenDigitRaise = 50;

// A token as compared: the clear text, or nothing when the item does not
// decode. A token that does not decode equals nothing, itself included.
struct TokenText {
    bool decoded = false;
    Text clear;
};

TokenText DecodeToken(const Text& scrambled);
bool SameToken(const TokenText& a, const TokenText& b);

// Items 3 of the update and web lists, decoded (the raw items are
// TGFileInfo::GetAgentTokenItem and GetWebTokenItem).
TokenText GetAgentToken(const TGFileInfo& info);
TokenText GetWebToken(const TGFileInfo& info);

bool SameWebToken(const TGFileInfo& a, const TGFileInfo& b);

struct TokenFile {
    TokenText token;
    // Everything after the fourth "|": the inform page.
    Text rest;
};
// Unscrambles a text that carries the scrambler's marker, then reads
// field 1 as the token; fields 0, 2 and 3 are ignored.
TokenFile ParseTokenFile(const Text& text);

// More than any inform page needs, and little enough to hold in memory.
constexpr uint64_t kMaxTokenFileSize = 16u * 1024 * 1024;

// Kind 2: the installer's own agent token; kind 3: the token of a token file.
bool SameAgentToken(const TGFileInfo& own, const TGFileInfo& installer);
bool SameAgentTokenInText(const TGFileInfo& own, const Text& tokenFileText);
// Kind 2 or 3 over a file; any other kind, or a file that cannot be read
// (a token file above kMaxTokenFileSize included), is false.
bool SameAgentToken(const TGFileInfo& own, ByteSource& file, int kind);
bool SameAgentToken(const TGFileInfo& own, const Text& path, int kind);

} // namespace zelkor
