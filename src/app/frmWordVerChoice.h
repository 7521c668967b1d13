// The version choice dialog: which Word the run works on, and whether to ask
// again at the next start.
#pragma once

#include "app/Startup.h"
#include "forms/Control.h"
#include "forms/Form.h"

#include <string>
#include <vector>

namespace app {

class Context;

class frmWordVerChoice : public forms::Form {
public:
    explicit frmWordVerChoice(Context& ctx);

    // Sets the version, stores the choice and hides the dialog; with "not
    // sure" selected only shows the version help.
    void btnOK_Click();
    // Ends the program, wherever the dialog was opened from.
    void btnCancel_Click();

    // The option of a version key; null when the dialog has none for it.
    forms::Control* OptionOf(const std::string& version);
    // The Word 2007 or later versions found when the dialog was made.
    const std::vector<InstalledWord> newerWords;

    using C = forms::Control;
    using K = forms::ControlKind;
    C lblFolderName;  // the heading (no folder in it)
    C Label1;  // what to do
    C Label2;  // above the options
    C optWd10;
    C optXP;  // Word 2003
    // One per newer Word found, or one "Word 2007 or later" when none is.
    forms::ControlArray optNewer;
    C optNotSure;
    C chkNoShow;
    C Label4;  // the prompt above the buttons
    C btnOK;  // Next
    C btnCancel;

private:
    Context& ctx_;
};

}  // namespace app
