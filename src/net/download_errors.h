// The error texts of a download; an empty error means success.
#pragma once

#include "util/text.h"

namespace zelkor {

Text WinINetUnavailableError();
Text ConnectionError(const Text& url);
// No Content-Length, or one of 0 or less.
Text FileNotFoundError(const Text& url);
Text DownloadAbortedError();
// An HTML error page came instead of the file.
Text PageNotFoundError(const Text& url);

} // namespace zelkor
