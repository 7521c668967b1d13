// The advanced menu's safe-mode launch: which profile it selects and which
// Word command lines it starts, on the emulated machine with a simulated Word.
#include "engine/clsBackup.h"

#include "engine/WordVersions.h"
#include "engine/clsWD10.h"
#include "engine/clsWD11.h"
#include "engine/clsWDNone.h"

#include "os/emulated/Machine.h"
#include "platform/RaisedError.h"
#include "support/ScriptedUser.h"
#include "wordsim/emulated/EmulatedWord.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr char kOwnFolder[] = "C:\\Program Files\\Quorvex";

// The menu's two options; remembers how often messages had run when asked.
struct Options final : engine::LaunchOptions {
    explicit Options(const forms::ScriptedHost& scripted) : host(scripted) {}
    bool optLaunchSelected() const override { return Asked(launch); }
    bool optLaunchSMSelected() const override { return Asked(launchSM); }
    bool Asked(bool answer) const {
        askedAtYield.push_back(host.Yields());
        return answer;
    }

    const forms::ScriptedHost& host;
    bool launch = false;
    bool launchSM = false;
    mutable std::vector<int> askedAtYield;
};

enum class Kind { None, WD10, WD11 };

Kind KindOf(const engine::clsWD* profile) {
    if (dynamic_cast<const engine::clsWD10*>(profile)) return Kind::WD10;
    if (dynamic_cast<const engine::clsWD11*>(profile)) return Kind::WD11;
    return Kind::None;
}

class clsBackupTest : public ::testing::Test {
protected:
    clsBackupTest() {
        machine.SetModulePath(std::string(kOwnFolder) + "\\qvxfix.exe");
        machine.SetSpecialFolder(os::CsidlAppData, "C:\\Users\\Ann\\AppData\\Roaming");
        wordsim::InstallOptions install;
        install.version = wordsim::Version::Word2003;
        word = wordsim::InstallEmulated(machine, install);
        program.WordProgramFolder = word.programFolder;
    }

    std::string WordLine(const std::string& templateName) const {
        return word.programFolder + "\\winword.exe /a /t\"" + kOwnFolder + "\\" + templateName + "\"";
    }

    os::emulated::Machine machine;
    qvxtest::ScriptedUser host;
    platform::Services services{machine, host};
    engine::Program program{services};
    wordsim::InstallResult word;
};

TEST_F(clsBackupTest, SelectsTheProfileOfTheVersionAndStartsWordForEachOptionSelected) {
    ASSERT_TRUE(word.ok) << word.error;
    const struct {
        const char* version;
        bool launch, launchSM;
        Kind profile;
        std::vector<std::string> started;
        int boxes;
    } cases[] = {
        {engine::kWord2002, true, false, Kind::WD10, {WordLine("SafeMode.DOT")}, 0},
        {engine::kWord2002, false, true, Kind::WD10, {WordLine("SUPPORT10.DOT")}, 0},
        {engine::kWord2003, true, true, Kind::WD11, {WordLine("SafeMode.DOT"), WordLine("SUPPORT11.DOT")}, 0},
        {engine::kWord2003, false, false, Kind::WD11, {}, 0},
        // No supported version: the do-nothing profile says so per launch.
        {"", true, false, Kind::None, {}, 1},
        {"wd10", true, true, Kind::None, {}, 2},
        {" WD10", false, false, Kind::None, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("version \"") + c.version + "\", launch " + std::to_string(c.launch) +
                     ", support " + std::to_string(c.launchSM));
        program.CurrentWordVersion = c.version;
        // An earlier selection must not survive the launch.
        const auto earlier = std::make_shared<engine::clsWD11>(program);
        program.CurrentWordProfile = earlier;
        Options options(host);
        options.launch = c.launch;
        options.launchSM = c.launchSM;
        const size_t processes = machine.ProcessLog().size();
        const size_t boxes = host.Boxes().size();
        const int yields = host.Yields();

        engine::clsBackup(program, options).Backup();

        ASSERT_TRUE(program.CurrentWordProfile);
        EXPECT_NE(earlier, program.CurrentWordProfile);
        EXPECT_EQ(c.profile, KindOf(program.CurrentWordProfile.get()));
        std::vector<std::string> started;
        for (size_t i = processes; i < machine.ProcessLog().size(); ++i) {
            const auto& process = machine.ProcessLog()[i];
            EXPECT_EQ(word.winword, process.applicationName);
            EXPECT_EQ(os::SwShowNormal, process.showCmd);
            started.push_back(process.commandLine);
        }
        EXPECT_EQ(c.started, started);
        ASSERT_EQ(boxes + c.boxes, host.Boxes().size());
        for (size_t i = boxes; i < host.Boxes().size(); ++i) {
            EXPECT_EQ("WP 9", host.Boxes()[i].text);
            EXPECT_EQ(forms::vbOKOnly, host.Boxes()[i].style);
        }
        // Three yields before the options are read, six after the launches.
        EXPECT_EQ(std::vector<int>({yields + 3, yields + 3}), options.askedAtYield);
        EXPECT_EQ(yields + 9, host.Yields());
    }
}

TEST_F(clsBackupTest, AWordThatCannotStartReachesTheCaller) {
    program.CurrentWordVersion = engine::kWord2002;
    program.WordProgramFolder = "C:\\Program Files\\Nowhere";
    Options options(host);
    options.launch = true;
    EXPECT_THROW(engine::clsBackup(program, options).Backup(), platform::RaisedError);
    EXPECT_EQ(Kind::WD10, KindOf(program.CurrentWordProfile.get()));
    EXPECT_TRUE(machine.ProcessLog().empty());
}

}  // namespace
