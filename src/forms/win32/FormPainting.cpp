// What the form window draws itself, and how it measures captions.
#include "forms/win32/CustomPaint.h"
#include "forms/win32/FormWindow.h"
#include "forms/win32/HostState.h"
#include "forms/win32/SystemText.h"

#include <commctrl.h>

#include <algorithm>

namespace forms::win32 {

void FormWindow::PaintShape(const Child& child, const DRAWITEMSTRUCT& item) {
    const RECT& rect = item.rcItem;
    ::FillRect(item.hDC, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
    Color fill = child.control->FillColor();
    if (fill == kNoColor) return;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return;
    // Drawn four times as large and shrunk, for smooth edges.
    constexpr int kOver = 4;
    UniqueMemoryDc dc(::CreateCompatibleDC(item.hDC));
    UniqueBitmap large(::CreateCompatibleBitmap(item.hDC, width * kOver, height * kOver));
    if (!dc || !large) return;
    HDC memory = dc.get();
    {
        SelectIn bitmap(memory, large.get());
        RECT all = {0, 0, width * kOver, height * kOver};
        ::FillRect(memory, &all, ::GetSysColorBrush(COLOR_BTNFACE));
        UniqueBrush brush(::CreateSolidBrush(fill));
        UniquePen pen(::CreatePen(PS_SOLID, 1, fill));
        SelectIn selectBrush(memory, brush.get());
        SelectIn selectPen(memory, pen.get());
        int round = std::min(width, height) * kOver;
        ::RoundRect(memory, 0, 0, width * kOver, height * kOver, round, round);
        int oldMode = ::SetStretchBltMode(item.hDC, HALFTONE);
        POINT origin;
        ::SetBrushOrgEx(item.hDC, 0, 0, &origin);
        ::StretchBlt(item.hDC, rect.left, rect.top, width, height, memory, 0, 0, width * kOver, height * kOver,
                     SRCCOPY);
        ::SetBrushOrgEx(item.hDC, origin.x, origin.y, nullptr);
        ::SetStretchBltMode(item.hDC, oldMode);
    }
}

void FormWindow::PaintCustom(const Child& child, const DRAWITEMSTRUCT& item) {
    const Control& control = *child.control;
    CustomPaint paint{control,
                      item.hwndItem,
                      item.hDC,
                      item.rcItem,
                      dpi_,
                      FontFor(control),
                      (item.itemState & ODS_SELECTED) != 0,
                      (item.itemState & ODS_FOCUS) != 0,
                      child.hot,
                      (item.itemState & ODS_DISABLED) != 0};
    const auto& painters = host_->state_->painters;
    auto found = painters.find(control.Name());
    if (found == painters.end()) found = painters.find("");
    if (found != painters.end()) {
        host_->RunHandler([&] { found->second(paint); });
        return;
    }
    // No painter yet: a plain button face in the fill colour.
    RECT rect = item.rcItem;
    ::DrawFrameControl(item.hDC, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (paint.pressed ? DFCS_PUSHED : 0));
    if (control.FillColor() != kNoColor) {
        RECT face = rect;
        ::InflateRect(&face, -2, -2);
        UniqueBrush brush(::CreateSolidBrush(control.FillColor()));
        ::FillRect(item.hDC, &face, brush.get());
    }
    if (paint.pressed) ::OffsetRect(&rect, 1, 1);
    SelectIn font(item.hDC, paint.font);
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, paint.disabled ? ::GetSysColor(COLOR_GRAYTEXT)
                             : control.ForeColor() != kNoColor ? control.ForeColor()
                                                               : ::GetSysColor(COLOR_BTNTEXT));
    ::DrawTextA(item.hDC, SystemText(control.Caption()).c_str(), -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (paint.focused) {
        RECT focus = item.rcItem;
        ::InflateRect(&focus, -Scale(4, dpi_), -Scale(4, dpi_));
        ::DrawFocusRect(item.hDC, &focus);
    }
}

LRESULT CALLBACK FormWindow::CustomProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                             DWORD_PTR data) {
    auto* child = reinterpret_cast<Child*>(data);
    switch (message) {
        case WM_MOUSEMOVE:
            if (!child->hot) {
                child->hot = true;
                TRACKMOUSEEVENT track = {};
                track.cbSize = sizeof track;
                track.dwFlags = TME_LEAVE;
                track.hwndTrack = window;
                ::TrackMouseEvent(&track);
                ::InvalidateRect(window, nullptr, FALSE);
            }
            break;
        case WM_MOUSELEAVE:
            child->hot = false;
            ::InvalidateRect(window, nullptr, FALSE);
            break;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(window, CustomProcedure, id);
            break;
        default:
            break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

std::vector<const Control*> FormWindow::Clipped() {
    std::vector<const Control*> clipped;
    if (window_ == nullptr) return clipped;
    WindowDc windowDc(window_);
    HDC dc = windowDc.get();
    for (const auto& child : children_) {
        if (!child || child->window == nullptr || child->plainFrame) continue;
        const Control& control = *child->control;
        if (!IsOnScreen(control) || control.Caption().empty()) continue;
        RECT client;
        ::GetClientRect(child->window, &client);
        // The room the standard controls leave their text, roughly: a check
        // box's box, a button's edges, a group box's indent.
        int width = client.right;
        int height = client.bottom;
        UINT flags = DT_CALCRECT | (HasAccessKey(control.Caption()) ? 0 : DT_NOPREFIX);
        switch (control.Kind()) {
            case ControlKind::Label:
            case ControlKind::Link:
                flags |= control.WordWrap() ? DT_WORDBREAK : DT_SINGLELINE;
                break;
            case ControlKind::Option:
            case ControlKind::Check:
                width -= Scale(17, dpi_);
                flags |= DT_WORDBREAK;
                break;
            case ControlKind::Button:
                width -= 2 * Scale(5, dpi_);
                height -= 2 * Scale(3, dpi_);
                flags |= DT_WORDBREAK;
                break;
            case ControlKind::Custom:
                // Self-painted buttons: their rounded ends take more.
                width -= 2 * Scale(8, dpi_);
                height -= 2 * Scale(3, dpi_);
                flags |= DT_SINGLELINE;
                break;
            case ControlKind::Frame:
                width -= Scale(16, dpi_);
                height = client.bottom * 2;
                flags |= DT_SINGLELINE;
                break;
            default:
                continue;
        }
        SelectIn font(dc, FontFor(control));
        RECT needed = {0, 0, std::max(width, 1), 0};
        ::DrawTextA(dc, SystemText(control.Caption()).c_str(), -1, &needed, flags);
        if (needed.right > width || needed.bottom > height) clipped.push_back(&control);
    }
    return clipped;
}

}  // namespace forms::win32
