// What the user does to a form's windows reaches the model and its handlers
// as the scripted host's clicks do: mouse, the driver's posted clicks, the
// keyboard and the window frame.
#ifdef _WIN32

#include "forms/win32/CustomPaint.h"
#include "forms/win32/Dpi.h"
#include "ui/UiSupport.h"

#include <map>

namespace {

using forms::Control;
using forms::ControlKind;
using uitest::Hwnd;

class Keys : public forms::Form {
public:
    explicit Keys(forms::Host& host) : Form(host, "frmKeys", "Keys", 320, 200) {
        optA.SetValue(true);
        for (Control* c : Controls()) c->OnClick = [this, c] { ++clicks[c->Name()]; };
        DefaultButton = &cmdGo;
        CancelButton = &cmdCancel;
    }
    void OnFrameClose() override {
        ++frameCloses;
        if (unloadOnClose) Form::OnFrameClose();
    }

    Control fraPick{*this, "fraPick", ControlKind::Frame, {10, 10, 140, 100}, "Pick"};
    Control optA{*this, "optA", ControlKind::Option, {10, 20, 120, 22}, "&Apple", &fraPick};
    Control optB{*this, "optB", ControlKind::Option, {10, 44, 120, 22}, "&Banana", &fraPick};
    Control optC{*this, "optC", ControlKind::Option, {10, 68, 120, 22}, "&Cherry", &fraPick};
    Control optSolo{*this, "optSolo", ControlKind::Option, {160, 20, 120, 22}, "&Solo"};
    Control chkTick{*this, "chkTick", ControlKind::Check, {160, 46, 120, 22}, "&Tick"};
    Control lblName{*this, "lblName", ControlKind::Label, {160, 76, 46, 20}, "&Name:"};
    Control txtName{*this, "txtName", ControlKind::TextBox, {210, 74, 100, 23}};
    Control lnkHelp{*this, "lnkHelp", ControlKind::Link, {10, 120, 100, 20}, "Help"};
    Control btnFancy{*this, "btnFancy", ControlKind::Custom, {10, 160, 100, 26}, "Fancy"};
    Control cmdGo{*this, "cmdGo", ControlKind::Button, {120, 160, 90, 26}, "&Go"};
    Control cmdCancel{*this, "cmdCancel", ControlKind::Button, {220, 160, 90, 26}, "Cancel"};

    std::map<std::string, int> clicks;
    int frameCloses = 0;
    bool unloadOnClose = true;
};

class FormInput : public uitest::UiTest {
protected:
    HWND ShowKeys() {
        form.Show();
        host.DoEvents();
        return Hwnd(host.WindowOf(form));
    }
    HWND Of(Control& control) { return Hwnd(host.WindowOf(control)); }
    // The clicks the model saw, and each option's and check box's state in
    // the model and on screen, which must agree.
    void ExpectState(std::map<std::string, int> clicks, bool a, bool b, bool c, bool solo, bool tick) {
        EXPECT_EQ(clicks, form.clicks);
        struct {
            Control* control;
            bool value;
        } states[] = {{&form.optA, a}, {&form.optB, b}, {&form.optC, c}, {&form.optSolo, solo}, {&form.chkTick, tick}};
        for (const auto& s : states) {
            EXPECT_EQ(s.value, s.control->Value()) << s.control->Name() << " in the model";
            EXPECT_EQ(s.value, uitest::Checked(Of(*s.control))) << s.control->Name() << " on screen";
        }
    }

    forms::Win32Host host;
    Keys form{host};
};

TEST_F(FormInput, PostedClicksRunTheHandlerAsTheScriptedHostDoes) {
    ShowKeys();
    uitest::PostClick(Of(form.cmdGo));
    host.DoEvents();
    ExpectState({{"cmdGo", 1}}, true, false, false, false, false);

    uitest::PostClick(Of(form.optB));
    // The driver's click counts even on an option that has the focus.
    ::SetFocus(Of(form.optSolo));
    uitest::PostClick(Of(form.optSolo));
    host.DoEvents();
    // Options exclude each other only within their container.
    ExpectState({{"cmdGo", 1}, {"optB", 1}, {"optSolo", 1}}, false, true, false, true, false);

    uitest::PostClick(Of(form.chkTick));
    host.DoEvents();
    ExpectState({{"cmdGo", 1}, {"optB", 1}, {"optSolo", 1}, {"chkTick", 1}}, false, true, false, true, true);
    uitest::PostClick(Of(form.chkTick));
    host.DoEvents();
    ExpectState({{"cmdGo", 1}, {"optB", 1}, {"optSolo", 1}, {"chkTick", 2}}, false, true, false, true, false);

    // What a user cannot click does nothing, even when a click is posted.
    form.cmdGo.SetEnabled(false);
    form.fraPick.SetVisible(false);
    uitest::PostClick(Of(form.cmdGo));
    uitest::PostClick(Of(form.optC));
    host.DoEvents();
    ExpectState({{"cmdGo", 1}, {"optB", 1}, {"optSolo", 1}, {"chkTick", 2}}, false, true, false, true, false);
}

TEST_F(FormInput, MouseClicksChangeTheControlOnceAndRunTheHandlerOnce) {
    ShowKeys();
    ::SendMessageA(Of(form.optC), BM_CLICK, 0, 0);
    host.DoEvents();
    ExpectState({{"optC", 1}}, false, false, true, false, false);
    ::SendMessageA(Of(form.chkTick), BM_CLICK, 0, 0);
    host.DoEvents();
    ExpectState({{"optC", 1}, {"chkTick", 1}}, false, false, true, false, true);
    ::SendMessageA(Of(form.btnFancy), BM_CLICK, 0, 0);
    ::SendMessageA(Of(form.lnkHelp), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageA(Of(form.lnkHelp), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    host.DoEvents();
    ExpectState({{"optC", 1}, {"chkTick", 1}, {"btnFancy", 1}, {"lnkHelp", 1}}, false, false, true, false, true);

    // Over a link the pointer is a hand.
    HWND window = Hwnd(host.WindowOf(form));
    EXPECT_TRUE(::SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(Of(form.lnkHelp)),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)), ::GetCursor());
}

TEST_F(FormInput, TheKeyboardWorksAsInADialog) {
    HWND window = ShowKeys();
    ::SetFocus(Of(form.optA));
    if (::GetFocus() != Of(form.optA)) GTEST_SKIP() << "the form cannot take the focus here";
    auto press = [&](WPARAM key) {
        uitest::PostKey(::GetFocus(), key);
        host.DoEvents();
    };
    auto alt = [&](char letter) {
        ::PostMessageA(::GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(letter), 1 << 29);
        host.DoEvents();
    };
    struct Step {
        const char* what;
        std::function<void()> act;
        Control* focus;
        std::map<std::string, int> clicks;
        bool a, b, c, solo;
    } steps[] = {
        {"an arrow key chooses the next option", [&] { press(VK_DOWN); }, &form.optB, {{"optB", 1}}, false, true,
         false, false},
        {"and the next", [&] { press(VK_DOWN); }, &form.optC, {{"optB", 1}, {"optC", 1}}, false, false, true, false},
        {"Tab goes to the next group without choosing it", [&] { press(VK_TAB); }, &form.optSolo,
         {{"optB", 1}, {"optC", 1}}, false, false, true, false},
        {"Tab skips labels", [&] { press(VK_TAB); press(VK_TAB); }, &form.txtName, {{"optB", 1}, {"optC", 1}}, false,
         false, true, false},
        {"an access key chooses its option", [&] { alt('a'); }, &form.optA,
         {{"optB", 1}, {"optC", 1}, {"optA", 1}}, true, false, false, false},
        {"a label's access key focuses what follows it", [&] { alt('n'); }, &form.txtName,
         {{"optB", 1}, {"optC", 1}, {"optA", 1}}, true, false, false, false},
        {"Enter presses the default button", [&] { press(VK_RETURN); }, &form.txtName,
         {{"optB", 1}, {"optC", 1}, {"optA", 1}, {"cmdGo", 1}}, true, false, false, false},
        {"Esc presses the cancel button", [&] { press(VK_ESCAPE); }, &form.txtName,
         {{"optB", 1}, {"optC", 1}, {"optA", 1}, {"cmdGo", 1}, {"cmdCancel", 1}}, true, false, false, false},
        {"a button's access key presses it", [&] { alt('g'); }, nullptr,
         {{"optB", 1}, {"optC", 1}, {"optA", 1}, {"cmdGo", 2}, {"cmdCancel", 1}}, true, false, false, false},
    };
    auto focusOnly = [&] {
        // What an option sends when it gets the focus, as Windows' own
        // buttons do: not a choice.
        HWND focus = ::GetFocus();
        ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(focus), BN_CLICKED),
                       reinterpret_cast<LPARAM>(focus));
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        if (::GetFocus() == Of(form.optSolo)) focusOnly();
        if (step.focus != nullptr) {
            EXPECT_EQ(Of(*step.focus), ::GetFocus()) << "focus on " << step.focus->Name();
        }
        ExpectState(step.clicks, step.a, step.b, step.c, step.solo, false);
    }
    // Esc with no cancel button does nothing.
    form.CancelButton = nullptr;
    press(VK_ESCAPE);
    EXPECT_EQ(1, form.clicks["cmdCancel"]);
    EXPECT_TRUE(::IsWindowVisible(window));
}

TEST_F(FormInput, FocusLeavesControlsThatAreHidden) {
    ShowKeys();
    ::SetFocus(Of(form.cmdGo));
    if (::GetFocus() != Of(form.cmdGo)) GTEST_SKIP() << "the form cannot take the focus here";
    form.cmdGo.SetVisible(false);
    host.DoEvents();
    EXPECT_EQ(Of(form.optA), ::GetFocus()) << "the first tab stop takes it";
    EXPECT_TRUE(form.optA.Value());
    EXPECT_TRUE(form.clicks.empty());
}

TEST_F(FormInput, TheTextBoxAndItsCaptionFollowEachOther) {
    ShowKeys();
    HWND edit = Of(form.txtName);
    for (char c : std::string("Word")) ::PostMessageA(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
    host.DoEvents();
    EXPECT_EQ("Word", form.txtName.Caption());
    form.txtName.SetCaption("Normal.dot");
    EXPECT_EQ("Normal.dot", uitest::TextOf(edit));
}

TEST_F(FormInput, ClosingTheFrameAsksTheForm) {
    HWND window = ShowKeys();
    form.unloadOnClose = false;
    ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    host.DoEvents();
    EXPECT_EQ(1, form.frameCloses);
    EXPECT_TRUE(::IsWindowVisible(window)) << "the form chose to stay";

    form.unloadOnClose = true;
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    host.DoEvents();
    EXPECT_EQ(2, form.frameCloses);
    EXPECT_TRUE(form.Unloaded());
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(0u, host.WindowOf(form));
}

TEST_F(FormInput, CustomControlsAreDrawnByTheirPainter) {
    struct Seen {
        const Control* control = nullptr;
        int dpi = 0;
        bool hot = false;
        int calls = 0;
    } seen;
    host.SetPainter("btnFancy", [&](const forms::CustomPaint& paint) {
        seen = {&paint.control, paint.dpi, paint.hot, seen.calls + 1};
        ::FillRect(paint.dc, &paint.rect, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    });
    HWND window = ShowKeys();
    ::UpdateWindow(window);
    EXPECT_GT(seen.calls, 0);
    EXPECT_EQ(&form.btnFancy, seen.control);
    EXPECT_EQ(forms::win32::DpiOf(window), seen.dpi);

    ::SendMessageA(Of(form.btnFancy), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    ::UpdateWindow(Of(form.btnFancy));
    EXPECT_TRUE(seen.hot) << "the painter learns that the mouse is over it";
    ::SendMessageA(Of(form.btnFancy), WM_MOUSELEAVE, 0, 0);
    ::UpdateWindow(Of(form.btnFancy));
    EXPECT_FALSE(seen.hot);
}

}  // namespace

#endif  // _WIN32
