#include "net/check_404_page.h"

#include "setup/file_helpers.h"

namespace zelkor {

Text Check404Page(const Text& file, const Text& content, const Text& url,
                  const Text& previousError) {
    // An error page is small; its head lies well within the first 10,000 bytes.
    const bool fromFile = !file.empty() && FileExists(file);
    return Check404Content(fromFile ? ReadFileText(file, 10000, 0) : content, url, previousError);
}

} // namespace zelkor
