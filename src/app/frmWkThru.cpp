#include "app/frmWkThru.h"

#include "app/Context.h"
#include "forms/Grid.h"
#include "app/Settings.h"
#include "platform/WebPages.h"

namespace app {

namespace {
using namespace forms::grid;
constexpr int kWidth = 380;
constexpr int kInner = kWidth - 2 * kMargin;
constexpr int kFrameHeight = 116;
constexpr int kTextWidth = kInner - 2 * kFrameInset;
constexpr int kCheckTop = kMargin + kFrameHeight + kMargin;
constexpr int kButtonsTop = kCheckTop + kLine + kMargin;
}  // namespace

frmWkThru::frmWkThru(Context& ctx)
    : Form(ctx.Host(), "frmWkThru", "", kWidth, kButtonsTop + kButtonHeight + kMargin),
      Frame1(*this, "Frame1", K::Frame, {kMargin, kMargin, kInner, kFrameHeight}, "Important!"),
      Label1{C(*this, "Label1", K::Label, {kFrameInset, kFrameTop, kTextWidth, 32},
               "We recommend that you view a Word walk thru before using the Auto Analyze and Repair feature.",
               &Frame1, 0),
             C(*this, "Label1", K::Label, {kFrameInset, kFrameTop + 32 + 8, kTextWidth, 46},
               "To view the Auto Analyze and Repair feature walk thru click View to continue ( online connection "
               "required)",
               &Frame1, 1)},
      chkNoShow(*this, "chkNoShow", K::Check, {kMargin, kCheckTop, kInner, kLine}, "&Do not show this dialog again"),
      cmdView(*this, "cmdView", K::Button, ButtonFromRight(kWidth, kButtonsTop, 1), "&View"),
      Command2(*this, "Command2", K::Button, ButtonFromRight(kWidth, kButtonsTop, 0), "Cancel"),
      ctx_(ctx) {
    Frame1.SetBold(true);
    cmdView.OnClick = [this] { cmdView_Click(); };
    Command2.OnClick = [this] { Hide(); };
    DefaultButton = &cmdView;
    CancelButton = &Command2;
}

void frmWkThru::cmdView_Click() {
    if (chkNoShow.Value()) {
        Settings(ctx_.Api()).Save(kSectionWalkThru, kKeyWalkThru, "True");
        return;
    }
    // The window stays ours while hidden; it owns whatever the shell shows.
    os::WindowId owner = ctx_.Host().WindowOf(*this);
    Hide();
    platform::OpenWebPage(ctx_.Services(), platform::PageAddress(platform::Page::WalkThru), owner);
}

}  // namespace app
