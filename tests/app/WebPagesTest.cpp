// Opening pages through the program that opens local ".HTM" files, and the
// settings store's place and reading rules.
#include "AppWorld.h"

#include "app/Settings.h"
#include "platform/WebPages.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using apptest::World;

constexpr char kTempFile[] = "C:\\temphtm.HTM";
constexpr char kQuotedLine[] = "\"<HTML> <\\HTML>\"\r\n";

// Which file the shell was asked about, and what it held then.
struct Probe {
    std::string path;
    std::optional<std::string> content;
};

Probe Open(World& w, const std::string& address, os::WindowId owner = 0x1234) {
    Probe probe;
    w.machine.SetCallObserver([&](const std::string& method, const std::string& subject) {
        if (method != "FindExecutable") return;
        probe.path = subject;
        probe.content = w.machine.ReadFileText(subject);
    });
    platform::OpenWebPage(w.Ctx().Services(), address, owner);
    w.machine.SetCallObserver(nullptr);
    return probe;
}

TEST(WebPages, TheAddressReachesTheBrowserUnchanged) {
    World w;
    w.machine.WriteFileText(kTempFile, "left over from an earlier run, and longer than the line");
    const std::string address = "https://www.quorvex.example/forum/?q=a b&x=\"1\"";
    Probe probe = Open(w, address, 0x5678);
    EXPECT_EQ(probe.path, kTempFile);
    EXPECT_EQ(probe.content, kQuotedLine) << "an existing file is overwritten";
    ASSERT_EQ(w.machine.ShellLog().size(), 1u);
    const auto& call = w.machine.ShellLog()[0];
    EXPECT_EQ(call.owner, 0x5678u);
    EXPECT_EQ(call.operation, "open");
    EXPECT_EQ(call.file, apptest::kBrowser);
    EXPECT_EQ(call.parameters, address);
    EXPECT_EQ(call.directory, "");
    EXPECT_EQ(call.showCmd, os::SwShowNormal);
    EXPECT_TRUE(w.Host().Boxes().empty());
    EXPECT_FALSE(w.machine.Exists(kTempFile));
}

TEST(WebPages, FailuresAreToldOnceAndTheFileStillGoes) {
    const struct {
        const char* what;
        std::function<void(World&)> arrange;
        std::string text, caption;
    } cases[] = {
        {"no browser", [](World& w) { w.machine.SetAssociation(".htm", ""); }, "Could not find associated Browser",
         "Browser Not Found"},
        {"query fails", [](World& w) { w.machine.FailCall("FindExecutable", 1, 31); },
         "Could not find associated Browser", "Browser Not Found"},
        {"browser does not start", [](World& w) { w.machine.FailCall("ShellExecute", 1, os::err::FileNotFound); },
         "Web Page not Opened", "URL Failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        World w;
        c.arrange(w);
        Open(w, platform::PageAddress(platform::Page::MakerHome));
        ASSERT_EQ(w.Host().Boxes().size(), 1u);
        EXPECT_EQ(w.Host().Boxes()[0].text, c.text);
        EXPECT_EQ(w.Host().Boxes()[0].caption, c.caption);
        EXPECT_EQ(w.Host().Boxes()[0].style, forms::vbOKOnly | forms::vbExclamation);
        EXPECT_TRUE(w.machine.ShellLog().empty());
        EXPECT_FALSE(w.machine.Exists(kTempFile));
    }
}

TEST(WebPages, ARefusedDriveRootSendsTheFileToTheTemporaryFolder) {
    World w;
    w.machine.FailCall("CreateFile", 1, os::err::AccessDenied, 1, kTempFile);
    Probe probe = Open(w, platform::PageAddress(platform::Page::WalkThru));
    const std::string fallback = w.machine.GetTempPath() + "temphtm.HTM";
    EXPECT_EQ(probe.path, fallback);
    EXPECT_EQ(probe.content, kQuotedLine);
    ASSERT_EQ(w.machine.ShellLog().size(), 1u);
    EXPECT_EQ(w.machine.ShellLog()[0].parameters, platform::PageAddress(platform::Page::WalkThru));
    EXPECT_FALSE(w.machine.Exists(fallback));
    EXPECT_FALSE(w.machine.Exists(kTempFile));
}

TEST(WebPages, AppDataFolderIsWhatTheShellNamesOrEmpty) {
    World w;
    EXPECT_EQ(platform::GetAppDataFolder(w.machine), "");
    w.machine.SetSpecialFolder(os::CsidlAppData, "C:\\Users\\Ann\\AppData\\Roaming");
    EXPECT_EQ(platform::GetAppDataFolder(w.machine), "C:\\Users\\Ann\\AppData\\Roaming");
}

TEST(Settings, TextValuesPerExecutableAndSection) {
    World w;
    w.machine.SetModulePath("C:\\Tools\\qvx.fix.exe");
    app::Settings settings(w.machine);
    EXPECT_EQ(settings.Get("Settings", "Word Version", "False"), "False");
    settings.Save("Settings", "Word Version", "WD11");
    settings.Save("Settings", "Word Version", "WD10");
    EXPECT_EQ(w.Stored("Settings", "Word Version", "qvx.fix"), "WD10") << "REG_SZ in the runtime's place";
    EXPECT_EQ(settings.Get("Settings", "Word Version", "False"), "WD10");
    EXPECT_EQ(settings.Get("Show WalkThru", "Word Version", "False"), "False") << "sections are apart";

    settings.Save("Settings", "Word Detect No Show", "");
    EXPECT_EQ(settings.Get("Settings", "Word Detect No Show", "False"), "") << "empty is a value, not absence";
    uint32_t number = 1;
    os::HKey key = 0;
    ASSERT_EQ(w.machine.RegOpenKeyEx(os::HKeyCurrentUser, "Software\\VB and VBA Program Settings\\qvx.fix\\Settings",
                                     os::KeyAllAccess, &key),
              0);
    w.machine.RegSetValueEx(key, "Count", os::RegDword, reinterpret_cast<const uint8_t*>(&number), 4);
    w.machine.RegCloseKey(key);
    EXPECT_EQ(settings.Get("Settings", "Count", "False"), "False") << "only text is a setting";
}

}  // namespace
