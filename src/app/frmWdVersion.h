// The version help dialog: how to find out which Word is installed.
#pragma once

#include "forms/Control.h"
#include "forms/Form.h"

namespace app {

class Context;

class frmWdVersion : public forms::Form {
public:
    explicit frmWdVersion(Context& ctx);

    using C = forms::Control;
    using K = forms::ControlKind;
    C lblFolderName;  // the heading (no folder in it)
    C Label1;  // Label1 to Label3: the three ways to find out
    C Label2;
    C Label3;
    C Label4;  // how to go back
    C btnOK;  // Close
};

}  // namespace app
