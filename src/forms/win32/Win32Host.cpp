#include "forms/win32/Win32Host.h"

#include "forms/Form.h"
#include "forms/win32/FormWindow.h"
#include "forms/win32/HostState.h"
#include "forms/win32/SystemText.h"
#include "os/win32/WinHeaders.h"

#include <commctrl.h>

#include <algorithm>
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

std::vector<HWND> ProgramWindows() {
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

enum class Pumped { Dispatched, Empty, Quit };

}  // namespace

bool Win32Host::State::IsFormWindow(HWND window) const {
    return std::any_of(windows.begin(), windows.end(),
                       [window](const win32::FormWindow* w) { return w->Window() == window; });
}

Win32Host::Win32Host() : state_(std::make_unique<State>()) {
    win32::MakeProcessDpiAware();
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);
}

Win32Host::~Win32Host() {
    // Forms may outlive the host: their windows go now, their objects later.
    for (win32::FormWindow* window : std::vector<win32::FormWindow*>(state_->windows)) window->Detach();
}

int Win32Host::MsgBox(const std::string& text, uint32_t style, const std::string& caption) {
    return ::MessageBoxA(::GetActiveWindow(), win32::SystemText(text).c_str(), win32::SystemText(caption).c_str(), style);
}

bool Win32Host::PumpOne(bool wait) {
    MSG message;
    if (wait) {
        if (::GetMessageA(&message, nullptr, 0, 0) <= 0) {
            // Leave it for the message loop that owns the program's life.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
    } else {
        if (!::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return false;
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
    }
    {
        struct Restore {
            State& state;
            const MSG* dispatching;
            ~Restore() { state.dispatching = dispatching; }
        } restore{*state_, state_->dispatching};
        state_->dispatching = &message;
        HWND root = message.hwnd != nullptr ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        // Tab, arrows, access keys, Enter and Esc on a form.
        if (root == nullptr || !state_->IsFormWindow(root) || !::IsDialogMessageA(root, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    if (ended_) throw ProgramEnded();
    RaiseHeld();
    return true;
}

void Win32Host::RaiseHeld() {
    if (state_->held) std::rethrow_exception(std::exchange(state_->held, nullptr));
}

void Win32Host::DoEvents() { DoEvents(1); }

void Win32Host::DoEvents(int times) {
    if (ended_) throw ProgramEnded();
    for (int i = 0; i < times; ++i) {
        if (!Drain()) return;
    }
}

bool Win32Host::Drain() {
    bool ran = false;
    while (PumpOne(false)) ran = true;
    return ran;
}

void Win32Host::End() {
    ended_ = true;
    // Forms are hidden as the model sees them; their windows are destroyed
    // rather than asked to close, since ending runs none of the forms' code.
    for (win32::FormWindow* window : std::vector<win32::FormWindow*>(state_->windows))
        window->GetForm().Hide();
    for (HWND window : ProgramWindows()) {
        if (::IsWindow(window)) ::DestroyWindow(window);
    }
    state_->modal.clear();
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
    } catch (...) {
        if (!state_->held) state_->held = std::current_exception();
        return false;
    }
}

win32::FormWindow* Win32Host::WindowFor(const Form& form) const {
    auto* window = static_cast<win32::FormWindow*>(form.HostData.get());
    if (window == nullptr) return nullptr;
    // HostData is ours only if we put it there.
    const auto& windows = state_->windows;
    return std::find(windows.begin(), windows.end(), window) != windows.end() ? window : nullptr;
}

win32::FormWindow& Win32Host::EnsureWindow(Form& form) {
    win32::FormWindow* existing = WindowFor(form);
    if (existing != nullptr && existing->Window() != nullptr) return *existing;
    auto window = std::make_shared<win32::FormWindow>(*this, form);
    window->Create();
    form.HostData = window;
    return *window;
}

void Win32Host::ShowForm(Form& form, bool modal) {
    if (ended_) throw ProgramEnded();
    win32::FormWindow& window = EnsureWindow(form);
    if (!modal) {
        window.Show();
        return;
    }
    auto frame = std::make_unique<State::Modal>();
    frame->form = &form;
    HWND active = ::GetActiveWindow();
    if (active != nullptr && active != window.Window() && ::IsWindowVisible(active)) frame->previous = active;
    for (HWND other : ProgramWindows()) {
        if (other == window.Window() || !::IsWindowVisible(other) || !::IsWindowEnabled(other)) continue;
        ::EnableWindow(other, FALSE);
        frame->disabled.push_back(other);
    }
    // Owned by the window it came from: it stays above it, and switching to
    // that window brings the form up.
    if (frame->previous != nullptr && state_->IsFormWindow(frame->previous))
        ::SetWindowLongPtrA(window.Window(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(frame->previous));
    state_->modal.push_back(std::move(frame));
    window.Show();
    RunModalLoop(form);
}

void Win32Host::RunModalLoop(Form& form) {
    struct Pop {
        Win32Host& host;
        Form& form;
        ~Pop() {
            host.ReleaseModal(form);
            auto& modal = host.state_->modal;
            for (auto it = modal.rbegin(); it != modal.rend(); ++it) {
                if ((*it)->form == &form) {
                    modal.erase(std::next(it).base());
                    break;
                }
            }
        }
    } pop{*this, form};
    while (!ended_ && form.Visible() && !form.Unloaded()) {
        if (!PumpOne(true)) break;
    }
    if (ended_) throw ProgramEnded();
}

void Win32Host::ReleaseModal(Form& form) {
    State::Modal* frame = nullptr;
    for (auto it = state_->modal.rbegin(); it != state_->modal.rend(); ++it) {
        if ((*it)->form == &form) {
            frame = it->get();
            break;
        }
    }
    if (frame == nullptr || frame->released) return;
    frame->released = true;
    // Enabled again before the form goes away, so that the activation
    // returns to them and not to another program.
    for (HWND window : frame->disabled)
        if (::IsWindow(window)) ::EnableWindow(window, TRUE);
    if (win32::FormWindow* window = WindowFor(form); window != nullptr && window->Window() != nullptr)
        ::SetWindowLongPtrA(window->Window(), GWLP_HWNDPARENT, 0);
}

void Win32Host::HideForm(Form& form) {
    if (ended_) return;
    win32::FormWindow* window = WindowFor(form);
    if (window == nullptr || window->Window() == nullptr) return;
    HWND previous = nullptr;
    for (const auto& frame : state_->modal)
        if (frame->form == &form && !frame->released) previous = frame->previous;
    ReleaseModal(form);
    window->Hide();
    if (previous != nullptr && ::IsWindow(previous) && ::IsWindowVisible(previous) && ::IsWindowEnabled(previous))
        ::SetForegroundWindow(previous);
}

void Win32Host::UnloadForm(Form& form) {
    win32::FormWindow* window = WindowFor(form);
    if (window == nullptr) return;
    HWND previous = nullptr;
    for (const auto& frame : state_->modal)
        if (frame->form == &form && !frame->released) previous = frame->previous;
    ReleaseModal(form);
    // Windows it owns would go with it.
    for (win32::FormWindow* other : state_->windows) {
        if (other != window && other->Window() != nullptr &&
            ::GetWindow(other->Window(), GW_OWNER) == window->Window())
            ::SetWindowLongPtrA(other->Window(), GWLP_HWNDPARENT, 0);
    }
    window->Destroy();
    // The window object itself stays while one of its messages is handled.
    form.HostData.reset();
    if (!ended_ && previous != nullptr && ::IsWindow(previous) && ::IsWindowVisible(previous) &&
        ::IsWindowEnabled(previous))
        ::SetForegroundWindow(previous);
}

void Win32Host::FormChanged(Form& form, Control* control) {
    if (win32::FormWindow* window = WindowFor(form)) window->Update(control);
}

std::uintptr_t Win32Host::WindowOf(const Form& form) {
    win32::FormWindow* window = WindowFor(form);
    return window != nullptr ? reinterpret_cast<std::uintptr_t>(window->Window()) : 0;
}

std::uintptr_t Win32Host::WindowOf(const Control& control) {
    win32::FormWindow* window = WindowFor(control.Owner());
    return window != nullptr ? reinterpret_cast<std::uintptr_t>(window->ControlWindow(control)) : 0;
}

std::vector<std::string> Win32Host::ClippedControls(const Form& form) {
    std::vector<std::string> names;
    if (win32::FormWindow* window = WindowFor(form)) {
        for (const Control* control : window->Clipped())
            names.push_back(control->Index() < 0 ? control->Name()
                                                 : control->Name() + "(" + std::to_string(control->Index()) + ")");
    }
    return names;
}

int Win32Host::ControlIdOf(const Control& control) { return forms::ControlId(control); }

void Win32Host::SetPainter(const std::string& controlName, Painter painter) {
    state_->painters[controlName] = std::move(painter);
}

int Win32Host::Run(const std::function<void()>& entry) {
    auto anyShown = [this] {
        return std::any_of(state_->windows.begin(), state_->windows.end(), [](const win32::FormWindow* w) {
            return w->Window() != nullptr && w->GetForm().Visible() && !w->GetForm().Unloaded();
        });
    };
    try {
        if (!ended_) {
            entry();
            while (!ended_ && anyShown()) {
                if (!PumpOne(true)) break;
            }
        }
    } catch (const ProgramEnded&) {
        // End closed every form and posted the quit message: the run is over.
    }
    // The quit message End posted is this loop's to take.
    int code = 0;
    MSG message;
    if (::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) code = static_cast<int>(message.wParam);
    return code;
}

}  // namespace forms
