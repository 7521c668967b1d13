#include "app/frmOptions.h"

#include "app/Context.h"
#include "forms/Grid.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "app/frmWordVerChoice.h"

namespace app {

namespace {
using namespace forms::grid;
constexpr int kWidth = 300;
constexpr int kChangeTop = 42;
constexpr int kButtonsTop = kChangeTop + kButtonHeight + 2 * kMargin;
}  // namespace

frmOptions::frmOptions(Context& ctx)
    : Form(ctx.Host(), "frmOptions", "Options", kWidth, kButtonsTop + kButtonHeight + kMargin),
      Label2(*this, "Label2", K::Label, {kMargin, kMargin, kWidth - 2 * kMargin, 22}, "Options:"),
      Label1(*this, "Label1", K::Label,
             {kMargin, kChangeTop + 3, kWidth - 3 * kMargin - kButtonWidth, kLine}, "Change the version of Word"),
      btnChangeVersion(*this, "btnChangeVersion", K::Button, ButtonFromRight(kWidth, kChangeTop, 0), "&Change"),
      btnOK(*this, "btnOK", K::Button, ButtonFromRight(kWidth, kButtonsTop, 0), "OK"),
      ctx_(ctx) {
    MakeHeading(Label2, kSubHeadingGrow);
    btnChangeVersion.OnClick = [this] { btnChangeVersion_Click(); };
    btnOK.OnClick = [this] { Hide(); };
    DefaultButton = &btnOK;
    CancelButton = &btnOK;
}

void frmOptions::btnChangeVersion_Click() {
    LoadStoredWordVersion(ctx_);
    Settings settings(ctx_.Api());
    ctx_.frmWordVerChoice().chkNoShow.SetValue(settings.Get(kSectionSettings, kKeyDetectNoShow, kSettingDefault) !=
                                               "False");
    ctx_.Host().DoEvents();
    ctx_.frmWordVerChoice().ShowModal();
}

}  // namespace app
