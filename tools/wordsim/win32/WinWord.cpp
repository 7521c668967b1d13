// winword.exe of the simulated Word: logs its command line, registers or
// unregisters the automation server for /r and /u, otherwise starts (or fails
// to start) as the simulated start-up decides and exits; with the install's
// window option it shows a window until it is closed.
#include "Common.h"

#include "os/win32/Win32Api.h"
#include "wordsim/WordSim.h"

#include "os/win32/WinHeaders.h"

namespace {

constexpr char kWindowClass[] = "WordSimDocument";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    if (message == WM_SIZE) {
        HWND text = ::GetDlgItem(window, 1);
        if (text != nullptr) ::MoveWindow(text, 12, 12, LOWORD(lParam) - 24, HIWORD(lParam) - 24, TRUE);
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void ShowDocumentWindow(HINSTANCE instance, const std::string& title, const std::string& commandLine, int show) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    if (::RegisterClassA(&windowClass) == 0) return;
    HWND window = ::CreateWindowExA(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                    640, 420, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return;
    const std::string text = title + "\r\n\r\nStarted with: " + commandLine;
    ::CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 12, 12, 600, 360, window,
                      reinterpret_cast<HMENU>(1), instance, nullptr);
    ::ShowWindow(window, show == SW_HIDE ? SW_SHOWNORMAL : show);
    ::UpdateWindow(window);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    const std::string folder = wordsim::win32::ModuleFolder(nullptr);
    const std::string commandLine = ::GetCommandLineA();
    wordsim::RunOutcome outcome;
    {
        os::win32::Win32Api api;
        wordsim::win32::SimLock lock;
        outcome = wordsim::RunCommandLine(api, folder, commandLine, {});
    }
    if (outcome.showWindow) ShowDocumentWindow(instance, outcome.windowTitle, commandLine, show);
    return static_cast<int>(outcome.exitCode);
}
