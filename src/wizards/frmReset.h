// Reset-to-initial-install: every component reset, Word not re-registered,
// the choice hidden from the user.
#pragma once

#include "wizards/ComponentReset.h"

namespace wizards {

class frmReset : public ComponentReset {
public:
    explicit frmReset(const WizardEnv& env);
};

}  // namespace wizards
