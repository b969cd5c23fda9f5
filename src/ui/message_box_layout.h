// Sizes and places of the message box: the text measure, the box around
// it, the text control, the buttons and the painted bands.
#pragma once

#include "util/text.h"

namespace zelkor {

struct Extent {
    int width;
    int height;
};

struct BoxRect {
    int left;
    int top;
    int width;
    int height;
};

constexpr int kBoxMaxTextWidth = 600;
constexpr int kBoxMinWidth = 360;
constexpr int kBoxLeftBandWidth = 54;
constexpr int kBoxButtonWidth = 70;
constexpr int kBoxButtonHeight = 23;
constexpr int kBoxIconLeft = 11;
constexpr int kBoxIconTop = 20;

// The pixel width of one line of text in the box's font.
class LineMeasure {
  public:
    virtual int WidthOf(const Text& line) = 0;

  protected:
    ~LineMeasure() = default;
};

// The text control at a given width, answering the size it asks for.
class TextControlProbe {
  public:
    virtual Extent RequestedSizeAt(int width) = 0;

  protected:
    ~TextControlProbe() = default;
};

int BoxLineHeight(int textHeight, int externalLeading, const Text& faceName);
// (w, h): the widest line + 10 (at most 600) and the lines' total height,
// a line of n pixels taking n div 600 + 1 line heights.
Extent MeasureBoxText(const Text& text, int lineHeight, LineMeasure& measure);
// Bold text is wider than the measure: widens the control 10 pixels at a
// time until it needs no more than `height`; returns the width to keep.
int WidthForBoldText(int width, int height, TextControlProbe& probe);

struct FrameMetrics {
    int frameWidth;
    int frameHeight;
    int captionHeight;
};

Extent BoxSizeFor(Extent textControl, const FrameMetrics& frame);
// The text control in a client area of `client`; its width stays.
BoxRect TextControlRect(Extent client, Extent textControl);
// Button `index` of `count`, numbered from the left.
BoxRect ButtonRect(Extent client, int index, int count);

struct BoxPaintLayout {
    int shadowLineY;
    int lightLineY;
    BoxRect buttonBand;
    BoxRect leftBand;
};

BoxPaintLayout PaintLayoutFor(Extent client);

} // namespace zelkor
