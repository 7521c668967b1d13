// The real host and the open-file dialog on real windows. A helper thread
// plays the user: it finds the dialog this thread shows, reads it and closes
// it. Windows only: nothing here goes through os::Api alone.
#ifdef _WIN32

#include "forms/win32/Win32Host.h"
#include "os/win32/WinHeaders.h"
#include "support/Poll.h"
#include "support/TestMachine.h"
#include "support/win32/Display.h"

#include <dlgs.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace {

std::string TextOf(HWND window) {
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND FindDialogOf(DWORD thread) {
    HWND found = nullptr;
    ::EnumThreadWindows(
        thread,
        [](HWND window, LPARAM result) -> BOOL {
            char name[32] = {};
            ::GetClassNameA(window, name, sizeof name);
            if (std::string(name) != "#32770" || !::IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Waits on its own thread for a dialog of the calling thread and hands it to
// act; the dialog is left to act to close.
class DialogPlayer {
public:
    explicit DialogPlayer(std::function<void(HWND)> act) : owner_(::GetCurrentThreadId()) {
        worker_ = std::thread([this, act = std::move(act)] {
            HWND dialog = nullptr;
            if (!qvxtest::WaitUntil([&] { return (dialog = FindDialogOf(owner_)) != nullptr; },
                                    std::chrono::seconds(20)))
                return;
            found_ = true;
            act(dialog);
        });
    }
    ~DialogPlayer() {
        if (worker_.joinable()) worker_.join();
    }
    // Call after the dialog returned.
    bool Found() {
        if (worker_.joinable()) worker_.join();
        return found_;
    }

private:
    DWORD owner_;
    std::atomic<bool> found_{false};
    std::thread worker_;
};

// A top-level window of this thread that counts the messages it receives.
class CountingWindow {
public:
    static constexpr UINT kPing = WM_APP + 1;
    static constexpr UINT kEnd = WM_APP + 2;

    explicit CountingWindow(forms::Win32Host* host = nullptr) : host_(host) {
        static const ATOM atom = [] {
            WNDCLASSA windowClass = {};
            windowClass.lpfnWndProc = Procedure;
            windowClass.hInstance = ::GetModuleHandleA(nullptr);
            windowClass.lpszClassName = "QuorvexTestCounting";
            return ::RegisterClassA(&windowClass);
        }();
        window_ = ::CreateWindowExA(0, MAKEINTATOM(atom), "counting", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                    nullptr, ::GetModuleHandleA(nullptr), this);
    }
    ~CountingWindow() {
        if (::IsWindow(window_)) ::DestroyWindow(window_);
    }
    HWND Window() const { return window_; }
    int pings = 0;
    int handledAfterEnd = 0;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
            ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<CountingWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self != nullptr && message == kPing) {
            ++self->pings;
            return 0;
        }
        if (self != nullptr && message == kEnd) {
            self->host_->RunHandler([self] {
                self->host_->End();
                ++self->handledAfterEnd;  // never runs
            });
            return 0;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    forms::Win32Host* host_;
    HWND window_ = nullptr;
};

class Win32Ui : public ::testing::Test {
protected:
    void SetUp() override {
        if (!qvxtest::CanShowWindows()) GTEST_SKIP() << qvxtest::kNoDisplay;
        DrainQueue();
    }
    void TearDown() override { DrainQueue(); }

    static void DrainQueue() {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
};

using Win32Host = Win32Ui;
using Win32OpenFile = Win32Ui;

bool QuitPending() {
    MSG message;
    return ::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

TEST_F(Win32Host, DoEventsRunsWhatIsWaitingAndReturns) {
    forms::Win32Host host;
    CountingWindow counting;
    ASSERT_TRUE(counting.Window() != nullptr);
    for (int i = 0; i < 3; ++i) ::PostMessageA(counting.Window(), CountingWindow::kPing, 0, 0);
    host.DoEvents();
    EXPECT_EQ(3, counting.pings);
    host.DoEvents();  // an empty queue returns at once
    EXPECT_EQ(3, counting.pings);
    for (int i = 0; i < 2; ++i) ::PostMessageA(counting.Window(), CountingWindow::kPing, 0, 0);
    host.DoEvents(12);
    EXPECT_EQ(5, counting.pings);
}

TEST_F(Win32Host, DoEventsLeavesTheQuitMessageToTheMessageLoop) {
    forms::Win32Host host;
    CountingWindow counting;
    ASSERT_TRUE(counting.Window() != nullptr);
    ::PostQuitMessage(3);
    ::PostMessageA(counting.Window(), CountingWindow::kPing, 0, 0);
    host.DoEvents();
    MSG message;
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, message.wParam);
}

TEST_F(Win32Host, EndDestroysTheWindowsAndThrows) {
    forms::Win32Host host;
    CountingWindow first;
    CountingWindow second;
    ASSERT_TRUE(::IsWindow(first.Window()) && ::IsWindow(second.Window()));
    EXPECT_THROW(host.End(), forms::ProgramEnded);
    EXPECT_FALSE(::IsWindow(first.Window()));
    EXPECT_FALSE(::IsWindow(second.Window()));
    EXPECT_TRUE(QuitPending());
    EXPECT_TRUE(host.Ended());
}

// A Cancel click delivered while the program yields ends the program there:
// the window procedure stops the exception, the yield raises it again.
TEST_F(Win32Host, AnEndInsideAHandlerEndsTheYieldingCaller) {
    forms::Win32Host host;
    CountingWindow counting(&host);
    ASSERT_TRUE(counting.Window() != nullptr);
    ::PostMessageA(counting.Window(), CountingWindow::kEnd, 0, 0);
    ::PostMessageA(counting.Window(), CountingWindow::kPing, 0, 0);
    bool returned = false;
    EXPECT_THROW(
        {
            host.DoEvents();
            returned = true;
        },
        forms::ProgramEnded);
    EXPECT_FALSE(returned);
    EXPECT_EQ(0, counting.handledAfterEnd);
    EXPECT_EQ(0, counting.pings) << "messages after the end must not run";
    EXPECT_THROW(host.DoEvents(), forms::ProgramEnded);
}

TEST_F(Win32Host, MsgBoxShowsTheTextAndReturnsTheButtonPressed) {
    forms::Win32Host host;
    struct Case {
        uint32_t style;
        int press;
        int expected;
    } cases[] = {
        {forms::vbYesNo | forms::vbQuestion, IDNO, forms::vbNo},
        {forms::vbYesNo | forms::vbQuestion, IDYES, forms::vbYes},
        {forms::vbOKOnly | forms::vbCritical, IDOK, forms::vbOK},
        {forms::vbOKCancel, IDCANCEL, forms::vbCancel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.press);
        std::string text, caption;
        DialogPlayer player([&](HWND box) {
            caption = TextOf(box);
            if (HWND label = ::GetDlgItem(box, 0xFFFF)) text = TextOf(label);
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(c.press, BN_CLICKED), 0);
        });
        int answer = host.MsgBox("Word could not start.", c.style, "Quorvex");
        ASSERT_TRUE(player.Found()) << "no message box appeared";
        EXPECT_EQ(c.expected, answer);
        EXPECT_EQ("Quorvex", caption);
        EXPECT_EQ("Word could not start.", text);
    }
}

TEST_F(Win32Host, MsgBoxIsOwnedByTheActiveWindow) {
    forms::Win32Host host;
    CountingWindow form;
    ASSERT_TRUE(form.Window() != nullptr);
    ::ShowWindow(form.Window(), SW_SHOW);
    ::SetActiveWindow(form.Window());
    if (::GetActiveWindow() != form.Window()) GTEST_SKIP() << "the window could not be activated here";
    HWND owner = nullptr;
    DialogPlayer player([&](HWND box) {
        owner = ::GetWindow(box, GW_OWNER);
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    host.MsgBox("Done.", forms::vbOKOnly, "Quorvex");
    ASSERT_TRUE(player.Found());
    EXPECT_EQ(form.Window(), owner);
}

// The program's own request: the 32-bit structure size, a buffer of blanks.
os::OpenFileRequest ProgramsRequest() {
    os::OpenFileRequest request;
    request.structSize = 76;
    request.filter = std::string("Backup files BAK\0*.BAK\0", 24);
    request.fileBuffer = std::string(259, ' ') + '\0';
    request.maxFile = 260;
    request.title = "Restore";
    request.flags = 4;
    request.defExt = ".BAK";
    return request;
}

std::string UpToNul(const std::string& text) { return text.substr(0, text.find('\0')); }

TEST_F(Win32OpenFile, TheProgramsRequestShowsTheDialogAndCancelKeepsTheBuffer) {
    auto machine = qvxtest::TestMachine::Create();
    os::OpenFileRequest request = ProgramsRequest();
    std::string title;
    DialogPlayer player([&](HWND dialog) {
        title = TextOf(dialog);
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    EXPECT_FALSE(machine->Api().GetOpenFileName(&request));
    ASSERT_TRUE(player.Found()) << "the dialog refused the request";
    EXPECT_EQ("Restore", title);
    EXPECT_EQ(std::string(259, ' '), UpToNul(request.fileBuffer));
}

TEST_F(Win32OpenFile, TheChosenPathComesBackInTheBuffer) {
    auto machine = qvxtest::TestMachine::Create();
    std::string path = machine->ScratchDir() + "Word.BAK";
    ASSERT_TRUE(qvxtest::WriteTextFile(machine->Api(), path, "[Backup]\r\n"));
    os::OpenFileRequest request = ProgramsRequest();
    DialogPlayer player([&](HWND dialog) {
        // The file name box: a combo box in newer dialogs, an edit box in older ones.
        HWND name = ::GetDlgItem(dialog, cmb13);
        if (name == nullptr) name = ::GetDlgItem(dialog, edt1);
        ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_TRUE(machine->Api().GetOpenFileName(&request));
    ASSERT_TRUE(player.Found());
    EXPECT_EQ(path, UpToNul(request.fileBuffer));
}

}  // namespace

#endif  // _WIN32
