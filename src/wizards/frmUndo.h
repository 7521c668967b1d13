// The undo wizard (the advanced menu's "Undo a repair"): puts back, as they
// were before it, the components an earlier run changed. The welcome page
// names the run and where its backups are, and offers the last ten runs;
// Step 1 ticks the components, Step 2 does the work, Step 3 tells each
// result. What is there now is kept first, so an undo can be undone in turn.
#pragma once

#include "engine/Journal.h"
#include "engine/Program.h"
#include "engine/PutBack.h"
#include "wizards/WizardFrame.h"

#include <vector>

namespace wizards {

class frmUndo : public WizardFrame {
public:
    frmUndo(engine::Program& program, forms::Host& host);

    // Reads the runs that can be undone; when there is none, says so and
    // returns false: the wizard is then not to be shown.
    bool Prepare();
    // Offers runs (sound ones that changed something, newest first); false
    // when there are none.
    bool Offer(std::vector<engine::JournalRun> runs);

    void cmdNext_Click() override;
    void cmdFinish_Click() override;

    // Page 0.
    C lblHead;
    C lblRun;
    C lblBackups;
    C lblOlder;
    forms::ControlArray optRuns;  // the last ten runs, newest first
    C lblBegin;
    // Page 1.
    C lblSelect;
    forms::ControlArray chkParts;  // one per component the run changed
    C lblContinue1;
    // Page 2.
    C lblReady;
    C lblWorking;
    C lblNext2;
    // Page 3.
    C lblResults;
    forms::ControlArray lblPartResults;
    C lblContinue3;
    // Page 5.
    C lblCongrats;
    C lblDone;

private:
    void Choose(size_t run);
    void Work();

    engine::Program& program_;
    std::vector<engine::JournalRun> runs_;
    size_t chosen_ = 0;
    std::vector<engine::Component> parts_;
};

}  // namespace wizards
