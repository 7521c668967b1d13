// Per-monitor DPI on every Windows from 7 on: the functions that newer
// systems have are looked up at run time, older ones fall back to the
// system DPI. Also the GDI owners the form windows need.
#pragma once

#include "os/win32/Raii.h"

namespace forms::win32 {

// Asks for per-monitor awareness unless the manifest (or the system, as Wine
// does) already settled it.
void MakeProcessDpiAware();
// The DPI a window is shown at.
int DpiOf(HWND window);
// The system's message font at dpi.
LOGFONTW MessageFont(int dpi);
// The outer size of a window whose client area is clientWidth x clientHeight.
SIZE WindowSizeFor(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);

namespace detail {
inline void DeleteGdiObject(HGDIOBJ object) { ::DeleteObject(object); }
inline void DestroyIconHandle(HICON icon) { ::DestroyIcon(icon); }
inline void DeleteMemoryDc(HDC dc) { ::DeleteDC(dc); }
}  // namespace detail

using UniqueFont = os::win32::UniqueWin<HFONT, nullptr, detail::DeleteGdiObject>;
using UniqueBitmap = os::win32::UniqueWin<HBITMAP, nullptr, detail::DeleteGdiObject>;
using UniqueBrush = os::win32::UniqueWin<HBRUSH, nullptr, detail::DeleteGdiObject>;
using UniquePen = os::win32::UniqueWin<HPEN, nullptr, detail::DeleteGdiObject>;
using UniqueIcon = os::win32::UniqueWin<HICON, nullptr, detail::DestroyIconHandle>;
// A DC made by CreateCompatibleDC (never one from GetDC).
using UniqueMemoryDc = os::win32::UniqueWin<HDC, nullptr, detail::DeleteMemoryDc>;

// A window's DC (the screen's for null) for one scope.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC for one scope.
class SelectIn {
public:
    SelectIn(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    SelectIn(const SelectIn&) = delete;
    SelectIn& operator=(const SelectIn&) = delete;
    ~SelectIn() { ::SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace forms::win32
