// Whether this test program can show windows: without an X display Wine can
// make message-only windows but no others. Tests that need windows skip
// without one (run them under scripts/with-display).
#pragma once

#ifdef _WIN32

#include "os/win32/WinHeaders.h"

namespace qvxtest {

inline bool CanShowWindows() {
    HWND probe = ::CreateWindowExA(0, "STATIC", "probe", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
    if (probe == nullptr) return false;
    ::DestroyWindow(probe);
    return true;
}

inline constexpr char kNoDisplay[] = "no display to show windows on (run under scripts/with-display)";

}  // namespace qvxtest

#endif  // _WIN32
