#include "controls/win32/CandyButtonPainter.h"

#include "controls/CandyButton.h"
#include "controls/WindowHook.h"
#include "forms/ControlRules.h"
#include "forms/win32/CustomPaint.h"
#include "forms/win32/Dpi.h"
#include "forms/win32/SystemText.h"
#include "forms/win32/Win32Host.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace controls::win32 {

namespace {

using forms::win32::SelectIn;
using forms::win32::UniqueBitmap;
using forms::win32::UniqueBrush;
using forms::win32::UniqueIcon;
using forms::win32::UniqueMemoryDc;
using os::win32::UniqueModule;
using os::win32::UniqueRegion;

using TrackFn = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);

constexpr UINT_PTR kHookId = 0x43616E64;  // "Cand"

using forms::Scale;

// 0x00BBGGRR as a DIB pixel (0x00RRGGBB).
uint32_t Pixel(Color c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

int ShiftKeys() {
    return (::GetKeyState(VK_SHIFT) < 0 ? kShiftMask : 0) | (::GetKeyState(VK_CONTROL) < 0 ? kCtrlMask : 0) |
           (::GetKeyState(VK_MENU) < 0 ? kAltMask : 0);
}

int ButtonsHeld(WPARAM keys) {
    return ((keys & MK_LBUTTON) ? kLeftButton : 0) | ((keys & MK_RBUTTON) ? kRightButton : 0) |
           ((keys & MK_MBUTTON) ? kMiddleButton : 0);
}

int ShiftFrom(WPARAM keys) {
    return ((keys & MK_SHIFT) ? kShiftMask : 0) | ((keys & MK_CONTROL) ? kCtrlMask : 0) |
           (::GetKeyState(VK_MENU) < 0 ? kAltMask : 0);
}

// A colour as it shows: system colours translated.
Color Real(const CandyButton& b, Color c) {
    Rgb rgb = b.GetRGB(c);
    return RGB(rgb.r, rgb.g, rgb.b);
}

int XOf(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int YOf(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

// The colour of one pixel of the face, inside the border. t runs from 0 at
// the top to 100 at the bottom.
Color FacePixel(const CandyButton& b, int style, bool down, Color face, Color bright, int x, int y, int w, int h,
                int r) {
    const int t = h > 1 ? y * 100 / (h - 1) : 0;
    switch (style) {
        case 0: {
            // Raised: light at the top, darker at the bottom; pressed turns it over.
            int u = down ? 100 - t : t;
            Color top = b.BlendColors(face, bright, 55);
            Color bottom = b.BlendColors(face, 0x000000, 18);
            return u < 50 ? b.BlendColors(top, face, u * 2) : b.BlendColors(face, bottom, (u - 50) * 2);
        }
        case 1: {
            // Glass: a bright upper half with a hard edge, a glow rising from the bottom.
            if (t < 50) return b.BlendColors(bright, face, (down ? 55 : 30) + t * 4 / 5);
            return b.BlendColors(face, bright, (t - 50) * (down ? 1 : 4) / 5);
        }
        case 6: {
            // Shaded by hand: lit from the top left, darkening toward the edges.
            int lit = 100 - (t + (w > 1 ? x * 100 / (w - 1) : 0)) / 2;
            Color c = b.BlendColors(face, bright, lit * (down ? 25 : 55) / 100);
            int edge = std::min({x, y, w - 1 - x, h - 1 - y});
            int ring = std::max(2, h / 8);
            if (edge < ring) c = b.BlendColors(c, 0x000000, (ring - edge) * 30 / ring);
            return c;
        }
        default:
            break;
    }
    // The rounded styles: a gloss of ColorBright fading into the face.
    struct Gloss {
        int from, to;        // rows, in percent of the height
        int start, end;      // strength at those rows, in percent
        bool narrow;         // inset from the sides by half the radius
    };
    Gloss gloss;
    switch (style) {
        case 2: gloss = {0, 50, 80, 15, false}; break;
        case 3: gloss = {0, 45, 65, 20, false}; break;
        case 4: gloss = {50, 100, 10, 70, false}; break;
        case 5: gloss = {0, 38, 85, 40, true}; break;
        default: gloss = {0, 45, 70, 35, false}; break;  // 7
    }
    if (down) {
        gloss.start /= 2;
        gloss.end /= 2;
    }
    Color c = face;
    if (t >= gloss.from && t <= gloss.to && (!gloss.narrow || (x >= r / 2 && x < w - r / 2))) {
        int span = std::max(gloss.to - gloss.from, 1);
        int strength = gloss.start + (gloss.end - gloss.start) * (t - gloss.from) / span;
        c = b.BlendColors(face, bright, strength);
    } else if (t > gloss.to) {
        // A soft light coming back at the bottom.
        c = b.BlendColors(face, bright, (t - gloss.to) * (down ? 5 : 20) / std::max(100 - gloss.to, 1));
    }
    return c;
}

class Painter;

// One button's window: what the painter keeps for it while both exist.
class Binding : public ButtonWindow, public std::enable_shared_from_this<Binding> {
public:
    Binding(Painter& owner, HWND handle, CandyButton& model) : painter(owner), window(handle), button(&model) {}

    void Repaint() override {
        if (!gone) ::InvalidateRect(window, nullptr, FALSE);
    }
    void ApplyWindowRegion() override { Shape(true); }
    bool TrackLeave() override;
    void Release() override { button = nullptr; }

    // Cuts the window to the style's shape, when style or size changed.
    void Shape(bool redraw) {
        if (gone || button == nullptr) return;
        RECT client;
        ::GetClientRect(window, &client);
        int w = client.right;
        int h = client.bottom;
        int style = button->Style();
        if (inset && w == shapeWidth && h == shapeHeight && style == shapeStyle && dpi == shapeDpi) return;
        shapeWidth = w;
        shapeHeight = h;
        shapeStyle = style;
        shapeDpi = dpi;
        radius = CornerRadius(style, w, h, dpi);
        if (radius == 0) {
            outer.reset(::CreateRectRgn(0, 0, w, h));
            inset.reset(::CreateRectRgn(1, 1, w - 1, h - 1));
            ::SetWindowRgn(window, nullptr, redraw);
            return;
        }
        int round = 2 * radius;
        outer.reset(::CreateRoundRectRgn(0, 0, w + 1, h + 1, round, round));
        inset.reset(::CreateRoundRectRgn(1, 1, w, h, round, round));
        // The system owns the region it is given.
        HRGN given = ::CreateRoundRectRgn(0, 0, w + 1, h + 1, round, round);
        if (given != nullptr && !::SetWindowRgn(window, given, redraw)) ::DeleteObject(given);
    }

    Painter& painter;
    HWND window;
    CandyButton* button;
    bool gone = false;
    int dpi = 96;
    int shapeWidth = -1;
    int shapeHeight = -1;
    int shapeStyle = -1;
    int shapeDpi = -1;
    int radius = 0;
    UniqueRegion outer;
    UniqueRegion inset;  // what the face's pixels are tested against
    int pictureKey = 0;  // id * 1000 + size of the picture loaded
    UniqueIcon icon;
    UniqueBitmap bitmap;
};

class Painter : public WindowHook::System {
public:
    Painter(forms::Win32Host& host, os::Api& api, std::string source, PainterOptions options)
        : host_(host), api_(api), source_(std::move(source)) {
        if (options.hoverTracking) FindTracking();
    }

    ~Painter() override {
        for (const auto& entry : bindings_) {
            entry.second->gone = true;
            if (entry.second->button != nullptr) entry.second->button->Attach(nullptr);
        }
    }

    void Paint(const forms::CustomPaint& paint) {
        CandyButton* button = CandyButton::From(paint.control);
        if (button == nullptr) {
            PaintPlain(paint);
            return;
        }
        Binding& binding = Bind(*button, paint.window);
        binding.dpi = paint.dpi;
        binding.Shape(false);
        Draw(*button, binding, paint);
    }

    bool TrackLeave(HWND window) {
        if (track_ == nullptr) return false;
        TRACKMOUSEEVENT request = {};
        request.cbSize = sizeof request;
        request.dwFlags = TME_LEAVE;
        request.hwndTrack = window;
        request.dwHoverTime = HOVER_DEFAULT;
        return track_(&request) != FALSE;
    }

    // --- WindowHook::System ---
    bool IsWindow(std::uintptr_t window) override { return ::IsWindow(reinterpret_cast<HWND>(window)) != FALSE; }
    bool IsOwnProcess(std::uintptr_t window) override {
        DWORD process = 0;
        ::GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &process);
        return process == ::GetCurrentProcessId();
    }
    bool Install(std::uintptr_t window, uint32_t* error) override {
        auto found = bindings_.find(reinterpret_cast<HWND>(window));
        ::SetLastError(0);
        if (found != bindings_.end() &&
            ::SetWindowSubclass(found->first, Procedure, kHookId, reinterpret_cast<DWORD_PTR>(found->second.get())))
            return true;
        *error = ::GetLastError();
        return false;
    }
    void Remove(std::uintptr_t window) override {
        ::RemoveWindowSubclass(reinterpret_cast<HWND>(window), Procedure, kHookId);
    }

private:
    static LRESULT CALLBACK Procedure(HWND, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) {
        // Held for the whole message: a handler may destroy the window.
        std::shared_ptr<Binding> binding = reinterpret_cast<Binding*>(data)->shared_from_this();
        return binding->painter.Handle(*binding, message, wParam, lParam);
    }

    void FindTracking() {
        if (HMODULE user32 = ::GetModuleHandleA("user32.dll"))
            track_ = reinterpret_cast<TrackFn>(reinterpret_cast<void*>(::GetProcAddress(user32, "TrackMouseEvent")));
        if (track_ != nullptr) return;
        comctl32_.reset(::LoadLibraryA("comctl32.dll"));
        if (comctl32_)
            track_ = reinterpret_cast<TrackFn>(
                reinterpret_cast<void*>(::GetProcAddress(comctl32_.get(), "_TrackMouseEvent")));
    }

    Binding& Bind(CandyButton& button, HWND window) {
        auto found = bindings_.find(window);
        if (found != bindings_.end() && found->second->button == &button) return *found->second;
        if (found != bindings_.end()) Unbind(window);
        auto binding = std::make_shared<Binding>(*this, window, button);
        bindings_[window] = binding;
        button.Attach(binding.get());
        button.SetTrackingAvailable(track_ != nullptr);
        button.SystemColor = [](int index) { return static_cast<Color>(::GetSysColor(index)); };
        RECT client;
        ::GetClientRect(window, &client);
        button.SetPixelSize(client.right, client.bottom);
        auto key = reinterpret_cast<std::uintptr_t>(window);
        if (hook_.Subclass(key)) {
            // Before the window's own handling: the shape before each paint,
            // the pointer, Enter, and the mouse-up that precedes the click.
            for (UINT m : {WM_PAINT, WM_SETCURSOR, WM_GETDLGCODE, WM_KEYDOWN, WM_KEYUP, WM_LBUTTONUP, WM_RBUTTONUP,
                           WM_MBUTTONUP})
                hook_.AddMsg(key, m, When::Before);
            for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_LBUTTONDBLCLK, WM_SETFOCUS,
                           WM_KILLFOCUS, WM_SIZE, WM_SHOWWINDOW})
                hook_.AddMsg(key, m, When::After);
            if (track_ != nullptr) hook_.AddMsg(key, WM_MOUSELEAVE, When::After);
        }
        return *binding;
    }

    void Unbind(HWND window) {
        auto found = bindings_.find(window);
        if (found == bindings_.end()) return;
        std::shared_ptr<Binding> binding = found->second;
        auto key = reinterpret_cast<std::uintptr_t>(window);
        if (hook_.IsSubclassed(key)) hook_.UnSubclass(key);
        binding->gone = true;
        if (binding->button != nullptr && binding->button->Window() == binding.get())
            binding->button->Attach(nullptr);
        bindings_.erase(found);
    }

    // Runs the button's logic as the host runs handlers: the end of the
    // program or an error never unwinds through the system's frames.
    void Run(const std::function<void()>& logic) { host_.RunHandler(logic); }

    LRESULT Handle(Binding& binding, UINT message, WPARAM wParam, LPARAM lParam) {
        HWND window = binding.window;
        if (message == WM_NCDESTROY) {
            Unbind(window);
            return ::DefSubclassProc(window, message, wParam, lParam);
        }
        if (binding.gone || binding.button == nullptr) return ::DefSubclassProc(window, message, wParam, lParam);
        auto key = reinterpret_cast<std::uintptr_t>(window);
        LRESULT result = 0;
        bool handled = hook_.Wants(key, message, When::Before) && Before(binding, message, wParam, lParam, &result);
        if (!handled) result = ::DefSubclassProc(window, message, wParam, lParam);
        if (!binding.gone && binding.button != nullptr && hook_.Wants(key, message, When::After))
            After(binding, message, wParam, lParam);
        return result;
    }

    bool Before(Binding& binding, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
        CandyButton& b = *binding.button;
        switch (message) {
            case WM_PAINT:
                binding.Shape(false);
                return false;
            case WM_SETCURSOR:
                if (!b.ShowsHand() || LOWORD(lParam) != HTCLIENT) return false;
                ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
                *result = TRUE;
                return true;
            case WM_GETDLGCODE: {
                // Enter is the button's own, not the dialog's default button's.
                *result = ::DefSubclassProc(binding.window, message, wParam, lParam);
                const auto* asked = reinterpret_cast<const MSG*>(lParam);
                if (asked != nullptr && asked->message == WM_KEYDOWN && asked->wParam == VK_RETURN && b.Enabled())
                    *result |= DLGC_WANTMESSAGE;
                return true;
            }
            case WM_KEYDOWN:
            case WM_KEYUP:
                if (wParam != VK_RETURN) return false;
                Run([&] {
                    if (message == WM_KEYDOWN)
                        b.KeyDown(kKeyReturn, ShiftKeys());
                    else
                        b.KeyUp(kKeyReturn, ShiftKeys());
                });
                return true;
            case WM_LBUTTONUP:
            case WM_RBUTTONUP:
            case WM_MBUTTONUP: {
                int which = message == WM_LBUTTONUP   ? kLeftButton
                            : message == WM_RBUTTONUP ? kRightButton
                                                      : kMiddleButton;
                Run([&] { b.MouseUp(which, ShiftFrom(wParam), XOf(lParam), YOf(lParam)); });
                return false;
            }
            default:
                return false;
        }
    }

    void After(Binding& binding, UINT message, WPARAM wParam, LPARAM lParam) {
        CandyButton& b = *binding.button;
        switch (message) {
            case WM_MOUSEMOVE:
                Run([&] { b.MouseMove(ButtonsHeld(wParam), ShiftFrom(wParam), XOf(lParam), YOf(lParam)); });
                break;
            case WM_MOUSELEAVE:
                Run([&] { b.MouseLeave(); });
                break;
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_MBUTTONDOWN: {
                int which = message == WM_LBUTTONDOWN   ? kLeftButton
                            : message == WM_RBUTTONDOWN ? kRightButton
                                                        : kMiddleButton;
                Run([&] { b.MouseDown(which, ShiftFrom(wParam), XOf(lParam), YOf(lParam)); });
                break;
            }
            case WM_LBUTTONDBLCLK:
                Run([&] { b.DblClick(); });
                break;
            case WM_SETFOCUS:
                Run([&] { b.GotFocus(); });
                break;
            case WM_KILLFOCUS:
                Run([&] { b.LostFocus(); });
                break;
            case WM_SIZE:
                b.SetPixelSize(LOWORD(lParam), HIWORD(lParam));
                binding.Shape(true);
                break;
            case WM_SHOWWINDOW:
                binding.Shape(true);
                break;
            default:
                break;
        }
    }

    void PaintPlain(const forms::CustomPaint& paint) {
        RECT rect = paint.rect;
        ::DrawFrameControl(paint.dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (paint.pressed ? DFCS_PUSHED : 0));
        SelectIn font(paint.dc, paint.font);
        ::SetBkMode(paint.dc, TRANSPARENT);
        ::DrawTextA(paint.dc, forms::win32::SystemText(paint.control.Caption()).c_str(), -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }

    void LoadPicture(Binding& binding, int id, int size) {
        int key = id * 1000 + size;
        if (binding.pictureKey == key) return;
        binding.pictureKey = key;
        binding.icon.reset();
        binding.bitmap.reset();
        if (id == 0) return;
        HINSTANCE instance = ::GetModuleHandleA(nullptr);
        binding.icon.reset(static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0)));
        if (!binding.icon)
            binding.bitmap.reset(
                static_cast<HBITMAP>(::LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0)));
    }

    void Draw(CandyButton& b, Binding& binding, const forms::CustomPaint& paint) {
        const RECT& rect = paint.rect;
        const int w = rect.right - rect.left;
        const int h = rect.bottom - rect.top;
        if (w <= 0 || h <= 0 || !binding.inset) return;
        const int dpi = paint.dpi;
        int state = b.PaintedState();
        // The window's own press (the mouse, Space) shows at once.
        if (state != kStateChecked && paint.pressed) state = kStatePressed;
        const bool disabled = paint.disabled || !b.Enabled();
        const bool down = state == kStatePressed || state == kStateChecked;
        const bool hover = state == kStateHover && !disabled;

        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        UniqueMemoryDc memory(::CreateCompatibleDC(paint.dc));
        UniqueBitmap dib(::CreateDIBSection(paint.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!memory || !dib || bits == nullptr) return;
        SelectIn selectDib(memory.get(), dib.get());

        // The face, pixel by pixel: outside the shape the form shows
        // through, the ring between shape and inset shape is the border.
        const int style = b.Style();
        const Color face = Real(b, b.FaceColor(state));
        const Color border = Real(b, b.BorderColor(face));
        // A disabled face is grey: its light is white, not the scheme's.
        const Color bright = disabled ? Color{0xFFFFFF} : b.ColorBright();
        const uint32_t outside = Pixel(static_cast<Color>(::GetSysColor(COLOR_BTNFACE)));
        auto* pixels = static_cast<uint32_t*>(bits);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                uint32_t& p = pixels[static_cast<std::size_t>(y) * w + x];
                if (!::PtInRegion(binding.outer.get(), x, y))
                    p = outside;
                else if (!::PtInRegion(binding.inset.get(), x, y))
                    p = Pixel(border);
                else
                    p = Pixel(FacePixel(b, style, down, face, bright, x, y, w, h, binding.radius));
            }
        }
        ::GdiFlush();

        HDC dc = memory.get();
        SelectIn font(dc, paint.font);
        ::SetBkMode(dc, TRANSPARENT);
        Color fore = b.ForeColor() == forms::kNoColor ? 0 : b.ForeColor();
        if (hover && b.CaptionHighLite()) fore = b.CaptionHighLiteColor();
        ::SetTextColor(dc, Real(b, fore));

        // Picture and caption, placed by PictureAlignment.
        const std::string& caption = b.Caption();
        RECT measured = {0, 0, 0, 0};
        if (!caption.empty()) ::DrawTextA(dc, forms::win32::SystemText(caption).c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE);
        const int tw = measured.right;
        const int th = measured.bottom;
        LoadPicture(binding, b.Picture(), Scale(16, dpi));
        int pw = 0;
        int ph = 0;
        if (binding.icon) {
            pw = ph = Scale(16, dpi);
        } else if (binding.bitmap) {
            BITMAP bm = {};
            ::GetObjectA(binding.bitmap.get(), sizeof bm, &bm);
            pw = bm.bmWidth;
            ph = bm.bmHeight;
        }
        const int shift = state == kStatePressed ? 1 : 0;
        const int gap = pw > 0 && tw > 0 ? Scale(2, dpi) : 0;
        int px = (w - pw) / 2;
        int py = (h - ph) / 2;
        int tx = (w - tw) / 2;
        int ty = (h - th) / 2;
        const int side = binding.radius > 0 ? binding.radius : Scale(8, dpi);
        switch (b.PictureAlignment()) {
            case 0:  // picture above the caption
                py = (h - ph - gap - th) / 2;
                ty = py + ph + gap;
                break;
            case 1:  // caption above the picture
                ty = (h - ph - gap - th) / 2;
                py = ty + th + gap;
                break;
            case 2:
                px = side;
                break;
            default:
                px = w - side - pw;
                break;
        }
        if (pw > 0) {
            UINT flags = binding.icon ? DST_ICON : DST_BITMAP;
            UniqueBrush silhouette;
            if (disabled) {
                flags |= DSS_DISABLED;
            } else if (hover && b.IconHighLite()) {
                silhouette.reset(::CreateSolidBrush(Real(b, b.IconHighLiteColor())));
                flags |= DSS_MONO;
            }
            LPARAM picture = binding.icon ? reinterpret_cast<LPARAM>(binding.icon.get())
                                          : reinterpret_cast<LPARAM>(binding.bitmap.get());
            ::DrawStateA(dc, silhouette.get(), nullptr, picture, 0, px + shift, py + shift, pw, ph, flags);
        }
        if (!caption.empty()) {
            // "&" underlines the access key; disabled text comes embossed.
            ::DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(caption.c_str()),
                         static_cast<WPARAM>(caption.size()), tx + shift, ty + shift, tw, th,
                         DST_PREFIXTEXT | (disabled ? DSS_DISABLED : DSS_NORMAL));
        }
        if (paint.focused && !disabled) {
            // Around the caption: a rectangle inset from a pill's ends would
            // cut through the text.
            const int edge = Scale(2, dpi);
            RECT focus = {edge + binding.radius / 2, edge, w - edge - binding.radius / 2, h - edge};
            if (tw > 0) {
                RECT around = {tx + shift - edge, ty + shift - 1, tx + shift + tw + edge, ty + shift + th + 1};
                focus = {std::max<LONG>(around.left, edge), std::max<LONG>(around.top, edge),
                         std::min<LONG>(around.right, w - edge), std::min<LONG>(around.bottom, h - edge)};
            }
            ::SetTextColor(dc, RGB(0, 0, 0));
            ::SetBkColor(dc, RGB(255, 255, 255));
            if (focus.right > focus.left && focus.bottom > focus.top) ::DrawFocusRect(dc, &focus);
        }

        // Onto the window, only inside its shape: the first paint may come
        // before the system has the window's region.
        int saved = ::SaveDC(paint.dc);
        UniqueRegion clip(::CreateRectRgn(0, 0, 0, 0));
        if (clip && ::CombineRgn(clip.get(), binding.outer.get(), nullptr, RGN_COPY) != ERROR) {
            ::OffsetRgn(clip.get(), rect.left, rect.top);
            ::ExtSelectClipRgn(paint.dc, clip.get(), RGN_AND);
        }
        ::BitBlt(paint.dc, rect.left, rect.top, w, h, dc, 0, 0, SRCCOPY);
        ::RestoreDC(paint.dc, saved);
    }

    forms::Win32Host& host_;
    os::Api& api_;
    std::string source_;
    UniqueModule comctl32_;
    TrackFn track_ = nullptr;
    // Declared before the hook: the hook goes first and takes its hooks off
    // the windows while the bindings they point at still exist.
    std::map<HWND, std::shared_ptr<Binding>> bindings_;
    WindowHook hook_{*this, [this](const std::string& routine, const std::string& message) {
                         ReportHookFailure(host_, api_, source_, routine, message);
                     }};
};

bool Binding::TrackLeave() { return !gone && painter.TrackLeave(window); }

}  // namespace

void UseCandyButtons(forms::Win32Host& host, os::Api& api, const std::string& eventSource, PainterOptions options) {
    auto painter = std::make_shared<Painter>(host, api, eventSource, options);
    host.SetPainter("", [painter](const forms::CustomPaint& paint) { painter->Paint(paint); });
}

}  // namespace controls::win32
