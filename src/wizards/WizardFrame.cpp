#include "wizards/WizardFrame.h"

#include "forms/Colors.h"
#include "wizards/WizardGrid.h"

#include <iterator>

namespace wizards {

namespace {
using namespace layout;
namespace colors = forms::colors;
const char* const kStepCaptions[] = {"Start", "Step 1", "Step 2", "Step 3", "Step 4", "Finish"};
constexpr int kMarkerSide = 14;
constexpr int kMarkerStep = 44;
constexpr int kMarkerTop = 18;
}  // namespace

WizardFrame::WizardFrame(forms::Host& host, std::string name, std::string caption)
    : Form(host, std::move(name), std::move(caption), kWidth, kHeight),
      picWiz(*this, "picWiz", K::Frame, {kMargin, kMargin, kPanelWidth, kPageHeight}),
      cmdBack(*this, "cmdBack", K::Button, ButtonFromRight(3), "< &Back"),
      cmdNext(*this, "cmdNext", K::Button, ButtonFromRight(2), "&Next >"),
      cmdFinish(*this, "cmdFinish", K::Button, ButtonFromRight(1), "&Finish"),
      cmdCancel(*this, "cmdCancel", K::Button, ButtonFromRight(0), "Cancel") {
    const int count = static_cast<int>(std::size(kStepCaptions));
    for (int i = 0; i < count; ++i) {
        const int top = kMarkerTop + i * kMarkerStep;
        C& marker = shpSteps.Add(*this, "shpSteps", K::Shape, {kMargin, top, kMarkerSide, kMarkerSide}, {}, &picWiz);
        marker.SetFillColor(i == 0 ? colors::kGreen : i == count - 1 ? colors::kRed : colors::kGrey);
        C& label = lblSteps.Add(*this, "lblSteps", K::Label,
                                {2 * kMargin + kMarkerSide, top - 2, kPanelWidth - 3 * kMargin - kMarkerSide, kLine},
                                kStepCaptions[i], &picWiz);
        label.SetBold(i == 0);
    }
    for (int i = 0; i < count; ++i)
        fraSteps.Add(*this, "fraSteps", K::Frame, {kPageLeft, kMargin, kPageWidth, kPageHeight});
    for (int i = 1; i < count - 1; ++i)
        MakeHeading(lblStepHead.Add(*this, "lblStepHead", K::Label, Head(), kStepCaptions[i], &fraSteps[i]));

    cmdBack.SetEnabled(false);
    cmdFinish.SetEnabled(false);
    cmdNext.OnClick = [this] { cmdNext_Click(); };
    cmdBack.OnClick = [this] { cmdBack_Click(); };
    cmdFinish.OnClick = [this] { cmdFinish_Click(); };
    cmdCancel.OnClick = [this] { cmdCancel_Click(); };
    DefaultButton = &cmdNext;
    CancelButton = &cmdCancel;
    fraSteps[0].BringToTop();
}

void WizardFrame::Form_Load() {
    CurrentStep = 0;
    fraSteps[0].BringToTop();
}

void WizardFrame::OnFrameClose() { cmdCancel_Click(); }

void WizardFrame::cmdCancel_Click() { GetHost().End(); }

void WizardFrame::SetStep(int fromStep, int toStep) {
    shpSteps[fromStep].SetFillColor(fromStep == LastStep() ? colors::kRed : colors::kGrey);
    lblSteps[fromStep].SetBold(false);
    shpSteps[toStep].SetFillColor(colors::kGreen);
    lblSteps[toStep].SetBold(true);
}

void WizardFrame::Advance() {
    GetHost().DoEvents(3);
    const int old = CurrentStep;
    CurrentStep = old + 1;
    SetStep(old, CurrentStep);
    if (CurrentStep >= LastStep()) CurrentStep = LastStep();
    fraSteps[CurrentStep].BringToTop();
}

void WizardFrame::cmdBack_Click() {
    if (busy_) return;
    if (CurrentStep == 1) SetButtons(false, true, false, true);
    if (CurrentStep == 3 || CurrentStep == 4) SetButtons(false, true, false, false);
    CurrentStep -= 1;
    if (CurrentStep <= 0) {
        CurrentStep = 0;
        cmdBack.SetEnabled(false);
    }
    SetStep(CurrentStep + 1, CurrentStep);
    fraSteps[CurrentStep].BringToTop();
    cmdNext.SetEnabled(true);
}

void WizardFrame::SetButtons(bool back, bool cancel, bool finish, bool next) {
    // Enter presses the button that goes on: Finish on the finish page.
    DefaultButton = finish && !next ? &cmdFinish : &cmdNext;
    cmdBack.SetEnabled(back);
    cmdCancel.SetEnabled(cancel);
    cmdFinish.SetEnabled(finish);
    cmdNext.SetEnabled(next);
}

WizardFrame::Buttons WizardFrame::SaveButtons() const {
    return {cmdBack.Enabled(), cmdCancel.Enabled(), cmdFinish.Enabled(), cmdNext.Enabled()};
}

void WizardFrame::RestoreButtons(const Buttons& b) { SetButtons(b.back, b.cancel, b.finish, b.next); }

}  // namespace wizards
