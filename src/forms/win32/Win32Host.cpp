#include "forms/win32/Win32Host.h"

#include "os/win32/WinHeaders.h"

#include <string>
#include <vector>

namespace forms {

namespace {

// The program's own windows: of classes it registered, and dialogs. The
// system's helper windows on the thread (input method) are left alone.
BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
    char name[16] = {};
    ::GetClassNameA(window, name, sizeof name);
    bool ours = reinterpret_cast<HMODULE>(::GetClassLongPtrA(window, GCLP_HMODULE)) == ::GetModuleHandleA(nullptr);
    if (ours || std::string(name) == "#32770") reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

}  // namespace

int Win32Host::MsgBox(const std::string& text, uint32_t style, const std::string& caption) {
    return ::MessageBoxA(::GetActiveWindow(), text.c_str(), caption.c_str(), style);
}

void Win32Host::DoEvents() {
    if (ended_) throw ProgramEnded();
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave it for the message loop that owns the program's life.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
        if (ended_) throw ProgramEnded();
    }
}

void Win32Host::End() {
    ended_ = true;
    // Ending runs none of the forms' unload code, so the windows are
    // destroyed rather than asked to close.
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
        if (::IsWindow(window)) ::DestroyWindow(window);
    }
    ::PostQuitMessage(0);
    throw ProgramEnded();
}

bool Win32Host::RunHandler(const std::function<void()>& handler) {
    if (ended_) return false;
    try {
        handler();
        return true;
    } catch (const ProgramEnded&) {
        return false;
    }
}

}  // namespace forms
