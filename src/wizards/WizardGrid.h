// The wizards' geometry on the shared grid: the marker panel on the left,
// the stacked pages beside it, the button row below.
#pragma once

#include "forms/Grid.h"

namespace wizards::layout {

using namespace forms::grid;

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
constexpr forms::Rect ButtonFromRight(int n) { return forms::grid::ButtonFromRight(kWidth, kButtonsTop, n); }

}  // namespace wizards::layout
