// The Word profiles on the machine under test: natively the emulated machine,
// under Wine the real registry and real files. The profiles' keys are fixed
// (HKEY_CURRENT_USER\Software\Microsoft\Office\...), so every test saves that
// branch first and puts it back as it was; the backup files beside the test
// program are put back too. All tests that change the Office branch live in
// this one program, so they never run at the same time.
#include "engine/EnginePaths.h"
#include "engine/FileIo.h"
#include "engine/Generations.h"
#include "engine/Program.h"
#include "engine/RegFile.h"
#include "engine/RegTree.h"
#include "engine/Selection.h"
#include "engine/WordVersions.h"
#include "os/Handles.h"
#include "support/Poll.h"
#include "support/ScriptedUser.h"
#include "support/TestMachine.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char kOffice[] = "Software\\Microsoft\\Office";
constexpr char kComKey[] = "Software\\Microsoft\\Office\\Word\\Addins";

class WordProfileOnMachine : public ::testing::Test {
protected:
    void SetUp() override {
        machine_ = qvxtest::TestMachine::Create();
        officeExisted_ = engine::ReadRegTree(api(), os::HKeyCurrentUser, kOffice, &office_) == os::err::Success;
        const std::string own = engine::OwnFolder(api());
        for (const std::string& base : {own + "Data.reg", own + "\\COM.reg", own + "\\Options.reg"}) {
            // The name, its first generations and a temporary name a test may leave.
            for (int n = 0; n <= 3; ++n) {
                const std::string file = n == 0 ? base : n == 3 ? base + ".new" : engine::GenerationName(base, n);
                std::string bytes;
                backupFiles_[file] = engine::ReadWholeFile(api(), file, &bytes) == os::err::Success
                                         ? std::optional(bytes)
                                         : std::nullopt;
            }
        }
        program_ = std::make_unique<engine::Program>(platform::Services{api(), host_});
    }

    void TearDown() override {
        program_.reset();
        engine::DeleteRegTree(api(), os::HKeyCurrentUser, kOffice);
        if (officeExisted_) engine::ApplyRegFile(api(), office_);
        for (const auto& [file, bytes] : backupFiles_) {
            if (bytes) {
                engine::WriteWholeFile(api(), file, *bytes);
            } else {
                api().DeleteFile(file);
            }
        }
        machine_.reset();
    }

    os::Api& api() { return machine_->Api(); }
    std::string Scratch(const std::string& name) const { return machine_->ScratchDir() + name; }

    std::shared_ptr<engine::clsWD> Select(const char* version) {
        program_->CurrentWordVersion = version;
        return engine::SelectWordProfile(*program_);
    }

    void Put(const std::string& key, const std::string& name, uint32_t type, const std::vector<uint8_t>& data) {
        os::HKey raw = 0;
        ASSERT_EQ(0, api().RegCreateKeyEx(os::HKeyCurrentUser, key, os::KeyAllAccess, &raw, nullptr)) << key;
        os::UniqueKey owner(api(), raw);
        std::vector<uint8_t> buffer(data);
        buffer.push_back(0xFF);  // never a terminator the value did not ask for
        ASSERT_EQ(0, api().RegSetValueEx(raw, name, type, buffer.data(), static_cast<uint32_t>(data.size())));
    }
    void PutText(const std::string& key, const std::string& name, const std::string& text) {
        std::vector<uint8_t> data(text.begin(), text.end());
        data.push_back(0);
        Put(key, name, os::RegSz, data);
    }
    bool KeyExists(const std::string& key) {
        os::HKey raw = 0;
        if (api().RegOpenKeyEx(os::HKeyCurrentUser, key, os::KeyRead, &raw) != 0) return false;
        api().RegCloseKey(raw);
        return true;
    }
    engine::RegFile Tree(const std::string& key) {
        engine::RegFile tree;
        EXPECT_EQ(0, engine::ReadRegTree(api(), os::HKeyCurrentUser, key, &tree)) << key;
        return tree;
    }
    bool Exists(const std::string& path) { return api().PathFileExists(path); }
    std::string Read(const std::string& path) { return qvxtest::ReadTextFile(api(), path); }

    // A component as Word leaves it: text, numbers, binary data, lists,
    // an empty default value and keys below keys.
    void LayComponents(const char* office) {
        const std::string base = std::string(kOffice) + "\\" + office + "\\Word\\";
        Put(base + "Data", "Settings", os::RegBinary, {0x01, 0x00, 0xFE, 0x7F, 0x00, 0x10});
        Put(base + "Data", "", os::RegSz, {0});
        PutText(base + "Options", "Startup-Path", "C:\\Some Where\\STARTUP");
        Put(base + "Options", "AutoSave", os::RegDword, {10, 0, 0, 0});
        Put(base + "Options", "Recent", os::RegMultiSz, {'a', 0, 'b', 0, 0});
        Put(base + "Options", "Tools", os::RegExpandSz, {'%', 'T', '%', 0});
        PutText(std::string(kComKey) + "\\First.Connect", "FriendlyName", "First");
        Put(std::string(kComKey) + "\\First.Connect", "LoadBehavior", os::RegDword, {3, 0, 0, 0});
        PutText(std::string(kComKey) + "\\Second.Connect\\Deeper\\Deepest", "Note", "three levels down");
    }

    std::unique_ptr<qvxtest::TestMachine> machine_;
    qvxtest::ScriptedUser host_;
    std::unique_ptr<engine::Program> program_;
    bool officeExisted_ = false;
    engine::RegFile office_;
    std::map<std::string, std::optional<std::string>> backupFiles_;
};

TEST_F(WordProfileOnMachine, EachRegistryComponentComesBackValueForValue) {
    struct Component {
        const char* name;
        const char* rest;  // below Office\<version>, or empty for the COM add-ins
        void (engine::clsWD::*backup)();
        void (engine::clsWD::*remove)();
        void (engine::clsWD::*restore)();
    } components[] = {
        {"Data", "\\Word\\Data", &engine::clsWD::DataBackup, &engine::clsWD::DataRemove, &engine::clsWD::DataRestore},
        {"COM", "", &engine::clsWD::COMBackup, &engine::clsWD::COMRemove, &engine::clsWD::COMRestore},
        {"Options", "\\Word\\Options", &engine::clsWD::OptionsBackup, &engine::clsWD::OptionsRemove,
         &engine::clsWD::OptionsRestore},
    };
    for (auto [version, office] : {std::pair{engine::kWord2002, "10.0"}, std::pair{engine::kWord2003, "11.0"}}) {
        LayComponents(office);
        auto profile = Select(version);
        for (const Component& component : components) {
            SCOPED_TRACE(std::string(version) + " " + component.name);
            const std::string key = *component.rest ? std::string(kOffice) + "\\" + office + component.rest : kComKey;
            const engine::RegFile before = Tree(key);
            ((*profile).*component.backup)();
            ((*profile).*component.remove)();
            EXPECT_FALSE(KeyExists(key));
            ((*profile).*component.restore)();
            EXPECT_EQ("", engine::DescribeRegDifference(before, Tree(key)));
        }
    }
    EXPECT_TRUE(host_.Boxes().empty());
}

TEST_F(WordProfileOnMachine, AddinsAndNormalDotGoAsideAndComeBack) {
    const std::string startup = Scratch("Start Up");
    const std::string templates = Scratch("Templates");
    ASSERT_TRUE(api().CreateDirectory(startup));
    ASSERT_TRUE(api().CreateDirectory(templates));
    const std::map<std::string, std::string> addins = {{"Tools.dot", "tools"}, {"Macros.wll", "macros"},
                                                       {"Letters.dot", "letters"}};
    for (const auto& [name, content] : addins)
        ASSERT_TRUE(qvxtest::WriteTextFile(api(), startup + "\\" + name, content));
    ASSERT_TRUE(qvxtest::WriteTextFile(api(), templates + "\\Normal.dot", "the user's macros"));
    PutText("Software\\Microsoft\\Office\\11.0\\Word\\Options", "Startup-Path", startup);
    PutText("Software\\Microsoft\\Office\\11.0\\Common\\General", "UserTemplates", templates + "\\");

    auto profile = Select(engine::kWord2003);
    profile->RenameAddins();
    EXPECT_EQ("tools", Read(startup + "\\Tools.wbt"));
    EXPECT_EQ("letters", Read(startup + "\\Letters.wbt"));
    EXPECT_EQ("macros", Read(startup + "\\Macros.wbl"));
    for (const auto& [name, content] : addins) EXPECT_FALSE(Exists(startup + "\\" + name)) << name;
    profile->RenameTemplate();
    EXPECT_EQ("the user's macros", Read(templates + "\\0Normal.dot"));
    EXPECT_FALSE(Exists(templates + "\\Normal.dot"));

    profile->RestoreAddins();
    profile->RestoreTemplate();
    for (const auto& [name, content] : addins) EXPECT_EQ(content, Read(startup + "\\" + name)) << name;
    EXPECT_FALSE(Exists(startup + "\\Tools.wbt"));
    EXPECT_EQ("the user's macros", Read(templates + "\\Normal.dot"));
    EXPECT_FALSE(Exists(templates + "\\0Normal.dot"));
    EXPECT_TRUE(host_.Boxes().empty());
}

TEST_F(WordProfileOnMachine, ANormalDotThatCannotBeDeletedEndsTheRunWithEverythingElseBack) {
    const std::string templates = Scratch("Templates");
    ASSERT_TRUE(api().CreateDirectory(templates));
    const std::string normal = templates + "\\Normal.dot";
    ASSERT_TRUE(qvxtest::WriteTextFile(api(), normal, "the user's macros"));
    PutText("Software\\Microsoft\\Office\\10.0\\Common\\General", "UserTemplates", templates);
    LayComponents("10.0");
    const engine::RegFile options = Tree("Software\\Microsoft\\Office\\10.0\\Word\\Options");
    auto profile = Select(engine::kWord2002);
    profile->OptionsBackup();
    profile->OptionsRemove();
    ASSERT_FALSE(KeyExists("Software\\Microsoft\\Office\\10.0\\Word\\Options"));

    // Held as Word holds it: readable, not deletable.
    os::UniqueHandle held(api(), api().CreateFile(normal, os::GenericRead, os::ShareRead, os::OpenExisting));
    ASSERT_TRUE(held);
    EXPECT_THROW(profile->RenameTemplate(), forms::ProgramEnded);
    held.reset();

    ASSERT_EQ(1u, host_.Boxes().size());
    EXPECT_EQ(0u, host_.Boxes()[0].text.find("The Word Normal.dot default template appears to be in use."));
    EXPECT_EQ("", engine::DescribeRegDifference(options, Tree("Software\\Microsoft\\Office\\10.0\\Word\\Options")));
    EXPECT_EQ("the user's macros", Read(normal));
    EXPECT_EQ("the user's macros", Read(templates + "\\0Normal.dot"));
}

TEST_F(WordProfileOnMachine, EarlierBackupsBecomeGenerationsOnRealFiles) {
    const std::string templates = Scratch("Templates");
    ASSERT_TRUE(api().CreateDirectory(templates));
    const std::string normal = templates + "\\Normal.dot";
    const std::string aside = templates + "\\0Normal.dot";
    PutText("Software\\Microsoft\\Office\\11.0\\Common\\General", "UserTemplates", templates);
    LayComponents("11.0");
    const std::string optionsKey = "Software\\Microsoft\\Office\\11.0\\Word\\Options";
    const std::string optionsReg = engine::OwnFolder(api()) + "\\Options.reg";
    auto savedAt = [&](int n) {
        engine::RegFile saved;
        std::string bytes;
        const std::string file = n == 0 ? optionsReg : engine::GenerationName(optionsReg, n);
        EXPECT_EQ(0u, engine::ReadWholeFile(api(), file, &bytes)) << file;
        EXPECT_TRUE(engine::ParseRegFile(api(), bytes, &saved, nullptr)) << file;
        return saved;
    };

    // One run: the user's template keeps its name, Word's fresh one goes beside it.
    ASSERT_TRUE(qvxtest::WriteTextFile(api(), normal, "the user's macros"));
    auto profile = Select(engine::kWord2003);
    profile->OptionsBackup();
    profile->RenameTemplate();
    ASSERT_TRUE(qvxtest::WriteTextFile(api(), normal, "fresh from Word"));
    profile->RenameTemplate();
    EXPECT_EQ("the user's macros", Read(aside));
    EXPECT_EQ("fresh from Word", Read(templates + "\\0Normal.dot.1"));
    const engine::RegFile usersOptions = Tree(optionsKey);

    // The next run: its backups take the names, the earlier ones go to the first free generation.
    program_ = std::make_unique<engine::Program>(platform::Services{api(), host_});
    PutText(optionsKey, "Later", "changed since");
    profile = Select(engine::kWord2003);
    ASSERT_TRUE(qvxtest::WriteTextFile(api(), normal, "a later template"));
    profile->OptionsBackup();
    profile->RenameTemplate();
    EXPECT_EQ("a later template", Read(aside));
    EXPECT_EQ("fresh from Word", Read(templates + "\\0Normal.dot.1"));
    EXPECT_EQ("the user's macros", Read(templates + "\\0Normal.dot.2"));
    EXPECT_EQ((std::vector<std::string>{aside, templates + "\\0Normal.dot.1", templates + "\\0Normal.dot.2"}),
              engine::KeptFiles(api(), aside));
    EXPECT_EQ("", engine::DescribeRegDifference(Tree(optionsKey), savedAt(0)));
    EXPECT_EQ("", engine::DescribeRegDifference(usersOptions, savedAt(1)));

    // The restore reads the backup name only.
    profile->RestoreTemplate();
    EXPECT_EQ("a later template", Read(normal));
    EXPECT_FALSE(Exists(aside));
    EXPECT_EQ("the user's macros", Read(templates + "\\0Normal.dot.2"));
    EXPECT_TRUE(host_.Boxes().empty());
}

}  // namespace

#ifdef _WIN32

#include "os/win32/WinHeaders.h"
#include "wordsim/Installer.h"
#include "wordsim/WordSim.h"

#include <chrono>
#include <tuple>

namespace {

// The simulated Word laid into this test's scratch folder: every command line
// reaches winword.exe exactly as the profile built it.
class WordProfileWithWordSim : public WordProfileOnMachine {
protected:
    static std::string BinaryFolder() {
        std::string folder = WORDSIM_BIN_DIR;
        if (!folder.empty() && folder[0] == '/') folder = "Z:" + folder;
        for (char& c : folder) {
            if (c == '/') c = '\\';
        }
        return folder;
    }

    void Install(wordsim::Version version) {
        wordsim::InstallOptions options;
        options.version = version;
        options.programFolder = Scratch("Sim Office\\OFFICE");
        options.userTemplates = Scratch("Sim Templates");
        options.sharedTemplates = Scratch("Sim Shared");
        options.startupFolder = Scratch("Sim Startup");
        options.binarySource = BinaryFolder();
        install_ = wordsim::Install(api(), options);
        installed_ = true;
        ASSERT_TRUE(install_.ok) << install_.error;
        program_->WordProgramFolder = install_.programFolder;
    }

    void TearDown() override {
        if (installed_) {
            program_.reset();
            ::CoFreeUnusedLibrariesEx(0, 0);  // wordsim.dll cannot go while loaded
            wordsim::Uninstall(api(), install_);
        }
        WordProfileOnMachine::TearDown();
    }

    // Started programs that are not waited for log in their own time.
    std::vector<wordsim::LogEntry> LogOnceItHas(size_t entries) {
        std::vector<wordsim::LogEntry> log;
        qvxtest::WaitUntil([&] {
            log = wordsim::ReadLog(api(), install_.programFolder);
            return log.size() >= entries;
        }, std::chrono::seconds(30));
        return log;
    }

    wordsim::InstallResult install_;
    bool installed_ = false;
};

TEST_F(WordProfileWithWordSim, EveryCommandLineReachesWordExactly) {
    for (auto [version, word, support] :
         {std::tuple{engine::kWord2002, wordsim::Version::Word2002, "SUPPORT10.DOT"},
          std::tuple{engine::kWord2003, wordsim::Version::Word2003, "SUPPORT11.DOT"}}) {
        SCOPED_TRACE(version);
        if (installed_) {
            ::CoFreeUnusedLibrariesEx(0, 0);
            wordsim::Uninstall(api(), install_);
        }
        Install(word);
        auto profile = Select(version);
        const std::string w = install_.programFolder;
        const std::string own = engine::OwnFolder(api());

        // The registration runs are over when the calls return.
        profile->UnRegServ();
        auto log = wordsim::ReadLog(api(), w);
        ASSERT_EQ(2u, log.size());
        EXPECT_EQ("unregister", log[1].kind);
        EXPECT_FALSE(profile->WordStartNormal()) << "Word.Application is gone after /u";
        profile->RegServ();
        log = wordsim::ReadLog(api(), w);
        ASSERT_EQ(4u, log.size());
        EXPECT_EQ("register", log[3].kind);
        EXPECT_TRUE(profile->WordStartNormal());

        profile->Execute(true);
        LogOnceItHas(8);  // each start logs its line and then how it went
        profile->Execute(false);
        LogOnceItHas(10);
        profile->WordStartTemplate();
        log = LogOnceItHas(12);

        EXPECT_EQ((std::vector<std::string>{
                      w + "\\winword.exe /u",
                      w + "\\winword.exe /r",
                      w + "\\winword.exe /a /t\"" + own + "\\" + support + "\"",
                      w + "\\winword.exe /a /t\"" + own + "\\SafeMode.DOT\"",
                      w + "\\winword.exe /t",
                  }),
                  wordsim::LoggedCommandLines(log));
        EXPECT_TRUE(host_.Boxes().empty());
    }
}

}  // namespace

#endif  // _WIN32
