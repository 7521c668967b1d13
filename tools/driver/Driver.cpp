#ifdef _WIN32

#include "driver/Driver.h"

#include "os/win32/Raii.h"

#include <algorithm>
#include <cstdio>
#include <thread>

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;
using os::win32::UniqueBitmap;
using os::win32::UniqueHandle;
using os::win32::UniqueMemoryDc;
using os::win32::WindowDc;

// A window that does not answer in this time is taken as hung.
constexpr UINT kSendTimeoutMs = 5000;
// How often a wait looks again: short against a human, long against a CPU.
constexpr Millis kPoll{25};

bool SendQuietly(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendTimeoutMs,
                                 result) != 0;
}

std::vector<HWND> TopLevelWindows(DWORD process, bool visibleOnly) {
    struct Search {
        DWORD process;
        bool visibleOnly;
        std::vector<HWND> found;
    } search{process, visibleOnly, {}};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == s->process && (!s->visibleOnly || ::IsWindowVisible(window))) s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The pixels of a screen rectangle, bottom-up rows of 24-bit BGR.
std::vector<uint8_t> Capture(const RECT& rect, BITMAPINFOHEADER* header) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return {};
    WindowDc screen(nullptr);
    if (screen.get() == nullptr) return {};
    UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    if (!memory || !bitmap) return {};
    HGDIOBJ previous = ::SelectObject(memory.get(), bitmap.get());
    bool copied = ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top,
                           SRCCOPY | CAPTUREBLT) != 0;
    ::SelectObject(memory.get(), previous);
    if (!copied) return {};

    *header = {};
    header->biSize = sizeof *header;
    header->biWidth = width;
    header->biHeight = height;  // bottom-up, as BMP files keep them
    header->biPlanes = 1;
    header->biBitCount = 24;
    header->biCompression = BI_RGB;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    header->biSizeImage = static_cast<DWORD>(stride * height);
    std::vector<uint8_t> pixels(header->biSizeImage);
    BITMAPINFO info = {};
    info.bmiHeader = *header;
    if (::GetDIBits(memory.get(), bitmap.get(), 0, height, pixels.data(), &info,
                    DIB_RGB_COLORS) != height)
        return {};
    return pixels;
}

}  // namespace

std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendQuietly(window, WM_GETTEXTLENGTH, 0, 0, &length)) return {};
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendQuietly(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied)) return {};
    text.resize(std::min<size_t>(copied, length));
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

std::string Plain(const std::string& caption) {
    std::string plain;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                plain += '&';
                ++i;
            }
            continue;
        }
        plain += caption[i];
    }
    return plain;
}

bool IsChecked(HWND button) {
    DWORD_PTR state = 0;
    return SendQuietly(button, BM_GETCHECK, 0, 0, &state) && state == BST_CHECKED;
}

bool IsShown(HWND window) { return window != nullptr && ::IsWindow(window) && ::IsWindowVisible(window); }

std::vector<ControlInfo> Controls(HWND parent) {
    std::vector<HWND> children;
    ::EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    std::vector<ControlInfo> controls;
    for (HWND child : children) {
        ControlInfo info;
        info.window = child;
        info.id = ::GetDlgCtrlID(child);
        info.className = ClassOf(child);
        info.text = TextOf(child);
        ::GetWindowRect(child, &info.rect);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&info.rect), 2);
        info.visible = ::IsWindowVisible(child) != 0;
        info.enabled = ::IsWindowEnabled(child) != 0;
        info.style = static_cast<LONG>(::GetWindowLongPtrA(child, GWL_STYLE));
        controls.push_back(std::move(info));
    }
    return controls;
}

HWND FindControl(HWND parent, const std::string& text, const std::string& className) {
    for (const ControlInfo& control : Controls(parent)) {
        if (!control.visible || Plain(control.text) != text) continue;
        if (!className.empty() && _stricmp(control.className.c_str(), className.c_str()) != 0) continue;
        return control.window;
    }
    return nullptr;
}

std::vector<ControlInfo> OptionButtons(HWND parent) {
    std::vector<ControlInfo> options;
    for (ControlInfo& control : Controls(parent)) {
        const LONG type = control.style & BS_TYPEMASK;
        if (control.visible && _stricmp(control.className.c_str(), "Button") == 0 &&
            (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON))
            options.push_back(std::move(control));
    }
    std::stable_sort(options.begin(), options.end(),
                     [](const ControlInfo& a, const ControlInfo& b) { return a.rect.top < b.rect.top; });
    return options;
}

std::vector<std::string> TextsOf(HWND parent, const std::string& className) {
    std::vector<ControlInfo> matching;
    for (ControlInfo& control : Controls(parent)) {
        if (control.visible && _stricmp(control.className.c_str(), className.c_str()) == 0)
            matching.push_back(std::move(control));
    }
    std::stable_sort(matching.begin(), matching.end(), [](const ControlInfo& a, const ControlInfo& b) {
        return a.rect.top != b.rect.top ? a.rect.top < b.rect.top : a.rect.left < b.rect.left;
    });
    std::vector<std::string> texts;
    for (const ControlInfo& control : matching) texts.push_back(Plain(control.text));
    return texts;
}

void Click(HWND control) {
    ::PostMessageA(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                   reinterpret_cast<LPARAM>(control));
}

bool Click(HWND parent, const std::string& text) {
    HWND control = FindControl(parent, text);
    if (control == nullptr) return false;
    Click(control);
    return true;
}

void ClickId(HWND parent, int id) {
    HWND control = ::GetDlgItem(parent, id);
    ::PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

void Choose(HWND control) { ::PostMessageA(control, BM_CLICK, 0, 0); }

void CloseByFrame(HWND window, FrameClose how) {
    if (how == FrameClose::Message) ::PostMessageA(window, WM_CLOSE, 0, 0);
    else ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

bool WaitUntil(const std::function<bool()>& condition, Millis patience) {
    const auto deadline = Clock::now() + patience;
    for (;;) {
        if (condition()) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPoll);
    }
}

namespace {
LPARAM CentreOf(HWND control) {
    RECT client{};
    ::GetClientRect(control, &client);
    return MAKELPARAM(client.right / 2, client.bottom / 2);
}
}  // namespace

bool Hover(HWND control) {
    RECT r{};
    if (!::GetWindowRect(control, &r) || !::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2)) return false;
    DWORD_PTR ignored = 0;
    return SendQuietly(control, WM_MOUSEMOVE, 0, CentreOf(control), &ignored);
}

bool PressDown(HWND control) {
    DWORD_PTR ignored = 0;
    return Hover(control) && SendQuietly(control, WM_LBUTTONDOWN, MK_LBUTTON, CentreOf(control), &ignored);
}

bool ReleaseOutside(HWND control) {
    RECT client{};
    ::GetClientRect(control, &client);
    // Below the control: its own coordinates, past its bottom edge.
    const LPARAM below = MAKELPARAM(client.right / 2, client.bottom + 20);
    POINT screen{client.right / 2, client.bottom + 20};
    ::ClientToScreen(control, &screen);
    ::SetCursorPos(screen.x, screen.y);
    DWORD_PTR ignored = 0;
    return SendQuietly(control, WM_MOUSEMOVE, MK_LBUTTON, below, &ignored) &&
           SendQuietly(control, WM_LBUTTONUP, 0, below, &ignored);
}

bool Settle(HWND window) {
    DWORD_PTR ignored = 0;
    if (!SendQuietly(window, WM_NULL, 0, 0, &ignored)) return false;
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return SendQuietly(window, WM_NULL, 0, 0, &ignored);
}

bool IsMessageBox(HWND window) { return ClassOf(window) == "#32770"; }

MessageBoxInfo ReadMessageBox(HWND box) {
    MessageBoxInfo info;
    info.caption = TextOf(box);
    // Wine and Windows keep the text in the static of id 0xFFFF; older Wine
    // has no id on it, so any static with text will do there.
    if (HWND text = ::GetDlgItem(box, 0xFFFF); text != nullptr) info.text = TextOf(text);
    std::vector<ControlInfo> controls = Controls(box);
    if (info.text.empty()) {
        for (const ControlInfo& control : controls) {
            if (_stricmp(control.className.c_str(), "Static") == 0 && !control.text.empty()) {
                if (!info.text.empty()) info.text += "\n";
                info.text += control.text;
            }
        }
    }
    std::vector<ControlInfo> buttons;
    for (const ControlInfo& control : controls) {
        if (control.visible && _stricmp(control.className.c_str(), "Button") == 0) buttons.push_back(control);
    }
    std::sort(buttons.begin(), buttons.end(),
              [](const ControlInfo& a, const ControlInfo& b) { return a.rect.left < b.rect.left; });
    for (const ControlInfo& button : buttons) info.buttons.push_back(Plain(button.text));
    return info;
}

bool Answer(HWND box, const std::string& button) {
    HWND control = FindControl(box, button, "Button");
    if (control == nullptr) return false;
    Click(control);
    return true;
}

std::vector<std::string> PageTexts(HWND wizard) {
    // Controls are numbered from 100 in the order the form made them.
    constexpr int kPanelId = 100;
    HWND panel = ::GetDlgItem(wizard, kPanelId);
    if (panel == nullptr) return {};
    RECT panelRect;
    ::GetWindowRect(panel, &panelRect);
    ::MapWindowPoints(nullptr, wizard, reinterpret_cast<POINT*>(&panelRect), 2);
    std::vector<ControlInfo> labels;
    for (ControlInfo& control : Controls(wizard)) {
        if (control.visible && !control.text.empty() && control.rect.left >= panelRect.right &&
            _stricmp(control.className.c_str(), "Static") == 0)
            labels.push_back(std::move(control));
    }
    std::stable_sort(labels.begin(), labels.end(),
                     [](const ControlInfo& a, const ControlInfo& b) { return a.rect.top < b.rect.top; });
    std::vector<std::string> texts;
    for (const ControlInfo& label : labels) texts.push_back(label.text);
    return texts;
}

bool SaveScreenshot(HWND window, const std::string& path) {
    RECT rect;
    if (!Settle(window) || !::GetWindowRect(window, &rect)) return false;
    // The other process hands its drawing to the display when it goes idle:
    // take pictures until two in a row agree (a window that keeps changing
    // still gets its picture).
    BITMAPINFOHEADER header{};
    std::vector<uint8_t> pixels = Capture(rect, &header);
    WaitUntil(
        [&] {
            Settle(window);
            std::vector<uint8_t> again = Capture(rect, &header);
            bool same = !again.empty() && again == pixels;
            pixels = std::move(again);
            return same;
        },
        Millis(3000));
    if (pixels.empty()) return false;

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    HANDLE created =
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE) return false;
    UniqueHandle out(created);
    DWORD written = 0;
    bool ok = ::WriteFile(out.get(), &file, sizeof file, &written, nullptr) && written == sizeof file;
    ok = ok && ::WriteFile(out.get(), &header, sizeof header, &written, nullptr) && written == sizeof header;
    ok = ok && ::WriteFile(out.get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr) &&
         written == pixels.size();
    return ok;
}

bool MakeFolders(const std::string& folder) {
    for (size_t at = folder.find('\\', 3); ; at = folder.find('\\', at + 1)) {
        std::string part = folder.substr(0, at);
        if (!part.empty() && !::CreateDirectoryA(part.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (at == std::string::npos) return true;
    }
}

std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::unique_ptr<App> App::Start(const std::string& exe, const std::string& folder, std::string* error,
                                const std::string& arguments) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &started)) {
        *error = "CreateProcess(" + exe + ") failed: " + std::to_string(::GetLastError());
        return nullptr;
    }
    ::CloseHandle(started.hThread);
    return std::unique_ptr<App>(new App(UniqueHandle(started.hProcess), started.dwProcessId, started.dwThreadId));
}

App::~App() { Kill(); }

bool App::Running() const { return ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

std::vector<HWND> App::Windows(bool visibleOnly) const { return TopLevelWindows(id_, visibleOnly); }

std::vector<HWND> App::FirstThreadWindows() const {
    std::vector<HWND> found;
    ::EnumThreadWindows(
        thread_,
        [](HWND window, LPARAM data) -> BOOL {
            if (::IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND App::FindForm(const std::string& caption, const std::string& childText) const {
    for (HWND window : Windows()) {
        if (ClassOf(window) != "QuorvexForm" || TextOf(window) != caption) continue;
        if (FindControl(window, childText) != nullptr) return window;
    }
    return nullptr;
}

HWND App::WaitForForm(const std::string& caption, const std::string& childText, Millis patience) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindForm(caption, childText)) != nullptr || !Running(); }, patience);
    return found;
}

bool App::WaitForPage(HWND wizard, const std::string& heading, const std::string& button, Millis patience) const {
    bool shown = false;
    WaitUntil(
        [&] {
            if (!Running() || FindMessageBox() != nullptr) return true;
            std::vector<std::string> texts = PageTexts(wizard);
            HWND control = FindControl(wizard, button, "Button");
            shown = !texts.empty() && texts.front() == heading && control != nullptr && ::IsWindowEnabled(control);
            return shown;
        },
        patience);
    return shown;
}

HWND App::FindMessageBox() const {
    for (HWND window : Windows()) {
        if (IsMessageBox(window)) return window;
    }
    return nullptr;
}

HWND App::WaitForMessageBox(Millis patience) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindMessageBox()) != nullptr || !Running(); }, patience);
    return found;
}

std::string App::AnswerAddinSearch(const std::string& button, Millis patience) const {
    HWND box = WaitForMessageBox(patience);
    if (box == nullptr) return {};
    const MessageBoxInfo info = ReadMessageBox(box);
    if (info.text.rfind("Quorvex left ", 0) != 0 || !Answer(box, button)) return {};
    WaitUntil([&] { return !IsShown(box); });
    return info.text;
}

std::optional<DWORD> App::WaitForExit(Millis patience) const {
    if (::WaitForSingleObject(process_.get(), static_cast<DWORD>(patience.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    if (!::GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
    return code;
}

void App::Kill() {
    if (!process_ || !Running()) return;
    ::TerminateProcess(process_.get(), 0xDEAD);
    // Its files (and the Word server it loaded) stay locked until it is gone.
    ::WaitForSingleObject(process_.get(), static_cast<DWORD>(kPatience.count()));
}

std::string App::Describe() const {
    std::string out = Running() ? "windows of the program:" : "the program has ended";
    for (HWND window : Windows()) {
        char head[64];
        std::snprintf(head, sizeof head, "\n  [%p] ", static_cast<void*>(window));
        out += head + ClassOf(window) + " \"" + TextOf(window) + "\"" + (::IsWindowEnabled(window) ? "" : " (disabled)");
        for (const ControlInfo& control : Controls(window)) {
            if (!control.visible) continue;
            out += "\n      " + std::to_string(control.id) + " " + control.className + " \"" + control.text + "\"";
            if (!control.enabled) out += " (disabled)";
        }
    }
    return out;
}

}  // namespace e2e

#endif  // _WIN32
