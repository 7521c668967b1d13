// The advanced menu and the closing form, reached through the main menu's
// Start: the wizard it opens, Word started in safe mode, Word not found, and
// every way back out to the end of the program.
#include "AppWorld.h"

#include "app/frmPromotion.h"
#include "app/frmadvmenu.h"
#include "platform/WebPages.h"

#include <gtest/gtest.h>

namespace {

using apptest::World;
using Log = std::vector<std::string>;

const std::string kWinword = std::string(apptest::kWordFolder) + "\\winword.exe";
const std::string kOwnFolder = "C:\\Program Files\\Quorvex";  // the emulated machine's default
const std::string kNotFound = "Word 2002 or XP was not found. Exiting program";

// Reaches the main menu quietly with version stored (none when empty), then
// presses Start with "Go to Advanced Features." selected.
void ToAdvancedMenu(World& w, const std::string& version) {
    if (!version.empty()) w.Store("Settings", "Word Version", version);
    w.Store("Settings", "Word Detect No Show", "True");
    w.Store("Show WalkThru", "WalkThru", "True");
    w.Host().ThenClick("frmMain", "optAdvanced");
    w.Host().ThenClick("frmMain", "Command4");
}

void WordStarts(World& w) {
    w.machine.InstallProgram(kWinword, [](os::emulated::Machine&, const std::string&) { return 0u; });
}

bool EverShown(World& w, const std::string& name) {
    for (const std::string& entry : w.Host().ShowLog())
        if (entry.rfind(name, 0) == 0) return true;
    return false;
}

// Stands in for the component-reset wizard: Finish ends the program, as the
// real one does.
class FakeWizard : public forms::Form {
public:
    explicit FakeWizard(forms::Host& host)
        : Form(host, "frmBackup1", "Quorvex - Advanced", 200, 100),
          cmdFinish(*this, "cmdFinish", forms::ControlKind::Button, {10, 10, 75, 23}, "Finish") {
        cmdFinish.OnClick = [&host] { host.End(); };
    }
    forms::Control cmdFinish;
};

TEST(AdvancedMenu, OkWithTheDefaultChoiceHandsOverToTheWizardAndStartWaitsForIt) {
    const struct {
        const char* how;
        bool finish;  // else the wizard is closed by its frame without ending
    } cases[] = {{"Finish", true}, {"frame", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        World w;
        FakeWizard wizard(w.Host());
        w.Ctx().ShowAdvancedWizard = [&]() -> forms::Form* {
            EXPECT_FALSE(w.Ctx().frmadvmenu().Visible()) << "the menu hides first";
            wizard.Show();
            return &wizard;
        };
        ToAdvancedMenu(w, "WD11");
        w.Host().ThenClick("frmadvmenu", "btnOK");
        w.Host().Then([&] {
            EXPECT_EQ(w.Host().ModalStack(), Log{"frmBackup1"});
            if (c.finish) w.Host().Click("frmBackup1", "cmdFinish");
            else wizard.OnFrameClose();
        });
        if (!c.finish) w.Host().ThenCloseByFrame("frmPromotion");
        w.Start();
        EXPECT_TRUE(w.Host().Ended());
        EXPECT_EQ(w.Host().ActionsLeft(), 0u);
        Log expected{"frmMain", "frmadvmenu (modal)", "frmBackup1", "frmBackup1 (modal)"};
        if (!c.finish) expected.push_back("frmPromotion (modal)");
        EXPECT_EQ(w.Host().ShowLog(), expected);
        EXPECT_TRUE(w.Host().Boxes().empty());
    }
}

TEST(AdvancedMenu, LaunchStartsWordInSafeModeAndTheMenuStaysOpen) {
    const struct {
        std::string version, option, tmpl;
    } cases[] = {{"WD10", "optLaunch", "SafeMode.DOT"},
                 {"WD10", "optLaunchSM", "SUPPORT10.DOT"},
                 {"WD11", "optLaunch", "SafeMode.DOT"},
                 {"WD11", "optLaunchSM", "SUPPORT11.DOT"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version + " " + c.option);
        World w;
        WordStarts(w);
        ToAdvancedMenu(w, c.version);
        w.Host().ThenClick("frmadvmenu", c.option);
        w.Host().ThenClick("frmadvmenu", "btnOK");
        w.Host().Then([&] {
            EXPECT_EQ(w.Host().ModalStack(), Log{"frmadvmenu"});
            EXPECT_EQ(w.Ctx().CurrentWordVersion(), c.version);
            w.Host().Click("frmadvmenu", "btnCancel");
        });
        w.Host().ThenCloseByFrame("frmPromotion");
        w.Start();
        ASSERT_EQ(w.machine.ProcessLog().size(), 1u);
        EXPECT_EQ(w.machine.ProcessLog()[0].commandLine, kWinword + " /a /t\"" + kOwnFolder + "\\" + c.tmpl + "\"");
        EXPECT_EQ(w.machine.ProcessLog()[0].showCmd, os::SwShowNormal);
        EXPECT_TRUE(w.Host().Boxes().empty());
        EXPECT_TRUE(w.Host().Ended());
    }
}

TEST(AdvancedMenu, WordNotWhereStartUpFoundItEndsTheProgram) {
    const std::string office10 = "C:\\Program Files\\Microsoft Office\\OFFICE10";
    const struct {
        const char* name;
        std::string version, option, folder;
        bool makeFolder, startable;
        Log boxes;
    } cases[] = {
        {"no version chosen", "", "optLaunch", apptest::kWordFolder, true, true, {kNotFound}},
        {"2002 folder missing", "WD10", "optLaunchSM", office10, false, true, {"Could not launch MS Word 10", kNotFound}},
        {"2003 folder without winword.exe", "WD11", "optLaunch", office10, true, true,
         {"Could not launch MS Word 11", kNotFound}},
        // The 2002 check passes on the folder alone; the launch itself fails.
        {"2002 folder without winword.exe", "WD10", "optLaunch", office10, true, true,
         {"Could not launch MS Word 10", kNotFound}},
        {"2003 winword.exe that does not start", "WD11", "optLaunchSM", apptest::kWordFolder, true, false,
         {"Could not launch MS Word 11", kNotFound}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        World w;
        if (c.startable) WordStarts(w);
        if (c.makeFolder) w.machine.MakeFolders(c.folder);
        w.word->path = c.folder;
        ToAdvancedMenu(w, c.version);
        w.Host().ThenClick("frmadvmenu", c.option);
        w.Host().ThenClick("frmadvmenu", "btnOK");
        w.Start();
        EXPECT_EQ(w.Ctx().WordProgramFolder(), c.folder);
        Log texts;
        for (const auto& box : w.Host().Boxes()) {
            texts.push_back(box.text);
            EXPECT_EQ(box.style, forms::vbOKOnly) << box.text;
            EXPECT_EQ(box.caption, "Quorvex") << box.text;
        }
        EXPECT_EQ(texts, c.boxes);
        EXPECT_TRUE(w.Host().Ended());
        EXPECT_FALSE(EverShown(w, "frmPromotion"));
        EXPECT_TRUE(w.machine.ProcessLog().empty());
    }
}

TEST(AdvancedMenu, CancelAndTheFrameReturnToStartWhichEndsAfterTheClosingForm) {
    for (bool byFrame : {false, true}) {
        SCOPED_TRACE(byFrame ? "frame" : "Cancel");
        World w;
        ToAdvancedMenu(w, "WD11");
        uintptr_t menu = 0;
        w.Host().Then([&] {
            menu = w.Host().WindowOf(w.Ctx().frmadvmenu());
            w.Host().Click("frmadvmenu", "Command1");
        });
        if (byFrame) w.Host().ThenCloseByFrame("frmadvmenu");
        else w.Host().ThenClick("frmadvmenu", "btnCancel");
        w.Host().Then([&] {
            EXPECT_EQ(w.Host().ModalStack(), Log{"frmPromotion"});
            EXPECT_TRUE(w.Ctx().frmMain().Visible()) << "the main menu is back behind it";
            EXPECT_FALSE(w.Ctx().frmadvmenu().Unloaded());
            w.Ctx().frmPromotion().OnFrameClose();
        });
        w.Start();
        EXPECT_TRUE(w.Host().Ended());
        EXPECT_EQ(w.Host().ActionsLeft(), 0u);
        EXPECT_TRUE(w.Host().Boxes().empty());
        ASSERT_EQ(w.machine.ShellLog().size(), 1u);
        EXPECT_EQ(w.machine.ShellLog()[0].parameters, platform::PageAddress(platform::Page::OnlineHelp));
        EXPECT_EQ(w.machine.ShellLog()[0].owner, menu);
    }
}

TEST(Promotion, PagesOpenFromTheFormAndCloseThanksAndEnds) {
    using platform::Page;
    const struct {
        const char* control;  // null: closed through its frame
        std::vector<Page> pages;
    } cases[] = {
        {"cmdLearnMore", {Page::PromotionHome}},
        {"lblLink", {Page::PromotionHome}},
        {"cmdOrder", {Page::PromotionOrder}},
        {"cmdClose", {}},
        {nullptr, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control ? c.control : "frame");
        World w;
        w.Store("Settings", "Word Detect No Show", "True");
        w.Store("Show WalkThru", "WalkThru", "True");
        bool wizardRan = false;
        w.Ctx().Dispatch.frmBackup = [&] { wizardRan = true; };
        w.Host().ThenClick("frmMain", "Command4");
        uintptr_t owner = 0;
        const bool ends = c.control == nullptr || std::string(c.control) == "cmdClose";
        w.Host().Then([&] {
            owner = w.Host().WindowOf(w.Ctx().frmPromotion());
            if (c.control) w.Host().Click("frmPromotion", c.control);
            else w.Ctx().frmPromotion().OnFrameClose();
        });
        if (!ends) {
            w.Host().Then([&] {
                EXPECT_EQ(w.Host().ModalStack(), Log{"frmPromotion"}) << "a page leaves the form open";
                w.Host().Click("frmPromotion", "cmdClose");
            });
        }
        w.Start();
        EXPECT_TRUE(wizardRan);
        EXPECT_TRUE(w.Host().Ended());
        EXPECT_EQ(w.Host().ActionsLeft(), 0u);
        ASSERT_EQ(w.machine.ShellLog().size(), c.pages.size());
        for (size_t i = 0; i < c.pages.size(); ++i) {
            EXPECT_EQ(w.machine.ShellLog()[i].parameters, platform::PageAddress(c.pages[i]));
            EXPECT_EQ(w.machine.ShellLog()[i].owner, owner);
        }
        Log texts;
        for (const auto& box : w.Host().Boxes()) {
            texts.push_back(box.text);
            EXPECT_EQ(box.style, forms::vbOKOnly);
            EXPECT_EQ(box.caption, "Quorvex");
        }
        // Every way but the frame ends through Close.
        EXPECT_EQ(texts, c.control ? Log{"Thank you for using Quorvex"} : Log{});
    }
}

}  // namespace
