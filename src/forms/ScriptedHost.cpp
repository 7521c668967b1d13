#include "forms/ScriptedHost.h"

namespace forms {

namespace {
int FirstButton(uint32_t style) {
    switch (style & 0xF) {
        case vbOKCancel: return vbOK;
        case vbAbortRetryIgnore: return vbAbort;
        case vbYesNoCancel:
        case vbYesNo: return vbYes;
        case vbRetryCancel: return vbRetry;
        default: return vbOK;
    }
}
}  // namespace

int ScriptedHost::MsgBox(const std::string& text, uint32_t style, const std::string& caption) {
    int answer = FirstButton(style);
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
    for (auto& action : due) action();  // may End(), which unwinds from here
}

void ScriptedHost::End() {
    ended_ = true;
    throw ProgramEnded{};
}

void ScriptedHost::AtYield(int n, std::function<void()> action) {
    atYield_.emplace(yields_ + n, std::move(action));
}

}  // namespace forms
