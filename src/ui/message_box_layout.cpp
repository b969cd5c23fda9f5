#include "ui/message_box_layout.h"

#include <algorithm>

namespace zelkor {

namespace {

const Text kLineBreak = "\r\n";
constexpr int kTextPadding = 10;
constexpr int kButtonBandHeight = 36;

} // namespace

int BoxLineHeight(int textHeight, int externalLeading, const Text& faceName) {
    // This face's lines come out one pixel taller than its metrics say.
    const int extra = SameTextTrimmed(faceName, "MS PGothic") ? 1 : 0;
    return textHeight + externalLeading + extra;
}

Extent MeasureBoxText(const Text& text, int lineHeight, LineMeasure& measure) {
    const Text measured = text.empty() ? Text(" ") : text;
    Extent size{0, 0};
    size_t start = 0;
    while (start <= measured.size()) {
        size_t end = measured.find(kLineBreak, start);
        if (end == Text::npos) end = measured.size();
        const bool moreFollows = end < measured.size();
        // A final line break adds no line.
        if (end > start || moreFollows) {
            const int cx = measure.WidthOf(measured.substr(start, end - start));
            size.width = std::max(size.width, cx + kTextPadding);
            size.height += (cx / kBoxMaxTextWidth + 1) * lineHeight;
        }
        if (!moreFollows) break;
        start = end + kLineBreak.size();
    }
    size.width = std::min(size.width, kBoxMaxTextWidth);
    return size;
}

int WidthForBoldText(int width, int height, TextControlProbe& probe) {
    int widest = width;
    for (int i = 0; i <= 20; ++i) {
        const Extent requested = probe.RequestedSizeAt(width + kTextPadding * i);
        if (requested.height <= height) return width + kTextPadding * i;
        widest = std::max(widest, requested.width);
    }
    return widest + kTextPadding;
}

Extent BoxSizeFor(Extent textControl, const FrameMetrics& frame) {
    const int marginX = textControl.width < 200 ? 64 : 32;
    const int marginY = textControl.height < 39 ? 45 : 32;
    const int width = textControl.width + kBoxLeftBandWidth + 2 * marginX + 2 * frame.frameWidth;
    const int height = textControl.height + kButtonBandHeight + 2 * marginY +
                       2 * frame.frameHeight + frame.captionHeight;
    return {std::max(width, kBoxMinWidth), height};
}

BoxRect TextControlRect(Extent client, Extent textControl) {
    const int left = kBoxLeftBandWidth + (client.width - kBoxLeftBandWidth - textControl.width) / 2;
    const int top = (client.height - kButtonBandHeight - textControl.height) / 2;
    return {left, top, textControl.width, client.height - top - 39};
}

BoxRect ButtonRect(Extent client, int index, int count) {
    // The rightmost button starts 80 pixels from the right; the others touch it.
    const int left = client.width - 80 - kBoxButtonWidth * (count - 1 - index);
    return {left, client.height - 29, kBoxButtonWidth, kBoxButtonHeight};
}

BoxPaintLayout PaintLayoutFor(Extent client) {
    BoxPaintLayout layout;
    layout.shadowLineY = client.height - 37;
    layout.lightLineY = client.height - 36;
    layout.buttonBand = {0, client.height - 35, client.width, 35};
    layout.leftBand = {0, 0, kBoxLeftBandWidth, client.height - 37};
    return layout;
}

} // namespace zelkor
