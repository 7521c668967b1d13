#include "forms/Control.h"

#include "forms/Form.h"

namespace forms {

Control::Control(Form& form, std::string name, ControlKind kind, Rect bounds, std::string caption,
                 Control* container, int index)
    : form_(form),
      name_(std::move(name)),
      kind_(kind),
      container_(container),
      index_(index),
      caption_(std::move(caption)),
      bounds_(bounds) {
    form_.Register(*this);
}

void Control::Changed() { form_.ControlChanged(*this); }

void Control::SetCaption(const std::string& caption) {
    if (caption_ == caption) return;
    caption_ = caption;
    Changed();
}

void Control::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    Changed();
}

void Control::SetVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    Changed();
}

bool Control::IsShown() const {
    for (const Control* c = this; c != nullptr; c = c->container_)
        if (!c->visible_) return false;
    return true;
}

void Control::SetValue(bool value) {
    if (kind_ == ControlKind::Option && value) {
        for (Control* other : form_.Controls()) {
            if (other != this && other->kind_ == ControlKind::Option && other->container_ == container_ &&
                other->value_) {
                other->value_ = false;
                other->Changed();
            }
        }
    }
    if (value_ == value) return;
    value_ = value;
    Changed();
}

void Control::SetBold(bool bold) {
    if (bold_ == bold) return;
    bold_ = bold;
    Changed();
}

void Control::SetUnderline(bool underline) {
    if (underline_ == underline) return;
    underline_ = underline;
    Changed();
}

void Control::SetFontGrow(int points) {
    if (fontGrow_ == points) return;
    fontGrow_ = points;
    Changed();
}

void Control::SetForeColor(Color color) {
    if (foreColor_ == color) return;
    foreColor_ = color;
    Changed();
}

void Control::SetFillColor(Color color) {
    if (fillColor_ == color) return;
    fillColor_ = color;
    Changed();
}

void Control::SetBounds(const Rect& bounds) {
    bounds_ = bounds;
    Changed();
}

void Control::BringToTop() {
    zOrder_ = form_.NextZOrder();
    Changed();
}

void Control::SetPicture(int resourceId) {
    if (picture_ == resourceId) return;
    picture_ = resourceId;
    Changed();
}

void Control::DoClick() {
    if (!enabled_ || !IsShown()) return;
    if (kind_ == ControlKind::Option) SetValue(true);
    if (kind_ == ControlKind::Check) SetValue(!value_);
    if (OnClick) OnClick();
}

Control& ControlArray::Add(Form& form, const std::string& name, ControlKind kind, Rect bounds, std::string caption,
                           Control* container) {
    items_.push_back(std::make_unique<Control>(form, name, kind, bounds, std::move(caption), container,
                                               static_cast<int>(items_.size())));
    return *items_.back();
}

}  // namespace forms
