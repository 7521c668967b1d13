// What the program's logic asks of the user interface: message boxes,
// letting pending window messages run, and ending the program. The Win32 host
// shows real windows; the scripted host plays a test's user.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace forms {

class Form;
class Control;

// Message box buttons and icons, combined with |.
enum MsgBoxStyle : uint32_t {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
};

// The button a message box was closed with.
enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

// Thrown by End(): unwinds to the host's top level so that no code after it
// runs. Only hosts catch it. Deliberately not a std::exception: the engine and
// the event handlers catch std::exception to carry on after a failure, and
// none of those catches may swallow the end of the program.
class ProgramEnded {
public:
    ProgramEnded() = default;
};

class Host {
public:
    virtual ~Host() = default;
    virtual int MsgBox(const std::string& text, uint32_t style, const std::string& caption) = 0;
    // Lets pending window messages run once.
    virtual void DoEvents() = 0;
    // As many times; a host may stop at a time that found nothing to run,
    // since nothing of the program's has run after it.
    virtual void DoEvents(int times) {
        for (int i = 0; i < times; ++i) DoEvents();
    }
    // Stops the program at once: closes every form and throws ProgramEnded.
    [[noreturn]] virtual void End() = 0;

    // Forms. ShowForm with modal set returns when the form is hidden or
    // unloaded; the form has already updated its own state when these run.
    virtual void ShowForm(Form& form, bool modal) { (void)form, (void)modal; }
    virtual void HideForm(Form& form) { (void)form; }
    virtual void UnloadForm(Form& form) { (void)form; }
    // A control of the form (or, with null, the form itself) changed.
    virtual void FormChanged(Form& form, Control* control) { (void)form, (void)control; }
    // The form's window, as an owner for shell calls; 0 when it has none.
    virtual std::uintptr_t WindowOf(const Form& form) { (void)form; return 0; }
};

}  // namespace forms
