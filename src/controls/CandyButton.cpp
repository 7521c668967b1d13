#include "controls/CandyButton.h"

#include <algorithm>
#include <set>

namespace controls {

namespace {

// Every live button, so that a painter handed a control can tell ours.
// Buttons live on the user-interface thread only.
std::set<const forms::Control*>& LiveButtons() {
    static std::set<const forms::Control*> live;
    return live;
}

Color Pack(const Rgb& c) {
    return static_cast<Color>(c.r) | static_cast<Color>(c.g) << 8 | static_cast<Color>(c.b) << 16;
}

template <typename T>
T Read(const PropertyBag& bag, const std::string& name, T fallback) {
    auto found = bag.find(name);
    if (found == bag.end()) return fallback;
    if constexpr (std::is_same_v<T, bool>) {
        if (const bool* value = std::get_if<bool>(&found->second)) return *value;
        if (const int64_t* value = std::get_if<int64_t>(&found->second)) return *value != 0;
    } else if constexpr (std::is_same_v<T, std::string>) {
        if (const std::string* value = std::get_if<std::string>(&found->second)) return *value;
    } else {
        if (const int64_t* value = std::get_if<int64_t>(&found->second)) return static_cast<T>(*value);
        if (const bool* value = std::get_if<bool>(&found->second)) return static_cast<T>(*value ? -1 : 0);
    }
    return fallback;
}

std::string CaptionIn(const PropertyBag& bag, const std::string& name) { return Read(bag, "Caption", name); }

}  // namespace

Rgb GetRGB(Color color, const SystemColorFn& systemColor) {
    if (IsSystemColor(color)) color = systemColor ? systemColor(static_cast<int>(color & 0xFFFFFF)) : 0;
    return {static_cast<int>(color & 0xFF), static_cast<int>(color >> 8 & 0xFF), static_cast<int>(color >> 16 & 0xFF)};
}

Color BlendColors(Color color1, Color color2, int percentage, const SystemColorFn& systemColor) {
    percentage = std::clamp(percentage, 0, 100);
    Rgb a = GetRGB(color1, systemColor);
    Rgb b = GetRGB(color2, systemColor);
    // Integer division truncates toward zero, as the classic "\" does.
    auto mix = [percentage](int c1, int c2) { return c1 + (c2 - c1) * percentage / 100; };
    return Pack({mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)});
}

std::optional<SchemeColors> SchemeColorsOf(int scheme) {
    switch (scheme) {
        case 1: return SchemeColors{0xD06720, 0xE99950, 0xA06710, 0xFFEDB0};
        case 2: return SchemeColors{0xD09060, 0xE06000, 0xA98050, 0xFFFAFA};
        case 3: return SchemeColors{0x800000, 0xA00000, 0xF00000, 0xFF0000};
        case 4: return SchemeColors{0x000080, 0x0000A0, 0x0000F0, 0x0000FF};
        case 5: return SchemeColors{0x008000, 0x00A000, 0x00C000, 0x00FF00};
        case 6: return SchemeColors{0x008080, 0x00A0A0, 0x00C0C0, 0x00FFFF};
        default: return std::nullopt;
    }
}

int CornerRadius(int style, int width, int height, int dpi) {
    // Clamped from above first, so that a sliver of a button still gets a
    // radius of 1 rather than none.
    auto clamp = [](int r, int most) { return std::max(std::min(r, most), 1); };
    switch (style) {
        case 2:
        case 4:
        case 5: return clamp(height / 2 + 1, width / 2);
        case 3: return 12 * dpi / 96;
        case 6: return clamp(height / 3, width / 3);
        case 7: return clamp(height / 4 + 1, width / 4);
        default: return 0;
    }
}

CandyButton::CandyButton(forms::Form& form, const std::string& name, forms::Rect bounds,
                         const PropertyBag& properties)
    : Control(form, name, forms::ControlKind::Custom, bounds, CaptionIn(properties, name)),
      pixelWidth_(bounds.width),
      pixelHeight_(bounds.height) {
    LiveButtons().insert(this);
    ReadProperties(properties);
}

CandyButton::~CandyButton() {
    LiveButtons().erase(this);
    if (window_ != nullptr) window_->Release();
}

CandyButton* CandyButton::From(const forms::Control& control) {
    if (LiveButtons().count(&control) == 0) return nullptr;
    return static_cast<CandyButton*>(const_cast<forms::Control*>(&control));
}

void CandyButton::ReadProperties(const PropertyBag& bag) {
    displayHand_ = Read(bag, "DisplayHand", false);
    showsHand_ = displayHand_;
    SetEnabled(Read(bag, "Enabled", true));
    borderBrightness_ = std::clamp(Read(bag, "BorderBrightness", 0), -100, 100);
    iconHighLite_ = Read(bag, "IconHighLite", false);
    iconHighLiteColor_ = Read<Color>(bag, "IconHighLiteColor", 0x00FF00);
    captionHighLite_ = Read(bag, "CaptionHighLite", false);
    captionHighLiteColor_ = Read<Color>(bag, "CaptionHighLiteColor", 0x00FF00);
    colorBright_ = Read<Color>(bag, "ColorBright", 0xFFEDB0);
    colorButtonDown_ = Read<Color>(bag, "ColorButtonDown", 0xE99950);
    colorButtonUp_ = Read<Color>(bag, "ColorButtonUp", 0xE99950);
    colorButtonHover_ = Read<Color>(bag, "ColorButtonHover", 0xFFC090);
    SetForeColor(Read<Color>(bag, "ForeColor", 0));
    SetPicture(Read(bag, "Picture", 0));
    checked_ = Read(bag, "Checked", false);
    int style = Read(bag, "Style", 0);
    style_ = style >= 0 && style < kStyleCount ? style : 0;
    int alignment = Read(bag, "PictureAlignment", 0);
    pictureAlignment_ = alignment >= 0 && alignment <= 3 ? alignment : 0;
    // A scheme names its colours: a bag that gives only the scheme gets them.
    int scheme = Read(bag, "ColorScheme", 0);
    if (auto colors = SchemeColorsOf(scheme)) {
        colorButtonUp_ = colors->up;
        colorButtonHover_ = colors->hover;
        colorButtonDown_ = colors->down;
        colorBright_ = colors->bright;
    }
    colorScheme_ = scheme >= 0 && scheme <= 6 ? scheme : 0;
    initialised_ = true;
    changed_ = false;
    RedrawButton(kStateNormal);
}

void CandyButton::WriteProperties(PropertyBag& bag) const {
    auto put = [&bag](const char* name, auto value, auto fallback) {
        if (value == fallback) return;
        if constexpr (std::is_same_v<decltype(value), bool> || std::is_same_v<decltype(value), std::string>)
            bag[name] = value;
        else
            bag[name] = static_cast<int64_t>(value);
    };
    put("DisplayHand", displayHand_, false);
    put("Enabled", Enabled(), true);
    put("ColorScheme", colorScheme_, 0);
    put("BorderBrightness", borderBrightness_, 0);
    put("IconHighLite", iconHighLite_, false);
    put("IconHighLiteColor", iconHighLiteColor_, Color{0x00FF00});
    put("CaptionHighLite", captionHighLite_, false);
    put("CaptionHighLiteColor", captionHighLiteColor_, Color{0x00FF00});
    put("ColorBright", colorBright_, Color{0xFFEDB0});
    put("ColorButtonDown", colorButtonDown_, Color{0xE99950});
    put("ColorButtonUp", colorButtonUp_, Color{0xE99950});
    put("ColorButtonHover", colorButtonHover_, Color{0xFFC090});
    put("ForeColor", ForeColor(), Color{0});
    put("Picture", Picture(), 0);
    put("Checked", checked_, false);
    put("Style", style_, 0);
    put("PictureAlignment", pictureAlignment_, 0);
    put("Caption", Caption(), Name());
}

void CandyButton::Changed(bool repaint) {
    changed_ = true;
    if (repaint) RedrawButton(RestingState());
}

void CandyButton::SetColorScheme(int scheme) {
    if (scheme < 0 || scheme > 6) return;
    if (auto colors = SchemeColorsOf(scheme)) {
        colorButtonUp_ = colors->up;
        colorButtonHover_ = colors->hover;
        colorButtonDown_ = colors->down;
        colorBright_ = colors->bright;
    }
    colorScheme_ = scheme;
    Changed();
}

void CandyButton::SetBorderBrightness(int value) {
    borderBrightness_ = std::clamp(value, -100, 100);
    Changed();
}

void CandyButton::SetIconHighLite(bool value) {
    iconHighLite_ = value;
    Changed(false);
}

void CandyButton::SetIconHighLiteColor(Color value) {
    iconHighLiteColor_ = value;
    Changed(false);
}

void CandyButton::SetCaptionHighLite(bool value) {
    captionHighLite_ = value;
    Changed(false);
}

void CandyButton::SetCaptionHighLiteColor(Color value) {
    captionHighLiteColor_ = value;
    Changed(false);
}

void CandyButton::SetColorBright(Color value) {
    colorBright_ = value;
    colorScheme_ = 0;
    Changed();
}

void CandyButton::SetColorButtonDown(Color value) {
    colorButtonDown_ = value;
    colorScheme_ = 0;
    Changed();
}

void CandyButton::SetColorButtonUp(Color value) {
    colorButtonUp_ = value;
    colorScheme_ = 0;
    Changed();
}

void CandyButton::SetColorButtonHover(Color value) {
    colorButtonHover_ = value;
    colorScheme_ = 0;
    Changed();
}

void CandyButton::SetChecked(bool value) {
    checked_ = value;
    Changed();
}

void CandyButton::SetStyle(int style) {
    if (style == style_ || style < 0 || style >= kStyleCount) return;
    style_ = style;
    changed_ = true;
    if (window_ != nullptr) window_->ApplyWindowRegion();
    RedrawButton(RestingState());
}

void CandyButton::SetPictureAlignment(int value) {
    if (value < 0 || value > 3) return;
    pictureAlignment_ = value;
    Changed();
}

Color CandyButton::BlendColors(Color color1, Color color2, int percentage) const {
    return controls::BlendColors(color1, color2, percentage, SystemColor);
}

Rgb CandyButton::GetRGB(Color color) const { return controls::GetRGB(color, SystemColor); }

Color CandyButton::FaceColor(int state) const {
    if (!Enabled()) return kDisabledFace;
    switch (state) {
        case kStateHover: return colorButtonHover_;
        case kStatePressed:
        case kStateChecked: return colorButtonDown_;
        default: return colorButtonUp_;
    }
}

Color CandyButton::BorderColor(Color face) const {
    if (borderBrightness_ >= 0) return BlendColors(face, 0xFFFFFF, borderBrightness_);
    return BlendColors(face, 0x000000, -borderBrightness_);
}

void CandyButton::RedrawButton(int state) {
    if (checked_) state = kStateChecked;
    if (!initialised_) return;
    painted_ = state;
    if (window_ != nullptr) window_->Repaint();
}

int CandyButton::RestingState() const {
    if (mouseOver_) return kStateHover;
    return hasFocus_ ? kStateFocused : kStateNormal;
}

bool CandyButton::Inside(int x, int y) const { return x >= 0 && y >= 0 && x < pixelWidth_ && y < pixelHeight_; }

void CandyButton::SetPixelSize(int width, int height) {
    pixelWidth_ = width;
    pixelHeight_ = height;
}

void CandyButton::MouseDown(int button, int shift, int x, int y) {
    if (!Enabled()) return;
    hasFocus_ = true;
    RedrawButton(kStatePressed);
    if (OnMouseDown) OnMouseDown({button, shift, x, y});
}

void CandyButton::MouseMove(int button, int shift, int x, int y) {
    if (!Enabled()) return;
    if (OnMouseMove) OnMouseMove({button, shift, x, y});
    bool leftHeld = (button & kLeftButton) != 0;
    if (leftHeld && !Inside(x, y)) {
        mouseOver_ = false;
        RedrawButton(kStateNormal);
    }
    // Hover: what the hook does after the window's own handling.
    if (!tracking_ || leftHeld || mouseOver_) return;
    if (x <= 0 || y <= 0 || x >= pixelWidth_ || y >= pixelHeight_) return;
    mouseOver_ = true;
    if (window_ != nullptr) window_->TrackLeave();
    if (OnMouseEnter) OnMouseEnter();
    RedrawButton(kStateHover);
}

void CandyButton::MouseUp(int button, int shift, int x, int y) {
    if (!Enabled()) return;
    if (!checked_) {
        if (mouseOver_)
            RedrawButton(kStateHover);
        else if (hasFocus_)
            RedrawButton(kStateFocused);
    }
    if (OnMouseUp) OnMouseUp({button, shift, x, y});
}

void CandyButton::Click() {
    if (!Enabled()) return;
    DoClick();
}

void CandyButton::DblClick() {
    if (!Enabled()) return;
    RedrawButton(kStatePressed);
    if (OnDblClick) OnDblClick();
}

void CandyButton::KeyDown(int key, int shift) {
    if (key != kKeyReturn || !Enabled()) return;
    enterDown_ = true;
    MouseDown(kLeftButton, shift, 0, 0);
}

void CandyButton::KeyUp(int key, int shift) {
    // Only the release of an Enter pressed here: the key-up of an Enter that
    // closed a message box lands on whichever button gets the focus back.
    if (key != kKeyReturn || !Enabled() || !enterDown_) return;
    enterDown_ = false;
    MouseUp(kLeftButton, shift, 0, 0);
    Click();
}

void CandyButton::GotFocus() {
    if (!Enabled()) return;
    hasFocus_ = true;
    if (!checked_ && !mouseOver_) RedrawButton(kStateFocused);
}

void CandyButton::LostFocus() {
    if (!Enabled()) return;
    hasFocus_ = false;
    enterDown_ = false;
    if (!checked_) RedrawButton(kStateNormal);
}

void CandyButton::MouseLeave() {
    if (!tracking_) return;
    // Forgotten even while disabled, or the button would come back hovered.
    mouseOver_ = false;
    if (!Enabled()) return;
    if (OnMouseLeave) OnMouseLeave();
    if (!checked_) RedrawButton(hasFocus_ ? kStateFocused : kStateNormal);
}

}  // namespace controls
