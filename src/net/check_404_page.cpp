#include "net/check_404_page.h"

#include <initializer_list>

#include "net/download_errors.h"

namespace zelkor {
namespace {

// True when every mark occurs and their first occurrences stand in the
// given order. Marks are upper case; the content is upper-cased once.
bool InOrder(const Text& upperContent, std::initializer_list<const char*> marks) {
    size_t previous = 0;
    bool first = true;
    for (const char* mark : marks) {
        const size_t at = upperContent.find(mark);
        if (at == Text::npos || (!first && at <= previous)) return false;
        previous = at;
        first = false;
    }
    return true;
}

} // namespace

Text Check404Content(const Text& content, const Text& url, const Text& previousError) {
    const Text upper = UpperCaseAscii(content);
    const bool titleSays404 = InOrder(upper, {"<TITLE", "404", "</TITLE>"});
    const bool htmlPage = InOrder(upper, {"<HTML>", "<HEAD>", "<TITLE>", "</TITLE>"});
    return titleSays404 || htmlPage ? PageNotFoundError(url) : previousError;
}

} // namespace zelkor
