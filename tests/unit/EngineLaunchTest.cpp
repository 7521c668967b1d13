// Starting Word: the command lines, the program path given apart from them,
// a start the system turned down, the wait for Word's registration run, and
// the start test.
#include "EngineWorld.h"

#include "engine/Class1.h"
#include "platform/RaisedError.h"
#include "platform/RecordingApi.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using enginetest::EngineWorld;
using wordsim::Version;

struct Launch {
    const char* name;
    void (*run)(engine::clsWD&);
    bool waits;
};
const Launch kLaunches[] = {
    {"Execute(true)", [](engine::clsWD& p) { p.Execute(true); }, false},
    {"Execute(false)", [](engine::clsWD& p) { p.Execute(false); }, false},
    {"UnRegServ", [](engine::clsWD& p) { p.UnRegServ(); }, true},
    {"RegServ", [](engine::clsWD& p) { p.RegServ(); }, true},
    {"WordStartTemplate", [](engine::clsWD& p) { p.WordStartTemplate(); }, false},
};

class EngineLaunch : public EngineWorld {};

TEST_F(EngineLaunch, CommandLinesAreExactlyAsBuiltAndTheProgramGoesApart) {
    struct Case {
        const char* version;
        Version word;
        std::vector<std::string> switches;
    } cases[] = {
        {engine::kWord2002, Version::Word2002,
         {" /a /t\"C:\\Tools\\Fix\\SUPPORT10.DOT\"", " /a /t\"C:\\Tools\\Fix\\SafeMode.DOT\"", " /u", " /r", " /t"}},
        {engine::kWord2003, Version::Word2003,
         {" /a /t\"C:\\Tools\\Fix\\SUPPORT11.DOT\"", " /a /t\"C:\\Tools\\Fix\\SafeMode.DOT\"", " /u", " /r", " /t"}},
        // Word 2007 and later have their own safe mode; Click-to-Run has no /u and /r.
        {engine::kWord2007, Version::Word2007, {" /a", " /safe", " /u", " /r", " /t"}},
        {engine::kWord2016, Version::Word2016, {" /a", " /safe", " /t"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        InstallWord(c.word);
        // The default program folder has a blank in it: "Program Files".
        ASSERT_NE(std::string::npos, install.programFolder.find(' '));
        const std::string w = install.programFolder;
        std::vector<std::string> expected;
        for (const std::string& switches : c.switches) expected.push_back(w + "\\winword.exe" + switches);
        auto profile = Select(c.version);
        const size_t first = machine.ProcessLog().size();
        for (const Launch& launch : kLaunches) launch.run(*profile);

        ASSERT_EQ(first + expected.size(), machine.ProcessLog().size());
        for (size_t i = 0; i < expected.size(); ++i) {
            const auto& start = machine.ProcessLog()[first + i];
            EXPECT_EQ(w + "\\winword.exe", start.applicationName);
            EXPECT_EQ(expected[i], start.commandLine);
            EXPECT_EQ(os::SwShowNormal, start.showCmd);
        }
        EXPECT_EQ(expected, wordsim::LoggedCommandLines(wordsim::ReadLog(machine, w)));
        EXPECT_EQ(c.word == Version::Word2016, program.Run.registrationSkipped);
        EXPECT_TRUE(host.Boxes().empty());
    }
}

TEST_F(EngineLaunch, AnUnquotedWordFolderWithBlanksNeverStartsAnotherProgram) {
    InstallWord(Version::Word2003);
    int strays = 0;
    machine.WriteFileText("C:\\Program.exe", "MZ");
    machine.InstallProgram("C:\\Program.exe", [&strays](os::emulated::Machine&, const std::string&) {
        ++strays;
        return 0u;
    });
    auto profile = Select(engine::kWord2003);
    for (const Launch& launch : kLaunches) launch.run(*profile);
    EXPECT_EQ(0, strays);
    EXPECT_EQ(5u, wordsim::LoggedCommandLines(wordsim::ReadLog(machine, install.programFolder)).size());
}

TEST_F(EngineLaunch, AWordThatCannotBeStartedIsAnErrorOfTheCall) {
    program.WordProgramFolder = "C:\\No Office";
    for (const char* version : {engine::kWord2002, engine::kWord2003}) {
        auto profile = Select(version);
        for (const Launch& launch : kLaunches) {
            SCOPED_TRACE(std::string(version) + " " + launch.name);
            try {
                launch.run(*profile);
                ADD_FAILURE() << "no error raised";
            } catch (const platform::RaisedError& error) {
                EXPECT_EQ(53, error.Number);
                EXPECT_EQ(std::string("clsWD") + (version + 2), error.Source);
                EXPECT_NE(std::string::npos, error.Description.find("C:\\No Office\\winword.exe"))
                    << error.Description;
            }
        }
    }
    EXPECT_TRUE(machine.ProcessLog().empty());
    EXPECT_TRUE(host.Boxes().empty());
}

// Every start the program makes goes through os::StartProcess: only a start
// the system turned down is tried again, three tries in all.
TEST_F(EngineLaunch, OnlyAStartTheSystemTurnedDownIsTriedAgainOnEveryRoad) {
    InstallWord(Version::Word2003);
    machine.WriteFileText(engine::kRegeditPath, "MZ");
    machine.InstallProgram(engine::kRegeditPath, [](os::emulated::Machine&, const std::string&) { return 0u; });
    auto profile = Select(engine::kWord2003);
    const std::pair<const char*, std::function<void()>> roads[] = {
        {"Word's registration", [&] { profile->RegServ(); }},
        {"the registry editor", [&] { engine::Class1(program.services).RegRestore("C:\\a.reg"); }},
    };
    const struct {
        uint32_t code;
        int refusals;
        int tries;
        bool started;
    } cases[] = {{os::err::InternalError, 2, 3, true}, {os::err::InternalError, 3, 3, false},
                 {os::err::AccessDenied, 1, 1, false}, {os::err::NotEnoughMemory, 1, 1, false}};
    for (const auto& [road, start] : roads) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(road) + ", error " + std::to_string(c.code) + " x" + std::to_string(c.refusals));
            const size_t started = machine.ProcessLog().size();
            const int tries = machine.CallCounts().count("CreateProcess") ? machine.CallCounts().at("CreateProcess") : 0;
            machine.FailCall("CreateProcess", 1, c.code, c.refusals);
            bool raised = false;
            try {
                start();
            } catch (const platform::RaisedError&) {
                raised = true;
            }
            EXPECT_EQ(!c.started, raised);
            EXPECT_EQ(started + (c.started ? 1 : 0), machine.ProcessLog().size());
            EXPECT_EQ(tries + c.tries, machine.CallCounts().at("CreateProcess"));
        }
    }
}

// Word's registration runs as long as the test says, counted in waits.
class SlowProcesses : public qvxtest::RecordingApi {
public:
    using RecordingApi::RecordingApi;
    int pendingWaits = 0;
    std::vector<uint32_t> waits;

    os::Handle CreateProcess(const std::string& applicationName, const std::string& commandLine,
                             int showCmd) override {
        os::Handle process = RecordingApi::CreateProcess(applicationName, commandLine, showCmd);
        if (process != 0) open.insert(process);
        return process;
    }
    uint32_t WaitForSingleObject(os::Handle handle, uint32_t milliseconds) override {
        waits.push_back(milliseconds);
        if (pendingWaits > 0) {
            --pendingWaits;
            return os::WaitTimeout;
        }
        return RecordingApi::WaitForSingleObject(handle, milliseconds);
    }
    bool CloseHandle(os::Handle handle) override {
        open.erase(handle);
        return RecordingApi::CloseHandle(handle);
    }
    std::set<os::Handle> open;
};

TEST_F(EngineLaunch, RegistrationRunsAreWaitedForWhileTheWindowKeepsPainting) {
    InstallWord(Version::Word2003);
    SlowProcesses api(machine);
    engine::Program slow{platform::Services{api, host}};
    slow.WordProgramFolder = install.programFolder;
    slow.CurrentWordVersion = engine::kWord2003;
    auto profile = engine::SelectWordProfile(slow);

    struct Case {
        int pending;
        size_t waits;  // WaitForSingleObject calls
        int yields;
    } cases[] = {{0, 1, 0}, {3, 4, 3}, {100000, 6000, 6000}};  // the last: given up after a minute
    for (const Launch& launch : kLaunches) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(launch.name) + " pending " + std::to_string(c.pending));
            api.pendingWaits = c.pending;
            api.waits.clear();
            const int yields = host.Yields();
            launch.run(*profile);
            if (launch.waits) {
                EXPECT_EQ(c.waits, api.waits.size());
                EXPECT_EQ(std::vector<uint32_t>(api.waits.size(), 10u), api.waits);
                EXPECT_EQ(yields + c.yields, host.Yields());
            } else {
                EXPECT_TRUE(api.waits.empty()) << "Word is left to run";
                EXPECT_EQ(yields, host.Yields());
            }
            EXPECT_TRUE(api.open.empty()) << "the process handle is closed";
        }
    }
}

TEST_F(EngineLaunch, TheStartTestReportsWhetherWordStartsAndAlwaysQuitsIt) {
    struct Case {
        const char* name;
        bool installed;
        std::vector<wordsim::Component> faults;
        bool starts;
        std::vector<std::string> log;  // kinds
    } cases[] = {
        {"clean", true, {}, true, {"automation", "quit"}},
        {"Options faulty", true, {wordsim::Component::Options}, false, {"automation"}},
        {"not installed", false, {}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os::emulated::Machine fresh;
        fresh.SetSpecialFolder(os::CsidlAppData, enginetest::kAppData);
        qvxtest::ScriptedUser user;
        engine::Program run{platform::Services{fresh, user}};
        std::string folder = "C:\\Office";
        if (c.installed) {
            wordsim::InstallOptions o;
            o.faults = c.faults;
            auto result = wordsim::InstallEmulated(fresh, o);
            ASSERT_TRUE(result.ok) << result.error;
            folder = result.programFolder;
        }
        run.WordProgramFolder = folder;
        run.CurrentWordVersion = engine::kWord2003;
        EXPECT_EQ(c.starts, engine::SelectWordProfile(run)->WordStartNormal());
        EXPECT_EQ(12, user.Yields());
        EXPECT_TRUE(user.Boxes().empty());
        std::vector<std::string> kinds;
        for (const auto& entry : wordsim::ReadLog(fresh, folder)) kinds.push_back(entry.kind);
        EXPECT_EQ(c.log, kinds);
    }
}

}  // namespace
