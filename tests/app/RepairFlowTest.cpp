// The whole program on the emulated machine with the simulated Word: the main
// menu's Start, the automatic repair through both passes, the closing form
// and the end, with the faults Word can have.
#include "AppWorld.h"

#include "app/Unattended.h"
#include "engine/RegFile.h"
#include "wizards/frmBackup.h"
#include "wordsim/SimIo.h"
#include "wordsim/emulated/EmulatedWord.h"

#include <gtest/gtest.h>

namespace {

using apptest::World;
using wordsim::Component;

const std::string kAppData = "C:\\Users\\Ann\\AppData\\Roaming";
const std::string kLocalAppData = "C:\\Users\\Ann\\AppData\\Local";

struct Installed {
    World world;
    wordsim::InstallResult word;
};

// A stored choice and a simulated Word of that version with the faults given;
// Word 2016 or later also has an add-in and a Startup file for all users.
std::unique_ptr<Installed> InstallWord(std::vector<Component> faults,
                                       wordsim::Version version = wordsim::Version::Word2003,
                                       const std::string& faultyComAddin = "") {
    auto w = std::make_unique<Installed>();
    w->world.RemoveWord();
    w->world.machine.SetSpecialFolder(os::CsidlAppData, kAppData);
    w->world.machine.SetSpecialFolder(os::CsidlLocalAppData, kLocalAppData);
    for (std::string folder : {"C:\\Users", "C:\\Users\\Ann", "C:\\Users\\Ann\\AppData", kLocalAppData.c_str()})
        w->world.machine.CreateDirectory(folder);
    wordsim::InstallOptions options;
    options.faults = std::move(faults);
    options.version = version;
    options.faultyComAddin = faultyComAddin;
    if (wordsim::IsNewer(version)) {
        options.startupAddins = {"Tools.dotm", "Macros.wll"};
        options.machineAddins = {{"Corp.Addin", 3}};
        options.machineStartupAddins = {"Corp.dotm"};
    }
    w->word = wordsim::InstallEmulated(w->world.machine, options);
    EXPECT_TRUE(w->word.ok) << w->word.error;
    w->world.Store("Settings", "Word Version", wordsim::IsNewer(version) ? "WD16" : "WD11");
    w->world.Store("Settings", "Word Detect No Show", "True");
    w->world.Store("Show WalkThru", "WalkThru", "True");
    return w;
}

struct Results {
    std::vector<std::string> step3;  // template, Data, COM, add-ins, Options
    std::vector<std::string> step4;
};

// Start with the default choice, every page of the wizard, reading the
// results on the finish page, Finish, then the closing form's Close.
void ScriptTheAutomaticRepair(World& world, Results& results) {
    forms::ScriptedHost& host = world.Host();
    host.ThenClick("frmMain", "Command4");
    for (int page = 0; page < 5; ++page) host.ThenClick("frmBackup", "cmdNext");
    host.Then([&world, &results] {
        auto& wizard = dynamic_cast<wizards::frmBackup&>(*world.Shown("frmBackup"));
        for (auto* label : {&wizard.lblTemplate, &wizard.lblData, &wizard.lblCOM, &wizard.lblAddin,
                            &wizard.lblOptions})
            results.step3.push_back(label->Caption());
        for (auto* label : {&wizard.lbltemplateFixed, &wizard.lblDataFixed, &wizard.lblCOMFixed,
                            &wizard.lblAddinsFixed, &wizard.lblOptionsFixed})
            results.step4.push_back(label->Caption());
    });
    host.ThenClick("frmBackup", "cmdFinish");
    host.ThenClick("frmPromotion", "cmdClose");
}

// The machine run with those switches: the exit code, and what follows
// marker on the lines this run added to the log.
int RunWith(World& world, const std::vector<std::string>& args, const std::string& marker,
            std::vector<std::string>* found) {
    const std::string path = kLocalAppData + "\\Quorvex\\last-run.log";
    const size_t earlier = world.machine.ReadFileText(path).value_or("").size();
    const int code = app::RunCommandLine(world.machine, app::ParseArguments(args), {});
    const std::string log = world.machine.ReadFileText(path).value_or("");
    for (size_t at = earlier; (at = log.find(marker, at)) != std::string::npos;) {
        const size_t end = log.find("\r\n", at);
        found->push_back(log.substr(at + marker.size(), end - at - marker.size()));
        at = end;
    }
    return code;
}
int RunAuto(World& world, std::vector<std::string>* results) { return RunWith(world, {"/auto"}, "Result: ", results); }

// The user's own key is in place: it exists and still carries its fault
// marker (a key Word rebuilt from its defaults has none).
bool UsersKeyInPlace(os::Api& api, const std::string& subKey, bool faulty) {
    os::HKey key = 0;
    if (api.RegOpenKeyEx(os::HKeyCurrentUser, subKey, os::KeyRead, &key) != 0) return false;
    uint32_t size = 0;
    bool marked = api.RegQueryValueEx(key, "WordSimFault", nullptr, nullptr, &size) == 0;
    api.RegCloseKey(key);
    return marked == faulty;
}

TEST(RepairFlow, TheAutomaticRepairFindsAndLeavesDisabledExactlyTheFaultyComponent) {
    const std::string addins = "Software\\Microsoft\\Office\\Word\\Addins";
    const struct {
        const char* what;
        std::vector<Component> faults;
        std::vector<std::string> step3;  // template, Data, COM, add-ins, Options
        std::vector<std::string> step4;
        int autoExit;
    } cases[] = {
        {"no fault",
         {},
         {"Default Template OK!", "Data Passed!", "COM Passed!", "Addins Passed!", "Options Passed!"},
         {"Default Template OK!", "Data OK!", "COM OK!", "Addins OK!", "Options OK!"}, 0},
        {"Normal.dot",
         {Component::NormalDot},
         {"Default Template Fixed", "Data Passed!", "COM Passed!", "Addins Passed!", "Options Passed!"},
         {"Default Template Fixed", "Data OK!", "COM OK!", "Addins OK!", "Options OK!"}, 1},
        {"COM add-in",
         {Component::ComAddins},
         {"Default Template OK!", "Data Passed!", "COM Failed", "Addins Passed!", "Options Passed!"},
         {"Default Template OK!", "Data OK!", "COM Fixed", "Addins OK!", "Options OK!"}, 1},
        {"Data",
         {Component::Data},
         {"Default Template OK!", "Data Failed", "COM Passed!", "Addins Passed!", "Options Passed!"},
         {"Default Template OK!", "Data Fixed", "COM OK!", "Addins OK!", "Options OK!"}, 1},
        {"Options",
         {Component::Options},
         {"Default Template OK!", "Data Passed!", "COM Passed!", "Addins Passed!", "Options Failed"},
         {"Default Template OK!", "Data OK!", "COM OK!", "Addins OK!", "Options Fixed"}, 1},
        {"Startup add-in",
         {Component::StartupAddins},
         {"Default Template OK!", "Data Passed!", "COM Passed!", "Addins Passed!", "Options Passed!"},
         {"Default Template OK!", "Data OK!", "COM OK!", "Addins OK!", "Options OK!"}, 1},
        {"Data and Options",
         {Component::Data, Component::Options},
         {"Default Template OK!", "Data Failed", "COM Passed!", "Addins Passed!", "Options Failed"},
         {"Default Template OK!", "Data Fixed", "COM OK!", "Addins OK!", "Options Fixed"}, 1},
    };
    // A standard user's run on Word 2016 or later names what all users share and leaves it.
    const std::string corp = "; Corp.Addin (for all users: an administrator can disable it)";
    const std::string corpFile = "; Corp.dotm (for all users: an administrator can disable it)";
    for (const auto& c : cases) for (wordsim::Version version : {wordsim::Version::Word2003, wordsim::Version::Word2016}) {
        SCOPED_TRACE(std::string(c.what) + " " + wordsim::ProductName(version));
        const bool newer = wordsim::IsNewer(version);
        // The wizard and /auto on twin machines give the same lines.
        auto twin = InstallWord(c.faults, version);
        os::emulated::Machine& twinMachine = twin->world.machine;
        engine::RegFile office0, officeUndone;
        ASSERT_EQ(engine::ReadRegTree(twinMachine, os::HKeyCurrentUser, "Software\\Microsoft\\Office", &office0), 0);
        const auto template0 = twinMachine.ReadFileText(twin->word.normalDot);
        std::vector<std::string> autoLines, undone, runs;
        EXPECT_EQ(RunAuto(twin->world, &autoLines), c.autoExit);
        // /undo last puts back what /auto changed, and /list names both runs.
        EXPECT_EQ(RunWith(twin->world, {"-undo", "Last"}, "could not be put back", &undone), 0);
        EXPECT_EQ(undone, std::vector<std::string>{});
        ASSERT_EQ(engine::ReadRegTree(twinMachine, os::HKeyCurrentUser, "Software\\Microsoft\\Office", &officeUndone), 0);
        EXPECT_TRUE(office0 == officeUndone);
        EXPECT_EQ(twinMachine.ReadFileText(twin->word.normalDot), template0);
        EXPECT_EQ(RunWith(twin->world, {"/list"}, ": ", &runs), 0);
        ASSERT_EQ(runs.size(), 3u);
        EXPECT_NE(runs[0].find("Undo a repair, finished"), std::string::npos) << runs[0];
        EXPECT_NE(runs[1].find("Automatic repair, finished"), std::string::npos) << runs[1];
        auto w = InstallWord(c.faults, version);
        World& world = w->world;
        const std::string office = wordsim::OfficeKey(version) + "\\Word\\";
        const std::string templateName = wordsim::TemplateName(version);
        const auto usersTemplate = world.machine.ReadFileText(w->word.normalDot);
        Results results;
        ScriptTheAutomaticRepair(world, results);
        world.Start();

        ASSERT_TRUE(world.Host().Ended());
        ASSERT_EQ(world.Host().Boxes().size(), 2u) << world.Host().Boxes()[0].text;
        // Its two Startup add-ins are not searched: No is the question's default.
        EXPECT_EQ(world.Host().Boxes()[0].text.rfind("Quorvex left 2 add-ins disabled.", 0), 0u);
        EXPECT_EQ(world.Host().Boxes()[0].answer, forms::vbNo);
        EXPECT_EQ(world.Host().Boxes()[1].text, "Thank you for using Quorvex");
        auto expected = [&](std::vector<std::string> lines) {
            if (newer) lines[2] += corp, lines[3] += corpFile;
            return lines;
        };
        EXPECT_EQ(results.step3, expected(c.step3));
        EXPECT_EQ(results.step4, expected(c.step4));
        results.step3.insert(results.step3.end(), results.step4.begin(), results.step4.end());
        EXPECT_EQ(autoLines, results.step3);

        // The faulty registry components end removed (Word may have rebuilt
        // its defaults since), the good ones in place; the Startup add-ins
        // always end renamed aside.
        auto faulty = [&](Component k) { return std::count(c.faults.begin(), c.faults.end(), k) > 0; };
        os::Api& api = world.machine;
        EXPECT_EQ(UsersKeyInPlace(api, office + "Data", faulty(Component::Data)), !faulty(Component::Data));
        EXPECT_EQ(UsersKeyInPlace(api, office + "Options", faulty(Component::Options)), !faulty(Component::Options));
        EXPECT_EQ(UsersKeyInPlace(api, addins + "\\WordSim.Connect", faulty(Component::ComAddins)),
                  !faulty(Component::ComAddins));
        const std::vector<std::string> aside = newer ? std::vector<std::string>{"Tools.dotm.qvxoff", "Macros.wll.qvxoff"}
                                                     : std::vector<std::string>{"Tools.wbt", "Macros.wbl"};
        for (const std::string& name : aside) EXPECT_TRUE(world.machine.Exists(w->word.startupFolder + "\\" + name));
        EXPECT_FALSE(world.machine.Exists(w->word.startupFolder + (newer ? "\\Tools.dotm" : "\\Tools.dot")));
        EXPECT_TRUE(world.machine.Exists(w->word.normalDot));
        for (const std::string& file : w->word.machineStartupAddins) EXPECT_TRUE(world.machine.Exists(file));
        for (const std::string& key : w->word.machineAddinKeys) {
            os::HKey raw = 0;
            uint32_t behavior = 0, size = sizeof behavior;
            ASSERT_EQ(0, api.RegOpenKeyEx(os::HKeyLocalMachine, key, os::KeyRead, &raw));
            api.RegQueryValueEx(raw, "LoadBehavior", nullptr, reinterpret_cast<uint8_t*>(&behavior), &size);
            api.RegCloseKey(raw);
            EXPECT_EQ(behavior, 3u) << "left as it is";
        }
        // The user's own template is never lost: a faulty one ends aside,
        // intact, under the documented backup name.
        auto aside0 = world.machine.ReadFileText(w->word.userTemplates + "\\0" + templateName);
        auto inPlace = world.machine.ReadFileText(w->word.normalDot);
        if (faulty(Component::NormalDot)) {
            EXPECT_EQ(aside0, usersTemplate);
        } else {
            EXPECT_EQ(inPlace, usersTemplate);
            EXPECT_FALSE(aside0.has_value());
        }
    }
}

// An add-in all users share that stops Word: only an elevated run turns it
// off (LoadBehavior 2) and so gets Word started.
TEST(RepairFlow, OnlyAnElevatedRunGetsPastAMachineAddinThatStopsWord) {
    for (bool elevated : {true, false}) {
        SCOPED_TRACE(elevated ? "elevated" : "standard user");
        auto w = InstallWord({Component::ComAddins}, wordsim::Version::Word2016, "Corp.Addin");
        w->world.machine.SetElevated(elevated);
        std::vector<std::string> lines;
        EXPECT_EQ(RunAuto(w->world, &lines), elevated ? 1 : 2);
        if (elevated) {
            EXPECT_EQ(lines.at(2) + ", " + lines.at(7), "COM Failed, COM Fixed");
        }
        const auto behavior = wordsim::io::ReadDword(w->world.machine, os::HKeyLocalMachine,
                                                     w->word.machineAddinKeys.at(0), "LoadBehavior");
        EXPECT_EQ(behavior, elevated ? 2u : 3u);
        EXPECT_EQ(wordsim::SimulateStart(w->world.machine, w->word.programFolder).started, elevated);
    }
}

// A Word broken beyond its five components: it never starts, and its
// registration runs change nothing.
std::unique_ptr<Installed> InstallDeadWord() {
    auto w = InstallWord({});
    w->world.machine.InstallProgram(w->word.winword, [](os::emulated::Machine&, const std::string&) { return 0u; });
    w->world.machine.RegisterAutomation("Word.Application", [](os::emulated::Machine&, os::AutoError* error) {
        *error = {int32_t(0x80080005), "Server execution failed"};
        return std::unique_ptr<os::AutomationObject>();
    });
    return w;
}

TEST(RepairFlow, WordThatFailsWithEverythingDisabledEndsTheRunWithTheMessage) {
    auto w = InstallDeadWord();
    World& world = w->world;
    world.Host().ThenClick("frmMain", "Command4");
    for (int page = 0; page < 3; ++page) world.Host().ThenClick("frmBackup", "cmdNext");
    world.Start();

    ASSERT_TRUE(world.Host().Ended());
    ASSERT_FALSE(world.Host().Boxes().empty());
    EXPECT_EQ(world.Host().Boxes().back().text,
              "We're sorry but Word could not be started in safe mode and cannot continue. Thanks for using "
              "Quorvex.");
    EXPECT_EQ(world.Host().FindForm("frmPromotion"), nullptr) << "the run ends without the closing form";

    // Unattended, nobody is told: everything is put back as it was.
    auto twin = InstallDeadWord();
    os::emulated::Machine& machine = twin->world.machine;
    const auto normalDot = machine.ReadFileText(twin->word.normalDot);
    const auto tools = machine.ReadFileText(twin->word.startupFolder + "\\Tools.dot");
    engine::RegFile office, officeAfter;
    ASSERT_EQ(engine::ReadRegTree(machine, os::HKeyCurrentUser, "Software\\Microsoft\\Office", &office), 0);
    std::vector<std::string> lines;
    EXPECT_EQ(RunAuto(twin->world, &lines), 2);
    EXPECT_EQ(machine.ReadFileText(twin->word.normalDot), normalDot);
    EXPECT_EQ(machine.ReadFileText(twin->word.startupFolder + "\\Tools.dot"), tools);
    ASSERT_EQ(engine::ReadRegTree(machine, os::HKeyCurrentUser, "Software\\Microsoft\\Office", &officeAfter), 0);
    EXPECT_TRUE(office == officeAfter);
}

}  // namespace
