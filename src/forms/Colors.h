// The named colours of the forms, the wizards and their controls, each
// defined here once (0x00BBGGRR, as the classic colour values).
#pragma once

#include "forms/Control.h"

namespace forms::colors {

constexpr Color kLinkBlue = 0xFF0000;  // a link to a web page, unless it sets its own
constexpr Color kGreen = 0x00FF00;     // the wizard's current step; the candy buttons' highlights
constexpr Color kGrey = 0x808080;      // the wizard's other steps
constexpr Color kRed = 0x0000FF;       // the wizard's finish step until it is reached

}  // namespace forms::colors
