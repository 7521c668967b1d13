#include "app/frmPromotion.h"

#include "app/Context.h"
#include "forms/Colors.h"
#include "forms/Grid.h"
#include "platform/WebPages.h"

namespace app {

namespace {
using namespace forms::grid;
constexpr int kWidth = 400;
constexpr int kInner = kWidth - 2 * kMargin;
constexpr int kHeadingHeight = 26;
constexpr int kTextHeight = 30;  // two lines
constexpr int kText1Top = kMargin + kHeadingHeight + 8;
constexpr int kText2Top = kText1Top + kTextHeight + 6;
constexpr int kLinkTop = kText2Top + kTextHeight + 8;
constexpr int kButtonsTop = kLinkTop + kLine + kMargin;
// Pills: their rounded ends leave the caption less room than a plain button's.
constexpr int kCandyWidth = kWideButtonWidth;
constexpr forms::Rect CandyAt(int left) { return {left, kButtonsTop, kCandyWidth, kButtonHeight}; }

// The closing form's buttons are candy: blue pills with white captions.
controls::PropertyBag Candy(const char* caption) {
    return {{"Caption", std::string(caption)},
            {"ColorScheme", int64_t{1}},
            {"Style", int64_t{2}},
            {"ForeColor", int64_t{0xFFFFFF}},
            {"DisplayHand", true}};
}
}  // namespace

frmPromotion::frmPromotion(Context& ctx)
    : Form(ctx.Host(), "frmPromotion", "Quorvex", kWidth, kButtonsTop + kButtonHeight + kMargin),
      lblHeading(*this, "lblHeading", K::Label, {kMargin, kMargin, kInner, kHeadingHeight}, "Try Quorvex Plus"),
      lblText1(*this, "lblText1", K::Label, {kMargin, kText1Top, kInner, kTextHeight},
               "Quorvex Plus keeps a copy of Word's templates, add-ins and settings while Word still works."),
      lblText2(*this, "lblText2", K::Label, {kMargin, kText2Top, kInner, kTextHeight},
               "When Word stops starting, one click puts your own working copy back."),
      lblLink(*this, "lblLink", K::Link, {kMargin, kLinkTop, kInner, kLine},
              platform::PageAddress(platform::Page::PromotionHome)),
      cmdLearnMore(*this, "cmdLearnMore", CandyAt(kMargin), Candy("&Learn more")),
      cmdOrder(*this, "cmdOrder", CandyAt(kMargin + kCandyWidth + kButtonGap), Candy("&Order")),
      cmdClose(*this, "cmdClose", CandyAt(kWidth - kMargin - kCandyWidth), Candy("&Close")),
      ctx_(ctx) {
    MakeHeading(lblHeading);
    lblLink.SetForeColor(forms::colors::kLinkBlue);
    lblLink.SetUnderline(true);
    cmdLearnMore.OnClick = [this] { cmdLearnMore_Click(); };
    cmdOrder.OnClick = [this] { cmdOrder_Click(); };
    cmdClose.OnClick = [this] { cmdClose_Click(); };
    lblLink.OnClick = [this] { cmdLearnMore_Click(); };
    DefaultButton = &cmdClose;
    CancelButton = &cmdClose;
}

void frmPromotion::cmdLearnMore_Click() {
    platform::OpenWebPage(ctx_.Services(), platform::Page::PromotionHome, GetHost().WindowOf(*this));
}

void frmPromotion::cmdOrder_Click() {
    platform::OpenWebPage(ctx_.Services(), platform::Page::PromotionOrder, GetHost().WindowOf(*this));
}

void frmPromotion::cmdClose_Click() {
    ctx_.Host().MsgBox("Thank you for using Quorvex", forms::vbOKOnly, ctx_.Title());
    ctx_.Host().End();
}

}  // namespace app
