// The program's shell end to end: the real qvxfix.exe under Wine, a simulated
// Word in the prefix, and the driver playing the user. Each test starts from
// empty settings, lays its own Word and removes it again.
#ifdef _WIN32

#include "e2e/E2EFixture.h"
#include "wordsim/WordSim.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using e2e::App;
using e2e::FrameClose;

constexpr const char* kTitle = "Quorvex";

// What tells the forms apart (two of them share the caption "Quorvex").
constexpr const char* kVersionHeading = "Choosing your version of MS Word installed on your computer";
constexpr const char* kMenuHeading = "Welcome to Quorvex";
constexpr const char* kOfferFrame = "Important!";
constexpr const char* kOptionsLabel = "Change the version of Word";

constexpr const char* kWord2002Option = "Word 10 (also known as Word2002)";
constexpr const char* kWord2003Option = "Word XP (also known as Word XP or Word 2003)";
constexpr const char* kNotSureOption = "I'm not sure what version I have installed";
constexpr const char* kAnalyzeOption = "Analyze and Repair MS Word Automatically.";

class ShellE2E : public e2e::E2EFixture {
protected:
    void InstallWord(wordsim::Version version, bool registerServer = true) {
        wordsim::InstallOptions options = WordOptions(version);
        options.registerServer = registerServer;
        Install(options);
    }

    // The stored text, or nullopt when the entry is absent.
    std::optional<std::string> Setting(const std::string& section, const std::string& name) {
        os::HKey key = 0;
        if (Api().RegOpenKeyEx(os::HKeyCurrentUser, std::string(e2e::kSettingsRoot) + "\\" + section, os::KeyRead,
                               &key) != 0)
            return std::nullopt;
        std::vector<uint8_t> data(512, 0);
        uint32_t type = 0;
        uint32_t size = static_cast<uint32_t>(data.size());
        long status = Api().RegQueryValueEx(key, name, &type, data.data(), &size);
        Api().RegCloseKey(key);
        if (status != 0) return std::nullopt;
        EXPECT_EQ(os::RegSz, type) << name;
        return std::string(reinterpret_cast<const char*>(data.data()));
    }

    // Clicks a button of the form by its text.
    // Word 2003 chosen for good and the walk-through declined: start-up goes
    // straight to the main menu, which then waits for input.
    HWND LaunchToTheMenu() {
        InstallWord(wordsim::Version::Word2003);
        StoreNoQuestions();
        Launch();
        HWND menu = WaitForForm(kTitle, kMenuHeading);
        return menu != nullptr && e2e::Settle(menu) ? menu : nullptr;
    }

    void Press(HWND form, const std::string& text) {
        ASSERT_TRUE(e2e::Click(form, text)) << "no \"" << text << "\" on the form\n" << app_->Describe();
    }
};

std::vector<std::string> PlainTexts(const std::vector<e2e::ControlInfo>& controls) {
    std::vector<std::string> texts;
    for (const auto& control : controls) texts.push_back(e2e::Plain(control.text));
    return texts;
}

std::vector<std::string> CheckedTexts(const std::vector<e2e::ControlInfo>& controls) {
    std::vector<std::string> texts;
    for (const auto& control : controls)
        if (e2e::IsChecked(control.window)) texts.push_back(e2e::Plain(control.text));
    return texts;
}

TEST_F(ShellE2E, FirstRunAsksForTheVersionAndOpensTheMenuWithTheOffer) {
    InstallWord(wordsim::Version::Word2003);
    Launch();

    // The version choice, preselected from the Word 2003 key.
    HWND choice = WaitForForm(kTitle, kVersionHeading);
    ASSERT_NE(nullptr, choice);
    Shot(choice, "version-choice");
    for (const char* text : {"Please select the version of Microsoft Word installed on your computer.",
                             "I would like to use the following version of MS Word:", "Do not show this dialog again",
                             "Click Next to Continue or Cancel to exit Quorvex", "Next", "Cancel"}) {
        SCOPED_TRACE(text);
        EXPECT_NE(nullptr, e2e::FindControl(choice, text)) << app_->Describe();
    }
    auto versions = e2e::OptionButtons(choice);
    // No newer Word here: one option stands for them all.
    EXPECT_EQ((std::vector<std::string>{kWord2002Option, kWord2003Option, "Word 2007 or later", kNotSureOption}),
              PlainTexts(versions));
    EXPECT_EQ((std::vector<std::string>{kWord2003Option}), CheckedTexts(versions));
    EXPECT_FALSE(e2e::IsChecked(e2e::FindControl(choice, "Do not show this dialog again")));
    EXPECT_FALSE(Setting("Settings", "Word Version")) << "nothing is stored before Next";
    Press(choice, "Next");

    // The main menu, and the walk-through offer over it, modal.
    HWND menu = WaitForForm(kTitle, kMenuHeading);
    HWND offer = WaitForForm("", kOfferFrame);
    ASSERT_NE(nullptr, menu);
    ASSERT_NE(nullptr, offer);
    EXPECT_FALSE(e2e::IsShown(choice));
    EXPECT_TRUE(e2e::WaitUntil([&] { return ::GetForegroundWindow() == offer; }, e2e::Millis(3000)))
        << "foreground: " << e2e::TextOf(::GetForegroundWindow());
    Shot(offer, "walkthrough-offer");
    EXPECT_FALSE(::IsWindowEnabled(menu)) << "the offer is modal over the menu";
    for (const char* text :
         {"We recommend that you view a Word walk thru before using the Auto Analyze and Repair feature.",
          "To view the Auto Analyze and Repair feature walk thru click View to continue ( online connection required)",
          "Do not show this dialog again", "View", "Cancel"}) {
        SCOPED_TRACE(text);
        EXPECT_NE(nullptr, e2e::FindControl(offer, text)) << app_->Describe();
    }
    Press(offer, "Cancel");
    ASSERT_TRUE(e2e::WaitUntil([&] { return !e2e::IsShown(offer) && ::IsWindowEnabled(menu); })) << app_->Describe();

    Shot(menu, "main-menu");
    for (const char* text : {"For Word 2002 and Word XP", "  I would like to:", "Choices:", "Start", "Cancel",
                             "Settings", "Online Help"}) {
        SCOPED_TRACE(text);
        EXPECT_NE(nullptr, e2e::FindControl(menu, text)) << app_->Describe();
    }
    auto ways = e2e::OptionButtons(menu);
    EXPECT_EQ((std::vector<std::string>{kAnalyzeOption, "Rename the Normal.Dot Template",
                                        "Reset MS Word to Initial Install", "Go to Advanced Features."}),
              PlainTexts(ways));
    EXPECT_EQ((std::vector<std::string>{kAnalyzeOption}), CheckedTexts(ways));

    // Next stored the choice; Cancel on the offer stored nothing.
    EXPECT_EQ("WD11", Setting("Settings", "Word Version"));
    EXPECT_EQ("False", Setting("Settings", "Word Detect No Show"));
    EXPECT_FALSE(Setting("Show WalkThru", "WalkThru"));
    // Start-up asked Word itself where it lives, and let it go.
    EXPECT_EQ((std::vector<std::string>{"automation", "quit"}), [&] {
        std::vector<std::string> kinds;
        for (const auto& entry : wordsim::ReadLog(Api(), install_.programFolder)) kinds.push_back(entry.kind);
        return kinds;
    }());

    // Settings: the options dialog over the menu; OK brings the menu back as it was.
    Press(menu, "Settings");
    HWND options = WaitForForm("Options", kOptionsLabel);
    ASSERT_NE(nullptr, options);
    EXPECT_TRUE(e2e::WaitUntil([&] { return ::GetForegroundWindow() == options; }, e2e::Millis(3000)))
        << "foreground: " << e2e::TextOf(::GetForegroundWindow());
    Shot(options, "options");
    for (const char* text : {"Options:", "Change", "OK"}) {
        SCOPED_TRACE(text);
        EXPECT_NE(nullptr, e2e::FindControl(options, text)) << app_->Describe();
    }
    EXPECT_FALSE(::IsWindowEnabled(menu)) << "the options dialog is modal";
    // Controls are numbered 100 + their place in the form's creation order: OK is the fourth.
    ASSERT_EQ("OK", e2e::TextOf(::GetDlgItem(options, 103)));
    e2e::ClickId(options, 103);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !e2e::IsShown(options) && ::IsWindowEnabled(menu); }))
        << app_->Describe();
    EXPECT_EQ((std::vector<std::string>{kAnalyzeOption}), CheckedTexts(e2e::OptionButtons(menu)));
    EXPECT_EQ(std::vector<HWND>{menu}, app_->Windows());

    Press(menu, "Cancel");
    ExpectEndsCleanly();
}

TEST_F(ShellE2E, StoredChoiceGoesStraightToTheMenu) {
    HWND menu = LaunchToTheMenu();
    ASSERT_NE(nullptr, menu);
    // Once the program waits for input, no dialog is coming any more.
    ASSERT_TRUE(e2e::Settle(menu));
    EXPECT_EQ(std::vector<HWND>{menu}, app_->Windows()) << app_->Describe();
    EXPECT_TRUE(::IsWindowEnabled(menu));
    Shot(menu, "main-menu");
    EXPECT_EQ("WD11", Setting("Settings", "Word Version"));
    EXPECT_EQ("True", Setting("Settings", "Word Detect No Show"));

    // The title bar's close box ends the program as Cancel does.
    e2e::CloseByFrame(menu, FrameClose::SystemCommand);
    ExpectEndsCleanly();
}

// A second start while the menu waits: the copy only says so and ends, the
// first comes back to the front, and Word is not started again.
TEST_F(ShellE2E, ASecondCopyIsRefusedAndTheFirstComesToTheFront) {
    HWND menu = LaunchToTheMenu();
    ASSERT_NE(nullptr, menu);
    const size_t wordStarts = wordsim::ReadLog(Api(), install_.programFolder).size();
    ::ShowWindow(menu, SW_MINIMIZE);
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::IsIconic(menu) != FALSE; }));

    std::string error;
    std::unique_ptr<App> second = App::Start(exe_, folder_, &error);
    ASSERT_TRUE(second) << error;
    HWND box = second->WaitForMessageBox();
    ASSERT_NE(nullptr, box) << second->Describe();
    const e2e::MessageBoxInfo info = e2e::ReadMessageBox(box);
    EXPECT_EQ(kTitle, info.caption);
    EXPECT_EQ("Quorvex is already running.", info.text);
    EXPECT_EQ(std::vector<std::string>{"OK"}, info.buttons);
    EXPECT_EQ(std::vector<HWND>{box}, second->Windows()) << "no form of the second copy";
    Shot(box, "already-running");
    ASSERT_TRUE(e2e::Answer(box, "OK"));
    std::optional<DWORD> code = second->WaitForExit();
    ASSERT_TRUE(code.has_value()) << second->Describe();
    EXPECT_EQ(3u, *code);

    EXPECT_TRUE(e2e::WaitUntil([&] { return ::IsIconic(menu) == FALSE && ::GetForegroundWindow() == menu; }))
        << "iconic " << ::IsIconic(menu) << ", foreground " << e2e::TextOf(::GetForegroundWindow());
    EXPECT_TRUE(app_->Running());
    EXPECT_EQ(wordStarts, wordsim::ReadLog(Api(), install_.programFolder).size());
    e2e::CloseByFrame(menu, FrameClose::SystemCommand);
    ExpectEndsCleanly();
}

// The user's choice wins over the installed Word, and the ticked box keeps
// the dialog away at the next start.
TEST_F(ShellE2E, TickedBoxIsRememberedAtTheNextStart) {
    InstallWord(wordsim::Version::Word2003);
    Launch();
    HWND choice = WaitForForm(kTitle, kVersionHeading);
    ASSERT_NE(nullptr, choice);
    e2e::Choose(e2e::FindControl(choice, kWord2002Option));
    HWND box = e2e::FindControl(choice, "Do not show this dialog again");
    e2e::Choose(box);
    ASSERT_TRUE(e2e::WaitUntil([&] {
        return e2e::IsChecked(box) && CheckedTexts(e2e::OptionButtons(choice)) == std::vector<std::string>{kWord2002Option};
    })) << app_->Describe();
    Shot(choice, "version-choice");
    Press(choice, "Next");
    HWND offer = WaitForForm("", kOfferFrame);
    ASSERT_NE(nullptr, offer);
    EXPECT_EQ("WD10", Setting("Settings", "Word Version"));
    EXPECT_EQ("True", Setting("Settings", "Word Detect No Show"));
    Press(offer, "Cancel");
    HWND menu = WaitForForm(kTitle, kMenuHeading);
    ASSERT_NE(nullptr, menu);
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(menu) != 0; })) << app_->Describe();
    Press(menu, "Cancel");
    ExpectEndsCleanly();

    // Again: the menu comes without the question (the dialog, being modal,
    // would have held start-up before it), and the offer with it once more.
    Launch();
    ASSERT_NE(nullptr, WaitForForm(kTitle, kMenuHeading));
    offer = WaitForForm("", kOfferFrame);
    ASSERT_NE(nullptr, offer);
    Press(offer, "Cancel");
    menu = WaitForForm(kTitle, kMenuHeading);
    ASSERT_NE(nullptr, menu);
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(menu) != 0; })) << app_->Describe();
    Press(menu, "Cancel");
    ExpectEndsCleanly();
    EXPECT_EQ("WD10", Setting("Settings", "Word Version"));
}

// The dialog preselects the installed Word; Cancel ends the program at once
// and stores nothing.
TEST_F(ShellE2E, VersionChoicePreselectsTheInstalledWordAndCancelEnds) {
    struct Case {
        const char* name;
        std::optional<wordsim::Version> installed;
        const char* selected;
    };
    const Case cases[] = {
        {"word-2002", wordsim::Version::Word2002, kWord2002Option},
        // Found by Click-to-Run's configuration alone, and offered by its name.
        {"word-2016", wordsim::Version::Word2016, "Word 2016 or later (also known as Microsoft 365)"},
        {"no-word", std::nullopt, kNotSureOption},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.installed) InstallWord(*c.installed);
        Launch();
        HWND choice = WaitForForm(kTitle, kVersionHeading);
        ASSERT_NE(nullptr, choice);
        Shot(choice, std::string("version-choice-") + c.name);
        EXPECT_EQ((std::vector<std::string>{c.selected}), CheckedTexts(e2e::OptionButtons(choice)));

        Press(choice, "Cancel");
        ExpectEndsCleanly();
        EXPECT_FALSE(Setting("Settings", "Word Version"));
        EXPECT_FALSE(Setting("Settings", "Word Detect No Show"));
        if (installed_) {
            ::CoFreeUnusedLibrariesEx(0, 0);
            wordsim::Uninstall(Api(), install_);
            installed_ = false;
        }
    }
}

// A Word that cannot be automated is still found through its registration
// on disk: the program goes on to the menu.
TEST_F(ShellE2E, WordWithoutAutomationIsFoundOnDisk) {
    InstallWord(wordsim::Version::Word2003, /*registerServer=*/false);
    StoreNoQuestions();
    Launch();

    HWND menu = WaitForForm(kTitle, kMenuHeading);
    ASSERT_NE(nullptr, menu);
    EXPECT_EQ(nullptr, app_->FindMessageBox()) << app_->Describe();
    Shot(menu, "main-menu");
    Press(menu, "Cancel");
    ExpectEndsCleanly();
}

TEST_F(ShellE2E, WordNowhereEndsWithTheAutomationError) {
    StoreNoQuestions();
    Launch();

    HWND box = app_->WaitForMessageBox();
    ASSERT_NE(nullptr, box) << app_->Describe();
    Shot(box, "error");
    e2e::MessageBoxInfo info = e2e::ReadMessageBox(box);
    EXPECT_EQ(kTitle, info.caption);
    // The error's number and its description: the ProgID is unknown.
    EXPECT_NE(std::string::npos, info.text.find("800401F3")) << info.text;
    EXPECT_EQ(std::vector<std::string>{"OK"}, info.buttons);
    EXPECT_EQ(nullptr, app_->FindForm(kTitle, kMenuHeading)) << "the menu is never shown";

    ASSERT_TRUE(e2e::Answer(box, "OK"));
    ExpectEndsCleanly();
}

TEST_F(ShellE2E, ClosingThroughTheFrame) {
    InstallWord(wordsim::Version::Word2003);
    Launch();

    // The version choice closed by its title bar: nothing stored, start-up goes on.
    HWND choice = WaitForForm(kTitle, kVersionHeading);
    ASSERT_NE(nullptr, choice);
    e2e::CloseByFrame(choice, FrameClose::SystemCommand);
    HWND menu = WaitForForm(kTitle, kMenuHeading);
    ASSERT_NE(nullptr, menu);
    EXPECT_FALSE(e2e::IsShown(choice));
    EXPECT_FALSE(Setting("Settings", "Word Version"));
    EXPECT_FALSE(Setting("Settings", "Word Detect No Show"));

    HWND offer = WaitForForm("", kOfferFrame);
    ASSERT_NE(nullptr, offer);
    Press(offer, "Cancel");
    ASSERT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(menu) != 0; })) << app_->Describe();
    Shot(menu, "main-menu");

    // The menu closed by WM_CLOSE (Alt+F4, the taskbar) ends the program.
    e2e::CloseByFrame(menu, FrameClose::Message);
    ExpectEndsCleanly();
    EXPECT_FALSE(Setting("Settings", "Word Version"));
}

}  // namespace

#endif  // _WIN32
