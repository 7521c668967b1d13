// The frame every wizard is built on: six stacked pages (welcome, Step 1 to
// Step 4, finish), a side panel with one marker per page, and the Back,
// Next, Cancel and Finish buttons. Each wizard adds its pages' texts and
// what a press of Next does on each page.
#pragma once

#include "forms/Colors.h"
#include "forms/Control.h"
#include "forms/Form.h"

#include <string>

namespace wizards {

class WizardFrame : public forms::Form {
public:
    void Form_Load() override;
    // Closing the window through its frame ends the program, as Cancel does.
    void OnFrameClose() override;

    virtual void cmdNext_Click() = 0;
    virtual void cmdBack_Click();
    virtual void cmdFinish_Click() = 0;
    // Ends the program at once; nothing done so far is put back.
    void cmdCancel_Click();

    // The index of the page on top, 0-5.
    int CurrentStep = 0;

    using C = forms::Control;
    using K = forms::ControlKind;
    C picWiz;  // the panel of step markers on the left
    forms::ControlArray shpSteps;  // one marker per page
    forms::ControlArray lblSteps;  // the markers' captions
    forms::ControlArray fraSteps;  // the six stacked pages
    // The bold "Step 1" ... "Step 4" headings of pages 1-4 (index 0-3).
    forms::ControlArray lblStepHead;
    C cmdBack;
    C cmdNext;
    C cmdFinish;
    C cmdCancel;

protected:
    WizardFrame(forms::Host& host, std::string name, std::string caption);

    int LastStep() const { return static_cast<int>(shpSteps.Count()) - 1; }
    void SetStep(int fromStep, int toStep);
    // The common end of a press of Next: on to the next page.
    void Advance();
    void SetButtons(bool back, bool cancel, bool finish, bool next);

    struct Buttons {
        bool back, cancel, finish, next;
    };
    Buttons SaveButtons() const;
    void RestoreButtons(const Buttons& buttons);

    // Set while a press of Next runs: its yields let clicks through, and a
    // second Next (or Back, or Finish) then would skip a page's work.
    bool busy_ = false;
    struct BusyScope {
        explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
        ~BusyScope() { flag_ = false; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;
        bool& flag_;
    };
};

}  // namespace wizards
