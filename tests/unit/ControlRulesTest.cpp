// The rules that map the model onto child windows and decide what a user can
// reach, without any window.
#include "forms/ControlRules.h"
#include "forms/Form.h"
#include "forms/ScriptedHost.h"

#include <gtest/gtest.h>

namespace {

using forms::Control;
using forms::ControlKind;

TEST(ControlRules, ScalingRoundsEachEdgeSoThatNeighboursStayFlush) {
    struct Case {
        int value, dpi, expected;
    } cases[] = {{0, 144, 0}, {13, 96, 13}, {13, 144, 20}, {-13, 144, -20}, {7, 120, 9}, {1, 168, 2}, {100, 192, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " at " + std::to_string(c.dpi));
        EXPECT_EQ(c.expected, forms::Scale(c.value, c.dpi));
    }
    forms::ScriptedHost host;
    forms::Form form(host, "frm", "", 100, 100);
    Control frame(form, "fra", ControlKind::Frame, {5, 7, 90, 90});
    Control left(form, "a", ControlKind::Label, {1, 1, 13, 13}, "", &frame);
    Control right(form, "b", ControlKind::Label, {14, 1, 13, 13}, "", &frame);
    for (int dpi : {96, 120, 144, 168}) {
        SCOPED_TRACE(dpi);
        EXPECT_EQ(forms::ScaledBounds(left, dpi).right, forms::ScaledBounds(right, dpi).left);
        EXPECT_EQ(forms::Scale(6, dpi), forms::ScaledBounds(left, dpi).left) << "container's offset added";
    }
}

TEST(ControlRules, AccessKeysAreAnAmpersandBeforeALetterOrDigit) {
    struct Case {
        const char* caption;
        bool key;
    } cases[] = {{"&Next >", true}, {"Tom & Jerry", false}, {"A&&B", false}, {"&&&Go", true},
                 {"End&", false},   {"", false},             {"Step &1", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(c.key, forms::HasAccessKey(c.caption));
    }
}

TEST(ControlRules, OptionsFormKeyboardGroupsByRunAndContainer) {
    forms::ScriptedHost host;
    forms::Form form(host, "frm", "", 100, 100);
    Control frame(form, "fra", ControlKind::Frame, {0, 0, 50, 50}, "Group");
    Control first(form, "opt1", ControlKind::Option, {}, "", &frame);
    Control second(form, "opt2", ControlKind::Option, {}, "", &frame);
    Control outside(form, "opt3", ControlKind::Option, {});
    Control check(form, "chk", ControlKind::Check, {});
    Control late(form, "opt4", ControlKind::Option, {}, "", &frame);  // same container, after a check box
    Control label(form, "lbl", ControlKind::Label, {});

    const bool groups[] = {true, true, false, true, true, true, true};
    for (std::size_t i = 0; i < form.Controls().size(); ++i) {
        SCOPED_TRACE(form.Controls()[i]->Name());
        EXPECT_EQ(groups[i], forms::StartsGroup(form, i));
    }
    struct Case {
        const char* what;
        Control* select;
        bool tabStops[7];
    } cases[] = {
        {"nothing chosen: the first of each run", nullptr, {false, true, false, true, true, true, false}},
        {"the chosen option", &second, {false, false, true, true, true, true, false}},
        {"chosen in another run of the container", &late, {false, true, false, true, true, true, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.select != nullptr) c.select->SetValue(true);
        for (std::size_t i = 0; i < form.Controls().size(); ++i)
            EXPECT_EQ(c.tabStops[i], forms::IsTabStop(form, i)) << form.Controls()[i]->Name();
    }
}

TEST(ControlRules, OnlyFramesOfOneContainerAtOnePlaceCoverEachOther) {
    forms::ScriptedHost host;
    forms::Form form(host, "frm", "", 300, 300);
    Control outer(form, "outer", ControlKind::Frame, {0, 0, 200, 200});
    Control low(form, "low", ControlKind::Frame, {10, 10, 100, 100}, "", &outer);
    Control high(form, "high", ControlKind::Frame, {10, 10, 100, 100}, "", &outer);
    Control other(form, "other", ControlKind::Frame, {10, 10, 100, 100});  // the form's, not outer's
    Control moved(form, "moved", ControlKind::Frame, {10, 10, 100, 101}, "", &outer);
    Control label(form, "lbl", ControlKind::Label, {10, 10, 100, 100}, "", &outer);
    Control inLow(form, "inLow", ControlKind::Label, {1, 1, 10, 10}, "", &low);

    EXPECT_TRUE(forms::IsCovered(low));
    EXPECT_FALSE(forms::IsCovered(high));
    EXPECT_FALSE(forms::IsCovered(other));
    EXPECT_FALSE(forms::IsCovered(moved));
    EXPECT_FALSE(forms::IsCovered(label)) << "only frames stack";
    EXPECT_FALSE(forms::IsOnScreen(inLow)) << "what a covered frame holds is covered too";
    low.BringToTop();
    EXPECT_TRUE(forms::IsOnScreen(inLow));
    EXPECT_TRUE(forms::IsCovered(high));
    outer.SetEnabled(false);
    EXPECT_FALSE(forms::IsUsable(inLow));
    EXPECT_TRUE(inLow.Enabled()) << "the model keeps the control's own flag";
}

TEST(ControlRules, IdentifiersFollowCreationOrder) {
    forms::ScriptedHost host;
    forms::Form form(host, "frm", "", 100, 100);
    Control a(form, "a", ControlKind::Label, {});
    Control b(form, "b", ControlKind::Button, {});
    EXPECT_EQ(forms::kFirstControlId + 1, forms::ControlId(b));
    EXPECT_EQ(&a, forms::ControlById(form, forms::kFirstControlId));
    EXPECT_EQ(&b, forms::ControlById(form, forms::kFirstControlId + 1));
    EXPECT_EQ(nullptr, forms::ControlById(form, forms::kFirstControlId + 2));
    EXPECT_EQ(nullptr, forms::ControlById(form, 2)) << "IDCANCEL is no control";
}

}  // namespace
