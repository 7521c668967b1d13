// Per-monitor DPI on every Windows from 7 on: the functions that newer
// systems have are looked up at run time, older ones fall back to the
// system DPI.
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

using os::win32::UniqueBitmap;
using os::win32::UniqueBrush;
using os::win32::UniqueFont;
using os::win32::UniqueIcon;
using os::win32::UniqueMemoryDc;
using os::win32::UniquePen;
using os::win32::WindowDc;

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
