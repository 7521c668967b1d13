#include "wizards/WordWizard.h"

#include "engine/CulpritSearch.h"
#include "engine/Generations.h"
#include "engine/WordProfile.h"
#include "engine/WordVersions.h"
#include "platform/WebPages.h"
#include "wizards/WizardGrid.h"

#include <cctype>
#include <utility>

namespace wizards {

namespace {
using namespace layout;
constexpr int kOptionsTop = 100;
// Below the five result lines of every wizard's page 4, above its foot.
constexpr int kAddinsFoundTop = 184;
constexpr int kAddinsFoundLines = 7;

std::string Names(const std::vector<engine::Addin>& addins) {
    if (addins.empty()) return "none";
    std::string names;
    for (const engine::Addin& addin : addins) names += (names.empty() ? "" : ", ") + addin.shown;
    return names;
}

// The pages' lines that name the Word version or its template, and how they
// name the version.
constexpr const char* kNamingLines[] = {"lblWelcome1", "lblWelcome2", "lblChecking", "lblWelcomeTask", "lblSelect",
                                        "chkNormalDot"};
constexpr const char* kDocumentedName = "Word 2002 or Word XP";
// Written "Normal.dot", "Normal.Dot" and "Normal.DOT" on the pages.
constexpr const char* kDocumentedTemplate = "normal.dot";

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
      lblAddinsFound(*this, "lblAddinsFound", K::Label, Line(kAddinsFoundTop, kAddinsFoundLines), "", &fraSteps[4]),
      env_(env),
      endsProgram_(finish.endsProgram) {
    MakeHeading(lblCongrats);
    lblComplete.SetBold(true);
    lblComplete.SetFontGrow(kSubHeadingGrow);
    for (C* option : {&optHomePage, &optClose, &optHowTo}) option->SetVisible(finish.optionsShown);
    (finish.howToSelected ? optHowTo : optClose).SetValue(true);
    lblAddinsFound.SetVisible(false);
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
        line->SetCaption(NameTemplate(caption));
    }
}

std::string WordWizard::NameTemplate(std::string text) const {
    const engine::ProfileTable* table = engine::NewerProfileTable(env_.program.CurrentWordVersion);
    if (table == nullptr) return text;
    const std::string documented = kDocumentedTemplate;
    const std::string name = table->templateName;
    for (size_t at = 0; at + documented.size() <= text.size(); ++at) {
        const size_t end = at + documented.size();
        // "Normal.dotm" in a path is a newer Word's name already.
        if (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end]))) continue;
        if (engine::FoldPath(text.substr(at, documented.size())) != documented) continue;
        text.replace(at, documented.size(), name);
        at += name.size() - 1;
    }
    return text;
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

namespace wizards {

bool WordWizard::OfferAddinSearch(const std::vector<AddinPart>& parts) {
    using Part = engine::RunRecord::Part;
    const std::shared_ptr<engine::clsWD> profile = env_.program.CurrentWordProfile;
    if (addinsOffered_ || !profile) return false;
    addinsOffered_ = true;
    struct Suspects {
        AddinPart part;
        std::vector<engine::Addin> addins;
    };
    std::vector<Suspects> found;
    size_t count = 0;
    int expected = 0;
    for (const AddinPart& part : parts) {
        std::vector<engine::Addin> addins = profile->DisabledAddins(part.part);
        if (addins.size() < 2) continue;
        count += addins.size();
        expected += engine::ExpectedStarts(addins.size(), part.allStarted);
        found.push_back({part, std::move(addins)});
    }
    if (found.empty()) return false;
    const std::string& title = env_.program.services.title;
    const std::string question = "Quorvex left " + std::to_string(count) +
                                 " add-ins disabled. Find out which of them stop Word and turn the others back on? " +
                                 (expected == 0 ? std::string("(This does not start Word again.)")
                                                : "(This starts Word about " + std::to_string(expected) +
                                                      " more times.)");
    // No by default: Enter keeps the documented way, without the extra starts.
    if (GetHost().MsgBox(question, forms::vbYesNo | forms::vbQuestion | forms::vbDefaultButton2, title) != forms::vbYes)
        return false;

    const Buttons before = SaveButtons();
    SetButtons(false, true, false, false);
    engine::RunRecord& run = env_.program.Run;
    std::string text;
    int starts = 0;
    for (const Suspects& suspects : found) {
        const Part part = suspects.part.part;
        const std::vector<engine::Addin>& addins = suspects.addins;
        run.Begin(part);
        std::vector<bool> on(addins.size(), false);
        // Word 2007 and later turn off (LoadBehavior 2) a COM add-in they
        // failed on: after a failed start each one on is put on again.
        const bool wordTurnsOff = part == Part::COM && engine::IsNewerVersion(env_.program.CurrentWordVersion);
        bool failed = false;
        auto turn = [&](const std::vector<bool>& wanted) {
            std::vector<engine::clsWD::Turn> turns;
            for (size_t i = 0; i < addins.size(); ++i) {
                if (failed && on[i]) turns.emplace_back(&addins[i], true);
                if (wanted[i] != on[i]) turns.emplace_back(&addins[i], wanted[i]);
                on[i] = wanted[i];
            }
            failed = false;
            profile->TurnAddins(part, turns);
        };
        const engine::CulpritResult result = engine::FindCulprits(
            addins.size(),
            [&](const std::vector<bool>& wanted) {
                turn(wanted);
                const bool started = profile->WordStartNormal();
                failed = !started && wordTurnsOff;
                return started;
            },
            suspects.part.allStarted);
        std::vector<bool> kept(addins.size());
        std::vector<engine::Addin> off, back;
        for (size_t i = 0; i < addins.size(); ++i) {
            kept[i] = !result.atFault[i];
            (result.atFault[i] ? off : back).push_back(addins[i]);
        }
        turn(kept);
        starts += result.starts;
        const char* name = part == Part::COM ? "COM add-ins" : "Startup add-ins";
        text += std::string(name) + " left disabled: " + Names(off) + "\r\n" + name + " turned back on: " + Names(back) +
                "\r\n";
        const std::string failure = engine::ResultLine(run, part, engine::Done::PutBack, {});
        if (!failure.empty()) text += failure + "\r\n";
    }
    text += "Word was started " + std::to_string(starts) + " more times to find them.";
    lblAddinsFound.SetCaption(text);
    lblAddinsFound.SetVisible(true);
    RestoreButtons(before);
    return true;
}

}  // namespace wizards
