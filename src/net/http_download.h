// The chunked HTTP download, into a file (resumable through a partial file
// that outlives the process) or into memory.
#pragma once

#include <windows.h>

#include "util/progress.h"
#include "util/text.h"

namespace zelkor {

// Shows `window` (when given) once the server has announced the size.
// With a target path the bytes collect in the partial file, which replaces
// the target once it holds the announced size; with an empty target they
// go to `content`. An empty `error` means success; a transfer that ended
// early leaves no error text, only the partial file. `callback` may be null.
// The caller clears the abort flag before.
void HTTP_DownloadFile_Incremental(HWND window, const Text& url, const Text& target, Text& content,
                                   ProgressCallback callback, Text& error);

} // namespace zelkor
