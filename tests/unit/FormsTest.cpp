// The form model and the scripted host: what every form and wizard relies on.
#include "forms/Form.h"
#include "forms/ScriptedHost.h"

#include <gtest/gtest.h>

namespace {

using forms::Control;
using forms::ControlKind;
using forms::ScriptedHost;

class TwoGroups : public forms::Form {
public:
    explicit TwoGroups(forms::Host& host) : Form(host, "frmTwo", "Two", 300, 200) {
        cmdGo.OnClick = [this] { ++clicks; };
        cmdHide.OnClick = [this] { Hide(); };
    }
    void Form_Load() override { ++loads; }

    Control frame{*this, "Frame1", ControlKind::Frame, {0, 0, 100, 100}, "Group"};
    Control optA{*this, "optA", ControlKind::Option, {5, 5, 80, 20}, "A", &frame};
    Control optB{*this, "optB", ControlKind::Option, {5, 30, 80, 20}, "B", &frame};
    Control optOutside{*this, "optOutside", ControlKind::Option, {120, 5, 80, 20}, "C"};
    Control chk{*this, "chk", ControlKind::Check, {120, 30, 80, 20}, "Tick"};
    Control cmdGo{*this, "cmdGo", ControlKind::Button, {120, 60, 80, 24}, "&Go"};
    Control cmdHide{*this, "cmdHide", ControlKind::Button, {120, 90, 80, 24}, "Hide"};
    int clicks = 0;
    int loads = 0;
};

TEST(FormModel, OptionsExcludeEachOtherOnlyWithinTheirContainer) {
    ScriptedHost host;
    TwoGroups form(host);
    form.optA.SetValue(true);
    form.optOutside.SetValue(true);
    form.optB.DoClick();
    EXPECT_FALSE(form.optA.Value());
    EXPECT_TRUE(form.optB.Value());
    EXPECT_TRUE(form.optOutside.Value()) << "an option in another container must keep its state";
}

TEST(FormModel, ClicksReachOnlyEnabledShownControls) {
    ScriptedHost host;
    TwoGroups form(host);
    form.chk.DoClick();
    EXPECT_TRUE(form.chk.Value());
    form.chk.DoClick();
    EXPECT_FALSE(form.chk.Value());

    form.cmdGo.SetEnabled(false);
    form.cmdGo.DoClick();
    EXPECT_EQ(form.clicks, 0);
    form.cmdGo.SetEnabled(true);
    form.frame.SetVisible(false);
    EXPECT_FALSE(form.optA.IsShown()) << "a control in a hidden frame is hidden";
    form.optA.DoClick();
    EXPECT_FALSE(form.optA.Value());
    form.cmdGo.DoClick();
    EXPECT_EQ(form.clicks, 1);
}

TEST(FormModel, BringToTopOrdersStackedFrames) {
    ScriptedHost host;
    forms::Form form(host, "frmPages", "", 100, 100);
    forms::ControlArray pages;
    for (int i = 0; i < 3; ++i) pages.Add(form, "fraSteps", ControlKind::Frame, {0, 0, 100, 100});
    pages[2].BringToTop();
    pages[1].BringToTop();
    EXPECT_GT(pages[1].ZOrder(), pages[2].ZOrder());
    EXPECT_GT(pages[2].ZOrder(), pages[0].ZOrder());
    EXPECT_EQ(form.Find("fraSteps", 2), &pages[2]);
    EXPECT_EQ(form.Find("fraSteps"), nullptr) << "array members are found by index only";
}

TEST(FormSlot, CreatesOnFirstTouchAndAfreshAfterUnload) {
    ScriptedHost host;
    int made = 0;
    forms::FormSlot<TwoGroups> slot([&] {
        ++made;
        return std::make_unique<TwoGroups>(host);
    });
    EXPECT_EQ(slot.Peek(), nullptr);
    TwoGroups& first = slot.Get();
    first.optB.SetValue(true);
    EXPECT_EQ(first.loads, 1);
    first.Show();
    first.Hide();
    EXPECT_TRUE(slot.Get().optB.Value()) << "a hidden form keeps its controls' state";
    EXPECT_EQ(made, 1);

    first.Unload();
    EXPECT_EQ(slot.Peek(), nullptr);
    TwoGroups& second = slot.Get();
    EXPECT_NE(&second, &first);
    EXPECT_FALSE(second.optB.Value()) << "an unloaded form comes back in its creation state";
    EXPECT_EQ(made, 2);
}

TEST(ScriptedHost, ModalFormRunsTheScriptUntilHidden) {
    ScriptedHost host;
    TwoGroups form(host);
    host.ThenClick("frmTwo", "cmdGo");
    host.ThenClick("frmTwo", "cmdHide");
    form.ShowModal();
    EXPECT_EQ(form.clicks, 1);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(host.ActionsLeft(), 0u);
    EXPECT_TRUE(host.ModalStack().empty());
}

TEST(ScriptedHost, RefusesWhatNoUserCouldDo) {
    ScriptedHost host;
    TwoGroups behind(host);
    forms::Form dialog(host, "frmDialog", "Dialog", 100, 100);
    Control ok(dialog, "btnOK", ControlKind::Button, {0, 0, 50, 20}, "OK");
    ok.OnClick = [&] { dialog.Hide(); };
    behind.Show();

    host.ThenClick("frmTwo", "cmdGo");  // behind the modal dialog
    EXPECT_THROW(dialog.ShowModal(), forms::ScriptError);

    ScriptedHost host2;
    TwoGroups lone(host2);
    lone.Show();
    lone.cmdGo.SetEnabled(false);
    EXPECT_THROW(host2.Click("frmTwo", "cmdGo"), forms::ScriptError);
    EXPECT_THROW(host2.Click("frmNone", "cmdGo"), forms::ScriptError);
    lone.frame.SetEnabled(false);
    EXPECT_THROW(host2.Click("frmTwo", "optA"), forms::ScriptError) << "a disabled frame disables what it holds";
}

TEST(ScriptedHost, WaitingWithAnEmptyScriptIsAnError) {
    ScriptedHost host;
    TwoGroups form(host);
    EXPECT_THROW(form.ShowModal(), forms::ScriptError);
}

TEST(ScriptedHost, EndUnwindsAtAQueuedYieldAndNothingAfterRuns) {
    ScriptedHost host;
    int stepsDone = 0;
    host.AtYield(3, [&] { host.End(); });
    host.Run([&] {
        for (int i = 0; i < 10; ++i) {
            host.DoEvents();
            ++stepsDone;
        }
    });
    EXPECT_TRUE(host.Ended());
    EXPECT_EQ(stepsDone, 2);
    EXPECT_EQ(host.Yields(), 3);
}

TEST(ScriptedHost, MessageBoxesAreRecordedAndAnswered) {
    ScriptedHost host;
    host.QueueAnswer(forms::vbNo);
    EXPECT_EQ(host.MsgBox("Overwrite File?", forms::vbYesNo, "Quorvex"), forms::vbNo);
    EXPECT_EQ(host.MsgBox("Done", forms::vbOKOnly, "Quorvex"), forms::vbOK);
    ASSERT_EQ(host.Boxes().size(), 2u);
    EXPECT_EQ(host.Boxes()[0].text, "Overwrite File?");
    EXPECT_EQ(host.Boxes()[0].answer, forms::vbNo);
    EXPECT_EQ(host.Boxes()[1].caption, "Quorvex");
}

TEST(ScriptedHost, CloseByFrameUnloadsByDefault) {
    ScriptedHost host;
    forms::FormSlot<TwoGroups> slot([&] { return std::make_unique<TwoGroups>(host); });
    slot.Get().optA.SetValue(true);
    host.ThenCloseByFrame("frmTwo");
    slot.Get().ShowModal();
    EXPECT_EQ(slot.Peek(), nullptr);
    EXPECT_FALSE(slot.Get().optA.Value());
}

}  // namespace
