#include "wizards/frmRenameTemplate.h"

namespace wizards {

frmRenameTemplate::frmRenameTemplate(const WizardEnv& env)
    : ComponentReset(env, {"frmRenameTemplate",
                           "Renaming the Normal.Dot Template",
                           "Ready to rename the Normal.Dot template",
                           false,
                           {false, true, false, false, false, false},
                           {"MS Word has been fixed.", false, false, false}}) {}

}  // namespace wizards
