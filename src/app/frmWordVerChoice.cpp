#include "app/frmWordVerChoice.h"

#include "app/Context.h"
#include "forms/Grid.h"
#include "app/Settings.h"
#include "app/frmWdVersion.h"
#include "engine/WordVersions.h"

namespace app {

namespace {
using namespace forms::grid;
constexpr int kWidth = 420;
constexpr int kInner = kWidth - 2 * kMargin;
constexpr int kOptionLeft = kMargin + kFrameInset;
constexpr int kButtonsTop = 242;
}  // namespace

frmWordVerChoice::frmWordVerChoice(Context& ctx)
    : Form(ctx.Host(), "frmWordVerChoice", "Quorvex", kWidth, kButtonsTop + kButtonHeight + kMargin),
      lblFolderName(*this, "lblFolderName", K::Label, {kMargin, kMargin, kInner, 38},
                    "Choosing your version of MS Word installed on your computer"),
      Label1(*this, "Label1", K::Label, {kMargin, 55, kInner, 30},
             "Please select the version of Microsoft Word installed on your computer."),
      Label2(*this, "Label2", K::Label, {kMargin, 91, kInner, kLine},
             "I would like to use the following version of MS Word:"),
      optWd10(*this, "optWd10", K::Option, {kOptionLeft, 114, kInner - kFrameInset, kLine},
              "Word &10 (also known as Word2002)"),
      optXP(*this, "optXP", K::Option, {kOptionLeft, 114 + kOptionStep, kInner - kFrameInset, kLine},
            "Word &XP (also known as Word XP or Word 2003)"),
      optNotSure(*this, "optNotSure", K::Option, {kOptionLeft, 114 + 2 * kOptionStep, kInner - kFrameInset, kLine},
                 "&I'm not sure what version I have installed"),
      chkNoShow(*this, "chkNoShow", K::Check, {kMargin, 189, kInner, kLine}, "&Do not show this dialog again"),
      Label4(*this, "Label4", K::Label, {kMargin, 214, kInner, kLine},
             "Click Next to Continue or Cancel to exit Quorvex"),
      btnOK(*this, "btnOK", K::Button, ButtonFromRight(kWidth, kButtonsTop, 1), "&Next"),
      btnCancel(*this, "btnCancel", K::Button, ButtonFromRight(kWidth, kButtonsTop, 0), "Cancel"),
      ctx_(ctx) {
    MakeHeading(lblFolderName, kSubHeadingGrow);
    optNotSure.SetValue(true);
    btnOK.OnClick = [this] { btnOK_Click(); };
    btnCancel.OnClick = [this] { btnCancel_Click(); };
    DefaultButton = &btnOK;
    // Esc is not bound to Cancel: Cancel ends the whole program, too much
    // for a stray key.
    CancelButton = nullptr;
}

void frmWordVerChoice::btnOK_Click() {
    std::string& version = ctx_.CurrentWordVersion();
    if (optWd10.Value()) version = engine::kWord2002;
    if (optXP.Value()) version = engine::kWord2003;
    if (optNotSure.Value()) {
        ctx_.frmWdVersion().ShowModal();
        return;
    }
    Settings settings(ctx_.Api());
    settings.Save(kSectionSettings, kKeyWordVersion, version);
    settings.Save(kSectionSettings, kKeyDetectNoShow, chkNoShow.Value() ? "True" : "False");
    Hide();
}

void frmWordVerChoice::btnCancel_Click() { ctx_.Host().End(); }

}  // namespace app
