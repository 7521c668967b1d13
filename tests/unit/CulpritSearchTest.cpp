// The halving search for the add-ins that keep Word from starting: over a
// model of Word (some items fail alone, a pair only together), then through
// both wizards on the emulated machine with the simulated Word.
#include "EngineWorld.h"

#include "engine/CulpritSearch.h"
#include "support/StartupAddins.h"
#include "wordsim/SimIo.h"
#include "wizards/frmBackup.h"
#include "wizards/frmBackup1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

TEST(CulpritSearch, LeavesOffExactlyTheItemsAtFaultWithinTheStartsOfTheGoal) {
    auto All = [](size_t count) { std::set<size_t> all; for (size_t i = 0; i < count; ++i) all.insert(i); return all; };
    const struct {
        size_t count;
        std::set<size_t> faulty;  // each stops Word alone
        std::set<size_t> pair;    // stop Word only when both are on
        int maxStarts;            // d * (ceil(log2 n) + 1)
    } cases[] = {
        {1, {}, {}, 0},        {1, {0}, {}, 0},     {2, {}, {}, 0},       {2, {1}, {}, 2},     {2, All(2), {}, 4},
        {5, {}, {}, 0},        {5, {2}, {}, 4},     {5, {0, 4}, {}, 8},   {5, All(5), {}, 20}, {16, {}, {}, 0},
        {16, {11}, {}, 5},     {16, {0, 15}, {}, 10}, {16, All(16), {}, 80}, {64, {}, {}, 0},  {64, {37}, {}, 7},
        {64, {5, 6}, {}, 14},  {64, All(64), {}, 448}, {2, {}, {0, 1}, 2}, {12, {}, {3, 9}, 5}, {64, {20}, {40, 41}, 14},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " items, " + std::to_string(c.faulty.size()) + " at fault alone, pair " +
                     std::to_string(c.pair.size()));
        auto starts = [&](const std::vector<bool>& on) {
            size_t pairOn = 0;
            for (size_t i : c.pair) pairOn += on.at(i) ? 1 : 0;
            for (size_t i : c.faulty)
                if (on.at(i)) return false;
            return c.pair.empty() || pairOn < c.pair.size();
        };
        const bool allStarted = starts(std::vector<bool>(c.count, true));
        const engine::CulpritResult found = engine::FindCulprits(c.count, starts, allStarted);
        EXPECT_LE(found.starts, c.maxStarts);
        if (c.faulty.size() == 1 && c.pair.empty()) {
            EXPECT_EQ(engine::ExpectedStarts(c.count, false), c.maxStarts) << "the offer's estimate is the goal";
        }
        std::vector<bool> left(c.count);
        size_t pairOff = 0;
        for (size_t i = 0; i < c.count; ++i) {
            left[i] = !found.atFault[i];
            pairOff += c.pair.count(i) && found.atFault[i] ? 1 : 0;
            EXPECT_TRUE(c.pair.count(i) || found.atFault[i] == (c.faulty.count(i) == 1)) << "item " << i;
        }
        EXPECT_TRUE(starts(left)) << "Word starts with what is left on";
        EXPECT_EQ(pairOff, c.pair.empty() ? 0u : 1u) << "one of the pair off, the other back on";
        // Not told how Word did with all on, the search starts it once more first.
        const engine::CulpritResult unknown = engine::FindCulprits(c.count, starts, std::nullopt);
        EXPECT_EQ(unknown.atFault, found.atFault);
        EXPECT_EQ(unknown.starts, found.starts + 1);
    }
}

struct Flow {
    const char* name;
    bool advanced;  // the component reset, else the automatic repair
    const char* faultyCom;
    const char* faultyStartup;
    std::vector<std::string> pair;
    int answer;
    std::set<std::string> leftOff;  // ProgIDs and file names; empty: all sixteen
    std::string asked;              // "N add-ins ... about M"
    int maxStarts;
    // Word 2016, elevated: the Startup files of mixed kinds, and one more
    // good COM add-in each in the 32-bit key and for all users.
    bool newer = false;
};
void PrintTo(const Flow& flow, std::ostream* out) { *out << flow.name; }

class AddinSearch : public enginetest::EngineWorld, public ::testing::WithParamInterface<Flow> {};

// Twelve Startup add-ins and four COM add-ins.
TEST_P(AddinSearch, LeavesOffTheFaultyAddinsAloneAndNamesThem) {
    const Flow& flow = GetParam();
    const std::vector<std::string> com = {"Vendor.One", "Vendor.Two", "Vendor.Three", "Vendor.Four"};
    std::vector<std::string> all = com;
    options.startupAddins = qvxtest::TwelveStartupAddins(flow.newer);
    options.comAddins.clear();
    for (const std::string& progId : com) options.comAddins.push_back({progId, 3});
    all.insert(all.end(), options.startupAddins.begin(), options.startupAddins.end());
    options.faultyComAddin = flow.faultyCom;
    options.faultyStartupAddin = flow.faultyStartup;
    options.pairFault = flow.pair;
    const std::string com32 = "Software\\Wow6432Node\\Microsoft\\Office\\Word\\Addins\\Old32.Addin";
    if (flow.newer) options.machineAddins = {{"Corp.Addin", 3}};
    machine.SetElevated(flow.newer);
    using wordsim::Component;
    InstallWord(flow.newer ? wordsim::Version::Word2016 : wordsim::Version::Word2003,
                *flow.faultyCom ? std::vector{Component::ComAddins, Component::StartupAddins} : std::vector<Component>{});
    program.CurrentWordVersion = flow.newer ? engine::kWord2016 : engine::kWord2003;
    if (flow.newer) {
        Put(com32, "FriendlyName", "Old32.Addin");
        wordsim::io::WriteDword(machine, os::HKeyCurrentUser, com32, "LoadBehavior", 3);
        all.insert(all.end(), {"Old32.Addin", "Corp.Addin"});
    }

    std::unique_ptr<wizards::WordWizard> wizard;
    if (flow.advanced) wizard = std::make_unique<wizards::frmBackup1>(wizards::WizardEnv{program, host, {}, {}});
    else wizard = std::make_unique<wizards::frmBackup>(wizards::WizardEnv{program, host, {}, {}});
    wizard->Form_Load();
    wizard->Show();
    while (wizard->CurrentStep < 4 && !host.Ended()) host.Run([&] { host.Click(wizard->Name(), "cmdNext"); });
    auto automations = [&] {
        const std::vector<wordsim::LogEntry> log = wordsim::ReadLog(machine, install.programFolder);
        return std::count_if(log.begin(), log.end(), [](const wordsim::LogEntry& e) { return e.kind == "automation"; });
    };
    const auto before = automations();
    host.QueueAnswer(flow.answer);
    host.Run([&] { host.Click(wizard->Name(), "cmdNext"); });
    const int starts = static_cast<int>(automations() - before);
    ASSERT_FALSE(host.Boxes().empty());
    EXPECT_EQ(host.Boxes().back().text, "Quorvex left " + flow.asked + " more times.)");
    EXPECT_EQ(host.Boxes().back().caption, program.services.title);
    EXPECT_LE(starts, flow.maxStarts);
    // The result stays on page 4 until Next; declined, the finish page comes.
    EXPECT_EQ(wizard->CurrentStep, flow.answer == forms::vbYes ? 4 : 5);

    std::set<std::string> off;
    for (const std::string& progId : com)
        if (!KeyExists(std::string(enginetest::kComKey) + "\\" + progId)) off.insert(progId);
    if (flow.newer && !KeyExists(com32)) off.insert("Old32.Addin");
    if (flow.newer && wordsim::io::ReadDword(machine, os::HKeyLocalMachine, install.machineAddinKeys.at(0), "LoadBehavior") != 3u)
        off.insert("Corp.Addin");
    for (const std::string& name : options.startupAddins)
        if (!machine.ReadFileText(install.startupFolder + "\\" + name)) off.insert(name);
    EXPECT_EQ(off, flow.leftOff.empty() ? std::set<std::string>(all.begin(), all.end()) : flow.leftOff);
    if (flow.answer != forms::vbYes) return;
    EXPECT_TRUE(wordsim::SimulateStart(machine, install.programFolder).started);
    const std::string shown = wizard->lblAddinsFound.Caption();
    for (const std::string& name : all)
        EXPECT_EQ(shown.find(name) != std::string::npos, flow.pair.empty() || name[0] == 'A') << name;
    for (const std::string& name : flow.leftOff) EXPECT_NE(shown.find("left disabled: " + name), std::string::npos);
    EXPECT_NE(shown.find("Word was started " + std::to_string(starts) + " more times"), std::string::npos) << shown;
    host.Run([&] { host.Click(wizard->Name(), "cmdNext"); });
    EXPECT_EQ(wizard->CurrentStep, 5) << "asked once; Next then goes on to the finish";
}

const std::string kAsk = " add-ins disabled. Find out which of them stop Word and turn the others back on? (This starts Word about ";
INSTANTIATE_TEST_SUITE_P(
    Flows, AddinSearch,
    ::testing::Values(
        // Known failing with all on: 4 COM cost 2 + 1 starts, 12 Startup 4 + 1.
        Flow{"OneOfEach", false, "Vendor.Three", "Addin07.dot", {}, forms::vbYes, {"Vendor.Three", "Addin07.dot"}, "16" + kAsk + "8", 8},
        Flow{"Pair", false, "", "", {"Addin02.dot", "Addin09.dot"}, forms::vbYes, {"Addin09.dot"}, "12" + kAsk + "5", 5},
        Flow{"Declined", false, "Vendor.Three", "Addin07.dot", {}, forms::vbNo, {}, "16" + kAsk + "8", 0},
        // Not knowing how Word did with all on, it starts Word once more per part.
        Flow{"Advanced", true, "Vendor.Three", "Addin07.dot", {}, forms::vbYes, {"Vendor.Three", "Addin07.dot"}, "16" + kAsk + "10", 10},
        // Word turns off (LoadBehavior 2) the COM add-in it failed on; the search turns it on again.
        Flow{"Word2016", false, "Vendor.Three", "Addin07.wll", {}, forms::vbYes, {"Vendor.Three", "Addin07.wll"}, "18" + kAsk + "9", 9, true}),
    [](const ::testing::TestParamInfo<Flow>& param) { return std::string(param.param.name); });

}  // namespace
