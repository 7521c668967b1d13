// Where a pass's time goes apart from Word's own starts: the engine calls of
// the analysis and the repair pass, in the order the automatic-repair wizard
// makes them (frmBackup; keep the two in step), timed one by one in this
// process on the real registry and files, Word starting at once. Notes only.
#ifdef _WIN32

#include "bench/Bench.h"

#include "engine/Program.h"
#include "engine/Selection.h"
#include "engine/WordVersions.h"
#include "wordsim/SimIo.h"

#include <algorithm>
#include <map>

namespace bench {

namespace {

using engine::clsWD;

// The engine takes its backup folder from the running program's path: here a
// folder of the bench's own, not the build directory.
class PlacedApi : public os::win32::Win32Api {
public:
    explicit PlacedApi(std::string program) : program_(std::move(program)) {}
    std::string GetModuleFileName() override { return program_; }

private:
    std::string program_;
};

struct Step {
    const char* name;
    void (clsWD::*call)();
};
constexpr Step kBackups[] = {{"COMBackup", &clsWD::COMBackup},
                             {"DataBackup", &clsWD::DataBackup},
                             {"OptionsBackup", &clsWD::OptionsBackup}};
constexpr Step kRemoves[] = {{"COMRemove", &clsWD::COMRemove},
                             {"DataRemove", &clsWD::DataRemove},
                             {"OptionsRemove", &clsWD::OptionsRemove}};
constexpr Step kRestores[] = {{"COMRestore", &clsWD::COMRestore},
                              {"DataRestore", &clsWD::DataRestore},
                              {"OptionsRestore", &clsWD::OptionsRestore}};
constexpr Step kRenameAddins{"RenameAddins", &clsWD::RenameAddins};
constexpr Step kRestoreAddins{"RestoreAddins", &clsWD::RestoreAddins};
constexpr Step kRenameTemplate{"RenameTemplate", &clsWD::RenameTemplate};
constexpr Step kRestoreTemplate{"RestoreTemplate", &clsWD::RestoreTemplate};
constexpr Step kUnRegServ{"UnRegServ", &clsWD::UnRegServ};
constexpr Step kRegServ{"RegServ", &clsWD::RegServ};

class Timer {
public:
    explicit Timer(clsWD& wd) : wd_(wd) {}

    void operator()(const Step& step) {
        const auto begun = Clock::now();
        (wd_.*step.call)();
        const double ms = MsBetween(begun, Clock::now());
        byCall[step.name] += ms;
        passMs += ms;
    }
    bool Start() {
        const auto begun = Clock::now();
        const bool started = wd_.WordStartNormal();
        startsMs.push_back(MsBetween(begun, Clock::now()));
        return started;
    }

    std::map<std::string, double> byCall;  // both passes
    double passMs = 0;                     // the pass under way, starts left out
    std::vector<double> startsMs;

private:
    clsWD& wd_;
};

void CheckTemplate(Timer& t) {
    t(kRestoreTemplate);
    if (!t.Start()) t(kRenameTemplate);
}

void AnalysisPass(Timer& t) {
    for (const Step& s : kBackups) t(s);
    t(kRenameAddins);
    for (const Step& s : kRemoves) t(s);
    t(kRenameTemplate);
    t(kUnRegServ);
    t(kRegServ);
    t.Start();
    CheckTemplate(t);
    for (size_t i = 0; i < std::size(kRestores); ++i) {
        t(kRestores[i]);
        t.Start();
        t(kRemoves[i]);
    }
    t(kRestoreAddins);
    t.Start();
    t(kRenameAddins);
    for (const Step& s : kRestores) t(s);
    t(kRestoreAddins);
}

void RepairPass(Timer& t) {
    for (const Step& s : kBackups) t(s);
    t(kRenameTemplate);
    t(kRenameAddins);
    for (const Step& s : kRemoves) t(s);
    t(kUnRegServ);
    t(kRegServ);
    t.Start();
    CheckTemplate(t);
    for (size_t i = 0; i < std::size(kRestores); ++i) {
        t(kRestores[i]);
        if (!t.Start()) t(kRemoves[i]);
    }
    t(kRestoreAddins);
    t.Start();
    t(kRenameAddins);
}

}  // namespace

bool MeasurePassCalls(os::win32::Win32Api& api, const Options& options) {
    const std::optional<wordsim::InstallResult> word = InstallWord(api, options, 0, {wordsim::Component::NormalDot});
    if (!word) return false;
    // Data.reg lands beside the program's folder: both go inside this one.
    const std::string folder = wordsim::io::Join(options.work, "passcalls");
    const std::string programFolder = wordsim::io::Join(folder, "program");
    wordsim::io::DeleteFolderTree(api, folder);
    wordsim::io::MakeFolders(api, programFolder);
    PlacedApi placed(wordsim::io::Join(programFolder, "qvxfix.exe"));
    PumpingHost host;
    engine::Program program(platform::Services{placed, host});
    program.CurrentWordVersion = engine::kWord2003;
    program.WordProgramFolder = word->programFolder;
    const std::shared_ptr<clsWD> profile = engine::SelectWordProfile(program);
    if (!profile) {
        Note("pass calls: no Word 2003 profile");
        return false;
    }
    Timer timer(*profile);
    double analysisMs = 0;
    try {
        AnalysisPass(timer);
        analysisMs = timer.passMs;
        timer.passMs = 0;
        RepairPass(timer);
    } catch (const forms::ProgramEnded&) {
        Note("pass calls: the engine ended the program: " + (host.boxes.empty() ? "" : host.boxes.front()));
        return false;
    }
    std::vector<std::pair<double, std::string>> largest;
    for (const auto& [name, ms] : timer.byCall) largest.emplace_back(ms, name);
    std::sort(largest.rbegin(), largest.rend());
    std::string top;
    for (size_t i = 0; i < std::min<size_t>(5, largest.size()); ++i)
        top += (top.empty() ? "" : ", ") + largest[i].second + " " + Fixed(largest[i].first, 0);
    Note("pass calls (in-process, Word starting at once): outside Word's starts the analysis pass takes " +
         Fixed(analysisMs, 0) + " ms and the repair pass " + Fixed(timer.passMs, 0) +
         " ms; the largest, both passes, ms: " + top + "; a start with no delay takes " +
         Fixed(Median(timer.startsMs), 0) + " ms (" + std::to_string(timer.startsMs.size()) + " starts)" +
         (host.boxes.empty() ? "" : "; messages: " + host.boxes.front()));
    wordsim::io::DeleteFolderTree(api, folder);
    return true;
}

}  // namespace bench

#endif  // _WIN32
