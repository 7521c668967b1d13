// Start-up: which Word version the run works on, the dialogs it opens, and
// where winword.exe is found, with Word's automation object or without it.
#include "AppWorld.h"

#include "app/SingleInstance.h"
#include "app/Startup.h"

#include <gtest/gtest.h>

namespace {

using apptest::World;
using Log = std::vector<std::string>;

const std::string kOffice = "Software\\Microsoft\\Office\\";
const std::string kMachineOffice = "SOFTWARE\\Microsoft\\Office\\";
const std::string kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Winword.exe";

TEST(Startup, FirstRunPreselectsTheNewestWordFoundButChoosesNothing) {
    const struct {
        std::vector<std::string> keys;
        std::string selected;
    } cases[] = {{{}, "optNotSure"}, {{"10.0"}, "optWd10"}, {{"11.0"}, "optXP"}, {{"10.0", "11.0"}, "optXP"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.keys));
        World w;
        for (const auto& key : c.keys) w.AddKey(os::HKeyCurrentUser, kOffice + key);
        std::string seen;
        w.Host().Then([&] {
            seen = apptest::Selected(w.Ctx().frmWordVerChoice());
            w.Ctx().frmWordVerChoice().OnFrameClose();
        });
        w.Host().ThenClick("frmWkThru", "Command2");
        w.Start();
        EXPECT_EQ(seen, c.selected);
        EXPECT_EQ(w.Host().ShowLog(), (Log{"frmWordVerChoice (modal)", "frmMain", "frmWkThru (modal)"}));
        EXPECT_EQ(w.Ctx().CurrentWordVersion(), "");
        EXPECT_TRUE(w.Ctx().frmMain().Visible());
        EXPECT_FALSE(w.Host().Ended());
    }
}

TEST(Startup, StoredChoiceDecidesVersionDialogAndProbes) {
    const struct {
        std::optional<std::string> version, noShow;
        std::string userKey;    // a probe would find this one
        std::string selected;   // empty: no dialog
        std::string current;
    } cases[] = {
        {"WD11", "True", "10.0", "", "WD11"},
        {"WD10", "False", "11.0", "optWd10", "WD10"},  // no probes, else optXP
        {"wd10", "True", "", "", ""},
        {"None", "True", "", "", ""},
        {"", "True", "", "", ""},
        {std::nullopt, "True", "11.0", "", ""},
        {"WD11", "yes", "", "", "WD11"},
        {"WD11", "", "", "", "WD11"},
        {"WD11", "false", "", "", "WD11"},
        {"wd11", "False", "10.0", "optWd10", ""},  // nothing valid stored: probes run
        {"WD11", std::nullopt, "", "optXP", "WD11"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version.value_or("<absent>") + " / " + c.noShow.value_or("<absent>"));
        World w;
        if (c.version) w.Store("Settings", "Word Version", *c.version);
        if (c.noShow) w.Store("Settings", "Word Detect No Show", *c.noShow);
        w.Store("Show WalkThru", "WalkThru", "True");
        if (!c.userKey.empty()) w.AddKey(os::HKeyCurrentUser, kOffice + c.userKey);
        std::string seen;
        if (!c.selected.empty()) {
            w.Host().Then([&] {
                seen = apptest::Selected(w.Ctx().frmWordVerChoice());
                w.Ctx().frmWordVerChoice().OnFrameClose();
            });
        }
        w.Start();
        EXPECT_EQ(seen, c.selected);
        EXPECT_EQ(w.Host().ShowLog().front() == "frmWordVerChoice (modal)", !c.selected.empty());
        EXPECT_EQ(w.Ctx().CurrentWordVersion(), c.current);
        EXPECT_TRUE(w.Ctx().frmMain().Visible());
        EXPECT_EQ(w.Stored("Settings", "Word Version"), c.version) << "start-up stores nothing";
    }
}

TEST(Startup, WalkThruOfferOnlyWhileTheSettingReadsFalse) {
    const std::optional<std::string> values[] = {std::nullopt, "False", "True", "false", "", "yes"};
    for (const auto& value : values) {
        SCOPED_TRACE(value.value_or("<absent>"));
        World w;
        w.Store("Settings", "Word Detect No Show", "True");
        if (value) w.Store("Show WalkThru", "WalkThru", *value);
        bool expected = !value || *value == "False";
        if (expected) w.Host().ThenClick("frmWkThru", "Command2");
        w.Start();
        EXPECT_EQ(w.Host().ShowLog(), expected ? (Log{"frmMain", "frmWkThru (modal)"}) : (Log{"frmMain"}));
        EXPECT_EQ(w.Stored("Show WalkThru", "WalkThru"), value) << "Cancel stores nothing";
    }
}

TEST(Startup, AnotherExecutableNameHasSettingsOfItsOwn) {
    World w;
    w.Store("Settings", "Word Version", "WD11");
    w.Store("Settings", "Word Detect No Show", "True");
    w.Store("Show WalkThru", "WalkThru", "True");
    w.machine.SetModulePath("C:\\Tools\\Word.Repair.exe");
    w.Host().ThenClick("frmWordVerChoice", "optWd10");
    w.Host().ThenClick("frmWordVerChoice", "btnOK");
    w.Host().ThenClick("frmWkThru", "Command2");
    w.Start();
    EXPECT_EQ(w.Host().ShowLog(), (Log{"frmWordVerChoice (modal)", "frmMain", "frmWkThru (modal)"}));
    EXPECT_EQ(w.Stored("Settings", "Word Version", "Word.Repair"), "WD10");
    EXPECT_EQ(w.Stored("Settings", "Word Version"), "WD11");
}

TEST(Startup, AsksWordForItsFolderAndLetsItQuit) {
    World w;
    w.machine.AddDrive("D:");
    w.InstallWord("D:\\Office 2003\\OFFICE11");
    w.Store("Settings", "Word Detect No Show", "True");
    w.Store("Show WalkThru", "WalkThru", "True");
    w.Start();
    EXPECT_EQ(w.Ctx().WordProgramFolder(), "D:\\Office 2003\\OFFICE11");
    EXPECT_EQ(w.word->created, 1);
    EXPECT_EQ(w.word->quits, 1);
    EXPECT_EQ(w.word->alive, 0) << "the object is released";
    EXPECT_EQ(w.Host().Yields(), 4) << "after creating, reading Path, Quit and the release";
    EXPECT_TRUE(w.Host().Boxes().empty());
}

// Word that no longer starts cannot make its automation object, and that is
// when this program is needed: Word's registration tells where it lies.
TEST(Startup, WithoutWordsObjectFindsWinwordFromItsRegistration) {
    const std::string office10 = "C:\\Program Files\\Microsoft Office\\Office10";
    const std::string stale = "C:\\Old Office";
    const struct {
        const char* what;
        std::string key, value, data, version, expected;
    } cases[] = {
        {"App Paths, quoted program", kAppPaths, "", "\"" + office10 + "\\WINWORD.EXE\"", "", office10},
        {"App Paths folder", kAppPaths, "Path", office10 + "\\", "", office10},
        {"InstallRoot of the version", kMachineOffice + "10.0\\Word\\InstallRoot", "Path", office10 + "\\", "WD10",
         office10},
        {"InstallRoot of another version", kMachineOffice + "10.0\\Word\\InstallRoot", "Path", office10, "WD11",
         office10},
        {"32-bit view", "SOFTWARE\\WOW6432Node\\Microsoft\\Office\\10.0\\Word\\InstallRoot", "Path",
         office10 + "\\", "", office10},
    };
    enum Road { Unregistered, CreateFails, PathFails };
    for (Road road : {Unregistered, CreateFails, PathFails}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + ", road " + std::to_string(road));
            World w;
            w.RemoveWord();
            if (road != Unregistered) {
                w.InstallWord(stale);  // registers the object again
                w.machine.DeleteFile(stale + "\\WINWORD.EXE");
            }
            if (road == CreateFails)
                w.word->createError = {static_cast<int32_t>(0x80080005u), "Server execution failed"};
            if (road == PathFails)
                w.word->pathError = {static_cast<int32_t>(0x80010108u), "The object invoked has disconnected"};
            w.PutWinword(office10);
            // A registration whose folder lost winword.exe is passed over.
            w.SetText(os::HKeyLocalMachine, kMachineOffice + "11.0\\Word\\InstallRoot", "Path", stale + "\\");
            w.SetText(os::HKeyLocalMachine, c.key, c.value, c.data);
            w.Store("Settings", "Word Version", c.version);
            w.Store("Settings", "Word Detect No Show", "True");
            w.Store("Show WalkThru", "WalkThru", "True");
            w.Start();
            EXPECT_EQ(w.Ctx().WordProgramFolder(), c.expected);
            EXPECT_TRUE(w.Host().Boxes().empty());
            EXPECT_TRUE(w.Ctx().frmMain().Visible());
            EXPECT_EQ(w.word->quits, road == PathFails ? 1 : 0) << "a Word that was started is let quit";
            EXPECT_EQ(w.word->alive, 0);
        }
    }
}

// Word 2007 and later are found by their registration and files alone: each
// version once, oldest first; the newest is preselected, and a stored newer
// version counts only while it is installed.
TEST(Startup, NewerWordsAreFoundWithoutStartingWordAndTheNewestPreselected) {
    const std::string x86 = "C:\\Program Files (x86)\\Microsoft Office";
    const std::string x64 = "C:\\Program Files\\Microsoft Office";
    const std::string c2r = "SOFTWARE\\Microsoft\\Office\\ClickToRun\\Configuration";
    struct Value {
        std::string key, name, data;
    };
    const struct {
        const char* what;
        std::vector<Value> values;
        std::vector<std::string> winwords;  // folders holding winword.exe
        std::string stored;                 // "Word Version", with the dialog told not to show
        std::string found;                  // version folder [C2R], ...
        std::string selected;               // empty: no dialog
        std::string current, folder;
        std::string fileVersion = {};       // of each winword.exe; empty: none, the road's version counts
    } cases[] = {
        {"none: one option for them all", {}, {}, "", "", "optNotSure", "", apptest::kWordFolder},
        {"2016 MSI, 64-bit",
         {{kMachineOffice + "16.0\\Word\\InstallRoot", "Path", x64 + "\\Office16\\"}},
         {x64 + "\\Office16"}, "", "WD16 " + x64 + "\\Office16", "Word 2016 or &later (also known as Microsoft 365)",
         "", apptest::kWordFolder},
        {"2016 Click-to-Run, 32-bit Office on 64-bit Windows",
         {{c2r, "InstallationPath", x86}, {c2r, "VersionToReport", "16.0.17928.20114"}},
         {x86 + "\\root\\Office16"}, "WD16", "WD16 " + x86 + "\\root\\Office16 C2R", "", "WD16",
         x86 + "\\root\\Office16"},
        {"2007 MSI in the 32-bit view, and a stale 2013 registration",
         {{"SOFTWARE\\WOW6432Node\\Microsoft\\Office\\12.0\\Word\\InstallRoot", "Path", x86 + "\\Office12"},
          {kMachineOffice + "15.0\\Word\\InstallRoot", "Path", x86 + "\\Office15"}},
         {x86 + "\\Office12"}, "WD12", "WD12 " + x86 + "\\Office12", "", "WD12", x86 + "\\Office12"},
        {"2010 by App Paths only, quoted", {{kAppPaths, "", "\"" + x64 + "\\Office14\\WINWORD.EXE\""}},
         {x64 + "\\Office14"}, "", "WD14 " + x64 + "\\Office14", "Word 201&0", "", apptest::kWordFolder},
        {"2007 and 2016: the newest; 2010 stored but gone is asked again",
         {{kMachineOffice + "12.0\\Word\\InstallRoot", "Path", x86 + "\\Office12"},
          {c2r, "InstallationPath", x64}, {c2r, "VersionToReport", "16.0.1"}},
         {x86 + "\\Office12", x64 + "\\root\\Office16"}, "WD14",
         "WD12 " + x86 + "\\Office12, WD16 " + x64 + "\\root\\Office16 C2R",
         "Word 2016 or &later (also known as Microsoft 365)", "", apptest::kWordFolder},
        {"winword.exe's own version wins over 2013's key", {{kMachineOffice + "15.0\\Word\\InstallRoot", "Path", x86 + "\\Office15"}},
         {x86 + "\\Office15"}, "", "WD16 " + x86 + "\\Office15", "Word 2016 or &later (also known as Microsoft 365)", "",
         apptest::kWordFolder, "16.0"},
        {"App Paths to a folder of any name, known by winword.exe's version", {{kAppPaths, "Path", "C:\\Word; "}},
         {"C:\\Word"}, "WD12", "WD12 C:\\Word", "", "WD12", "C:\\Word", "12.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        World w;
        for (const Value& v : c.values) w.SetText(os::HKeyLocalMachine, v.key, v.name, v.data);
        for (const std::string& folder : c.winwords) {
            w.PutWinword(folder);
            if (!c.fileVersion.empty()) w.machine.SetFileVersion(folder + "\\WINWORD.EXE", c.fileVersion);
        }
        if (!c.stored.empty()) w.Store("Settings", "Word Version", c.stored);
        w.Store("Settings", "Word Detect No Show", c.stored.empty() ? "False" : "True");
        w.Store("Show WalkThru", "WalkThru", "True");
        std::string found;
        const std::vector<app::InstalledWord> words = app::FindNewerWords(w.machine);
        for (const app::InstalledWord& word : words)
            found += (found.empty() ? "" : ", ") + word.version + " " + word.folder + (word.clickToRun ? " C2R" : "");
        EXPECT_EQ(found, c.found);
        std::string seen;
        size_t options = 0;
        if (!c.selected.empty()) {
            w.Host().Then([&] {
                seen = apptest::Selected(w.Ctx().frmWordVerChoice());
                options = w.Ctx().frmWordVerChoice().optNewer.Count();
                w.Ctx().frmWordVerChoice().OnFrameClose();
            });
        }
        w.Start();
        EXPECT_EQ(seen, c.selected);
        if (!c.selected.empty()) {
            EXPECT_EQ(options, std::max<size_t>(1, words.size()));
        }
        EXPECT_EQ(w.Ctx().CurrentWordVersion(), c.current);
        EXPECT_EQ(w.Ctx().WordProgramFolder(), c.folder);
    }
}

TEST(Startup, WordFoundNowhereEndsWithTheAutomationErrorBeforeTheMenu) {
    for (bool registeredOnly : {false, true}) {
        SCOPED_TRACE(registeredOnly ? "registration without winword.exe" : "nothing at all");
        World w;
        w.RemoveWord();
        if (registeredOnly) {
            w.SetText(os::HKeyLocalMachine, kAppPaths, "", std::string(apptest::kWordFolder) + "\\WINWORD.EXE");
            w.SetText(os::HKeyLocalMachine, kMachineOffice + "11.0\\Word\\InstallRoot", "Path", apptest::kWordFolder);
        }
        w.Store("Settings", "Word Detect No Show", "True");
        w.Start();
        EXPECT_TRUE(w.Host().Ended());
        ASSERT_EQ(w.Host().Boxes().size(), 1u);
        const auto& box = w.Host().Boxes()[0];
        EXPECT_NE(box.text.find("-2147221005"), std::string::npos) << box.text;
        EXPECT_NE(box.text.find("Invalid class string"), std::string::npos) << box.text;
        EXPECT_EQ(box.caption, "Quorvex");
        EXPECT_EQ(box.style, forms::vbOKOnly);
        EXPECT_TRUE(w.Host().ShowLog().empty()) << "the main menu is never shown";
        EXPECT_EQ(w.Ctx().WordProgramFolder(), "");
    }
}

TEST(Startup, ASecondCopyIsToldAndBringsTheFirstForwardTouchingNothing) {
    World w;
    std::optional<app::SingleInstance> first(std::in_place, w.machine);
    ASSERT_FALSE(first->AnotherCopyRuns());
    w.Store("Settings", "Word Detect No Show", "True");
    w.Host().ThenClick("frmWkThru", "Command2");
    w.Start();
    const os::WindowId window = w.machine.AddWindow("QuorvexForm");
    w.machine.AddWindow("OtherProgram");

    const std::map<std::string, int> before = w.machine.CallCounts();
    forms::ScriptedHost second;
    {
        app::SingleInstance instance(w.machine);
        ASSERT_TRUE(instance.AnotherCopyRuns());
        EXPECT_EQ(app::RefuseSecondCopy(w.machine, second, w.Ctx().Title(), "QuorvexForm"), 3);
    }
    ASSERT_EQ(second.Boxes().size(), 1u);
    EXPECT_EQ(second.Boxes()[0].text, "Quorvex is already running.");
    EXPECT_EQ(second.Boxes()[0].caption, "Quorvex");
    EXPECT_EQ(second.Boxes()[0].style, forms::vbOKOnly);
    EXPECT_EQ(w.machine.ForegroundWindow(), window);
    std::map<std::string, int> made;
    for (const auto& [method, count] : w.machine.CallCounts()) {
        auto old = before.find(method);
        if (int more = count - (old == before.end() ? 0 : old->second)) made[method] = more;
    }
    EXPECT_EQ(made, (std::map<std::string, int>{{"ActivateOtherWindow", 1}, {"CloseHandle", 1}, {"CreateMutex", 1}}));

    EXPECT_TRUE(app::SingleInstance(w.machine).AnotherCopyRuns()) << "the first copy still runs";
    first.reset();
    EXPECT_FALSE(app::SingleInstance(w.machine).AnotherCopyRuns()) << "its end frees the next start";
}

}  // namespace
