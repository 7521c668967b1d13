// Hostile and unusual machines: each runs the whole program once and states
// what the user is told. On every one, nothing the user had is lost and
// nothing is changed outside Word's own folders and keys, the program's own
// folder (its backups) and its settings.
#include "ReliabilityWorld.h"

#include "engine/RegTree.h"
#include "os/Handles.h"
#include "wordsim/emulated/EmulatedWord.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace reliability {
namespace {

using wordsim::Version;

const std::string kOptions = wordsim::OptionsKey(Version::Word2003);
const std::string kGeneral = wordsim::GeneralKey(Version::Word2003);
const std::string kData = wordsim::DataKey(Version::Word2003);
const std::string kCom = "Software\\Microsoft\\Office\\Word\\Addins";
const std::string kTemplates = std::string(kAppData) + "\\Microsoft\\Templates";
const std::string kStartup = std::string(kAppData) + "\\Microsoft\\Word\\STARTUP";

// --- Setting up a machine ---

// size: the bytes stored, data.size() unless given (a string's data without
// its terminator needs a byte after it that is no NUL).
void Put(ProgramRun& run, const std::string& key, const std::string& name, uint32_t type, const std::string& data,
         size_t size = std::string::npos) {
    os::HKey raw = 0;
    ASSERT_EQ(0, run.machine.RegCreateKeyEx(os::HKeyCurrentUser, key, os::KeyAllAccess, &raw, nullptr)) << key;
    os::UniqueKey owner(run.machine, raw);
    ASSERT_EQ(0, run.machine.RegSetValueEx(raw, name, type, reinterpret_cast<const uint8_t*>(data.data()),
                                           static_cast<uint32_t>(std::min(size, data.size()))));
}
void PutText(ProgramRun& run, const std::string& key, const std::string& name, const std::string& text) {
    Put(run, key, name, os::RegSz, text + '\0');
}
void Unset(ProgramRun& run, const std::string& key, const std::string& name) {
    os::HKey raw = 0;
    ASSERT_EQ(0, run.machine.RegOpenKeyEx(os::HKeyCurrentUser, key, os::KeyAllAccess, &raw)) << key;
    os::UniqueKey owner(run.machine, raw);
    run.machine.RegDeleteValue(raw, name);
}
void DropKey(ProgramRun& run, const std::string& key) {
    ASSERT_EQ(0, engine::DeleteRegTree(run.machine, os::HKeyCurrentUser, key)) << key;
}
// Moves a file of the install elsewhere and keeps the run's record of it right.
void MoveUsersFile(ProgramRun& run, std::string& path, const std::string& to) {
    auto bytes = run.machine.ReadFileText(path);
    ASSERT_TRUE(bytes) << path;
    run.machine.WriteFileText(to, *bytes);
    ASSERT_TRUE(run.machine.DeleteFile(path)) << path;
    path = to;
}
// Word's templates in another folder, as the user configured it.
void MoveTemplates(ProgramRun& run, const std::string& folder, const std::string& value) {
    MoveUsersFile(run, run.word.normalDot, folder + "\\Normal.dot");
    PutText(run, kGeneral, "UserTemplates", value);
}
// Word's Startup folder elsewhere, as the user configured it.
void MoveStartup(ProgramRun& run, const std::string& folder, const std::string& value) {
    for (std::string& addin : run.word.startupAddins)
        MoveUsersFile(run, addin, folder + addin.substr(addin.find_last_of('\\')));
    PutText(run, kOptions, "Startup-Path", value);
}
std::string Repeat(const std::string& text, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i) out += text;
    return out;
}

// --- What may change ---

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}
bool Below(const std::string& path, std::string folder) {
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return !folder.empty() && Lower(path).rfind(Lower(folder) + "\\", 0) == 0;
}
std::optional<std::string> Text(ProgramRun& run, const std::string& key, const std::string& name) {
    os::HKey raw = 0;
    if (run.machine.RegOpenKeyEx(os::HKeyCurrentUser, key, os::KeyRead, &raw) != 0) return std::nullopt;
    os::UniqueKey owner(run.machine, raw);
    char data[1024] = {};
    uint32_t size = sizeof data - 1, type = 0;
    if (run.machine.RegQueryValueEx(raw, name, &type, reinterpret_cast<uint8_t*>(data), &size) != 0 ||
        (type != os::RegSz && type != os::RegExpandSz))
        return std::nullopt;
    return std::string(data);
}

// The folders Word works in, as the install laid them and as Word's keys
// name them before the run (full paths only).
std::vector<std::string> WordFolders(ProgramRun& run) {
    std::vector<std::string> folders = {run.word.programFolder,
                                        run.word.userTemplates,
                                        run.word.sharedTemplates,
                                        run.word.startupFolder,
                                        kTemplates,
                                        kStartup};
    const std::pair<std::string, const char*> values[] = {{kGeneral, "UserTemplates"},
                                                          {kGeneral, "SharedTemplates"},
                                                          {kOptions, "Programdir"},
                                                          {kOptions, "Startup-Path"}};
    for (const auto& [key, name] : values) {
        auto folder = Text(run, key, name);
        if (folder && folder->size() >= 3 && (folder->substr(1, 2) == ":\\" || folder->substr(0, 2) == "\\\\"))
            folders.push_back(*folder);
    }
    return folders;
}

// Word's own files in its folders, the program's folder and its Data backups
// beside it, Word's keys and registration, and the program's settings.
std::function<bool(const std::string&)> Theirs(ProgramRun& run) {
    const std::vector<std::string> folders = WordFolders(run);
    const std::string own = run.OwnFolder();
    const std::string programFolder = run.word.programFolder;
    return [folders, own, programFolder](const std::string& entry) {
        std::string what = entry.substr(2);
        if (entry[0] == 'K' || entry[0] == 'V') {
            const std::string key = Lower(what);
            return key.rfind("hkey_current_user\\software\\microsoft\\office\\", 0) == 0 ||
                   key.rfind("hkey_current_user\\software\\vb and vba program settings\\qvxfix", 0) == 0 ||
                   key.find("word.application") != std::string::npos ||
                   key.find("{9a0331ff-abb3-420d-8d8f-824c8ea99e27}") != std::string::npos;
        }
        // The program's journals of its runs.
        const std::string journals = std::string(kLocalAppData) + "\\Quorvex";
        if (Lower(what) == Lower(journals) || Below(what, journals)) return true;
        // A generation counts as the backup it was ("COM.reg.1" as "COM.reg").
        const size_t digits = what.find_last_not_of("0123456789");
        if (entry[0] == 'F' && digits + 1 < what.size() && what[digits] == '.') what.resize(digits);
        // The program's backups: .reg files in its folder, Data's beside it.
        const bool reg = Lower(what.substr(what.find_last_of('.') + 1)) == "reg";
        if (entry[0] == 'F' && reg && (Below(what, own) || Lower(what).rfind(Lower(own) + "data", 0) == 0)) return true;
        // Word makes its folders when it starts and finds one missing.
        if (entry[0] == 'D') {
            for (const std::string& folder : folders)
                if (Lower(folder + "\\").rfind(Lower(what) + "\\", 0) == 0) return true;
            return false;
        }
        const std::string extension = Lower(what.substr(what.find_last_of('.') + 1));
        const bool component = extension == "dot" || extension == "wll" || extension == "wbt" || extension == "wbl";
        for (const std::string& folder : folders)
            if (Below(what, folder) && (component || Below(what, programFolder))) return true;
        return false;
    };
}

// --- The cases ---

// Something that must hold after the run, given what the run found.
using Check = std::function<void(ProgramRun&, const Components&)>;

struct Case {
    const char* what;
    Flow flow;
    std::function<void(ProgramRun&)> setUp;
    // What the user is told, box by box: each text starts so.
    std::vector<std::string> boxes;
    // The results page (Step 4, top to bottom); empty: never reached.
    std::vector<std::string> results;
    Check check = {};
};

const std::string kThanks = "Thank you for using Quorvex";
// The Normal.dot the simulated Word's installer lays down: the user's own.
const std::string kUsersNormalDot = "WordSim Normal.dot\r\nLaid down by the simulated Word's installer.\r\n";
const std::string kInUse =
    "Word's Default Template appears to be in use. Please close any open Word documents and reboot the computer "
    "before running this program again. Thanks.";
const std::vector<std::string> kAllOk = {"Default Template OK!", "Data OK!", "COM OK!", "Addins OK!", "Options OK!"};
const std::vector<std::string> kAllReset = {"Default template; Normal.DOT has been reset",
                                            "MS Word's Data information reset", "COM components reset ",
                                            "Addin's reset.", "MS Word's Options information reset"};
const std::vector<std::string> kTemplateReset = {
    "Default template; Normal.DOT has been reset", "MS Word's Data information; No changes made",
    "COM components; No changes made", "MS Word Addin's; No changes made", "Options information; No changes made"};

void HoldNormalDot(ProgramRun& r, uint32_t ms) {
    r.word.holdsNormalAfterQuitMs = ms;
    wordsim::HookUp(r.machine, r.word);
}

// --- Checks ---

std::string Aside(const std::string& addin) {
    return addin.substr(0, addin.size() - 3) + (addin.substr(addin.size() - 3) == "wll" ? "wbl" : "wbt");
}
// Every Startup add-in renamed aside with its content.
Check AddinsAside() {
    return [](ProgramRun& r, const Components& before) {
        for (const Components::File& addin : before.addins) {
            EXPECT_EQ(r.machine.ReadFileText(Aside(addin.path)), addin.bytes) << addin.path;
            EXPECT_FALSE(r.machine.Exists(addin.path)) << addin.path;
        }
    };
}
Check NormalDotInPlace() {
    return [](ProgramRun& r, const Components& before) {
        EXPECT_EQ(r.machine.ReadFileText(before.normalDot.path), before.normalDot.bytes);
    };
}
// Registry keys (by index: COM, Data, Options) as they were before the run.
Check KeysAsBefore(std::vector<int> which) {
    return [which](ProgramRun& r, const Components& before) {
        for (int i : which) {
            engine::RegFile now;
            EXPECT_EQ(0, engine::ReadRegTree(r.machine, os::HKeyCurrentUser, before.keys[i].subKey, &now));
            EXPECT_EQ("", engine::DescribeRegDifference(before.keys[i].tree, now)) << before.keys[i].name;
        }
    };
}
Check FileHolds(std::string path, std::string bytes, uint32_t attribute = 0) {
    return [path, bytes, attribute](ProgramRun& r, const Components&) {
        EXPECT_EQ(r.machine.ReadFileText(path), bytes) << path;
        if (attribute != 0) {
            EXPECT_TRUE(r.machine.GetFileAttributes(path) & attribute) << path;
        }
    };
}
Check Both(Check a, Check b) {
    return [a, b](ProgramRun& r, const Components& c) { a(r, c), b(r, c); };
}

std::vector<Case> Cases() {
    const Check aside = AddinsAside();
    return {
        // --- Word's registry values of the wrong type, too long, empty or absent ---
        // Where the program cannot read Word's Startup folder it renames nothing
        // there; the add-ins still end aside, as after every automatic repair:
        // the analysis pass removes Options, and Word rebuilds it with its
        // default Startup folder.
        {"Startup-Path holds a number",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { Put(r, kOptions, "Startup-Path", os::RegDword, std::string("\x39\x30\0\0", 4)); },
         {kThanks},
         kAllOk,
         aside},
        {"Startup-Path is REG_EXPAND_SZ with %APPDATA%",
         Flow::AutomaticRepair,
         [](ProgramRun& r) {
             Put(r, kOptions, "Startup-Path", os::RegExpandSz,
                 std::string("%APPDATA%\\Microsoft\\Word\\STARTUP\0", 34));
         },
         {kThanks},
         kAllOk,
         aside},
        {"Startup-Path longer than 255 bytes",
         Flow::AutomaticRepair,
         [](ProgramRun& r) {
             PutText(r, kOptions, "Startup-Path", "C:\\" + Repeat("Long Folder Name\\", 20) + "STARTUP");
         },
         {kThanks},
         kAllOk,
         aside},
        {"Startup-Path empty",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { PutText(r, kOptions, "Startup-Path", ""); },
         {kThanks},
         kAllOk,
         aside},
        {"Startup-Path absent",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { Unset(r, kOptions, "Startup-Path"); },
         {kThanks},
         kAllOk,
         aside},
        {"Startup-Path is a relative folder",
         Flow::AdvancedReset,
         [](ProgramRun& r) { PutText(r, kOptions, "Startup-Path", "."); },
         {},
         kAllReset,
         [](ProgramRun& r, const Components&) {
             EXPECT_EQ(r.machine.ReadFileText(r.OwnFolder() + "\\SafeMode.DOT"), "The program's SafeMode.DOT");
         }},
        {"UserTemplates holds binary data",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { Put(r, kGeneral, "UserTemplates", os::RegBinary, "\x01\x02\x03\x04\x05\x06"); },
         {kThanks},
         kAllOk,
         NormalDotInPlace()},
        {"UserTemplates longer than 255 bytes",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { PutText(r, kGeneral, "UserTemplates", "C:\\" + Repeat("Templates Folder\\", 20)); },
         {kThanks},
         kAllOk,
         NormalDotInPlace()},
        {"UserTemplates empty",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { PutText(r, kGeneral, "UserTemplates", ""); },
         {kThanks},
         kAllOk,
         NormalDotInPlace()},
        {"UserTemplates absent",
         Flow::RenameTemplate,
         [](ProgramRun& r) { Unset(r, kGeneral, "UserTemplates"); },
         {kThanks},
         kTemplateReset,
         FileHolds(kTemplates + "\\0Normal.dot", kUsersNormalDot)},
        {"UserTemplates is a relative folder",
         Flow::RenameTemplate,
         [](ProgramRun& r) {
             PutText(r, kGeneral, "UserTemplates", "Templates");
             r.machine.WriteFileText(r.OwnFolder() + "\\Templates\\Normal.dot",
                                     "not Word's: it lies below the program");
         },
         {kThanks},
         kTemplateReset},
        {"Programdir is a number",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { Put(r, kOptions, "Programdir", os::RegDword, std::string("\x01\0\0\0", 4)); },
         {kThanks},
         kAllOk,
         aside},
        {"Programdir absent",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { Unset(r, kOptions, "Programdir"); },
         {kThanks},
         kAllOk,
         aside},
        {"Word's Options key absent",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { DropKey(r, kOptions); },
         {kThanks},
         kAllOk,
         KeysAsBefore({0, 1})},
        {"Word's Data key absent",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { DropKey(r, kData); },
         {kThanks},
         kAllOk,
         KeysAsBefore({0, 2})},
        {"no COM add-ins key",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { DropKey(r, kCom); },
         {kThanks},
         kAllOk,
         KeysAsBefore({1, 2})},
        {"Word 2003's whole Office key absent",
         Flow::AdvancedReset,
         // Word's start at start-up rebuilds Data and Options; those are saved and reset.
         [](ProgramRun& r) { DropKey(r, "Software\\Microsoft\\Office\\11.0"); },
         {},
         kAllReset,
         aside},
        {"odd value types in Data and Options",
         Flow::AutomaticRepair,
         [](ProgramRun& r) {
             Put(r, kData, "NoTerminator", os::RegSz, "abcd", 3);
             Put(r, kData, "EmbeddedNul", os::RegSz, std::string("ab\0cd\0", 6));
             Put(r, kData, "Multi", os::RegMultiSz, std::string("one\0two\0\0", 9));
             Put(r, kData, "Quad", os::RegQword, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
             Put(r, kData, "Nothing", os::RegNone, "");
             Put(r, kOptions, "ShortDword", os::RegDword, "\x01\x02");
             Put(r, kOptions, "Long", os::RegSz, Repeat("x", 5000) + '\0');
             Put(r, kOptions, "Line\r\nBreak", os::RegSz, std::string("first\r\nsecond\0", 14));
         },
         {kThanks},
         kAllOk,
         KeysAsBefore({0, 1, 2})},
        {"1,000 COM add-ins",
         Flow::AutomaticRepair,
         [](ProgramRun& r) {
             for (int i = 0; i < 1000; ++i) {
                 const std::string key = kCom + "\\Addin" + std::to_string(i) + ".Connect";
                 PutText(r, key, "FriendlyName", "Add-in " + std::to_string(i));
                 Put(r, key, "LoadBehavior", os::RegDword,
                     std::string(i % 2 ? "\x03" : "\x02", 1) + std::string(3, '\0'));
             }
         },
         {kThanks},
         kAllOk,
         KeysAsBefore({0})},
        {"1,000 Startup add-ins",
         Flow::AdvancedReset,
         [](ProgramRun& r) {
             for (int i = 0; i < 1000; ++i) {
                 const std::string path = kStartup + "\\Addin" + std::to_string(i) + (i % 2 ? ".wll" : ".dot");
                 r.machine.WriteFileText(path, "add-in " + std::to_string(i));
                 r.word.startupAddins.push_back(path);
             }
         },
         {},
         kAllReset,
         aside},

        // --- Template and Startup folders ---
        {"template folder does not exist",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { PutText(r, kGeneral, "UserTemplates", "C:\\Gone\\Templates"); },
         {kThanks},
         kAllOk,
         NormalDotInPlace()},
        {"Startup folder does not exist",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { PutText(r, kOptions, "Startup-Path", "C:\\Gone\\STARTUP"); },
         {kThanks},
         kAllOk,
         aside},
        {"template folder is a drive root",
         Flow::AutomaticRepair,
         [](ProgramRun& r) {
             r.machine.WriteFileText("D:\\notes.txt", "the user's own file");
             MoveTemplates(r, "D:", "D:\\");
         },
         {kThanks},
         kAllOk,
         Both(NormalDotInPlace(), FileHolds("D:\\notes.txt", "the user's own file"))},
        {"Startup folder is a drive root",
         Flow::AdvancedReset,
         [](ProgramRun& r) {
             r.machine.WriteFileText("D:\\notes.txt", "the user's own file");
             MoveStartup(r, "D:", "D:\\");
         },
         {},
         kAllReset,
         Both(aside, FileHolds("D:\\notes.txt", "the user's own file"))},
        {"template folder on a network share that cannot be reached",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { PutText(r, kGeneral, "UserTemplates", "\\\\server\\share\\Templates"); },
         // Each of the pass's four renames of Normal.dot tells it once.
         {kInUse, "The network path was not found.", kInUse, "The network path was not found.", kInUse,
          "The network path was not found.", kInUse, "The network path was not found.", kThanks},
         kAllOk,
         NormalDotInPlace()},
        {"Startup folder on a network share that cannot be reached",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { PutText(r, kOptions, "Startup-Path", "\\\\server\\share\\STARTUP"); },
         {kThanks},
         kAllOk,
         aside},
        {"template folder with blanks",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { MoveTemplates(r, "C:\\My Templates\\Word 2003", "C:\\My Templates\\Word 2003"); },
         {kThanks},
         kAllOk,
         NormalDotInPlace()},
        {"Startup folder with blanks",
         Flow::AdvancedReset,
         [](ProgramRun& r) { MoveStartup(r, "C:\\My Add ins\\Start up", "C:\\My Add ins\\Start up"); },
         {},
         kAllReset,
         aside},
        {"template folder with non-ASCII characters",
         Flow::RenameTemplate,
         [](ProgramRun& r) {
             MoveTemplates(r, "C:\\Benutzer\\J\xc3\xb6rg\\Vorlagen", "C:\\Benutzer\\J\xc3\xb6rg\\Vorlagen");
         },
         {kThanks},
         kTemplateReset,
         FileHolds("C:\\Benutzer\\J\xc3\xb6rg\\Vorlagen\\0Normal.dot", kUsersNormalDot)},
        {"Startup add-ins with non-ASCII names",
         Flow::AdvancedReset,
         [](ProgramRun& r) {
             const std::string path = kStartup +
                                      "\\Makros f\xc3\xbcr Br\xc3\xbc"
                                      "cke.dot";
             r.machine.WriteFileText(path, "an add-in with umlauts");
             r.word.startupAddins.push_back(path);
         },
         {},
         kAllReset,
         aside},
        {"template folder with a trailing backslash",
         Flow::RenameTemplate,
         [](ProgramRun& r) { PutText(r, kGeneral, "UserTemplates", kTemplates + "\\"); },
         {kThanks},
         kTemplateReset,
         FileHolds(kTemplates + "\\0Normal.dot", kUsersNormalDot)},
        {"Startup folder with a trailing backslash",
         Flow::AdvancedReset,
         [](ProgramRun& r) { PutText(r, kOptions, "Startup-Path", kStartup + "\\"); },
         {},
         kAllReset,
         aside},

        // --- Files as the user left them ---
        {"a read-only Startup add-in",
         Flow::AdvancedReset,
         [](ProgramRun& r) {
             r.machine.SetFileAttributes(r.word.startupAddins[0], os::AttrReadOnly | os::AttrArchive);
         },
         {},
         kAllReset,
         Both(aside,
              [](ProgramRun& r, const Components& c) {
                  EXPECT_TRUE(r.machine.GetFileAttributes(Aside(c.addins[0].path)) & os::AttrReadOnly)
                      << "the copy keeps it";
              })},
        {"a hidden Startup add-in",
         Flow::AdvancedReset,
         [](ProgramRun& r) { r.machine.SetFileAttributes(r.word.startupAddins[0], os::AttrHidden | os::AttrArchive); },
         {},
         kAllReset,
         Both(aside,
              [](ProgramRun& r, const Components& c) {
                  EXPECT_TRUE(r.machine.GetFileAttributes(Aside(c.addins[0].path)) & os::AttrHidden);
              })},
        {"a read-only Normal.dot",
         Flow::RenameTemplate,
         [](ProgramRun& r) { r.machine.SetFileAttributes(r.word.normalDot, os::AttrReadOnly | os::AttrArchive); },
         {kThanks},
         kTemplateReset,
         FileHolds(kTemplates + "\\0Normal.dot", kUsersNormalDot, os::AttrReadOnly)},
        {"a 0Normal.dot from an earlier run",
         Flow::RenameTemplate,
         [](ProgramRun& r) { r.machine.WriteFileText(kTemplates + "\\0Normal.dot", "the earlier run's template"); },
         {kThanks},
         kTemplateReset,
         FileHolds(kTemplates + "\\0Normal.dot.1", "the earlier run's template")},
        {"a Tools.wbt from an earlier run",
         Flow::AdvancedReset,
         [](ProgramRun& r) { r.machine.WriteFileText(kStartup + "\\Tools.wbt", "the earlier run's add-in"); },
         {},
         kAllReset,
         Both(aside, FileHolds(kStartup + "\\Tools.wbt.1", "the earlier run's add-in"))},

        // --- The program's own folder and its backups ---
        {"the program's own folder is read-only",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { r.machine.SetReadOnlyFolder(r.OwnFolder(), true); },
         {"Quorvex left the registry key of Word's COM add-ins as it is, because it could not save a backup of it "
          "first.\r\n\r\nThe backup \"C:\\Tools\\Fix\\COM.reg\" could not be written: Access is denied.",
          "Quorvex left Word's Options registry key as it is, because it could not save a backup of it first.",
          kThanks},
         {"Default Template OK!", "Data OK!", "COM could not be disabled: the backup could not be written",
          "Addins OK!", "Options could not be disabled: the backup could not be written"},
         KeysAsBefore({0, 1, 2})},
        {"the program's own folder is read-only, reset",
         Flow::Reset,
         [](ProgramRun& r) { r.machine.SetReadOnlyFolder(r.OwnFolder(), true); },
         {"Quorvex left the registry key of Word's COM add-ins as it is",
          "Quorvex left Word's Options registry key as it is", kThanks},
         {"Default template; Normal.DOT has been reset", "MS Word's Data information reset",
          "COM could not be reset: the backup could not be written", "Addin's reset.",
          "Options could not be reset: the backup could not be written"},
         KeysAsBefore({0, 2})},
        {"the Startup folder is read-only, reset",
         Flow::Reset,
         [](ProgramRun& r) { r.machine.SetReadOnlyFolder(kStartup, true); },
         {kThanks},
         {"Default template; Normal.DOT has been reset", "MS Word's Data information reset",
          "COM components reset ", "Addins could not be reset: the copy could not be made",
          "MS Word's Options information reset"}},
        {"Word's Data key cannot be removed, reset",
         Flow::Reset,
         [](ProgramRun& r) { r.machine.FailCall("RegDeleteKey", 1, os::err::AccessDenied, 99, "Word\\Data"); },
         {kThanks},
         {"Default template; Normal.DOT has been reset", "Data could not be reset: the key could not be removed",
          "COM components reset ", "Addin's reset.", "MS Word's Options information reset"}},
        // Word's process lives on a while after Quit, holding Normal.dot.
        {"Word holds Normal.dot for a few seconds after it quits",
         Flow::AutomaticRepair,
         [](ProgramRun& r) { HoldNormalDot(r, 3000); },
         {kThanks},
         kAllOk,
         NormalDotInPlace()},
        {"Normal.dot is taken just as the repair pass puts it back",
         Flow::AutomaticRepair,
         [](ProgramRun& r) {
             auto held = std::make_shared<os::Handle>(0);
             auto copies = std::make_shared<int>(0);
             r.machine.SetCallObserver([&r, held, copies](const std::string& method, const std::string& subject) {
                 if (method == "CopyFile" && subject.find("0Normal.dot") != std::string::npos && ++*copies == 2)
                     *held = r.machine.CreateFile(r.word.normalDot, os::GenericRead, os::ShareRead, os::OpenExisting);
                 if (method == "CreateObject" && *held != 0) r.machine.CloseHandle(std::exchange(*held, 0));
             });
         },
         {kThanks},
         {"Normal.dot could not be put back: the file is in use", "Data OK!", "COM OK!", "Addins OK!", "Options OK!"},
         FileHolds(kTemplates + "\\0Normal.dot", kUsersNormalDot)},
        {"an earlier COM.reg is truncated",
         Flow::AutomaticRepair,
         [](ProgramRun& r) {
             const std::string path = r.OwnFolder() + "\\COM.reg";
             ASSERT_TRUE(engine::BackupRegKey(r.machine, os::HKeyCurrentUser, kCom, path).ok());
             const std::string bytes = *r.machine.ReadFileText(path);
             r.machine.WriteFileText(path, bytes.substr(0, bytes.size() / 2));
         },
         {kThanks},
         kAllOk,
         [](ProgramRun& r, const Components& c) {
             KeysAsBefore({0})(r, c);
             EXPECT_EQ(r.machine.ReadFileText(r.OwnFolder() + "\\COM.reg.1"), c.earlier[0].bytes) << "kept, unread";
         }},
        {"an earlier Options.reg is damaged",
         Flow::Reset,
         [](ProgramRun& r) {
             r.machine.WriteFileText(r.OwnFolder() + "\\Options.reg", std::string("\xff\xfeW\0h\0a\0t\0?\0", 12));
         },
         {kThanks},
         kAllReset,
         FileHolds("C:\\Tools\\Fix\\Options.reg.1", std::string("\xff\xfeW\0h\0a\0t\0?\0", 12))},

        // --- Word and the system ---
        {"the registry editor is disabled by policy",
         Flow::AutomaticRepair,
         [](ProgramRun& r) {
             Put(r, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "DisableRegistryTools",
                 os::RegDword, std::string("\x01\0\0\0", 4));
         },
         {kThanks},
         kAllOk,
         [](ProgramRun& r, const Components& c) {
             KeysAsBefore({0, 1, 2})(r, c);
             for (const auto& start : r.machine.ProcessLog())
                 EXPECT_EQ(std::string::npos, Lower(start.commandLine).find("regedit")) << start.commandLine;
         }},
        {"Word is not installed",
         Flow::AutomaticRepair,
         [](ProgramRun& r) {
             r.machine.UnregisterAutomation("Word.Application");
             r.machine.DeleteFile(r.word.winword);
         },
         {"Error -2147221005 (800401F3): Invalid class string"},
         {}},
        {"the stored Word version is a number",
         Flow::AutomaticRepair,
         [](ProgramRun& r) {
             Put(r, "Software\\VB and VBA Program Settings\\qvxfix\\Settings", "Word Version", os::RegDword,
                 std::string("\x0b\0\0\0", 4));
         },
         {kThanks},
         kAllOk,
         [](ProgramRun& r, const Components&) {
             const auto& shown = r.host().ShowLog();
             EXPECT_NE(std::find(shown.begin(), shown.end(), "frmWordVerChoice (modal)"), shown.end())
                 << "the wizard asks for the version first";
         }},
    };
}

TEST(BadInput, EveryCaseIsAnsweredClearlyAndLosesNothing) {
    const bool show = std::getenv("QVX_SHOW_CASES") != nullptr;
    const std::vector<Case> cases = Cases();
    ASSERT_GE(cases.size(), 30u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramRun run(wordsim::InstallOptions{}, "WD11");
        c.setUp(run);
        const Components before = Capture(run);
        const auto theirs = Theirs(run);
        const Snapshot was = TakeSnapshot(run.machine);
        const Outcome outcome = run.Start(c.flow);
        std::vector<std::string> boxes = run.BoxTexts();
        // The offer to search the Startup add-ins follows every automatic repair (No by default).
        std::erase_if(boxes, [](const std::string& box) { return box.find(" add-ins disabled. Find out") != std::string::npos; });
        const std::vector<std::string> lost = Lost(run, before);
        const std::vector<std::string> changes = Changes(was, TakeSnapshot(run.machine), theirs);
        if (show) {
            std::printf("== %s (%s, %s)\n", c.what, FlowName(c.flow), OutcomeName(outcome));
            for (const auto& b : boxes) std::printf("   box: %s\n", b.c_str());
            for (const auto& l : run.results) std::printf("   line: %s\n", l.c_str());
        }
        EXPECT_EQ(outcome, Outcome::Ended) << OutcomeName(outcome);
        EXPECT_EQ(boxes.size(), c.boxes.size()) << ::testing::PrintToString(boxes);
        for (size_t i = 0; i < std::min(boxes.size(), c.boxes.size()); ++i)
            EXPECT_EQ(boxes[i].substr(0, c.boxes[i].size()), c.boxes[i]) << "box " << i;
        EXPECT_EQ(run.results, c.results);
        EXPECT_TRUE(lost.empty()) << ::testing::PrintToString(lost);
        EXPECT_TRUE(changes.empty()) << ::testing::PrintToString(changes);
        if (c.check) c.check(run, before);
    }
}

}  // namespace
}  // namespace reliability
