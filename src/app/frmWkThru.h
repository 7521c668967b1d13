// The walk-through offer, shown over the main menu at start-up until the
// user asks not to see it again.
#pragma once

#include "forms/Control.h"
#include "forms/Form.h"

namespace app {

class Context;

class frmWkThru : public forms::Form {
public:
    explicit frmWkThru(Context& ctx);

    // With the box ticked only remembers that; otherwise closes the offer
    // and opens the walk-through page.
    void cmdView_Click();

    using C = forms::Control;
    using K = forms::ControlKind;
    C Frame1;  // the "Important!" frame around the texts
    C Label1[2];  // two labels of one name: 0 above, 1 below
    C chkNoShow;
    C cmdView;
    C Command2;  // Cancel

private:
    Context& ctx_;
};

}  // namespace app
