// The advanced component reset (the advanced menu's first choice; frmBackup,
// despite the like name, is the automatic repair): the user ticks what to
// reset. Opened without waiting by the advanced menu, so it ends the program
// itself on Finish as on Cancel.
#pragma once

#include "wizards/ComponentReset.h"

namespace wizards {

class frmBackup1 : public ComponentReset {
public:
    explicit frmBackup1(const WizardEnv& env);
};

}  // namespace wizards
