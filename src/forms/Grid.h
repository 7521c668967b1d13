// The one grid of every form and wizard (pixels at 96 DPI), so that they all
// look alike.
#pragma once

#include "forms/Control.h"

namespace forms::grid {

constexpr int kMargin = 11;           // from the window's edges and between groups
constexpr int kButtonWidth = 75;
constexpr int kWideButtonWidth = 87;  // for "Online Help": wide fonts at 120 DPI and up
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;         // between buttons side by side
constexpr int kLine = 17;             // one line of a label, option or check box
constexpr int kTextLine = 13;         // each further line of a wrapped label
constexpr int kOptionStep = 23;       // from one option or check box to the next
constexpr int kFrameTop = 22;         // first line inside a frame, below its caption
constexpr int kFrameInset = 12;       // left edge of lines inside a frame
constexpr int kHeadingGrow = 4;       // headings: bold and this many points larger
constexpr int kSubHeadingGrow = 2;

// The n-th button from the right edge (0 = rightmost) of a row at top.
constexpr Rect ButtonFromRight(int clientWidth, int top, int n) {
    return {clientWidth - kMargin - kButtonWidth - n * (kButtonWidth + kButtonGap), top, kButtonWidth,
            kButtonHeight};
}
// The n-th button from the left edge (0 = leftmost) of a row at top.
constexpr Rect ButtonFromLeft(int top, int n) {
    return {kMargin + n * (kButtonWidth + kButtonGap), top, kButtonWidth, kButtonHeight};
}

constexpr Rect Wide(Rect button) {
    button.width = kWideButtonWidth;
    return button;
}

inline void MakeHeading(Control& label, int grow = kHeadingGrow) {
    label.SetBold(true);
    label.SetFontGrow(grow);
}

}  // namespace forms::grid
