// The host on real windows: message boxes, yields and the end of the program
// on the calling (user-interface) thread.
#pragma once

#include "forms/Host.h"

#include <functional>

namespace forms {

class Win32Host : public Host {
public:
    // Owned by the thread's active window, if it has one.
    int MsgBox(const std::string& text, uint32_t style, const std::string& caption) override;
    // Dispatches the messages waiting in this thread's queue, then returns. A
    // handler that ended the program during it ends the caller too.
    void DoEvents() override;
    // Destroys this thread's windows, posts WM_QUIT and throws ProgramEnded.
    [[noreturn]] void End() override;

    // For window procedures: runs a handler and stops ProgramEnded there, so
    // that it never unwinds through the system's frames. Returns false when
    // the handler ended the program; the next yield or message loop of ours
    // carries the end on.
    bool RunHandler(const std::function<void()>& handler);
    bool Ended() const { return ended_; }

private:
    bool ended_ = false;
};

}  // namespace forms
