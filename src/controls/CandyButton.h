// CandyButton: a push button that paints itself (a coloured face in one of
// eight styles, a picture, a caption) and tells when the mouse enters and
// leaves it. This is its portable half: the properties, the colour
// arithmetic, the window's shape and the input state machine. A painter of
// the host (controls/win32) turns it into pixels and feeds it the window's
// input.
#pragma once

#include "forms/Colors.h"
#include "forms/Control.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace controls {

using forms::Color;

// Visual states.
enum ButtonState : int {
    kStateNormal = 0,
    kStatePressed = 1,
    kStateFocused = 2,
    kStateHover = 3,
    kStateChecked = 4,
};

// Mouse buttons and shift keys as the events report them (combined with |).
constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kMiddleButton = 4;
constexpr int kShiftMask = 1;
constexpr int kCtrlMask = 2;
constexpr int kAltMask = 4;
constexpr int kKeyReturn = 13;

// The face of a disabled button in the rounded styles.
constexpr Color kDisabledFace = 0xB0C0C0;

// 0x800000nn names system colour nn; its value is asked of the system.
using SystemColorFn = std::function<Color(int index)>;
constexpr bool IsSystemColor(Color color) { return (color & 0x80000000u) != 0; }

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
};
// The channels of a colour; a system colour is translated first (to black
// when nothing can translate it).
Rgb GetRGB(Color color, const SystemColorFn& systemColor = {});
// Each channel moved from color1 toward color2 by percentage (0..100).
Color BlendColors(Color color1, Color color2, int percentage, const SystemColorFn& systemColor = {});

struct SchemeColors {
    Color up;
    Color hover;
    Color down;
    Color bright;
};
// The preset colours of schemes 1-6; none for any other value.
std::optional<SchemeColors> SchemeColorsOf(int scheme);

constexpr int kStyleCount = 8;
// The corner radius of the window's shape for a client area of width x
// height pixels; 0 for the plain rectangle of styles 0 and 1. The fixed
// radius of style 3 is in 96-DPI pixels.
int CornerRadius(int style, int width, int height, int dpi = 96);

// Persisted properties, stored and read under their own names.
using PropertyValue = std::variant<bool, int64_t, std::string>;
using PropertyBag = std::map<std::string, PropertyValue>;

struct MouseArgs {
    int button = 0;
    int shift = 0;
    int x = 0;
    int y = 0;
};

// What the window showing a button does for it; given by the painter.
class ButtonWindow {
public:
    virtual ~ButtonWindow() = default;
    // Draw the button again (in its PaintedState).
    virtual void Repaint() = 0;
    // Cut the window to the shape of the current style and size.
    virtual void ApplyWindowRegion() = 0;
    // Ask for a mouse-leave notification; false when the system refused.
    virtual bool TrackLeave() = 0;
    // The button is going: let go of it.
    virtual void Release() = 0;
};

class CandyButton : public forms::Control {
public:
    // Loads the button from its stored properties (defaults for those
    // missing); the caption defaults to the control's name.
    CandyButton(forms::Form& form, const std::string& name, forms::Rect bounds, const PropertyBag& properties = {});
    ~CandyButton();
    CandyButton(const CandyButton&) = delete;
    CandyButton& operator=(const CandyButton&) = delete;

    // The button behind a control of a form, if it is one.
    static CandyButton* From(const forms::Control& control);

    // Stores every property that differs from its default.
    void WriteProperties(PropertyBag& bag) const;

    // --- Properties ---
    // Read once at load: the hand pointer over the button; setting it later
    // only stores it.
    bool DisplayHand() const { return displayHand_; }
    void SetDisplayHand(bool value) { displayHand_ = value; }
    bool ShowsHand() const { return showsHand_; }
    int ColorScheme() const { return colorScheme_; }
    void SetColorScheme(int scheme);
    int BorderBrightness() const { return borderBrightness_; }
    void SetBorderBrightness(int value);
    bool IconHighLite() const { return iconHighLite_; }
    void SetIconHighLite(bool value);
    Color IconHighLiteColor() const { return iconHighLiteColor_; }
    void SetIconHighLiteColor(Color value);
    bool CaptionHighLite() const { return captionHighLite_; }
    void SetCaptionHighLite(bool value);
    Color CaptionHighLiteColor() const { return captionHighLiteColor_; }
    void SetCaptionHighLiteColor(Color value);
    // Setting any of these four puts the scheme back to 0.
    Color ColorBright() const { return colorBright_; }
    void SetColorBright(Color value);
    Color ColorButtonDown() const { return colorButtonDown_; }
    void SetColorButtonDown(Color value);
    Color ColorButtonUp() const { return colorButtonUp_; }
    void SetColorButtonUp(Color value);
    Color ColorButtonHover() const { return colorButtonHover_; }
    void SetColorButtonHover(Color value);
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    int Style() const { return style_; }
    void SetStyle(int style);
    int PictureAlignment() const { return pictureAlignment_; }
    void SetPictureAlignment(int value);
    // Caption, Enabled, ForeColor, Picture and the font are the control's.

    // The property was changed since load (the container should store it).
    bool PropertiesChanged() const { return changed_; }

    // --- Looks ---
    Color BlendColors(Color color1, Color color2, int percentage) const;
    Rgb GetRGB(Color color) const;
    // The face in a state (the disabled grey for a disabled button) and the
    // border around a face.
    Color FaceColor(int state) const;
    Color BorderColor(Color face) const;
    // The state drawn last; nothing is drawn before the button is loaded.
    int PaintedState() const { return painted_; }
    bool Initialised() const { return initialised_; }
    void RedrawButton(int state);
    // Translates system colours for GetRGB and the painters.
    SystemColorFn SystemColor;

    // --- Input, from the window (ignored while disabled) ---
    void MouseDown(int button, int shift, int x, int y);
    // button: the buttons held.
    void MouseMove(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);
    void Click();
    void DblClick();
    void KeyDown(int key, int shift);
    void KeyUp(int key, int shift);
    void GotFocus();
    void LostFocus();
    void MouseLeave();

    // --- The window ---
    void Attach(ButtonWindow* window) { window_ = window; }
    ButtonWindow* Window() const { return window_; }
    // Whether the system can report the mouse leaving; without it there is
    // no hover.
    void SetTrackingAvailable(bool available) { tracking_ = available; }
    bool TrackingAvailable() const { return tracking_; }
    // The window's client size in pixels, for telling inside from outside.
    void SetPixelSize(int width, int height);
    int PixelWidth() const { return pixelWidth_; }
    int PixelHeight() const { return pixelHeight_; }
    bool HasFocus() const { return hasFocus_; }
    bool MouseOver() const { return mouseOver_; }

    // --- Events (Click is the control's OnClick) ---
    std::function<void(const std::string& sStatus)> OnStatus;  // declared, never raised
    std::function<void()> OnDblClick;
    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseLeave;
    std::function<void(const MouseArgs&)> OnMouseMove;
    std::function<void(const MouseArgs&)> OnMouseUp;
    std::function<void(const MouseArgs&)> OnMouseDown;

private:
    void ReadProperties(const PropertyBag& bag);
    void Changed(bool repaint = true);
    int RestingState() const;
    bool Inside(int x, int y) const;

    bool displayHand_ = false;
    bool showsHand_ = false;
    int colorScheme_ = 0;
    int borderBrightness_ = 0;
    bool iconHighLite_ = false;
    Color iconHighLiteColor_ = forms::colors::kGreen;
    bool captionHighLite_ = false;
    Color captionHighLiteColor_ = forms::colors::kGreen;
    Color colorBright_ = 0xFFEDB0;
    Color colorButtonDown_ = 0xE99950;
    Color colorButtonUp_ = 0xE99950;
    Color colorButtonHover_ = 0xFFC090;
    bool checked_ = false;
    int style_ = 0;
    int pictureAlignment_ = 0;

    bool changed_ = false;
    bool initialised_ = false;
    bool hasFocus_ = false;
    bool mouseOver_ = false;
    bool tracking_ = false;
    bool enterDown_ = false;
    int painted_ = kStateNormal;
    int pixelWidth_ = 0;
    int pixelHeight_ = 0;
    ButtonWindow* window_ = nullptr;
};

}  // namespace controls
