// Delimited lists: the first character is the delimiter; items run between
// delimiters and are numbered from 0.
#pragma once

#include "util/text.h"

namespace zelkor {

// "|^!~@#$&*" followed by the byte 0xFF, in order of preference.
extern const char kListDelimiterCandidates[11];

int ListItemCount(const Text& list);
Text ListItem(const Text& list, int index, const Text& defaultValue);
// Returns false (list unchanged) when no candidate delimiter is free.
// The value ends at its first NUL, like every item that the readers see.
bool ListSetItem(Text& list, int index, const Text& value);
Text ListChooseDelimiter(const Text& text);
Text ListValue(const Text& list, const Text& name, const Text& defaultValue);

} // namespace zelkor
