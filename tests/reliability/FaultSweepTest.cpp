// Nothing the user had is lost, whatever fails and wherever the program stops.
//
// Each scenario is one way of working driven through the whole program with
// the simulated Word. A clean run records how often it calls each Api method;
// then, one run at a time, the n-th call of a method fails with each failure
// that method can have (a file in use and a full disk also from that call
// on), and the program is stopped at its k-th call, once by the host's End
// (a Cancel) and once by an unwinding Crash. After every run each of the
// user's five components must be in place or restorable from a backup on
// disk that reads back complete, and an earlier run's backups must still be
// there under their names or as generations. Runs also come in chains on
// one machine: every stopped run is followed by a complete one, and ten
// complete runs follow one another with the user starting Word in between;
// nothing the user had before the first may be lost after any of them. A
// second copy started while one works is refused and the first goes on.
//
// Sampling: a method called more often than the scenario's limit fails at
// that many call numbers spread evenly from the first to the last; stops
// land on every stride-th call. QVX_FULL_SWEEP=1 in the environment lifts
// both limits.
#include "ReliabilityWorld.h"

#include "app/SingleInstance.h"
#include "engine/Generations.h"
#include "engine/RegTree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace reliability {
namespace {

using wordsim::Component;

struct Scenario {
    const char* name;
    Flow flow;
    wordsim::Version version;
    std::vector<Component> faults;  // what keeps this Word from starting
    int callsPerMethod;             // call numbers failed per method and kind
    int stopStride;                 // stop at every stride-th call
    bool earlierBackups = false;    // an earlier run's backups lie where this run's go
};

// What each method can meet, as Win32 status codes: missing (2, 3), denied
// (5), in use (32), disk full (112, where something is written), and the
// automation and text conversions' own failures. Methods left out cannot
// fail in a way the program could see (GetLastError) or only close handles.
const std::map<std::string, std::vector<uint32_t>>& FailureKinds() {
    static const std::map<std::string, std::vector<uint32_t>> kinds = {
        {"RegOpenKeyEx", {2, 5}},
        {"RegCreateKeyEx", {5}},
        {"RegQueryValueEx", {2, 5}},
        {"RegSetValueEx", {5}},
        {"RegDeleteValue", {2, 5}},
        {"RegDeleteKey", {2, 5}},
        {"RegEnumKeyEx", {5}},
        {"RegEnumValue", {5}},
        {"RegQueryInfoKey", {5}},
        {"PathFileExists", {2, 5}},
        {"GetFileAttributes", {2, 3, 5}},
        {"GetFileAttributesEx", {2, 5}},
        {"SetFileAttributes", {5}},
        {"CopyFile", {2, 3, 5, 32, 112}},
        {"MoveFile", {2, 5, 32}},
        {"DeleteFile", {2, 5, 32}},
        {"CreateDirectory", {3, 5, 112}},
        {"RemoveDirectory", {5, 32}},
        {"FindFirstFile", {2, 3, 5}},
        {"FindNextFile", {5}},
        {"CreateFile", {2, 3, 5, 32, 112}},
        {"ReadFile", {5}},
        {"WriteFile", {5, 112}},
        {"FlushFileBuffers", {5, 112}},
        {"CloseHandle", {112}},
        {"CreateProcess", {2, 5}},
        {"WaitForSingleObject", {5}},
        {"GetExitCodeProcess", {5}},
        {"FindExecutable", {2}},
        {"ShellExecute", {2, 5}},
        {"GetSpecialFolderPath", {2}},
        {"GetModuleFileName", {122}},
        {"GetTempPath", {5}},
        // E_ACCESSDENIED; ERROR_NO_UNICODE_TRANSLATION.
        {"CreateObject", {0x80070005u}},
        {"AnsiToUtf16", {1113}},
        {"Utf16ToAnsi", {1113}},
    };
    return kinds;
}

constexpr int kForever = 1 << 30;

// Calls that run in destructors: the program cannot be stopped inside them,
// so a stop that falls on one waits for the next call. They are the handle
// closes and the removal of the web-page launcher's throw-away file.
bool InDestructor(const std::string& method, const std::string& subject) {
    return method == "RegCloseKey" || method == "CloseHandle" || method == "FindClose" ||
           (method == "DeleteFile" && subject.find("temphtm") != std::string::npos);
}

bool FullSweep() {
    const char* full = std::getenv("QVX_FULL_SWEEP");
    return full != nullptr && std::string(full) == "1";
}

// Call numbers 1..count, or limit of them spread evenly, first and last included.
std::vector<int> Spread(int count, int limit) {
    std::vector<int> picked;
    if (FullSweep() || limit <= 0 || count <= limit) {
        for (int n = 1; n <= count; ++n) picked.push_back(n);
        return picked;
    }
    for (int i = 0; i < limit; ++i) {
        const int n = 1 + static_cast<int>(static_cast<long long>(i) * (count - 1) / (limit - 1));
        if (picked.empty() || picked.back() != n) picked.push_back(n);
    }
    return picked;
}

struct Tally {
    int runs = 0;
    int faults = 0;  // runs in which the failure was met
    int stops = 0;   // runs ended from outside (End or Crash)
    int chained = 0;  // complete runs that followed another on the same machine
    int outcomes[4] = {};
    int Count(Outcome o) const { return outcomes[static_cast<int>(o)]; }
    int lost = 0;
    std::vector<std::string> what;  // each loss, and each stop after which the program still ran

    void Add(const Tally& other) {
        runs += other.runs, faults += other.faults, stops += other.stops, lost += other.lost;
        chained += other.chained;
        for (int o = 0; o < 4; ++o) outcomes[o] += other.outcomes[o];
        what.insert(what.end(), other.what.begin(), other.what.end());
    }
};

class Sweep {
public:
    explicit Sweep(const Scenario& s) : s_(s) {}

    // One run on a fresh machine; prepare sets the fault or the stop. Then
    // `then` complete runs follow on the same machine, the user starting Word
    // before each when wordBetween. What the user had before the first run
    // must never be lost.
    void RunOnce(const std::string& label, const std::function<void(ProgramRun&)>& prepare, int then = 0,
                 bool wordBetween = false) {
        wordsim::InstallOptions options;
        options.version = s_.version;
        options.faults = s_.faults;
        ProgramRun run(options, s_.version == wordsim::Version::Word2002 ? "WD10" : "WD11");
        if (s_.earlierBackups) LayEarlierBackups(run);
        const Components before = Capture(run);
        const std::map<std::string, int> base = run.machine.CallCounts();
        prepare(run);
        Outcome outcome = run.Start(s_.flow);
        run.machine.SetCallObserver(nullptr);
        run.machine.ClearFaults();
        if (clean_.empty()) {
            for (const auto& [method, n] : run.machine.CallCounts()) {
                auto was = base.find(method);
                clean_[method] = n - (was == base.end() ? 0 : was->second);
            }
        }
        std::string step = label;
        for (int n = 0;; ++n) {
            ++tally.runs;
            ++tally.outcomes[static_cast<int>(outcome)];
            for (const std::string& component : Lost(run, before)) {
                ++tally.lost;
                tally.what.push_back(std::string(s_.name) + ", " + step + " (" + OutcomeName(outcome) + "): lost " +
                                     component);
            }
            if (n == then) break;
            if (wordBetween) run.UserStartsWord();
            run.Restart();
            outcome = run.Start(s_.flow);
            ++tally.chained;
            step = label + ", then complete run " + std::to_string(n + 1);
        }
    }

    void Clean() {
        RunOnce("clean run", [](ProgramRun&) {});
        EXPECT_EQ(tally.Count(Outcome::Ended), 1) << s_.name << ": the clean run must end by itself";
    }

    void Faults() {
        for (const auto& [method, count] : clean_) {
            auto kinds = FailureKinds().find(method);
            if (count == 0 || kinds == FailureKinds().end()) continue;
            for (int nth : Spread(count, s_.callsPerMethod)) {
                for (uint32_t code : kinds->second) {
                    Fail(method, nth, code, 1);
                    // A file in use or a full disk usually stays so.
                    if (code == os::err::SharingViolation || code == os::err::DiskFull)
                        Fail(method, nth, code, kForever);
                }
            }
        }
    }

    // The nth call of method and, with times > 1, every later one fails with code.
    void Fail(const std::string& method, int nth, uint32_t code, int times) {
        auto seen = std::make_shared<int>(0);
        RunOnce(method + " #" + std::to_string(nth) + (times > 1 ? " on" : "") + " fails with " + std::to_string(code),
                [&](ProgramRun& run) {
                    run.machine.FailCall(method, nth, code, times);
                    run.machine.SetCallObserver([seen, method](const std::string& m, const std::string&) {
                        if (m == method) ++*seen;
                    });
                });
        if (*seen >= nth) ++tally.faults;
    }

    void Stops() {
        int total = 0;
        for (const auto& [method, n] : clean_) total += n;
        const int stride = FullSweep() ? 1 : s_.stopStride;
        for (int k = 1; k <= total; k += stride) {
            for (bool crash : {false, true}) {
                auto after = std::make_shared<std::vector<std::string>>();
                auto stopped = std::make_shared<bool>(false);
                const std::string label = std::string(crash ? "crash" : "End") + " at call " + std::to_string(k);
                // Each stopped run is followed by a complete one.
                RunOnce(label, [&, after, stopped](ProgramRun& run) {
                    auto seen = std::make_shared<int>(0);
                    run.machine.SetCallObserver(
                        [&run, seen, after, stopped, k, crash](const std::string& m, const std::string& subject) {
                            if (*stopped) {
                                if (!InDestructor(m, subject)) after->push_back(m + " " + subject);
                                return;
                            }
                            if (++*seen < k || InDestructor(m, subject)) return;
                            *stopped = true;
                            if (crash) throw Crash{};
                            run.host().End();
                        });
                }, 1);
                if (*stopped) ++tally.stops;
                if (!after->empty()) {
                    tally.what.push_back(std::string(s_.name) + ", " + label + ": the program went on with " +
                                         after->front());
                }
            }
        }
    }

    // Ten complete runs in a row on one machine, the user starting Word
    // (which rebuilds what it misses) before each after the first.
    void Consecutive() {
        RunOnce("ten runs in a row", [](ProgramRun&) {}, 9, true);
    }

    // A second copy started while the first works: it is refused, touching
    // nothing, and the first goes on to its end.
    void Together() {
        for (int yield : {1, 10}) {
            const std::string label = "a second copy at yield " + std::to_string(yield);
            auto refused = std::make_shared<int>(-1);
            RunOnce(label, [refused, yield](ProgramRun& run) {
                run.host().AtYield(yield, [&run, refused] {
                    forms::ScriptedHost second;
                    app::SingleInstance instance(run.machine);
                    *refused = instance.AnotherCopyRuns()
                                   ? app::RefuseSecondCopy(run.machine, second, "Quorvex", "QuorvexForm")
                                   : 0;
                });
            });
            if (*refused != app::kExitAnotherCopyRuns)
                tally.what.push_back(std::string(s_.name) + ", " + label + ": the second copy was not refused");
        }
    }

    Tally tally;

private:
    const Scenario& s_;
    std::map<std::string, int> clean_;
};

TEST(FaultSweep, NoFailureAndNoStopLosesAComponent) {
    const Scenario scenarios[] = {
        {"Word 2003 automatic repair",
         Flow::AutomaticRepair,
         wordsim::Version::Word2003,
         {Component::NormalDot, Component::Data},
         5,
         5,
         true},
        {"Word 2002 automatic repair", Flow::AutomaticRepair, wordsim::Version::Word2002, {Component::ComAddins}, 3, 9},
        {"Word 2003 reset", Flow::Reset, wordsim::Version::Word2003, {}, 12, 1},
        {"Word 2003 rename Normal.dot",
         Flow::RenameTemplate,
         wordsim::Version::Word2003,
         {Component::NormalDot},
         12,
         1},
        {"Word 2003 advanced reset",
         Flow::AdvancedReset,
         wordsim::Version::Word2003,
         {Component::Options},
         12,
         1,
         true},
    };
    const auto started = std::chrono::steady_clock::now();
    Tally total;
    auto row = [](const char* name, const Tally& t) {
        std::printf("%-28s %6d %8d %8d %8d %7d %7d %6d\n", name, t.runs, t.faults, t.stops, t.chained,
                    t.Count(Outcome::Error), t.Count(Outcome::Stuck), t.lost);
    };
    std::printf("\n%-28s %6s %8s %8s %8s %7s %7s %6s\n", "scenario", "runs", "faults", "ended", "chained", "errors",
                "stuck", "lost");
    for (const Scenario& s : scenarios) {
        Sweep sweep(s);
        sweep.Clean();
        sweep.Faults();
        sweep.Stops();
        sweep.Consecutive();
        sweep.Together();
        row(s.name, sweep.tally);
        total.Add(sweep.tally);
    }
    row("all", total);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
    std::printf(
        "faults: runs whose injected failure was met; ended: programs stopped from outside (End or crash);\n"
        "chained: complete runs after another on the same machine (one after each stop, nine after a first run);\n"
        "errors: an error reached the top (\"stopped because of an unexpected error\"); stuck: never ended.\n"
        "%.1f s, %s\n",
        ms / 1000.0, FullSweep() ? "every call" : "sampled (QVX_FULL_SWEEP=1: every call)");
    std::string report;
    for (const std::string& line : total.what) report += line + "\n";
    EXPECT_EQ(total.lost, 0) << report;
    EXPECT_TRUE(total.what.empty()) << report;
    EXPECT_EQ(total.Count(Outcome::Stuck), 0) << "a run that never ends";
}

// Ten resets in a row, the user starting Word (which rebuilds its defaults)
// after each: the user's own components are kept, each once.
TEST(FaultSweep, TenResetsInARowKeepTheUsersOwnComponentsOnce) {
    ProgramRun run(wordsim::InstallOptions{}, "WD11");
    const Components before = Capture(run);
    for (int n = 1; n <= 10; ++n, run.Restart()) {
        ASSERT_EQ(Outcome::Ended, run.Start(Flow::Reset)) << "run " << n;
        ASSERT_TRUE(run.UserStartsWord());
    }
    EXPECT_TRUE(Lost(run, before).empty()) << ::testing::PrintToString(Lost(run, before));
    // The user's and Word's own: a backup equal to the newest adds nothing.
    const std::string templates = run.word.normalDot.substr(0, run.word.normalDot.find_last_of('\\'));
    EXPECT_EQ(2u, engine::KeptFiles(run.machine, templates + "\\0Normal.dot").size());
    for (const Components::Key& key : before.keys)
        EXPECT_LE(engine::KeptFiles(run.machine, key.backup).size(), 2u) << key.name;
}

// The check itself: each kind of loss is seen, and what is restorable is not
// counted as lost.
TEST(FaultSweep, TheCheckSeesEveryLossAndOnlyLosses) {
    using R = ProgramRun;
    auto own = [](R& r, const std::string& name) { return r.OwnFolder() + name; };
    auto templates = [](R& r, const std::string& name) {
        return r.word.normalDot.substr(0, r.word.normalDot.find_last_of('\\') + 1) + name;
    };
    auto macros = [](R& r) { return r.word.startupAddins[1]; };  // ...\Macros.wll
    auto dataKey = [](R& r) { return wordsim::DataKey(r.word.version); };
    auto saveData = [dataKey, own](R& r, const std::string& file) {
        ASSERT_TRUE(engine::BackupRegKey(r.machine, os::HKeyCurrentUser, dataKey(r), own(r, file)).ok());
    };
    auto dropData = [dataKey](R& r) {
        ASSERT_EQ(0, engine::DeleteRegTree(r.machine, os::HKeyCurrentUser, dataKey(r)));
    };
    const struct {
        const char* what;
        bool earlier;
        std::function<void(R&)> damage;
        std::vector<std::string> lost;  // how each loss reported ends
    } cases[] = {
        {"nothing done", false, [](R&) {}, {}},
        {"Normal.dot aside",
         false,
         [&](R& r) { r.machine.MoveFile(r.word.normalDot, templates(r, "0Normal.dot")); },
         {}},
        {"Normal.dot in a later generation",
         false,
         [&](R& r) { r.machine.MoveFile(r.word.normalDot, templates(r, "0Normal.dot.5")); },
         {}},
        {"Normal.dot gone", false, [](R& r) { r.machine.DeleteFile(r.word.normalDot); }, {"Normal.dot"}},
        {"Normal.dot rewritten",
         false,
         [](R& r) { r.machine.WriteFileText(r.word.normalDot, "Word's own"); },
         {"Normal.dot"}},
        {"an add-in aside",
         false,
         [&](R& r) { r.machine.MoveFile(macros(r), macros(r).substr(0, macros(r).size() - 3) + "wbl"); },
         {}},
        {"an add-in gone", false, [&](R& r) { r.machine.DeleteFile(macros(r)); }, {"Macros.wll"}},
        {"Data removed after its backup", false, [&](R& r) { saveData(r, "Data.reg"), dropData(r); }, {}},
        {"Data removed, its backup a generation", false, [&](R& r) { saveData(r, "Data.reg.3"), dropData(r); }, {}},
        {"Data removed without a backup", false, [&](R& r) { dropData(r); }, {"Data"}},
        {"Data removed, its backup truncated",
         false,
         [&](R& r) {
             saveData(r, "Data.reg");
             dropData(r);
             const std::string bytes = *r.machine.ReadFileText(own(r, "Data.reg"));
             r.machine.WriteFileText(own(r, "Data.reg"), bytes.substr(0, bytes.size() - 20));
         },
         {"Data"}},
        {"Data changed without a backup",
         false,
         [&](R& r) {
             os::HKey key = 0;
             r.machine.RegOpenKeyEx(os::HKeyCurrentUser, dataKey(r), os::KeyAllAccess, &key);
             r.machine.RegSetValueEx(key, "Settings", os::RegSz, reinterpret_cast<const uint8_t*>("x"), 2);
             r.machine.RegCloseKey(key);
         },
         {"Data"}},
        {"Options removed, its file another key's",
         false,
         [&](R& r) {
             ASSERT_TRUE(
                 engine::BackupRegKey(r.machine, os::HKeyCurrentUser, dataKey(r), own(r, "\\Options.reg")).ok());
             ASSERT_EQ(0, engine::DeleteRegTree(r.machine, os::HKeyCurrentUser, wordsim::OptionsKey(r.word.version)));
         },
         {"Options"}},
        {"one COM add-in gone",
         false,
         [](R& r) { ASSERT_EQ(0, engine::DeleteRegTree(r.machine, os::HKeyCurrentUser, r.word.comAddinKeys[0])); },
         {"COM add-ins"}},
        {"an earlier backup moved to a generation",
         true,
         [&](R& r) { r.machine.MoveFile(own(r, "\\COM.reg"), own(r, "\\COM.reg.1")); },
         {}},
        {"an earlier backup replaced", true, [&](R& r) { saveData(r, "\\COM.reg"); }, {"COM.reg"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramRun run(wordsim::InstallOptions{}, "WD11");
        if (c.earlier) LayEarlierBackups(run);
        const Components before = Capture(run);
        c.damage(run);
        const std::vector<std::string> lost = Lost(run, before);
        ASSERT_EQ(lost.size(), c.lost.size()) << ::testing::PrintToString(lost);
        for (size_t i = 0; i < lost.size(); ++i)
            EXPECT_TRUE(lost[i].size() >= c.lost[i].size() &&
                        lost[i].compare(lost[i].size() - c.lost[i].size(), c.lost[i].size(), c.lost[i]) == 0)
                << lost[i];
    }
}

}  // namespace
}  // namespace reliability
