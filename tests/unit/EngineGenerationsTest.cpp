// No backup ever replaces what the user had: a file under a backup name moves
// to a generation first, and within one run the first backup of a component
// (the user's own) keeps its name. On the emulated machine with the
// simulated Word, the automatic repair driven through its wizard.
#include "EngineWorld.h"

#include "engine/Generations.h"
#include "engine/RegTree.h"
#include "wizards/frmBackup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using enginetest::EngineWorld;
using enginetest::OfficeKey;
using wordsim::Component;
using wordsim::Version;

constexpr char kStartup[] = "C:\\Users\\Ann\\AppData\\Roaming\\Microsoft\\Word\\STARTUP";
constexpr char kOptionsReg[] = "C:\\Tools\\Fix\\Options.reg";

// One run of the program: its own program-wide values and its own user.
struct ProgramRun {
    ProgramRun(os::Api& api, const std::string& version, const std::string& wordFolder)
        : program{platform::Services{api, host}} {
        program.CurrentWordVersion = version;
        program.WordProgramFolder = wordFolder;
    }

    // The automatic repair with the real profiles, Next pressed up to the
    // page of the repair's results.
    wizards::frmBackup& AutomaticRepair() {
        wizard = std::make_unique<wizards::frmBackup>(wizards::WizardEnv{program, host, {}, {}});
        wizard->Form_Load();
        wizard->Show();
        while (wizard->CurrentStep < 4 && !host.Ended())
            host.Run([&] { host.Click(wizard->Name(), "cmdNext"); });
        return *wizard;
    }

    qvxtest::ScriptedUser host;
    engine::Program program;
    std::unique_ptr<wizards::frmBackup> wizard;
};

std::vector<std::string> Lines(std::initializer_list<const forms::Control*> labels) {
    std::vector<std::string> lines;
    for (const forms::Control* label : labels) lines.push_back(label->Caption());
    return lines;
}

class EngineGenerations : public EngineWorld {
protected:
    std::unique_ptr<ProgramRun> NewRun(const std::string& version) {
        return std::make_unique<ProgramRun>(machine, version, install.programFolder);
    }

    // What is kept under path: the file itself, then its generations, oldest first.
    std::vector<std::string> Kept(const std::string& path) {
        std::vector<std::string> texts;
        for (const std::string& file : engine::KeptFiles(machine, path)) texts.push_back(Text(file));
        return texts;
    }

    // The place among the kept files (0: the name itself) whose .reg file describes tree, or -1.
    int GenerationSaving(const std::string& path, const engine::RegFile& tree) {
        const std::vector<std::string> kept = engine::KeptFiles(machine, path);
        for (size_t n = 0; n < kept.size(); ++n) {
            engine::RegFile saved;
            if (engine::ParseRegFile(machine, Text(kept[n]), &saved, nullptr) &&
                engine::DescribeRegDifference(tree, saved).empty())
                return int(n);
        }
        return -1;
    }
};

TEST_F(EngineGenerations, TheAutomaticRepairKeepsAFaultyNormalDotAsideAndSaysItFixedIt) {
    struct Case {
        const char* version;
        Version word;
    } cases[] = {{engine::kWord2002, Version::Word2002}, {engine::kWord2003, Version::Word2003}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        InstallWord(c.word, {Component::NormalDot});
        const std::string aside = install.userTemplates + "\\0Normal.dot";
        const std::string users = Text(install.normalDot);
        ASSERT_NE(std::string::npos, users.find(wordsim::kFaultMarker));
        machine.WriteFileText(aside, "left by an earlier run");

        auto run = NewRun(c.version);
        wizards::frmBackup& f = run->AutomaticRepair();
        ASSERT_EQ(4, f.CurrentStep);
        EXPECT_TRUE(run->host.Boxes().empty());
        EXPECT_EQ((std::vector<std::string>{"Default Template Fixed", "Data Passed!", "COM Passed!", "Addins Passed!",
                                            "Options Passed!"}),
                  Lines({&f.lblTemplate, &f.lblData, &f.lblCOM, &f.lblAddin, &f.lblOptions}));
        EXPECT_EQ((std::vector<std::string>{"Default Template Fixed", "Data OK!", "COM OK!", "Addins OK!", "Options OK!"}),
                  Lines({&f.lbltemplateFixed, &f.lblDataFixed, &f.lblCOMFixed, &f.lblAddinsFixed, &f.lblOptionsFixed}));

        // The user's own template is aside under its backup name; the earlier
        // run's backup and Word's fresh one from the analysis are generations.
        const std::string fresh = wordsim::FreshNormalDot(c.word);
        EXPECT_EQ((std::vector<std::string>{users, "left by an earlier run", fresh}), Kept(aside));
        EXPECT_EQ(fresh, Text(install.normalDot));
        for (const std::string& path : machine.FilesBelow(install.userTemplates)) machine.DeleteFile(path);
    }
}

TEST_F(EngineGenerations, ASecondRunLosesNoneOfTheFirstRunsBackups) {
    InstallWord(Version::Word2003, {Component::NormalDot, Component::Options});
    const std::string optionsKey = OfficeKey("11.0", "Word\\Options");
    const engine::RegFile usersOptions = Tree(optionsKey);
    const std::string usersTemplate = Text(install.normalDot);
    const std::string aside = install.userTemplates + "\\0Normal.dot";

    auto first = NewRun(engine::kWord2003);
    wizards::frmBackup& f1 = first->AutomaticRepair();
    EXPECT_EQ("Options Fixed", f1.lblOptionsFixed.Caption());
    EXPECT_EQ("Default Template Fixed", f1.lbltemplateFixed.Caption());
    EXPECT_EQ(0, GenerationSaving(kOptionsReg, usersOptions));
    const engine::RegFile wordsOptions = Tree(optionsKey);  // rebuilt by Word
    ASSERT_NE("", engine::DescribeRegDifference(usersOptions, wordsOptions));

    auto second = NewRun(engine::kWord2003);
    wizards::frmBackup& f2 = second->AutomaticRepair();
    EXPECT_EQ("Options OK!", f2.lblOptionsFixed.Caption());
    EXPECT_EQ("Default Template OK!", f2.lbltemplateFixed.Caption());

    // The second run's backups are of what Word rebuilt; the user's own live on.
    EXPECT_EQ(0, GenerationSaving(kOptionsReg, wordsOptions));
    EXPECT_GT(GenerationSaving(kOptionsReg, usersOptions), 0);
    const std::vector<std::string> templates = Kept(aside);
    EXPECT_NE(templates.end(), std::find(templates.begin() + 1, templates.end(), usersTemplate));
    EXPECT_TRUE(first->host.Boxes().empty());
    EXPECT_TRUE(second->host.Boxes().empty());
}

TEST_F(EngineGenerations, AnAddinRenamedOntoAnOlderBackupKeepsBoth) {
    struct Case {
        const char* working;
        const char* backup;
        const char* generation;
    } cases[] = {
        {"Tools.dot", "Tools.wbt", "Tools.wbt.1"},
        {"Macros.wll", "Macros.wbl", "Macros.wbl.1"},
    };
    InstallWord(Version::Word2003);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.working);
        auto run = NewRun(engine::kWord2003);
        auto profile = engine::SelectWordProfile(run->program);
        const std::string working = std::string(kStartup) + "\\" + c.working;
        const std::string backup = std::string(kStartup) + "\\" + c.backup;
        const std::string generation = std::string(kStartup) + "\\" + c.generation;
        const std::string addin = Text(working);
        machine.WriteFileText(backup, "an older backup");

        profile->RenameAddins();
        EXPECT_FALSE(machine.Exists(working));
        EXPECT_EQ(addin, Text(backup));
        EXPECT_EQ("an older backup", Text(generation));

        // The generation is no add-in: it is not put back, so Word never loads it.
        profile->RestoreAddins();
        EXPECT_EQ(addin, Text(working));
        EXPECT_FALSE(machine.Exists(backup));
        EXPECT_EQ("an older backup", Text(generation));
        EXPECT_FALSE(machine.Exists(engine::GenerationName(working, 1)));
        machine.DeleteFile(generation);
    }
    // A user's add-in whose name looks like a generation is the user's: X.1.dot
    // beside X.dot and a leftover X.wbt. Making room for X.wbt never moves this
    // run's X.1.wbt, and each add-in comes back with its own bytes.
    const std::string x = std::string(kStartup) + "\\X";
    machine.WriteFileText(x + ".1.dot", "X.1's macros");
    machine.WriteFileText(x + ".dot", "X's macros");
    machine.WriteFileText(x + ".wbt", "a leftover");
    auto word = Select(engine::kWord2003);
    word->RenameAddins();
    EXPECT_EQ("X.1's macros", Text(x + ".1.wbt"));
    word->RestoreAddins();
    EXPECT_EQ((std::vector<std::string>{"X.1's macros", "X's macros"}), (std::vector{Text(x + ".1.dot"), Text(x + ".dot")}));
    EXPECT_EQ((std::vector<std::string>{"a leftover"}), Kept(x + ".wbt"));
    EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(EngineGenerations, EveryDifferentBackupIsKeptAndAnIdenticalOneAddsNothing) {
    EXPECT_EQ("C:\\T\\0Normal.dot.3", engine::GenerationName("C:\\T\\0Normal.dot", 3));
    // Seven runs, each renaming a new Normal.dot aside, the last two alike;
    // a read-only earlier backup moves like any other.
    InstallWord(Version::Word2003);
    const std::string aside = install.userTemplates + "\\0Normal.dot";
    for (int version : {1, 2, 3, 4, 5, 6, 6}) {
        machine.WriteFileText(install.normalDot, "template " + std::to_string(version));
        auto run = NewRun(engine::kWord2003);
        engine::SelectWordProfile(run->program)->RenameTemplate();
        EXPECT_FALSE(machine.Exists(install.normalDot));
        if (version == 1) machine.SetFileAttributes(aside, os::AttrReadOnly);
    }
    EXPECT_EQ((std::vector<std::string>{"template 6", "template 1", "template 2", "template 3", "template 4",
                                        "template 5"}),
              Kept(aside));
    machine.WriteFileText(aside + ".01", "no generation of it");
    EXPECT_EQ(6u, engine::KeptFiles(machine, aside).size());
}

TEST_F(EngineGenerations, NothingMovesUntilTheNewBackupIsChecked) {
    struct Case {
        const char* name;
        const char* method;  // fails from its first call on
        uint32_t code;
    } cases[] = {
        {"the write fails", "WriteFile", os::err::DiskFull},
        {"the read-back fails", "ReadFile", os::err::AccessDenied},
        {"the earlier file is held", "MoveFile", os::err::SharingViolation},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qvxtest::ScriptedUser user;
        engine::Program run{platform::Services{machine, user}};
        InstallWord(Version::Word2003);
        run.WordProgramFolder = install.programFolder;
        run.CurrentWordVersion = engine::kWord2003;
        machine.WriteFileText(kOptionsReg, "an earlier backup");
        machine.FailCall(c.method, 1, c.code, 1 << 30);
        auto profile = engine::SelectWordProfile(run);
        profile->OptionsBackup();
        profile->OptionsRemove();
        machine.ClearFaults();
        EXPECT_TRUE(KeyExists(OfficeKey("11.0", "Word\\Options"))) << "no backup, so kept";
        EXPECT_EQ((std::vector<std::string>{"an earlier backup"}), Kept(kOptionsReg));
        EXPECT_EQ(1u, machine.FilesBelow("C:\\Tools\\Fix").size()) << "no temporary file left";
        EXPECT_EQ(1u, user.Boxes().size());
    }
}

TEST_F(EngineGenerations, WithinARunTheUsersOwnRegistryBackupWins) {
    enum class Then { Nothing, UserValueGone, WordRebuilds };
    struct Case {
        const char* name;
        bool keyThereAtFirst;
        Then between;  // what happens after the first backup
        int laterAt;   // where the key as at the second backup is kept
        bool restoreImports;
    } cases[] = {
        {"unchanged: one file", true, Then::Nothing, 0, true},
        {"a value the user had is gone", true, Then::UserValueGone, 1, true},
        {"the key was absent and Word rebuilt it", false, Then::WordRebuilds, 0, false},
    };
    const std::string key = OfficeKey("11.0", "Word\\Options");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine::Program run{platform::Services{machine, host}};
        InstallWord(Version::Word2003);
        run.WordProgramFolder = install.programFolder;
        run.CurrentWordVersion = engine::kWord2003;
        auto profile = engine::SelectWordProfile(run);
        Put(key, "Mine", "the user's");
        if (!c.keyThereAtFirst) engine::DeleteRegTree(machine, os::HKeyCurrentUser, key);
        const engine::RegFile first = c.keyThereAtFirst ? Tree(key) : engine::RegFile{};

        profile->OptionsBackup();
        if (c.between == Then::UserValueGone) Unset(key, "Startup-Path");
        if (c.between == Then::WordRebuilds) {
            ASSERT_TRUE(profile->WordStartNormal());
        }
        const engine::RegFile later = Tree(key);
        profile->OptionsBackup();  // the repair pass backs up again
        profile->OptionsRemove();
        EXPECT_FALSE(KeyExists(key)) << "saved, so removed";
        if (c.keyThereAtFirst) {
            EXPECT_EQ(0, GenerationSaving(kOptionsReg, first));
        }
        EXPECT_EQ(c.laterAt, GenerationSaving(kOptionsReg, later));
        EXPECT_EQ(c.laterAt == 1, machine.Exists(engine::GenerationName(kOptionsReg, 1)));

        profile->OptionsRestore();
        if (c.restoreImports) {
            EXPECT_EQ("", engine::DescribeRegDifference(first, Tree(key))) << "the original, not the later copy";
        } else {
            EXPECT_FALSE(KeyExists(key)) << "absent at first, so nothing is imported";
        }
        for (const std::string& file : engine::KeptFiles(machine, kOptionsReg)) machine.DeleteFile(file);
    }
    EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(EngineGenerations, RestoresReadOnlyTheBackupNames) {
    InstallWord(Version::Word2002);
    const std::string aside = install.userTemplates + "\\0Normal.dot";
    const std::string dataReg = "C:\\Tools\\FixData.reg";
    const std::string dataKey = OfficeKey("10.0", "Word\\Data");
    const std::string users = Text(install.normalDot);
    machine.WriteFileText(aside, "an earlier backup");
    machine.WriteFileText(dataReg, "an earlier Data.reg, not even a registry file");
    const engine::RegFile data = Tree(dataKey);

    auto profile = Select(engine::kWord2002);
    profile->DataBackup();
    profile->DataRemove();
    profile->RenameTemplate();
    EXPECT_EQ("an earlier Data.reg, not even a registry file", Text(engine::GenerationName(dataReg, 1)))
        << "beside the program's folder, like its backup";
    EXPECT_EQ("an earlier backup", Text(engine::GenerationName(aside, 1)));

    profile->DataRestore();
    profile->RestoreTemplate();
    EXPECT_EQ("", engine::DescribeRegDifference(data, Tree(dataKey)));
    EXPECT_EQ(users, Text(install.normalDot));
    EXPECT_FALSE(machine.Exists(aside));
    EXPECT_EQ("an earlier backup", Text(engine::GenerationName(aside, 1)));
    EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(EngineGenerations, PuttingBackNeverReplacesAFileThisRunDidNotPutAside) {
    InstallWord(Version::Word2003);
    const std::string aside = install.userTemplates + "\\0Normal.dot";
    const std::string tools = std::string(kStartup) + "\\Tools.dot";
    machine.WriteFileText(aside, "an earlier run's template");
    machine.WriteFileText(std::string(kStartup) + "\\Tools.wbt", "an earlier run's Tools");
    const std::string current = Text(install.normalDot);
    const std::string currentTools = Text(tools);

    auto profile = Select(engine::kWord2003);
    profile->RestoreTemplate();
    profile->RestoreAddins();
    EXPECT_EQ(current, Text(install.normalDot));
    EXPECT_EQ("an earlier run's template", Text(aside));
    EXPECT_EQ(currentTools, Text(tools));
    EXPECT_EQ("an earlier run's Tools", Text(std::string(kStartup) + "\\Tools.wbt"));
    EXPECT_TRUE(machine.Exists(std::string(kStartup) + "\\Macros.wll"));
    EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(EngineGenerations, ABackupThatCannotMoveAsideKeepsTheFileInPlace) {
    struct Case {
        const char* version;
        Version word;
        // Word 2002 asks whether to try again, once for each candidate that
        // names the folder (UserTemplates and Application Data here).
        int questions;
    } cases[] = {{engine::kWord2002, Version::Word2002, 2}, {engine::kWord2003, Version::Word2003, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        qvxtest::ScriptedUser user;
        engine::Program run{platform::Services{machine, user}};
        InstallWord(c.word);
        run.WordProgramFolder = install.programFolder;
        run.CurrentWordVersion = c.version;
        const std::string aside = install.userTemplates + "\\0Normal.dot";
        const std::string users = Text(install.normalDot);
        machine.WriteFileText(aside, "an earlier backup");
        // Open elsewhere without leave to delete: it cannot be renamed.
        os::UniqueHandle held(machine, machine.CreateFile(aside, os::GenericRead, os::ShareRead, os::OpenExisting));
        ASSERT_TRUE(held);
        user.QueueAnswer(forms::vbYes);
        engine::SelectWordProfile(run)->RenameTemplate();

        EXPECT_EQ(users, Text(install.normalDot));
        EXPECT_EQ("an earlier backup", Text(aside));
        EXPECT_EQ((std::vector<std::string>{"an earlier backup"}), Kept(aside));
        EXPECT_FALSE(machine.Exists(aside + ".new"));
        EXPECT_EQ(size_t(c.questions), user.Boxes().size());
        EXPECT_FALSE(user.Ended());
    }
}

}  // namespace
