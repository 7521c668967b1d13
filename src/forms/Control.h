// A control of a form: a small model (caption, enabled, visible, value, font
// weight, colours, geometry) that tells its form when it changes, so the host
// showing the form can follow. Event handlers are plain callbacks.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace forms {

class Form;

enum class ControlKind {
    Label,    // static text
    Link,     // static text that opens something when clicked
    Button,   // push button
    Option,   // radio button; options with the same container exclude each other
    Check,    // check box
    Frame,    // group box or page: a container for other controls
    TextBox,  // single-line edit field
    Shape,    // a filled marker
    Image,    // a picture
    Custom,   // drawn by the host's own painter (e.g. the promotion form's buttons)
};

// Position and size in pixels at 96 DPI, relative to the container.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// 0x00BBGGRR, as the classic colour values.
using Color = uint32_t;
constexpr Color kNoColor = 0xFFFFFFFFu;

class Control {
public:
    Control(Form& form, std::string name, ControlKind kind, Rect bounds, std::string caption = {},
            Control* container = nullptr, int index = -1);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Form& Owner() const { return form_; }
    const std::string& Name() const { return name_; }
    // Position in a control array, -1 when the control is not in one.
    int Index() const { return index_; }
    ControlKind Kind() const { return kind_; }
    Control* Container() const { return container_; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // The control's own flag; a control inside a hidden frame is not shown
    // even when its own flag is set (see IsShown).
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool IsShown() const;
    // Selected (option) or ticked (check box). Selecting an option clears
    // the other options of its container.
    bool Value() const { return value_; }
    void SetValue(bool value);
    bool Bold() const { return bold_; }
    void SetBold(bool bold);
    bool Underline() const { return underline_; }
    void SetUnderline(bool underline);
    // Relative font size: 0 the form's font, positive points larger.
    int FontGrow() const { return fontGrow_; }
    void SetFontGrow(int points);
    Color ForeColor() const { return foreColor_; }
    void SetForeColor(Color color);
    // The fill colour of a shape, the face colour of a custom control.
    Color FillColor() const { return fillColor_; }
    void SetFillColor(Color color);
    const Rect& Bounds() const { return bounds_; }
    void SetBounds(const Rect& bounds);
    // Frames stacked at the same place: the one brought to the top last is
    // the one seen.
    void BringToTop();
    int ZOrder() const { return zOrder_; }
    // Word-wrapped label (the default for labels).
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap) { wordWrap_ = wrap; }
    // Picture resource id for images, 0 for none.
    int Picture() const { return picture_; }
    void SetPicture(int resourceId);

    // What a user's click does: an option gets selected, a check box toggles,
    // then the click handler runs. Disabled or hidden controls do nothing.
    void DoClick();

    std::function<void()> OnClick;
    // A custom control's own host-side painter state, opaque to the model.
    std::shared_ptr<void> HostData;

private:
    void Changed();

    Form& form_;
    std::string name_;
    ControlKind kind_;
    Control* container_;
    int index_;
    std::string caption_;
    Rect bounds_;
    bool enabled_ = true;
    bool visible_ = true;
    bool value_ = false;
    bool bold_ = false;
    bool underline_ = false;
    bool wordWrap_ = true;
    int fontGrow_ = 0;
    Color foreColor_ = kNoColor;
    Color fillColor_ = kNoColor;
    int zOrder_ = 0;
    int picture_ = 0;
};

// A control array: controls of one name told apart by index from 0.
class ControlArray {
public:
    Control& operator[](std::size_t index) { return *items_.at(index); }
    const Control& operator[](std::size_t index) const { return *items_.at(index); }
    std::size_t Count() const { return items_.size(); }
    Control& Add(Form& form, const std::string& name, ControlKind kind, Rect bounds, std::string caption = {},
                 Control* container = nullptr);

private:
    std::vector<std::unique_ptr<Control>> items_;
};

}  // namespace forms
