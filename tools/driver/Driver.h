// The driver: starts the real qvxfix.exe and plays its user from another
// process (the end-to-end tests and the demo), through what any program may do with another's windows:
// enumerate them, read their texts, post clicks, answer message boxes. Every
// wait polls against a deadline; nothing sleeps for a fixed time.
#pragma once

#ifdef _WIN32

#include "os/win32/Raii.h"
#include "os/win32/WinHeaders.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using Millis = std::chrono::milliseconds;
// Long enough for a Wine process to start on a loaded machine.
inline constexpr Millis kPatience{30000};

// Windows.
std::string TextOf(HWND window);  // read by message: works across processes
std::string ClassOf(HWND window);
// A caption as the user reads it: "&Next" -> "Next", "&&" -> "&".
std::string Plain(const std::string& caption);
bool IsChecked(HWND button);
bool IsShown(HWND window);  // exists and is visible

struct ControlInfo {
    HWND window = nullptr;
    int id = 0;
    std::string className;
    std::string text;
    RECT rect{};  // in the parent's client area
    bool visible = false;
    bool enabled = false;
    LONG style = 0;
};
std::vector<ControlInfo> Controls(HWND parent);
// The visible option (radio) buttons, top to bottom.
std::vector<ControlInfo> OptionButtons(HWND parent);
// The first visible child whose plain text is text (and of that class, if given).
HWND FindControl(HWND parent, const std::string& text, const std::string& className = "");
// The plain texts of the visible children of a class, top to bottom.
std::vector<std::string> TextsOf(HWND parent, const std::string& className);

// Input, all posted: the driver never waits on a handler that opens a modal loop.
void Click(HWND control);  // WM_COMMAND/BN_CLICKED to its parent
bool Click(HWND parent, const std::string& text);
void ClickId(HWND parent, int id);
void Choose(HWND control);  // BM_CLICK, for option buttons and check boxes
// The mouse as a person moves it, for pictures of a button's looks: the
// pointer over a control, the left button pressed on it, and let go off it
// (which clicks nothing). Sent, not posted: none of these opens a modal loop,
// and the look is painted when the call returns.
bool Hover(HWND control);
bool PressDown(HWND control);
bool ReleaseOutside(HWND control);
enum class FrameClose { Message, SystemCommand };  // WM_CLOSE, or SC_CLOSE as the title bar sends
void CloseByFrame(HWND window, FrameClose how);

// Polls condition until it holds or patience runs out.
bool WaitUntil(const std::function<bool()>& condition, Millis patience = kPatience);
// Returns once the window's thread has handled everything sent to it before
// and has painted: what a screenshot then shows is what the user sees.
bool Settle(HWND window);

struct MessageBoxInfo {
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;  // plain texts, left to right
};
bool IsMessageBox(HWND window);
MessageBoxInfo ReadMessageBox(HWND box);
// Presses the button of that plain text; false when the box has none.
bool Answer(HWND box, const std::string& button);

// The texts of a wizard's page on top, top to bottom: the visible labels
// right of the marker panel, which is the form's first control. Empty
// labels are left out.
std::vector<std::string> PageTexts(HWND wizard);

// A picture of the window as the screen shows it, as a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::string& path);
// Creates a folder and its missing parents.
bool MakeFolders(const std::string& folder);
// A Linux path as Wine shows it (drive Z:); Windows paths pass unchanged.
std::string WindowsPath(std::string path);

// One running copy of the program.
class App {
public:
    // Starts exe with folder as its working directory and the arguments
    // given; null with *error set when it could not start.
    static std::unique_ptr<App> Start(const std::string& exe, const std::string& folder, std::string* error,
                                      const std::string& arguments = "");
    ~App();  // a copy still running is killed
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    DWORD Id() const { return id_; }
    bool Running() const;
    // The process's top-level windows, visible ones only unless asked.
    std::vector<HWND> Windows(bool visibleOnly = true) const;
    // The visible top-level windows of its first thread: one round trip to
    // Wine's server where Windows() takes one for every window on the desktop.
    std::vector<HWND> FirstThreadWindows() const;
    // A visible form window with that caption that holds a control of that text.
    HWND FindForm(const std::string& caption, const std::string& childText) const;
    HWND WaitForForm(const std::string& caption, const std::string& childText, Millis patience = kPatience) const;
    // Waits until the wizard's page on top starts with heading and its button
    // of that text is enabled; false when a message box or the end of the
    // program came first, or patience ran out.
    bool WaitForPage(HWND wizard, const std::string& heading, const std::string& button,
                     Millis patience = kPatience) const;
    HWND FindMessageBox() const;
    HWND WaitForMessageBox(Millis patience = kPatience) const;
    // After a repair's results: waits for the question whether to find the
    // add-ins that stop Word and presses button on it; its text, or empty
    // when no such question came.
    std::string AnswerAddinSearch(const std::string& button, Millis patience = kPatience) const;
    // The exit code, or nullopt when the process still runs after patience.
    std::optional<DWORD> WaitForExit(Millis patience = kPatience) const;
    void Kill();
    // Every visible window with its controls: for failure messages.
    std::string Describe() const;

private:
    App(os::win32::UniqueHandle process, DWORD id, DWORD thread)
        : process_(std::move(process)), id_(id), thread_(thread) {}

    os::win32::UniqueHandle process_;
    DWORD id_ = 0;
    DWORD thread_ = 0;
};

}  // namespace e2e

#endif  // _WIN32
