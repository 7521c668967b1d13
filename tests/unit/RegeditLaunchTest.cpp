// The registry editor's command lines as Class1 and clsBackup start it, and
// the registered WordPerfect version.
#include "engine/Class1.h"
#include "engine/clsBackup.h"

#include "os/emulated/Machine.h"
#include "platform/RaisedError.h"
#include "support/ScriptedUser.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

constexpr char kRegedit[] = "C:\\Windows\\Regedit.exe";

struct NoLaunch final : engine::LaunchOptions {
    bool optLaunchSelected() const override { return false; }
    bool optLaunchSMSelected() const override { return false; }
};

class RegeditLaunchTest : public ::testing::Test {
protected:
    os::emulated::Machine machine;
    qvxtest::ScriptedUser host;
    platform::Services services{machine, host};
    engine::Program program{services};
    NoLaunch options;

    void InstallRegedit() {
        machine.WriteFileText(kRegedit, "MZ");
        machine.InstallProgram(kRegedit, [](os::emulated::Machine&, const std::string&) { return 0u; });
    }
};

TEST_F(RegeditLaunchTest, StartsTheEditorMinimizedWithItsDocumentedCommandLine) {
    InstallRegedit();
    // A program where a blank in the target path would end an unquoted name.
    machine.WriteFileText("C:\\Program.exe", "MZ");
    machine.InstallProgram("C:\\Program.exe", [](os::emulated::Machine&, const std::string&) { return 0u; });

    const std::string file = "C:\\Program Files\\Quorvex\\Data.reg";
    const std::string key = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\10.0\\Word\\Data";
    const std::string exportLine = "C:\\Windows\\Regedit.exe /e \"" + file + "\" \"" + key;
    const struct {
        const char* what;
        std::function<void()> call;
        std::string commandLine;
    } cases[] = {
        {"Class1.RegBackup", [&] { engine::Class1(services).RegBackup(file, key); }, exportLine},
        {"clsBackup.RegBackup", [&] { engine::clsBackup(program, options).RegBackup(file, key); }, exportLine},
        {"Class1.RegRestore", [&] { engine::Class1(services).RegRestore(file); },
         "C:\\Windows\\Regedit.exe /s " + file},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t before = machine.ProcessLog().size();
        c.call();
        ASSERT_EQ(before + 1, machine.ProcessLog().size());
        const auto& started = machine.ProcessLog().back();
        EXPECT_EQ(kRegedit, started.applicationName);
        EXPECT_EQ(c.commandLine, started.commandLine);
        EXPECT_EQ(os::SwShowMinimized, started.showCmd);
    }
}

TEST_F(RegeditLaunchTest, AnEditorThatCannotStartReachesTheCallerAsARaisedError) {
    const struct {
        const char* what;
        std::function<void()> call;
        std::string source;
    } cases[] = {
        {"Class1.RegBackup", [&] { engine::Class1(services).RegBackup("C:\\a.reg", "HKEY_CURRENT_USER\\x"); },
         "Class1"},
        {"Class1.RegRestore", [&] { engine::Class1(services).RegRestore("C:\\a.reg"); }, "Class1"},
        {"clsBackup.RegBackup",
         [&] { engine::clsBackup(program, options).RegBackup("C:\\a.reg", "HKEY_CURRENT_USER\\x"); }, "clsBackup"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            c.call();
            ADD_FAILURE() << "nothing raised";
        } catch (const platform::RaisedError& e) {
            EXPECT_EQ(53, e.Number);  // "File not found"
            EXPECT_EQ(c.source, e.Source);
        }
    }
    EXPECT_TRUE(machine.ProcessLog().empty());
}

TEST_F(RegeditLaunchTest, GetDefaultWPReadsTheRegisteredVersionOrGivesEmpty) {
    engine::clsBackup backup(program, options);
    EXPECT_TRUE(platform::IsEmpty(backup.GetDefaultWP()));

    const std::string key = "SOFTWARE\\Classes\\WordPerfect.Document\\CurVer";
    os::HKey handle = 0;
    ASSERT_EQ(0, machine.RegCreateKeyEx(os::HKeyLocalMachine, key, os::KeyAllAccess, &handle, nullptr));
    EXPECT_TRUE(platform::IsEmpty(backup.GetDefaultWP())) << "a key without a default value";

    const std::string version = "WordPerfect.Document.12";
    ASSERT_EQ(0, machine.RegSetValueEx(handle, "", os::RegSz, reinterpret_cast<const uint8_t*>(version.c_str()),
                                       static_cast<uint32_t>(version.size() + 1)));
    machine.RegCloseKey(handle);
    EXPECT_EQ(platform::Variant(version), backup.GetDefaultWP());
}

}  // namespace
