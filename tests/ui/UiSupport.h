// Helpers for the tests of the form host on real windows: reading windows,
// playing the user from a second thread (as the end-to-end driver does),
// and saving pictures of forms for a person to look at.
#pragma once

#ifdef _WIN32

#include "forms/Form.h"
#include "forms/win32/Dpi.h"
#include "forms/win32/Win32Host.h"
#include "os/win32/WinHeaders.h"
#include "support/Poll.h"
#include "support/win32/Display.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace uitest {

// Throws away what earlier steps left in the queue. WM_PAINT stays until
// its window is drawn, so it is settled rather than taken.
inline void DrainQueue() {
    MSG message;
    for (int i = 0; i < 10000 && ::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (message.message == WM_PAINT) ::ValidateRect(message.hwnd, nullptr);
    }
}

class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!qvxtest::CanShowWindows()) GTEST_SKIP() << qvxtest::kNoDisplay;
        DrainQueue();
    }
    void TearDown() override { DrainQueue(); }
};

inline HWND Hwnd(std::uintptr_t handle) { return reinterpret_cast<HWND>(handle); }

inline std::string TextOf(HWND window) {
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

inline std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

inline LONG_PTR StyleOf(HWND window) { return ::GetWindowLongPtrA(window, GWL_STYLE); }

// Where a child lies in its parent's client area.
inline RECT RectInParent(HWND child) {
    RECT rect;
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

inline bool Checked(HWND button) { return ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// A click as the end-to-end driver makes it: BN_CLICKED posted to the form.
inline void PostClick(HWND control) {
    ::PostMessageA(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                   reinterpret_cast<LPARAM>(control));
}

inline void PostKey(HWND to, WPARAM key) {
    ::PostMessageA(to, WM_KEYDOWN, key, 1);
    ::PostMessageA(to, WM_KEYUP, key, 0xC0000001);
}

inline int FontHeight(HWND window) {
    LOGFONTA font = {};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
}

inline int FontWeight(HWND window) {
    LOGFONTA font = {};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfWeight;
}

// Tells the window it moved to a monitor of another DPI, as Windows does.
inline void MoveToDpi(HWND form, int dpi) {
    RECT suggested;
    ::GetWindowRect(form, &suggested);
    ::SendMessageA(form, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// A visible, enabled form window of thread with that caption.
inline HWND FindForm(DWORD thread, const std::string& caption) {
    struct Search {
        const std::string* caption;
        HWND found;
    } search{&caption, nullptr};
    ::EnumThreadWindows(
        thread,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (ClassOf(window) != "QuorvexForm" || !::IsWindowVisible(window) || !::IsWindowEnabled(window))
                return TRUE;
            // Read without a message: the form's thread may be waiting for us.
            wchar_t text[256] = {};
            ::InternalGetWindowText(window, text, 256);
            if (std::wstring(text) != std::wstring(s->caption->begin(), s->caption->end())) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Plays the user on its own thread: each step waits (up to a deadline) for
// the form with its caption to be shown and usable, then acts on it. Only
// posts and reads: the thread of the forms stays the only one that runs them.
class Player {
public:
    struct Step {
        std::string caption;
        std::function<void(HWND)> act;
    };

    explicit Player(std::vector<Step> steps) : owner_(::GetCurrentThreadId()) {
        worker_ = std::thread([this, steps = std::move(steps)] {
            for (const Step& step : steps) {
                HWND form = nullptr;
                if (!qvxtest::WaitUntil([&] { return (form = FindForm(owner_, step.caption)) != nullptr; },
                                        std::chrono::seconds(20), std::chrono::milliseconds(10)))
                    return;
                step.act(form);
                ++done_;
                // The next step waits for the effect of this one.
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
    }
    ~Player() { Join(); }
    // Call after the program under test returned.
    int Done() {
        Join();
        return done_;
    }

private:
    void Join() {
        if (worker_.joinable()) worker_.join();
    }

    DWORD owner_;
    std::atomic<int> done_{0};
    std::thread worker_;
};

// build*/artifacts, found from the test program's own folder.
inline std::string ArtifactsDir() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir = path;
    for (;;) {
        std::size_t slash = dir.find_last_of("\\/");
        if (slash == std::string::npos) return {};
        dir.resize(slash);
        if (::GetFileAttributesA((dir + "\\CMakeCache.txt").c_str()) != INVALID_FILE_ATTRIBUTES) break;
    }
    dir += "\\artifacts";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

// A window's picture as 32-bit pixels, top row first; empty when the
// window could not be printed.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB
    uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

inline Picture PrintClient(HWND window) {
    Picture picture;
    RECT client;
    ::GetClientRect(window, &client);
    picture.width = client.right;
    picture.height = client.bottom;
    if (picture.width <= 0 || picture.height <= 0) return {};
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // From the window's own DC: what was drawn, children included, without
    // waiting for it to reach the screen.
    forms::win32::WindowDc source(window, DCX_WINDOW | DCX_CACHE);
    forms::win32::UniqueMemoryDc memory(::CreateCompatibleDC(source.get()));
    forms::win32::UniqueBitmap dib(::CreateDIBSection(source.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !dib) return {};
    POINT origin = {0, 0};
    ::ClientToScreen(window, &origin);
    RECT frame;
    ::GetWindowRect(window, &frame);
    bool ok = false;
    {
        forms::win32::SelectIn select(memory.get(), dib.get());
        ok = ::BitBlt(memory.get(), 0, 0, picture.width, picture.height, source.get(), origin.x - frame.left,
                      origin.y - frame.top, SRCCOPY) != FALSE;
        ::GdiFlush();
    }
    if (!ok) return {};
    const auto* p = static_cast<const uint32_t*>(bits);
    picture.pixels.assign(p, p + static_cast<std::size_t>(picture.width) * picture.height);
    for (auto& pixel : picture.pixels) pixel &= 0xFFFFFF;
    return picture;
}

inline bool SaveBmp(const Picture& picture, const std::string& path) {
    if (picture.pixels.empty()) return false;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = picture.width;
    header.biHeight = -picture.height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    DWORD size = static_cast<DWORD>(picture.pixels.size() * 4);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + size;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1 &&
              std::fwrite(picture.pixels.data(), size, 1, out) == 1;
    return std::fclose(out) == 0 && ok;
}

}  // namespace uitest

#endif  // _WIN32
