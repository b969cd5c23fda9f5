#include <gtest/gtest.h>

#include <vector>

#include "util/trace_buffer.h"

namespace zelkor {
namespace {

std::vector<Text> pieces;
void Collect(const Text& piece) {
    pieces.push_back(piece);
}

class TraceBufferTest : public ::testing::Test {
  protected:
    void SetUp() override { pieces.clear(); }
    TraceStream trace{&Collect};
};

TEST_F(TraceBufferTest, LongLineArrivesIn128BytePiecesEndingWithLineFeed) {
    trace << Text(300, 'a') << EndLine;
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].size(), 128u);
    EXPECT_EQ(pieces[1].size(), 128u);
    EXPECT_EQ(pieces[2], Text(44, 'a') + "\n");
}

TEST_F(TraceBufferTest, A127CharacterLineIsOneFullMessage) {
    trace << Text(127, 'b') << EndLine;
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0], Text(127, 'b') + "\n");
}

TEST_F(TraceBufferTest, TextWithoutEndOfLineWaitsForTheNextLine) {
    trace << "1234"
          << " first ";
    EXPECT_TRUE(pieces.empty());
    trace << true << ' ' << false << ' ' << -42 << ' ' << 4294967295ul << EndLine;
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0], "1234 first TRUE FALSE -42 4294967295\n");
}

TEST_F(TraceBufferTest, FlushSendsUpToTheFirstNulAndEmptiesTheBuffer) {
    trace << Text("ab\0cd", 5);
    trace.Flush();
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0], "ab");
    EXPECT_EQ(trace.Pending(), 0);
    trace.Flush();
    EXPECT_EQ(pieces.size(), 1u);
}

} // namespace
} // namespace zelkor
