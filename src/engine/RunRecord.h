// What the engine learns about the user's components during one run and must
// remember across profiles: the wizards select a new profile for every pass,
// and the rename recovery works through whichever profile is current.
#pragma once

#include "engine/Generations.h"

#include <map>
#include <set>
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

    // Keys left in place because no backup of them could be made first, each
    // time a removal was refused: the wizards must not report them reset.
    std::vector<std::string> kept;

    // Warnings already shown, so that each is shown once per run.
    std::set<std::string> told;
    // The rename recovery is running: a failure inside it must not start it again.
    bool renFileRecovery = false;
};

}  // namespace engine
