// The restore wizard: restores customized settings from a backup file the
// user picks (an INI-format ".BAK" file whose "Backup" section names its
// version and folder). Nothing in the program opens it yet.
#pragma once

#include "platform/Services.h"
#include "wizards/WizardFrame.h"

#include <string>

namespace wizards {

class frmRestore : public WizardFrame {
public:
    frmRestore(const platform::Services& services, forms::Host& host);

    void cmdNext_Click() override;
    void cmdBack_Click() override;
    // Only closes the window.
    void cmdFinish_Click() override;
    void btnSelect_Click();

    // Page 0.
    C lblTitle;
    C lblIntro;
    // Page 1.
    C lblChoose;
    C text1;  // the backup file's path
    C btnSelect;
    // Pages 2-4.
    C lblSettings;
    C lblFolders;
    C lblFiles;
    // Page 5.
    C lblCongrats;
    C lblFinishTitle;
    C lblRestored;
    C lblClose;

    // The backup's "Backup_Location", read once the file passed its checks.
    std::string BackupLocation;

protected:
    // Runs the restore on the way to Step 2.
    virtual void RunRestore();

private:
    // Tells the user what is wrong with the chosen file; true when it is a
    // usable backup.
    bool CheckBackupFile();

    platform::Services services_;
};

}  // namespace wizards
