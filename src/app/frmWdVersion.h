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
    C lblFolderName;
    C Label1;
    C Label2;
    C Label3;
    C Label4;
    C btnOK;
};

}  // namespace app
