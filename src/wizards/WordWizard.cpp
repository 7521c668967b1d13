#include "wizards/WordWizard.h"

#include "engine/WordVersions.h"
#include "platform/WebPages.h"
#include "wizards/WizardGrid.h"

#include <utility>

namespace wizards {

namespace {
using namespace layout;
constexpr int kOptionsTop = 100;
// The pages' lines that name the Word version, and how they name it.
constexpr const char* kNamingLines[] = {"lblWelcome1", "lblChecking"};
constexpr const char* kDocumentedName = "Word 2002 or Word XP";

// How each wizard's run is named in its journal and the undo wizard.
std::string RunName(const std::string& form) {
    static const std::pair<const char*, const char*> kNames[] = {{"frmBackup", "Automatic repair"},
                                                                 {"frmReset", "Reset to initial install"},
                                                                 {"frmRenameTemplate", "Rename Normal.dot"},
                                                                 {"frmBackup1", "Advanced reset"}};
    for (const auto& [name, run] : kNames)
        if (form == name) return run;
    return form;
}
}  // namespace

WordWizard::WordWizard(const WizardEnv& env, std::string name, std::string caption, const Finish& finish)
    : WizardFrame(env.host, std::move(name), std::move(caption)),
      btnHelp(*this, "btnHelp", K::Button, {kMargin, kButtonsTop, kWideButtonWidth, kButtonHeight}, "Online &Help"),
      lblCongrats(*this, "lblCongrats", K::Label, Head(), "Congratulations", &fraSteps[5]),
      lblComplete(*this, "lblComplete", K::Label, {0, kBodyTop, kPageWidth, 22}, "Quorvex Complete!", &fraSteps[5]),
      lblFixed(*this, "lblFixed", K::Label, Line(66), finish.fixedText, &fraSteps[5]),
      optHomePage(*this, "optHomePage", K::Option, Line(kOptionsTop, 2),
                  "View Quorvex Home &Page (internet connection required).", &fraSteps[5]),
      optClose(*this, "optClose", K::Option, Line(kOptionsTop + 40), "Please just &close Quorvex.", &fraSteps[5]),
      optHowTo(*this, "optHowTo", K::Option, Line(kOptionsTop + 70, 2),
               "View How To's and &Tutorials on using Quorvex on the internet (internet connection required).",
               &fraSteps[5]),
      env_(env),
      endsProgram_(finish.endsProgram) {
    MakeHeading(lblCongrats);
    lblComplete.SetBold(true);
    lblComplete.SetFontGrow(kSubHeadingGrow);
    for (C* option : {&optHomePage, &optClose, &optHowTo}) option->SetVisible(finish.optionsShown);
    (finish.howToSelected ? optHowTo : optClose).SetValue(true);
    btnHelp.OnClick = [this] { btnHelp_Click(); };
}

void WordWizard::Form_Load() {
    WizardFrame::Form_Load();
    NameWordVersion();
}

void WordWizard::NameWordVersion() {
    const engine::WordVersion* version = engine::FindWordVersion(env_.program.CurrentWordVersion);
    const std::string name = version != nullptr ? version->name : "";
    for (const char* lineName : kNamingLines) {
        C* line = Find(lineName);
        if (line == nullptr) continue;
        const std::string& documented = documented_.try_emplace(lineName, line->Caption()).first->second;
        std::string caption = documented;
        const size_t at = caption.find(kDocumentedName);
        if (!name.empty() && at != std::string::npos) caption.replace(at, std::string(kDocumentedName).size(), name);
        line->SetCaption(caption);
    }
}

void WordWizard::cmdNext_Click() {
    if (busy_) return;
    BusyScope busy(busy_);
    if (StepWork(CurrentStep)) Advance();
}

void WordWizard::cmdFinish_Click() {
    if (busy_) return;
    const platform::Services& services = env_.program.services;
    // The run ended on its own road: nothing is left to put back.
    env_.program.journal.Finish();
    if (optHomePage.Value()) platform::OpenWebPage(services, platform::Page::ProductHome, GetHost().WindowOf(*this));
    if (optHowTo.Value()) platform::OpenOnlineHelp(services, GetHost().WindowOf(*this));
    if (endsProgram_) GetHost().End();
    Unload();
}

void WordWizard::btnHelp_Click() { platform::OpenOnlineHelp(env_.program.services, GetHost().WindowOf(*this)); }

bool WordWizard::WelcomeWork() {
    forms::Host& host = GetHost();
    host.DoEvents(3);
    const std::string& version = env_.program.CurrentWordVersion;
    NameWordVersion();
    if (engine::IsNewerVersion(version)) {
        WordTypeLabel().SetCaption("MS " + std::string(engine::FindWordVersion(version)->name) + " ");
        host.DoEvents(7);
    }
    if (version == engine::kWord2002) {
        WordTypeLabel().SetCaption("MS Word 2002 ");
        host.DoEvents(10);
    }
    if (version == engine::kWord2003) {
        WordTypeLabel().SetCaption("MS Word XP ");
        host.DoEvents(7);
    }
    host.DoEvents(3);
    return true;
}

bool WordWizard::Step1Work() {
    GetHost().DoEvents(6);
    SetButtons(true, true, false, true);
    GetHost().DoEvents(3);
    return true;
}

bool WordWizard::Step4Work() {
    SetButtons(false, true, true, false);
    return true;
}

std::shared_ptr<engine::clsWD> WordWizard::BeginWork(int yields) {
    const Buttons before = SaveButtons();
    SetButtons(false, true, false, false);
    env_.program.journal.SetWizard(RunName(Name()));
    GetHost().DoEvents(yields);
    std::shared_ptr<engine::clsWD> profile = SelectProfile();
    if (!profile) RestoreButtons(before);
    return profile;
}

std::shared_ptr<engine::clsWD> WordWizard::SelectProfile() {
    engine::Program& program = env_.program;
    if (!IsSupportedVersion(program.CurrentWordVersion) && env_.askWordVersion) env_.askWordVersion();
    const std::string version = program.CurrentWordVersion;
    if (IsSupportedVersion(version)) {
        program.CurrentWordProfile =
            env_.makeProfile ? env_.makeProfile(version) : StandardProfiles(program)(version);
        if (program.CurrentWordProfile) return program.CurrentWordProfile;
    }
    // Never run a pass on no profile, nor on one left from an earlier choice.
    GetHost().MsgBox(kChooseVersionText, forms::vbOKOnly | forms::vbExclamation, program.services.title);
    return nullptr;
}

}  // namespace wizards
