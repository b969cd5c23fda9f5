#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

#include "package/adler32.h"

namespace zelkor {
namespace {

std::uint32_t ZlibAdler(const std::vector<std::uint8_t>& data) {
    return std::uint32_t(adler32(1, data.data(), uInt(data.size())));
}

// All 0xFF is the largest the sums can grow; the lengths straddle the run
// after which the sums are reduced.
TEST(Adler32, MatchesZlibAcrossRunBoundaries) {
    for (std::size_t length : {0u, 1u, 3u, 4u, 5u, 5551u, 5552u, 5553u, 11104u, 100000u}) {
        for (std::uint8_t fill : {std::uint8_t(0), std::uint8_t(0x5A), std::uint8_t(0xFF)}) {
            SCOPED_TRACE(testing::Message() << length << " x " << int(fill));
            const std::vector<std::uint8_t> data(length, fill);
            EXPECT_EQ(Adler32(1, data.data(), data.size()), ZlibAdler(data));
        }
    }
}

TEST(Adler32, ContinuesAcrossPiecesOfAnyLength) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> data(300000);
    for (auto& byte : data)
        byte = std::uint8_t(random());
    std::uint32_t sum = 1;
    for (std::size_t at = 0; at < data.size();) {
        const std::size_t piece = std::min<std::size_t>(random() % 9000, data.size() - at);
        sum = Adler32(sum, data.data() + at, piece);
        at += piece;
    }
    EXPECT_EQ(sum, ZlibAdler(data));
}

} // namespace
} // namespace zelkor
