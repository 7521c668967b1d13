// The one implementation behind every Word version's profile: they differ
// only in the table they hand it. Word 2007 and later add the per-machine
// add-ins, the 32-bit per-user add-ins and more Startup add-in kinds.
#pragma once

#include "engine/Program.h"
#include "engine/RegFile.h"
#include "engine/clsWD.h"
#include "os/Api.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace engine {

// What differs between the supported Word versions.
struct ProfileTable {
    const char* name;             // the profile's class name, the source of its raised errors
    const char* dataKey;          // below HKEY_CURRENT_USER
    const char* optionsKey;       // below HKEY_CURRENT_USER; also holds the Startup and program folders
    const char* comKey;           // below HKEY_CURRENT_USER; one subkey per COM add-in
    const char* generalKey;       // below HKEY_CURRENT_USER; the template folders
    const char* supportTemplate;  // given to Word by Execute(true)
    bool askWhenCopyMissing;      // Word 2002: ask before giving up on a file that could not be copied
    // Word 2007 and later: its key in WordVersions.h; empty for 2002 and 2003.
    const char* version = "";
    const char* templateName = "Normal.dot";
};

// The profile table of a Word 2007 or later key ("WD16"); null for others.
const ProfileTable* NewerProfileTable(const std::string& version);

class WordProfile : public clsWD {
public:
    WordProfile(Program& program, const ProfileTable& table);

    void Execute(bool boolSupport) override;
    void DataRestore() override;
    void DataBackup() override;
    void DataRemove() override;
    void COMRestore() override;
    void COMBackup() override;
    void COMRemove() override;
    void OptionsRestore() override;
    void OptionsBackup() override;
    void OptionsRemove() override;
    void RegServ() override;
    void UnRegServ() override;
    void RenameAddins() override;
    void RestoreAddins() override;
    void WordStartTemplate() override;
    bool WordStartNormal() override;
    void RenameTemplate() override;
    void RestoreTemplate() override;

    std::vector<Addin> DisabledAddins(RunRecord::Part part) override;
    void EnableAddin(RunRecord::Part part, const Addin& addin) override;
    void DisableAddin(RunRecord::Part part, const Addin& addin) override;
    // The journal's lines for them all are forced to disk together.
    void TurnAddins(RunRecord::Part part, const std::vector<Turn>& turns) override;

    const ProfileTable& Table() const { return table_; }
    bool Newer() const { return *table_.version != '\0'; }

private:
    // One of the three registry components.
    struct Component {
        const char* name;  // as the user is told about it
        const char* key;   // below HKEY_CURRENT_USER
        const char* file;  // joined to the program's own folder as it stands
        RunRecord::Part part;
    };
    Component Data() const;
    Component COM() const;
    Component Options() const;
    // Word 2007 and later: the per-user add-ins of 32-bit Office on 64-bit Windows.
    Component COM32() const;
    // Runs step on the 32-bit add-ins key too (newer Words), keeping the
    // reason of the first key's failure.
    void AlsoCOM32(const std::function<void(const Component&)>& step);

    // What all users share: the per-machine COM add-ins that load at start
    // and the files of Word's own Startup folder. Changed only when elevated
    // (the add-ins through LoadBehavior, never deleted); otherwise listed by
    // name for the result lines.
    void MachineAddins(bool boolRestore);
    void MachineStartup(bool boolRestore);
    // The one place a per-machine add-in's LoadBehavior is written.
    bool SetMachineLoadBehavior(const std::string& key, uint32_t value);
    // Startup add-ins of Word 2007 and later: each renamed aside with a
    // suffix so that its full name comes back.
    void renNewerAddins(const std::string& folder, bool boolRestore);

    std::string BackupPath(const Component& component) const;
    // The first backup of a key in the run takes the backup name; a later one
    // goes beside it, as a generation, when the key has changed since.
    RegResult Backup(const Component& component);
    RegResult BackupNow(const Component& component);
    bool SavedInThisRun(const Component& component, const std::string& path);
    // A backup of this run holds the key as it is now: only then may it go.
    bool SavedAsItIs(const Component& component, const std::string& path);
    bool SameAsFile(const std::string& key, const std::string& path);
    void Remove(const Component& component);
    void Restore(const Component& component);
    // The one place a backup file is written. A free path takes it outright;
    // otherwise it lands under a temporary name and is checked first. Then,
    // when the file at path holds the same bytes, nothing more is kept; with
    // keepOwn and path holding this run's own first backup it becomes the
    // next generation; else the file at path moves to a generation and the
    // new one takes the name. *written is where the key now lies.
    RegResult WriteBackup(const Component& component, const std::string& path, bool keepOwn, std::string* written);
    // ERROR_FILE_NOT_FOUND, 0 when the key opens, or why it could not be opened.
    long ProbeKey(const std::string& key);
    void TellOnce(const std::string& topic, const std::string& text);

    // Starts Word with a command line; the program path goes separately, so
    // an unquoted Word folder with blanks can never start another program.
    os::Handle StartWord(const std::string& switches);
    std::string WinwordPath() const;
    void StartAndWait(const std::string& switches);

    void renAddins(bool boolRestore);
    void renFile(const std::string& strOldPath, const std::string& strNewPath, bool boolRestore,
                 RunRecord::Part part);
    // Whether another program holds path open against writing.
    bool InUse(const std::string& path);
    // Waits a bounded while for path to come free, keeping the windows painted.
    void WaitUntilFree(const std::string& path);
    void renNormal(bool boolRestore);
    // The one place a file is copied to its new name: by then a free name, or
    // (replace) the working file Word made since this run renamed it aside.
    void CopyOver(const std::string& from, const std::string& to, bool replace);
    // Copies a working file aside to its backup name the way WriteBackup
    // writes a key; returns where its bytes are kept, empty when nowhere.
    std::string CopyAside(const std::string& from, const std::string& backup);
    bool SameContent(const std::string& a, const std::string& b);
    // Ends the program.
    void RecoverFromRename();
    void TellNormalFailure(const std::string& description);

    // Single add-ins. A COM add-in comes back from this run's backup of the
    // COM key and goes only while that backup holds it as it is now.
    bool ComBackupOfRun(const Component& component, RegFile* saved);
    RegFile ComAddinIn(const Component& component, const RegFile& saved, const std::string& progId) const;
    std::vector<Addin> DisabledComAddins();
    void DisabledComAddinsOf(const Component& component, Addin::Where where, std::vector<Addin>* addins);
    // Word 2007 and later, elevated: those of all users this run set to 2.
    void DisabledMachineAddins(std::vector<Addin>* addins);
    void TurnMachineAddin(const Addin& addin, bool on);
    Component ComOf(const Addin& addin) const { return addin.where == Addin::Where::User32 ? COM32() : COM(); }
    // A Startup file of the search goes between its two names by a rename in
    // its folder: its bytes, checked when the repair put it aside, are never
    // copied, so there is nothing to check again. When the rename fails (a
    // name taken, the file held) it goes the way of the repair.
    void SwapStartupFile(const Addin& addin, bool on);
    // The journal's line for turning an add-in on or off, the one both a
    // single turn and the announcement of several write; none for an add-in
    // of all users. JournalTurn writes it, forced to disk when turning off.
    std::optional<Journal::Planned> TurnLine(RunRecord::Part part, const Addin& addin, bool on) const;
    void JournalTurn(RunRecord::Part part, const Addin& addin, bool on);
    std::vector<Addin> DisabledStartupAddins();

    Program& program_;
    const ProfileTable& table_;
    // Kept while renNormal runs: its candidate folders and the pair of paths
    // in hand, for the failure message.
    std::array<std::string, 5> normalFolders_;
    std::string normalSource_;
    std::string normalTarget_;
};

}  // namespace engine
