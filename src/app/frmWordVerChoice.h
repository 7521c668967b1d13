// The version choice dialog: which Word the run works on, and whether to ask
// again at the next start.
#pragma once

#include "forms/Control.h"
#include "forms/Form.h"

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

    using C = forms::Control;
    using K = forms::ControlKind;
    C lblFolderName;  // the heading (no folder in it)
    C Label1;  // what to do
    C Label2;  // above the options
    C optWd10;
    C optXP;  // Word 2003
    C optNotSure;
    C chkNoShow;
    C Label4;  // the prompt above the buttons
    C btnOK;  // Next
    C btnCancel;

private:
    Context& ctx_;
};

}  // namespace app
