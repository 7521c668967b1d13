#include "forms/win32/Dpi.h"

namespace forms::win32 {

namespace {

template <typename F>
F User32(const char* name) {
    static HMODULE user32 = ::GetModuleHandleA("user32.dll");
    return user32 == nullptr ? nullptr : reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(user32, name)));
}

int SystemDpi() {
    WindowDc screen(nullptr);
    int dpi = screen.get() != nullptr ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

}  // namespace

void MakeProcessDpiAware() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    using SetAware = BOOL(WINAPI*)();
    static const bool done = [] {
        if (auto set = User32<SetContext>("SetProcessDpiAwarenessContext")) {
            // Per-monitor v2, else v1; both fail once awareness is settled.
            if (set(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4))) ||
                set(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3))))
                return true;
            return false;
        }
        if (auto set = User32<SetAware>("SetProcessDPIAware")) set();
        return true;
    }();
    (void)done;
}

int DpiOf(HWND window) {
    using GetDpi = UINT(WINAPI*)(HWND);
    static const auto getDpi = User32<GetDpi>("GetDpiForWindow");
    if (getDpi != nullptr && window != nullptr) {
        UINT dpi = getDpi(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

LOGFONTW MessageFont(int dpi) {
    using ParametersForDpi = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    static const auto forDpi = User32<ParametersForDpi>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (forDpi != nullptr && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi)))
        return metrics.lfMessageFont;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        // The system's metrics are at the system DPI.
        metrics.lfMessageFont.lfHeight = ::MulDiv(metrics.lfMessageFont.lfHeight, dpi, SystemDpi());
        return metrics.lfMessageFont;
    }
    LOGFONTW font = {};
    font.lfHeight = -::MulDiv(9, dpi, 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpyW(font.lfFaceName, L"MS Shell Dlg 2");
    return font;
}

SIZE WindowSizeFor(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
    using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = User32<AdjustForDpi>("AdjustWindowRectExForDpi");
    RECT rect = {0, 0, clientWidth, clientHeight};
    if (adjustForDpi == nullptr || !adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace forms::win32
