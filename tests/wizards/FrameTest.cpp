// The frame the five wizards share: pages, markers, buttons, the ways out,
// the version check before a pass, and a tidy layout.
#include "WizardWorld.h"
#include "support/TidyLayout.h"

#include "forms/Colors.h"
#include "platform/WebPages.h"
#include "wizards/frmBackup.h"
#include "wizards/frmBackup1.h"
#include "wizards/frmRenameTemplate.h"
#include "wizards/frmReset.h"

#include <gtest/gtest.h>

namespace {

using namespace wiztest;
using wizards::WizardFrame;

struct Kind {
    const char* name;
    std::function<WizardFrame&(World&)> open;
};
// The four Word wizards first, then the restore wizard.
const Kind kKinds[] = {
    {"frmBackup", [](World& w) -> WizardFrame& { return w.Open<wizards::frmBackup>(); }},
    {"frmReset", [](World& w) -> WizardFrame& { return w.Open<wizards::frmReset>(); }},
    {"frmRenameTemplate", [](World& w) -> WizardFrame& { return w.Open<wizards::frmRenameTemplate>(); }},
    {"frmBackup1", [](World& w) -> WizardFrame& { return w.Open<wizards::frmBackup1>(); }},
    {"frmRestore", [](World& w) -> WizardFrame& { return w.OpenRestore(); }},
};
constexpr int kWordKinds = 4;

// 'G' green, '.' grey, 'R' red, '?' anything else; then the bold captions.
std::string Markers(const WizardFrame& f) {
    std::string s;
    for (std::size_t i = 0; i < f.shpSteps.Count(); ++i) {
        using namespace forms::colors;
        const forms::Color c = f.shpSteps[i].FillColor();
        s += c == kGreen ? 'G' : c == kGrey ? '.' : c == kRed ? 'R' : '?';
    }
    s += ' ';
    for (std::size_t i = 0; i < f.lblSteps.Count(); ++i) s += f.lblSteps[i].Bold() ? 'b' : '_';
    return s;
}

// Markers when page p is on top and the finish page was never left.
std::string MarkersAt(int p) {
    std::string s = ".....R ______";
    s[static_cast<std::size_t>(p)] = 'G';
    s[7 + static_cast<std::size_t>(p)] = 'b';
    return s;
}

TEST(WizardFrame, OpensOnTheWelcomePage) {
    const struct {
        const char* caption;
        bool help;
    } expected[] = {{"Quorvex - Automatic Repair", true},
                    {"Quorvex - Advanced", true},
                    {"Quorvex - Advanced", true},
                    {"Quorvex - Advanced", true},
                    {"", false}};
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(kKinds[k].name);
        World w;
        WizardFrame& f = kKinds[k].open(w);
        EXPECT_EQ(f.Name(), kKinds[k].name);
        EXPECT_EQ(f.Caption(), expected[k].caption);
        EXPECT_EQ(f.CurrentStep, 0);
        EXPECT_EQ(TopPage(f), 0);
        EXPECT_EQ(Markers(f), "G....R b_____");
        Strings steps;
        for (std::size_t i = 0; i < f.lblSteps.Count(); ++i) steps.push_back(f.lblSteps[i].Caption());
        EXPECT_EQ(steps, (Strings{"Start", "Step 1", "Step 2", "Step 3", "Step 4", "Finish"}));
        EXPECT_EQ(Buttons(f), "-C-N");
        EXPECT_EQ(Captions({&f.cmdBack, &f.cmdNext, &f.cmdCancel, &f.cmdFinish}),
                  (Strings{"< &Back", "&Next >", "Cancel", "&Finish"}));
        EXPECT_EQ(f.CancelButton, &f.cmdCancel) << "Esc must press Cancel";
        if (k < kWordKinds) {
            EXPECT_THROW(w.host.Click(f.Name(), "optClose"), forms::ScriptError) << "a covered page";
        }
        const forms::Control* help = f.Find("btnHelp");
        ASSERT_EQ(help != nullptr, expected[k].help);
        if (help != nullptr) {
            EXPECT_EQ(qvxtest::Shown(help->Caption()), "Online Help");
        }
    }
}

TEST(WizardFrame, EachNextMovesOnePageWithItsButtonsAndYields) {
    const char* buttons[] = {"-C-N", "-C-N", "BC-N", "-C-N", "-C-N", "-CF-"};
    // Yields of the presses on pages 0-4 (Word 2002 chosen).
    const int yields[kWordKinds][5] = {{19, 12, 9, 10, 3}, {19, 12, 6, 3, 3}, {19, 12, 6, 3, 3}, {19, 12, 6, 3, 3}};
    for (int k = 0; k < kWordKinds; ++k) {
        SCOPED_TRACE(kKinds[k].name);
        World w;
        WizardFrame& f = kKinds[k].open(w);
        for (int page = 1; page <= 5; ++page) {
            SCOPED_TRACE(page);
            const int before = w.host.Yields();
            ASSERT_TRUE(w.Click(f, "cmdNext"));
            EXPECT_EQ(w.host.Yields() - before, yields[k][page - 1]);
            EXPECT_EQ(f.CurrentStep, page);
            EXPECT_EQ(TopPage(f), page);
            EXPECT_EQ(Buttons(f), buttons[page]);
            EXPECT_EQ(Markers(f), MarkersAt(page));
        }
    }
}

TEST(WizardFrame, WelcomeNamesTheChosenWord) {
    const struct {
        const char* version;
        const char* shown;
        int yields;
    } cases[] = {{engine::kWord2002, "MS Word 2002 ", 19}, {engine::kWord2003, "MS Word XP ", 16},
                 {engine::kWord2007, "MS Word 2007 ", 16}, {"WD13", "", 9}};
    for (int k = 0; k < kWordKinds; ++k) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(kKinds[k].name) + " " + c.version);
            World w;
            w.program.CurrentWordVersion = c.version;
            WizardFrame& f = kKinds[k].open(w);
            w.Click(f, "cmdNext");
            EXPECT_EQ(f.Find("lblWordtype")->Caption(), c.shown);
            EXPECT_EQ(w.host.Yields(), c.yields);
            // The global template on the welcome page or the component boxes.
            const std::string named = f.Find(k == 0 ? "lblWelcome2" : k == 2 ? "lblWelcomeTask" : "chkNormalDot")->Caption();
            EXPECT_EQ(named.find("Normal.dotm ") != std::string::npos, engine::IsNewerVersion(c.version)) << named;
        }
    }
}

TEST(WizardFrame, BackGoesFromStep2ToTheWelcomePageAndRunsNothing) {
    World w;
    WizardFrame& f = w.Open<wizards::frmReset>();
    w.NextTo(f, 2);
    w.Click(f, "cmdBack");
    EXPECT_EQ(f.CurrentStep, 1);
    EXPECT_EQ(TopPage(f), 1);
    EXPECT_EQ(Markers(f), ".G...R _b____");
    EXPECT_EQ(Buttons(f), "BC-N");
    w.Click(f, "cmdBack");
    EXPECT_EQ(f.CurrentStep, 0);
    EXPECT_EQ(TopPage(f), 0);
    EXPECT_EQ(Markers(f), "G....R b_____");
    EXPECT_EQ(Buttons(f), "-C-N");
    EXPECT_TRUE(w.record->calls.empty()) << "no profile made, nothing reset";
}

TEST(WizardFrame, CancelEscAndClosingTheWindowEndTheProgram) {
    for (const Kind& kind : kKinds) {
        for (const char* way : {"Cancel", "Esc", "frame"}) {
            SCOPED_TRACE(std::string(kind.name) + " " + way);
            World w;
            WizardFrame& f = kind.open(w);
            w.Click(f, "cmdNext");
            const std::string how = way;
            w.host.Run([&] {
                if (how == "Cancel") w.host.Click(f.Name(), "cmdCancel");
                if (how == "Esc") f.CancelButton->DoClick();
                if (how == "frame") f.OnFrameClose();
            });
            EXPECT_TRUE(w.host.Ended());
            EXPECT_FALSE(f.Visible());
        }
    }
}

TEST(WizardFrame, FinishOpensTheChosenPageThenClosesOrEnds) {
    const std::string help = platform::PageAddress(platform::Page::OnlineHelp);
    const std::string home = platform::PageAddress(platform::Page::ProductHome);
    const struct {
        int kind;
        const char* option;  // clicked on the finish page; null: as loaded
        Strings pages;
        bool ends;
    } cases[] = {
        {0, nullptr, {}, false},        {1, nullptr, {}, false},     {2, nullptr, {}, false},
        {3, nullptr, {help}, true},     {3, "optHomePage", {home}, true}, {3, "optClose", {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(kKinds[c.kind].name) + " " + (c.option ? c.option : "-"));
        World w;
        WizardFrame& f = kKinds[c.kind].open(w);
        w.NextTo(f, 5);
        if (c.option != nullptr) w.Click(f, c.option);
        w.Click(f, "cmdFinish");
        EXPECT_EQ(w.PagesOpened(), c.pages);
        for (const auto& call : w.machine.ShellLog())
            EXPECT_EQ(call.owner, reinterpret_cast<std::uintptr_t>(&f)) << "the wizard owns the page it opens";
        EXPECT_EQ(w.host.Ended(), c.ends);
        EXPECT_EQ(f.Unloaded(), !c.ends);
    }
}

TEST(WizardFrame, OnlineHelpOpensTheHelpPageAndChangesNothing) {
    for (int k = 0; k < kWordKinds; ++k) {
        SCOPED_TRACE(kKinds[k].name);
        World w;
        WizardFrame& f = kKinds[k].open(w);
        w.NextTo(f, 2);
        w.Click(f, "btnHelp");
        EXPECT_EQ(w.PagesOpened(), Strings{platform::PageAddress(platform::Page::OnlineHelp)});
        EXPECT_EQ(f.CurrentStep, 2);
        EXPECT_EQ(Buttons(f), "BC-N");
        EXPECT_TRUE(w.record->calls.empty());
    }
}

TEST(WizardFrame, ClicksDuringAPressOfNextAreIgnored) {
    const struct {
        int page;
        int atYield;
        const char* control;
    } cases[] = {{0, 2, "cmdNext"}, {1, 8, "cmdNext"}, {1, 8, "cmdBack"}, {4, 1, "cmdFinish"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.page) + " " + c.control);
        World w;
        auto& f = w.Open<wizards::frmReset>();
        w.NextTo(f, c.page);
        const std::size_t calls = w.record->calls.size();
        w.host.AtYield(c.atYield, [&] { w.host.Click(f.Name(), c.control); });
        w.Click(f, "cmdNext");
        EXPECT_EQ(f.CurrentStep, c.page + 1);
        EXPECT_EQ(TopPage(f), c.page + 1);
        EXPECT_FALSE(f.Unloaded());
        EXPECT_EQ(w.record->calls.size(), calls);
    }
}

TEST(WizardFrame, CancelAtAYieldEndsThePassThere) {
    const struct {
        int kind;
        int page;
        int atYield;
        const char* calls;  // made by the press, up to the end
    } cases[] = {
        {0, 2, 3, ""},
        {0, 2, 4,
         "new:WD10 COMBackup DataBackup OptionsBackup RenameAddins COMRemove DataRemove OptionsRemove "
         "RenameTemplate UnRegServ RegServ WordStartNormal"},
        {0, 3, 7, ""},
        {3, 2, 4,
         "new:WD10 UnRegServ RegServ COMBackup DataBackup OptionsBackup RenameAddins COMRemove DataRemove "
         "OptionsRemove RenameTemplate"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(kKinds[c.kind].name) + " page " + std::to_string(c.page) + " yield " +
                     std::to_string(c.atYield));
        World w;
        WizardFrame& f = kKinds[c.kind].open(w);
        w.NextTo(f, c.page);
        const std::size_t before = w.record->calls.size();
        w.host.AtYield(c.atYield, [&] { w.host.Click(f.Name(), "cmdCancel"); });
        w.Click(f, "cmdNext");
        EXPECT_TRUE(w.host.Ended());
        EXPECT_EQ(f.CurrentStep, c.page) << "the page never changes";
        EXPECT_EQ(Strings(w.record->calls.begin() + static_cast<long>(before), w.record->calls.end()), Words(c.calls));
    }
}

TEST(WizardFrame, NoVersionChosenAsksOnceThenStaysWithoutTouchingAnyProfile) {
    for (int k = 0; k < kWordKinds; ++k) {
        for (const char* answer : {"", engine::kWord2003}) {
            SCOPED_TRACE(std::string(kKinds[k].name) + " answer '" + answer + "'");
            World w;
            w.program.CurrentWordVersion = "wd10";  // not a supported version: compared exactly
            auto earlier = std::make_shared<FakeProfile>(w.record);
            w.program.CurrentWordProfile = earlier;
            w.onAsk = [&] { w.program.CurrentWordVersion = answer; };
            WizardFrame& f = kKinds[k].open(w);
            w.NextTo(f, 2);
            w.Click(f, "cmdNext");
            EXPECT_EQ(w.asked, 1);
            if (*answer == '\0') {
                ASSERT_EQ(w.host.Boxes().size(), 1u);
                const auto& box = w.host.Boxes()[0];
                EXPECT_EQ(box.text, wizards::kChooseVersionText);
                EXPECT_EQ(box.style, forms::vbOKOnly | forms::vbExclamation);
                EXPECT_EQ(box.caption, "Quorvex");
                EXPECT_TRUE(w.record->calls.empty()) << "no operation on an earlier or missing profile";
                EXPECT_EQ(w.program.CurrentWordProfile, earlier);
                EXPECT_EQ(f.CurrentStep, 2);
                EXPECT_EQ(Buttons(f), "BC-N");
            } else {
                EXPECT_TRUE(w.host.Boxes().empty());
                ASSERT_FALSE(w.record->calls.empty());
                EXPECT_EQ(w.record->calls[0], "new:WD11");
                EXPECT_NE(w.program.CurrentWordProfile, earlier);
                EXPECT_EQ(f.CurrentStep, 3);
            }
        }
    }
}

TEST(WizardFrame, TidyLayout) {
    for (const Kind& kind : kKinds) {
        World w;
        qvxtest::ExpectTidyLayout(kind.open(w));
    }
}

}  // namespace
