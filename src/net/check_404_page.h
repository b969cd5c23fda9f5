// Tells an HTML error page from the expected file: a correct download is
// never an HTML page in this system.
#pragma once

#include "util/text.h"

namespace zelkor {

// The 404 text when `content` looks like an HTML page ("404" inside the
// title, or an html, head, title structure), else `previousError`.
Text Check404Content(const Text& content, const Text& url, const Text& previousError);

// Windows layer: examines the first 10,000 bytes of `file` when it names an
// existing file, else `content`.
Text Check404Page(const Text& file, const Text& content, const Text& url,
                  const Text& previousError);

} // namespace zelkor
