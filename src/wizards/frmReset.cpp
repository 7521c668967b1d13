#include "wizards/frmReset.h"

namespace wizards {

frmReset::frmReset(const WizardEnv& env)
    : ComponentReset(env, {"frmReset",
                           "Resetting MS Word to it's initial install",
                           "Ready to reset MS Word to it's initial install",
                           false,
                           {false, true, true, true, true, true},
                           {"MS Word has been fixed.", false, false, false}}) {}

}  // namespace wizards
