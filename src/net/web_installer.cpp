#include "net/web_installer.h"

#include "package/trailer.h"
#include "setup/setup_logic.h"
#include "util/switches.h"

namespace zelkor {

Text WebAgentCopyImage(const Text& programBytes) {
    Text image = programBytes;
    const uint64_t logicalSize = LogicalSizeOfImage(image) & 0xFFFFFFFFu;
    if (logicalSize < image.size() && image.size() - logicalSize < 10000)
        image.resize(size_t(logicalSize));
    // The trailer's AutoUpdateProg byte: the copy starts as the agent.
    if (image.size() > 5) image[image.size() - 5] = 1;
    return image;
}

Text DownloadQuestion(const Text& question, const Text& sizeItem) {
    int64_t size = 0;
    if (!ParseSwitchInt(TrimControl(sizeItem), size)) size = 0;
    return ReplaceAll(question, "<SIZE>", FormatMegabytes(double(size)));
}

} // namespace zelkor
