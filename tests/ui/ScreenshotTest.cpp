// A form like the program's own, shown at 96 and 144 DPI: no caption may be
// cut off, and its picture is saved to build*/artifacts for a person to
// look at.
#ifdef _WIN32

#include "ui/UiSupport.h"

namespace {

using forms::Control;
using forms::ControlKind;
using uitest::Hwnd;

class WizardLike : public forms::Form {
public:
    explicit WizardLike(forms::Host& host) : Form(host, "frmWizardLike", "Analyze and Repair", 480, 330) {
        lblTitle.SetBold(true);
        lblTitle.SetFontGrow(3);
        optAll.SetValue(true);
        chkBackup.SetValue(true);
        picLogo.SetPicture(1);
        for (std::size_t i = 0; i < 4; ++i) {
            shpSteps.Add(*this, "shpSteps", ControlKind::Shape, {24, 80 + 28 * static_cast<int>(i), 12, 12});
            lblSteps.Add(*this, "lblSteps", ControlKind::Label, {44, 78 + 28 * static_cast<int>(i), 100, 18},
                         "Step " + std::to_string(i + 1));
            shpSteps[i].SetFillColor(i == 0 ? 0x00A000 : 0xC0C0C0);
        }
        lblSteps[0].SetBold(true);
        DefaultButton = &cmdNext;
        CancelButton = &cmdCancel;
    }

    Control lblTitle{*this, "lblTitle", ControlKind::Label, {16, 12, 380, 26}, "Analyze and Repair MS Word"};
    Control picLogo{*this, "picLogo", ControlKind::Image, {432, 10, 32, 32}};
    Control lblIntro{*this, "lblIntro", ControlKind::Label, {16, 44, 448, 32},
                     "This wizard finds the start-up components that keep Word from starting and puts "
                     "them right, one at a time."};
    forms::ControlArray shpSteps;
    forms::ControlArray lblSteps;
    Control fraWhat{*this, "fraWhat", ControlKind::Frame, {160, 80, 304, 96}, "What to check"};
    Control optAll{*this, "optAll", ControlKind::Option, {12, 22, 280, 20}, "&All five components", &fraWhat};
    Control optSome{*this, "optSome", ControlKind::Option, {12, 46, 280, 20}, "&Only the global template",
                    &fraWhat};
    Control chkBackup{*this, "chkBackup", ControlKind::Check, {12, 70, 280, 20}, "Keep a &backup", &fraWhat};
    Control lblFolder{*this, "lblFolder", ControlKind::Label, {160, 192, 90, 20}, "&Word folder:"};
    Control txtFolder{*this, "txtFolder", ControlKind::TextBox, {252, 189, 212, 23},
                      "C:\\Program Files\\Microsoft Office\\OFFICE11"};
    Control lnkHelp{*this, "lnkHelp", ControlKind::Link, {160, 224, 200, 18}, "Online help for this step"};
    Control lblStatus{*this, "lblStatus", ControlKind::Label, {16, 252, 448, 18}, "Passed!"};
    Control cmdBack{*this, "cmdBack", ControlKind::Button, {212, 288, 80, 26}, "< &Back"};
    Control cmdNext{*this, "cmdNext", ControlKind::Button, {296, 288, 80, 26}, "&Next >"};
    Control cmdCancel{*this, "cmdCancel", ControlKind::Button, {384, 288, 80, 26}, "Cancel"};
};

class Screenshot : public uitest::UiTest {};

TEST_F(Screenshot, TheFormFitsItsCaptionsAtEachDpiAndIsSaved) {
    forms::Win32Host host;
    WizardLike form(host);
    form.lblStatus.SetForeColor(0x008000);
    form.cmdBack.SetEnabled(false);
    form.Show();
    host.DoEvents();
    HWND window = Hwnd(host.WindowOf(form));
    std::string artifacts = uitest::ArtifactsDir();
    for (int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        uitest::MoveToDpi(window, dpi);
        host.DoEvents();
        EXPECT_EQ(std::vector<std::string>{}, host.ClippedControls(form));
        uitest::Picture picture = uitest::PrintClient(window);
        if (picture.pixels.empty()) continue;  // a screen that cannot be read: nothing to save
        std::string path = artifacts + "\\ui-wizard-like-" + std::to_string(dpi) + "dpi.bmp";
        EXPECT_TRUE(uitest::SaveBmp(picture, path)) << path;
        EXPECT_EQ(480 * dpi / 96, picture.width);
    }
}

TEST_F(Screenshot, CaptionsThatDoNotFitAreFound) {
    forms::Win32Host host;
    WizardLike form(host);
    form.Show();
    host.DoEvents();
    form.lblStatus.SetBounds({16, 252, 24, 18});       // narrower than its one word
    form.cmdNext.SetCaption("&Next step, please >");  // longer than its button
    form.fraWhat.SetCaption(std::string(60, 'W'));    // wider than its frame
    EXPECT_EQ((std::vector<std::string>{"fraWhat", "lblStatus", "cmdNext"}), host.ClippedControls(form));
    form.fraWhat.SetVisible(false);
    EXPECT_EQ((std::vector<std::string>{"lblStatus", "cmdNext"}), host.ClippedControls(form)) << "only what is shown";
}

}  // namespace

#endif  // _WIN32
