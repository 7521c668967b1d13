#include "app/Unattended.h"

#include "app/Settings.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "engine/FileIo.h"
#include "engine/Generations.h"
#include "engine/Journal.h"
#include "engine/PutBack.h"
#include "engine/Program.h"
#include "engine/RepairPasses.h"
#include "engine/WordVersions.h"
#include "wizards/WizardEnv.h"
#include "wizards/frmBackup.h"

#include <array>
#include <chrono>
#include <ctime>
#include <exception>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace app {

namespace {
using engine::Pass;
using engine::Verdict;
using Part = engine::RunRecord::Part;

constexpr const char* kLineEnd = "\r\n";
// How the runs are named in the journal, as the wizards name theirs.
constexpr const char* kAutoRunName = "Automatic repair";
constexpr const char* kUndoRunName = "Undo a repair";
// The order of the wizard's result lines, top to bottom.
constexpr Part kShownOrder[] = {Part::Template, Part::Data, Part::COM, Part::Addins, Part::Options};
constexpr const char* kPartNames[] = {"Normal.dot", "Data", "COM", "Options", "Addins"};

std::string Now() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

// A message on one line of the log.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

// The log: appended to the file at every Flush, the summary lines also to
// the console.
class RunLog {
public:
    RunLog(os::Api& api, std::string path) : api_(api), path_(std::move(path)) {}
    ~RunLog() { Flush(); }
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    void Line(const std::string& text, bool summary = false) {
        pending_ += Now() + "  " + text + kLineEnd;
        if (summary) api_.WriteToConsole(text + kLineEnd);
    }
    void Flush() {
        if (pending_.empty() || path_.empty()) return;
        std::string bytes;
        if (engine::ReadWholeFile(api_, path_, &bytes) != 0) bytes.clear();
        if (engine::WriteWholeFile(api_, path_, bytes + pending_) == 0) pending_.clear();
    }
    const std::string& Path() const { return path_; }

private:
    os::Api& api_;
    std::string path_;
    std::string pending_;
};

// Raised by End: nothing of the run may go on after it.
struct RunEnded {};

// The user when nobody is there: messages and questions go to the log, and
// every question is answered No, which leaves things as they are.
class UnattendedUser : public platform::UserPort {
public:
    explicit UnattendedUser(RunLog& log) : log_(log) {}
    void Tell(const std::string& text, platform::Mark, const std::string&) override {
        log_.Line("Message: " + OneLine(text), true);
    }
    bool Ask(const std::string& question, platform::Mark, const std::string&) override {
        log_.Line("Question: " + OneLine(question) + " Answered No.", true);
        return false;
    }
    void DoEvents() override {}
    [[noreturn]] void End() override { throw RunEnded(); }

private:
    RunLog& log_;
};

// The passes' results as the log keeps them: each step, and each
// component's line in the wizard's words once its pass is over.
class LogReporter : public engine::PassReporter {
public:
    LogReporter(RunLog& log, const engine::RunRecord& run) : log_(log), run_(run) {}

    void Step(Pass, size_t, const char* what) override { log_.Line(std::string("  Step: ") + what); }
    void StartedDisabled(Pass, bool started) override {
        if (run_.registrationSkipped) log_.Line("  Word's registration was skipped: this Word has none to renew.");
        log_.Line(started ? "  Word started with everything disabled."
                          : "  Word did not start even with everything disabled.",
                  !started);
    }
    void Result(Pass pass, Part part, Verdict verdict, const std::string& failureLine) override {
        lines_[static_cast<size_t>(part)] =
            engine::WithForAllUsers(run_, part, wizards::frmBackup::ResultText(pass, part, verdict, failureLine));
    }
    void WriteResults() {
        for (Part part : kShownOrder) {
            std::string& line = lines_[static_cast<size_t>(part)];
            if (!line.empty()) log_.Line("  Result: " + line, true);
            line.clear();
        }
        log_.Flush();
    }

private:
    RunLog& log_;
    const engine::RunRecord& run_;
    std::array<std::string, 5> lines_;
};

// The version the run works on: the one asked for, else the stored choice,
// else the newest Word found.
std::string ChooseVersion(const platform::Services& services, const CommandLine& line) {
    if (!line.version.empty()) return line.version;
    Settings settings(services.api);
    std::string stored = settings.Get(kSectionSettings, kKeyWordVersion, kSettingDefault);
    if (engine::IsSupportedVersion(stored)) return stored;
    const std::vector<InstalledWord> newer = FindNewerWords(services.api);
    if (!newer.empty()) return newer.back().version;
    if (DetectWD11(services) == engine::kWord2003) return engine::kWord2003;
    return DetectWD10(services);
}

// Where winword.exe of that version lies, as start-up learns it without
// starting Word: a newer Word where it was found, else its registration.
std::optional<std::string> FindWord(os::Api& api, const std::string& version) {
    for (const InstalledWord& word : FindNewerWords(api))
        if (word.version == version) return word.folder;
    return FindWordOnDisk(api, version);
}

bool AnyVerdict(const engine::PassResult& result, Verdict verdict) {
    for (Verdict v : result.verdict)
        if (v == verdict) return true;
    return false;
}

// Everything back as it was, after a pass that found Word dead whatever was disabled.
void PutBack(engine::clsWD& wd, const engine::RunRecord& run, RunLog& log) {
    log.Line("Putting everything back as it was.", true);
    for (const std::string& failure : engine::PutEverythingBack(wd, run))
        if (!failure.empty()) log.Line("  " + failure, true);
}

// The registry backups as written, then the files renamed aside that are
// still there (the run keeps their names in lower case).
void LogBackups(os::Api& api, const engine::RunRecord& run, RunLog& log) {
    std::set<std::string> logged;
    for (const auto& [path, backup] : run.backups) {
        if (backup.state != engine::RunRecord::BackupState::Saved || backup.file.empty()) continue;
        log.Line("Backup: " + backup.file);
        logged.insert(engine::FoldPath(backup.file));
    }
    for (const std::string& file : run.made)
        if (logged.count(file) == 0 && api.GetFileAttributes(file) != os::InvalidFileAttributes)
            log.Line("Backup: " + file);
}

int AutomaticRepair(os::Api& api, const CommandLine& line, RunLog& log) {
    UnattendedUser user(log);
    engine::Program program(platform::Services{api, user});
    log.Line("Quorvex automatic repair, unattended; log " + log.Path(), true);
    const std::string version = ChooseVersion(program.services, line);
    std::optional<std::string> folder;
    if (engine::IsSupportedVersion(version)) folder = FindWord(api, version);
    if (!folder) {
        log.Line("No supported Word found" + (line.version.empty() ? std::string() : " for " + line.version) + ".",
                 true);
        return kExitNoWord;
    }
    program.CurrentWordVersion = version;
    program.WordProgramFolder = *folder;
    log.Line("Word version " + version + " in " + *folder, true);
    program.journal.SetWizard(kAutoRunName);

    LogReporter reporter(log, program.Run);
    // A fresh profile for each pass, as the wizard selects one.
    auto select = [&] {
        program.CurrentWordProfile = wizards::StandardProfiles(program)(version);
        return program.CurrentWordProfile;
    };
    int code = kExitNothingAtFault;
    try {
        log.Line("Analysis:");
        std::shared_ptr<engine::clsWD> wd = select();
        const engine::PassResult analysis = engine::AnalysisPass(*wd, program.Run, reporter);
        reporter.WriteResults();
        engine::PassResult repair;
        if (analysis.started) {
            log.Line("Repair:");
            wd = select();
            repair = engine::RepairPass(*wd, program.Run, reporter);
            reporter.WriteResults();
        }
        if (!analysis.started || !repair.started) {
            PutBack(*wd, program.Run, log);
            code = kExitWordNeverStarts;
        } else if (AnyVerdict(analysis, Verdict::NotDone) || AnyVerdict(repair, Verdict::NotDone)) {
            code = kExitNotDone;
        } else if (AnyVerdict(repair, Verdict::Failed)) {
            std::string disabled;
            for (Part part : kShownOrder)
                if (repair.verdict[static_cast<size_t>(part)] == Verdict::Failed)
                    disabled += std::string(disabled.empty() ? "" : ", ") + kPartNames[static_cast<size_t>(part)];
            log.Line("Left disabled: " + disabled, true);
            code = kExitRepaired;
        }
        // Every road but a stop ends the run as the wizard's Finish does.
        program.journal.Finish();
    } catch (const RunEnded&) {
        code = kExitNotDone;
    } catch (const std::exception& failure) {
        log.Line(std::string("Stopped by an unexpected error: ") + failure.what(), true);
        code = kExitNotDone;
    }
    LogBackups(api, program.Run, log);
    if (!program.journal.Path().empty()) log.Line("Journal: " + program.journal.Path());
    return code;
}

int ListRuns(os::Api& api, RunLog& log) {
    log.Line("Runs in the journal, newest first:", true);
    const std::vector<engine::JournalRun> runs = engine::ListJournals(api);
    for (const engine::JournalRun& run : runs) {
        std::string text = "Run " + std::to_string(run.number) + ": " + api.FormatFileTime(run.started) + ", " +
                           run.wizard;
        if (!run.damage.empty()) {
            text += ", damaged (" + run.damage + ")";
        } else {
            const std::vector<engine::Component> changed = engine::ChangedComponents(run);
            text += run.finished ? ", finished" : ", did not finish";
            text += changed.empty() ? ", changed nothing" : ", changed " + engine::Names(changed);
        }
        log.Line(text + "; " + run.path, true);
    }
    if (runs.empty()) log.Line("None.", true);
    return kExitNothingAtFault;
}

// Puts back the newest sound run that changed something, or the run of
// that number, as the undo wizard does.
int UndoRun(os::Api& api, const CommandLine& line, RunLog& log) {
    const bool last = line.run == "last";
    for (const engine::JournalRun& run : engine::ListJournals(api)) {
        if (!last && std::to_string(run.number) != line.run) continue;
        const std::vector<engine::Component> changed = engine::ChangedComponents(run);
        if (last && (!run.damage.empty() || changed.empty())) continue;
        log.Line("Undoing run " + std::to_string(run.number) + " of " + api.FormatFileTime(run.started) + " (" +
                     run.wizard + "); journal " + run.path,
                 true);
        if (!run.damage.empty()) {
            log.Line("Its journal is damaged (" + run.damage + "): nothing was put back.", true);
            return kExitNotDone;
        }
        UnattendedUser user(log);
        engine::Program program(platform::Services{api, user});
        int code = kExitNothingAtFault;
        try {
            for (const engine::PutBackResult& result : engine::PutBackAsRun(program, run, changed, kUndoRunName)) {
                log.Line("  " + (result.done ? "Put back: " + result.component : engine::ResultText(result)), true);
                if (!result.done) code = kExitNotDone;
            }
        } catch (const RunEnded&) {
            code = kExitNotDone;
        }
        return code;
    }
    if (!last) {
        log.Line("The journal has no run " + line.run + ".", true);
        return kExitBadArguments;
    }
    log.Line("There is nothing to undo: Quorvex has no record of a repair.", true);
    return kExitNothingAtFault;
}

int Run(os::Api& api, const CommandLine& line, RunLog& log) {
    if (line.action == CommandLine::Action::List) return ListRuns(api, log);
    if (line.action == CommandLine::Action::Undo) return UndoRun(api, line, log);
    return AutomaticRepair(api, line, log);
}

const char* ExitMeaning(int code) {
    switch (code) {
        case kExitNothingAtFault: return "Word starts; nothing was at fault.";
        case kExitRepaired: return "Repaired: Word starts now.";
        case kExitWordNeverStarts: return "Word does not start even with everything disabled; all put back.";
        case kExitAnotherCopyRuns: return "Another copy of Quorvex is running.";
        case kExitNoWord: return "No supported Word found.";
        case kExitNotDone: return "A component could not be backed up or put back.";
        default: return "";
    }
}

}  // namespace

std::string DefaultLogPath(os::Api& api) {
    std::string folder;
    if (!api.GetSpecialFolderPath(os::CsidlLocalAppData, &folder) || folder.empty()) return {};
    if (folder.back() != '\\') folder += '\\';
    folder += "Quorvex";
    api.CreateDirectory(folder);
    return folder + "\\last-run.log";
}

int RunCommandLine(os::Api& api, const CommandLine& line, const std::function<void(const std::string&)>& showUsage) {
    const bool console = api.AttachParentConsole();
    if (line.action == CommandLine::Action::Bad) {
        api.WriteToConsole("qvxfix: " + line.error + kLineEnd + kUsage);
        return kExitBadArguments;
    }
    if (line.action == CommandLine::Action::Usage) {
        if (console)
            api.WriteToConsole(kUsage);
        else if (showUsage)
            showUsage(kUsage);
        return kExitNothingAtFault;
    }
    RunLog log(api, line.log.empty() ? DefaultLogPath(api) : line.log);
    // Held until the run ends.
    SingleInstance instance(api);
    const int code = instance.AnotherCopyRuns() ? kExitAnotherCopyRuns : Run(api, line, log);
    log.Line("Exit code " + std::to_string(code) + ": " + ExitMeaning(code), true);
    return code;
}

}  // namespace app
