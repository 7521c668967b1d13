// The whole program on an emulated machine with the simulated Word, played
// by a user who always does the next sensible thing, and what the user had
// before the run: the five start-up components, each of which must be found
// again after any run, in place or in a backup that reads back complete.
#pragma once

#include "app/Context.h"
#include "engine/RegFile.h"
#include "forms/ScriptedHost.h"
#include "os/emulated/Machine.h"
#include "wordsim/emulated/EmulatedWord.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace reliability {

inline constexpr char kAppData[] = "C:\\Users\\Ann\\AppData\\Roaming";
inline constexpr char kLocalAppData[] = "C:\\Users\\Ann\\AppData\\Local";
inline constexpr char kOwnFolder[] = "C:\\Tools\\Fix";

// The ways of working the main menu offers, each driven from Start to the end.
enum class Flow { AutomaticRepair, Reset, RenameTemplate, AdvancedReset, Undo };
const char* FlowName(Flow flow);

// Thrown from inside an Api call to abandon the run as a crash would: no
// code of the program catches it, so nothing more of the program runs.
struct Crash {};

// How a run ended.
enum class Outcome {
    Ended,    // the program ended itself (Finish, Cancel, a failure message)
    Crashed,  // a Crash unwound it
    Error,    // an error escaped to the top level ("stopped because of an unexpected error")
    Stuck,    // the user ran out of sensible things to do: the program never ended
};
const char* OutcomeName(Outcome outcome);

// A machine with the simulated Word laid in and the program's settings
// stored; Start runs the program once on it.
class ProgramRun {
public:
    // wordVersion: the stored choice, "WD10" or "WD11". The program runs from
    // kOwnFolder, next to its support templates.
    ProgramRun(const wordsim::InstallOptions& word, const std::string& wordVersion);

    // Runs start-up and the user's clicks for flow until the program ends.
    Outcome Start(Flow flow);
    // A new start of the program on the same machine, as the user starts it
    // again later: a new user script, a new program context.
    void Restart();
    // The user starts Word itself between runs; a Word that starts rebuilds
    // what it misses from its defaults.
    bool UserStartsWord();

    // The program's own folder as the program sees it.
    std::string OwnFolder() const;
    void SetText(os::HKey root, const std::string& subKey, const std::string& name, const std::string& value);
    std::vector<std::string> BoxTexts() const;

    // The wizard's results page (Step 4, top to bottom) as the user saw it
    // before Finish; empty when the wizard never got there.
    std::vector<std::string> results;

    os::emulated::Machine machine;
    wordsim::InstallResult word;
    forms::ScriptedHost& host() { return *host_; }
    const forms::ScriptedHost& host() const { return *host_; }

private:
    std::unique_ptr<forms::ScriptedHost> host_ = std::make_unique<forms::ScriptedHost>();

public:
    std::unique_ptr<app::Context> ctx;

private:
    // Does what a user who wants the flow done would do on the form on top.
    void NextUserStep(Flow flow);
    std::string wordVersion_;
};

// The user's five components as a run found them: Normal.dot, the Startup
// add-ins, and the COM, Data and Options keys with where their backups go.
struct Components {
    struct File {
        std::string path;
        std::string bytes;
    };
    struct Key {
        std::string name;
        std::string subKey;  // below HKEY_CURRENT_USER
        engine::RegFile tree;
        std::string backup;   // the backup file's path
        bool absent = false;  // nothing to lose
    };
    File normalDot;
    std::vector<File> addins;
    std::vector<Key> keys;
    // Files already under a backup name (an earlier run's): kept under that
    // name or moved to one of its generations, never replaced.
    std::vector<File> earlier;
};

// Lays an earlier run's backups of every component where this run's go.
void LayEarlierBackups(ProgramRun& run);

// Reads the components of the install; call before the run.
Components Capture(ProgramRun& run);

// What of the components is lost: a file whose bytes are neither in place
// nor in a file the program keeps (the backup name or a generation of it),
// a value or key of a registry component that is neither in the registry
// nor in a kept backup of it that reads back complete. Faults and observers
// must be cleared first.
std::vector<std::string> Lost(ProgramRun& run, const Components& before);

// Every file and folder of the machine's drives, and the whole registry of
// the current user and the machine, as text, one entry per item.
using Snapshot = std::map<std::string, std::string>;
Snapshot TakeSnapshot(os::emulated::Machine& machine);
// The entries that differ between two snapshots ("+" added, "-" removed,
// "~" changed), leaving out what isTheirs accepts.
std::vector<std::string> Changes(const Snapshot& before, const Snapshot& after,
                                 const std::function<bool(const std::string& entry)>& isTheirs);

}  // namespace reliability
