#include "wizards/ComponentReset.h"

#include "wizards/WizardGrid.h"

namespace wizards {

namespace {
using namespace layout;
using engine::clsWD;
using Part = engine::RunRecord::Part;

constexpr const char* kContinueOrQuit = "Click Next to continue or Cancel to quit";
constexpr int kChecksTop = kBodyTop + 76;

constexpr forms::Rect CheckLine(int n) { return {kMargin, kChecksTop + n * kOptionStep, kPageWidth - kMargin, kLine}; }
constexpr forms::Rect ResultLine(int n) { return Line(kBodyTop + 30 + n * 24); }
}  // namespace

ComponentReset::ComponentReset(const WizardEnv& env, const Preset& preset)
    : WordWizard(env, preset.name, "Quorvex - Advanced", preset.finish),
      lblHead(*this, "lblHead", K::Label, Head(), "Advanced Quorvex Wizard", &fraSteps[0]),
      lblWelcome(*this, "lblWelcome", K::Label, Line(kBodyTop), "Welcome to Quorvex Advanced Wizard. ", &fraSteps[0]),
      lblWelcomeTask(*this, "lblWelcomeTask", K::Label, Line(kBodyTop + 30),
                     preset.welcomeTask != nullptr ? preset.welcomeTask : "", &fraSteps[0]),
      lblBegin(*this, "lblBegin", K::Label, Foot(), "Click Next to begin...", &fraSteps[0]),
      lblChecking(*this, "lblChecking", K::Label, Line(kBodyTop), "Checking for Microsoft Word 2002 or Word XP...",
                  &fraSteps[1]),
      lblWordtype(*this, "lblWordtype", K::Label, Line(kBodyTop + 24), "", &fraSteps[1]),
      lblSelect(*this, "lblSelect", K::Label, Line(kBodyTop + 52), preset.selectHeading, &fraSteps[1]),
      chkRefresh(*this, "chkRefresh", K::Check, CheckLine(0), "&Refresh MS Word's dll's", &fraSteps[1]),
      chkNormalDot(*this, "chkNormalDot", K::Check, CheckLine(1), " Normal.dot default templat&e", &fraSteps[1]),
      chkData(*this, "chkData", K::Check, CheckLine(2), "&Data registry keys", &fraSteps[1]),
      chkOptions(*this, "chkOptions", K::Check, CheckLine(3), "&Options registry keys", &fraSteps[1]),
      chkAddins(*this, "chkAddins", K::Check, CheckLine(4), "&Addins and startup templates", &fraSteps[1]),
      chkCOM(*this, "chkCOM", K::Check, CheckLine(5), "CO&M addins", &fraSteps[1]),
      lblContinue1(*this, "lblContinue1", K::Label, Foot(), kContinueOrQuit, &fraSteps[1]),
      lblReady(*this, "lblReady", K::Label, Line(kBodyTop), "Ready to start Word with Support tool...", &fraSteps[2]),
      lblRegsrv(*this, "lblRegsrv", K::Label, Line(kBodyTop + 30, 2), "", &fraSteps[2]),
      lblStarting(*this, "lblStarting", K::Label, Line(kBodyTop + 70, 2), "", &fraSteps[2]),
      lblNext2(*this, "lblNext2", K::Label, Foot(), "Click Next to continue", &fraSteps[2]),
      lblWorking(*this, "lblWorking", K::Label, Line(kBodyTop), "Working, this may take a few minutes....",
                 &fraSteps[3]),
      lblTemplate(*this, "lblTemplate", K::Label, ResultLine(0), "", &fraSteps[3]),
      lblData(*this, "lblData", K::Label, ResultLine(1), "", &fraSteps[3]),
      lblCOM(*this, "lblCOM", K::Label, ResultLine(2), "", &fraSteps[3]),
      lblAddin(*this, "lblAddin", K::Label, ResultLine(3), "", &fraSteps[3]),
      lblOptions(*this, "lblOptions", K::Label, ResultLine(4), "", &fraSteps[3]),
      lblContinue3(*this, "lblContinue3", K::Label, Foot(), kContinueOrQuit, &fraSteps[3]),
      lblResults(*this, "lblResults", K::Label, Line(kBodyTop), "Results:", &fraSteps[4]),
      lbltemplateFixed(*this, "lbltemplateFixed", K::Label, ResultLine(0), "", &fraSteps[4]),
      lblDataFixed(*this, "lblDataFixed", K::Label, ResultLine(1), "", &fraSteps[4]),
      lblCOMFixed(*this, "lblCOMFixed", K::Label, ResultLine(2), "", &fraSteps[4]),
      lblAddinsFixed(*this, "lblAddinsFixed", K::Label, ResultLine(3), "", &fraSteps[4]),
      lblOptionsFixed(*this, "lblOptionsFixed", K::Label, ResultLine(4), "", &fraSteps[4]),
      lblContinue4(*this, "lblContinue4", K::Label, Foot(), kContinueOrQuit, &fraSteps[4]) {
    MakeHeading(lblHead);
    lblWordtype.SetBold(true);
    lblWelcomeTask.SetVisible(preset.welcomeTask != nullptr);
    lblResults.SetBold(true);
    lblSelect.SetVisible(preset.boxesShown);
    boxesShown_ = preset.boxesShown;
    C* boxes[] = {&chkRefresh, &chkNormalDot, &chkData, &chkOptions, &chkAddins, &chkCOM};
    for (int i = 0; i < 6; ++i) {
        boxes[i]->SetVisible(preset.boxesShown);
        boxes[i]->SetValue(preset.checked[i]);
    }
}

bool ComponentReset::StepWork(int step) {
    switch (step) {
        case 0: return WelcomeWork();
        case 1: return Step1Work();
        case 2: return ResetWork();
        case 4: return !SearchAddins() && Step4Work();
        default: return true;  // Step 3 only shows what was done
    }
}

namespace {
struct Reset {
    forms::Control ComponentReset::*box;
    forms::Control ComponentReset::*step3;
    forms::Control ComponentReset::*step4;
    void (clsWD::*call)();
    Part part;
    const char* resetting;
    const char* done;
    const char* unchanged3;
    const char* unchanged4;
};
// The order the components are reset in; the texts are the ones the user
// has always seen, blanks and punctuation included.
constexpr Reset kResets[] = {
    {&ComponentReset::chkAddins, &ComponentReset::lblAddin, &ComponentReset::lblAddinsFixed, &clsWD::RenameAddins, Part::Addins,
     "Resetting Addins....", "Addin's reset.", "MS Word Addin's; No changes made", "MS Word Addin's; No changes made"},
    {&ComponentReset::chkCOM, &ComponentReset::lblCOM, &ComponentReset::lblCOMFixed, &clsWD::COMRemove, Part::COM,
     "Resetting COM components....", "COM components reset ", " COM components; No changes made",
     "COM components; No changes made"},
    {&ComponentReset::chkData, &ComponentReset::lblData, &ComponentReset::lblDataFixed, &clsWD::DataRemove, Part::Data,
     "Resetting MS Word's Data information....", "MS Word's Data information reset",
     "MS Word's Data information; No changes made", "MS Word's Data information; No changes made"},
    {&ComponentReset::chkOptions, &ComponentReset::lblOptions, &ComponentReset::lblOptionsFixed,
     &clsWD::OptionsRemove, Part::Options, "Resetting MS Word's Options information....", "MS Word's Options information reset",
     "Options information: No changes made", "Options information; No changes made"},
    {&ComponentReset::chkNormalDot, &ComponentReset::lblTemplate, &ComponentReset::lbltemplateFixed,
     &clsWD::RenameTemplate, Part::Template, "Resetting default template; Normal.DOT...",
     "Default template; Normal.DOT has been reset", "Default template, Normal.DOT; No changes made",
     "Default template, Normal.DOT; No changes made"},
};
}  // namespace

bool ComponentReset::ResetWork() {
    const std::shared_ptr<clsWD> profile = BeginWork(3);
    if (!profile) return false;
    clsWD& wd = *profile;

    if (chkRefresh.Value()) {
        lblRegsrv.SetCaption("Reregistering Word's system components...");
        lblStarting.SetCaption("Working........");
        wd.UnRegServ();
        lblRegsrv.SetCaption("Reregistering Word's system components...........");
        wd.RegServ();
        lblRegsrv.SetCaption(env_.program.Run.registrationSkipped ? kRegistrationSkipped
                                                                  : "Word's system components registered successfully!");
        lblStarting.SetCaption("Working..........................");
    }
    // The backups run whatever is ticked.
    lblStarting.SetCaption("Working....");
    lblRegsrv.SetCaption("backing up COM information");
    wd.COMBackup();
    lblRegsrv.SetCaption("Backing up Data information....");
    wd.DataBackup();
    lblRegsrv.SetCaption("Backing up Options information.........");
    wd.OptionsBackup();
    lblStarting.SetCaption("Working....");

    for (const Reset& r : kResets) {
        const std::string done = NameTemplate(r.done);
        if ((this->*r.box).Value()) {
            (this->*r.step3).SetCaption(NameTemplate(r.resetting));
            (wd.*r.call)();
            const std::string line = engine::WithForAllUsers(
                env_.program.Run, r.part, engine::ResultLine(env_.program.Run, r.part, engine::Done::Reset, done));
            if (line != done) (this->*r.step3).SetCaption(line);
            (this->*r.step4).SetCaption(line);
        } else {
            (this->*r.step3).SetCaption(NameTemplate(r.unchanged3));
            (this->*r.step4).SetCaption(NameTemplate(r.unchanged4));
        }
    }
    lblRegsrv.SetCaption("All tasks completed!");
    SetButtons(false, true, false, true);
    return true;
}

}  // namespace wizards

namespace wizards {

bool ComponentReset::SearchAddins() {
    // Only where the user chose the components; no start test saw the add-ins yet.
    if (!boxesShown_) return false;
    std::vector<AddinPart> parts;
    if (chkCOM.Value()) parts.push_back({Part::COM, std::nullopt});
    if (chkAddins.Value()) parts.push_back({Part::Addins, std::nullopt});
    return OfferAddinSearch(parts);
}

}  // namespace wizards
