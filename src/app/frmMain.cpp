#include "app/frmMain.h"

#include "app/Context.h"
#include "forms/Colors.h"
#include "forms/Grid.h"
#include "platform/WebPages.h"
#include "app/frmOptions.h"

namespace app {

namespace {
using namespace forms::grid;
constexpr int kWidth = 440;
constexpr int kInner = kWidth - 2 * kMargin;
constexpr int kPicture = 48;
constexpr int kTextLeft = kMargin + kPicture + kMargin;
constexpr int kChoicesTop = 91;
constexpr int kFrameHeight = kFrameTop + 3 * kOptionStep + kLine + kMargin;
constexpr int kOptionWidth = kInner - 2 * kFrameInset;
constexpr int kLinkTop = kChoicesTop + kFrameHeight + 8;
constexpr int kButtonsTop = kLinkTop + kLine + kMargin;

constexpr forms::Rect OptionAt(int n) {
    return {kFrameInset, kFrameTop + n * kOptionStep, kOptionWidth, kLine};
}
}  // namespace

frmMain::frmMain(Context& ctx)
    : Form(ctx.Host(), "frmMain", "Quorvex", kWidth, kButtonsTop + kButtonHeight + kMargin),
      Image3(*this, "Image3", K::Image, {kMargin, kMargin, kPicture, kPicture}),
      Label2(*this, "Label2", K::Label, {kTextLeft, kMargin, kWidth - kTextLeft - kMargin, 26},
             "Welcome to Quorvex"),
      Label3(*this, "Label3", K::Label, {kTextLeft, 40, kWidth - kTextLeft - kMargin, 20},
             "For Word 2002 and Word XP"),
      Label5(*this, "Label5", K::Label, {kMargin, 70, kInner, kLine}, "  I would like to:"),
      Frame2(*this, "Frame2", K::Frame, {kMargin, kChoicesTop, kInner, kFrameHeight}, "Choices:"),
      optDefault(*this, "optDefault", K::Option, OptionAt(0), "&Analyze and Repair MS Word Automatically.", &Frame2),
      optRename(*this, "optRename", K::Option, OptionAt(1), "&Rename the Normal.Dot Template", &Frame2),
      OptReset(*this, "OptReset", K::Option, OptionAt(2), "R&eset MS Word to Initial Install", &Frame2),
      optAdvanced(*this, "optAdvanced", K::Option, OptionAt(3), "&Go to Advanced Features.", &Frame2),
      Label4(*this, "Label4", K::Link, {kMargin, kLinkTop, kInner, kLine}, platform::PageAddress(platform::Page::MakerHome)),
      btnSettings(*this, "btnSettings", K::Button, ButtonFromLeft(kButtonsTop, 0), "Se&ttings"),
      btnHelp(*this, "btnHelp", K::Button, Wide(ButtonFromLeft(kButtonsTop, 1)), "Online &Help"),
      Command4(*this, "Command4", K::Button, ButtonFromRight(kWidth, kButtonsTop, 1), "&Start"),
      Command3(*this, "Command3", K::Button, ButtonFromRight(kWidth, kButtonsTop, 0), "Cancel"),
      ctx_(ctx) {
    Image3.SetPicture(kMainPictureId);
    MakeHeading(Label2);
    Label3.SetFontGrow(kSubHeadingGrow);
    Label4.SetForeColor(forms::colors::kLinkBlue);
    Label4.SetUnderline(true);
    optDefault.SetValue(true);

    Command4.OnClick = [this] { Command4_Click(); };
    Command3.OnClick = [this] { Command3_Click(); };
    btnSettings.OnClick = [this] { btnSettings_Click(); };
    btnHelp.OnClick = [this] { btnHelp_Click(); };
    Label4.OnClick = [this] { Label4_Click(); };
    DefaultButton = &Command4;
    CancelButton = &Command3;
}

void frmMain::Command4_Click() {
    Hide();
    ctx_.Host().DoEvents();
    // Each test after the one before has returned, as the user may come
    // back to the menu from the advanced menu.
    auto run = [](const std::function<void()>& show) {
        if (show) show();
    };
    if (optDefault.Value()) run(ctx_.Dispatch.frmBackup);
    if (optAdvanced.Value()) run(ctx_.Dispatch.frmadvmenu);
    if (optRename.Value()) run(ctx_.Dispatch.frmRenameTemplate);
    if (OptReset.Value()) run(ctx_.Dispatch.frmReset);
    run(ctx_.Dispatch.frmPromotion);
    ctx_.Host().End();
}

void frmMain::Command3_Click() { ctx_.Host().End(); }

void frmMain::btnSettings_Click() { ctx_.frmOptions().ShowModal(); }

void frmMain::btnHelp_Click() { platform::OpenOnlineHelp(ctx_.Services(), GetHost().WindowOf(*this)); }

void frmMain::Label4_Click() {
    platform::OpenWebPage(ctx_.Services(), platform::Page::MakerHome, GetHost().WindowOf(*this));
}

void frmMain::OnFrameClose() { ctx_.Host().End(); }

}  // namespace app
