// The profiles' selection, the do-nothing profile, and the backup, removal
// and restore of Word's three registry components on the emulated machine.
#include "EngineWorld.h"

#include "engine/Generations.h"
#include "engine/RegTree.h"
#include "engine/clsWD10.h"
#include "engine/clsWD11.h"
#include "engine/clsWDNone.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using enginetest::EngineWorld;
using enginetest::kComKey;
using enginetest::OfficeKey;
using wordsim::Version;

class EngineSelection : public EngineWorld {};

TEST_F(EngineSelection, OnlyTheExactVersionKeysPickAProfile) {
    struct Case {
        const char* version;
        const char* picks;  // "10", "11", a newer key, or nullptr: the profile stays as it was
    } cases[] = {{engine::kWord2002, "10"}, {engine::kWord2003, "11"}, {"wd10", nullptr}, {" WD10", nullptr},
                 {"WD10 ", nullptr}, {"WD13", nullptr}, {"", nullptr}, {"wd16", nullptr}, {engine::kWord2007, "WD12"},
                 {engine::kWord2016, "WD16"}};
    for (const Case& c : cases) {
        for (bool before : {false, true}) {
            SCOPED_TRACE(std::string("'") + c.version + (before ? "' after a selection" : "' first"));
            program.CurrentWordProfile.reset();
            if (before) Select(engine::kWord2003);
            auto previous = program.CurrentWordProfile;
            auto picked = Select(c.version);
            EXPECT_EQ(picked, program.CurrentWordProfile);
            if (c.picks == nullptr) {
                EXPECT_EQ(previous, picked);
            } else {
                EXPECT_NE(previous, picked) << "every selection makes a new profile";
                EXPECT_EQ(std::string(c.picks) == "10", dynamic_cast<engine::clsWD10*>(picked.get()) != nullptr);
                EXPECT_EQ(std::string(c.picks) == "11", dynamic_cast<engine::clsWD11*>(picked.get()) != nullptr);
                EXPECT_EQ(std::string(c.picks).size() == 4 ? c.picks : "",
                          std::string(dynamic_cast<engine::WordProfile&>(*picked).Table().version));
            }
        }
    }
}

TEST_F(EngineSelection, ASecondSelectionReleasesTheFirstProfile) {
    std::weak_ptr<engine::clsWD> first = Select(engine::kWord2002);
    Select(engine::kWord2002);
    EXPECT_TRUE(first.expired());
}

TEST_F(EngineSelection, TheNoneProfileSaysWP9AndTouchesNothing) {
    InstallWord(Version::Word2003);
    engine::clsWDNone none(program);
    const auto callsBefore = machine.CallCounts();
    none.Execute(true);
    EXPECT_FALSE(none.WordStartNormal());
    none.DataBackup(), none.DataRemove(), none.DataRestore();
    none.COMBackup(), none.COMRemove(), none.COMRestore();
    none.OptionsBackup(), none.OptionsRemove(), none.OptionsRestore();
    none.RegServ(), none.UnRegServ(), none.WordStartTemplate();
    none.RenameAddins(), none.RestoreAddins(), none.RenameTemplate(), none.RestoreTemplate();

    ASSERT_EQ(1u, host.Boxes().size());
    EXPECT_EQ("WP 9", host.Boxes()[0].text);
    EXPECT_EQ(forms::vbOKOnly, host.Boxes()[0].style);
    EXPECT_EQ("Quorvex", host.Boxes()[0].caption);
    EXPECT_EQ(callsBefore, machine.CallCounts()) << "the none profile asks nothing of the system";
    EXPECT_TRUE(machine.ProcessLog().empty());
    EXPECT_TRUE(wordsim::ReadLog(machine, install.programFolder).empty()) << "Word was not started";
    EXPECT_EQ(0, host.Yields());
}

// --- Registry components ---

struct ComponentOps {
    const char* name;
    std::string (*key)(const char* version);
    void (engine::clsWD::*backup)();
    void (engine::clsWD::*remove)();
    void (engine::clsWD::*restore)();
};

const ComponentOps kComponents[] = {
    {"Data", [](const char* v) { return OfficeKey(v, "Word\\Data"); }, &engine::clsWD::DataBackup,
     &engine::clsWD::DataRemove, &engine::clsWD::DataRestore},
    {"COM", [](const char*) { return std::string(kComKey); }, &engine::clsWD::COMBackup, &engine::clsWD::COMRemove,
     &engine::clsWD::COMRestore},
    {"Options", [](const char* v) { return OfficeKey(v, "Word\\Options"); }, &engine::clsWD::OptionsBackup,
     &engine::clsWD::OptionsRemove, &engine::clsWD::OptionsRestore},
};

struct VersionCase {
    const char* key;
    const char* office;
    Version version;
};
const VersionCase kVersions[] = {{engine::kWord2002, "10.0", Version::Word2002},
                                 {engine::kWord2003, "11.0", Version::Word2003}};

class EngineRegistry : public EngineWorld {
protected:
    // Two COM add-ins, one with a key of its own below it.
    void InstallWithAddins(Version version) {
        options.comAddins = {{"WordSim.Connect", 3}, {"Letters.Addin", 2}};
        InstallWord(version);
        Put(std::string(kComKey) + "\\Letters.Addin\\Settings", "Paper", "A4");
    }

    void Call(const std::shared_ptr<engine::clsWD>& profile, void (engine::clsWD::*op)()) { ((*profile).*op)(); }

    // The paths of every file the program created, in order.
    std::vector<std::string> CreatedFiles(const std::function<void()>& run) {
        std::vector<std::string> paths;
        machine.SetCallObserver([&](const std::string& method, const std::string& subject) {
            if (method == "CreateFile" && subject.find(".reg") != std::string::npos &&
                (paths.empty() || paths.back() != subject))
                paths.push_back(subject);
        });
        run();
        machine.SetCallObserver(nullptr);
        return paths;
    }
};

TEST_F(EngineRegistry, BackupFilesAreJoinedToTheProgramFolderAsItStands) {
    struct Case {
        const char* module;
        std::vector<std::string> files;  // Data, COM, Options as the program names them
    } cases[] = {
        {"C:\\Tools\\Fix\\qvxfix.exe",
         {"C:\\Tools\\FixData.reg", "C:\\Tools\\Fix\\COM.reg", "C:\\Tools\\Fix\\Options.reg"}},
        {"C:\\qvxfix.exe", {"C:\\Data.reg", "C:\\\\COM.reg", "C:\\\\Options.reg"}},
    };
    InstallWord(Version::Word2003);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.module);
        machine.SetModulePath(c.module);
        auto profile = Select(engine::kWord2003);
        const auto written = CreatedFiles([&] {
            profile->DataBackup();
            profile->COMBackup();
            profile->OptionsBackup();
        });
        // Each file is written, then read back.
        EXPECT_EQ(c.files, written);
        for (const std::string& file : c.files) EXPECT_TRUE(machine.Exists(file)) << file;
    }
}

TEST_F(EngineRegistry, EachComponentComesBackValueForValue) {
    for (const VersionCase& v : kVersions) {
        InstallWithAddins(v.version);
        auto profile = Select(v.key);
        for (const ComponentOps& component : kComponents) {
            SCOPED_TRACE(std::string(v.key) + " " + component.name);
            const std::string key = component.key(v.office);
            const engine::RegFile before = Tree(key);
            ASSERT_FALSE(before.keys.empty());
            Call(profile, component.backup);
            Call(profile, component.remove);
            EXPECT_FALSE(KeyExists(key)) << "removed with everything below it";
            const int yields = host.Yields();
            Call(profile, component.restore);
            EXPECT_EQ(yields + 3, host.Yields());
            EXPECT_EQ("", engine::DescribeRegDifference(before, Tree(key)));
        }
        EXPECT_TRUE(host.Boxes().empty());
    }
}

TEST_F(EngineRegistry, TheCOMKeyGoesWholeThoughEachAddinHasAKey) {
    InstallWithAddins(Version::Word2002);
    auto profile = Select(engine::kWord2002);
    profile->COMBackup();
    profile->COMRemove();
    EXPECT_FALSE(KeyExists(std::string(kComKey) + "\\Letters.Addin\\Settings"));
    EXPECT_FALSE(KeyExists(kComKey));
    EXPECT_TRUE(KeyExists("Software\\Microsoft\\Office\\Word")) << "nothing above the component goes";
}

TEST_F(EngineRegistry, TheBackupFilesAreSharedButEachProfilePutsBackOnlyItsOwnKey) {
    InstallWord(Version::Word2003);
    const std::string options11 = OfficeKey("11.0", "Word\\Options");
    const engine::RegFile before = Tree(options11);
    auto word2003 = Select(engine::kWord2003);
    word2003->OptionsBackup();
    word2003->OptionsRemove();
    auto word2002 = Select(engine::kWord2002);
    word2002->OptionsRestore();
    EXPECT_FALSE(KeyExists(options11));
    EXPECT_FALSE(KeyExists(OfficeKey("10.0", "Word\\Options")));
    EXPECT_EQ((std::vector<std::string>{"Quorvex did not put back Word's Options registry key from "
                                        "C:\\Tools\\Fix\\Options.reg: the file names another key."}),
              BoxTexts());
    Select(engine::kWord2003)->OptionsRestore();
    EXPECT_EQ("", engine::DescribeRegDifference(before, Tree(options11)));
}

TEST_F(EngineRegistry, AKeyWhoseBackupCannotBeWrittenStaysAndTheUserIsToldOnce) {
    struct Case {
        const char* why;
        std::function<void(os::emulated::Machine&)> breakDisk;
        std::vector<const char*> keptComponents;
    } cases[] = {
        // Data.reg lies beside the program's folder and still lands.
        {"program folder read-only", [](os::emulated::Machine& m) { m.SetReadOnlyFolder("C:\\Tools\\Fix", true); },
         {"COM", "Options"}},
        {"disk full", [](os::emulated::Machine& m) { m.SetDiskCapacity(1); }, {"COM", "Data", "Options"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        engine::Program run{platform::Services{machine, host}};  // a run of its own
        InstallWord(Version::Word2003);
        run.WordProgramFolder = install.programFolder;
        run.CurrentWordVersion = engine::kWord2003;
        auto profile = engine::SelectWordProfile(run);
        // A backup from an earlier run that must not come back.
        const std::string optionsKey = OfficeKey("11.0", "Word\\Options");
        engine::RegFile stale{true, {{"HKEY_CURRENT_USER\\" + optionsKey, false, {{"Stale", os::RegSz, {'1', 0}}}}}};
        machine.WriteFileText("C:\\Tools\\Fix\\Options.reg", engine::FormatRegFile(machine, stale));
        std::map<std::string, engine::RegFile> before;
        for (const ComponentOps& component : kComponents) before[component.name] = Tree(component.key("11.0"));

        const size_t boxes = host.Boxes().size();
        c.breakDisk(machine);
        for (int pass = 0; pass < 2; ++pass) {  // the repair pass removes them again
            profile->COMBackup(), profile->DataBackup(), profile->OptionsBackup();
            profile->COMRemove(), profile->DataRemove(), profile->OptionsRemove();
        }
        profile->COMRestore(), profile->DataRestore(), profile->OptionsRestore();
        machine.SetReadOnlyFolder("C:\\Tools\\Fix", false);
        machine.SetDiskCapacity(0);

        std::vector<std::string> told;
        for (size_t i = boxes; i < host.Boxes().size(); ++i) {
            const auto& box = host.Boxes()[i];
            EXPECT_EQ("Quorvex", box.caption);
            EXPECT_EQ(forms::vbOKOnly | forms::vbExclamation, box.style);
            told.push_back(box.text);
        }
        ASSERT_EQ(c.keptComponents.size(), told.size()) << ::testing::PrintToString(told);
        for (size_t i = 0; i < told.size(); ++i) {
            EXPECT_NE(std::string::npos, told[i].find(c.keptComponents[i] == std::string("COM") ? "COM add-ins"
                                                                                              : c.keptComponents[i]))
                << told[i];
            EXPECT_NE(std::string::npos, told[i].find("could not save a backup")) << told[i];
        }
        for (const ComponentOps& component : kComponents) {
            bool kept = false;
            for (const char* name : c.keptComponents) kept = kept || std::string(name) == component.name;
            if (!kept) continue;
            SCOPED_TRACE(component.name);
            EXPECT_EQ("", engine::DescribeRegDifference(before[component.name], Tree(component.key("11.0"))))
                << "left exactly as it was, the stale backup not imported";
        }
        engine::DeleteRegTree(machine, os::HKeyCurrentUser, "Software\\Microsoft\\Office");
    }
}

TEST_F(EngineRegistry, AnAbsentKeyWritesNoFileAndAnOlderBackupIsNotRestoredInItsPlace) {
    InstallWord(Version::Word2002);
    const std::string dataKey = OfficeKey("10.0", "Word\\Data");
    const std::string dataFile = "C:\\Tools\\FixData.reg";
    // An earlier run's backup, and a Data key that is gone now.
    engine::RegFile earlier{true, {{"HKEY_CURRENT_USER\\" + dataKey, false, {{"Earlier", os::RegSz, {'1', 0}}}}}};
    const std::string earlierBytes = engine::FormatRegFile(machine, earlier);
    machine.WriteFileText(dataFile, earlierBytes);
    engine::DeleteRegTree(machine, os::HKeyCurrentUser, dataKey);

    auto profile = Select(engine::kWord2002);
    profile->DataBackup();
    EXPECT_EQ(earlierBytes, Text(dataFile)) << "no file written for a missing key";
    profile->DataRemove();
    ASSERT_TRUE(profile->WordStartNormal());  // Word rebuilds Data with its defaults
    const engine::RegFile rebuilt = Tree(dataKey);
    profile->DataRestore();
    EXPECT_EQ("", engine::DescribeRegDifference(rebuilt, Tree(dataKey)));
    EXPECT_TRUE(host.Boxes().empty());

    // A later run that made no backup of its own finds the earlier one.
    engine::Program later{platform::Services{machine, host}};
    later.CurrentWordVersion = engine::kWord2002;
    engine::SelectWordProfile(later)->DataRestore();
    const engine::RegFile restored = Tree(dataKey);
    ASSERT_FALSE(restored.keys.empty());
    bool earlierBack = false;
    for (const auto& value : restored.keys[0].values) earlierBack = earlierBack || value.name == "Earlier";
    EXPECT_TRUE(earlierBack);
}

TEST_F(EngineRegistry, ARemovalWithoutABackupSavesTheKeyFirst) {
    InstallWord(Version::Word2003);
    const std::string optionsKey = OfficeKey("11.0", "Word\\Options");
    const engine::RegFile before = Tree(optionsKey);
    auto profile = Select(engine::kWord2003);
    profile->OptionsRemove();
    EXPECT_FALSE(KeyExists(optionsKey));
    engine::RegFile saved;
    ASSERT_TRUE(engine::ParseRegFile(machine, Text("C:\\Tools\\Fix\\Options.reg"), &saved, nullptr));
    EXPECT_EQ("", engine::DescribeRegDifference(before, saved));
    profile->OptionsRestore();
    EXPECT_EQ("", engine::DescribeRegDifference(before, Tree(optionsKey)));

    // Changed since, and no backup of it as it is now can be written: the
    // earlier file is not enough to remove it on.
    using Part = engine::RunRecord::Part;
    Put(optionsKey, "Later", "1");
    const engine::RegFile changed = Tree(optionsKey);
    machine.SetReadOnlyFolder("C:\\Tools\\Fix", true);
    profile->OptionsBackup(), profile->OptionsRemove();
    EXPECT_EQ("", engine::DescribeRegDifference(changed, Tree(optionsKey)));
    EXPECT_EQ("Options could not be reset: the backup could not be written",
              engine::ResultLine(program.Run, Part::Options, engine::Done::Reset, "reset"));
    // Its backup gone before the restore: said, not silent.
    machine.SetReadOnlyFolder("C:\\Tools\\Fix", false);
    profile->OptionsRemove();
    EXPECT_FALSE(KeyExists(optionsKey));
    EXPECT_EQ("", program.Run.Failure(Part::Options));
    for (const std::string& file : engine::KeptFiles(machine, "C:\\Tools\\Fix\\Options.reg")) machine.DeleteFile(file);
    profile->OptionsRestore();
    EXPECT_EQ("the backup is missing", program.Run.Failure(Part::Options));
}

TEST_F(EngineRegistry, RemovingAMissingKeyIsQuiet) {
    InstallWord(Version::Word2003);
    engine::DeleteRegTree(machine, os::HKeyCurrentUser, OfficeKey("11.0", "Word\\Data"));
    auto profile = Select(engine::kWord2003);
    profile->DataRemove();
    EXPECT_TRUE(host.Boxes().empty());
    EXPECT_FALSE(machine.Exists("C:\\Tools\\FixData.reg"));
}

TEST_F(EngineRegistry, ABackupIsPutBackOnlyIntoItsOwnKeyOrToldOnce) {
    const std::string optionsKey = "HKEY_CURRENT_USER\\" + OfficeKey("11.0", "Word\\Options");
    const std::string mine = "[" + optionsKey + "\\Sub]\r\n\"Mine\"=\"1\"\r\n";
    auto file = [&mine](const std::string& more) {
        std::string bytes = "\xff\xfe";
        for (char c : "Windows Registry Editor Version 5.00\r\n\r\n" + mine + more + "\r\n") bytes += {c, '\0'};
        return bytes;
    };
    const std::pair<std::string, std::string> cases[] = {  // the file, what the user is told
        {"not a registry file", "Quorvex could not put back Word's Options registry key from its backup."},
        {file("[HKEY_CURRENT_USER\\" + OfficeKey("11.0", "Word\\Data") + "]\r\n\"Settings\"=\"theirs\""),
         "Quorvex did not put back Word's Options registry key from C:\\Tools\\Fix\\Options.reg: the file names "
         "another key."},
        {file("[" + optionsKey + "2]"), "the file names another key."},
        {file("[HKEY_LOCAL_MACHINE\\" + OfficeKey("11.0", "Word\\Options") + "]"), "the file names another key."},
        {file("[-HKEY_CURRENT_USER\\" + OfficeKey("11.0", "Word\\Data") + "]"), "the file holds a deletion."},
        {file("\"Startup-Path\"=-"), "the file holds a deletion."},
    };
    for (const auto& [bytes, told] : cases) {
        SCOPED_TRACE(told);
        qvxtest::ScriptedUser user;
        engine::Program run{platform::Services{machine, user}};
        InstallWord(Version::Word2003);
        run.WordProgramFolder = install.programFolder;
        run.CurrentWordVersion = engine::kWord2003;
        auto profile = engine::SelectWordProfile(run);
        profile->OptionsBackup();
        profile->OptionsRemove();
        machine.WriteFileText("C:\\Tools\\Fix\\Options.reg", bytes);
        const engine::RegFile data = Tree(OfficeKey("11.0", "Word\\Data"));
        profile->OptionsRestore();
        profile->OptionsRestore();
        ASSERT_EQ(1u, user.Boxes().size());
        EXPECT_NE(std::string::npos, user.Boxes()[0].text.find(told)) << user.Boxes()[0].text;
        EXPECT_EQ("Quorvex", user.Boxes()[0].caption);
        EXPECT_FALSE(KeyExists(OfficeKey("11.0", "Word\\Options"))) << "nothing of it applied";
        EXPECT_EQ("", engine::DescribeRegDifference(data, Tree(OfficeKey("11.0", "Word\\Data"))));
    }
    machine.WriteFileText("C:\\Tools\\Fix\\Options.reg", file(""));
    Select(engine::kWord2003)->OptionsRestore();
    EXPECT_TRUE(KeyExists(OfficeKey("11.0", "Word\\Options\\Sub"))) << "its own key and below";
}

// Word 2007 and later: what all users share is listed by name for a standard
// user and changed only when elevated, the add-in through its LoadBehavior
// (its key stays) and the file renamed aside; the 32-bit per-user add-ins go
// and come back like the others.
TEST_F(EngineRegistry, WhatAllUsersShareIsListedOrWhenElevatedDisabledAndPutBack) {
    const std::string machineKey = std::string(wordsim::kNewerAddinPlaces[5].key) + "\\Corp.Addin";
    const std::string com32 = "Software\\Wow6432Node\\Microsoft\\Office\\Word\\Addins\\Old32.Addin";
    auto loadBehavior = [&] {
        os::HKey raw = 0;
        uint32_t type = 0, data = 0, size = sizeof data;
        if (machine.RegOpenKeyEx(os::HKeyLocalMachine, machineKey, os::KeyRead, &raw) != 0) return 0u;
        os::UniqueKey key(machine, raw);
        machine.RegQueryValueEx(raw, "LoadBehavior", &type, reinterpret_cast<uint8_t*>(&data), &size);
        return data;
    };
    for (bool elevated : {false, true}) {
        SCOPED_TRACE(elevated ? "elevated" : "standard user");
        machine.SetElevated(elevated);
        options.machineAddins = {{"Corp.Addin", 3}, {"Idle.Addin", 2}};
        options.machineStartupAddins = {"Corp.dotm"};
        InstallWord(Version::Word2016);
        Put(com32, "FriendlyName", "Old32");
        const std::string corpDotm = install.programFolder + "\\STARTUP\\Corp.dotm";
        auto profile = Select(engine::kWord2016);
        profile->COMBackup();
        profile->COMRemove();
        profile->RenameAddins();
        const engine::RunRecord& run = program.Run;
        EXPECT_FALSE(KeyExists(com32));
        EXPECT_EQ(engine::WithForAllUsers(run, engine::RunRecord::Part::COM, "COM OK!"),
                  elevated ? "COM OK!" : "COM OK!; Corp.Addin (for all users: an administrator can disable it)");
        EXPECT_EQ(run.forAllUsers[size_t(engine::RunRecord::Part::Addins)],
                  elevated ? std::vector<std::string>{} : std::vector<std::string>{"Corp.dotm"});
        EXPECT_EQ(loadBehavior(), elevated ? 2u : 3u);
        EXPECT_EQ(machine.PathFileExists(corpDotm + ".qvxoff"), elevated);
        EXPECT_EQ(machine.PathFileExists(std::string(enginetest::kOwnFolder) + "\\AllUsers Corp.Addin.reg"), elevated);
        profile->COMRestore();
        profile->RestoreAddins();
        EXPECT_TRUE(KeyExists(com32));
        EXPECT_EQ(loadBehavior(), 3u);
        EXPECT_TRUE(machine.PathFileExists(corpDotm));
        EXPECT_TRUE(run.Failure(engine::RunRecord::Part::COM).empty()) << run.Failure(engine::RunRecord::Part::COM);
        wordsim::Uninstall(machine, install);
        program.Run = {};
    }
}

}  // namespace
