// The simulated Word on the emulated machine: what stops its start-up, what a
// start rebuilds, registration through winword.exe and the invocation log.
#include "os/Handles.h"
#include "os/emulated/Machine.h"
#include "wordsim/SimIo.h"
#include "wordsim/emulated/EmulatedWord.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using wordsim::Component;
using wordsim::Version;
namespace io = wordsim::io;

constexpr char kAppData[] = "C:\\Users\\Ann\\AppData\\Roaming";

class WordSimTest : public ::testing::Test {
protected:
    WordSimTest() { machine.SetSpecialFolder(os::CsidlAppData, kAppData); }

    wordsim::InstallResult Install(Version version, std::vector<Component> faults = {}) {
        wordsim::InstallOptions options;
        options.version = version;
        options.faults = std::move(faults);
        wordsim::InstallResult result = wordsim::InstallEmulated(machine, options);
        EXPECT_TRUE(result.ok) << result.error;
        return result;
    }

    // Creates Word.Application; returns the HRESULT, keeps the object and error.
    int32_t Create() {
        object.reset();
        error = {};
        return machine.CreateObject("Word.Application", &object, &error);
    }

    uint32_t Run(const std::string& commandLine) {
        os::UniqueHandle process(machine, machine.CreateProcess("", commandLine, os::SwShowNormal));
        EXPECT_TRUE(process) << commandLine;
        if (!process) return 0xFFFFFFFFu;
        EXPECT_EQ(os::WaitObject0, machine.WaitForSingleObject(process.get(), 10000));
        uint32_t code = 0xDEADBEEF;
        EXPECT_TRUE(machine.GetExitCodeProcess(process.get(), &code));
        return code;
    }

    std::string Text(const std::string& path) { return machine.ReadFileText(path).value_or("<missing>"); }

    os::emulated::Machine machine;
    std::unique_ptr<os::AutomationObject> object;
    os::AutoError error;
};

// Takes each component out of Word's way as the repair tool does: files
// renamed aside, registry components removed.
void DisableComponent(os::Api& api, const wordsim::InstallResult& install, Component component) {
    switch (component) {
        case Component::NormalDot:
            ASSERT_TRUE(api.MoveFile(install.normalDot, io::Join(install.userTemplates, "0Normal.dot")));
            break;
        case Component::ComAddins:
            ASSERT_TRUE(io::DeleteKeyTree(api, os::HKeyCurrentUser, wordsim::kComAddinsKey));
            break;
        case Component::Data:
            ASSERT_TRUE(io::DeleteKeyTree(api, os::HKeyCurrentUser, wordsim::DataKey(install.version)));
            break;
        case Component::Options:
            ASSERT_TRUE(io::DeleteKeyTree(api, os::HKeyCurrentUser, wordsim::OptionsKey(install.version)));
            break;
        case Component::StartupAddins:
            for (const std::string& path : install.startupAddins) {
                const std::string base = path.substr(0, path.size() - 3);
                ASSERT_TRUE(api.MoveFile(path, base + (io::Extension(path) == "dot" ? "wbt" : "wbl")));
            }
            break;
    }
}

TEST_F(WordSimTest, CleanInstallStartsReportsItsFolderAndQuits) {
    for (Version version : {Version::Word2002, Version::Word2003}) {
        SCOPED_TRACE(wordsim::OfficeVersion(version));
        const auto install = Install(version);
        EXPECT_EQ(version == Version::Word2002 ? "C:\\Program Files\\Simulated Office\\OFFICE10"
                                               : "C:\\Program Files\\Simulated Office\\OFFICE11",
                  install.programFolder);
        ASSERT_EQ(0, Create()) << error.description;
        ASSERT_TRUE(object);

        os::AutoValue path;
        ASSERT_EQ(0, object->GetProperty("Path", &path, &error));
        EXPECT_EQ(os::AutoValue(install.programFolder), path);
        os::AutoValue visible;
        ASSERT_EQ(0, object->GetProperty("visible", &visible, &error));
        EXPECT_EQ(os::AutoValue(false), visible);
        EXPECT_EQ(wordsim::kUnknownNameHresult, object->GetProperty("Documents", &visible, &error));

        ASSERT_EQ(0, object->CallMethod("Quit", &error));
        // A Word that has quit answers nothing more.
        EXPECT_EQ(wordsim::kDisconnectedHresult, object->GetProperty("Path", &path, &error));

        const auto log = wordsim::ReadLog(machine, install.programFolder);
        ASSERT_EQ(2u, log.size());
        EXPECT_EQ("automation", log[0].kind);
        EXPECT_EQ("started", log[0].text);
        EXPECT_EQ("quit", log[1].kind);
        wordsim::Uninstall(machine, install);
    }
}

TEST_F(WordSimTest, EachFaultAloneStopsTheStart) {
    struct Case {
        Component component;
        std::string inDescription;
    };
    const Case cases[] = {
        {Component::NormalDot, "Templates\\Normal.dot"},
        {Component::ComAddins, "COM add-in WordSim.Connect"},
        {Component::Data, "\\Word\\Data"},
        {Component::Options, "\\Word\\Options"},
        {Component::StartupAddins, "STARTUP\\Tools.dot"},
    };
    for (Version version : {Version::Word2002, Version::Word2003, Version::Word2007, Version::Word2016}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(wordsim::OfficeVersion(version)) + " " + wordsim::ComponentName(c.component));
            const auto install = Install(version, {c.component});
            EXPECT_EQ(wordsim::kStartFailedHresult, Create());
            EXPECT_FALSE(object);
            EXPECT_NE(std::string::npos, error.description.find(c.inDescription)) << error.description;

            // Word 2007 and later stop loading the add-in that failed: 3 becomes 2.
            const bool flipped = wordsim::IsNewer(version) && c.component == Component::ComAddins;
            const auto result = wordsim::SimulateStart(machine, install.programFolder);
            EXPECT_EQ(flipped, result.started);
            EXPECT_EQ(flipped ? std::nullopt : std::optional(c.component), result.failed);
            EXPECT_EQ(flipped ? 2u : 3u, wordsim::io::ReadDword(machine, os::HKeyCurrentUser,
                                                               std::string(wordsim::kComAddinsKey) + "\\WordSim.Connect",
                                                               "LoadBehavior"));

            const auto log = wordsim::ReadLog(machine, install.programFolder);
            ASSERT_FALSE(log.empty());
            EXPECT_EQ("automation", log[0].kind);
            EXPECT_EQ("failed: " + error.description, log[0].text);
            wordsim::Uninstall(machine, install);
        }
    }
}

TEST_F(WordSimTest, ComponentsTakenAsideDoNotStopTheStartAndAreRebuilt) {
    const auto install = Install(Version::Word2002, {std::begin(wordsim::kComponents), std::end(wordsim::kComponents)});
    const std::string oldNormal = Text(install.normalDot);
    for (Component component : wordsim::kComponents) {
        SCOPED_TRACE(wordsim::ComponentName(component));
        EXPECT_EQ(wordsim::kStartFailedHresult, Create());
        DisableComponent(machine, install, component);
    }
    ASSERT_EQ(0, Create()) << error.description;

    // Word writes a fresh Normal.dot; the one renamed aside stays as it was.
    EXPECT_EQ(wordsim::FreshNormalDot(Version::Word2002), Text(install.normalDot));
    EXPECT_EQ(oldNormal, Text(io::Join(install.userTemplates, "0Normal.dot")));
    // Data and Options come back from the defaults, without the faults, and
    // Options still tells where the Startup folder is.
    EXPECT_TRUE(io::KeyExists(machine, os::HKeyCurrentUser, wordsim::DataKey(Version::Word2002)));
    EXPECT_FALSE(io::ValueExists(machine, os::HKeyCurrentUser, wordsim::DataKey(Version::Word2002),
                                 wordsim::kFaultMarker));
    EXPECT_EQ(install.startupFolder, io::ReadString(machine, os::HKeyCurrentUser,
                                                    wordsim::OptionsKey(Version::Word2002), "Startup-Path"));
    EXPECT_EQ(install.programFolder + "\\", io::ReadString(machine, os::HKeyCurrentUser,
                                                           wordsim::OptionsKey(Version::Word2002), "Programdir"));
    // The renamed add-ins are still there, just not loaded.
    EXPECT_TRUE(machine.Exists(io::Join(install.startupFolder, "Tools.wbt")));
    EXPECT_TRUE(machine.Exists(io::Join(install.startupFolder, "Macros.wbl")));
    EXPECT_EQ(0, Create()) << "a rebuilt Word starts again";
}

TEST_F(WordSimTest, ARebuildHappensOnlyForWhatIsMissing) {
    for (Component missing : {Component::NormalDot, Component::Data, Component::Options}) {
        SCOPED_TRACE(wordsim::ComponentName(missing));
        const auto install = Install(Version::Word2003);
        DisableComponent(machine, install, missing);
        const auto result = wordsim::SimulateStart(machine, install.programFolder);
        ASSERT_TRUE(result.started) << result.description;
        EXPECT_EQ(std::vector<Component>{missing}, result.rebuilt);
        EXPECT_TRUE(wordsim::SimulateStart(machine, install.programFolder).rebuilt.empty());
        wordsim::Uninstall(machine, install);
    }
}

TEST_F(WordSimTest, WordLoadsOnlyWhatItWouldLoad) {
    const auto install = Install(Version::Word2003);
    const std::string general = wordsim::GeneralKey(Version::Word2003);
    const std::string addins = wordsim::kComAddinsKey;

    // A COM add-in that is not loaded at start-up cannot stop it.
    ASSERT_TRUE(io::WriteDword(machine, os::HKeyCurrentUser, addins + "\\Idle.Addin", "LoadBehavior", 1));
    ASSERT_TRUE(io::WriteString(machine, os::HKeyCurrentUser, addins + "\\Idle.Addin", wordsim::kFaultMarker, "x"));
    // Renamed-aside and other files in the Startup folder are not loaded.
    machine.WriteFileText(io::Join(install.startupFolder, "Old.wbt"), wordsim::kFaultMarker);
    machine.WriteFileText(io::Join(install.startupFolder, "Old.wbl"), wordsim::kFaultMarker);
    machine.WriteFileText(io::Join(install.startupFolder, "Notes.txt"), wordsim::kFaultMarker);
    // A faulty shared Normal.dot is hidden while the user's own is there.
    const auto shared = io::ReadString(machine, os::HKeyCurrentUser, general, "SharedTemplates");
    ASSERT_TRUE(shared);
    machine.WriteFileText(io::Join(*shared, "Normal.dot"), wordsim::kFaultMarker);
    EXPECT_EQ(0, Create()) << error.description;

    // Without the user's Normal.dot Word finds the shared one and fails.
    DisableComponent(machine, install, Component::NormalDot);
    EXPECT_EQ(wordsim::kStartFailedHresult, Create());
    EXPECT_NE(std::string::npos, error.description.find(io::Join(*shared, "Normal.dot"))) << error.description;
    EXPECT_FALSE(machine.Exists(install.normalDot)) << "a failed start rebuilds nothing";

    // The program folder's STARTUP folder loads as well.
    ASSERT_TRUE(machine.MoveFile(io::Join(*shared, "Normal.dot"), io::Join(*shared, "0Normal.dot")));
    machine.WriteFileText(io::Join(install.programFolder, "STARTUP\\Ext.wll"), wordsim::kFaultMarker);
    EXPECT_EQ(wordsim::kStartFailedHresult, Create());
    EXPECT_NE(std::string::npos, error.description.find("STARTUP\\Ext.wll")) << error.description;
}

TEST_F(WordSimTest, UnregisterStopsAutomationUntilRegisterAndEveryCommandLineIsLogged) {
    const auto install = Install(Version::Word2003);
    // The repair tool's own lines: the program path unquoted, blanks and all.
    const std::string unregister = install.winword + " /u";
    const std::string reregister = install.winword + " /r";
    const std::string safeMode = install.winword + " /a /t\"C:\\Tools\\Fix Word\\SUPPORT11.DOT\"";
    const std::string templateStart = install.winword + " /t";

    EXPECT_EQ(0u, Run(unregister));
    EXPECT_NE(0, Create());
    EXPECT_FALSE(object);
    EXPECT_FALSE(wordsim::ServerRegistered(machine));
    EXPECT_EQ(0u, Run(safeMode));
    EXPECT_NE(0, Create()) << "a safe-mode start does not register Word";

    EXPECT_EQ(0u, Run(reregister));
    EXPECT_TRUE(wordsim::ServerRegistered(machine));
    ASSERT_EQ(0, Create()) << error.description;
    EXPECT_EQ(0u, Run(templateStart));

    const auto log = wordsim::ReadLog(machine, install.programFolder);
    EXPECT_EQ((std::vector<std::string>{unregister, safeMode, reregister, templateStart}),
              wordsim::LoggedCommandLines(log));
    std::vector<std::string> entries;
    for (const auto& entry : log) entries.push_back(entry.kind + ":" + entry.text);
    EXPECT_EQ((std::vector<std::string>{"cmdline:" + unregister, "unregister:", "cmdline:" + safeMode,
                                        "start:safe mode with template C:\\Tools\\Fix Word\\SUPPORT11.DOT",
                                        "cmdline:" + reregister, "register:", "automation:started",
                                        "cmdline:" + templateStart, "start:started"}),
              entries);
}

TEST_F(WordSimTest, ALogEntryStillBeingWrittenIsNotReadYet) {
    const auto install = Install(Version::Word2003);
    machine.WriteFileText(wordsim::io::Join(install.programFolder, wordsim::kLogName),
                          "cmdline\tC:\\w.exe /u\r\nunregis");
    const auto log = wordsim::ReadLog(machine, install.programFolder);
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ("cmdline", log[0].kind);
}

TEST_F(WordSimTest, AStartByCommandLineFailsOnAFaultButSafeModeDoesNot) {
    const auto install = Install(Version::Word2002, {Component::Options});
    EXPECT_EQ(1u, Run(install.winword));
    EXPECT_EQ(0u, Run(install.winword + " /a"));
    const auto log = wordsim::ReadLog(machine, install.programFolder);
    ASSERT_EQ(4u, log.size());
    EXPECT_EQ("start", log[1].kind);
    EXPECT_EQ(0u, log[1].text.rfind("failed: ", 0)) << log[1].text;
    EXPECT_EQ("safe mode", log[3].text);
}

TEST_F(WordSimTest, ParsesTheSwitchesAfterTheProgramPath) {
    struct Case {
        std::string line;
        bool r, u, a, automation;
        std::optional<std::string> templatePath;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Office\\winword.exe /r", true, false, false, false, std::nullopt},
        {"C:\\Program Files\\Office\\WINWORD.EXE /U", false, true, false, false, std::nullopt},
        {"\"C:\\Program Files\\Office\\winword.exe\" /a /t\"C:\\My Tools\\SafeMode.DOT\"", false, false, true, false,
         "C:\\My Tools\\SafeMode.DOT"},
        {"C:\\Office\\winword.exe /t", false, false, false, false, ""},
        {"C:\\Office\\root\\Office16\\winword.exe /safe", false, false, true, false, std::nullopt},
        {"C:\\Office\\winword.exe -Embedding", false, false, false, true, std::nullopt},
        // A folder whose name looks like a switch is still part of the path.
        {"C:\\a /r b\\winword.exe /a", false, false, true, false, std::nullopt},
        {"C:\\Office\\winword.exe", false, false, false, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const auto parsed = wordsim::ParseCommandLine(c.line);
        EXPECT_EQ(c.r, parsed.registerServer);
        EXPECT_EQ(c.u, parsed.unregisterServer);
        EXPECT_EQ(c.a, parsed.safeMode);
        EXPECT_EQ(c.automation, parsed.automation);
        EXPECT_EQ(c.templatePath, parsed.templatePath);
    }
}

TEST_F(WordSimTest, InstallLaysDownWhatTheRepairToolReadsAndUninstallTakesItAway) {
    wordsim::InstallOptions options;
    options.version = Version::Word2002;
    options.programFolder = "C:\\Office XP\\Office10\\";
    options.comAddins = {{"Off.Addin", 0}};
    options.faults = {Component::ComAddins, Component::StartupAddins};
    options.startupAddins = {"Readme.txt"};
    options.startDelayMs = 250;
    const auto install = wordsim::InstallEmulated(machine, options);
    ASSERT_TRUE(install.ok) << install.error;

    const os::HKey hkcu = os::HKeyCurrentUser;
    const os::HKey hklm = os::HKeyLocalMachine;
    EXPECT_EQ("C:\\Office XP\\Office10", install.programFolder);
    EXPECT_EQ(std::string(kAppData) + "\\Microsoft\\Templates",
              io::ReadString(machine, hkcu, wordsim::GeneralKey(Version::Word2002), "UserTemplates"));
    EXPECT_EQ(std::string(kAppData) + "\\Microsoft\\Word\\STARTUP",
              io::ReadString(machine, hkcu, wordsim::OptionsKey(Version::Word2002), "Startup-Path"));
    EXPECT_EQ("C:\\Office XP\\Office10\\",
              io::ReadString(machine, hklm, wordsim::InstallRootKey(Version::Word2002), "Path"));
    EXPECT_EQ(install.winword, io::ReadString(machine, hklm, wordsim::kAppPathsKey, ""));
    EXPECT_TRUE(machine.Exists(install.winword));
    // Faults asked for where nothing loaded could carry them land on an
    // add-in laid down for the purpose.
    const auto result = wordsim::SimulateStart(machine, install.programFolder);
    EXPECT_EQ(Component::ComAddins, result.failed);
    EXPECT_EQ(250u, result.startDelayMs);
    DisableComponent(machine, install, Component::ComAddins);
    EXPECT_EQ(Component::StartupAddins, wordsim::SimulateStart(machine, install.programFolder).failed);

    wordsim::Uninstall(machine, install);
    EXPECT_FALSE(io::KeyExists(machine, hkcu, "Software\\Microsoft\\Office"));
    EXPECT_FALSE(io::KeyExists(machine, hklm, "Software\\Microsoft\\Office"));
    EXPECT_FALSE(io::KeyExists(machine, hklm, wordsim::kAppPathsKey));
    EXPECT_FALSE(wordsim::ServerRegistered(machine));
    for (const std::string& folder : {install.programFolder, install.userTemplates, install.startupFolder}) {
        EXPECT_FALSE(machine.Exists(folder)) << folder;
    }
}

}  // namespace
