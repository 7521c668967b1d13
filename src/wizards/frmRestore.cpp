#include "wizards/frmRestore.h"

#include "engine/clsRestore.h"
#include "platform/MFile.h"
#include "platform/MIni.h"
#include "platform/clsFileSystem.h"
#include "wizards/WizardGrid.h"

#include <algorithm>
#include <cctype>

namespace wizards {

namespace {
using namespace layout;
constexpr const char* kTitle = "Quorvex Restore Wizard";
constexpr int kFieldTop = kBodyTop + 30;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}
}  // namespace

frmRestore::frmRestore(const platform::Services& services, forms::Host& host)
    : WizardFrame(host, "frmRestore", ""),
      lblTitle(*this, "lblTitle", K::Label, Head(), kTitle, &fraSteps[0]),
      lblIntro(*this, "lblIntro", K::Label, Line(kBodyTop, 2),
               "This wizard will restore your WordPerfect Customized settings", &fraSteps[0]),
      lblChoose(*this, "lblChoose", K::Label, Line(kBodyTop), "Please select WordPerfect Backup to restore",
                &fraSteps[1]),
      text1(*this, "text1", K::TextBox, {0, kFieldTop, kPageWidth - kButtonWidth - kButtonGap, 21}, "", &fraSteps[1]),
      btnSelect(*this, "btnSelect", K::Button,
                {kPageWidth - kButtonWidth, kFieldTop - 1, kButtonWidth, kButtonHeight}, "&Select", &fraSteps[1]),
      lblSettings(*this, "lblSettings", K::Label, Line(kBodyTop), "Restoring customized settings...", &fraSteps[2]),
      lblFolders(*this, "lblFolders", K::Label, Line(kBodyTop), "Restoring customized folders...", &fraSteps[3]),
      lblFiles(*this, "lblFiles", K::Label, Line(kBodyTop), "Restoring customized files...", &fraSteps[4]),
      lblCongrats(*this, "lblCongrats", K::Label, Head(), "Congratulations!", &fraSteps[5]),
      lblFinishTitle(*this, "lblFinishTitle", K::Label, Line(kBodyTop), kTitle, &fraSteps[5]),
      lblRestored(*this, "lblRestored", K::Label, Line(kBodyTop + 30, 2),
                  "WordPerfect customization have been successfully restored.", &fraSteps[5]),
      lblClose(*this, "lblClose", K::Label, Foot(), "Click Finish to close program", &fraSteps[5]),
      services_(services) {
    MakeHeading(lblTitle);
    MakeHeading(lblCongrats);
    lblFinishTitle.SetBold(true);
    btnSelect.OnClick = [this] { btnSelect_Click(); };
}

void frmRestore::btnSelect_Click() {
    std::string defaultExt = "*.*";
    text1.SetCaption(platform::MFile(services_).ShowOpenDialog("Open", "Backup files BAK|*.BAK", defaultExt));
}

void frmRestore::cmdNext_Click() {
    const int pressedOn = CurrentStep;
    switch (pressedOn) {
        case 0: SetButtons(false, true, false, true); break;
        case 1: SetButtons(true, true, false, true); break;
        case 2:
        case 3: SetButtons(false, true, false, false); break;
        case 4: SetButtons(false, false, true, false); break;
        default: break;
    }
    CurrentStep += 1;
    if (pressedOn == 1 && !CheckBackupFile()) {
        CurrentStep = 1;
        return;
    }
    if (CurrentStep >= LastStep()) CurrentStep = LastStep();
    SetStep(CurrentStep - 1, CurrentStep);
    fraSteps[CurrentStep].BringToTop();
    if (CurrentStep == 2) RunRestore();
    // Folders and files are not part of the backup yet: those pages have
    // nothing to wait for, so the user can go on.
    if (CurrentStep == 3 || CurrentStep == 4) cmdNext.SetEnabled(true);
}

void frmRestore::cmdBack_Click() {
    switch (CurrentStep) {
        case 1: SetButtons(false, true, false, true); break;
        case 2: SetButtons(true, true, false, true); break;
        case 3:
        case 4: SetButtons(false, true, false, false); break;
        default: break;
    }
    if (CurrentStep <= 0) return;
    CurrentStep -= 1;
    SetStep(CurrentStep + 1, CurrentStep);
    fraSteps[CurrentStep].BringToTop();
}

void frmRestore::cmdFinish_Click() { Unload(); }

void frmRestore::RunRestore() { engine::clsRestore().Restore(); }

bool frmRestore::CheckBackupFile() {
    const std::string file = text1.Caption();
    auto refuse = [&](const char* text, bool clear) {
        GetHost().MsgBox(text, forms::vbOKOnly, services_.title);
        if (clear) text1.SetCaption("");
        return false;
    };
    if (file.empty()) return refuse("Please select a file", false);
    if (!platform::clsFileSystem(services_).FileExist(file))
        return refuse("File does not exist,Please select a file", true);
    if (Lower(platform::clsFileSystem::GetFileExtension(file)) != "bak")
        return refuse("Please select a file that has the .BAK extension", true);
    platform::MIni ini(services_);
    if (ini.ReadIniString(file, "Backup", "Version") != "WP12")
        return refuse("This is Not a WordPefect 12 backup, please select a WordPerfect 12 backup", false);
    BackupLocation = ini.ReadIniString(file, "Backup", "Backup_Location");
    return true;
}

}  // namespace wizards
