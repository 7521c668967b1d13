#include "forms/ScriptedHost.h"

#include "forms/ControlRules.h"

namespace forms {

namespace {
// The button Enter presses: the first, or the second where the box says so.
int DefaultButton(uint32_t style) {
    const bool second = (style & vbDefaultButton2) != 0;
    switch (style & 0xF) {
        case vbOKCancel: return second ? vbCancel : vbOK;
        case vbAbortRetryIgnore: return second ? vbRetry : vbAbort;
        case vbYesNoCancel:
        case vbYesNo: return second ? vbNo : vbYes;
        case vbRetryCancel: return second ? vbCancel : vbRetry;
        default: return vbOK;
    }
}
}  // namespace

int ScriptedHost::MsgBox(const std::string& text, uint32_t style, const std::string& caption) {
    int answer = DefaultButton(style);
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    boxes_.push_back({text, style, caption, answer});
    return answer;
}

void ScriptedHost::DoEvents() {
    ++yields_;
    auto [first, last] = atYield_.equal_range(yields_);
    std::vector<std::function<void()>> due;
    for (auto it = first; it != last; ++it) due.push_back(std::move(it->second));
    atYield_.erase(first, last);
    for (const auto& action : due) action();  // may End(), which unwinds from here
}

void ScriptedHost::End() {
    ended_ = true;
    for (auto& [name, form] : forms_)
        if (form->Visible()) form->Hide();
    modal_.clear();
    throw ProgramEnded{};
}

void ScriptedHost::AtYield(int n, std::function<void()> action) {
    atYield_.emplace(yields_ + n, std::move(action));
}

void ScriptedHost::ShowForm(Form& form, bool modal) {
    forms_[form.Name()] = &form;
    showLog_.push_back(form.Name() + (modal ? " (modal)" : ""));
    if (!modal) return;
    modal_.push_back(&form);
    struct Pop {
        std::vector<Form*>& stack;
        Form* form;
        ~Pop() {
            if (!stack.empty() && stack.back() == form) stack.pop_back();
        }
    } pop{modal_, &form};
    while (form.Visible() && !form.Unloaded()) RunNextAction(&form);
}

void ScriptedHost::HideForm(Form&) {}

void ScriptedHost::UnloadForm(Form& form) {
    auto it = forms_.find(form.Name());
    if (it != forms_.end() && it->second == &form) forms_.erase(it);
}

void ScriptedHost::FormChanged(Form&, Control*) {}

std::uintptr_t ScriptedHost::WindowOf(const Form& form) {
    // A stable stand-in for a window handle: the form's address.
    return form.Visible() ? reinterpret_cast<std::uintptr_t>(&form) : 0;
}

void ScriptedHost::RunNextAction(const Form* waitingFor) {
    if (script_.empty()) {
        throw ScriptError("the program waits for input" +
                          (waitingFor ? " in " + waitingFor->Name() : std::string()) +
                          " but the script has nothing left");
    }
    auto action = std::move(script_.front());
    script_.pop_front();
    action();
}

void ScriptedHost::Run(const std::function<void()>& entry) {
    try {
        entry();
        for (;;) {
            bool anyShown = false;
            for (auto& [name, form] : forms_) anyShown = anyShown || form->Visible();
            if (!anyShown || script_.empty()) break;
            RunNextAction(nullptr);
        }
    } catch (const ProgramEnded&) {
        ended_ = true;
    }
}

Form* ScriptedHost::FindForm(const std::string& name) const {
    auto it = forms_.find(name);
    return it == forms_.end() ? nullptr : it->second;
}

std::vector<std::string> ScriptedHost::ModalStack() const {
    std::vector<std::string> names;
    for (const Form* f : modal_) names.push_back(f->Name());
    return names;
}

Form& ScriptedHost::UsableForm(const std::string& name) const {
    Form* form = FindForm(name);
    if (form == nullptr || !form->Visible()) throw ScriptError(name + " is not shown");
    if (!modal_.empty() && modal_.back() != form)
        throw ScriptError(name + " is behind the modal " + modal_.back()->Name());
    return *form;
}

Control& ScriptedHost::ReachableControl(const std::string& formName, const std::string& controlName,
                                        int index) const {
    const Form& form = UsableForm(formName);
    Control* control = form.Find(controlName, index);
    if (control == nullptr) throw ScriptError(formName + " has no control " + controlName);
    // The real host hides what is not on screen and disables what is not
    // usable, so no click or key of a user ever reaches either.
    if (!IsOnScreen(*control) || !IsUsable(*control))
        throw ScriptError(formName + "." + controlName + " cannot be reached now");
    return *control;
}

void ScriptedHost::Click(const std::string& formName, const std::string& controlName, int index) {
    ReachableControl(formName, controlName, index).DoClick();
}

void ScriptedHost::Type(const std::string& formName, const std::string& controlName, const std::string& text) {
    Control& control = ReachableControl(formName, controlName, -1);
    if (control.Kind() != ControlKind::TextBox) throw ScriptError(formName + "." + controlName + " takes no text");
    control.SetCaption(text);
}

void ScriptedHost::ThenClick(const std::string& form, const std::string& control, int index) {
    Then([this, form, control, index] { Click(form, control, index); });
}

void ScriptedHost::ThenCloseByFrame(const std::string& formName) {
    Then([this, formName] { UsableForm(formName).OnFrameClose(); });
}

}  // namespace forms
