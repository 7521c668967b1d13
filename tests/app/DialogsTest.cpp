// The shell's dialogs as the user drives them: the version choice and its
// help, the options dialog, the main menu and the walk-through offer.
#include "AppWorld.h"

#include "platform/WebPages.h"

#include <gtest/gtest.h>

namespace {

using apptest::World;
using Log = std::vector<std::string>;

// A run that reaches the main menu without dialogs, version stored or not.
void QuietStart(World& w, const std::optional<std::string>& version = std::nullopt,
                const std::string& noShow = "True") {
    if (version) w.Store("Settings", "Word Version", *version);
    w.Store("Settings", "Word Detect No Show", noShow);
    w.Store("Show WalkThru", "WalkThru", "True");
}

TEST(VersionChoice, NotSureOnlyShowsTheHelpThenAChoiceIsStored) {
    World w;
    w.Store("Show WalkThru", "WalkThru", "True");
    w.Host().ThenClick("frmWordVerChoice", "btnOK");
    w.Host().Then([&] {
        EXPECT_EQ(w.Host().ModalStack(), (Log{"frmWordVerChoice", "frmWdVersion"}));
        EXPECT_EQ(w.Stored("Settings", "Word Version"), std::nullopt);
        EXPECT_EQ(w.Stored("Settings", "Word Detect No Show"), std::nullopt);
        w.Host().Click("frmWdVersion", "btnOK");
    });
    w.Host().ThenClick("frmWordVerChoice", "optXP");
    w.Host().ThenClick("frmWordVerChoice", "chkNoShow");
    w.Host().ThenClick("frmWordVerChoice", "btnOK");
    w.Start();
    EXPECT_EQ(w.Ctx().CurrentWordVersion(), "WD11");
    EXPECT_EQ(w.Stored("Settings", "Word Version"), "WD11");
    EXPECT_EQ(w.Stored("Settings", "Word Detect No Show"), "True");
    EXPECT_TRUE(w.Ctx().frmMain().Visible());
}

TEST(VersionChoice, NextStoresTheChoiceTheNextStartUses) {
    const struct {
        const char* option;
        bool tick;
        std::string version, noShow;
    } cases[] = {{"optWd10", true, "WD10", "True"}, {"optXP", false, "WD11", "False"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        World w;
        w.Store("Show WalkThru", "WalkThru", "True");
        w.Host().ThenClick("frmWordVerChoice", c.option);
        if (c.tick) w.Host().ThenClick("frmWordVerChoice", "chkNoShow");
        w.Host().ThenClick("frmWordVerChoice", "btnOK");
        w.Start();
        EXPECT_EQ(w.Stored("Settings", "Word Version"), c.version);
        EXPECT_EQ(w.Stored("Settings", "Word Detect No Show"), c.noShow);

        w.NewRun();
        std::string seen;
        if (!c.tick) {
            w.Host().Then([&] {
                seen = apptest::Selected(w.Ctx().frmWordVerChoice());
                w.Host().Click("frmWordVerChoice", "btnOK");
            });
        }
        w.Start();
        EXPECT_EQ(w.Ctx().CurrentWordVersion(), c.version);
        EXPECT_EQ(seen, c.tick ? "" : c.option);
    }
}

TEST(Options, ChangePresetsTheChoiceFromTheStore) {
    const struct {
        std::string noShow;
        bool ticked;
    } cases[] = {{"True", true}, {"yes", true}, {"False", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.noShow);
        World w;
        QuietStart(w, "WD10", c.noShow);
        if (c.noShow == "False") {
            w.Host().ThenClick("frmWordVerChoice", "optXP");  // left alone, then closed
            w.Host().ThenCloseByFrame("frmWordVerChoice");
        }
        w.Host().Then([&] {
            w.Ctx().CurrentWordVersion() = "WD11";
            w.Ctx().frmWordVerChoice().chkNoShow.SetValue(!c.ticked);
            w.Host().Click("frmMain", "btnSettings");
        });
        w.Host().ThenClick("frmOptions", "btnChangeVersion");
        std::string seen;
        bool tick = !c.ticked;
        w.Host().Then([&] {
            seen = apptest::Selected(w.Ctx().frmWordVerChoice());
            tick = w.Ctx().frmWordVerChoice().chkNoShow.Value();
            w.Host().Click("frmWordVerChoice", "btnOK");
        });
        w.Host().ThenClick("frmOptions", "btnOK");
        w.Start();
        EXPECT_EQ(seen, "optWd10");
        EXPECT_EQ(tick, c.ticked);
        EXPECT_EQ(w.Ctx().CurrentWordVersion(), "WD10");
        EXPECT_EQ(w.Stored("Settings", "Word Detect No Show"), c.ticked ? "True" : "False");
        EXPECT_TRUE(w.Ctx().frmMain().Visible());
        EXPECT_TRUE(w.Host().ModalStack().empty());
    }
}

TEST(Options, ClosingTheChoiceByItsFrameKeepsTheVersionAndComesBackFresh) {
    using Stored = std::optional<std::string>;
    for (const Stored& stored : {Stored(), Stored("WD10")}) {
        SCOPED_TRACE(stored.value_or("nothing stored"));
        const std::string expected = stored.value_or("");
        const std::string preset = stored ? "optWd10" : "optNotSure";
        World w;
        QuietStart(w, stored);
        std::vector<std::string> seen;
        auto change = [&] {
            w.Host().ThenClick("frmOptions", "btnChangeVersion");
            w.Host().Then([&] {
                seen.push_back(apptest::Selected(w.Ctx().frmWordVerChoice()));
                w.Host().Click("frmWordVerChoice", "optXP");
                w.Ctx().frmWordVerChoice().OnFrameClose();
            });
            w.Host().Then([&] { seen.push_back(w.Ctx().CurrentWordVersion()); });
        };
        w.Host().ThenClick("frmMain", "btnSettings");
        change();
        change();
        w.Host().ThenClick("frmOptions", "btnOK");
        w.Start();
        EXPECT_EQ(seen, (Log{preset, expected, preset, expected}));
        EXPECT_EQ(w.Stored("Settings", "Word Version"), stored);
    }
}

TEST(Options, CancelInTheChoiceOpenedFromOptionsEndsTheProgram) {
    World w;
    QuietStart(w, "WD11");
    bool promoted = false;
    w.Ctx().Dispatch.frmPromotion = [&] { promoted = true; };
    w.Host().ThenClick("frmMain", "btnSettings");
    w.Host().ThenClick("frmOptions", "btnChangeVersion");
    w.Host().ThenClick("frmWordVerChoice", "optWd10");
    w.Host().ThenClick("frmWordVerChoice", "btnCancel");
    w.Host().ThenClick("frmMain", "Command4");  // never reached
    w.Start();
    EXPECT_TRUE(w.Host().Ended());
    EXPECT_FALSE(promoted);
    EXPECT_EQ(w.Host().ActionsLeft(), 1u);
    EXPECT_EQ(w.Stored("Settings", "Word Version"), "WD11");
    EXPECT_FALSE(w.Ctx().frmMain().Visible());
}

TEST(MainMenu, SettingsWithoutChangeKeepsVersionAndSelection) {
    World w;
    QuietStart(w, "WD11");
    std::vector<std::string> shown;
    w.Ctx().Dispatch.frmRenameTemplate = [&] { shown.push_back("frmRenameTemplate"); };
    w.Ctx().Dispatch.frmPromotion = {};
    w.Host().ThenClick("frmMain", "optRename");
    w.Host().ThenClick("frmMain", "btnSettings");
    w.Host().Then([&] {
        w.Ctx().CurrentWordVersion() = "WD10";  // as if chosen this run and not stored
        w.Host().Click("frmOptions", "btnOK");
    });
    w.Host().ThenClick("frmMain", "Command4");
    w.Start();
    EXPECT_EQ(w.Host().ShowLog(), (Log{"frmMain", "frmOptions (modal)"}));
    EXPECT_EQ(w.Ctx().CurrentWordVersion(), "WD10");
    EXPECT_EQ(shown, Log{"frmRenameTemplate"});
}

TEST(MainMenu, StartRunsTheChosenWayThenTheClosingFormAndEnds) {
    const struct {
        const char* option;  // null: the selection the menu starts with
        const char* expected;
    } cases[] = {{nullptr, "frmBackup"},
                 {"optAdvanced", "frmadvmenu"},
                 {"optRename", "frmRenameTemplate"},
                 {"OptReset", "frmReset"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        World w;
        QuietStart(w);
        std::vector<std::string> shown;
        auto hook = [&](const char* name) {
            return [&, name] {
                EXPECT_FALSE(w.Ctx().frmMain().Visible()) << "Start hides the menu first";
                shown.push_back(name);
            };
        };
        auto& d = w.Ctx().Dispatch;
        d.frmBackup = hook("frmBackup");
        d.frmadvmenu = hook("frmadvmenu");
        d.frmRenameTemplate = hook("frmRenameTemplate");
        d.frmReset = hook("frmReset");
        d.frmPromotion = hook("frmPromotion");
        if (c.option) w.Host().ThenClick("frmMain", c.option);
        w.Host().ThenClick("frmMain", "Command4");
        w.Start();
        EXPECT_EQ(shown, (Log{c.expected, "frmPromotion"}));
        EXPECT_TRUE(w.Host().Ended());
    }
    World bare;  // nothing plugged in: Start still ends the run
    QuietStart(bare);
    bare.Ctx().Dispatch = {};
    bare.Host().ThenClick("frmMain", "Command4");
    bare.Start();
    EXPECT_TRUE(bare.Host().Ended());
}

TEST(MainMenu, CancelAndTheFrameEndWithoutTheClosingForm) {
    for (bool byFrame : {false, true}) {
        SCOPED_TRACE(byFrame ? "frame" : "Cancel");
        World w;
        QuietStart(w);
        bool promoted = false;
        w.Ctx().Dispatch.frmPromotion = [&] { promoted = true; };
        if (byFrame) w.Host().ThenCloseByFrame("frmMain");
        else w.Host().ThenClick("frmMain", "Command3");
        w.Start();
        EXPECT_TRUE(w.Host().Ended());
        EXPECT_FALSE(promoted);
    }
}

TEST(MainMenu, HelpAndHomePageOpenWithTheMenuAsOwner) {
    World w;
    QuietStart(w);
    w.Host().ThenClick("frmMain", "btnHelp");
    w.Host().ThenClick("frmMain", "Label4");
    w.Host().Then([&] { w.machine.SetAssociation(".htm", ""); });
    w.Host().ThenClick("frmMain", "Label4");
    w.Start();
    auto menu = w.Host().WindowOf(w.Ctx().frmMain());
    ASSERT_NE(menu, 0u);
    ASSERT_EQ(w.machine.ShellLog().size(), 2u);
    EXPECT_EQ(w.machine.ShellLog()[0].parameters, platform::PageAddress(platform::Page::OnlineHelp));
    EXPECT_EQ(w.machine.ShellLog()[1].parameters, platform::PageAddress(platform::Page::MakerHome));
    for (const auto& call : w.machine.ShellLog()) EXPECT_EQ(call.owner, menu);
    ASSERT_EQ(w.Host().Boxes().size(), 1u);
    EXPECT_EQ(w.Host().Boxes()[0].caption, "Browser Not Found");
    EXPECT_TRUE(w.Ctx().frmMain().Visible());
    EXPECT_FALSE(w.Host().Ended());
}

TEST(WalkThru, ViewWithTheBoxTickedOnlyRemembers) {
    World w;
    w.Store("Settings", "Word Detect No Show", "True");
    w.Host().ThenClick("frmWkThru", "chkNoShow");
    w.Host().ThenClick("frmWkThru", "cmdView");
    w.Host().Then([&] {
        EXPECT_EQ(w.Host().ModalStack(), Log{"frmWkThru"}) << "the offer stays open";
        w.Host().Click("frmWkThru", "Command2");
    });
    w.Start();
    EXPECT_EQ(w.Stored("Show WalkThru", "WalkThru"), "True");
    EXPECT_TRUE(w.machine.ShellLog().empty());

    w.NewRun();
    w.Start();
    EXPECT_EQ(w.Host().ShowLog(), Log{"frmMain"});
}

TEST(WalkThru, ViewWithTheBoxClearOpensTheWalkThruAndAsksAgainNextTime) {
    World w;
    w.Store("Settings", "Word Detect No Show", "True");
    uintptr_t offer = 0;
    w.Host().Then([&] {
        offer = w.Host().WindowOf(w.Ctx().frmWkThru());
        w.Host().Click("frmWkThru", "cmdView");
    });
    w.Start();
    EXPECT_FALSE(w.Ctx().frmWkThru().Visible());
    ASSERT_EQ(w.machine.ShellLog().size(), 1u);
    EXPECT_EQ(w.machine.ShellLog()[0].parameters, platform::PageAddress(platform::Page::WalkThru));
    EXPECT_EQ(w.machine.ShellLog()[0].owner, offer);
    EXPECT_NE(offer, 0u);
    EXPECT_EQ(w.Stored("Show WalkThru", "WalkThru"), std::nullopt);

    w.NewRun();
    w.Host().ThenClick("frmWkThru", "Command2");
    w.Start();
    EXPECT_EQ(w.Host().ShowLog(), (Log{"frmMain", "frmWkThru (modal)"}));
}

}  // namespace
