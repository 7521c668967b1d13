// The automatic analyze-and-repair wizard: finds out which of Word's five
// start-up components keeps Word from starting (Next on Step 2), then leaves
// exactly those disabled (Next on Step 3). Despite its name it is no backup
// form: the main menu's first choice opens it; frmBackup1 is the advanced
// component reset.
#pragma once

#include "engine/RepairPasses.h"
#include "wizards/WordWizard.h"

#include <string>

namespace wizards {

class frmBackup : public WordWizard {
public:
    explicit frmBackup(const WizardEnv& env);

    // Page 0.
    C lblHead;
    C lblWelcome1;
    C lblWelcome2;
    C lblWelcome3;
    C lblWelcome4;
    // Page 1.
    C lblChecking;
    C lblWordtype;
    C lblContinue1;
    // Page 2.
    C lblRegsrv;
    C lblReady;
    C lblStarting;
    C lblNext2;
    // Page 3: the analysis, top to bottom.
    C lblWorking;
    C lblTemplate;
    C lblData;
    C lblCOM;
    C lblAddin;
    C lblOptions;
    C lblNext3;
    // Page 4: the repair, top to bottom.
    C lbltemplateFixed;
    C lblDataFixed;
    C lblCOMFixed;
    C lblAddinsFixed;
    C lblOptionsFixed;
    C lblContinue4;

    // A component's result line on Step 3 (the analysis) or Step 4 (the
    // repair); the unattended run logs the same words.
    static std::string ResultText(engine::Pass pass, engine::RunRecord::Part part, engine::Verdict verdict,
                                  const std::string& failureLine);

protected:
    bool StepWork(int step) override;
    C& WordTypeLabel() override { return lblWordtype; }

private:
    bool AnalysisPass();
    bool RepairPass();

    // How the repair's start test went with all COM add-ins, all Startup add-ins on.
    std::optional<bool> comStarted_;
    std::optional<bool> addinsStarted_;
};

}  // namespace wizards
