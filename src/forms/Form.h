// A form as the classic forms designer has it: one object per form, its
// controls as members under their documented names, shown modally (a nested
// message loop) or not, hidden rather than destroyed, and unloaded only when
// its window is destroyed. The host turns it into a window.
#pragma once

#include "forms/Control.h"
#include "forms/Host.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace forms {

class Form {
public:
    Form(Host& host, std::string name, std::string caption, int clientWidth, int clientHeight);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    Host& GetHost() const { return host_; }
    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    bool Visible() const { return visible_; }
    bool Unloaded() const { return unloaded_; }

    // Shows the form and returns at once.
    void Show();
    // Shows the form and returns when it is hidden or unloaded.
    void ShowModal();
    void Hide();
    // Destroys the form's window; the object stays until its owner replaces
    // it, so code still running in it is safe.
    void Unload();

    // Runs once, right after the form is created.
    virtual void Form_Load() {}
    // The user closed the window through its frame (title bar, Alt+F4).
    virtual void OnFrameClose() { Unload(); }

    // Enter presses the default button, Esc the cancel button.
    Control* DefaultButton = nullptr;
    Control* CancelButton = nullptr;
    // The icon resource of the window, 0 for the program's own.
    int Icon = 0;

    // Every control, in the order created: that is also the tab order.
    const std::vector<Control*>& Controls() const { return controls_; }
    Control* Find(const std::string& name, int index = -1) const;

    // Called by the controls; tells the host.
    void Register(Control& control);
    void ControlChanged(Control& control);
    int NextZOrder() { return ++zCounter_; }

    // The host's own state for this form (its window), opaque to the model.
    std::shared_ptr<void> HostData;

private:
    Host& host_;
    std::string name_;
    std::string caption_;
    int clientWidth_;
    int clientHeight_;
    bool visible_ = false;
    bool unloaded_ = false;
    int zCounter_ = 0;
    std::vector<Control*> controls_;
};

// Where a form lives for the run: created (and loaded) on first touch,
// created afresh after it was unloaded. Unloaded forms are kept until the
// slot goes, since their code may still be on the stack.
template <typename T>
class FormSlot {
public:
    explicit FormSlot(std::function<std::unique_ptr<T>()> make) : make_(std::move(make)) {}

    T& Get() {
        if (form_ && form_->Unloaded()) retired_.push_back(std::move(form_));
        if (!form_) {
            form_ = make_();
            form_->Form_Load();
        }
        return *form_;
    }
    // The form if it exists and is loaded, without creating it.
    T* Peek() const { return form_ && !form_->Unloaded() ? form_.get() : nullptr; }

private:
    std::function<std::unique_ptr<T>()> make_;
    std::unique_ptr<T> form_;
    std::vector<std::unique_ptr<T>> retired_;
};

}  // namespace forms
