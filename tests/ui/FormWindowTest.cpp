// A form as a window: the controls it gets, where they lie at each DPI, and
// how changes of the model reach them at once.
#ifdef _WIN32

#include "forms/win32/Dpi.h"
#include "forms/ControlRules.h"
#include "ui/UiSupport.h"

namespace {

using forms::Control;
using forms::ControlKind;
using uitest::Hwnd;

class Sample : public forms::Form {
public:
    explicit Sample(forms::Host& host) : Form(host, "frmSample", "Sample form", 360, 240) {
        optAuto.SetValue(true);
        DefaultButton = &cmdOK;
        CancelButton = &cmdCancel;
    }

    Control lblTitle{*this, "lblTitle", ControlKind::Label, {12, 8, 336, 20}, "Choose how to repair Word:"};
    Control fraMode{*this, "fraMode", ControlKind::Frame, {12, 32, 200, 84}, "Mode"};
    Control optAuto{*this, "optAuto", ControlKind::Option, {12, 20, 176, 22}, "&Automatic", &fraMode};
    Control optHand{*this, "optHand", ControlKind::Option, {12, 46, 176, 22}, "By &hand", &fraMode};
    Control chkBackup{*this, "chkBackup", ControlKind::Check, {224, 40, 124, 22}, "&Backup first"};
    Control lblName{*this, "lblName", ControlKind::Label, {12, 128, 60, 20}, "&Name:"};
    Control txtName{*this, "txtName", ControlKind::TextBox, {76, 124, 136, 23}, "Normal.dot"};
    Control lnkHelp{*this, "lnkHelp", ControlKind::Link, {224, 128, 124, 20}, "Online help"};
    Control shpStep{*this, "shpStep", ControlKind::Shape, {224, 72, 16, 16}};
    Control picLogo{*this, "picLogo", ControlKind::Image, {300, 64, 32, 32}};
    Control fraPlain{*this, "fraPlain", ControlKind::Frame, {12, 156, 336, 32}};
    Control lblInPlain{*this, "lblInPlain", ControlKind::Label, {8, 6, 320, 20}, "Tom & Jerry", &fraPlain};
    Control cmdOK{*this, "cmdOK", ControlKind::Button, {180, 200, 80, 26}, "OK"};
    Control cmdCancel{*this, "cmdCancel", ControlKind::Button, {268, 200, 80, 26}, "Cancel"};
};

class FormWindow : public uitest::UiTest {};

HWND Show(forms::Win32Host& host, forms::Form& form) {
    form.Show();
    host.DoEvents();
    return Hwnd(host.WindowOf(form));
}

TEST_F(FormWindow, EachControlIsAChildOfTheFormWithItsClassTextAndId) {
    forms::Win32Host host;
    Sample form(host);
    EXPECT_EQ(0u, host.WindowOf(form)) << "no window before the first show";
    HWND window = Show(host, form);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ("QuorvexForm", uitest::ClassOf(window));
    EXPECT_EQ("Sample form", uitest::TextOf(window));
    EXPECT_FALSE(uitest::StyleOf(window) & WS_THICKFRAME) << "the frame is not resizable";

    struct Case {
        Control* control;
        const char* className;
        LONG_PTR type;  // the low style bits that say what the control is
        LONG_PTR mask;
        const char* text;
    } cases[] = {
        {&form.lblTitle, "Static", SS_LEFT | SS_NOPREFIX, SS_TYPEMASK | SS_NOPREFIX, "Choose how to repair Word:"},
        {&form.fraMode, "Button", BS_GROUPBOX, BS_TYPEMASK, "Mode"},
        {&form.optAuto, "Button", BS_AUTORADIOBUTTON, BS_TYPEMASK, "&Automatic"},
        {&form.chkBackup, "Button", BS_AUTOCHECKBOX, BS_TYPEMASK, "&Backup first"},
        {&form.lblName, "Static", SS_LEFT, SS_TYPEMASK | SS_NOPREFIX, "&Name:"},
        {&form.txtName, "Edit", 0, 0, "Normal.dot"},
        {&form.lnkHelp, "Static", SS_NOTIFY, SS_NOTIFY, "Online help"},
        {&form.shpStep, "Static", SS_OWNERDRAW, SS_TYPEMASK, ""},
        {&form.fraPlain, "Static", SS_OWNERDRAW, SS_TYPEMASK, ""},
        {&form.lblInPlain, "Static", SS_NOPREFIX, SS_NOPREFIX, "Tom & Jerry"},
        {&form.cmdOK, "Button", BS_DEFPUSHBUTTON, BS_TYPEMASK, "OK"},
        {&form.cmdCancel, "Button", BS_PUSHBUTTON, BS_TYPEMASK, "Cancel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control->Name());
        HWND child = Hwnd(host.WindowOf(*c.control));
        ASSERT_NE(nullptr, child);
        EXPECT_EQ(window, ::GetParent(child)) << "every control is the form's own child";
        EXPECT_EQ(forms::Win32Host::ControlIdOf(*c.control), ::GetDlgCtrlID(child));
        EXPECT_EQ(child, ::GetDlgItem(window, forms::Win32Host::ControlIdOf(*c.control)));
        EXPECT_EQ(c.className, uitest::ClassOf(child));
        EXPECT_EQ(c.type, uitest::StyleOf(child) & c.mask);
        EXPECT_EQ(c.text, uitest::TextOf(child));
        EXPECT_TRUE(::IsWindowVisible(child));
    }
    EXPECT_EQ(100, forms::Win32Host::ControlIdOf(form.lblTitle));
    EXPECT_TRUE(uitest::Checked(Hwnd(host.WindowOf(form.optAuto))));
    EXPECT_FALSE(uitest::Checked(Hwnd(host.WindowOf(form.optHand))));

    // Tab order is creation order: the children follow each other that way.
    HWND child = ::GetWindow(window, GW_CHILD);
    for (Control* control : form.Controls()) {
        SCOPED_TRACE(control->Name());
        ASSERT_EQ(Hwnd(host.WindowOf(*control)), child);
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
}

TEST_F(FormWindow, TheProgramsIconIsInTheTitleBar) {
    forms::Win32Host host;
    Sample form(host);
    HWND window = Show(host, form);
    EXPECT_NE(0, ::SendMessageA(window, WM_GETICON, ICON_BIG, 0));
    EXPECT_NE(0, ::SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
    form.picLogo.SetPicture(1);
    EXPECT_NE(0, ::SendMessageA(Hwnd(host.WindowOf(form.picLogo)), STM_GETIMAGE, IMAGE_ICON, 0));
}

// Positions are the model's 96-DPI pixels, containers' offsets added, scaled.
TEST_F(FormWindow, GeometryIsScaledToTheWindowsDpi) {
    forms::Win32Host host;
    Sample form(host);
    HWND window = Show(host, form);
    struct Case {
        int dpi;
        Control* control;
        RECT expected;
    } cases[] = {
        {96, &form.lblTitle, {12, 8, 348, 28}},
        {96, &form.optHand, {24, 78, 200, 100}},
        {96, &form.lblInPlain, {20, 162, 340, 182}},
        {144, &form.lblTitle, {18, 12, 522, 42}},
        {144, &form.optHand, {36, 117, 300, 150}},
        {144, &form.lblInPlain, {30, 243, 510, 273}},
        {144, &form.cmdCancel, {402, 300, 522, 339}},
        {120, &form.optAuto, {30, 65, 250, 93}},
    };
    int heightAt96 = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.dpi) + " " + c.control->Name());
        uitest::MoveToDpi(window, c.dpi);
        RECT client;
        ::GetClientRect(window, &client);
        EXPECT_EQ(360 * c.dpi / 96, client.right);
        EXPECT_EQ(240 * c.dpi / 96, client.bottom);
        RECT r = uitest::RectInParent(Hwnd(host.WindowOf(*c.control)));
        EXPECT_EQ(c.expected.left, r.left);
        EXPECT_EQ(c.expected.top, r.top);
        EXPECT_EQ(c.expected.right, r.right);
        EXPECT_EQ(c.expected.bottom, r.bottom);
        int height = uitest::FontHeight(Hwnd(host.WindowOf(*c.control)));
        if (c.dpi == 96) heightAt96 = height;
        if (c.dpi == 144) {
            EXPECT_NEAR(heightAt96 * 3 / 2, height, 1) << "the font follows the DPI";
        }
    }
}

TEST_F(FormWindow, WhatTheModelSaidBeforeTheFirstShowIsThereOnceShown) {
    forms::Win32Host host;
    Sample form(host);
    form.fraMode.SetVisible(false);
    form.chkBackup.SetEnabled(false);
    Show(host, form);
    auto style = [&](Control& c) { return uitest::StyleOf(Hwnd(host.WindowOf(c))); };
    EXPECT_FALSE(style(form.optAuto) & WS_VISIBLE) << "inside a hidden frame";
    EXPECT_TRUE(style(form.chkBackup) & WS_DISABLED);
    EXPECT_TRUE(style(form.optAuto) & WS_GROUP) << "the first of its options";
    EXPECT_FALSE(style(form.optHand) & (WS_GROUP | WS_TABSTOP));
    EXPECT_TRUE(style(form.cmdOK) & WS_TABSTOP);
}

TEST_F(FormWindow, ModelChangesReachTheWindowsAtOnce) {
    forms::Win32Host host;
    Sample form(host);
    HWND window = Show(host, form);
    auto of = [&](Control& c) { return Hwnd(host.WindowOf(c)); };

    form.SetCaption("Renamed");
    EXPECT_EQ("Renamed", uitest::TextOf(window));
    form.lblTitle.SetCaption("Working...");
    EXPECT_EQ("Working...", uitest::TextOf(of(form.lblTitle)));
    // The model's texts are UTF-8; whatever the code page, each character
    // it has shows as itself, not as its UTF-8 bytes.
    form.lblTitle.SetCaption("Fr\xc3\xa9" "d\xc3\xa9ric");
    wchar_t shown[16] = {};
    ::GetWindowTextW(of(form.lblTitle), shown, 16);
    EXPECT_EQ(std::wstring(L"Fr\u00e9d\u00e9ric"), shown) << "code page " << ::GetACP();
    form.cmdOK.SetEnabled(false);
    EXPECT_FALSE(::IsWindowEnabled(of(form.cmdOK)));
    form.chkBackup.SetValue(true);
    EXPECT_TRUE(uitest::Checked(of(form.chkBackup)));
    form.optHand.SetValue(true);
    EXPECT_TRUE(uitest::Checked(of(form.optHand)));
    EXPECT_FALSE(uitest::Checked(of(form.optAuto)));
    form.lblTitle.SetBold(true);
    EXPECT_EQ(FW_BOLD, uitest::FontWeight(of(form.lblTitle)));
    int before = uitest::FontHeight(of(form.lblName));
    form.lblName.SetFontGrow(4);
    EXPECT_GT(uitest::FontHeight(of(form.lblName)), before);
    form.txtName.SetCaption("Other.dot");
    EXPECT_EQ("Other.dot", uitest::TextOf(of(form.txtName)));
    form.lblInPlain.SetCaption("&Now with a key");
    EXPECT_FALSE(uitest::StyleOf(of(form.lblInPlain)) & SS_NOPREFIX) << "an access key needs the prefix";

    form.shpStep.SetBounds({230, 90, 16, 16});
    RECT r = uitest::RectInParent(of(form.shpStep));
    EXPECT_EQ(forms::Scale(230, forms::win32::DpiOf(window)), r.left);

    // A hidden frame hides what it holds; showing it again brings it back.
    form.fraMode.SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(of(form.optAuto)));
    form.fraMode.SetVisible(true);
    EXPECT_TRUE(::IsWindowVisible(of(form.optAuto)));
    // A disabled frame disables what it holds, as the user sees it.
    form.fraMode.SetEnabled(false);
    EXPECT_FALSE(::IsWindowEnabled(of(form.optHand)));

    // A frame that gets a caption becomes a group box in the same place.
    form.fraPlain.SetCaption("Now boxed");
    HWND boxed = of(form.fraPlain);
    EXPECT_EQ(BS_GROUPBOX, uitest::StyleOf(boxed) & BS_TYPEMASK);
    EXPECT_EQ("Now boxed", uitest::TextOf(boxed));
    EXPECT_EQ(boxed, ::GetWindow(of(form.lblInPlain), GW_HWNDPREV)) << "it keeps its place in the tab order";
}

TEST_F(FormWindow, ColoursComeFromTheModel) {
    forms::Win32Host host;
    Sample form(host);
    HWND window = Show(host, form);
    HDC dc = ::CreateCompatibleDC(nullptr);
    auto textColor = [&](Control& c) {
        ::SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(Hwnd(host.WindowOf(c))));
        return ::GetTextColor(dc);
    };
    EXPECT_EQ(0xFF0000u, textColor(form.lnkHelp)) << "links are blue";
    form.lblTitle.SetForeColor(0x0000C0);
    EXPECT_EQ(0x0000C0u, textColor(form.lblTitle));
    EXPECT_EQ(::GetSysColor(COLOR_BTNTEXT), textColor(form.lblName));
    ::DeleteDC(dc);

    form.shpStep.SetFillColor(0x00A000);
    uitest::Picture picture = uitest::PrintClient(window);
    if (picture.pixels.empty()) GTEST_SKIP() << "the screen cannot be read here";
    RECT r = uitest::RectInParent(Hwnd(host.WindowOf(form.shpStep)));
    EXPECT_EQ(0x00A000u, picture.At((r.left + r.right) / 2, (r.top + r.bottom) / 2)) << "a shape is filled";
    EXPECT_NE(0x00A000u, picture.At(r.left, r.top)) << "and round";
}

// Wizard pages: frames at one place, only the one on top is seen.
TEST_F(FormWindow, OfStackedFramesOnlyTheTopOneIsShown) {
    forms::Win32Host host;
    forms::Form form(host, "frmPages", "Pages", 300, 200);
    forms::ControlArray pages;
    forms::ControlArray texts;
    for (int i = 0; i < 3; ++i) {
        pages.Add(form, "fraSteps", ControlKind::Frame, {10, 10, 200, 150});
        texts.Add(form, "lblText", ControlKind::Label, {5, 5, 150, 20}, "Page " + std::to_string(i), &pages[i]);
    }
    Control aside(form, "fraAside", ControlKind::Frame, {220, 10, 70, 150});  // elsewhere: not stacked
    HWND window = Show(host, form);
    auto shown = [&](Control& c) { return ::IsWindowVisible(Hwnd(host.WindowOf(c))) != FALSE; };

    struct Step {
        const char* what;
        std::function<void()> act;
        int onTop;
    } steps[] = {
        {"created last is on top", [] {}, 2},
        {"brought to the top", [&] { pages[0].BringToTop(); }, 0},
        {"brought up later wins", [&] { pages[1].BringToTop(); }, 1},
        {"a hidden page uncovers the one below", [&] { pages[1].SetVisible(false); }, 0},
        {"shown again, it is on top again", [&] { pages[1].SetVisible(true); }, 1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(i == step.onTop, shown(pages[i])) << "page " << i;
            EXPECT_EQ(i == step.onTop, shown(texts[i])) << "text of page " << i;
        }
        EXPECT_TRUE(shown(aside));
    }
    (void)window;
}

}  // namespace

#endif  // _WIN32
