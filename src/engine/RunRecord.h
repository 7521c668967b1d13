// What the engine learns about the user's components during one run and must
// remember across profiles: the wizards select a new profile for every pass,
// and the rename recovery works through whichever profile is current.
#pragma once

#include <map>
#include <set>
#include <string>

namespace engine {

struct RunRecord {
    enum class BackupState {
        Saved,   // the key was written to the file and read back complete
        Absent,  // the key did not exist; no file was written
        Failed,  // the key exists but no complete backup could be written
    };
    struct Backup {
        std::string key;  // below HKEY_CURRENT_USER
        BackupState state = BackupState::Failed;
        std::string why;  // for Failed: what went wrong
    };
    // The latest backup this run made into each backup file, by path.
    std::map<std::string, Backup> backups;
    // Warnings already shown, so that each is shown once per run.
    std::set<std::string> told;
    // The rename recovery is running: a failure inside it must not start it again.
    bool renFileRecovery = false;
};

}  // namespace engine
