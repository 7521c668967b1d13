// The closing form shown after every Start: it tells about Quorvex Plus and
// opens its pages.
#pragma once

#include "controls/CandyButton.h"
#include "forms/Control.h"
#include "forms/Form.h"

namespace app {

class Context;

class frmPromotion : public forms::Form {
public:
    explicit frmPromotion(Context& ctx);

    void cmdLearnMore_Click();
    void cmdOrder_Click();
    // Says goodbye and ends the program.
    void cmdClose_Click();

    using C = forms::Control;
    using K = forms::ControlKind;
    C lblHeading;
    C lblText1;
    C lblText2;
    C lblLink;
    controls::CandyButton cmdLearnMore;
    controls::CandyButton cmdOrder;
    controls::CandyButton cmdClose;

private:
    Context& ctx_;
};

}  // namespace app
