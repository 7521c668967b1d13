// The options dialog: its one option is changing the Word version.
#pragma once

#include "forms/Control.h"
#include "forms/Form.h"

namespace app {

class Context;

class frmOptions : public forms::Form {
public:
    explicit frmOptions(Context& ctx);

    // Sets the version from the store again and opens the version choice
    // dialog with the stored choice preset.
    void btnChangeVersion_Click();

    using C = forms::Control;
    using K = forms::ControlKind;
    C Label2;  // the heading
    C Label1;  // what Change does
    C btnChangeVersion;
    C btnOK;

private:
    Context& ctx_;
};

}  // namespace app
