// The wizards' one grid (pixels at 96 DPI): the marker panel on the left, the
// stacked pages beside it, the button row below. Same spacing as the shell's
// dialogs.
#pragma once

#include "forms/Control.h"

namespace wizards::layout {

constexpr int kMargin = 11;
constexpr int kButtonWidth = 75;
constexpr int kWideButtonWidth = 87;  // for "Online Help": wide fonts at 120 DPI and up
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr int kLine = 17;      // one line of a label, option or check box
constexpr int kTextLine = 13;  // each further line of a wrapped label
constexpr int kCheckStep = 23;
constexpr int kHeadingGrow = 4;
constexpr int kSubHeadingGrow = 2;

constexpr int kWidth = 560;
constexpr int kPanelWidth = 120;
constexpr int kPageLeft = kMargin + kPanelWidth + kMargin;
constexpr int kPageWidth = kWidth - kPageLeft - kMargin;
constexpr int kPageHeight = 296;
constexpr int kButtonsTop = kMargin + kPageHeight + kMargin;
constexpr int kHeight = kButtonsTop + kButtonHeight + kMargin;

constexpr int kHeadHeight = 26;               // a page's bold heading
constexpr int kBodyTop = 36;                  // first line below it
constexpr int kFootTop = kPageHeight - kLine; // the prompt at a page's foot

// A label across the page at top, lines high.
constexpr forms::Rect Line(int top, int lines = 1) {
    return {0, top, kPageWidth, lines == 1 ? kLine : kLine + (lines - 1) * kTextLine};
}
constexpr forms::Rect Head() { return {0, 0, kPageWidth, kHeadHeight}; }
constexpr forms::Rect Foot() { return Line(kFootTop); }

// The n-th button from the right edge (0 = rightmost) of the button row.
constexpr forms::Rect ButtonFromRight(int n) {
    return {kWidth - kMargin - kButtonWidth - n * (kButtonWidth + kButtonGap), kButtonsTop, kButtonWidth,
            kButtonHeight};
}

inline void MakeHeading(forms::Control& label, int grow = kHeadingGrow) {
    label.SetBold(true);
    label.SetFontGrow(grow);
}

}  // namespace wizards::layout
