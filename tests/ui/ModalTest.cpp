// Modal forms, the program's message loop and the end of the program, with
// the user played from a second thread.
#ifdef _WIN32

#include "ui/UiSupport.h"

#include <stdexcept>

namespace {

using forms::Control;
using forms::ControlKind;
using uitest::Hwnd;
using uitest::Player;

class Dialog : public forms::Form {
public:
    Dialog(forms::Host& host, const std::string& caption) : Form(host, "frm" + caption, caption, 260, 100) {
        CancelButton = &cmdCancel;
        cmdCancel.OnClick = [this] {
            ++cancels;
            Hide();
        };
    }
    Control lblText{*this, "lblText", ControlKind::Label, {10, 10, 240, 20}, "Text"};
    Control cmdOK{*this, "cmdOK", ControlKind::Button, {10, 64, 74, 26}, "OK"};
    Control cmdMore{*this, "cmdMore", ControlKind::Button, {92, 64, 74, 26}, "More"};
    Control cmdCancel{*this, "cmdCancel", ControlKind::Button, {176, 64, 74, 26}, "Cancel"};
    int cancels = 0;
};

// Clicks a control of the form the step found, by its identifier.
std::function<void(HWND)> ClickOn(const Control& control) {
    int id = forms::Win32Host::ControlIdOf(control);
    return [id](HWND form) { uitest::PostClick(::GetDlgItem(form, id)); };
}

bool QuitPending() {
    MSG message;
    return ::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

class Modal : public uitest::UiTest {};

TEST_F(Modal, AModalFormDisablesTheOthersUntilItIsHidden) {
    forms::Win32Host host;
    Dialog menu(host, "Menu");
    Dialog dialog(host, "Dialog");
    menu.Show();
    host.DoEvents();
    HWND menuWindow = Hwnd(host.WindowOf(menu));
    bool menuEnabledMeanwhile = true;
    HWND ownerMeanwhile = nullptr;
    dialog.cmdOK.OnClick = [&] {
        menuEnabledMeanwhile = ::IsWindowEnabled(menuWindow) != FALSE;
        ownerMeanwhile = ::GetWindow(Hwnd(host.WindowOf(dialog)), GW_OWNER);
        dialog.Hide();
    };
    Player player({{"Dialog", ClickOn(dialog.cmdOK)}});
    dialog.ShowModal();
    ASSERT_EQ(1, player.Done());
    EXPECT_FALSE(menuEnabledMeanwhile);
    EXPECT_EQ(menuWindow, ownerMeanwhile) << "owned by the window it came from";
    EXPECT_TRUE(::IsWindowEnabled(menuWindow));
    EXPECT_FALSE(::IsWindowVisible(Hwnd(host.WindowOf(dialog))));
    EXPECT_EQ(nullptr, ::GetWindow(Hwnd(host.WindowOf(dialog)), GW_OWNER)) << "a hidden form owns nothing";
    EXPECT_EQ(menuWindow, ::GetActiveWindow()) << "the previous window is active again";
}

TEST_F(Modal, EscAndTheFrameEndAModalShow) {
    forms::Win32Host host;
    {
        Dialog dialog(host, "Dialog");
        Player player({{"Dialog", [](HWND form) { uitest::PostKey(form, VK_ESCAPE); }}});
        dialog.ShowModal();
        ASSERT_EQ(1, player.Done());
        EXPECT_EQ(1, dialog.cancels);
        EXPECT_FALSE(dialog.Visible());
    }
    {
        Dialog dialog(host, "Dialog");
        Player player({{"Dialog", [](HWND form) { ::PostMessageA(form, WM_SYSCOMMAND, SC_CLOSE, 0); }}});
        dialog.ShowModal();
        ASSERT_EQ(1, player.Done());
        EXPECT_TRUE(dialog.Unloaded()) << "closing the frame unloads by default";
        EXPECT_EQ(0, dialog.cancels);
    }
}

TEST_F(Modal, ModalInsideModalGivesBackWhatEachTook) {
    forms::Win32Host host;
    Dialog menu(host, "Menu");
    Dialog first(host, "First");
    Dialog second(host, "Second");
    menu.Show();
    host.DoEvents();
    HWND menuWindow = Hwnd(host.WindowOf(menu));
    std::vector<std::string> log;
    auto enabled = [&](forms::Form& f) { return ::IsWindowEnabled(Hwnd(host.WindowOf(f))) != FALSE; };
    first.cmdMore.OnClick = [&] {
        second.ShowModal();
        log.push_back(std::string("back in first: menu ") + (enabled(menu) ? "on" : "off") + ", first " +
                      (enabled(first) ? "on" : "off"));
    };
    second.cmdOK.OnClick = [&] {
        log.push_back(std::string("in second: first ") + (enabled(first) ? "on" : "off"));
        second.Hide();
    };
    first.cmdOK.OnClick = [&] { first.Hide(); };
    Player player({{"First", ClickOn(first.cmdMore)},
                   {"Second", ClickOn(second.cmdOK)},
                   {"First", ClickOn(first.cmdOK)}});
    first.ShowModal();
    ASSERT_EQ(3, player.Done());
    EXPECT_EQ((std::vector<std::string>{"in second: first off", "back in first: menu off, first on"}), log);
    EXPECT_TRUE(::IsWindowEnabled(menuWindow));
}

// The road of every Cancel: a click in a modal form, shown from a handler of
// the main form, ends the program; nothing after End runs, every window goes.
TEST_F(Modal, EndInsideAModalLoopUnwindsToRun) {
    forms::Win32Host host;
    Dialog menu(host, "Menu");
    Dialog wizard(host, "Wizard");
    int afterModal = 0;
    int afterEnd = 0;
    HWND menuWindow = nullptr;
    HWND wizardWindow = nullptr;
    menu.cmdOK.OnClick = [&] {
        wizard.ShowModal();
        ++afterModal;
    };
    wizard.cmdOK.OnClick = [&] {
        wizardWindow = Hwnd(host.WindowOf(wizard));
        host.End();
        ++afterEnd;
    };
    Player player({{"Menu", ClickOn(menu.cmdOK)}, {"Wizard", ClickOn(wizard.cmdOK)}});
    int afterEntry = 0;
    host.Run([&] {
        menu.Show();
        menuWindow = Hwnd(host.WindowOf(menu));
        ++afterEntry;
    });
    ASSERT_EQ(2, player.Done());
    EXPECT_TRUE(host.Ended());
    EXPECT_EQ(1, afterEntry);
    EXPECT_EQ(0, afterModal);
    EXPECT_EQ(0, afterEnd);
    EXPECT_FALSE(::IsWindow(menuWindow));
    EXPECT_FALSE(::IsWindow(wizardWindow));
    EXPECT_FALSE(menu.Visible());
    EXPECT_FALSE(wizard.Visible());
    EXPECT_FALSE(QuitPending()) << "Run takes the quit message End posted";
    EXPECT_THROW(host.DoEvents(), forms::ProgramEnded);
    EXPECT_THROW(wizard.Show(), forms::ProgramEnded) << "nothing is shown after the end";
}

TEST_F(Modal, RunEndsWhenNoFormIsShown) {
    forms::Win32Host host;
    Dialog menu(host, "Menu");
    Player player({{"Menu", [](HWND form) { ::PostMessageA(form, WM_CLOSE, 0, 0); }}});
    EXPECT_EQ(0, host.Run([&] { menu.Show(); }));
    ASSERT_EQ(1, player.Done());
    EXPECT_TRUE(menu.Unloaded());
    EXPECT_FALSE(host.Ended());
    EXPECT_EQ(0, host.Run([] {})) << "with nothing shown there is nothing to wait for";
}

// A handler's error must not unwind through the system's frames: the loop
// that dispatched the click raises it to whoever runs the program.
TEST_F(Modal, AHandlersErrorReachesTheCallerOfRun) {
    forms::Win32Host host;
    Dialog menu(host, "Menu");
    menu.cmdOK.OnClick = [] { throw std::runtime_error("Subscript out of range"); };
    Player player({{"Menu", ClickOn(menu.cmdOK)}});
    try {
        host.Run([&] { menu.Show(); });
        ADD_FAILURE() << "Run returned";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ("Subscript out of range", error.what());
    }
    EXPECT_EQ(1, player.Done());
}

}  // namespace

#endif  // _WIN32
