// The shell's dialogs share one grid (pixels at 96 DPI), so they look alike.
#pragma once

#include "forms/Control.h"

namespace app::layout {

constexpr int kMargin = 11;         // from the window's edges and between groups
constexpr int kButtonWidth = 75;
constexpr int kWideButtonWidth = 87;  // for "Online Help": wide fonts at 120 DPI and up
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;       // between buttons side by side
constexpr int kLine = 17;           // one line of a label, option or check box
constexpr int kOptionStep = 23;     // from one option to the next
constexpr int kFrameTop = 22;       // first line inside a frame, below its caption
constexpr int kFrameInset = 12;     // left edge of lines inside a frame
constexpr int kHeadingGrow = 4;     // headings: bold and this many points larger
constexpr int kSubHeadingGrow = 2;

constexpr forms::Color kLinkBlue = 0x00FF0000;  // 0x00BBGGRR

// The n-th button from the right edge (0 = rightmost) of a row at top.
constexpr forms::Rect ButtonFromRight(int clientWidth, int top, int n) {
    return {clientWidth - kMargin - kButtonWidth - n * (kButtonWidth + kButtonGap), top, kButtonWidth,
            kButtonHeight};
}
// The n-th button from the left edge (0 = leftmost) of a row at top.
constexpr forms::Rect ButtonFromLeft(int top, int n) {
    return {kMargin + n * (kButtonWidth + kButtonGap), top, kButtonWidth, kButtonHeight};
}

constexpr forms::Rect Wide(forms::Rect button) {
    button.width = kWideButtonWidth;
    return button;
}

inline void MakeHeading(forms::Control& label, int grow = kHeadingGrow) {
    label.SetBold(true);
    label.SetFontGrow(grow);
}

}  // namespace app::layout
