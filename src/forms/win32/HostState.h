// What the Win32 host keeps between calls; shared with its form windows.
#pragma once

#include "forms/win32/Win32Host.h"
#include "os/win32/WinHeaders.h"

#include <exception>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace forms {

struct Win32Host::State {
    // A modal show in progress: what it disabled and whom to give the
    // activation back to.
    struct Modal {
        Form* form = nullptr;
        HWND previous = nullptr;
        std::vector<HWND> disabled;
        bool released = false;
    };

    std::vector<win32::FormWindow*> windows;
    std::vector<std::unique_ptr<Modal>> modal;
    std::map<std::string, Painter> painters;
    // The message our loop is dispatching: tells a posted click from one a
    // control reports on its own.
    const MSG* dispatching = nullptr;
    // An exception a handler raised, until the loop that dispatched it
    // raises it again.
    std::exception_ptr held;

    bool IsFormWindow(HWND window) const;
    bool DispatchingPosted(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
        return dispatching != nullptr && dispatching->hwnd == window && dispatching->message == message &&
               dispatching->wParam == wParam && dispatching->lParam == lParam;
    }
};

}  // namespace forms
