#include "net/download_errors.h"

namespace zelkor {

Text WinINetUnavailableError() {
    return "Unable to initialize \"WinINet.dll\"";
}

Text ConnectionError(const Text& url) {
    return "Unable to open Internet Connection <P>URL: " + url;
}

Text FileNotFoundError(const Text& url) {
    return url + "<P><P>File Not Found !";
}

Text DownloadAbortedError() {
    return "Download Aborted";
}

Text PageNotFoundError(const Text& url) {
    return "<B>404 File Not Found...</B><P><P>URL:  " + url +
           ".<P><P>Please make sure the file is available and access is allowed to this file.";
}

} // namespace zelkor
