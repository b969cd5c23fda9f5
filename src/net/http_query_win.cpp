#include "net/http_query.h"

#include "net/download_request.h"
#include "net/wininet_calls.h"
#include "util/trace.h"

namespace zelkor {
namespace {

constexpr DWORD kContentLengthNumber = HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER;
constexpr DWORD kLastModifiedTime = HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME;
constexpr DWORD kStatusNumber = HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER;

} // namespace

bool InternetConnected() {
    DWORD flags = 0;
    return WinINetGetConnectedState(flags);
}

void ProbeUrl(const Text& url) {
    const InternetHandle internet(WinINetOpen(kProbeAgent));
    if (!internet) return;
    const InternetHandle file(WinINetOpenUrl(internet.Get(), url, Text(), 0));
}

int32_t HTTP_GetFileSize(const Text& url) {
    ProbeUrl(url);
    const InternetHandle internet(WinINetOpen(kProbeAgent));
    if (!internet) return -1;
    const InternetHandle file(WinINetOpenUrl(internet.Get(), url, Text(), 0));
    if (!file) return -1;
    const int32_t size = QueryContentLength(file.Get());
    Trace() << "HTTP_GetFileSize=" << size << "  " << url << EndLine;
    return size;
}

int32_t QueryContentLength(HINTERNET request) {
    int32_t size = -1;
    DWORD length = sizeof size;
    WinINetQueryInfo(request, kContentLengthNumber, &size, length);
    return size;
}

uint32_t QueryLastModified(HINTERNET request) {
    SYSTEMTIME when{};
    DWORD length = sizeof when;
    FILETIME fileTime;
    WORD date = 0;
    WORD time = 0;
    if (!WinINetQueryInfo(request, kLastModifiedTime, &when, length) ||
        !SystemTimeToFileTime(&when, &fileTime) || !FileTimeToDosDateTime(&fileTime, &date, &time))
        return 0;
    return uint32_t(date) << 16 | time;
}

int QueryStatusCode(HINTERNET request) {
    DWORD status = 0;
    DWORD length = sizeof status;
    return WinINetQueryInfo(request, kStatusNumber, &status, length) ? int(status) : 0;
}

Text QueryContentRange(HINTERNET request) {
    char buffer[128];
    DWORD length = sizeof buffer;
    if (!WinINetQueryInfo(request, HTTP_QUERY_CONTENT_RANGE, buffer, length) ||
        length >= sizeof buffer)
        return Text();
    return Text(buffer, length);
}

} // namespace zelkor
