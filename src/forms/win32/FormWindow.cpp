#include "forms/win32/FormWindow.h"

#include "forms/Colors.h"
#include "forms/win32/HostState.h"
#include "forms/win32/SystemText.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

namespace forms::win32 {

namespace {

// No WS_CLIPCHILDREN: group boxes and plain frames leave their inside to the
// form to paint, as in any dialog.
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kFormExStyle = 0;
// Asks the window to put the focus right once the current handler is done.
constexpr UINT kRepairFocus = WM_APP + 0x51;
#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

HINSTANCE Instance() { return ::GetModuleHandleA(nullptr); }

struct ChildClass {
    const char* className;
    DWORD style;
    DWORD exStyle;
};

DWORD PrefixStyle(const Control& control) { return HasAccessKey(control.Caption()) ? 0 : SS_NOPREFIX; }

ChildClass ChildClassFor(const Control& control, bool isDefault) {
    switch (control.Kind()) {
        case ControlKind::Label:
            return {"STATIC",
                    (control.WordWrap() ? SS_LEFT : SS_LEFTNOWORDWRAP) | PrefixStyle(control) |
                        (control.OnClick ? SS_NOTIFY : 0),
                    0};
        case ControlKind::Link:
            return {"STATIC", (control.WordWrap() ? SS_LEFT : SS_LEFTNOWORDWRAP) | PrefixStyle(control) | SS_NOTIFY,
                    0};
        case ControlKind::Button:
            return {"BUTTON", static_cast<DWORD>(isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_MULTILINE, 0};
        case ControlKind::Option:
            return {"BUTTON", BS_AUTORADIOBUTTON | BS_MULTILINE, 0};
        case ControlKind::Check:
            return {"BUTTON", BS_AUTOCHECKBOX | BS_MULTILINE, 0};
        case ControlKind::Frame:
            if (control.Caption().empty()) return {"STATIC", SS_OWNERDRAW, 0};
            return {"BUTTON", BS_GROUPBOX, 0};
        case ControlKind::TextBox:
            return {"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::Shape:
            return {"STATIC", SS_OWNERDRAW, 0};
        case ControlKind::Image:
            return {"STATIC", SS_ICON | SS_CENTERIMAGE, 0};
        case ControlKind::Custom:
            return {"BUTTON", BS_OWNERDRAW, 0};
    }
    return {"STATIC", 0, 0};
}

// The dialog manager's bits for the control at index: where a group of
// options starts, and where Tab stops.
DWORD KeyboardBits(const Form& form, std::size_t index) {
    return (StartsGroup(form, index) ? WS_GROUP : 0) | (IsTabStop(form, index) ? WS_TABSTOP : 0);
}

bool HasText(ControlKind kind) { return kind != ControlKind::Shape && kind != ControlKind::Image; }

std::string TextOf(HWND window) {
    int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    int got = ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(got, 0)));
    return FromSystemText(text);
}

int FontKey(const Control& control) {
    bool underline = control.Underline() || control.Kind() == ControlKind::Link;
    int grow = std::clamp(control.FontGrow(), -30, 60) + 64;
    return (control.Bold() ? 1 : 0) | (underline ? 2 : 0) | (grow << 2);
}

}  // namespace

FormWindow::FormWindow(Win32Host& host, Form& form) : host_(&host), form_(form) {
    host_->state_->windows.push_back(this);
}

FormWindow::~FormWindow() {
    if (host_ != nullptr) {
        auto& windows = host_->state_->windows;
        windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
    }
    // The form's controls are gone by now: the window must not reach them.
    if (window_ != nullptr) {
        HWND window = std::exchange(window_, nullptr);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        ::DestroyWindow(window);
    }
}

void FormWindow::Detach() {
    Destroy();
    host_ = nullptr;
}

void FormWindow::Create() {
    static const ATOM atom = [] {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = Procedure;
        // The dialog manager's own state: Tab, arrows, Enter, Esc and the
        // default button come from DefDlgProc.
        windowClass.cbWndExtra = DLGWINDOWEXTRA;
        windowClass.hInstance = Instance();
        windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
        windowClass.lpszClassName = kClassName;
        return ::RegisterClassExA(&windowClass);
    }();
    if (atom == 0) throw std::runtime_error("the form window class could not be registered");

    // Made on the monitor it will be shown on, so that it starts at that DPI.
    HWND active = ::GetActiveWindow();
    HMONITOR monitor = active != nullptr ? ::MonitorFromWindow(active, MONITOR_DEFAULTTONEAREST)
                                         : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    ::GetMonitorInfoA(monitor, &info);
    ::CreateWindowExA(kFormExStyle, kClassName, SystemText(form_.Caption()).c_str(), kFormStyle, info.rcWork.left,
                      info.rcWork.top, 100, 100, nullptr, nullptr, Instance(), this);
    if (window_ == nullptr) throw std::runtime_error("the window of " + form_.Name() + " could not be created");
    dpi_ = DpiOf(window_);

    const auto& controls = form_.Controls();
    for (std::size_t i = 0; i < controls.size(); ++i) CreateChild(i, nullptr);
    for (const auto& child : children_) Sync(*child);
    Layout();
    ResizeFrame(nullptr);
    LoadFormIcons();
}

void FormWindow::CreateChild(std::size_t index, HWND after) {
    if (children_.size() <= index) children_.resize(index + 1);
    if (!children_[index]) children_[index] = std::make_unique<Child>();
    Child& child = *children_[index];
    Control& control = *form_.Controls()[index];
    child.control = &control;
    child.fontKey = -1;
    child.picture = -1;
    ChildClass childClass = ChildClassFor(control, &control == form_.DefaultButton);
    child.plainFrame = control.Kind() == ControlKind::Frame && control.Caption().empty();
    PixelRect r = ScaledBounds(control, dpi_);
    // Made as Layout would leave it: each later change of style or
    // visibility is a round trip of its own under Wine.
    DWORD style = WS_CHILD | childClass.style | KeyboardBits(form_, index);
    if (!IsUsable(control)) style |= WS_DISABLED;
    if (IsOnScreen(control)) style |= WS_VISIBLE;
    // A new window paints in the control's colours anyway.
    child.fore = control.ForeColor();
    child.fill = control.FillColor();
    child.window = ::CreateWindowExA(
        childClass.exStyle, childClass.className, SystemText(HasText(control.Kind()) ? control.Caption() : std::string()).c_str(), style,
        r.left, r.top, r.right - r.left, r.bottom - r.top, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(control))), Instance(), nullptr);
    if (child.window == nullptr) throw std::runtime_error("the control " + control.Name() + " could not be created");
    // Creation order is tab order; a window made again goes back to its place.
    if (after != nullptr)
        ::SetWindowPos(child.window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (control.Kind() == ControlKind::Custom)
        ::SetWindowSubclass(child.window, CustomProcedure, 1, reinterpret_cast<DWORD_PTR>(&child));
}

HWND FormWindow::ControlWindow(const Control& control) const {
    for (const auto& child : children_)
        if (child && child->control == &control) return child->window;
    return nullptr;
}

FormWindow::Child* FormWindow::ChildOf(HWND window) {
    if (window == nullptr) return nullptr;
    for (auto& child : children_)
        if (child && child->window == window) return child.get();
    return nullptr;
}

FormWindow::Child* FormWindow::ChildOf(const Control& control) {
    for (auto& child : children_)
        if (child && child->control == &control) return child.get();
    return nullptr;
}

void FormWindow::Show() {
    if (window_ == nullptr) return;
    if (!placed_) {
        PlaceFirstTime();
        placed_ = true;
    }
    if (form_.DefaultButton != nullptr && ChildOf(*form_.DefaultButton) != nullptr)
        ::SendMessageA(window_, DM_SETDEFID, static_cast<WPARAM>(ControlId(*form_.DefaultButton)), 0);
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
    RepairFocusLater();
}

void FormWindow::Hide() {
    if (window_ != nullptr) ::ShowWindow(window_, SW_HIDE);
}

void FormWindow::Destroy() {
    if (window_ != nullptr) ::DestroyWindow(window_);
}

void FormWindow::Update(Control* control) {
    if (window_ == nullptr) return;
    if (control == nullptr) {
        if (TextOf(window_) != form_.Caption()) ::SetWindowTextA(window_, SystemText(form_.Caption()).c_str());
        return;
    }
    // Controls added to a control array after the window was made.
    const auto& controls = form_.Controls();
    for (std::size_t i = children_.size(); i < controls.size(); ++i) {
        CreateChild(i, nullptr);
        Sync(*children_[i]);
    }
    if (Child* child = ChildOf(*control)) Sync(*child);
    Layout();
    RepairFocusLater();
}

void FormWindow::Sync(Child& child) {
    Control& control = *child.control;
    // A frame is a group box while it has a caption, else only a container.
    if (control.Kind() == ControlKind::Frame && child.plainFrame != control.Caption().empty()) {
        HWND previous = ::GetWindow(child.window, GW_HWNDPREV);
        ::DestroyWindow(child.window);
        std::size_t index = static_cast<std::size_t>(ControlId(control) - kFirstControlId);
        CreateChild(index, previous != nullptr ? previous : HWND_TOP);
    }
    HWND window = child.window;
    if (HasText(control.Kind()) && !child.plainFrame && TextOf(window) != control.Caption())
        ::SetWindowTextA(window, SystemText(control.Caption()).c_str());
    if (control.Kind() == ControlKind::Label || control.Kind() == ControlKind::Link) {
        LONG_PTR style = ::GetWindowLongPtrA(window, GWL_STYLE);
        LONG_PTR want = (style & ~static_cast<LONG_PTR>(SS_NOPREFIX)) | PrefixStyle(control);
        if (want != style) {
            ::SetWindowLongPtrA(window, GWL_STYLE, want);
            ::InvalidateRect(window, nullptr, TRUE);
        }
    }
    int key = FontKey(control);
    if (key != child.fontKey) {
        // A form not yet shown paints everything when it is.
        ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control)), ::IsWindowVisible(window_));
        child.fontKey = key;
    }
    if (control.Kind() == ControlKind::Option || control.Kind() == ControlKind::Check) {
        WPARAM want = control.Value() ? BST_CHECKED : BST_UNCHECKED;
        if (static_cast<WPARAM>(::SendMessageA(window, BM_GETCHECK, 0, 0)) != want)
            ::SendMessageA(window, BM_SETCHECK, want, 0);
    }
    if (control.Kind() == ControlKind::Image) SyncPicture(child);
    if (child.fore != control.ForeColor() || child.fill != control.FillColor()) {
        child.fore = control.ForeColor();
        child.fill = control.FillColor();
        ::InvalidateRect(window, nullptr, TRUE);
    }
}

void FormWindow::SyncPicture(Child& child) {
    const Control& control = *child.control;
    if (child.picture == control.Picture()) return;
    child.picture = control.Picture();
    PixelRect r = ScaledBounds(control, dpi_);
    int width = std::max(r.right - r.left, 1);
    int height = std::max(r.bottom - r.top, 1);
    UniqueIcon icon;
    UniqueBitmap bitmap;
    if (control.Picture() != 0) {
        LPCSTR name = MAKEINTRESOURCEA(control.Picture());
        int side = std::min(width, height);
        icon.reset(static_cast<HICON>(::LoadImageA(Instance(), name, IMAGE_ICON, side, side, 0)));
        if (!icon) bitmap.reset(static_cast<HBITMAP>(::LoadImageA(Instance(), name, IMAGE_BITMAP, width, height, 0)));
    }
    LONG_PTR style = ::GetWindowLongPtrA(child.window, GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | (bitmap ? SS_BITMAP : SS_ICON);
    ::SetWindowLongPtrA(child.window, GWL_STYLE, style);
    if (bitmap)
        ::SendMessageA(child.window, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.get()));
    else
        ::SendMessageA(child.window, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon.get()));
    // The old image goes only now that the control has let go of it.
    child.icon = std::move(icon);
    child.bitmap = std::move(bitmap);
    ::InvalidateRect(child.window, nullptr, TRUE);
}

void FormWindow::SyncValues() {
    for (auto& child : children_) {
        if (!child || child->window == nullptr) continue;
        ControlKind kind = child->control->Kind();
        if (kind != ControlKind::Option && kind != ControlKind::Check) continue;
        WPARAM want = child->control->Value() ? BST_CHECKED : BST_UNCHECKED;
        if (static_cast<WPARAM>(::SendMessageA(child->window, BM_GETCHECK, 0, 0)) != want)
            ::SendMessageA(child->window, BM_SETCHECK, want, 0);
    }
}

void FormWindow::Layout() {
    for (std::size_t i = 0; i < children_.size(); ++i) {
        if (!children_[i] || children_[i]->window == nullptr) continue;
        HWND window = children_[i]->window;
        const Control& control = *children_[i]->control;

        LONG_PTR style = ::GetWindowLongPtrA(window, GWL_STYLE);
        LONG_PTR want = (style & ~static_cast<LONG_PTR>(WS_GROUP | WS_TABSTOP)) | KeyboardBits(form_, i);
        if (want != style) ::SetWindowLongPtrA(window, GWL_STYLE, want);

        PixelRect r = ScaledBounds(control, dpi_);
        RECT now;
        ::GetWindowRect(window, &now);
        ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&now), 2);
        if (now.left != r.left || now.top != r.top || now.right != r.right || now.bottom != r.bottom)
            ::SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);

        bool usable = IsUsable(control);
        if (usable != (::IsWindowEnabled(window) != FALSE)) ::EnableWindow(window, usable);
        bool onScreen = IsOnScreen(control);
        bool visible = (::GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE) != 0;
        if (onScreen != visible) ::ShowWindow(window, onScreen ? SW_SHOWNA : SW_HIDE);
    }
}

void FormWindow::RepairFocusLater() {
    if (focusRepairPosted_ || window_ == nullptr) return;
    focusRepairPosted_ = ::PostMessageA(window_, kRepairFocus, 0, 0) != FALSE;
}

void FormWindow::RepairFocus() {
    if (window_ == nullptr || ::GetActiveWindow() != window_) return;
    const Child* preferred = form_.DefaultButton != nullptr ? ChildOf(*form_.DefaultButton) : nullptr;
    const bool preferredUsable = preferred != nullptr && preferred->window != nullptr &&
                                 IsOnScreen(*preferred->control) && IsUsable(*preferred->control);
    if (preferredUsable)
        ::SendMessageA(window_, DM_SETDEFID, static_cast<WPARAM>(ControlId(*form_.DefaultButton)), 0);
    HWND focus = ::GetFocus();
    bool lost = focus == nullptr || focus == window_ ||
                (::IsChild(window_, focus) && (!::IsWindowVisible(focus) || !::IsWindowEnabled(focus)));
    // Focus parked on another control while the default button was disabled
    // (a wizard's Next during its work) goes back to it, so Enter goes on
    // rather than pressing Cancel.
    const bool parked = focus != nullptr && focus == parkedFocus_ && preferredUsable && focus != preferred->window;
    if (!lost && !parked) return;
    if (preferredUsable) {
        ::SendMessageA(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(preferred->window), TRUE);
        parkedFocus_ = nullptr;
        return;
    }
    for (std::size_t i = 0; i < children_.size(); ++i) {
        const Child* child = children_[i].get();
        if (child == nullptr || child->window == nullptr || !IsTabStop(form_, i)) continue;
        if (!IsOnScreen(*child->control) || !IsUsable(*child->control)) continue;
        ::SendMessageA(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(child->window), TRUE);
        parkedFocus_ = child->window;
        return;
    }
}

HFONT FormWindow::FontFor(const Control& control) {
    int key = FontKey(control);
    auto found = fonts_.find(key);
    if (found != fonts_.end()) return found->second.get();
    LOGFONTW font = MessageFont(dpi_);
    if (control.Bold()) font.lfWeight = FW_BOLD;
    if (key & 2) font.lfUnderline = TRUE;
    if (int grow = control.FontGrow(); grow != 0) {
        int more = ::MulDiv(grow, dpi_, 72);
        font.lfHeight = font.lfHeight < 0 ? font.lfHeight - more : font.lfHeight + more;
    }
    UniqueFont made(::CreateFontIndirectW(&font));
    HFONT handle = made.get();
    fonts_.emplace(key, std::move(made));
    return handle;
}

void FormWindow::ApplyDpi(int dpi, const RECT* suggested) {
    if (window_ == nullptr) return;
    dpi_ = dpi;
    // The old fonts go only once no control uses them.
    std::map<int, UniqueFont> old;
    old.swap(fonts_);
    for (const auto& child : children_) {
        if (!child || child->window == nullptr) continue;
        child->fontKey = -1;
        child->picture = -1;
        Sync(*child);
    }
    Layout();
    ResizeFrame(suggested);
    LoadFormIcons();
    ::InvalidateRect(window_, nullptr, TRUE);
}

void FormWindow::ResizeFrame(const RECT* suggested) {
    int width = Scale(form_.ClientWidth(), dpi_);
    int height = Scale(form_.ClientHeight(), dpi_);
    DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(window_, GWL_STYLE));
    DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrA(window_, GWL_EXSTYLE));
    SIZE size = WindowSizeFor(width, height, style, exStyle, dpi_);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (suggested == nullptr ? SWP_NOMOVE : 0);
    int x = suggested != nullptr ? suggested->left : 0;
    int y = suggested != nullptr ? suggested->top : 0;
    ::SetWindowPos(window_, nullptr, x, y, size.cx, size.cy, flags);
    // Frames differ (menus wrap, window managers decorate): make the client
    // area itself right.
    RECT client;
    ::GetClientRect(window_, &client);
    int dx = width - client.right;
    int dy = height - client.bottom;
    if (dx != 0 || dy != 0)
        ::SetWindowPos(window_, nullptr, 0, 0, size.cx + dx, size.cy + dy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::PlaceFirstTime() {
    HWND active = ::GetActiveWindow();
    HMONITOR monitor = ::MonitorFromWindow(active != nullptr && active != window_ ? active : window_,
                                           MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoA(monitor, &info)) return;
    RECT frame;
    ::GetWindowRect(window_, &frame);
    const RECT& work = info.rcWork;
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int x = std::max(work.left, work.left + (work.right - work.left - width) / 2);
    int y = std::max(work.top, work.top + (work.bottom - work.top - height) / 2);
    ::SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::LoadFormIcons() {
    // The form's own icon, else the program's (resource 1).
    LPCSTR name = MAKEINTRESOURCEA(form_.Icon != 0 ? form_.Icon : 1);
    auto load = [&](int size) {
        return UniqueIcon(static_cast<HICON>(
            ::LoadImageA(Instance(), name, IMAGE_ICON, Scale(size, dpi_), Scale(size, dpi_), 0)));
    };
    UniqueIcon big = load(32);
    UniqueIcon small = load(16);
    if (!big && !small) return;
    ::SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    ::SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
}

LRESULT CALLBACK FormWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr || self->host_ == nullptr) return ::DefDlgProcA(window, message, wParam, lParam);
    // A handler may unload the form, which lets go of this object: keep it
    // until the message is done.
    std::shared_ptr<FormWindow> keep = self->weak_from_this().lock();
    try {
        return self->Handle(window, message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's frames.
        if (self->host_ != nullptr && !self->host_->state_->held)
            self->host_->state_->held = std::current_exception();
        return 0;
    }
}

LRESULT FormWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(wParam, lParam);
            return 0;
        case WM_CLOSE:
            // Title bar, system menu, Alt+F4.
            host_->RunHandler([this] { form_.OnFrameClose(); });
            return 0;
        case WM_DRAWITEM:
            if (OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return OnControlColor(window, message, wParam, lParam);
        case WM_SETCURSOR:
            if (Child* child = ChildOf(reinterpret_cast<HWND>(wParam));
                child != nullptr && child->control->Kind() == ControlKind::Link && LOWORD(lParam) == HTCLIENT) {
                ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
                return TRUE;
            }
            break;
        case WM_DPICHANGED:
            ApplyDpi(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case kRepairFocus:
            focusRepairPosted_ = false;
            RepairFocus();
            return 0;
        case WM_NCDESTROY:
            window_ = nullptr;
            for (auto& child : children_)
                if (child) child->window = nullptr;
            ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            break;
        default:
            break;
    }
    return ::DefDlgProcA(window, message, wParam, lParam);
}

void FormWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    if (id == IDCANCEL && ChildOf(reinterpret_cast<HWND>(lParam)) == nullptr) {
        // Esc: the cancel button, if the form has one the user can press.
        Control* cancel = form_.CancelButton;
        if (cancel != nullptr && IsOnScreen(*cancel) && IsUsable(*cancel)) Click(*cancel, wParam, lParam);
        return;
    }
    Control* control = ControlById(form_, id);
    if (control == nullptr) return;
    if (code == BN_CLICKED) {  // also STN_CLICKED
        Click(*control, wParam, lParam);
    } else if (code == EN_CHANGE && control->Kind() == ControlKind::TextBox) {
        std::string text = TextOf(reinterpret_cast<HWND>(lParam));
        host_->RunHandler([control, &text] { control->SetCaption(text); });
    }
}

void FormWindow::Click(Control& control, WPARAM wParam, LPARAM lParam) {
    HWND from = reinterpret_cast<HWND>(lParam);
    if (control.Kind() == ControlKind::Option && from != nullptr) {
        // An option reports a click when it merely gets the focus (tabbing
        // in): that chooses nothing. Mouse, arrow keys and access keys check
        // it before they report; a driver posts its click.
        bool checked = ::SendMessageA(from, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (!checked && ::GetFocus() == from &&
            !host_->state_->DispatchingPosted(window_, WM_COMMAND, wParam, lParam))
            return;
    }
    host_->RunHandler([&control] { control.DoClick(); });
    // The control may have changed its own state (auto buttons): the model
    // says what it shows.
    if (window_ != nullptr) SyncValues();
}

LRESULT FormWindow::OnControlColor(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Child* child = ChildOf(reinterpret_cast<HWND>(lParam));
    if (child == nullptr || child->control->Kind() == ControlKind::TextBox)
        return ::DefDlgProcA(window, message, wParam, lParam);
    HDC dc = reinterpret_cast<HDC>(wParam);
    Color fore = child->control->ForeColor();
    if (fore == kNoColor && child->control->Kind() == ControlKind::Link) fore = colors::kLinkBlue;
    ::SetTextColor(dc, fore != kNoColor ? fore : ::GetSysColor(COLOR_BTNTEXT));
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

bool FormWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
    Child* child = ChildOf(item.hwndItem);
    if (child == nullptr) return false;
    switch (child->control->Kind()) {
        case ControlKind::Frame:
            return true;  // a plain container shows nothing of its own
        case ControlKind::Shape:
            PaintShape(*child, item);
            return true;
        case ControlKind::Custom:
            PaintCustom(*child, item);
            return true;
        default:
            return false;
    }
}

}  // namespace forms::win32
