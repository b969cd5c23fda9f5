#include <gtest/gtest.h>

#include <vector>

#include "ui/message_box_layout.h"

namespace zelkor {
namespace {

// One pixel per byte, so a line's width is its length.
class ByteMeasure : public LineMeasure {
  public:
    int WidthOf(const Text& line) override {
        lines.push_back(line);
        return int(line.size());
    }
    std::vector<Text> lines;
};

// A control that needs `needed` pixels to keep its text within `fits` height.
class FakeControl : public TextControlProbe {
  public:
    FakeControl(int needed, int requestedWidth)
        : needed_(needed), requestedWidth_(requestedWidth) {}
    Extent RequestedSizeAt(int width) override {
        widths.push_back(width);
        return {requestedWidth_ > 0 ? requestedWidth_ : width, width >= needed_ ? 20 : 40};
    }
    std::vector<int> widths;

  private:
    int needed_;
    int requestedWidth_;
};

constexpr int kLine = 13;

TEST(MessageBoxLayout, MeasureWrapsLongLinesAndSkipsTheFinalBreak) {
    struct Case {
        Text text;
        Extent expected;
    };
    const Case cases[] = {
        {"abc", {13, kLine}},
        {Text(1500, 'x'), {600, 3 * kLine}},
        {Text(599, 'x'), {600, kLine}},
        {Text(600, 'x'), {600, 2 * kLine}},
        {Text(1200, 'x'), {600, 3 * kLine}},
        {"a\r\n", {11, kLine}},
        {"a\r\n\r\n", {11, 2 * kLine}},
        {"\r\n", {10, kLine}},
        {"a\r\nbbbb", {14, 2 * kLine}},
        {"a\nb\rc", {15, kLine}}, // only CR LF breaks a line
        {"ERROR\r\n\r\nDisk full\r\n", {19, 3 * kLine}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20));
        ByteMeasure measure;
        const Extent size = MeasureBoxText(c.text, kLine, measure);
        EXPECT_EQ(size.width, c.expected.width);
        EXPECT_EQ(size.height, c.expected.height);
    }
}

TEST(MessageBoxLayout, EmptyTextIsMeasuredAsOneSpace) {
    ByteMeasure measure;
    const Extent size = MeasureBoxText("", kLine, measure);
    EXPECT_EQ(measure.lines, std::vector<Text>{" "});
    EXPECT_EQ(size.width, 11);
    EXPECT_EQ(size.height, kLine);
}

TEST(MessageBoxLayout, LineHeightAddsAPixelForOneFace) {
    EXPECT_EQ(BoxLineHeight(13, 0, "Tahoma"), 13);
    EXPECT_EQ(BoxLineHeight(12, 1, "MS PGothic"), 14);
    EXPECT_EQ(BoxLineHeight(12, 1, " ms pgothic\t"), 14);
    EXPECT_EQ(BoxLineHeight(12, 1, "MS Gothic"), 13);
}

TEST(MessageBoxLayout, BoldTextWidensTenPixelsAtATime) {
    FakeControl fitsAtOnce(100, 0);
    EXPECT_EQ(WidthForBoldText(100, 20, fitsAtOnce), 100);
    EXPECT_EQ(fitsAtOnce.widths, std::vector<int>{100});

    FakeControl needs35(135, 0);
    EXPECT_EQ(WidthForBoldText(100, 20, needs35), 140);
    EXPECT_EQ(needs35.widths, (std::vector<int>{100, 110, 120, 130, 140}));

    // Never fits: all 21 widths are tried, then the widest request + 10.
    FakeControl never(10000, 0);
    EXPECT_EQ(WidthForBoldText(100, 20, never), 310);
    EXPECT_EQ(never.widths.size(), 21u);
    EXPECT_EQ(never.widths.back(), 300);
    FakeControl asksWide(10000, 450);
    EXPECT_EQ(WidthForBoldText(100, 20, asksWide), 460);
    FakeControl asksNarrow(10000, 50);
    EXPECT_EQ(WidthForBoldText(100, 20, asksNarrow), 110);
}

TEST(MessageBoxLayout, BoxSizeAddsMarginsBandsAndFrame) {
    const FrameMetrics frame{4, 4, 19};
    struct Case {
        Extent control;
        Extent expected;
    };
    const Case cases[] = {
        {{50, 13}, {360, 13 + 36 + 90 + 8 + 19}},  // short text: minimum width
        {{199, 38}, {389, 38 + 36 + 90 + 8 + 19}}, // narrow and low: wide margins
        {{200, 39}, {360, 39 + 36 + 64 + 8 + 19}},
        {{610, 39}, {736, 166}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(IntToText(c.control.width) + "x" + IntToText(c.control.height));
        const Extent size = BoxSizeFor(c.control, frame);
        EXPECT_EQ(size.width, c.expected.width);
        EXPECT_EQ(size.height, c.expected.height);
    }
}

TEST(MessageBoxLayout, TextControlIsCentredRightOfTheBand) {
    const BoxRect rect = TextControlRect({352, 120}, {100, 26});
    EXPECT_EQ(rect.left, 153);
    EXPECT_EQ(rect.top, 29);
    EXPECT_EQ(rect.width, 100);
    EXPECT_EQ(rect.height, 52);
    // Divisions truncate toward zero when the text is wider than the room.
    const BoxRect wide = TextControlRect({300, 80}, {301, 49});
    EXPECT_EQ(wide.left, 54 - 27);
    EXPECT_EQ(wide.top, (80 - 36 - 49) / 2);
    EXPECT_EQ(wide.top, -2);
}

TEST(MessageBoxLayout, ButtonsTouchAndEndEightyPixelsFromTheRight) {
    const Extent client{352, 120};
    const BoxRect single = ButtonRect(client, 0, 1);
    EXPECT_EQ(single.left, 272);
    EXPECT_EQ(single.top, 91);
    EXPECT_EQ(single.width, 70);
    EXPECT_EQ(single.height, 23);
    EXPECT_EQ(ButtonRect(client, 0, 3).left, 132);
    EXPECT_EQ(ButtonRect(client, 1, 3).left, 202);
    EXPECT_EQ(ButtonRect(client, 2, 3).left, 272);
}

TEST(MessageBoxLayout, PaintBandsFollowTheClientHeight) {
    const BoxPaintLayout layout = PaintLayoutFor({352, 120});
    EXPECT_EQ(layout.shadowLineY, 83);
    EXPECT_EQ(layout.lightLineY, 84);
    EXPECT_EQ(layout.buttonBand.top, 85);
    EXPECT_EQ(layout.buttonBand.top + layout.buttonBand.height, 120);
    EXPECT_EQ(layout.buttonBand.width, 352);
    EXPECT_EQ(layout.leftBand.width, 54);
    EXPECT_EQ(layout.leftBand.height, 83);
}

} // namespace
} // namespace zelkor
