// The component-reset wizard: backs up Word's registry components and resets
// the components whose check boxes on the Step 1 page are ticked (Next on
// Step 2). frmReset, frmRenameTemplate and frmBackup1 are this flow with
// their own presets and first two pages.
#pragma once

#include "wizards/WordWizard.h"

#include <string>

namespace wizards {

class ComponentReset : public WordWizard {
public:
    // Page 0.
    C lblHead;
    C lblWelcome;
    C lblWelcomeTask;  // hidden where a wizard has no third line
    C lblBegin;
    // Page 1.
    C lblChecking;
    C lblWordtype;
    C lblSelect;
    C chkRefresh;
    C chkNormalDot;
    C chkData;
    C chkOptions;
    C chkAddins;
    C chkCOM;
    C lblContinue1;
    // Page 2.
    C lblReady;
    C lblRegsrv;
    C lblStarting;
    C lblNext2;
    // Page 3, top to bottom.
    C lblWorking;
    C lblTemplate;
    C lblData;
    C lblCOM;
    C lblAddin;
    C lblOptions;
    C lblContinue3;
    // Page 4, top to bottom.
    C lblResults;
    C lbltemplateFixed;
    C lblDataFixed;
    C lblCOMFixed;
    C lblAddinsFixed;
    C lblOptionsFixed;
    C lblContinue4;

protected:
    struct Preset {
        const char* name;
        const char* welcomeTask;  // null: no third line on the welcome page
        const char* selectHeading;
        bool boxesShown;
        // chkRefresh, chkNormalDot, chkData, chkOptions, chkAddins, chkCOM
        bool checked[6];
        Finish finish;
    };
    ComponentReset(const WizardEnv& env, const Preset& preset);

    bool StepWork(int step) override;
    C& WordTypeLabel() override { return lblWordtype; }

private:
    bool ResetWork();
    // After the reset, the search of the add-ins behind the same question
    // as in the automatic repair.
    bool SearchAddins();
    bool boxesShown_ = false;
};

}  // namespace wizards
