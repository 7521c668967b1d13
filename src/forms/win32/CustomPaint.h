// What a painter of a custom control gets: the host makes the window (an
// owner-drawn button, so clicks, Enter and focus work as for any button) and
// tracks the mouse; the painter only draws. Register one with
// Win32Host::SetPainter.
#pragma once

#include "forms/Control.h"
#include "os/win32/WinHeaders.h"

namespace forms {

struct CustomPaint {
    const Control& control;
    HWND window;
    HDC dc;
    RECT rect;    // the whole control, in pixels
    int dpi;      // to scale 96-DPI measures
    HFONT font;   // the control's font at this DPI
    bool pressed;
    bool focused;
    bool hot;     // the mouse is over the control
    bool disabled;
};

}  // namespace forms
