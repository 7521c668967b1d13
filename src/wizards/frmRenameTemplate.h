// Rename-Normal.dot: only the global template goes aside; the registry
// components are still backed up.
#pragma once

#include "wizards/ComponentReset.h"

namespace wizards {

class frmRenameTemplate : public ComponentReset {
public:
    explicit frmRenameTemplate(const WizardEnv& env);
};

}  // namespace wizards
