// Per-monitor DPI on every Windows from 7 on: the functions that newer
// systems have are looked up at run time, older ones fall back to the
// system DPI.
#pragma once

#include "forms/win32/Gdi.h"

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

}  // namespace forms::win32
