#include "app/frmadvmenu.h"

#include "app/Context.h"
#include "forms/Grid.h"
#include "app/frmMain.h"
#include "engine/WordVersions.h"
#include "platform/RaisedError.h"
#include "platform/WebPages.h"
#include "platform/clsFileSystem.h"
#include "wizards/frmUndo.h"

namespace app {

namespace {
using namespace forms::grid;
constexpr int kWidth = 400;
constexpr int kInner = kWidth - 2 * kMargin;
constexpr int kFrameY = kMargin + kLine + 6;
constexpr int kFrameHeight = kFrameTop + 3 * kOptionStep + kLine + kMargin;
constexpr int kOptionWidth = kInner - 2 * kFrameInset;
constexpr int kButtonsTop = kFrameY + kFrameHeight + kMargin;

constexpr forms::Rect OptionAt(int n) {
    return {kFrameInset, kFrameTop + n * kOptionStep, kOptionWidth, kLine};
}

constexpr const char* kCouldNotLaunch10 = "Could not launch MS Word 10";
constexpr const char* kCouldNotLaunch11 = "Could not launch MS Word 11";
constexpr const char* kNotFound = "Word 2002 or XP was not found. Exiting program";

std::string CouldNotLaunch(const std::string& version) {
    if (version == engine::kWord2002) return kCouldNotLaunch10;
    if (!engine::IsNewerVersion(version)) return kCouldNotLaunch11;
    return std::string("Could not launch MS ") + engine::FindWordVersion(version)->name;
}
}  // namespace

frmadvmenu::frmadvmenu(Context& ctx)
    : Form(ctx.Host(), "frmadvmenu", "Quorvex", kWidth, kButtonsTop + kButtonHeight + kMargin),
      Label1(*this, "Label1", K::Label, {kMargin, kMargin, kInner, kLine}, "I would like to:"),
      Frame1(*this, "Frame1", K::Frame, {kMargin, kFrameY, kInner, kFrameHeight}, "Advanced Features:"),
      optReset(*this, "optReset", K::Option, OptionAt(0), "&Choose and reset MS Word components to initial install",
               &Frame1),
      optLaunch(*this, "optLaunch", K::Option, OptionAt(1), "&Launch MS Word in Safe Mode", &Frame1),
      optLaunchSM(*this, "optLaunchSM", K::Option, OptionAt(2), "Launch MS Word in Safe Mode with &Support Tool",
                  &Frame1),
      optUndo(*this, "optUndo", K::Option, OptionAt(3), "&Undo a repair", &Frame1),
      Command1(*this, "Command1", K::Button, Wide(ButtonFromLeft(kButtonsTop, 0)), "Online &Help"),
      btnOK(*this, "btnOK", K::Button, ButtonFromRight(kWidth, kButtonsTop, 1), "OK"),
      btnCancel(*this, "btnCancel", K::Button, ButtonFromRight(kWidth, kButtonsTop, 0), "Cancel"),
      ctx_(ctx) {
    optReset.SetValue(true);
    btnOK.OnClick = [this] { btnOK_Click(); };
    btnCancel.OnClick = [this] { btnCancel_Click(); };
    Command1.OnClick = [this] { Command1_Click(); };
    DefaultButton = &btnOK;
    CancelButton = &btnCancel;
}

void frmadvmenu::RunFromStart() {
    wizard_ = nullptr;
    ShowModal();
    // The wizard was opened without waiting and ends the program itself on
    // Finish and Cancel; until then Start must not go on to the closing form,
    // which would sit modally over it.
    if (wizard_ != nullptr && wizard_->Visible()) wizard_->ShowModal();
}

void frmadvmenu::btnOK_Click() {
    if (optReset.Value()) {
        Hide();
        if (ctx_.ShowAdvancedWizard) wizard_ = ctx_.ShowAdvancedWizard();
        return;
    }
    if (optUndo.Value()) {
        // With nothing to undo the menu stays, so that another choice can be made.
        wizards::frmUndo& undo = ctx_.frmUndo();
        if (!undo.Prepare()) return;
        Hide();
        undo.ShowModal();
        return;
    }
    LaunchWd();
}

void frmadvmenu::btnCancel_Click() {
    Hide();
    ctx_.frmMain().Show();
}

void frmadvmenu::Command1_Click() { platform::OpenOnlineHelp(ctx_.Services(), GetHost().WindowOf(*this)); }

void frmadvmenu::LaunchWd() {
    forms::Host& host = ctx_.Host();
    host.DoEvents();
    const std::string version = ctx_.CurrentWordVersion();
    const std::string& folder = ctx_.WordProgramFolder();
    platform::clsFileSystem files(ctx_.Services());
    bool found = false;
    if (version == engine::kWord2002) {
        // Word 2002 is only looked for as its folder.
        if (files.FileExist(folder)) {
            host.DoEvents();
            found = true;
        } else {
            Tell(kCouldNotLaunch10);
        }
    }
    if (version == engine::kWord2003 || engine::IsNewerVersion(version)) {
        if (files.FileExist(folder + "\\winword.exe")) {
            found = true;
            host.DoEvents();
        } else {
            Tell(CouldNotLaunch(version));
        }
    }
    if (!found) {
        EndWordNotFound();
        return;
    }
    host.DoEvents();
    try {
        engine::clsBackup(ctx_.Program(), *this).Backup();
    } catch (const platform::RaisedError&) {
        // A Word 2002 folder passes the check without winword.exe in it:
        // a Word that cannot be started is the same failure as a missing one.
        Tell(CouldNotLaunch(version));
        EndWordNotFound();
    }
}

void frmadvmenu::Tell(const std::string& text) { ctx_.Host().MsgBox(text, forms::vbOKOnly, ctx_.Title()); }

void frmadvmenu::EndWordNotFound() {
    Tell(kNotFound);
    ctx_.Host().End();
}

}  // namespace app
