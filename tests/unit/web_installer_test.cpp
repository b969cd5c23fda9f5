#include <gtest/gtest.h>

#include "net/web_installer.h"
#include "package_fixtures.h"

namespace zelkor {
namespace {

TEST(WebAgentCopy, DropsOnlyAShortTailAndMarksTheAgentByte) {
    PackageDescription package;
    const Text installer = fixtures::Build(package);
    const struct {
        size_t tail;
        size_t kept;
    } cases[] = {
        {0, installer.size()}, {9999, installer.size()}, {10000, installer.size() + 10000}};
    for (const auto& c : cases) {
        const Text copy = WebAgentCopyImage(installer + Text(c.tail, '\x5A'));
        ASSERT_EQ(copy.size(), c.kept) << c.tail;
        EXPECT_EQ(copy[copy.size() - 5], 1) << c.tail;
        EXPECT_EQ(copy.substr(0, installer.size() - 5), installer.substr(0, installer.size() - 5));
    }
}

TEST(WebDownloadQuestion, ShowsTheSizeInMegabytes) {
    EXPECT_EQ(DownloadQuestion("Size: <SIZE> MB, <SIZE>", "2278672"), "Size: 2.17 MB, 2.17");
    EXPECT_EQ(DownloadQuestion("Size: <SIZE> MB", "many"), "Size: 0.000 MB");
    EXPECT_EQ(DownloadQuestion("Size: <size> MB", "15728640"), "Size: <size> MB");
}

} // namespace
} // namespace zelkor
