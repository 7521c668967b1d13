#include "forms/ControlRules.h"

#include <cctype>

namespace forms {

namespace {

std::size_t IndexOf(const Control& control) {
    const auto& controls = control.Owner().Controls();
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (controls[i] == &control) return i;
    return controls.size();
}

bool SameBounds(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

bool SameRun(const Control& a, const Control& b) {
    return a.Kind() == ControlKind::Option && b.Kind() == ControlKind::Option && a.Container() == b.Container();
}

}  // namespace

int ControlId(const Control& control) { return kFirstControlId + static_cast<int>(IndexOf(control)); }

Control* ControlById(const Form& form, int id) {
    const auto& controls = form.Controls();
    if (id < kFirstControlId || id - kFirstControlId >= static_cast<int>(controls.size())) return nullptr;
    return controls[static_cast<std::size_t>(id - kFirstControlId)];
}

int Scale(int value, int dpi) {
    // Round half away from zero, as MulDiv does.
    long long scaled = static_cast<long long>(value) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 48) / 96 : (scaled - 48) / 96);
}

Rect FormBounds(const Control& control) {
    Rect bounds = control.Bounds();
    for (const Control* c = control.Container(); c != nullptr; c = c->Container()) {
        bounds.left += c->Bounds().left;
        bounds.top += c->Bounds().top;
    }
    return bounds;
}

PixelRect ScaledBounds(const Control& control, int dpi) {
    Rect b = FormBounds(control);
    return {Scale(b.left, dpi), Scale(b.top, dpi), Scale(b.left + b.width, dpi), Scale(b.top + b.height, dpi)};
}

bool IsCovered(const Control& control) {
    if (control.Kind() != ControlKind::Frame) return false;
    const auto& controls = control.Owner().Controls();
    std::size_t mine = IndexOf(control);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Control* other = controls[i];
        if (other == &control || other->Kind() != ControlKind::Frame || other->Container() != control.Container() ||
            !other->Visible() || !SameBounds(other->Bounds(), control.Bounds()))
            continue;
        if (other->ZOrder() > control.ZOrder() || (other->ZOrder() == control.ZOrder() && i > mine)) return true;
    }
    return false;
}

bool IsOnScreen(const Control& control) {
    for (const Control* c = &control; c != nullptr; c = c->Container())
        if (!c->Visible() || IsCovered(*c)) return false;
    return true;
}

bool IsUsable(const Control& control) {
    for (const Control* c = &control; c != nullptr; c = c->Container())
        if (!c->Enabled()) return false;
    return true;
}

char AccessKey(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        const auto key = static_cast<unsigned char>(caption[i + 1]);
        if (std::isalnum(key)) return static_cast<char>(std::tolower(key));
    }
    return 0;
}

bool StartsGroup(const Form& form, std::size_t index) {
    const auto& controls = form.Controls();
    if (index == 0 || index >= controls.size()) return true;
    return !SameRun(*controls[index - 1], *controls[index]);
}

bool IsTabStop(const Form& form, std::size_t index) {
    const auto& controls = form.Controls();
    if (index >= controls.size()) return false;
    const Control& control = *controls[index];
    switch (control.Kind()) {
        case ControlKind::Button:
        case ControlKind::Check:
        case ControlKind::TextBox:
        case ControlKind::Custom:
            return true;
        case ControlKind::Option:
            break;
        default:
            return false;
    }
    std::size_t first = index;
    while (!StartsGroup(form, first)) --first;
    std::size_t selected = controls.size();
    for (std::size_t i = first; i < controls.size() && (i == first || !StartsGroup(form, i)); ++i) {
        if (controls[i]->Value()) {
            selected = i;
            break;
        }
    }
    return selected == controls.size() ? index == first : index == selected;
}

}  // namespace forms
