#include "ReliabilityWorld.h"

#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "engine/Generations.h"
#include "engine/WordVersions.h"
#include "os/Handles.h"
#include "wizards/WizardFrame.h"
#include "wizards/frmUndo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <stdexcept>

namespace reliability {

namespace {

constexpr char kComKey[] = "Software\\Microsoft\\Office\\Word\\Addins";
// More steps than any flow takes: a run that needs more never ends.
constexpr int kUserSteps = 40;

std::string Hex(const std::string& bytes) {
    std::string out;
    char pair[3];
    for (unsigned char b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        out += pair;
    }
    return out;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

std::string WithExtension(const std::string& path, const std::string& extension) {
    return path.substr(0, path.find_last_of('.') + 1) + extension;
}

// What is kept of path: it and the backup name's files.
std::vector<std::string> KeptWith(os::Api& api, const std::string& path, const std::string& backup) {
    std::vector<std::string> paths = engine::KeptFiles(api, backup);
    paths.push_back(path);
    return paths;
}

bool AnyHolds(os::emulated::Machine& machine, const std::vector<std::string>& paths, const std::string& bytes) {
    for (const std::string& path : paths)
        if (machine.ReadFileText(path) == bytes) return true;
    return false;
}

// Every key and value of a tree, as "key" and "key\\value" entries holding type and data.
std::map<std::string, std::string> Entries(const engine::RegFile& tree) {
    std::map<std::string, std::string> entries;
    for (const engine::RegKey& key : tree.keys) {
        std::string path = engine::FoldPath(key.path);
        entries[path] = "";
        for (const engine::RegValue& value : key.values)
            entries[path + "\\\\" + engine::FoldPath(value.name)] =
                std::to_string(value.type) + ":" + std::string(value.data.begin(), value.data.end());
    }
    return entries;
}

void AddKeys(const engine::RegFile& tree, Snapshot* out) {
    for (const engine::RegKey& key : tree.keys) {
        (*out)["K " + key.path] = "";
        for (const engine::RegValue& value : key.values) {
            (*out)["V " + key.path + "\\\\" + value.name] =
                std::to_string(value.type) + ":" + Hex(std::string(value.data.begin(), value.data.end()));
        }
    }
}

void AddFolder(os::Api& api, const std::string& folder, Snapshot* out) {
    os::FindData data;
    os::UniqueFind find(api, api.FindFirstFile(folder + "\\*", &data));
    if (!find) return;
    std::vector<std::string> subfolders;
    do {
        if (data.name == "." || data.name == "..") continue;
        const std::string path = folder + "\\" + data.name;
        if (data.attributes & os::AttrDirectory) {
            (*out)["D " + path] = std::to_string(data.attributes);
            subfolders.push_back(path);
        } else {
            std::string bytes;
            os::UniqueHandle file(
                api, api.CreateFile(path, os::GenericRead, os::ShareRead | os::ShareWrite | os::ShareDelete,
                                    os::OpenExisting));
            char buffer[4096];
            uint32_t read = 0;
            while (file && api.ReadFile(file.get(), buffer, sizeof buffer, &read) && read > 0)
                bytes.append(buffer, read);
            (*out)["F " + path] = std::to_string(data.attributes) + ":" + Hex(bytes);
        }
    } while (api.FindNextFile(find.get(), &data));
    for (const std::string& sub : subfolders) AddFolder(api, sub, out);
}

}  // namespace

const char* FlowName(Flow flow) {
    switch (flow) {
        case Flow::AutomaticRepair: return "automatic repair";
        case Flow::Reset: return "reset to initial install";
        case Flow::RenameTemplate: return "rename Normal.dot";
        case Flow::AdvancedReset: return "advanced reset, all boxes";
        case Flow::Undo: return "undo the latest run";
    }
    return "?";
}

const char* OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Ended: return "ended";
        case Outcome::Crashed: return "crashed";
        case Outcome::Error: return "error";
        case Outcome::Stuck: return "stuck";
    }
    return "?";
}

ProgramRun::ProgramRun(const wordsim::InstallOptions& options, const std::string& wordVersion)
    : wordVersion_(wordVersion) {
    machine.SetSpecialFolder(os::CsidlAppData, kAppData);
    machine.SetSpecialFolder(os::CsidlLocalAppData, kLocalAppData);
    machine.MakeFolders(kLocalAppData);
    machine.MakeFolders(kAppData);
    machine.AddDrive("D:");
    machine.SetModulePath(std::string(kOwnFolder) + "\\qvxfix.exe");
    for (const char* name : {"SUPPORT10.DOT", "SUPPORT11.DOT", "SafeMode.DOT"})
        machine.WriteFileText(std::string(kOwnFolder) + "\\" + name, std::string("The program's ") + name);
    // Started from its own folder, as from Explorer.
    machine.SetCurrentDirectory(kOwnFolder);
    machine.MakeFolders("C:\\Program Files\\Browser");
    machine.WriteFileText("C:\\Program Files\\Browser\\browser.exe", "MZ");
    machine.SetAssociation(".htm", "C:\\Program Files\\Browser\\browser.exe");
    word = wordsim::InstallEmulated(machine, options);
    EXPECT_TRUE(word.ok) << word.error;
    const std::string settings = "Software\\VB and VBA Program Settings\\qvxfix\\";
    SetText(os::HKeyCurrentUser, settings + "Settings", "Word Version", wordVersion);
    SetText(os::HKeyCurrentUser, settings + "Settings", "Word Detect No Show", "True");
    SetText(os::HKeyCurrentUser, settings + "Show WalkThru", "WalkThru", "True");
    ctx = std::make_unique<app::Context>(machine, host());
}

std::string ProgramRun::OwnFolder() const { return kOwnFolder; }

void ProgramRun::SetText(os::HKey root, const std::string& subKey, const std::string& name, const std::string& value) {
    os::HKey raw = 0;
    ASSERT_EQ(0, machine.RegCreateKeyEx(root, subKey, os::KeyAllAccess, &raw, nullptr)) << subKey;
    os::UniqueKey owner(machine, raw);
    machine.RegSetValueEx(raw, name, os::RegSz, reinterpret_cast<const uint8_t*>(value.c_str()),
                          static_cast<uint32_t>(value.size() + 1));
}

std::vector<std::string> ProgramRun::BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : host().Boxes()) texts.push_back(box.text);
    return texts;
}

void ProgramRun::NextUserStep(Flow flow) {
    const std::vector<std::string> modal = host().ModalStack();
    forms::Form* main = host().FindForm("frmMain");
    const std::string top = !modal.empty() ? modal.back() : main != nullptr && main->Visible() ? "frmMain" : "";
    if (top == "frmMain") {
        const char* option = flow == Flow::AutomaticRepair  ? "optDefault"
                             : flow == Flow::Reset          ? "OptReset"
                             : flow == Flow::RenameTemplate ? "optRename"
                                                            : "optAdvanced";
        host().Click(top, option);
        host().Click(top, "Command4");
    } else if (top == "frmWordVerChoice") {
        host().Click(top, wordVersion_ == engine::kWord2002 ? "optWd10" : "optXP");
        host().Click(top, "btnOK");
    } else if (top == "frmWkThru") {
        host().Click(top, "Command2");
    } else if (top == "frmadvmenu") {
        if (flow == Flow::Undo) host().Click(top, "optUndo");
        host().Click(top, "btnOK");
    } else if (top == "frmPromotion") {
        host().Click(top, "cmdClose");
    } else if (auto* wizard = dynamic_cast<wizards::WizardFrame*>(host().FindForm(top))) {
        if (wizard->cmdNext.IsShown() && wizard->cmdNext.Enabled())
            host().Click(top, "cmdNext");
        else if (wizard->cmdFinish.IsShown() && wizard->cmdFinish.Enabled()) {
            results.clear();
            for (const char* name :
                 {"lbltemplateFixed", "lblDataFixed", "lblCOMFixed", "lblAddinsFixed", "lblOptionsFixed"})
                if (forms::Control* line = wizard->Find(name)) results.push_back(line->Caption());
            if (auto* undo = dynamic_cast<wizards::frmUndo*>(wizard))
                for (size_t i = 0; i < undo->lblPartResults.Count(); ++i)
                    if (!undo->lblPartResults[i].Caption().empty()) results.push_back(undo->lblPartResults[i].Caption());
            host().Click(top, "cmdFinish");
        } else
            host().Click(top, "cmdCancel");
    } else {
        throw forms::ScriptError("no sensible step on \"" + top + "\"");
    }
}

void ProgramRun::Restart() {
    ctx.reset();
    host_ = std::make_unique<forms::ScriptedHost>();
    ctx = std::make_unique<app::Context>(machine, host());
    results.clear();
}

bool ProgramRun::UserStartsWord() { return wordsim::SimulateStart(machine, word.programFolder).started; }

Outcome ProgramRun::Start(Flow flow) {
    for (int i = 0; i < kUserSteps; ++i) host().Then([this, flow] { NextUserStep(flow); });
    // Held for the whole run, as the program's entry holds it: one copy at a time.
    std::optional<app::SingleInstance> instance;
    try {
        host().Run([this, &instance] {
            instance.emplace(machine);
            if (instance->AnotherCopyRuns()) throw std::runtime_error("another copy holds the mark");
            app::Startup(*ctx);
        });
    } catch (const Crash&) {
        return Outcome::Crashed;
    } catch (const forms::ScriptError&) {
        return Outcome::Stuck;
    } catch (const std::exception&) {
        return Outcome::Error;
    }
    return host().Ended() ? Outcome::Ended : Outcome::Stuck;
}

namespace {

// Where the backups of the install's components go.
std::vector<std::string> BackupNames(ProgramRun& run) {
    const std::string own = run.OwnFolder();
    std::vector<std::string> names = {FolderOf(run.word.normalDot) + "\\0Normal.dot", own + "\\COM.reg",
                                      own + "Data.reg", own + "\\Options.reg"};
    for (const std::string& addin : run.word.startupAddins) {
        const bool wll = addin.substr(addin.size() - 3) == "wll";
        names.push_back(WithExtension(addin, wll ? "wbl" : "wbt"));
    }
    return names;
}

}  // namespace

void LayEarlierBackups(ProgramRun& run) {
    for (const std::string& path : BackupNames(run)) {
        std::string bytes = "An earlier run's backup: " + path + "\r\n";
        if (path.substr(path.size() - 4) == ".reg") {
            engine::RegFile tree;
            const std::string text = "by an earlier run";
            std::vector<uint8_t> data(text.begin(), text.end() + 1);
            tree.keys.push_back({"HKEY_CURRENT_USER\\Software\\Earlier", false, {{"Saved", os::RegSz, data}}});
            bytes = engine::FormatRegFile(run.machine, tree);
        }
        run.machine.WriteFileText(path, bytes);
    }
}

Components Capture(ProgramRun& run) {
    os::emulated::Machine& machine = run.machine;
    Components c;
    c.normalDot = {run.word.normalDot, machine.ReadFileText(run.word.normalDot).value_or("")};
    for (const std::string& path : run.word.startupAddins)
        c.addins.push_back({path, machine.ReadFileText(path).value_or("")});
    const std::string own = run.OwnFolder();
    const Components::Key keys[] = {
        {"COM add-ins", kComKey, {}, own + "\\COM.reg"},
        {"Data", wordsim::DataKey(run.word.version), {}, own + "Data.reg"},
        {"Options", wordsim::OptionsKey(run.word.version), {}, own + "\\Options.reg"},
    };
    for (Components::Key key : keys) {
        const long rc = engine::ReadRegTree(machine, os::HKeyCurrentUser, key.subKey, &key.tree);
        key.absent = rc == os::err::FileNotFound;
        EXPECT_TRUE(rc == 0 || key.absent) << key.subKey << ": " << rc;
        c.keys.push_back(std::move(key));
    }
    for (const std::string& path : BackupNames(run))
        if (auto bytes = machine.ReadFileText(path)) c.earlier.push_back({path, *bytes});
    return c;
}

std::vector<std::string> Lost(ProgramRun& run, const Components& before) {
    os::emulated::Machine& machine = run.machine;
    std::vector<std::string> lost;
    const std::string templates = FolderOf(before.normalDot.path);
    if (!AnyHolds(machine, KeptWith(machine, before.normalDot.path, templates + "\\0Normal.dot"),
                  before.normalDot.bytes))
        lost.push_back("Normal.dot");

    for (const Components::File& addin : before.addins) {
        const std::string extension = addin.path.substr(addin.path.find_last_of('.') + 1);
        const std::string aside = WithExtension(addin.path, extension == "wll" ? "wbl" : "wbt");
        if (!AnyHolds(machine, KeptWith(machine, addin.path, aside), addin.bytes)) lost.push_back(addin.path);
    }

    for (const Components::Key& key : before.keys) {
        if (key.absent) continue;
        // Each key and value must be found whole somewhere: live or in one kept file.
        std::map<std::string, std::string> missing = Entries(key.tree);
        auto strike = [&missing](const engine::RegFile& tree) {
            for (const auto& [entry, value] : Entries(tree)) {
                auto found = missing.find(entry);
                if (found != missing.end() && found->second == value) missing.erase(found);
            }
        };
        engine::RegFile now;
        if (engine::ReadRegTree(machine, os::HKeyCurrentUser, key.subKey, &now) == 0) strike(now);
        for (const std::string& path : engine::KeptFiles(machine, key.backup)) {
            engine::RegFile saved;
            auto bytes = machine.ReadFileText(path);
            if (bytes && engine::ParseRegFile(machine, *bytes, &saved, nullptr)) strike(saved);
        }
        if (!missing.empty()) lost.push_back(key.name);
    }

    for (const Components::File& file : before.earlier)
        if (!AnyHolds(machine, engine::KeptFiles(machine, file.path), file.bytes)) lost.push_back("earlier " + file.path);
    return lost;
}

Snapshot TakeSnapshot(os::emulated::Machine& machine) {
    Snapshot snapshot;
    for (char drive = 'A'; drive <= 'Z'; ++drive) {
        const std::string root = std::string(1, drive) + ":";
        if (machine.GetFileAttributes(root + "\\") != os::InvalidFileAttributes) AddFolder(machine, root, &snapshot);
    }
    for (os::HKey root : {os::HKeyCurrentUser, os::HKeyLocalMachine}) {
        engine::RegFile tree;
        EXPECT_EQ(0, engine::ReadRegTree(machine, root, "", &tree));
        AddKeys(tree, &snapshot);
    }
    return snapshot;
}

std::vector<std::string> Changes(const Snapshot& before, const Snapshot& after,
                                 const std::function<bool(const std::string& entry)>& isTheirs) {
    std::vector<std::string> changes;
    for (const auto& [entry, value] : before) {
        auto found = after.find(entry);
        if (found == after.end()) {
            if (!isTheirs(entry)) changes.push_back("- " + entry);
        } else if (found->second != value && !isTheirs(entry)) {
            changes.push_back("~ " + entry);
        }
    }
    for (const auto& [entry, value] : after)
        if (!before.count(entry) && !isTheirs(entry)) changes.push_back("+ " + entry);
    return changes;
}

}  // namespace reliability
