// What the engine learns about the user's components during one run and must
// remember across profiles: the wizards select a new profile for every pass,
// and the rename recovery works through whichever profile is current.
#pragma once

#include "engine/Generations.h"

#include <array>
#include <map>
#include <set>
#include <cstdint>
#include <string>
#include <vector>

namespace engine {

struct RunRecord {
    enum class BackupState {
        Saved,   // the key was written to the file and read back complete
        Absent,  // the key did not exist; no file was written
        Failed,  // the key exists but no complete backup could be written
    };
    struct Backup {
        std::string key;  // below HKEY_CURRENT_USER
        // The first backup of the key in this run: the user's own. A later
        // backup in the run never replaces it; only a failed one is tried again.
        BackupState state = BackupState::Failed;
        std::string why;   // for Failed: what went wrong
        std::string file;  // where the key as last saved in this run lies; empty: nowhere
    };
    // The backups of this run, by the path of their backup file.
    std::map<std::string, Backup> backups;

    // Backup files this run wrote under their backup names (0Normal.dot,
    // Tools.wbt, COM.reg, ...): the first of the run, so the user's own. A
    // later backup in the run goes to a generation instead of replacing one.
    std::set<std::string> made;
    // Working files this run renamed aside: a file found under such a name
    // later in the run is one Word made since.
    std::set<std::string> renamedAside;

    bool Made(const std::string& path) const { return made.count(FoldPath(path)) != 0; }
    bool RenamedAside(const std::string& path) const { return renamedAside.count(FoldPath(path)) != 0; }

    // The parts of Word the wizards report on, one result line each.
    enum class Part { Template, Data, COM, Options, Addins };
    // Why the latest operation on each part fell short, in plain words
    // ("the file is in use"); empty when it did all it set out to do.
    std::array<std::string, 5> failure;
    void Begin(Part part) { failure[static_cast<size_t>(part)].clear(); }
    // The first reason of an operation stands; later ones follow from it.
    void Fail(Part part, const std::string& why) {
        std::string& reason = failure[static_cast<size_t>(part)];
        if (reason.empty()) reason = why;
    }
    const std::string& Failure(Part part) const { return failure[static_cast<size_t>(part)]; }

    // Word 2007 and later. What all users share and the latest operation on
    // a part left alone, because the program is not elevated: by name.
    std::array<std::vector<std::string>, 5> forAllUsers;
    // The per-machine add-ins this run disabled, by key below HKEY_LOCAL_MACHINE,
    // with the LoadBehavior each had.
    std::map<std::string, uint32_t> machineLoadBehavior;
    // Word's /u and /r runs were skipped: Office repairs a Click-to-Run Word.
    bool registrationSkipped = false;
    // The global template's name as the latest profile calls it (Normal.dotm
    // for Word 2007 and later), for its result lines.
    std::string templateName = "Normal.dot";

    // Warnings already shown, so that each is shown once per run.
    std::set<std::string> told;
    // The rename recovery is running: a failure inside it must not start it again.
    bool renFileRecovery = false;
};

// What went wrong, as the result line says it: success when the latest
// operation on part did all it set out to do, else "<part> could not be
// <done>: <reason>". Shared by every way the program reports its results.
enum class Done { Reset, PutBack, Disabled };
std::string ResultLine(const RunRecord& run, RunRecord::Part part, Done done, const std::string& success);
// line, followed by what all users share that the part left alone.
std::string WithForAllUsers(const RunRecord& run, RunRecord::Part part, const std::string& line);

}  // namespace engine
