#include "app/frmWdVersion.h"

#include "app/Context.h"
#include "forms/Grid.h"

namespace app {

namespace {
using namespace forms::grid;
constexpr int kWidth = 400;
constexpr int kInner = kWidth - 2 * kMargin;
constexpr int kStep = 34;  // room for two lines per hint
constexpr int kHintsTop = 55;
constexpr int kButtonsTop = kHintsTop + 3 * kStep + kLine + kMargin;
}  // namespace

frmWdVersion::frmWdVersion(Context& ctx)
    : Form(ctx.Host(), "frmWdVersion", "", kWidth, kButtonsTop + kButtonHeight + kMargin),
      lblFolderName(*this, "lblFolderName", K::Label, {kMargin, kMargin, kInner, 38},
                    "Determining your version of MS Word installed on your computer"),
      Label1(*this, "Label1", K::Label, {kMargin, kHintsTop, kInner, 30},
             "1. Open Word and click on Help|About Microsoft Word and look for for the version."),
      Label2(*this, "Label2", K::Label, {kMargin, kHintsTop + kStep, kInner, 30},
             "2. Look on the top of the  Microsoft Office CD for the version."),
      Label3(*this, "Label3", K::Label, {kMargin, kHintsTop + 2 * kStep, kInner, 30},
             "3. Check and documents or help manuals that came with Word"),
      Label4(*this, "Label4", K::Label, {kMargin, kHintsTop + 3 * kStep, kInner, kLine},
             "Click Close to return to previous window."),
      btnOK(*this, "btnOK", K::Button, ButtonFromRight(kWidth, kButtonsTop, 0), "&Close") {
    MakeHeading(lblFolderName, kSubHeadingGrow);
    btnOK.OnClick = [this] { Hide(); };
    DefaultButton = &btnOK;
    CancelButton = &btnOK;
}

}  // namespace app
