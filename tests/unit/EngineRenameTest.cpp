// Renaming the Startup add-ins and Normal.dot aside and back, and the two
// recoveries, on the emulated machine with the simulated Word.
#include "EngineWorld.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using enginetest::EngineWorld;
using enginetest::kComKey;
using enginetest::OfficeKey;
using wordsim::Version;

constexpr char kStartup[] = "C:\\Users\\Ann\\AppData\\Roaming\\Microsoft\\Word\\STARTUP";
constexpr char kRenFileMessage[] =
    "The Word Normal.dot default template appears to be in use. Please close down any open Word documents and "
    "reboot the computer before trying this program again. Thank you.";
constexpr char kRenNormalMessage[] =
    "Word's Default Template appears to be in use. Please close any open Word documents and reboot the computer "
    "before running this program again. Thanks.";

class EngineRename : public EngineWorld {
protected:
    // Every file below a folder with its content.
    std::map<std::string, std::string> Files(const std::string& folder) {
        std::map<std::string, std::string> files;
        for (const std::string& path : machine.FilesBelow(folder)) files[path] = Text(path);
        return files;
    }
    std::string In(const std::string& folder, const std::string& name) { return folder + "\\" + name; }
};

TEST_F(EngineRename, AddinsGoAsideAndComeBackWithTheirContent) {
    struct Case {
        const char* version;
        Version word;
        std::vector<std::string> addins;
        std::vector<std::string> aside;
    } cases[] = {
        {engine::kWord2002, Version::Word2002, {"Tools.dot", "Macros.wll"}, {"Macros.wbl", "Tools.wbt"}},
        {engine::kWord2003, Version::Word2003, {"Tools.dot", "Letters.dot"}, {"Letters.wbt", "Tools.wbt"}},
        // Every kind Word 2007 and later load keeps its whole name; others stay.
        {engine::kWord2016, Version::Word2016, {"Tools.dotm", "Macros.wll", "Letter.dotx", "Old.DOT", "Notes.txt"},
         {"Letter.dotx.qvxoff", "Macros.wll.qvxoff", "Notes.txt", "Old.DOT.qvxoff", "Tools.dotm.qvxoff"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        options.startupAddins = c.addins;
        InstallWord(c.word);
        const auto original = Files(kStartup);
        auto profile = Select(c.version);
        const int yields = host.Yields();
        profile->RenameAddins();
        const auto renamed = std::count_if(c.aside.begin(), c.aside.end(), [](auto& n) { return !n.ends_with(".txt"); });
        EXPECT_EQ(yields + 18 * int(renamed), host.Yields());
        std::map<std::string, std::string> expected;
        for (const std::string& name : c.aside) {
            const bool suffixed = name.ends_with(".qvxoff"), plain = name.ends_with(".txt");
            const std::string working = suffixed ? name.substr(0, name.size() - 7)
                                        : plain  ? name
                                                 : name.substr(0, name.size() - 3) + (name.back() == 't' ? "dot" : "wll");
            expected[In(kStartup, name)] = original.at(In(kStartup, working));
        }
        EXPECT_EQ(expected, Files(kStartup));
        profile->RestoreAddins();
        EXPECT_EQ(original, Files(kStartup));
        EXPECT_TRUE(host.Boxes().empty());
        for (const std::string& path : machine.FilesBelow(kStartup)) machine.DeleteFile(path);
    }
}

TEST_F(EngineRename, OnlyTheLongNamesExactExtensionMakesAnAddin) {
    // "*.dot" also lists these through their short names (ADDIN~1.DOT).
    const std::vector<std::string> others = {"Report.dotx", "Addin.dotm", "Old.wbtx", "Notes.dot.txt", "Lib.wlll"};
    options.startupAddins = others;
    options.startupAddins.insert(options.startupAddins.end(), {"Upper.DOT", "Macros.Wll"});
    InstallWord(Version::Word2003);
    const auto original = Files(kStartup);
    auto profile = Select(engine::kWord2003);
    profile->RenameAddins();
    for (const std::string& name : others) EXPECT_EQ(original.at(In(kStartup, name)), Text(In(kStartup, name)));
    EXPECT_EQ(original.at(In(kStartup, "Upper.DOT")), Text(In(kStartup, "Upper.wbt")));
    EXPECT_EQ(original.at(In(kStartup, "Macros.Wll")), Text(In(kStartup, "Macros.wbl")));
    EXPECT_EQ(original.size(), Files(kStartup).size());
    profile->RestoreAddins();
    EXPECT_EQ(original.size(), Files(kStartup).size());
    EXPECT_EQ(original.at(In(kStartup, "Upper.DOT")), Text(In(kStartup, "Upper.dot")));
    for (const std::string& name : others) EXPECT_EQ(original.at(In(kStartup, name)), Text(In(kStartup, name)));
}

TEST_F(EngineRename, EmptyFolderTextsNeverReachTheDriveRoot) {
    InstallWord(Version::Word2003);
    const std::string optionsKey = OfficeKey("11.0", "Word\\Options");
    Unset(optionsKey, "Startup-Path");
    machine.WriteFileText("C:\\Root.dot", "root template");
    machine.WriteFileText("C:\\Root.wll", "root add-in");
    machine.WriteFileText("C:\\Normal.dot", "root normal");
    auto profile = Select(engine::kWord2003);

    // Without Startup-Path, Word's own default Startup folder is the one.
    profile->RenameAddins();
    EXPECT_TRUE(machine.Exists(In(kStartup, "Tools.wbt")));
    EXPECT_TRUE(machine.Exists(In(kStartup, "Macros.wbl")));

    // No folder can be named at all.
    for (const char* name : {"UserTemplates", "SharedTemplates"})
        Unset(OfficeKey("11.0", "Common\\General"), name);
    Unset(optionsKey, "Programdir");
    machine.FailCall("GetSpecialFolderPath", 1, os::err::FileNotFound, 10);
    profile->RestoreAddins();
    profile->RenameAddins();
    profile->RenameTemplate();
    machine.ClearFaults();

    EXPECT_EQ("root template", Text("C:\\Root.dot"));
    EXPECT_EQ("root add-in", Text("C:\\Root.wll"));
    EXPECT_EQ("root normal", Text("C:\\Normal.dot"));
    EXPECT_FALSE(machine.Exists("C:\\Root.wbt"));
    EXPECT_FALSE(machine.Exists("C:\\0Normal.dot"));
    EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(EngineRename, BothStartupValuesAreFoldersAndTrailingBackslashesDoNotDouble) {
    InstallWord(Version::Word2002);
    const std::string optionsKey = OfficeKey("10.0", "Word\\Options");
    Put(optionsKey, "Startup-Path", std::string(kStartup) + "\\");
    Put(optionsKey, "\\Startup", "C:\\Extra");
    machine.WriteFileText("C:\\Extra\\Extra.dot", "extra");
    std::vector<std::string> copies;
    machine.SetCallObserver([&](const std::string& method, const std::string& subject) {
        if (method == "CopyFile") copies.push_back(subject);
    });
    Select(engine::kWord2002)->RenameAddins();
    machine.SetCallObserver(nullptr);
    EXPECT_EQ((std::vector<std::string>{In(kStartup, "Tools.dot"), In(kStartup, "Macros.wll"), "C:\\Extra\\Extra.dot"}),
              copies);
    EXPECT_EQ("extra", Text("C:\\Extra\\Extra.wbt"));
    EXPECT_TRUE(machine.Exists(In(kStartup, "Tools.wbt")));
}

TEST_F(EngineRename, AFileWhoseCopyIsMissingIsNeverDeleted) {
    struct Case {
        const char* name;
        const char* version;
        int failedCopies;
        std::vector<int> answers;
        bool renamed;
        int questions;
    } cases[] = {
        {"Word 2002, No", engine::kWord2002, 1, {forms::vbNo}, false, 1},
        {"Word 2002, Yes and the copy lands", engine::kWord2002, 1, {forms::vbYes}, true, 1},
        {"Word 2002, Yes and the copy fails again", engine::kWord2002, 2, {forms::vbYes}, false, 1},
        {"Word 2003", engine::kWord2003, 1, {}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qvxtest::ScriptedUser user;
        engine::Program run{platform::Services{machine, user}};
        InstallWord(std::string(c.version) == engine::kWord2002 ? Version::Word2002 : Version::Word2003);
        run.WordProgramFolder = install.programFolder;
        run.CurrentWordVersion = c.version;
        // An older Tools.wbt is in the way: it moves to a generation only for a
        // copy that can land.
        machine.WriteFileText(In(kStartup, "Tools.wbt"), "an older backup");
        const std::string tools = Text(In(kStartup, "Tools.dot"));
        for (int answer : c.answers) user.QueueAnswer(answer);
        machine.FailCall("CopyFile", 1, os::err::AccessDenied, c.failedCopies, "Tools.dot");
        engine::SelectWordProfile(run)->RenameAddins();
        machine.ClearFaults();

        EXPECT_EQ(!c.renamed, machine.Exists(In(kStartup, "Tools.dot")));
        EXPECT_EQ(c.renamed ? tools : "an older backup", Text(In(kStartup, "Tools.wbt")));
        EXPECT_EQ(c.renamed ? "an older backup" : "<missing>", Text(In(kStartup, "Tools.wbt.1")));
        EXPECT_TRUE(machine.Exists(In(kStartup, "Macros.wbl"))) << "the next file goes on";
        ASSERT_EQ(size_t(c.questions), user.Boxes().size());
        if (c.questions > 0) {
            EXPECT_EQ("Quorvex could not copy the file to:\r\n\r\n" + In(kStartup, "Tools.wbt") +
                          "\r\n\r\nTry again?",
                      user.Boxes()[0].text);
            EXPECT_EQ(forms::vbYesNo | forms::vbQuestion, user.Boxes()[0].style);
            EXPECT_EQ("Quorvex", user.Boxes()[0].caption);
        }
        for (const std::string& path : machine.FilesBelow(kStartup)) machine.DeleteFile(path);
    }
}

TEST_F(EngineRename, ANewerWordsTemplateThatCannotGoAsideIsToldByItsOwnName) {
    InstallWord(Version::Word2016);
    machine.FailCall("CopyFile", 1, os::err::AccessDenied, 1, "Normal.dotm");
    Select(engine::kWord2016)->RenameTemplate();
    EXPECT_EQ(0u, engine::ResultLine(program.Run, engine::RunRecord::Part::Template, engine::Done::Reset, "")
                      .rfind("Normal.dotm could not be reset: ", 0));
}

// --- Normal.dot ---

class EngineNormal : public EngineRename {
protected:
    void SetUp() override {
        InstallWord(Version::Word2003);
        // The install's own Normal.dot is not among the candidates of these tests.
        machine.DeleteFile(install.normalDot);
        Put(general, "UserTemplates", "C:\\Templates\\");
        Put(general, "SharedTemplates", "C:\\Shared");
        Put(optionsKey, "Programdir", "C:\\Office\\");
        profile = Select(engine::kWord2003);
    }

    const std::string general = OfficeKey("11.0", "Common\\General");
    const std::string optionsKey = OfficeKey("11.0", "Word\\Options");
    std::shared_ptr<engine::clsWD> profile;
};

TEST_F(EngineNormal, EachCandidateHasOneBackslashBeforeNormalDot) {
    machine.WriteFileText("C:\\Templates\\Normal.dot", "user normal");
    machine.WriteFileText("C:\\Shared\\Normal.dot", "shared normal");
    profile->RenameTemplate();
    EXPECT_EQ("user normal", Text("C:\\Templates\\0Normal.dot"));
    EXPECT_EQ("shared normal", Text("C:\\Shared\\0Normal.dot"));
    EXPECT_FALSE(machine.Exists("C:\\Templates\\Normal.dot"));
    profile->RestoreTemplate();
    EXPECT_EQ("user normal", Text("C:\\Templates\\Normal.dot"));
    EXPECT_FALSE(machine.Exists("C:\\Templates\\0Normal.dot"));
}

TEST_F(EngineNormal, TheProgramFolderIsTriedTwiceButRenamedOnce) {
    machine.WriteFileText("C:\\Office\\Normal.dot", "program normal");
    std::vector<std::string> reads, copies;
    bool freshOpen = false;
    machine.SetCallObserver([&](const std::string& method, const std::string& subject) {
        if (method == "RegOpenKeyEx") freshOpen = true;
        if (method == "RegQueryValueEx" && freshOpen) {
            reads.push_back(subject.substr(subject.rfind('\\') + 1));
            freshOpen = false;
        }
        if (method == "GetSpecialFolderPath" && subject == std::to_string(os::CsidlAppData))
            reads.push_back("Application Data");
        if (method == "CopyFile") copies.push_back(subject);
    });
    profile->RenameTemplate();
    machine.SetCallObserver(nullptr);
    EXPECT_EQ((std::vector<std::string>{"UserTemplates", "SharedTemplates", "Programdir", "Programdir",
                                        "Application Data"}),
              reads);
    EXPECT_EQ(std::vector<std::string>{"C:\\Office\\Normal.dot"}, copies);
    EXPECT_EQ("program normal", Text("C:\\Office\\0Normal.dot"));
    EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(EngineNormal, NoNormalDotAnywhereChangesNothing) {
    const auto before = machine.FilesBelow("C:\\");
    profile->RenameTemplate();
    profile->RestoreTemplate();
    EXPECT_EQ(before, machine.FilesBelow("C:\\"));
    EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(EngineNormal, AnOlderBackupBecomesAGenerationAndWordsFreshCopyGivesWayOnRestore) {
    machine.WriteFileText("C:\\Templates\\0Normal.dot", "left from an earlier run");
    machine.WriteFileText("C:\\Templates\\Normal.dot", "the user's macros");
    profile->RenameTemplate();
    EXPECT_EQ("the user's macros", Text("C:\\Templates\\0Normal.dot"));
    EXPECT_EQ("left from an earlier run", Text("C:\\Templates\\0Normal.dot.1"));
    ASSERT_TRUE(profile->WordStartNormal());
    EXPECT_EQ(wordsim::FreshNormalDot(Version::Word2003), Text("C:\\Templates\\Normal.dot"));
    profile->RestoreTemplate();
    EXPECT_EQ("the user's macros", Text("C:\\Templates\\Normal.dot"));
    EXPECT_FALSE(machine.Exists("C:\\Templates\\0Normal.dot"));
    EXPECT_EQ("left from an earlier run", Text("C:\\Templates\\0Normal.dot.1")) << "the restore reads only 0Normal.dot";
}

TEST_F(EngineNormal, ACandidateThatCannotBeTestedIsToldAndTheNextOneRenamed) {
    machine.WriteFileText("C:\\Templates\\Normal.dot", "user normal");
    machine.WriteFileText("C:\\Office\\Normal.dot", "program normal");
    machine.FailCall("GetFileAttributes", 1, os::err::AccessDenied, 1, "Templates\\Normal.dot");
    profile->RenameTemplate();
    machine.ClearFaults();
    ASSERT_EQ(2u, host.Boxes().size());
    EXPECT_EQ(kRenNormalMessage, host.Boxes()[0].text);
    EXPECT_EQ(forms::vbOKOnly, host.Boxes()[0].style);
    EXPECT_EQ(machine.FormatMessage(os::err::AccessDenied) + "\r\n\r\nC:\\Templates\\Normal.dot\r\n",
              host.Boxes()[1].text);
    EXPECT_EQ(forms::vbOKOnly | forms::vbInformation, host.Boxes()[1].style);
    EXPECT_EQ("Quorvex", host.Boxes()[1].caption);
    EXPECT_EQ("user normal", Text("C:\\Templates\\Normal.dot"));
    EXPECT_EQ("program normal", Text("C:\\Office\\0Normal.dot"));
    EXPECT_FALSE(host.Ended());

    // A failure that never goes away is told once per candidate, not without end.
    machine.FailCall("GetFileAttributes", 1, os::err::AccessDenied, 1000, "Normal.dot");
    profile->RestoreTemplate();
    machine.ClearFaults();
    EXPECT_EQ(2u + 2 * 5, host.Boxes().size());
}

// --- The recovery of a file that cannot be renamed ---

class EngineRecovery : public EngineWorld {
protected:
    // Disables everything as the automatic wizard does before Normal.dot.
    void DisableAllButNormal(const char* version, Version word) {
        InstallWord(word);
        auto profile = Select(version);
        for (const char* name : {"Word\\Data", "Word\\Options"}) before[name] = Tree(OfficeKey(office(), name));
        before["COM"] = Tree(kComKey);
        addins = machine.FilesBelow(kStartup);
        profile->COMBackup(), profile->DataBackup(), profile->OptionsBackup();
        profile->RenameAddins();
        profile->COMRemove(), profile->DataRemove(), profile->OptionsRemove();
        ASSERT_FALSE(KeyExists(kComKey));
    }
    const char* office() const { return options.version == Version::Word2002 ? "10.0" : "11.0"; }

    void ExpectEverythingButNormalBack() {
        EXPECT_EQ("", engine::DescribeRegDifference(before["COM"], Tree(kComKey)));
        for (const char* name : {"Word\\Data", "Word\\Options"})
            EXPECT_EQ("", engine::DescribeRegDifference(before[name], Tree(OfficeKey(office(), name)))) << name;
    }

    void HeldNormalDot(const char* version, Version word) {
        DisableAllButNormal(version, word);
        auto profile = program.CurrentWordProfile;
        const std::string normal = Text(install.normalDot);
        // Word holds Normal.dot: it can be read but not deleted.
        os::UniqueHandle held(machine, machine.CreateFile(install.normalDot, os::GenericRead, os::ShareRead,
                                                          os::OpenExisting));
        ASSERT_TRUE(held);

        EXPECT_THROW(profile->RenameTemplate(), forms::ProgramEnded);
        EXPECT_TRUE(host.Ended());
        ASSERT_EQ(1u, host.Boxes().size());
        EXPECT_EQ(kRenFileMessage, host.Boxes()[0].text);
        EXPECT_EQ(forms::vbOKOnly, host.Boxes()[0].style);
        EXPECT_EQ("Quorvex", host.Boxes()[0].caption);
        ExpectEverythingButNormalBack();
        EXPECT_EQ(addins, machine.FilesBelow(kStartup)) << "the add-ins are back";
        EXPECT_EQ(normal, Text(install.normalDot));
        EXPECT_EQ(normal, Text(install.userTemplates + "\\0Normal.dot")) << "the copy stays beside it";
    }

    std::map<std::string, engine::RegFile> before;
    std::vector<std::string> addins;
};

TEST_F(EngineRecovery, ANormalDotHeldOpenPutsEverythingBackAndEndsWord2002) {
    HeldNormalDot(engine::kWord2002, Version::Word2002);
}

TEST_F(EngineRecovery, ANormalDotHeldOpenPutsEverythingBackAndEndsWord2003) {
    HeldNormalDot(engine::kWord2003, Version::Word2003);
}

TEST_F(EngineRecovery, AFailureInsideTheRecoveryDoesNotStartItAgain) {
    DisableAllButNormal(engine::kWord2003, Version::Word2003);
    auto profile = program.CurrentWordProfile;
    const std::string toolsAside = std::string(kStartup) + "\\Tools.wbt";
    const std::string tools = Text(toolsAside);
    os::UniqueHandle heldNormal(machine, machine.CreateFile(install.normalDot, os::GenericRead, os::ShareRead,
                                                            os::OpenExisting));
    os::UniqueHandle heldTools(machine, machine.CreateFile(toolsAside, os::GenericRead, os::ShareRead,
                                                           os::OpenExisting));

    EXPECT_THROW(profile->RenameTemplate(), forms::ProgramEnded);
    EXPECT_EQ(std::vector<std::string>{kRenFileMessage}, BoxTexts());
    ExpectEverythingButNormalBack();
    // Nothing lost: the held add-in keeps its renamed copy beside the restored one.
    EXPECT_EQ(tools, Text(toolsAside));
    EXPECT_EQ(tools, Text(std::string(kStartup) + "\\Tools.dot"));
    EXPECT_TRUE(machine.Exists(std::string(kStartup) + "\\Macros.wll"));
}

}  // namespace
