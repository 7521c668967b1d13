#include "forms/Form.h"

namespace forms {

Form::Form(Host& host, std::string name, std::string caption, int clientWidth, int clientHeight)
    : host_(host),
      name_(std::move(name)),
      caption_(std::move(caption)),
      clientWidth_(clientWidth),
      clientHeight_(clientHeight) {}

Form::~Form() = default;

void Form::SetCaption(const std::string& caption) {
    if (caption_ == caption) return;
    caption_ = caption;
    host_.FormChanged(*this, nullptr);
}

void Form::Show() {
    if (unloaded_) return;
    visible_ = true;
    host_.ShowForm(*this, false);
}

void Form::ShowModal() {
    if (unloaded_) return;
    visible_ = true;
    host_.ShowForm(*this, true);
}

void Form::Hide() {
    if (!visible_) return;
    visible_ = false;
    host_.HideForm(*this);
}

void Form::Unload() {
    if (unloaded_) return;
    visible_ = false;
    unloaded_ = true;
    host_.UnloadForm(*this);
}

Control* Form::Find(const std::string& name, int index) const {
    for (Control* c : controls_)
        if (c->Name() == name && c->Index() == index) return c;
    return nullptr;
}

void Form::Register(Control& control) { controls_.push_back(&control); }

void Form::ControlChanged(Control& control) { host_.FormChanged(*this, &control); }

}  // namespace forms
