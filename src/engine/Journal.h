// The journal of a run: one plain-text file per run in the user's local
// application-data folder (%LOCALAPPDATA%\Quorvex\), the last ten kept. It
// holds the state of each component before the run, where the kept file with
// its bytes lies, and each change, appended and flushed before the change is
// made; a run that ends on a road the user was shown to its end is marked
// finished. Recovery at the next start and the undo wizard read it.
//
// Each line ends in a checksum chained through the lines before it, so that a
// damaged or hand-edited journal is known as such and never used in part. A
// last line without its line break is a write that never finished: the
// change it was to announce was never made.
#pragma once

#include "os/Api.h"
#include "os/Handles.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace engine {

// One component as the run found it before changing it.
struct JournalEntry {
    enum class Kind { Key, File };
    Kind kind = Kind::Key;
    std::string place;     // a key below HKEY_CURRENT_USER, or a working file's full path
    bool present = false;  // before the run
    // present: the kept file that holds it as it was (full path); absent:
    // where its bytes came from or go aside to.
    std::string backup;
    std::string hash;  // of the kept file's bytes; empty when nothing was kept
    std::vector<std::string> changes;
};

// A journal as read back.
struct JournalRun {
    std::string path;
    int number = 0;
    os::FileTime started = 0;
    std::string wizard;
    std::vector<JournalEntry> entries;
    std::string putsBack;  // the journal this run put back, if it was a recovery or an undo
    bool finished = false;
    std::string damage;  // why it cannot be trusted; empty when sound
    bool unreadable = false;  // could not be read now (in use): neither sound nor damaged

    // Whether the run changed anything, or put back another run.
    bool Acted() const;
};

class Journal {
public:
    explicit Journal(os::Api& api) : api_(api) {}

    // Names the runs this program makes from now on ("Automatic repair").
    void SetWizard(const std::string& name);
    // Records a component's state before the run; only the first record of a
    // place in a run counts. Opens the run's journal when it has none.
    void Note(JournalEntry::Kind kind, const std::string& place, bool present, const std::string& backup);
    // Records a change of place, before it is made, and forces it to disk
    // with every line before it. A place never noted is recorded as of
    // unknown state: nothing can be put back for it.
    void Change(JournalEntry::Kind kind, const std::string& place, const std::string& what);
    // Records a change that brings place back to what its noted backup holds.
    // It is not forced to disk on its own: lost, it only makes a recovery
    // find the component already as it was.
    void ChangeBack(JournalEntry::Kind kind, const std::string& place, const std::string& what);
    // Records changes about to be made one after another, forced to disk
    // together; each one's own Change then writes nothing again.
    // Places not noted yet are left to their own Change. An empty list
    // drops what was announced and not made.
    struct Planned {
        JournalEntry::Kind kind;
        std::string place;
        std::string what;
    };
    void Announce(const std::vector<Planned>& changes);
    // Records that this run puts back the run of journalPath.
    void PutsBack(const std::string& journalPath);
    // Marks the run finished; the next change starts a new run.
    void Finish();
    // Where this run's journal lies; empty before its first record.
    const std::string& Path() const { return path_; }

private:
    bool Open();
    void Change(JournalEntry::Kind kind, const std::string& place, const std::string& what, bool flush);
    // Only a line that must precede a change on disk is flushed; the lines
    // before it go with it.
    void Append(const std::string& line, bool flush);
    std::string Id(JournalEntry::Kind kind, const std::string& place) const;

    os::Api& api_;
    std::string wizard_;
    std::string path_;
    os::UniqueHandle file_;
    uint32_t chain_ = 0;
    bool failed_ = false;  // the journal could not be written: the run goes on without
    std::map<std::string, int> ids_;
    std::multiset<std::string> announced_;
};

// %LOCALAPPDATA%\Quorvex; empty when the system names no such folder.
std::string JournalFolder(os::Api& api);
// The journals kept, newest first; damaged ones included, with their damage.
std::vector<JournalRun> ListJournals(os::Api& api);
JournalRun ReadJournal(os::Api& api, const std::string& path);
// A digest of the file's bytes as hex; empty when it cannot be read.
std::string FileHash(os::Api& api, const std::string& path);

}  // namespace engine
