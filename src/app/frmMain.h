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
    C Image3;  // the menu's picture
    C Label2;  // the bold welcome heading
    C Label3;  // the Word versions it is for
    C Label5;  // "I would like to:" above the choices
    C Frame2;  // the frame of the four choices
    C optDefault;
    C optRename;
    C OptReset;  // the reset-to-initial-install wizard
    C optAdvanced;  // the advanced menu
    C Label4;  // the link to the maker's home page
    C btnSettings;
    C btnHelp;
    C Command4;  // Start
    C Command3;  // Cancel

private:
    Context& ctx_;
};

}  // namespace app
