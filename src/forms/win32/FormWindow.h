// One form as a top-level window: it makes the standard controls, keeps them
// in step with the model and routes the window's messages to the model. The
// window procedure only dispatches; the rules live in Layout.
#pragma once

#include "forms/ControlRules.h"
#include "forms/Form.h"
#include "forms/win32/Dpi.h"
#include "forms/win32/Win32Host.h"

#include <map>
#include <memory>
#include <vector>

namespace forms::win32 {

class FormWindow : public std::enable_shared_from_this<FormWindow> {
public:
    static constexpr const char* kClassName = "QuorvexForm";

    FormWindow(Win32Host& host, Form& form);
    // Runs when the form goes: its controls are already gone then.
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    // Makes the window and its controls, hidden.
    void Create();
    HWND Window() const { return window_; }
    Form& GetForm() const { return form_; }
    HWND ControlWindow(const Control& control) const;
    int Dpi() const { return dpi_; }

    void Show();
    void Hide();
    void Destroy();
    // The model changed: one control, or (null) the form itself.
    void Update(Control* control);
    // The host is going: nothing of it may be used any more.
    void Detach();
    // Controls on screen whose caption does not fit them at the current DPI.
    std::vector<const Control*> Clipped();

private:
    struct Child {
        Control* control = nullptr;
        HWND window = nullptr;
        int fontKey = -1;
        int picture = -1;  // the picture loaded, -1 before any
        UniqueIcon icon;
        UniqueBitmap bitmap;
        bool plainFrame = false;  // a frame without caption: drawn as nothing
        bool hot = false;         // the mouse is over a custom control
        Color fore = kNoColor;
        Color fill = kNoColor;
    };

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CustomProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR data);
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void CreateChild(std::size_t index, HWND after);
    void Sync(Child& child);
    void SyncPicture(Child& child);
    void SyncValues();
    void Layout();
    void RepairFocus();
    void RepairFocusLater();
    void ApplyDpi(int dpi, const RECT* suggested);
    void LoadFormIcons();
    void PlaceFirstTime();
    void ResizeFrame(const RECT* suggested);
    HFONT FontFor(const Control& control);
    Child* ChildOf(HWND window);
    Child* ChildOf(const Control& control);

    void OnCommand(WPARAM wParam, LPARAM lParam);
    void Click(Control& control, WPARAM wParam, LPARAM lParam);
    bool OnDrawItem(const DRAWITEMSTRUCT& item);
    LRESULT OnControlColor(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PaintShape(const Child& child, const DRAWITEMSTRUCT& item);
    void PaintCustom(const Child& child, const DRAWITEMSTRUCT& item);

    Win32Host* host_;
    Form& form_;
    HWND window_ = nullptr;
    int dpi_ = 96;
    bool placed_ = false;
    bool focusRepairPosted_ = false;
    // Where a repair put the focus while the default button was unusable.
    HWND parkedFocus_ = nullptr;
    std::vector<std::unique_ptr<Child>> children_;
    std::map<int, UniqueFont> fonts_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
};

}  // namespace forms::win32
