// The owners of the GDI objects, DCs and modules that the form windows, their
// painters and the test driver hold: each released the way it was made.
#pragma once

#include "os/win32/Raii.h"

namespace forms::win32 {

namespace detail {
inline void DeleteGdiObject(HGDIOBJ object) { ::DeleteObject(object); }
inline void DestroyIconHandle(HICON icon) { ::DestroyIcon(icon); }
inline void DeleteMemoryDc(HDC dc) { ::DeleteDC(dc); }
inline void ReleaseModule(HMODULE module) { ::FreeLibrary(module); }
}  // namespace detail

using UniqueFont = os::win32::UniqueWin<HFONT, nullptr, detail::DeleteGdiObject>;
using UniqueBitmap = os::win32::UniqueWin<HBITMAP, nullptr, detail::DeleteGdiObject>;
using UniqueBrush = os::win32::UniqueWin<HBRUSH, nullptr, detail::DeleteGdiObject>;
using UniquePen = os::win32::UniqueWin<HPEN, nullptr, detail::DeleteGdiObject>;
using UniqueRegion = os::win32::UniqueWin<HRGN, nullptr, detail::DeleteGdiObject>;
using UniqueIcon = os::win32::UniqueWin<HICON, nullptr, detail::DestroyIconHandle>;
// A DC made by CreateCompatibleDC (never one from GetDC).
using UniqueMemoryDc = os::win32::UniqueWin<HDC, nullptr, detail::DeleteMemoryDc>;
// A module loaded by LoadLibrary (never one from GetModuleHandle).
using UniqueModule = os::win32::UniqueWin<HMODULE, nullptr, detail::ReleaseModule>;

// A window's DC (the screen's for null) for one scope; with flags, the one
// GetDCEx gives (e.g. of the whole window).
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    WindowDc(HWND window, DWORD flags) : window_(window), dc_(::GetDCEx(window, nullptr, flags)) {}
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
