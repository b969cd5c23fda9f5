// The report of `zelkor-pack inspect`: one "Name: value" line per fact.
#pragma once

#include <string>

#include "package/byte_source.h"

namespace zelkor {

// Texts are quoted; bytes outside printable ASCII, the quote and the
// backslash are escaped (\xHH, \\).
std::string QuoteText(const std::string& text);

// Token items show whether they decode; their clear texts only with
// `showTokens`.
std::string InspectReport(ByteSource& source, bool showTokens = false);

} // namespace zelkor
