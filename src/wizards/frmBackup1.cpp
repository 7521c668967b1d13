#include "wizards/frmBackup1.h"

namespace wizards {

frmBackup1::frmBackup1(const WizardEnv& env)
    : ComponentReset(env, {"frmBackup1",
                           nullptr,
                           "Select the following components of Word to reset:",
                           true,
                           {true, true, true, true, true, true},
                           {"MS Word has been fixed.", true, true, true}}) {}

}  // namespace wizards
