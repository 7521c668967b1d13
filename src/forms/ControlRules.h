// The rules every host applies to the form model: where a control lands in
// pixels, whether it is on screen and usable, which keys reach it. The Win32
// host builds its windows by them and the scripted host lets its user touch
// only what they allow, so both agree on what a user can reach.
#pragma once

#include "forms/Form.h"

#include <string>

namespace forms {

// A child window's identifier: the control's place in its form's creation
// order, offset past the dialog manager's own IDOK/IDCANCEL.
constexpr int kFirstControlId = 100;
int ControlId(const Control& control);
// The control with that identifier, or null.
Control* ControlById(const Form& form, int id);

// Edges in device pixels.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const PixelRect&) const = default;
};

// 96-DPI pixels to pixels at dpi, rounded to nearest.
int Scale(int value, int dpi);
// The control on its form (its containers' offsets added), at 96 DPI.
Rect FormBounds(const Control& control);
// The same at dpi; edges are scaled rather than sizes, so that controls that
// touch at 96 DPI still touch.
PixelRect ScaledBounds(const Control& control, int dpi);

// A frame lies under another frame of the same container at the same place
// that is on top: brought to the top later or, never brought up, created later.
bool IsCovered(const Control& control);
// On screen: its own flag set, not covered, and so all of its containers.
bool IsOnScreen(const Control& control);
// Usable: enabled, and so all of its containers (a disabled frame disables
// what it holds).
bool IsUsable(const Control& control);

// "&" before a letter or digit marks an access key; "&&" is a plain "&".
// The key in lower case, or 0 for none.
char AccessKey(const std::string& caption);
inline bool HasAccessKey(const std::string& caption) { return AccessKey(caption) != 0; }

// Keyboard groups follow the dialog manager's rules: arrow keys move within
// a run of options of one container that follow each other in creation
// order; every other control starts a group of its own.
bool StartsGroup(const Form& form, std::size_t index);
// Tab stops: buttons, check boxes, text boxes and custom controls; of each
// run of options only the selected one (the first while none is), so that
// tabbing into a group never selects an option by itself.
bool IsTabStop(const Form& form, std::size_t index);

}  // namespace forms
