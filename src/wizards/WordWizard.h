// What the four Word wizards add to the frame: the Online Help button, the
// finish page with its three closing choices, the common work of the welcome,
// Step 1 and Step 4 pages, and the choice of the Word version profile.
#pragma once

#include "engine/RunRecord.h"
#include "engine/clsWD.h"
#include "wizards/WizardEnv.h"
#include "wizards/WizardFrame.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace wizards {

// Shown when a pass is about to start and still no supported Word version is
// chosen.
inline constexpr const char* kChooseVersionText = "Please choose the version of Word to repair before you go on.";
// The registration line when Word is a Click-to-Run one, which has no /u and /r runs.
inline constexpr const char* kRegistrationSkipped =
    "Word's system components were not registered again: Office repairs a Click-to-Run Word itself.";

class WordWizard : public WizardFrame {
public:
    // The wizard-specific work of the page shown, then on to the next page.
    void cmdNext_Click() override;
    // Opens the chosen page; then closes the wizard, or ends the program
    // where the wizard says so.
    void cmdFinish_Click() override;
    void btnHelp_Click();
    void Form_Load() override;

    C btnHelp;
    C lblCongrats;
    C lblComplete;
    C lblFixed;
    C optHomePage;
    C optClose;
    C optHowTo;
    // Page 4, below the results: what the search of the add-ins found.
    C lblAddinsFound;

protected:
    struct Finish {
        const char* fixedText;  // the finish page's third line
        bool optionsShown;
        bool howToSelected;     // else optClose
        bool endsProgram;       // else the window closes
    };
    WordWizard(const WizardEnv& env, std::string name, std::string caption, const Finish& finish);

    // The work of Next on a page; false keeps the wizard on that page.
    virtual bool StepWork(int step) = 0;
    // Step 1's line that names the Word version found.
    virtual C& WordTypeLabel() = 0;

    bool WelcomeWork();
    bool Step1Work();
    bool Step4Work();
    // Makes a new profile for CurrentWordVersion the current one. With no
    // supported version, asks for one; if still none, says so and returns
    // null: the caller stays on its page.
    std::shared_ptr<engine::clsWD> SelectProfile();
    // The start of the work that changes Word: only Cancel enabled, the
    // yields given, then SelectProfile. With no profile the buttons are put
    // back as they were and null comes back.
    std::shared_ptr<engine::clsWD> BeginWork(int yields);

    // What a pass learnt of one part's add-ins (COM or Addins): whether Word
    // started with all of them on; nothing when it did not try.
    struct AddinPart {
        engine::RunRecord::Part part;
        std::optional<bool> allStarted;
    };
    // Once per wizard, after a pass that left more than one add-in of a part
    // off: asks whether to find the ones that stop Word and, on Yes, turns
    // every other one back on and says on page 4 which are off and which on
    // again. True when it searched: the result is shown before the finish.
    bool OfferAddinSearch(const std::vector<AddinPart>& parts);
    // The text with each "Normal.dot" (any case) naming the global template
    // of a newer Word chosen ("Normal.dotm"); as it is for 2002 and 2003.
    std::string NameTemplate(std::string text) const;

    WizardEnv env_;

private:
    // The lines that name "Word 2002 or Word XP" or Normal.dot name a newer
    // Word chosen and its template instead, and their own text again for
    // 2002 and 2003.
    void NameWordVersion();

    bool endsProgram_;
    bool addinsOffered_ = false;
    std::map<std::string, std::string> documented_;
};

}  // namespace wizards
