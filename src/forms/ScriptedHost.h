// A host that plays the user in native tests. A test queues what the user
// does (clicks, closing a window, answers to message boxes, a click at the
// n-th yield); whenever the program waits for input (a modal form, the main
// message loop) the next queued action runs. It records every message box and
// checks that the user only touches what a user could: visible forms,
// nothing behind a modal one, and only controls on screen and usable by the
// rules the real host applies (not on a covered page, not in a disabled frame).
#pragma once

#include "forms/Form.h"
#include "forms/Host.h"

#include <deque>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace forms {

// The program waited for input and the script had nothing left, or the
// script did something no user could do.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ScriptedHost : public Host {
public:
    struct Box {
        std::string text;
        uint32_t style = 0;
        std::string caption;
        int answer = 0;
    };

    int MsgBox(const std::string& text, uint32_t style, const std::string& caption) override;
    void DoEvents() override;
    [[noreturn]] void End() override;
    void ShowForm(Form& form, bool modal) override;
    void HideForm(Form& form) override;
    void UnloadForm(Form& form) override;
    void FormChanged(Form& form, Control* control) override;
    std::uintptr_t WindowOf(const Form& form) override;

    // Runs the program's entry, then its message loop: queued actions run
    // while any form is shown and actions are left. Returns when the
    // program ended (End) or has nothing more to do.
    void Run(const std::function<void()>& entry);

    // --- The user's script ---
    // The next message box is closed with this button. Without a queued
    // answer a box is closed with its default button: the first (OK, Yes,
    // Abort, Retry) unless the box makes the second one the default.
    void QueueAnswer(int answer) { answers_.push_back(answer); }
    // The next thing the user does when the program waits for input.
    void Then(std::function<void()> action) { script_.push_back(std::move(action)); }
    void ThenClick(const std::string& form, const std::string& control, int index = -1);
    // Closes the form through its window frame.
    void ThenCloseByFrame(const std::string& form);
    // Runs action during the n-th yield from now on (1 = the next one).
    void AtYield(int n, std::function<void()> action);
    // Clicks a control now, as the user would; a control the user could not
    // reach is a ScriptError.
    void Click(const std::string& form, const std::string& control, int index = -1);
    // Replaces a text box's text now, as the user would; checked as a click.
    void Type(const std::string& form, const std::string& control, const std::string& text);

    // --- What happened ---
    const std::vector<Box>& Boxes() const { return boxes_; }
    int Yields() const { return yields_; }
    bool Ended() const { return ended_; }
    // Forms the program has shown at least once, by name (latest instance).
    Form* FindForm(const std::string& name) const;
    // Names of the forms shown modally right now, outermost first.
    std::vector<std::string> ModalStack() const;
    // Every form shown, in order ("frmMain", "frmWordVerChoice (modal)").
    const std::vector<std::string>& ShowLog() const { return showLog_; }
    std::size_t ActionsLeft() const { return script_.size(); }

private:
    Form& UsableForm(const std::string& name) const;
    Control& ReachableControl(const std::string& form, const std::string& control, int index) const;
    void RunNextAction(const Form* waitingFor);

    std::vector<Box> boxes_;
    std::deque<int> answers_;
    std::deque<std::function<void()>> script_;
    std::multimap<int, std::function<void()>> atYield_;
    std::map<std::string, Form*> forms_;
    std::vector<Form*> modal_;
    std::vector<std::string> showLog_;
    int yields_ = 0;
    bool ended_ = false;
};

}  // namespace forms
