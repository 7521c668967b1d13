#include "wizards/frmBackup.h"

#include "wizards/WizardGrid.h"

namespace wizards {

namespace {
using namespace layout;
using engine::clsWD;
using engine::Done;
using Part = engine::RunRecord::Part;

constexpr const char* kContinueOrQuit = "Click Next to continue or Cancel to quit";
constexpr const char* kSafeModeFailed =
    "We're sorry but Word could not be started in safe mode and cannot continue. Thanks for using Quorvex.";
constexpr const char* kMajorError = "Major error!!!!!";

constexpr forms::Rect ResultLine(int n) { return Line(kBodyTop + 30 + n * 24); }
}  // namespace

frmBackup::frmBackup(const WizardEnv& env)
    : WordWizard(env, "frmBackup", "Quorvex - Automatic Repair", {"Word has been fixed.", false, false, false}),
      lblHead(*this, "lblHead", K::Label, Head(), "Quorvex Wizard", &fraSteps[0]),
      lblWelcome1(*this, "lblWelcome1", K::Label, Line(kBodyTop, 2),
                  "Quorvex launches Word 2002 or Word XP in a safe mode and starts the hidden support tool to "
                  "troubleshoot Word. ",
                  &fraSteps[0]),
      lblWelcome2(*this, "lblWelcome2", K::Label, Line(80, 5),
                  "During Word startup, several components are loaded, including: Word's Data registry key, The "
                  "Normal.dot global template, Addins and templates, COM addins and the Word's Options registry "
                  "key. Quorvex stops these from loading, analyzes each one and then fixes problems it has found.",
                  &fraSteps[0]),
      lblWelcome3(*this, "lblWelcome3", K::Label, Line(164, 2),
                  "Word will now attempt to launch Word in a safe mode to begin analyzing and repairing various "
                  "components... ",
                  &fraSteps[0]),
      lblWelcome4(*this, "lblWelcome4", K::Label, Foot(),
                  "Click Next to begin attempting to launch Word in a safe mode...", &fraSteps[0]),
      lblChecking(*this, "lblChecking", K::Label, Line(kBodyTop), "Checking for Microsoft Word 2002 or Word XP...",
                  &fraSteps[1]),
      lblWordtype(*this, "lblWordtype", K::Label, Line(kBodyTop + 30), "", &fraSteps[1]),
      lblContinue1(*this, "lblContinue1", K::Label, Foot(), kContinueOrQuit, &fraSteps[1]),
      lblRegsrv(*this, "lblRegsrv", K::Label, Line(kBodyTop, 2), "", &fraSteps[2]),
      lblReady(*this, "lblReady", K::Label, Line(kBodyTop + 40), "Ready to start Word with Support tool...",
               &fraSteps[2]),
      lblStarting(*this, "lblStarting", K::Label, Line(kBodyTop + 70, 2), "", &fraSteps[2]),
      lblNext2(*this, "lblNext2", K::Label, Foot(), "Click Next to continue", &fraSteps[2]),
      lblWorking(*this, "lblWorking", K::Label, Line(kBodyTop), "Working, this may take a few minutes....",
                 &fraSteps[3]),
      lblTemplate(*this, "lblTemplate", K::Label, ResultLine(0), "", &fraSteps[3]),
      lblData(*this, "lblData", K::Label, ResultLine(1), "", &fraSteps[3]),
      lblCOM(*this, "lblCOM", K::Label, ResultLine(2), "", &fraSteps[3]),
      lblAddin(*this, "lblAddin", K::Label, ResultLine(3), "", &fraSteps[3]),
      lblOptions(*this, "lblOptions", K::Label, ResultLine(4), "", &fraSteps[3]),
      lblNext3(*this, "lblNext3", K::Label, Foot(), "Now ready to repair found issues, click next to  continue...",
               &fraSteps[3]),
      lbltemplateFixed(*this, "lbltemplateFixed", K::Label, Line(kBodyTop), "", &fraSteps[4]),
      lblDataFixed(*this, "lblDataFixed", K::Label, Line(kBodyTop + 24), "", &fraSteps[4]),
      lblCOMFixed(*this, "lblCOMFixed", K::Label, Line(kBodyTop + 48), "", &fraSteps[4]),
      lblAddinsFixed(*this, "lblAddinsFixed", K::Label, Line(kBodyTop + 72), "", &fraSteps[4]),
      lblOptionsFixed(*this, "lblOptionsFixed", K::Label, Line(kBodyTop + 96), "", &fraSteps[4]),
      lblContinue4(*this, "lblContinue4", K::Label, Foot(), kContinueOrQuit, &fraSteps[4]) {
    MakeHeading(lblHead);
    lblWordtype.SetBold(true);
    lblNext2.SetVisible(false);
    lblNext3.SetVisible(false);
}

bool frmBackup::StepWork(int step) {
    switch (step) {
        case 0: return WelcomeWork();
        case 1: return Step1Work();
        case 2: return AnalysisPass();
        case 3: return RepairPass();
        // The search of the add-ins, when offered and taken, shows its result here first.
        case 4: return !OfferAddinSearch({{Part::COM, comStarted_}, {Part::Addins, addinsStarted_}}) && Step4Work();
        default: return true;
    }
}

namespace {
// The registry components, in the order both passes check them.
struct RegistryCheck {
    const char* name;
    Part part;
    void (clsWD::*enable)();
    void (clsWD::*disable)();
    forms::Control frmBackup::*analysisLine;
    forms::Control frmBackup::*repairLine;
};
constexpr RegistryCheck kRegistryChecks[] = {
    {"COM", Part::COM, &clsWD::COMRestore, &clsWD::COMRemove, &frmBackup::lblCOM, &frmBackup::lblCOMFixed},
    {"Data", Part::Data, &clsWD::DataRestore, &clsWD::DataRemove, &frmBackup::lblData, &frmBackup::lblDataFixed},
    {"Options", Part::Options, &clsWD::OptionsRestore, &clsWD::OptionsRemove, &frmBackup::lblOptions, &frmBackup::lblOptionsFixed},
};

// Sets line to the failure of the latest operation on part, if it failed.
bool Failed(const engine::RunRecord& run, Part part, Done done, forms::Control& line) {
    if (run.Failure(part).empty()) return false;
    line.SetCaption(engine::ResultLine(run, part, done, {}));
    return true;
}

// One component on, the start test, and off again when Word fails with it
// (or always, with offAnyway). A component that could not be put back is not
// what Word started with, so the test says nothing about it. Returns whether
// Word started, nothing when it was not tried.
std::optional<bool> Check(clsWD& wd, const engine::RunRecord& run, Part part, void (clsWD::*on)(), void (clsWD::*off)(),
           bool offAnyway, forms::Control& line, const std::string& passed, const std::string& failed) {
    // A component that could not be turned off before (its backup could not
    // be written, say) reads so rather than as a result of the test.
    const std::string earlier = engine::ResultLine(run, part, Done::Disabled, {});
    (wd.*on)();
    if (Failed(run, part, Done::PutBack, line)) {
        if (offAnyway) (wd.*off)();
        return std::nullopt;
    }
    const bool started = wd.WordStartNormal();
    line.SetCaption(!earlier.empty() ? earlier : started ? passed : failed);
    if (started && !offAnyway) return started;
    (wd.*off)();
    Failed(run, part, Done::Disabled, line);
    return started;
}
}  // namespace

bool frmBackup::AnalysisPass() {
    const std::shared_ptr<clsWD> profile = BeginWork(3);
    if (!profile) return false;
    clsWD& wd = *profile;

    // Everything disabled, each label set before its step runs.
    struct Prepare {
        forms::Control* first;
        const char* firstText;
        forms::Control* second;
        const char* secondText;
        void (clsWD::*call)();
    };
    const Prepare steps[] = {
        {&lblStarting, "Starting Word in safe mode...", &lblRegsrv, "Preparing Word for safe mode.", &clsWD::COMBackup},
        {&lblRegsrv, "Preparing Word for safe mode...", nullptr, nullptr, &clsWD::DataBackup},
        {&lblRegsrv, "Preparing Word for safe mode.......", nullptr, nullptr, &clsWD::OptionsBackup},
        {&lblStarting, "Starting Word in safe mode..........", &lblRegsrv, "Preparing Word for safe mode..........",
         &clsWD::RenameAddins},
        {&lblRegsrv, "Preparing Word for safe mode.............", nullptr, nullptr, &clsWD::COMRemove},
        {&lblRegsrv, "Preparing Word for safe mode.", nullptr, nullptr, &clsWD::DataRemove},
        {&lblRegsrv, "Preparing Word for safe mode...", nullptr, nullptr, &clsWD::OptionsRemove},
        {&lblRegsrv, "Preparing Word for safe mode..............", nullptr, nullptr, &clsWD::RenameTemplate},
        {&lblRegsrv, "Reregistering Word's sytem components...", &lblStarting, "Starting Word in safe mode............",
         &clsWD::UnRegServ},
        {&lblRegsrv, "Reregistering Word's system components...........", nullptr, nullptr, &clsWD::RegServ},
    };
    for (const Prepare& step : steps) {
        step.first->SetCaption(step.firstText);
        if (step.second != nullptr) step.second->SetCaption(step.secondText);
        (wd.*step.call)();
    }
    lblRegsrv.SetCaption("Word's system components registered successfully!");
    lblStarting.SetCaption("Starting Word in safe mode..........................");
    if (!wd.WordStartNormal()) {
        GetHost().MsgBox(kSafeModeFailed, forms::vbOKOnly, env_.program.services.title);
        GetHost().End();
    }
    lblStarting.SetCaption("Success! Word has started in safe mode, now analyzing Word's components....");
    GetHost().DoEvents(3);

    // One component at a time, disabled again whatever its result.
    const engine::RunRecord& run = env_.program.Run;
    Check(wd, run, Part::Template, &clsWD::RestoreTemplate, &clsWD::RenameTemplate, false, lblTemplate,
          "Default Template OK!", "Default Template Fixed");
    for (const RegistryCheck& c : kRegistryChecks) {
        Check(wd, run, c.part, c.enable, c.disable, true, this->*c.analysisLine, std::string(c.name) + " Passed!",
              std::string(c.name) + " Failed");
    }
    // The Startup add-ins count as good whatever Word does.
    Check(wd, run, Part::Addins, &clsWD::RestoreAddins, &clsWD::RenameAddins, true, lblAddin, "Addins Passed!",
          "Addins Passed!");

    // Everything back as the user had it; what cannot be is told on its line.
    for (const RegistryCheck& c : kRegistryChecks) {
        (wd.*c.enable)();
        Failed(run, c.part, Done::PutBack, this->*c.analysisLine);
    }
    wd.RestoreAddins();
    Failed(run, Part::Addins, Done::PutBack, lblAddin);

    lblNext3.SetVisible(true);
    lblNext3.SetCaption("We are now ready to repair Word, click Next to continue...");
    SetButtons(false, true, false, true);
    return true;
}

bool frmBackup::RepairPass() {
    const std::shared_ptr<clsWD> profile = BeginWork(7);
    if (!profile) return false;
    clsWD& wd = *profile;

    wd.COMBackup();
    wd.DataBackup();
    wd.OptionsBackup();
    wd.RenameTemplate();
    wd.RenameAddins();
    wd.COMRemove();
    wd.DataRemove();
    wd.OptionsRemove();
    wd.UnRegServ();
    wd.RegServ();
    if (!wd.WordStartNormal()) {
        GetHost().MsgBox(kMajorError, forms::vbOKOnly, env_.program.services.title);
        GetHost().End();
    }

    // Cumulative: a component Word starts with stays enabled for the next.
    const engine::RunRecord& run = env_.program.Run;
    Check(wd, run, Part::Template, &clsWD::RestoreTemplate, &clsWD::RenameTemplate, false, lbltemplateFixed,
          "Default Template OK!", "Default Template Fixed");
    for (const RegistryCheck& c : kRegistryChecks) {
        const std::optional<bool> started = Check(wd, run, c.part, c.enable, c.disable, false, this->*c.repairLine,
                                                  std::string(c.name) + " OK!", std::string(c.name) + " Fixed");
        if (c.part == Part::COM) comStarted_ = started;
    }
    addinsStarted_ = Check(wd, run, Part::Addins, &clsWD::RestoreAddins, &clsWD::RenameAddins, true, lblAddinsFixed,
                           "Addins OK!", "Addins OK!");

    SetButtons(false, true, false, true);
    return true;
}

}  // namespace wizards
