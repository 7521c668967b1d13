// The CandyButton on real windows: its rounded styles cut their corners, the
// mouse over it changes its face, Enter and Space click it, and the closing
// form's buttons are saved as pictures for a person to look at.
#ifdef _WIN32

#include "app/Context.h"
#include "app/frmPromotion.h"
#include "controls/CandyButton.h"
#include "controls/win32/CandyButtonPainter.h"
#include "os/win32/Win32Api.h"
#include "ui/UiSupport.h"

#include <map>

namespace {

using controls::CandyButton;
using uitest::Hwnd;

class Candies : public forms::Form {
public:
    explicit Candies(forms::Host& host) : Form(host, "frmCandies", "Candies", 420, 120) {
        for (int style = 0; style < controls::kStyleCount; ++style) {
            int column = style % 4;
            int row = style / 4;
            buttons.push_back(std::make_unique<CandyButton>(
                *this, "cmdStyle" + std::to_string(style), forms::Rect{10 + 100 * column, 10 + 50 * row, 90, 30},
                controls::PropertyBag{{"Caption", "Style &" + std::to_string(style)},
                                      {"Style", int64_t{style}},
                                      {"ColorScheme", int64_t{1}}}));
        }
        for (auto& b : buttons) b->OnClick = [this, name = b->Name()] { ++clicks[name]; };
        // A few looks for the saved picture.
        buttons[1]->SetChecked(true);
        buttons[5]->SetEnabled(false);
        buttons[6]->SetBorderBrightness(-60);
        buttons[7]->SetColorScheme(5);
        DefaultButton = buttons.back().get();
    }
    std::vector<std::unique_ptr<CandyButton>> buttons;
    std::map<std::string, int> clicks;
};

uint32_t FormBackground() {
    COLORREF c = ::GetSysColor(COLOR_BTNFACE);
    return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

class CandyButtonUi : public uitest::UiTest {
protected:
    HWND ShowCandies(controls::win32::PainterOptions options = {}) {
        controls::win32::UseCandyButtons(host, api, "Quorvex", options);
        form.Show();
        host.DoEvents();
        // The pointer away from the buttons, so that no real hover interferes.
        ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
        host.DoEvents();
        return Hwnd(host.WindowOf(form));
    }
    HWND Of(const forms::Control& control) { return Hwnd(host.WindowOf(control)); }
    // A pixel of the button, read from the form's picture (where the
    // button's shape decides what shows).
    uint32_t PixelOf(const forms::Control& control, int x, int y) {
        uitest::Picture picture = uitest::PrintClient(Hwnd(host.WindowOf(form)));
        if (picture.pixels.empty()) return 0xFFFFFFFF;
        RECT r = uitest::RectInParent(Of(control));
        return picture.At(r.left + x, r.top + y);
    }

    os::win32::Win32Api api;
    forms::Win32Host host;
    Candies form{host};
};

TEST_F(CandyButtonUi, RoundedStylesCutTheirCornersAtEveryDpi) {
    HWND window = ShowCandies();
    for (int dpi : {96, 120, 144}) {
        uitest::MoveToDpi(window, dpi);
        host.DoEvents();
        uitest::Picture picture = uitest::PrintClient(window);
        ASSERT_FALSE(picture.pixels.empty());
        uitest::SaveBmp(picture, uitest::ArtifactsDir() + "\\candy-styles-" + std::to_string(dpi) + "dpi.bmp");
        for (const auto& b : form.buttons) {
            SCOPED_TRACE(testing::Message() << b->Name() << " at " << dpi << " DPI");
            HWND button = Of(*b);
            RECT r = uitest::RectInParent(button);
            EXPECT_NEAR(r.right - r.left, ::MulDiv(90, dpi, 96), 1);
            bool rounded = b->Style() >= 2;
            os::win32::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
            EXPECT_EQ(::GetWindowRgn(button, region.get()) != ERROR, rounded) << "the window's own shape";
            uint32_t corner = picture.At(r.left, r.top);
            uint32_t bottomRight = picture.At(r.right - 1, r.bottom - 1);
            if (rounded) {
                EXPECT_EQ(corner, FormBackground()) << "top-left corner";
                EXPECT_EQ(bottomRight, FormBackground()) << "bottom-right corner";
            } else {
                EXPECT_NE(corner, FormBackground()) << "a rectangle keeps its corners";
            }
            uint32_t middle = picture.At((r.left + r.right) / 2, r.bottom - (r.bottom - r.top) / 3);
            EXPECT_NE(middle, FormBackground()) << "the face is drawn";
        }
    }
}

TEST_F(CandyButtonUi, TheMouseOverTheButtonChangesItsFaceUntilItLeaves) {
    ShowCandies();
    CandyButton& b = *form.buttons[2];
    std::vector<std::string> events;
    b.OnMouseEnter = [&] { events.push_back("enter"); };
    b.OnMouseLeave = [&] { events.push_back("leave"); };
    HWND button = Of(b);
    RECT client;
    ::GetClientRect(button, &client);
    const int x = client.right / 2;
    const int y = client.bottom * 3 / 4;
    uint32_t normal = PixelOf(b, x, y);
    // The system may report the leave at once (the real pointer is
    // elsewhere): the picture is taken before any posted message runs.
    ::SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    uint32_t hover = PixelOf(b, x, y);
    ::SendMessageA(button, WM_MOUSELEAVE, 0, 0);
    uint32_t left = PixelOf(b, x, y);
    EXPECT_NE(normal, hover);
    EXPECT_EQ(normal, left);
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0], "enter");
    EXPECT_EQ(events[1], "leave");
    EXPECT_EQ(b.PaintedState(), controls::kStateNormal);
}

TEST_F(CandyButtonUi, WithoutLeaveTrackingThereIsNoHover) {
    ShowCandies({false});
    CandyButton& b = *form.buttons[2];
    HWND button = Of(b);
    uint32_t normal = PixelOf(b, 40, 22);
    ::SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(40, 22));
    EXPECT_EQ(PixelOf(b, 40, 22), normal);
    EXPECT_FALSE(b.TrackingAvailable());
    EXPECT_EQ(b.PaintedState(), controls::kStateNormal);
}

TEST_F(CandyButtonUi, EnterAndSpaceClickTheFocusedButtonNotTheDefault) {
    HWND window = ShowCandies();
    CandyButton& b = *form.buttons[3];
    ::SendMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Of(b)), TRUE);
    host.DoEvents();
    ASSERT_EQ(::GetFocus(), Of(b));
    EXPECT_EQ(b.PaintedState(), controls::kStateFocused);
    for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_SPACE}}) {
        uitest::PostKey(Of(b), key);
        host.DoEvents();
    }
    EXPECT_EQ(form.clicks, (std::map<std::string, int>{{"cmdStyle3", 2}}));
    // A disabled button takes nothing.
    b.SetEnabled(false);
    host.DoEvents();
    ::SendMessageA(Of(b), WM_KEYDOWN, VK_RETURN, 1);
    ::SendMessageA(Of(b), WM_KEYUP, VK_RETURN, 0xC0000001);
    host.DoEvents();
    EXPECT_EQ(form.clicks, (std::map<std::string, int>{{"cmdStyle3", 2}}));
}

class PromotionUi : public uitest::UiTest {};

// The closing form as the user sees it: Learn more under the mouse, Order
// pressed; saved at 96 and 144 DPI.
TEST_F(PromotionUi, IsSavedWithAButtonHoveredAndOnePressed) {
    os::win32::Win32Api realApi;
    forms::Win32Host realHost;
    controls::win32::UseCandyButtons(realHost, realApi, "Quorvex");
    app::Context ctx(realApi, realHost);
    app::frmPromotion& promotion = ctx.frmPromotion();
    promotion.Show();
    realHost.DoEvents();
    HWND window = Hwnd(realHost.WindowOf(promotion));
    std::string artifacts = uitest::ArtifactsDir();
    for (int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        uitest::MoveToDpi(window, dpi);
        realHost.DoEvents();
        HWND learnMore = Hwnd(realHost.WindowOf(promotion.cmdLearnMore));
        HWND order = Hwnd(realHost.WindowOf(promotion.cmdOrder));
        RECT r;
        ::GetWindowRect(learnMore, &r);
        ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        realHost.DoEvents();
        ::SendMessageA(learnMore, WM_MOUSEMOVE, 0, MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2));
        ::SendMessageA(order, WM_KEYDOWN, VK_RETURN, 1);  // pressed, not yet released
        EXPECT_EQ(promotion.cmdLearnMore.PaintedState(), controls::kStateHover);
        EXPECT_EQ(promotion.cmdOrder.PaintedState(), controls::kStatePressed);
        uitest::Picture picture = uitest::PrintClient(window);
        ASSERT_FALSE(picture.pixels.empty());
        std::string path = artifacts + "\\candy-promotion-" + std::to_string(dpi) + "dpi.bmp";
        EXPECT_TRUE(uitest::SaveBmp(picture, path)) << path;
        // Let go without a click: the focus leaves the pressed button.
        ::SendMessageA(order, WM_KILLFOCUS, 0, 0);
        ::SendMessageA(learnMore, WM_MOUSELEAVE, 0, 0);
        ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
        realHost.DoEvents();
    }
    promotion.Hide();
    realHost.DoEvents();
}

}  // namespace

#endif  // _WIN32
