// The main menu: the user picks one of four ways of working and presses
// Start; one run performs at most one Start.
#pragma once

#include "forms/Control.h"
#include "forms/Form.h"

namespace app {

class Context;

// The main menu's picture, from the program's resources.
inline constexpr int kMainPictureId = 101;

class frmMain : public forms::Form {
public:
    explicit frmMain(Context& ctx);

    // Hides the menu, runs the chosen way of working, then the closing form,
    // and ends the program.
    void Command4_Click();
    void Command3_Click();
    void btnSettings_Click();
    void btnHelp_Click();
    void Label4_Click();
    // Closing the menu through its frame ends the program as Cancel does:
    // nothing else would, with the hidden dialogs still loaded.
    void OnFrameClose() override;

    using C = forms::Control;
    using K = forms::ControlKind;
    C Image3;
    C Label2;
    C Label3;
    C Label5;
    C Frame2;
    C optDefault;
    C optRename;
    C OptReset;
    C optAdvanced;
    C Label4;
    C btnSettings;
    C btnHelp;
    C Command4;
    C Command3;

private:
    Context& ctx_;
};

}  // namespace app
