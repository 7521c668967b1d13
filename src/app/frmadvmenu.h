// The advanced menu: the component-reset wizard with the user's own choice of
// components, Word started in safe mode, or the undo of an earlier run.
#pragma once

#include "engine/clsBackup.h"
#include "forms/Control.h"
#include "forms/Form.h"

#include <string>

namespace app {

class Context;

class frmadvmenu : public forms::Form, public engine::LaunchOptions {
public:
    explicit frmadvmenu(Context& ctx);

    // For the main menu's Start: shows the menu modally and, when OK opened
    // the component-reset wizard, keeps waiting until that wizard is gone,
    // so that nothing Start shows next can cover it.
    void RunFromStart();

    // Checks that Word is where the program was told it is, then starts it
    // in safe mode as the options say; ends the program when it is not.
    void LaunchWd();

    void btnOK_Click();
    void btnCancel_Click();
    void Command1_Click();
    void OnFrameClose() override { btnCancel_Click(); }

    bool optLaunchSelected() const override { return optLaunch.Value(); }
    bool optLaunchSMSelected() const override { return optLaunchSM.Value(); }

    using C = forms::Control;
    using K = forms::ControlKind;
    C Label1;  // "I would like to:" above the choices
    C Frame1;  // the frame of the four choices
    C optReset;  // the advanced component reset (frmBackup1)
    C optLaunch;  // Word in safe mode
    C optLaunchSM;  // Word in safe mode, with the support tool
    C optUndo;  // the undo wizard (frmUndo)
    C Command1;  // Online Help
    C btnOK;
    C btnCancel;

private:
    void Tell(const std::string& text);
    // Says Word was not found and ends the program.
    void EndWordNotFound();

    Context& ctx_;
    // The wizard OK opened since the menu was last shown from Start.
    forms::Form* wizard_ = nullptr;
};

}  // namespace app
