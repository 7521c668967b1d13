#include "wizards/frmBackup.h"

#include "wizards/WizardGrid.h"

#include <iterator>

namespace wizards {

namespace {
using namespace layout;
using engine::clsWD;
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
// The captions the analysis sets before each of its steps, and before the
// start with everything disabled: first line, its text, second line, its text.
struct StepCaptions {
    forms::Control frmBackup::*first;
    const char* firstText;
    forms::Control frmBackup::*second;
    const char* secondText;
};
constexpr StepCaptions kAnalysisCaptions[engine::kAnalysisSteps + 1] = {
    {&frmBackup::lblStarting, "Starting Word in safe mode...", &frmBackup::lblRegsrv, "Preparing Word for safe mode."},
    {&frmBackup::lblRegsrv, "Preparing Word for safe mode...", nullptr, nullptr},
    {&frmBackup::lblRegsrv, "Preparing Word for safe mode.......", nullptr, nullptr},
    {&frmBackup::lblStarting, "Starting Word in safe mode..........", &frmBackup::lblRegsrv,
     "Preparing Word for safe mode.........."},
    {&frmBackup::lblRegsrv, "Preparing Word for safe mode.............", nullptr, nullptr},
    {&frmBackup::lblRegsrv, "Preparing Word for safe mode.", nullptr, nullptr},
    {&frmBackup::lblRegsrv, "Preparing Word for safe mode...", nullptr, nullptr},
    {&frmBackup::lblRegsrv, "Preparing Word for safe mode..............", nullptr, nullptr},
    {&frmBackup::lblRegsrv, "Reregistering Word's sytem components...", &frmBackup::lblStarting,
     "Starting Word in safe mode............"},
    {&frmBackup::lblRegsrv, "Reregistering Word's system components...........", nullptr, nullptr},
    {&frmBackup::lblRegsrv, "Word's system components registered successfully!", &frmBackup::lblStarting,
     "Starting Word in safe mode.........................."},
};

// Each component's line on Step 3 and on Step 4, by RunRecord::Part.
using Line = forms::Control frmBackup::*;
constexpr Line kAnalysisLines[] = {&frmBackup::lblTemplate, &frmBackup::lblData, &frmBackup::lblCOM,
                                   &frmBackup::lblOptions, &frmBackup::lblAddin};
constexpr Line kRepairLines[] = {&frmBackup::lbltemplateFixed, &frmBackup::lblDataFixed, &frmBackup::lblCOMFixed,
                                 &frmBackup::lblOptionsFixed, &frmBackup::lblAddinsFixed};

// The wizard's pages as the passes' reporter.
class PageReporter : public engine::PassReporter {
public:
    PageReporter(frmBackup& form, forms::Host& host, const std::string& title, const engine::RunRecord& run)
        : form_(form), host_(host), title_(title), run_(run) {}

    void Step(engine::Pass pass, size_t index, const char*) override {
        if (pass != engine::Pass::Analysis || index >= std::size(kAnalysisCaptions)) return;
        const StepCaptions& step = kAnalysisCaptions[index];
        (form_.*step.first).SetCaption(step.firstText);
        if (step.second != nullptr) (form_.*step.second).SetCaption(step.secondText);
        if (index + 1 == std::size(kAnalysisCaptions) && run_.registrationSkipped)
            form_.lblRegsrv.SetCaption(kRegistrationSkipped);
    }
    void StartedDisabled(engine::Pass pass, bool started) override {
        const bool analysis = pass == engine::Pass::Analysis;
        if (!started) {
            host_.MsgBox(analysis ? kSafeModeFailed : kMajorError, forms::vbOKOnly, title_);
            host_.End();
        }
        if (!analysis) return;
        form_.lblStarting.SetCaption("Success! Word has started in safe mode, now analyzing Word's components....");
        host_.DoEvents(3);
    }
    void Result(engine::Pass pass, Part part, engine::Verdict verdict, const std::string& failureLine) override {
        const auto n = static_cast<size_t>(part);
        Line line = pass == engine::Pass::Analysis ? kAnalysisLines[n] : kRepairLines[n];
        (form_.*line).SetCaption(
            engine::WithForAllUsers(run_, part, frmBackup::ResultText(pass, part, verdict, failureLine)));
    }

private:
    frmBackup& form_;
    forms::Host& host_;
    const std::string& title_;
    const engine::RunRecord& run_;
};
}  // namespace

std::string frmBackup::ResultText(engine::Pass pass, Part part, engine::Verdict verdict,
                                  const std::string& failureLine) {
    if (verdict == engine::Verdict::NotDone) return failureLine;
    const bool passed = verdict == engine::Verdict::Passed;
    const bool analysis = pass == engine::Pass::Analysis;
    if (part == Part::Template) return passed ? "Default Template OK!" : "Default Template Fixed";
    // The Startup add-ins count as good whatever Word does.
    if (part == Part::Addins) return analysis ? "Addins Passed!" : "Addins OK!";
    static constexpr const char* kNames[] = {"", "Data", "COM", "Options", ""};
    const std::string name = kNames[static_cast<size_t>(part)];
    if (analysis) return name + (passed ? " Passed!" : " Failed");
    return name + (passed ? " OK!" : " Fixed");
}

bool frmBackup::AnalysisPass() {
    const std::shared_ptr<clsWD> profile = BeginWork(3);
    if (!profile) return false;
    PageReporter reporter(*this, GetHost(), env_.program.services.title, env_.program.Run);
    engine::AnalysisPass(*profile, env_.program.Run, reporter);

    lblNext3.SetVisible(true);
    lblNext3.SetCaption("We are now ready to repair Word, click Next to continue...");
    SetButtons(false, true, false, true);
    return true;
}

bool frmBackup::RepairPass() {
    const std::shared_ptr<clsWD> profile = BeginWork(7);
    if (!profile) return false;
    PageReporter reporter(*this, GetHost(), env_.program.services.title, env_.program.Run);
    const engine::PassResult result = engine::RepairPass(*profile, env_.program.Run, reporter);
    auto startedWithAll = [&](Part part) -> std::optional<bool> {
        const engine::Verdict verdict = result.verdict[static_cast<size_t>(part)];
        if (!result.started || verdict == engine::Verdict::NotDone) return std::nullopt;
        return verdict == engine::Verdict::Passed;
    };
    comStarted_ = startedWithAll(Part::COM);
    addinsStarted_ = startedWithAll(Part::Addins);

    SetButtons(false, true, false, true);
    return true;
}

}  // namespace wizards
