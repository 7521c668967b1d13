#include "engine/WordProfile.h"

#include "engine/EnginePaths.h"
#include "engine/FileIo.h"
#include "engine/Generations.h"
#include "engine/RegFile.h"
#include "engine/RegTree.h"
#include "os/Handles.h"
#include "os/Processes.h"
#include "platform/RaisedError.h"
#include "platform/WebPages.h"
#include "platform/clsFileSystem.h"
#include "platform/clsRegistry.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>
#include <stdexcept>
#include <vector>

// Decisions of our own:
// - Backups are written and read back by the program itself; a key is only
//   removed once a backup of it, made in this run, reads back as the key is
//   now. When none can be made the key stays and the user is told once per
//   component.
// - Every step that falls short is recorded against its component with the
//   reason, so that no result line reads as success for it.
// - Before Normal.dot is touched, a Word that has just quit is given a
//   bounded while to let go of it: its process may outlive Quit.
// - A key that does not exist at backup time writes no file. Its restore in
//   the same run imports nothing, so an older file cannot come back as if it
//   were this run's backup; a key that was absent stays as Word left it. The
//   same holds after a backup that failed: the key was never removed.
// - Word's registration run (/u, /r) is waited for, up to a minute, so that
//   the start test that follows sees the registration settled.
// - A file is only deleted once its copy holds the same bytes. A read-only
//   file is renamed like any other; its copy keeps the attribute.
// - No backup is ever replaced or dropped. A new one is checked before a file
//   already under the backup name moves to a generation beside it
//   (Generations.h); one holding the same bytes as that file adds nothing.
//   Only the long name's extension picks add-ins. Within a run the first backup of
//   a component is the user's own and keeps the name: a later rename aside
//   (Word's fresh Normal.dot) or a later, different export goes to a
//   generation instead, and the restores read the name.
// - Putting a file back replaces the working file only when this run renamed
//   that file aside, so what it replaces is what Word made since: Word's
//   fresh Normal.dot is dropped. Any other file in the way stays, and so does
//   the backup.
// - Folder texts that come out empty are skipped rather than read as the
//   root of the current drive, and so are relative ones (they would name
//   folders below the current one, the program's own); a missing
//   Startup-Path means Word's own default Startup folder.

namespace engine {

namespace {

constexpr char kLineBreak[] = "\r\n";
constexpr char kBackupNotWritten[] = "the backup could not be written";
constexpr char kInUse[] = "the file is in use";

constexpr char kDataFile[] = "Data.reg";
constexpr char kComFile[] = "\\COM.reg";
constexpr char kOptionsFile[] = "\\Options.reg";
constexpr char kSafeModeTemplate[] = "SafeMode.DOT";
constexpr char kWinword[] = "\\winword.exe";

constexpr char kRenFileMessage[] =
    "The Word Normal.dot default template appears to be in use. Please close down any open Word documents and "
    "reboot the computer before trying this program again. Thank you.";
constexpr char kRenNormalMessage[] =
    "Word's Default Template appears to be in use. Please close any open Word documents and reboot the computer "
    "before running this program again. Thanks.";

// Word's registration run is waited for in slices, yielding between them:
// short ones, so that the window answers within a few frames meanwhile.
constexpr uint32_t kWaitSliceMs = 10;
constexpr int kWaitSlices = 6000;  // one minute
// Word may hold Normal.dot for a while after Quit, until its process ends.
constexpr uint32_t kFreeSliceMs = 50;
constexpr int kFreeSlices = 240;  // twelve seconds

struct ExtensionPair {
    const char* working;
    const char* backup;
};
constexpr ExtensionPair kExtensions[] = {{"dot", "wbt"}, {"wll", "wbl"}};

// Word 2007 and later load these from a Startup folder; each is renamed aside
// by appending the suffix, so every kind comes back under its own name.
constexpr const char* kNewerAddinKinds[] = {"dot", "dotm", "dotx", "wll"};
constexpr char kAsideSuffix[] = ".qvxoff";
constexpr char kAsideKind[] = "qvxoff";

// Below HKEY_LOCAL_MACHINE, one subkey per add-in every user's Word loads;
// Click-to-Run keeps its own copy of the keys.
constexpr const char* kMachineAddinKeys[] = {
    "SOFTWARE\\Microsoft\\Office\\Word\\Addins",
    "SOFTWARE\\WOW6432Node\\Microsoft\\Office\\Word\\Addins",
    "SOFTWARE\\Microsoft\\Office\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Microsoft\\Office\\Word\\Addins",
    "SOFTWARE\\Microsoft\\Office\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Wow6432Node\\Microsoft\\Office\\Word\\"
    "Addins",
};
constexpr uint32_t kLoadAtStart = 3;
constexpr uint32_t kNotLoaded = 2;

class ListingFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The names of the files matching pattern, all read before any is touched.
std::vector<std::string> ListFiles(os::Api& api, const std::string& pattern) {
    std::vector<std::string> names;
    os::FindData data;
    api.SetLastError(os::err::Success);
    os::UniqueFind find(api, api.FindFirstFile(pattern, &data));
    if (!find) {
        uint32_t code = api.GetLastError();
        if (code == os::err::FileNotFound || code == os::err::PathNotFound || code == os::err::NoMoreFiles)
            return names;
        throw ListingFailed(pattern);
    }
    do {
        if (!(data.attributes & os::AttrDirectory)) names.push_back(data.name);
        api.SetLastError(os::err::Success);
    } while (api.FindNextFile(find.get(), &data));
    if (api.GetLastError() != os::err::NoMoreFiles) throw ListingFailed(pattern);
    return names;
}

// The whole file, read with every sharing mode as a copy reads it: a file
// that Word holds open can still be compared with its copy.
std::optional<std::string> ReadShared(os::Api& api, const std::string& path) {
    os::UniqueHandle file(api, api.CreateFile(path, os::GenericRead, os::ShareRead | os::ShareWrite | os::ShareDelete,
                                              os::OpenExisting));
    if (!file) return std::nullopt;
    std::string bytes;
    std::vector<char> buffer(size_t{64} * 1024);
    for (;;) {
        uint32_t read = 0;
        if (!api.ReadFile(file.get(), buffer.data(), static_cast<uint32_t>(buffer.size()), &read)) return std::nullopt;
        if (read == 0) return bytes;
        bytes.append(buffer.data(), read);
    }
}

// Deletes the file left behind by a rename. A read-only file goes as any
// other: its copy keeps the attribute, so nothing of the user's choice is lost.
bool DeleteRenamed(os::Api& api, const std::string& path) {
    if (api.DeleteFile(path)) return true;
    const uint32_t attributes = api.GetFileAttributes(path);
    if (attributes == os::InvalidFileAttributes || !(attributes & os::AttrReadOnly)) return false;
    if (!api.SetFileAttributes(path, attributes & ~os::AttrReadOnly)) return false;
    if (api.DeleteFile(path)) return true;
    api.SetFileAttributes(path, attributes);
    return false;
}

// Whether a file name's extension is exactly extension, in any case.
bool HasExtension(const std::string& name, const std::string& extension) {
    const size_t dot = name.find_last_of('.');
    return dot != std::string::npos && dot > 0 && FoldPath(name.substr(dot + 1)) == extension;
}

// Only a full path names one folder; a relative text would be read against
// the current folder, which is the program's own when started from Explorer.
bool IsFullPath(const std::string& folder) {
    const bool drive = folder.size() >= 3 && std::isalpha(static_cast<unsigned char>(folder[0])) &&
                       folder[1] == ':' && folder[2] == '\\';
    return drive || folder.rfind("\\\\", 0) == 0;
}

// A folder text as an entry of the add-in folder list: followed by one "\";
// empty when the text is no full path.
std::string AddinEntry(const std::string& folder) {
    if (!IsFullPath(folder)) return {};
    return folder.back() == '\\' ? folder : folder + "\\";
}

// So that every candidate has exactly one backslash before "Normal.dot".
std::string WithoutLastBackslash(const std::string& folder) {
    if (!folder.empty() && platform::clsFileSystem::LastChar(folder) == "\\")
        return platform::clsFileSystem::sRemoveLastChar(folder);
    return folder;
}

// The subkeys of a key below HKEY_LOCAL_MACHINE, read with read access only.
std::vector<std::string> MachineSubKeys(os::Api& api, const std::string& key) {
    std::vector<std::string> names;
    os::HKey raw = 0;
    if (api.RegOpenKeyEx(os::HKeyLocalMachine, key, os::KeyRead, &raw) != os::err::Success) return names;
    os::UniqueKey opened(api, raw);
    for (uint32_t index = 0;; ++index) {
        char name[512] = {};
        uint32_t chars = sizeof name;
        if (api.RegEnumKeyEx(opened.get(), index, name, &chars) != os::err::Success) break;
        names.emplace_back(name, chars);
    }
    return names;
}

// A DWORD below HKEY_LOCAL_MACHINE; nullopt when missing or of another type.
std::optional<uint32_t> MachineDword(os::Api& api, const std::string& key, const std::string& value) {
    os::HKey raw = 0;
    if (api.RegOpenKeyEx(os::HKeyLocalMachine, key, os::KeyRead, &raw) != os::err::Success) return std::nullopt;
    os::UniqueKey opened(api, raw);
    uint32_t type = 0, data = 0, size = sizeof data;
    if (api.RegQueryValueEx(opened.get(), value, &type, reinterpret_cast<uint8_t*>(&data), &size) !=
            os::err::Success ||
        type != os::RegDword || size != sizeof data)
        return std::nullopt;
    return data;
}

}  // namespace

WordProfile::WordProfile(Program& program, const ProfileTable& table) : program_(program), table_(table) {}

// --- Registry components ---

WordProfile::Component WordProfile::Data() const {
    return {"Word's Data registry key", table_.dataKey, kDataFile, RunRecord::Part::Data};
}
WordProfile::Component WordProfile::COM() const {
    return {"the registry key of Word's COM add-ins", table_.comKey, kComFile, RunRecord::Part::COM};
}
WordProfile::Component WordProfile::Options() const {
    return {"Word's Options registry key", table_.optionsKey, kOptionsFile, RunRecord::Part::Options};
}
WordProfile::Component WordProfile::COM32() const {
    return {"the registry key of Word's 32-bit COM add-ins", "Software\\Wow6432Node\\Microsoft\\Office\\Word\\Addins",
            "\\COM32.reg", RunRecord::Part::COM};
}

void WordProfile::AlsoCOM32(const std::function<void(const Component&)>& step) {
    if (!Newer()) return;
    RunRecord& run = program_.Run;
    const std::string first = run.Failure(RunRecord::Part::COM);
    step(COM32());
    if (first.empty()) return;
    run.Begin(RunRecord::Part::COM);
    run.Fail(RunRecord::Part::COM, first);
}

void WordProfile::DataBackup() { Backup(Data()); }
void WordProfile::DataRemove() { Remove(Data()); }
void WordProfile::DataRestore() { Restore(Data()); }
void WordProfile::COMBackup() {
    Backup(COM());
    AlsoCOM32([this](const Component& component) { Backup(component); });
}
void WordProfile::COMRemove() {
    Remove(COM());
    AlsoCOM32([this](const Component& component) { Remove(component); });
    MachineAddins(false);
}
void WordProfile::COMRestore() {
    Restore(COM());
    AlsoCOM32([this](const Component& component) { Restore(component); });
    MachineAddins(true);
}
void WordProfile::OptionsBackup() { Backup(Options()); }
void WordProfile::OptionsRemove() { Remove(Options()); }
void WordProfile::OptionsRestore() { Restore(Options()); }

std::string WordProfile::BackupPath(const Component& component) const {
    // Joined as it stands: "Data.reg" lands beside the program's folder, and a
    // drive root doubles the backslash; earlier runs wrote them there too.
    return OwnFolder(program_.services.api) + component.file;
}

long WordProfile::ProbeKey(const std::string& key) {
    os::Api& api = program_.services.api;
    os::HKey raw = 0;
    long rc = api.RegOpenKeyEx(os::HKeyCurrentUser, key, os::KeyRead, &raw);
    if (rc == os::err::Success) api.RegCloseKey(raw);
    return rc;
}

RegResult WordProfile::WriteBackup(const Component& component, const std::string& path, bool keepOwn,
                                   std::string* written) {
    os::Api& api = program_.services.api;
    RunRecord& run = program_.Run;
    written->clear();
    // The usual case first: the name is free and the file is created new, so
    // nothing under the name is ever replaced.
    RegResult result = BackupRegKey(api, os::HKeyCurrentUser, component.key, path, false);
    if (result.ok()) {
        *written = path;
        run.made.insert(FoldPath(path));
        return result;
    }
    if (result.code != os::err::FileExists && result.code != os::err::AlreadyExists) return result;
    if (keepOwn && run.Made(path)) {
        const std::string generation = FreeGenerationName(api, path);
        result = BackupRegKey(api, os::HKeyCurrentUser, component.key, generation, false);
        if (result.ok()) *written = generation;
        return result;
    }
    const std::string temporary = FreeTemporaryName(api, path);
    result = BackupRegKey(api, os::HKeyCurrentUser, component.key, temporary, false);
    if (!result.ok()) return result;
    // Only now, with the new backup checked, may the earlier one move.
    if (SameContent(temporary, path)) {
        api.DeleteFile(temporary);  // the file at path holds the same bytes
    } else if (!PromoteBackup(api, temporary, path)) {
        uint32_t code = api.GetLastError();
        if (code == os::err::Success) code = os::err::AccessDenied;
        api.DeleteFile(temporary);  // the key it saved is still in place
        return {code, "The earlier backup \"" + path + "\" could not be kept: " + api.FormatMessage(code)};
    }
    *written = path;
    run.made.insert(FoldPath(path));
    return {};
}

bool WordProfile::SameAsFile(const std::string& key, const std::string& path) {
    os::Api& api = program_.services.api;
    std::string bytes;
    RegFile saved, now;
    return ReadWholeFile(api, path, &bytes) == os::err::Success && ParseRegFile(api, bytes, &saved, nullptr) &&
           ReadRegTree(api, os::HKeyCurrentUser, key, &now) == os::err::Success &&
           DescribeRegDifference(now, saved).empty();
}

RegResult WordProfile::Backup(const Component& component) {
    program_.Run.Begin(component.part);
    RegResult result = BackupNow(component);
    if (!result.ok()) program_.Run.Fail(component.part, kBackupNotWritten);
    return result;
}

RegResult WordProfile::BackupNow(const Component& component) {
    const std::string path = BackupPath(component);
    auto& backups = program_.Run.backups;
    auto found = backups.find(path);
    const bool absent = ProbeKey(component.key) == os::err::FileNotFound;
    if (found == backups.end() || found->second.key != component.key ||
        found->second.state == RunRecord::BackupState::Failed) {
        // The first backup of the key in this run: what the user had.
        if (absent) {
            backups[path] = {component.key, RunRecord::BackupState::Absent, {}, {}};
            program_.journal.Note(JournalEntry::Kind::Key, component.key, false, path);
            return {};
        }
        std::string written;
        RegResult result = WriteBackup(component, path, false, &written);
        backups[path] = {component.key, result.ok() ? RunRecord::BackupState::Saved : RunRecord::BackupState::Failed,
                         result.message, written};
        if (result.ok()) program_.journal.Note(JournalEntry::Kind::Key, component.key, true, written);
        return result;
    }
    // A later backup in the run. The first one stays what the restore reads;
    // the key as it is now is kept beside it when it differs.
    RunRecord::Backup& record = found->second;
    if (absent) return {};
    // Nothing is added while the key still matches the newest backup of it.
    for (const std::string& file : {record.file, path}) {
        if (program_.Run.Made(path) && !file.empty() && program_.services.api.PathFileExists(file) &&
            SameAsFile(component.key, file)) {
            record.file = file;
            return {};
        }
    }
    std::string written;
    RegResult result = WriteBackup(component, path, true, &written);
    if (result.ok()) record.file = written;
    return result;
}

bool WordProfile::SavedInThisRun(const Component& component, const std::string& path) {
    const auto& backups = program_.Run.backups;
    auto found = backups.find(path);
    return found != backups.end() && found->second.key == component.key && !found->second.file.empty() &&
           program_.services.api.PathFileExists(found->second.file);
}

bool WordProfile::SavedAsItIs(const Component& component, const std::string& path) {
    return SavedInThisRun(component, path) && SameAsFile(component.key, program_.Run.backups[path].file);
}

void WordProfile::Remove(const Component& component) {
    RunRecord& run = program_.Run;
    run.Begin(component.part);
    if (ProbeKey(component.key) == os::err::FileNotFound) return;
    const std::string path = BackupPath(component);
    // An earlier backup does not hold what changed in the key since.
    if (!SavedAsItIs(component, path)) {
        const RegResult result = Backup(component);
        if (!SavedAsItIs(component, path)) {
            run.Fail(component.part, kBackupNotWritten);
            TellOnce(std::string("kept ") + component.key,
                     std::string("Quorvex left ") + component.name +
                         " as it is, because it could not save a backup of it first." + kLineBreak + kLineBreak +
                         (result.ok() ? std::string("The backup does not read back as the key is now.")
                                      : result.message));
            return;
        }
    }
    program_.journal.Change(JournalEntry::Kind::Key, component.key, "removed");
    if (DeleteRegTree(program_.services.api, os::HKeyCurrentUser, component.key) != os::err::Success &&
        ProbeKey(component.key) != os::err::FileNotFound)
        run.Fail(component.part, "the key could not be removed");
}

void WordProfile::Restore(const Component& component) {
    os::Api& api = program_.services.api;
    RunRecord& run = program_.Run;
    run.Begin(component.part);
    const std::string path = BackupPath(component);
    auto found = run.backups.find(path);
    // Without a backup in this run the file of an earlier run is the backup.
    bool import = found == run.backups.end() || found->second.state == RunRecord::BackupState::Saved;
    if (import && !api.PathFileExists(path)) {
        if (found != run.backups.end()) run.Fail(component.part, "the backup is missing");
    } else if (import) {
        // Only into its own key: a file naming another key or deleting
        // anything is not the backup this component wrote.
        program_.journal.ChangeBack(JournalEntry::Kind::Key, component.key, "put back from " + path);
        RegResult result = RestoreRegFile(api, path, os::HKeyCurrentUser, component.key);
        if (!result.ok()) run.Fail(component.part, result.refused ? result.message : "the backup could not be applied");
        if (result.refused) {
            TellOnce(std::string("restore ") + component.key, std::string("Quorvex did not put back ") +
                                                                   component.name + " from " + path + ": " +
                                                                   result.message + ".");
        } else if (!result.ok()) {
            TellOnce(std::string("restore ") + component.key,
                     std::string("Quorvex could not put back ") + component.name + " from its backup." + kLineBreak +
                         kLineBreak + result.message);
        }
    }
    program_.services.user.DoEvents(3);
}

bool WordProfile::SetMachineLoadBehavior(const std::string& key, uint32_t value) {
    os::Api& api = program_.services.api;
    os::HKey raw = 0;
    if (api.RegOpenKeyEx(os::HKeyLocalMachine, key, os::KeyRead | os::KeySetValue, &raw) != os::err::Success)
        return false;
    os::UniqueKey opened(api, raw);
    return api.RegSetValueEx(opened.get(), "LoadBehavior", os::RegDword, reinterpret_cast<const uint8_t*>(&value),
                             sizeof value) == os::err::Success &&
           MachineDword(api, key, "LoadBehavior") == value;
}

void WordProfile::MachineAddins(bool boolRestore) {
    if (!Newer()) return;
    os::Api& api = program_.services.api;
    RunRecord& run = program_.Run;
    std::vector<std::string>& listed = run.forAllUsers[static_cast<size_t>(RunRecord::Part::COM)];
    listed.clear();
    const bool elevated = api.IsElevated();
    for (const char* parent : kMachineAddinKeys) {
        for (const std::string& name : MachineSubKeys(api, parent)) {
            const std::string key = std::string(parent) + "\\" + name;
            auto disabled = run.machineLoadBehavior.find(key);
            if (boolRestore && disabled != run.machineLoadBehavior.end()) {
                if (SetMachineLoadBehavior(key, disabled->second)) run.machineLoadBehavior.erase(disabled);
                else run.Fail(RunRecord::Part::COM, "the key could not be changed");
                continue;
            }
            if (MachineDword(api, key, "LoadBehavior") != kLoadAtStart) continue;
            if (!elevated) {
                listed.push_back(name);
                continue;
            }
            if (boolRestore) continue;
            // Saved as it is before its one value changes; the key stays.
            std::string path = OwnFolder(api) + "\\AllUsers " + name + ".reg";
            if (api.GetFileAttributes(path) != os::InvalidFileAttributes) path = FreeGenerationName(api, path);
            if (!BackupRegKey(api, os::HKeyLocalMachine, key, path, false).ok()) {
                run.Fail(RunRecord::Part::COM, kBackupNotWritten);
                continue;
            }
            if (SetMachineLoadBehavior(key, kNotLoaded)) run.machineLoadBehavior[key] = kLoadAtStart;
            else run.Fail(RunRecord::Part::COM, "the key could not be changed");
        }
    }
}

void WordProfile::TellOnce(const std::string& topic, const std::string& text) {
    if (!program_.Run.told.insert(topic).second) return;
    program_.services.user.Tell(text, platform::Mark::Exclamation, program_.services.title);
}

// --- Starting Word ---

std::string WordProfile::WinwordPath() const { return program_.WordProgramFolder + kWinword; }

os::Handle WordProfile::StartWord(const std::string& switches) {
    os::Api& api = program_.services.api;
    const std::string program = WinwordPath();
    os::Handle process = os::StartProcess(api, program, program + switches, os::SwShowNormal);
    if (process != 0) return process;
    uint32_t code = api.GetLastError();
    if (code == os::err::Success || code == os::err::FileNotFound || code == os::err::PathNotFound)
        throw platform::RaisedError(53, table_.name, "File not found: " + program);
    throw platform::RaisedError(5, table_.name, program + ": " + api.FormatMessage(code));
}

void WordProfile::StartAndWait(const std::string& switches) {
    os::Api& api = program_.services.api;
    os::UniqueHandle process(api, StartWord(switches));
    for (int slice = 0; slice < kWaitSlices; ++slice) {
        if (api.WaitForSingleObject(process.get(), kWaitSliceMs) != os::WaitTimeout) return;
        program_.services.user.DoEvents();
    }
}

void WordProfile::Execute(bool boolSupport) {
    if (Newer()) {
        // Word 2007 and later have a safe mode of their own.
        os::UniqueHandle process(program_.services.api, StartWord(boolSupport ? " /a" : " /safe"));
        return;
    }
    const char* templateName = boolSupport ? table_.supportTemplate : kSafeModeTemplate;
    const std::string switches =
        std::string(" /a /t\"") + OwnFolder(program_.services.api) + "\\" + templateName + "\"";
    os::UniqueHandle process(program_.services.api, StartWord(switches));
}

void WordProfile::RegServ() {
    // Office repairs a Click-to-Run Word itself; /r and /u are MSI's.
    program_.Run.registrationSkipped = Newer() && IsClickToRunFolder(program_.WordProgramFolder);
    if (!program_.Run.registrationSkipped) StartAndWait(" /r");
}

void WordProfile::UnRegServ() {
    program_.Run.registrationSkipped = Newer() && IsClickToRunFolder(program_.WordProgramFolder);
    if (!program_.Run.registrationSkipped) StartAndWait(" /u");
}

void WordProfile::WordStartTemplate() { os::UniqueHandle process(program_.services.api, StartWord(" /t")); }

bool WordProfile::WordStartNormal() {
    os::Api& api = program_.services.api;
    platform::UserPort& user = program_.services.user;
    std::unique_ptr<os::AutomationObject> word;
    os::AutoError error;
    try {
        if (api.CreateObject("Word.Application", &word, &error) != 0) word.reset();
    } catch (const std::exception&) {
        // An automation server that fails to come up is a Word that does not start.
        word.reset();
    }
    if (word) {
        try {
            os::AutoValue visible;
            word->GetProperty("Visible", &visible, &error);
        } catch (const std::exception&) {
            // Word came up; whether it answers this is no part of the result.
        }
    }
    user.DoEvents(2);
    const bool started = word != nullptr;
    if (word) {
        try {
            word->CallMethod("Quit", &error);
        } catch (const std::exception&) {
            // Releasing the object below ends a Word that refused to quit.
        }
    }
    user.DoEvents(10);
    word.reset();
    return started;
}

// --- Add-ins and Normal.dot ---

void WordProfile::RenameAddins() { renAddins(false); }
void WordProfile::RestoreAddins() { renAddins(true); }
void WordProfile::RenameTemplate() { renNormal(false); }
void WordProfile::RestoreTemplate() { renNormal(true); }

void WordProfile::renAddins(bool boolRestore) {
    os::Api& api = program_.services.api;
    platform::clsRegistry registry(program_.services);
    const os::HKey user = os::HKeyCurrentUser;
    std::string startupPath = platform::ToText(registry.GetValue(user, table_.optionsKey, "Startup-Path"));
    const std::string startup = platform::ToText(registry.GetValue(user, table_.optionsKey, "\\Startup"));
    program_.Run.Begin(RunRecord::Part::Addins);
    try {
        if (startupPath.empty()) {
            // Word's own default when the user never moved the folder.
            const std::string appData = platform::GetAppDataFolder(api);
            if (!appData.empty()) startupPath = appData + "\\Microsoft\\Word\\STARTUP";
        }
        // The second entry has no source; empty entries are skipped.
        const std::string entries[] = {AddinEntry(startupPath), std::string(), AddinEntry(startup)};
        for (const std::string& entry : entries) {
            if (entry.empty() || entry[0] == '!') continue;
            if (Newer()) {
                renNewerAddins(entry, boolRestore);
                continue;
            }
            for (const ExtensionPair& pair : kExtensions) {
                const char* search = boolRestore ? pair.backup : pair.working;
                const char* target = boolRestore ? pair.working : pair.backup;
                for (const std::string& name : ListFiles(api, entry + "*." + search)) {
                    // The pattern also matches through short names: Addin.dotm
                    // is ADDIN~1.DOT. Only the long name's own extension counts.
                    if (!HasExtension(name, search)) continue;
                    renFile(entry + name, entry + name.substr(0, name.size() - 3) + target, boolRestore,
                            RunRecord::Part::Addins);
                }
            }
        }
        MachineStartup(boolRestore);
    } catch (const std::exception&) {
        // Listing failures end the operation, but not as if it were done.
        program_.Run.Fail(RunRecord::Part::Addins, "the folder could not be read");
    }
}

void WordProfile::renNewerAddins(const std::string& folder, bool boolRestore) {
    for (const std::string& name : ListFiles(program_.services.api, folder + "*")) {
        if (boolRestore && !HasExtension(name, kAsideKind)) continue;
        const std::string working = boolRestore ? name.substr(0, name.size() - (sizeof kAsideSuffix - 1)) : name;
        bool addin = false;
        for (const char* kind : kNewerAddinKinds) addin = addin || HasExtension(working, kind);
        if (!addin) continue;
        renFile(folder + name, folder + (boolRestore ? working : name + kAsideSuffix), boolRestore,
                RunRecord::Part::Addins);
    }
}

void WordProfile::MachineStartup(bool boolRestore) {
    if (!Newer()) return;
    os::Api& api = program_.services.api;
    std::vector<std::string>& listed = program_.Run.forAllUsers[static_cast<size_t>(RunRecord::Part::Addins)];
    listed.clear();
    const std::string folder = AddinEntry(program_.WordProgramFolder + "\\STARTUP");
    if (folder.empty()) return;
    if (api.IsElevated()) return renNewerAddins(folder, boolRestore);
    for (const std::string& name : ListFiles(api, folder + "*"))
        for (const char* kind : kNewerAddinKinds)
            if (HasExtension(name, kind)) listed.push_back(name);
}

void WordProfile::CopyOver(const std::string& from, const std::string& to, bool replace) {
    // A name found free is copied to only while it is still free: a file the
    // attribute query could not see stays as it is.
    if (replace) platform::clsFileSystem(program_.services).CopyFile(from, to);
    else program_.services.api.CopyFile(from, to, true);
}

std::string WordProfile::CopyAside(const std::string& from, const std::string& backup) {
    os::Api& api = program_.services.api;
    const RunRecord& run = program_.Run;
    // The usual case first, a copy that creates the free name: asking
    // whether a name is free costs a read of the whole folder on some systems.
    if (api.CopyFile(from, backup, true)) return backup;
    const uint32_t code = api.GetLastError();
    if (code != os::err::FileExists && code != os::err::AlreadyExists) return {};
    // A copy of the same bytes is kept already: it stands for this one.
    if (SameContent(from, backup)) return backup;
    if (run.Made(backup)) {
        // This run's own backup keeps the name; the later file goes beside it.
        const std::string generation = FreeGenerationName(api, backup);
        return api.CopyFile(from, generation, true) ? generation : std::string();
    }
    // The earlier backup moves only once the new copy is checked.
    const std::string temporary = FreeTemporaryName(api, backup);
    if (!api.CopyFile(from, temporary, true)) return {};
    if (SameContent(from, temporary) && PromoteBackup(api, temporary, backup)) return backup;
    DeleteRenamed(api, temporary);  // only a copy: the file is still under its own name
    return {};
}

bool WordProfile::SameContent(const std::string& a, const std::string& b) {
    os::Api& api = program_.services.api;
    std::optional<std::string> first = ReadShared(api, a);
    if (!first) return false;
    std::optional<std::string> second = ReadShared(api, b);
    return second && *first == *second;
}

bool WordProfile::InUse(const std::string& path) {
    os::Api& api = program_.services.api;
    os::UniqueHandle file(
        api, api.CreateFile(path, os::GenericWrite, os::ShareRead | os::ShareWrite | os::ShareDelete, os::OpenExisting));
    return !file && api.GetLastError() == os::err::SharingViolation;
}

void WordProfile::WaitUntilFree(const std::string& path) {
    for (int slice = 0; slice < kFreeSlices && InUse(path); ++slice) {
        program_.services.user.DoEvents();
        program_.services.api.Sleep(kFreeSliceMs);
    }
}

void WordProfile::renFile(const std::string& strOldPath, const std::string& strNewPath, bool boolRestore,
                          RunRecord::Part part) {
    os::Api& api = program_.services.api;
    platform::UserPort& user = program_.services.user;
    RunRecord& run = program_.Run;
    // Putting back replaces a working file only when this run renamed that file
    // aside, so that what is there now is what Word made since (its fresh
    // Normal.dot). Anything else in the way stays, and so does the backup.
    if (boolRestore && !run.RenamedAside(strNewPath) && api.GetFileAttributes(strNewPath) != os::InvalidFileAttributes) {
        run.Fail(part, "another file is in its place");
        return;
    }
    // The file stays under its old name: why, in the result line.
    auto notCopied = [&](const std::string& target) {
        run.Fail(part, InUse(target.empty() ? strNewPath : target) ? kInUse : "the copy could not be made");
    };
    // The working file's state before the run is the first one noted.
    Journal& journal = program_.journal;
    if (boolRestore) journal.Note(JournalEntry::Kind::File, strNewPath, false, strOldPath);
    bool failed = false;
    try {
        user.DoEvents(6);
        auto copy = [&]() -> std::string {
            if (!boolRestore) return CopyAside(strOldPath, strNewPath);
            journal.ChangeBack(JournalEntry::Kind::File, strNewPath, "put back from " + strOldPath);
            CopyOver(strOldPath, strNewPath, run.RenamedAside(strNewPath));
            return strNewPath;
        };
        std::string target = copy();
        user.DoEvents(12);
        if (target.empty() || !SameContent(strOldPath, target)) {
            // No copy, no deletion: the file stays under its old name.
            if (!table_.askWhenCopyMissing) return notCopied(target);
            const std::string question = std::string("Quorvex could not copy the file to:") + kLineBreak +
                                         kLineBreak + (target.empty() ? strNewPath : target) + kLineBreak +
                                         kLineBreak + "Try again?";
            if (!user.Ask(question, platform::Mark::Question, program_.services.title)) return notCopied(target);
            target = copy();
            if (target.empty() || !SameContent(strOldPath, target)) return notCopied(target);
        }
        if (!boolRestore && target == strNewPath) run.made.insert(FoldPath(target));
        if (!boolRestore) {
            journal.Note(JournalEntry::Kind::File, strOldPath, true, target);
            journal.Change(JournalEntry::Kind::File, strOldPath, "renamed to " + target);
        }
        failed = !DeleteRenamed(api, strOldPath);
        if (!failed && !boolRestore) run.renamedAside.insert(FoldPath(strOldPath));
    } catch (const std::exception&) {
        failed = true;
    }
    if (failed) run.Fail(part, InUse(strOldPath) ? kInUse : "the old file could not be removed");
    // Inside the recovery a file that cannot be renamed stays as it is.
    if (failed && !run.renFileRecovery) RecoverFromRename();
}

void WordProfile::RecoverFromRename() {
    platform::UserPort& user = program_.services.user;
    program_.Run.renFileRecovery = true;
    user.Tell(kRenFileMessage, platform::Mark::None, program_.services.title);
    // Through the current profile, held here so that it outlives the calls.
    std::shared_ptr<clsWD> profile = program_.CurrentWordProfile;
    if (profile) {
        for (void (clsWD::*restore)() :
             {&clsWD::COMRestore, &clsWD::DataRestore, &clsWD::OptionsRestore, &clsWD::RestoreAddins}) {
            try {
                (profile.get()->*restore)();
            } catch (const std::exception&) {
                // Put back what can be put back.
            }
        }
    }
    user.End();
}

void WordProfile::TellNormalFailure(const std::string& description) {
    platform::UserPort& user = program_.services.user;
    user.Tell(kRenNormalMessage, platform::Mark::None, program_.services.title);
    user.Tell(description + kLineBreak + kLineBreak + normalSource_ + kLineBreak, platform::Mark::Information,
              program_.services.title);
}

void WordProfile::renNormal(bool boolRestore) {
    os::Api& api = program_.services.api;
    RunRecord& run = program_.Run;
    run.Begin(RunRecord::Part::Template);
    run.templateName = table_.templateName;
    normalFolders_ = {};
    normalSource_.clear();
    normalTarget_.clear();

    // A value that cannot be read is told about and its candidate dropped.
    platform::clsRegistry registry(program_.services);
    auto read = [&](const char* key, const char* value) -> std::string {
        try {
            return WithoutLastBackslash(platform::ToText(registry.GetValue(os::HKeyCurrentUser, key, value)));
        } catch (const platform::RaisedError& error) {
            TellNormalFailure(error.Description);
        } catch (const std::exception& error) {
            TellNormalFailure(error.what());
        }
        return {};
    };
    const std::string user = read(table_.generalKey, "UserTemplates");
    const std::string shared = read(table_.generalKey, "SharedTemplates");
    const std::string program = read(table_.optionsKey, "Programdir");
    const std::string programAgain = read(table_.optionsKey, "Programdir");
    const std::string appData = platform::GetAppDataFolder(api);
    normalFolders_ = {user, appData.empty() ? std::string() : appData + "\\Microsoft\\Templates", program, shared,
                      programAgain};

    for (const std::string& folder : normalFolders_) {
        // An empty folder would put Normal.dot in the root of the current
        // drive, a relative one in the current folder.
        // (A drive root has lost its backslash by now: "D:".)
        if (!IsFullPath(folder + "\\")) continue;
        const std::string working = folder + "\\" + table_.templateName;
        const std::string backup = folder + "\\0" + table_.templateName;
        normalSource_ = boolRestore ? backup : working;
        normalTarget_ = boolRestore ? working : backup;
        if (normalSource_[0] == '!') continue;
        api.SetLastError(os::err::Success);
        uint32_t attributes = api.GetFileAttributes(normalSource_);
        if (attributes == os::InvalidFileAttributes) {
            uint32_t code = api.GetLastError();
            if (code != os::err::Success && code != os::err::FileNotFound && code != os::err::PathNotFound) {
                // After telling, go on with the next candidate: trying again
                // would fail the same way.
                TellNormalFailure(api.FormatMessage(code));
            }
            continue;
        }
        if (attributes & os::AttrDirectory) continue;
        // A Word that has just quit may hold it until its process ends.
        WaitUntilFree(working);
        renFile(normalSource_, normalTarget_, boolRestore, RunRecord::Part::Template);
    }
}

}  // namespace engine

namespace engine {

// --- Single add-ins ---

namespace {
// The file name after the last backslash.
std::string FileName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

// The Startup file's name while it is renamed aside: .dot -> .wbt, .wll -> .wbl;
// for Word 2007 and later the suffix appended.
std::string AsideName(const std::string& working, bool newer) {
    if (newer) return working + kAsideSuffix;
    const std::string stem = working.substr(0, working.size() - 3);
    for (const ExtensionPair& pair : kExtensions)
        if (HasExtension(working, pair.working)) return stem + pair.backup;
    return {};
}

std::string TextOf(const RegValue& value) {
    std::string text(value.data.begin(), value.data.end());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

// A COM add-in's FriendlyName, else what stands in for it.
std::string FriendlyName(const RegKey& section, const std::string& otherwise) {
    for (const RegValue& value : section.values)
        if (FoldPath(value.name) == "friendlyname" && (value.type == os::RegSz || value.type == os::RegExpandSz) &&
            !TextOf(value).empty())
            return TextOf(value);
    return otherwise;
}
}  // namespace

bool WordProfile::ComBackupOfRun(const Component& component, RegFile* saved) {
    const std::string path = BackupPath(component);
    const auto found = program_.Run.backups.find(path);
    if (found == program_.Run.backups.end() || found->second.state != RunRecord::BackupState::Saved) return false;
    std::string bytes;
    return ReadWholeFile(program_.services.api, path, &bytes) == os::err::Success &&
           ParseRegFile(program_.services.api, bytes, saved, nullptr);
}

RegFile WordProfile::ComAddinIn(const Component& component, const RegFile& saved, const std::string& progId) const {
    const std::string key = FoldPath(RegRootName(os::HKeyCurrentUser) + "\\" + component.key + "\\" + progId);
    RegFile addin;
    addin.unicode = saved.unicode;
    for (const RegKey& section : saved.keys) {
        const std::string path = FoldPath(section.path);
        if (!section.remove && (path == key || path.rfind(key + "\\", 0) == 0)) addin.keys.push_back(section);
    }
    return addin;
}

std::vector<Addin> WordProfile::DisabledComAddins() {
    std::vector<Addin> addins;
    DisabledComAddinsOf(COM(), Addin::Where::User, &addins);
    if (!Newer()) return addins;
    DisabledComAddinsOf(COM32(), Addin::Where::User32, &addins);
    DisabledMachineAddins(&addins);
    return addins;
}

void WordProfile::DisabledComAddinsOf(const Component& component, Addin::Where where, std::vector<Addin>* addins) {
    RegFile saved;
    if (!ComBackupOfRun(component, &saved)) return;
    const std::string prefix = FoldPath(RegRootName(os::HKeyCurrentUser) + "\\" + component.key + "\\");
    for (const RegKey& section : saved.keys) {
        if (FoldPath(section.path).rfind(prefix, 0) != 0) continue;
        const std::string progId = section.path.substr(prefix.size());
        if (progId.find('\\') != std::string::npos) continue;
        if (ProbeKey(std::string(component.key) + "\\" + progId) != os::err::FileNotFound) continue;
        addins->push_back({progId, FriendlyName(section, progId), where});
    }
}

void WordProfile::DisabledMachineAddins(std::vector<Addin>* addins) {
    os::Api& api = program_.services.api;
    if (!api.IsElevated()) return;
    for (const auto& [key, behavior] : program_.Run.machineLoadBehavior) {
        if (MachineDword(api, key, "LoadBehavior") != kNotLoaded) continue;
        RegFile now;
        ReadRegTree(api, os::HKeyLocalMachine, key, &now);
        const std::string name = FileName(key);
        addins->push_back({key, now.keys.empty() ? name : FriendlyName(now.keys.front(), name), Addin::Where::AllUsers});
    }
}

void WordProfile::TurnMachineAddin(const Addin& addin, bool on) {
    // Its own backup (AllUsers <name>.reg) was made when the repair turned it off.
    // Only those it found loading at start are in the search.
    const uint32_t wanted = on ? kLoadAtStart : kNotLoaded;
    if (MachineDword(program_.services.api, addin.id, "LoadBehavior") == wanted) return;
    if (!SetMachineLoadBehavior(addin.id, wanted))
        return program_.Run.Fail(RunRecord::Part::COM, "the key could not be changed");
    if (on) program_.Run.machineLoadBehavior.erase(addin.id);
    else program_.Run.machineLoadBehavior[addin.id] = kLoadAtStart;
}

std::vector<Addin> WordProfile::DisabledStartupAddins() {
    os::Api& api = program_.services.api;
    std::vector<Addin> addins;
    // Only what this run put aside and nothing has taken the place of since.
    auto consider = [&](const std::string& working) {
        if (program_.Run.RenamedAside(working) && api.GetFileAttributes(working) == os::InvalidFileAttributes)
            addins.push_back({working, FileName(working)});
    };
    try {
        // The folders this run put files aside in, whatever their settings say by now.
        std::set<std::string> folders;
        for (const std::string& aside : program_.Run.renamedAside) folders.insert(aside.substr(0, aside.find_last_of('\\') + 1));
        for (const std::string& folder : folders) {
            if (Newer()) {
                for (const std::string& name : ListFiles(api, folder + "*." + kAsideKind))
                    if (HasExtension(name, kAsideKind)) consider(folder + name.substr(0, name.size() - (sizeof kAsideSuffix - 1)));
                continue;
            }
            for (const ExtensionPair& pair : kExtensions)
                for (const std::string& name : ListFiles(api, folder + "*." + pair.backup))
                    if (HasExtension(name, pair.backup)) consider(folder + name.substr(0, name.size() - 3) + pair.working);
        }
    } catch (const ListingFailed&) {
        program_.Run.Fail(RunRecord::Part::Addins, "the folder could not be read");
    }
    return addins;
}

std::vector<Addin> WordProfile::DisabledAddins(RunRecord::Part part) {
    std::vector<Addin> addins = part == RunRecord::Part::COM      ? DisabledComAddins()
                                : part == RunRecord::Part::Addins ? DisabledStartupAddins()
                                                                  : std::vector<Addin>();
    // In the order the user would list them, whatever order the folder or the key keeps.
    std::sort(addins.begin(), addins.end(),
              [](const Addin& a, const Addin& b) { return FoldPath(a.shown) < FoldPath(b.shown); });
    return addins;
}

void WordProfile::SwapStartupFile(const Addin& addin, bool on) {
    const std::string aside = AsideName(addin.id, Newer());
    const std::string& from = on ? aside : addin.id;
    const std::string& to = on ? addin.id : aside;
    JournalTurn(RunRecord::Part::Addins, addin, on);
    program_.services.user.DoEvents();
    // Never onto a file that is there: MoveFile fails, and renFile decides.
    if (!program_.services.api.MoveFile(from, to)) return renFile(from, to, on, RunRecord::Part::Addins);
    if (!on) program_.Run.renamedAside.insert(FoldPath(addin.id));
}

void WordProfile::EnableAddin(RunRecord::Part part, const Addin& addin) {
    if (part == RunRecord::Part::Addins) return SwapStartupFile(addin, true);
    if (part != RunRecord::Part::COM) return;
    if (addin.where == Addin::Where::AllUsers) return TurnMachineAddin(addin, true);
    const Component component = ComOf(addin);
    RegFile saved;
    if (!ComBackupOfRun(component, &saved)) return program_.Run.Fail(part, "the backup is missing");
    const RegFile one = ComAddinIn(component, saved, addin.id);
    JournalTurn(part, addin, true);
    if (one.keys.empty() || ApplyRegFile(program_.services.api, one) != os::err::Success)
        program_.Run.Fail(part, "the backup could not be applied");
}

std::optional<Journal::Planned> WordProfile::TurnLine(RunRecord::Part part, const Addin& addin, bool on) const {
    if (part == RunRecord::Part::Addins) {
        const std::string aside = AsideName(addin.id, Newer());
        return Journal::Planned{JournalEntry::Kind::File, addin.id, on ? "put back from " + aside : "renamed to " + aside};
    }
    if (part != RunRecord::Part::COM || addin.where == Addin::Where::AllUsers) return std::nullopt;
    const Component component = ComOf(addin);
    return Journal::Planned{JournalEntry::Kind::Key, component.key,
                            on ? "put back " + addin.id + " from " + BackupPath(component) : "removed " + addin.id};
}

void WordProfile::JournalTurn(RunRecord::Part part, const Addin& addin, bool on) {
    const std::optional<Journal::Planned> line = TurnLine(part, addin, on);
    if (!line) return;
    if (on) program_.journal.ChangeBack(line->kind, line->place, line->what);
    else program_.journal.Change(line->kind, line->place, line->what);
}

void WordProfile::TurnAddins(RunRecord::Part part, const std::vector<Turn>& turns) {
    // The very lines each change writes before it is made; one that comes
    // out otherwise (a rename to a generation) is written on its own.
    std::vector<Journal::Planned> planned;
    for (const auto& [addin, on] : turns)
        if (std::optional<Journal::Planned> line = TurnLine(part, *addin, on)) planned.push_back(std::move(*line));
    program_.journal.Announce(planned);
    // What was announced and not made is dropped on every way out.
    struct Unannounce {
        Journal& journal;
        ~Unannounce() { journal.Announce({}); }
    } unannounce{program_.journal};
    clsWD::TurnAddins(part, turns);
}

void WordProfile::DisableAddin(RunRecord::Part part, const Addin& addin) {
    if (part == RunRecord::Part::Addins) return SwapStartupFile(addin, false);
    if (part != RunRecord::Part::COM) return;
    if (addin.where == Addin::Where::AllUsers) return TurnMachineAddin(addin, false);
    const Component component = ComOf(addin);
    RegFile saved, now;
    const std::string key = std::string(component.key) + "\\" + addin.id;
    if (!ComBackupOfRun(component, &saved) ||
        ReadRegTree(program_.services.api, os::HKeyCurrentUser, key, &now) != os::err::Success ||
        !DescribeRegDifference(now, ComAddinIn(component, saved, addin.id)).empty())
        return program_.Run.Fail(part, "its backup does not hold it as it is now");
    JournalTurn(part, addin, false);
    if (DeleteRegTree(program_.services.api, os::HKeyCurrentUser, key) != os::err::Success &&
        ProbeKey(key) != os::err::FileNotFound)
        program_.Run.Fail(part, "the key could not be removed");
}

}  // namespace engine
