// The host on real windows, on the calling (user-interface) thread: message
// boxes, yields, the end of the program, and the forms as top-level windows
// with standard controls.
//
// A form becomes one window of class "QuorvexForm" on its first Show, is
// hidden by Hide and destroyed by Unload. Its controls are children of that
// window (never of a group box), with the identifier ControlIdOf gives (100 +
// the control's place in creation order). Geometry in the model is in
// 96-DPI pixels and is scaled to the window's DPI.
#pragma once

#include "forms/Host.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace forms {

struct CustomPaint;
namespace win32 {
class FormWindow;
}

class Win32Host : public Host {
public:
    Win32Host();
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    // Owned by the thread's active window, if it has one.
    int MsgBox(const std::string& text, uint32_t style, const std::string& caption) override;
    // Dispatches the messages waiting in this thread's queue, then returns. A
    // handler that ended the program during it ends the caller too.
    void DoEvents() override;
    // Stops at the first time that found the queue empty: under Wine each
    // look is a round trip to its server (about 0.1 ms), and the engine yields
    // in bursts (18 times for a file renamed aside).
    void DoEvents(int times) override;
    // Hides every form, destroys this thread's windows, posts WM_QUIT and
    // throws ProgramEnded.
    [[noreturn]] void End() override;

    // Modal: the program's other windows are disabled and a message loop runs
    // until the form is hidden or unloaded; then the windows are enabled
    // again and the window that was active before is activated.
    void ShowForm(Form& form, bool modal) override;
    void HideForm(Form& form) override;
    void UnloadForm(Form& form) override;
    void FormChanged(Form& form, Control* control) override;
    // The form's window once it has been shown, until it is unloaded.
    std::uintptr_t WindowOf(const Form& form) override;
    // A control's window, when its form has one.
    std::uintptr_t WindowOf(const Control& control);
    static int ControlIdOf(const Control& control);
    // For layout tests: the controls shown now whose caption does not fit
    // them ("name" or "name(index)").
    std::vector<std::string> ClippedControls(const Form& form);

    // The program's life: runs entry, then the message loop while any form is
    // shown. Returns when nothing is shown any more or the program ended.
    // Exceptions other than the end of the program reach the caller.
    int Run(const std::function<void()>& entry);

    // For window procedures: runs a handler and stops ProgramEnded there, so
    // that it never unwinds through the system's frames. Returns false when
    // the handler ended the program; the next yield or message loop of ours
    // carries the end on. Any other exception is held the same way and
    // raised again by the message loop or yield that dispatched the message.
    bool RunHandler(const std::function<void()>& handler);
    bool Ended() const { return ended_; }

    // Custom controls are drawn by the painter registered under the
    // control's name, else by the one registered under "".
    using Painter = std::function<void(const CustomPaint&)>;
    void SetPainter(const std::string& controlName, Painter painter);

private:
    friend class win32::FormWindow;
    struct State;

    win32::FormWindow* WindowFor(const Form& form) const;
    win32::FormWindow& EnsureWindow(Form& form);
    void RunModalLoop(Form& form);
    // Takes one message (waiting for it when wait is set) and dispatches it;
    // false when the message was WM_QUIT, which is left in the queue.
    bool PumpOne(bool wait);
    // Dispatches until the queue is empty; whether anything was.
    bool Drain();
    void RaiseHeld();
    // Gives back what a modal show took, when form is in a modal show.
    void ReleaseModal(Form& form);

    std::unique_ptr<State> state_;
    bool ended_ = false;
};

}  // namespace forms
