// Questions to the network and to a server about one URL.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>

#include "util/text.h"

namespace zelkor {

bool InternetConnected();
// Opens and closes the URL; nothing is read and nothing reported.
void ProbeUrl(const Text& url);
// The announced size; -1 when the server gives none or cannot be reached.
int32_t HTTP_GetFileSize(const Text& url);

// Content-Length, -1 when absent.
int32_t QueryContentLength(HINTERNET request);
// Last-Modified as a DOS date-time (date high, time low); 0 when absent or
// not convertible.
uint32_t QueryLastModified(HINTERNET request);
// The HTTP status code, 0 when unknown.
int QueryStatusCode(HINTERNET request);
// The Content-Range header as sent, empty when absent.
Text QueryContentRange(HINTERNET request);

} // namespace zelkor
