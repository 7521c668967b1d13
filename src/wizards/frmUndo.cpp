#include "wizards/frmUndo.h"

#include "wizards/WizardGrid.h"

#include <set>

namespace wizards {

namespace {
using namespace layout;

constexpr const char* kUndoRun = "Undo a repair";
constexpr const char* kNothingToUndo = "There is nothing to undo: Quorvex has no record of a repair.";
constexpr const char* kDamaged = "The record of an earlier repair is damaged, so Quorvex did not use any of it: ";
constexpr size_t kRuns = 10;
constexpr size_t kParts = 7;
constexpr int kColumn = kPageWidth / 2;
constexpr int kRunsTop = 140;

constexpr forms::Rect RunOption(size_t n) {
    return {static_cast<int>(n / 5) * kColumn, kRunsTop + static_cast<int>(n % 5) * kOptionStep, kColumn - kMargin,
            kLine};
}
constexpr forms::Rect PartBox(size_t n) {
    return {kMargin, kBodyTop + 30 + static_cast<int>(n) * kOptionStep, kPageWidth - kMargin, kLine};
}
// A reason can take a second line.
constexpr forms::Rect PartResult(size_t n) { return {0, 60 + static_cast<int>(n) * 31, kPageWidth, kLine + kTextLine}; }

std::string Capital(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

// A drive's root keeps its backslash ("C:\" rather than "C:").
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos) return path;
    return path.substr(0, slash == 2 && path[1] == ':' ? 3 : slash);
}
}  // namespace

frmUndo::frmUndo(engine::Program& program, forms::Host& host)
    : WizardFrame(host, "frmUndo", "Quorvex - Undo a repair"),
      lblHead(*this, "lblHead", K::Label, Head(), "Undo a repair", &fraSteps[0]),
      lblRun(*this, "lblRun", K::Label, Line(kBodyTop, 2), "", &fraSteps[0]),
      lblBackups(*this, "lblBackups", K::Label, Line(70, 3), "", &fraSteps[0]),
      lblOlder(*this, "lblOlder", K::Label, Line(kRunsTop - 24), "To undo an earlier run, choose it here:",
               &fraSteps[0]),
      lblBegin(*this, "lblBegin", K::Label, Foot(), "Click Next to begin...", &fraSteps[0]),
      lblSelect(*this, "lblSelect", K::Label, Line(kBodyTop), "Put back these components as they were before that run:",
                &fraSteps[1]),
      lblContinue1(*this, "lblContinue1", K::Label, Foot(), "Click Next to continue or Cancel to quit", &fraSteps[1]),
      lblReady(*this, "lblReady", K::Label, Line(kBodyTop, 3), "", &fraSteps[2]),
      lblWorking(*this, "lblWorking", K::Label, Line(kBodyTop + 60), "", &fraSteps[2]),
      lblNext2(*this, "lblNext2", K::Label, Foot(), "Click Next to put them back", &fraSteps[2]),
      lblResults(*this, "lblResults", K::Label, Line(kBodyTop), "Results:", &fraSteps[3]),
      lblContinue3(*this, "lblContinue3", K::Label, Foot(), "Click Next to continue", &fraSteps[3]),
      lblCongrats(*this, "lblCongrats", K::Label, Head(), "Finished", &fraSteps[5]),
      lblDone(*this, "lblDone", K::Label, Line(kBodyTop, 2),
              "Quorvex has put back what you chose. Click Finish to close this wizard.", &fraSteps[5]),
      program_(program) {
    MakeHeading(lblHead);
    MakeHeading(lblCongrats);
    lblResults.SetBold(true);
    for (size_t i = 0; i < kRuns; ++i) {
        C& option = optRuns.Add(*this, "optRuns", K::Option, RunOption(i), "", &fraSteps[0]);
        option.OnClick = [this, i] { Choose(i); };
    }
    for (size_t i = 0; i < kParts; ++i) {
        chkParts.Add(*this, "chkParts", K::Check, PartBox(i), "", &fraSteps[1]);
        lblPartResults.Add(*this, "lblPartResults", K::Label, PartResult(i), "", &fraSteps[3]);
    }
    // This wizard has no fourth step.
    shpSteps[4].SetVisible(false);
    lblSteps[4].SetVisible(false);
}

bool frmUndo::Prepare() {
    os::Api& api = program_.services.api;
    std::vector<engine::JournalRun> runs;
    for (engine::JournalRun& run : engine::ListJournals(api)) {
        if (run.unreadable) continue;
        if (!run.damage.empty()) {
            // Told once: set aside under a name no listing reads.
            GetHost().MsgBox(kDamaged + run.path + " (" + run.damage + ").", forms::vbOKOnly | forms::vbExclamation,
                             program_.services.title);
            api.MoveFile(run.path, run.path + ".damaged");
        } else if (!engine::ChangedComponents(run).empty()) {
            runs.push_back(std::move(run));
        }
    }
    if (Offer(std::move(runs))) return true;
    GetHost().MsgBox(kNothingToUndo, forms::vbOKOnly | forms::vbInformation, program_.services.title);
    return false;
}

bool frmUndo::Offer(std::vector<engine::JournalRun> runs) {
    os::Api& api = program_.services.api;
    runs_ = std::move(runs);
    if (runs_.size() > kRuns) runs_.resize(kRuns);
    if (runs_.empty()) return false;
    for (size_t i = 0; i < kRuns; ++i) {
        optRuns[i].SetVisible(i < runs_.size());
        if (i < runs_.size()) optRuns[i].SetCaption("&" + std::to_string((i + 1) % 10) + " " + api.FormatFileTime(runs_[i].started));
    }
    optRuns[0].SetValue(true);
    Choose(0);
    SetButtons(false, true, false, true);
    return true;
}

void frmUndo::Choose(size_t run) {
    if (run >= runs_.size()) return;
    chosen_ = run;
    const engine::JournalRun& r = runs_[run];
    lblRun.SetCaption("Quorvex will put back what the run of " + program_.services.api.FormatFileTime(r.started) +
                      " (" + r.wizard + ") changed.");
    std::set<std::string> seen;
    std::string folders;
    for (const engine::JournalEntry& entry : r.entries) {
        if (entry.changes.empty() || entry.backup.empty()) continue;
        const std::string folder = FolderOf(entry.backup);
        if (seen.insert(engine::FoldPath(folder)).second) folders += (folders.empty() ? "" : "; ") + folder;
    }
    lblBackups.SetCaption("Its backups are in " + folders + ".");
    parts_ = engine::ChangedComponents(r);
    if (parts_.size() > kParts) parts_.resize(kParts);
    for (size_t i = 0; i < kParts; ++i) {
        chkParts[i].SetVisible(i < parts_.size());
        chkParts[i].SetCaption(i < parts_.size() ? parts_[i].name : "");
        chkParts[i].SetValue(i < parts_.size());
    }
}

void frmUndo::cmdNext_Click() {
    if (busy_) return;
    BusyScope busy(busy_);
    switch (CurrentStep) {
        case 0:
            SetButtons(true, true, false, true);
            break;
        case 1: {
            std::vector<engine::Component> chosen;
            for (size_t i = 0; i < parts_.size(); ++i)
                if (chkParts[i].Value()) chosen.push_back(parts_[i]);
            if (chosen.empty()) {
                GetHost().MsgBox("Please tick at least one component to put back.", forms::vbOKOnly,
                                 program_.services.title);
                return;
            }
            lblReady.SetCaption("Ready to put back " + engine::Names(chosen) + ".");
            lblWorking.SetCaption("");
            break;
        }
        case 2:
            Work();
            break;
        case 3:
            // On to the finish page: there is no fourth step.
            SetButtons(false, true, true, false);
            SetStep(3, 5);
            CurrentStep = 5;
            fraSteps[5].BringToTop();
            return;
        default:
            return;
    }
    Advance();
}

void frmUndo::Work() {
    SetButtons(false, true, false, false);
    std::vector<engine::Component> chosen;
    std::vector<size_t> where;
    for (size_t i = 0; i < parts_.size(); ++i) {
        lblPartResults[i].SetCaption(Capital(parts_[i].name + ": left as it is."));
        if (chkParts[i].Value()) chosen.push_back(parts_[i]), where.push_back(i);
    }
    lblWorking.SetCaption("Putting back, this may take a moment....");
    GetHost().DoEvents(3);
    const std::vector<engine::PutBackResult> results =
        engine::PutBackAsRun(program_, runs_[chosen_], chosen, kUndoRun);
    for (size_t n = 0; n < results.size(); ++n) {
        const engine::PutBackResult& r = results[n];
        lblPartResults[where[n]].SetCaption(Capital(r.done ? r.component + " put back." : engine::ResultText(r) + "."));
    }
    for (size_t i = parts_.size(); i < kParts; ++i) lblPartResults[i].SetCaption("");
    lblWorking.SetCaption("All tasks completed!");
    SetButtons(false, true, false, true);
}

void frmUndo::cmdFinish_Click() {
    if (busy_) return;
    Unload();
}

}  // namespace wizards
