// The repairs end to end: the real qvxfix.exe under Wine works on a simulated
// Word 2003 in the prefix while the driver plays the user; the wizard's pages
// are read as the user sees them, and the registry and the files afterwards.
#ifdef _WIN32

#include "e2e/E2EFixture.h"
#include "engine/RegFile.h"
#include "support/StartupAddins.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using e2e::App;
using wordsim::Component;
namespace io = wordsim::io;

constexpr const char* kTitle = "Quorvex";
constexpr const char* kMenuHeading = "Welcome to Quorvex";
constexpr const char* kAdvancedFrame = "Advanced Features:";
constexpr const char* kAutomaticCaption = "Quorvex - Automatic Repair";
constexpr const char* kResetCaption = "Quorvex - Advanced";
constexpr const char* kNext = "Next >";
constexpr const char* kContinueOrQuit = "Click Next to continue or Cancel to quit";

constexpr const char* kAnalyzeOption = "Analyze and Repair MS Word Automatically.";
constexpr const char* kRenameOption = "Rename the Normal.Dot Template";
constexpr const char* kResetOption = "Reset MS Word to Initial Install";
constexpr const char* kAdvancedOption = "Go to Advanced Features.";
// Everything a pass of the automatic repair changes, as the recovery names it.
const std::string kAllParts = "the COM add-ins, the Data key, the Options key, the Startup add-ins, Normal.dot.";
const std::string kRecoveryQuestion = "The last repair did not finish and left parts of Word disabled: " + kAllParts +
                                      " Put them back as they were before it?";
constexpr const char* kUndoCaption = "Quorvex - Undo a repair";

// Word 2003's keys below HKEY_CURRENT_USER.
const std::string kComAddinKey = "Software\\Microsoft\\Office\\Word\\Addins\\WordSim.Connect";
// A value of the user's own in each of Word's keys: a key that Word rebuilt
// from its defaults has none.
constexpr const char* kUsersMark = "QuorvexE2EUser";
// An add-in of a newer Word in the shared Startup folder, and its bytes.
constexpr const char* kNewerAddin = "Letters.dotm";
constexpr const char* kNewerAddinBytes = "an add-in of Word 2007 or later";

// Where one of the user's components is after a run.
constexpr const char* kInPlace = "in place";
constexpr const char* kAside = "renamed aside";
constexpr const char* kRemoved = "removed, backed up";

// Results lines, top to bottom: Normal.dot, Data, COM, Startup add-ins, Options.
using Lines = std::vector<std::string>;
// Components in Word's loading order: Normal.dot, COM, Data, Options, Startup add-ins.
using Places = std::vector<std::string>;

std::vector<std::string> Concat(std::vector<std::string> head, const Lines& body, const std::string& foot) {
    head.insert(head.end(), body.begin(), body.end());
    head.push_back(foot);
    return head;
}

class RepairE2E : public e2e::E2EFixture {
protected:
    void SetUp() override {
        E2EFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        StoreNoQuestions();
    }

    // A simulated Word (word_) with the faults given (for a standard user, with
    // what all users share); each of its keys and its Normal.dot carry
    // something of the user's own, to be recognised later.
    void InstallWord(const std::vector<Component>& faults, uint32_t startDelayMs = 0, bool standardUser = false) {
        wordsim::InstallOptions options = WordOptions(word_);
        options.faults = faults;
        options.startDelayMs = startDelayMs;
        if (wordsim::IsNewer(word_)) {
            options.startupAddins = {"Tools.dotm", "Macros.wll"};
            StoreSetting("Settings", "Word Version", "WD" + std::string(wordsim::OfficeVersion(word_)).substr(0, 2));
        }
        if (standardUser) {
            // Wine runs every program elevated: the program's test hook shows it a standard user.
            ASSERT_TRUE(::SetEnvironmentVariableA("QVX_AS_STANDARD_USER", "1"));
            options.machineAddins = {{"Corp.Addin", 3}};
            options.machineStartupAddins = {"Corp.dotm"};
        }
        ASSERT_NO_FATAL_FAILURE(Install(options));
        forAllUsers0_ = ForAllUsers();
        for (const std::string& key : {wordsim::DataKey(word_), wordsim::OptionsKey(word_), kComAddinKey})
            ASSERT_TRUE(io::WriteString(Api(), os::HKeyCurrentUser, key, kUsersMark, "mine")) << key;
        usersTemplate_ = io::ReadWholeFile(Api(), install_.normalDot).value_or("");
        ASSERT_FALSE(usersTemplate_.empty());
    }

    void TearDown() override {
        ::SetEnvironmentVariableA("QVX_AS_STANDARD_USER", nullptr);
        E2EFixture::TearDown();
    }
    // What all users share: each add-in's key as a .reg file, each file's bytes.
    std::vector<std::string> ForAllUsers() {
        std::vector<std::string> found;
        for (const std::string& key : install_.machineAddinKeys)
            engine::ExportRegKey(Api(), os::HKeyLocalMachine, key, &found.emplace_back("missing"));
        for (const std::string& file : install_.machineStartupAddins)
            found.push_back(io::ReadWholeFile(Api(), file).value_or("missing"));
        return found;
    }

    // The main menu, ready for input.
    HWND OpenMenu() {
        Launch();
        if (!app_) return nullptr;
        HWND menu = WaitForForm(kTitle, kMenuHeading);
        if (menu != nullptr && !e2e::WaitUntil([&] { return ::IsWindowEnabled(menu) != 0; })) return nullptr;
        return menu;
    }

    // Chooses a way of working in the menu and presses Start; the form it
    // opens, known by its caption and a text on it.
    HWND StartWith(HWND menu, const char* option, const char* caption, const char* text) {
        HWND choice = e2e::FindControl(menu, option);
        EXPECT_NE(nullptr, choice) << option << "\n" << app_->Describe();
        if (choice == nullptr) return nullptr;
        e2e::Choose(choice);
        if (!e2e::WaitUntil([&] { return e2e::IsChecked(choice); })) return nullptr;
        if (!Press(menu, "Start")) return nullptr;
        return WaitForForm(caption, text);
    }

    // Opens the automatic repair from the menu and goes on with Next to each
    // of pages in turn; the wizard, or nullptr after a failure is reported.
    HWND OpenAutomaticRepair(std::initializer_list<const char*> pages) {
        HWND menu = OpenMenu();
        if (menu == nullptr) {
            ADD_FAILURE() << "no main menu";
            return nullptr;
        }
        HWND wizard = StartWith(menu, kAnalyzeOption, kAutomaticCaption, "Quorvex Wizard");
        if (wizard == nullptr) return nullptr;
        for (const char* page : pages) {
            if (!Next(wizard, page)) return nullptr;
        }
        return wizard;
    }

    bool Press(HWND form, const std::string& text) {
        if (e2e::Click(form, text)) return true;
        ADD_FAILURE() << "no \"" << text << "\" on the form\n" << app_->Describe();
        return false;
    }

    // Presses Next and waits for the page of that heading, ready for the button.
    bool Next(HWND wizard, const std::string& heading, const std::string& button = kNext) {
        if (!Press(wizard, kNext)) return false;
        if (app_->WaitForPage(wizard, heading, button, std::chrono::minutes(2))) return true;
        std::string box;
        if (HWND found = app_->FindMessageBox()) box = "message box: " + e2e::ReadMessageBox(found).text + "\n";
        ADD_FAILURE() << "no page \"" << heading << "\"\n" << box << app_->Describe();
        return false;
    }

    // Next on Step 4 after a repair that left more than one add-in off: the
    // question whether to find the ones at fault, answered.
    bool NextPastAddinQuestion(HWND wizard, const std::string& answer, const std::string& heading = "Congratulations",
                               const std::string& button = "Finish") {
        const bool asked = Press(wizard, kNext) && !app_->AnswerAddinSearch(answer, std::chrono::minutes(2)).empty();
        if (asked && app_->WaitForPage(wizard, heading, button, std::chrono::minutes(2))) return true;
        ADD_FAILURE() << (asked ? "no page \"" + heading + "\"\n" : "no question\n") << app_->Describe();
        return false;
    }

    // Waits for the program's message box (a Yes/No question unless answer
    // is OK), checks it and answers it.
    void ExpectMessage(const std::string& text, const std::string& shotName, const char* answer = "OK") {
        const bool question = std::string(answer) != "OK";
        HWND box = app_->WaitForMessageBox();
        ASSERT_NE(nullptr, box) << "no message \"" << text << "\"\n" << app_->Describe();
        Shot(box, shotName);
        e2e::MessageBoxInfo info = e2e::ReadMessageBox(box);
        EXPECT_EQ(kTitle, info.caption);
        EXPECT_EQ(text, info.text);
        const std::vector<std::string> buttons = question ? std::vector<std::string>{"Yes", "No"}
                                                          : std::vector<std::string>{"OK"};
        EXPECT_EQ(buttons, info.buttons);
        ASSERT_TRUE(e2e::Answer(box, answer));
        ASSERT_TRUE(e2e::WaitUntil([&] { return !e2e::IsShown(box); })) << app_->Describe();
    }

    // The recovery at start: asked first, Yes, then what was put back; the
    // menu then comes as on any start, and Cancel there ends the program.
    void RecoverAtStart() {
        Launch();
        ASSERT_NO_FATAL_FAILURE(ExpectMessage(kRecoveryQuestion, "recovery-question", "Yes"));
        ASSERT_NO_FATAL_FAILURE(ExpectMessage("Put back as before the last repair: " + kAllParts, "recovered"));
        ASSERT_NO_FATAL_FAILURE(CancelAtMenu());
    }

    void CancelAtMenu() {
        HWND menu = WaitForForm(kTitle, kMenuHeading);
        ASSERT_NE(nullptr, menu);
        ASSERT_TRUE(e2e::WaitUntil([&] { return ::IsWindowEnabled(menu) != 0; })) << app_->Describe();
        ASSERT_TRUE(Press(menu, "Cancel"));
        ExpectEndsCleanly();
    }

    // The advanced menu's "Undo a repair", from a new start.
    HWND OpenUndo() {
        HWND menu = OpenMenu();
        HWND advmenu = menu != nullptr ? StartWith(menu, kAdvancedOption, kTitle, kAdvancedFrame) : nullptr;
        HWND option = advmenu != nullptr ? e2e::FindControl(advmenu, "Undo a repair") : nullptr;
        EXPECT_NE(nullptr, option) << app_->Describe();
        if (option == nullptr) return nullptr;
        e2e::Choose(option);
        if (!e2e::WaitUntil([&] { return e2e::IsChecked(option); }) || !Press(advmenu, "OK")) return nullptr;
        return advmenu;
    }

    // After a wizard closed: the closing form, its goodbye, the end.
    void EndThroughClosingForm() {
        HWND promotion = WaitForForm(kTitle, "Try Quorvex Plus");
        ASSERT_NE(nullptr, promotion);
        ASSERT_TRUE(Press(promotion, "Close"));
        ExpectMessage("Thank you for using Quorvex", "goodbye");
        ExpectEndsCleanly();
    }

    std::vector<wordsim::LogEntry> WordLog() { return wordsim::ReadLog(Api(), install_.programFolder); }
    size_t Logged(const std::string& kind) {
        const auto log = WordLog();
        return static_cast<size_t>(
            std::count_if(log.begin(), log.end(), [&](const wordsim::LogEntry& e) { return e.kind == kind; }));
    }

    std::string Backup(const std::string& name) {
        // The Data backup's name is joined to the folder without a backslash.
        return name == "Data.reg" ? folder_ + name : folder_ + "\\" + name;
    }
    // Whether a .reg backup holds the user's own key (the files are UTF-16).
    bool BackupHoldsUsersKey(const std::string& name) {
        std::string text = io::ReadWholeFile(Api(), Backup(name)).value_or("");
        text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
        return text.find(kUsersMark) != std::string::npos;
    }

    std::string WhereIsKey(const std::string& key, const std::string& backup) {
        if (io::ValueExists(Api(), os::HKeyCurrentUser, key, kUsersMark)) return kInPlace;
        return BackupHoldsUsersKey(backup) ? kRemoved : "lost";
    }
    std::string WhereIsTemplate() {
        const std::string folder = install_.userTemplates;
        const std::string name = wordsim::TemplateName(word_);
        if (io::ReadWholeFile(Api(), io::Join(folder, name)) == usersTemplate_) return kInPlace;
        if (io::ReadWholeFile(Api(), io::Join(folder, "0" + name)) == usersTemplate_) return kAside;
        return "lost";
    }
    std::string WhereAreAddins() {
        std::vector<std::string> files = io::FilesIn(Api(), install_.startupFolder);
        // A newer Word's add-in is no add-in of these versions: it stays as it is.
        std::erase(files, kNewerAddin);
        std::sort(files.begin(), files.end());
        const bool newer = wordsim::IsNewer(word_);
        if (files == (newer ? Lines{"Macros.wll", "Tools.dotm"} : Lines{"Macros.wll", "Tools.dot"})) return kInPlace;
        // Word 2007 and later: each keeps its whole name.
        if (files == (newer ? Lines{"Macros.wll.qvxoff", "Tools.dotm.qvxoff"} : Lines{"Macros.wbl", "Tools.wbt"}))
            return kAside;
        std::string found = "lost:";
        for (const std::string& file : files) found += " " + file;
        return found;
    }
    // Normal.dot, COM, Data, Options, Startup add-ins.
    Places WhereIsEverything() {
        return {WhereIsTemplate(), WhereIsKey(kComAddinKey, "COM.reg"), WhereIsKey(wordsim::DataKey(word_), "Data.reg"),
                WhereIsKey(wordsim::OptionsKey(word_), "Options.reg"), WhereAreAddins()};
    }

    // Step 1's lines that name the Word in hand.
    Lines Step1() const {
        if (!wordsim::IsNewer(word_)) return {"Checking for Microsoft Word 2002 or Word XP...", "MS Word XP "};
        const std::string name = word_ == wordsim::Version::Word2007 ? "Word 2007" : "Word 2016 or later";
        return {"Checking for Microsoft " + name + "...", "MS " + name + " "};
    }

    // Whether a file the program keeps (the backup name or one of its
    // generations, name.N) in folder holds what is wanted.
    bool KeptFileHolds(const std::string& folder, const std::string& name,
                       const std::function<bool(const std::string&)>& wanted) {
        for (const std::string& file : io::FilesIn(Api(), folder)) {
            if (file != name && file.rfind(name + ".", 0) != 0) continue;
            if (wanted(io::ReadWholeFile(Api(), io::Join(folder, file)).value_or(""))) return true;
        }
        return false;
    }
    bool KeptBackupHoldsUsersKey(const std::string& name) {
        const std::string path = Backup(name);
        return KeptFileHolds(io::FolderOf(path), path.substr(io::FolderOf(path).size() + 1), [](std::string text) {
            std::erase(text, '\0');
            return text.find(kUsersMark) != std::string::npos;
        });
    }

    // Runs the program with arguments and a log in its folder, watching for
    // any window of its own; the exit code.
    int RunUnattended(const std::string& arguments) {
        Launch(arguments + " -log \"" + Log() + "\"");
        if (!app_) return -1;
        bool windowShown = false;
        e2e::WaitUntil([&] { return (windowShown = windowShown || !app_->Windows().empty()) || !app_->Running(); },
                       std::chrono::minutes(3));
        EXPECT_FALSE(windowShown) << app_->Describe();
        const std::optional<DWORD> code = app_->WaitForExit();
        return code ? static_cast<int>(*code) : -1;
    }
    std::string Log() { return folder_ + "\\run.log"; }
    // The log's result lines and its last exit code line, without times.
    Lines LoggedResults() {
        Lines found;
        const std::string log = io::ReadWholeFile(Api(), Log()).value_or("");
        for (size_t at = 0; (at = log.find("  ", at)) != std::string::npos;) {
            const size_t end = log.find("\r\n", at);
            std::string line = log.substr(at + 2, end - at - 2);
            if (line.rfind("  Result: ", 0) == 0) found.push_back(line.substr(10));
            if (line.rfind("Exit code ", 0) == 0) found.push_back(line.substr(0, line.find(':')));
            at = end;
        }
        return found;
    }

    std::string usersTemplate_;
    wordsim::Version word_ = wordsim::Version::Word2003;
    std::vector<std::string> forAllUsers0_;
};

// --- The automatic repair ---

struct AutomaticCase {
    std::string name;
    std::vector<Component> faults;
    Lines analysis;  // Step 3
    Lines repair;    // Step 4
    Places after;
    int autoExit = 1;  // /auto: 1, repaired, unless nothing was at fault
    wordsim::Version word = wordsim::Version::Word2003;
    bool standardUser = false;  // with what all users share, to be listed and left
};

class AutomaticRepairE2E : public RepairE2E, public ::testing::WithParamInterface<AutomaticCase> {};

TEST_P(AutomaticRepairE2E, LeavesExactlyTheFaultyComponentsDisabled) {
    const AutomaticCase& c = GetParam();
    word_ = c.word;
    ASSERT_NO_FATAL_FAILURE(InstallWord(c.faults, 0, c.standardUser));
    const bool newerWord = wordsim::IsNewer(word_);
    const std::string newer = io::Join(install_.startupFolder, kNewerAddin);
    if (!newerWord) {
        ASSERT_TRUE(io::WriteWholeFile(Api(), newer, kNewerAddinBytes));
    }
    HWND wizard = OpenAutomaticRepair({"Step 1"});
    ASSERT_NE(nullptr, wizard);
    EXPECT_EQ(Concat({"Step 1"}, Step1(), kContinueOrQuit), e2e::PageTexts(wizard));
    ASSERT_TRUE(Next(wizard, "Step 2"));

    ASSERT_TRUE(Next(wizard, "Step 3"));
    Shot(wizard, "step3");
    EXPECT_EQ(Concat({"Step 3", "Working, this may take a few minutes...."}, c.analysis,
                     "We are now ready to repair Word, click Next to continue..."),
              e2e::PageTexts(wizard));

    ASSERT_TRUE(Next(wizard, "Step 4"));
    Shot(wizard, "step4");
    EXPECT_EQ(Concat({"Step 4"}, c.repair, kContinueOrQuit), e2e::PageTexts(wizard));

    // Its two Startup add-ins stay off unless the user has them searched.
    ASSERT_TRUE(NextPastAddinQuestion(wizard, "No"));
    EXPECT_EQ((Lines{"Congratulations", "Quorvex Complete!", "Word has been fixed."}), e2e::PageTexts(wizard));
    ASSERT_TRUE(Press(wizard, "Finish"));
    ASSERT_NO_FATAL_FAILURE(EndThroughClosingForm());

    EXPECT_EQ(c.after, WhereIsEverything());
    if (!newerWord) {
        EXPECT_EQ(kNewerAddinBytes, io::ReadWholeFile(Api(), newer).value_or("gone")) << "untouched";
    }
    // Startup, then each pass: Word started with everything disabled, then
    // once per component. A newer Word is found without starting it.
    EXPECT_EQ(newerWord ? 12u : 13u, Logged("automation"));
    // Click-to-Run has no /u and /r.
    EXPECT_EQ(word_ == wordsim::Version::Word2016 ? 0u : 2u, Logged("register"));
    EXPECT_EQ(forAllUsers0_, ForAllUsers()) << "what all users share is left value for value, byte for byte";
}

// The same without anyone at the screen: the same lines in the log, no
// window, and the exit code.
TEST_P(AutomaticRepairE2E, UnattendedLogsTheSameLinesWithoutAWindow) {
    const AutomaticCase& c = GetParam();
    word_ = c.word;
    ASSERT_NO_FATAL_FAILURE(InstallWord(c.faults, 0, c.standardUser));
    EXPECT_EQ(c.autoExit, RunUnattended("/AUTO"));
    EXPECT_EQ(Concat(c.analysis, c.repair, "Exit code " + std::to_string(c.autoExit)), LoggedResults());
    EXPECT_EQ(c.after, WhereIsEverything());
    EXPECT_EQ(forAllUsers0_, ForAllUsers()) << "what all users share is left value for value, byte for byte";
}

const Lines kAllPassed = {"Default Template OK!", "Data Passed!", "COM Passed!", "Addins Passed!", "Options Passed!"};
const Lines kAllOk = {"Default Template OK!", "Data OK!", "COM OK!", "Addins OK!", "Options OK!"};

// A standard user's run names what all users share on its lines and leaves it.
const std::string kForAllUsers = " (for all users: an administrator can disable it)";

// Every case for Word 2003; those of one fault or none also for Word 2007
// (MSI) and Word 2016 or later (Click-to-Run).
std::vector<AutomaticCase> ForEveryWord(const std::vector<AutomaticCase>& cases) {
    std::vector<AutomaticCase> all = cases;
    for (wordsim::Version word : {wordsim::Version::Word2007, wordsim::Version::Word2016}) {
        for (AutomaticCase c : cases) {
            if (c.faults.size() > 1 || c.word != wordsim::Version::Word2003) continue;
            c.word = word;
            c.name += word == wordsim::Version::Word2007 ? "_2007" : "_2016";
            all.push_back(c);
        }
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, AutomaticRepairE2E,
    ::testing::ValuesIn(ForEveryWord({
        AutomaticCase{"none", {}, kAllPassed, kAllOk, {kInPlace, kInPlace, kInPlace, kInPlace, kAside}, 0},
        AutomaticCase{"normal",
                      {Component::NormalDot},
                      {"Default Template Fixed", "Data Passed!", "COM Passed!", "Addins Passed!", "Options Passed!"},
                      {"Default Template Fixed", "Data OK!", "COM OK!", "Addins OK!", "Options OK!"},
                      {kAside, kInPlace, kInPlace, kInPlace, kAside}},
        AutomaticCase{"com",
                      {Component::ComAddins},
                      {"Default Template OK!", "Data Passed!", "COM Failed", "Addins Passed!", "Options Passed!"},
                      {"Default Template OK!", "Data OK!", "COM Fixed", "Addins OK!", "Options OK!"},
                      {kInPlace, kRemoved, kInPlace, kInPlace, kAside}},
        AutomaticCase{"data",
                      {Component::Data},
                      {"Default Template OK!", "Data Failed", "COM Passed!", "Addins Passed!", "Options Passed!"},
                      {"Default Template OK!", "Data Fixed", "COM OK!", "Addins OK!", "Options OK!"},
                      {kInPlace, kInPlace, kRemoved, kInPlace, kAside}},
        AutomaticCase{"options",
                      {Component::Options},
                      {"Default Template OK!", "Data Passed!", "COM Passed!", "Addins Passed!", "Options Failed"},
                      {"Default Template OK!", "Data OK!", "COM OK!", "Addins OK!", "Options Fixed"},
                      {kInPlace, kInPlace, kInPlace, kRemoved, kAside}},
        // The Startup add-ins count as good whatever Word does, and always end aside.
        AutomaticCase{"startup", {Component::StartupAddins}, kAllPassed, kAllOk,
                      {kInPlace, kInPlace, kInPlace, kInPlace, kAside}},
        AutomaticCase{"data-and-options",
                      {Component::Data, Component::Options},
                      {"Default Template OK!", "Data Failed", "COM Passed!", "Addins Passed!", "Options Failed"},
                      {"Default Template OK!", "Data Fixed", "COM OK!", "Addins OK!", "Options Fixed"},
                      {kInPlace, kInPlace, kRemoved, kRemoved, kAside}},
        AutomaticCase{"standard-user_2016",
                      {Component::ComAddins},
                      {"Default Template OK!", "Data Passed!", "COM Failed; Corp.Addin" + kForAllUsers,
                       "Addins Passed!; Corp.dotm" + kForAllUsers, "Options Passed!"},
                      {"Default Template OK!", "Data OK!", "COM Fixed; Corp.Addin" + kForAllUsers,
                       "Addins OK!; Corp.dotm" + kForAllUsers, "Options OK!"},
                      {kInPlace, kRemoved, kInPlace, kInPlace, kAside}, 1, wordsim::Version::Word2016, true}})),
    [](const ::testing::TestParamInfo<AutomaticCase>& param) {
        std::string name = param.param.name;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

// Twelve Startup add-ins and four COM add-ins, one of each faulty: the
// search leaves exactly those two off, names them and says how often it
// started Word, as Word's own log counts. Word 2016's add-ins are of every
// kind it loads from Startup.
class AddinSearchE2E : public RepairE2E, public ::testing::WithParamInterface<wordsim::Version> {};

TEST_P(AddinSearchE2E, TheAddinSearchLeavesOffOnlyTheFaultyAddins) {
    word_ = GetParam();
    const bool newer = wordsim::IsNewer(word_);
    wordsim::InstallOptions options = WordOptions(word_);
    options.startupAddins = qvxtest::TwelveStartupAddins(newer);
    options.comAddins = {{"Vendor.One", 3}, {"Vendor.Two", 3}, {"Vendor.Three", 3}, {"Vendor.Four", 3}};
    options.faults = {Component::ComAddins, Component::StartupAddins};
    options.faultyComAddin = "Vendor.Three";
    options.faultyStartupAddin = options.startupAddins[6];
    if (newer) StoreSetting("Settings", "Word Version", "WD16");
    ASSERT_NO_FATAL_FAILURE(Install(options));
    HWND wizard = OpenAutomaticRepair({"Step 1", "Step 2", "Step 3", "Step 4"});
    ASSERT_NE(nullptr, wizard);
    const size_t repairStarts = Logged("automation");
    ASSERT_TRUE(NextPastAddinQuestion(wizard, "Yes", "Step 4", kNext));
    Shot(wizard, "addins-found");
    std::string shown;
    for (const std::string& text : e2e::PageTexts(wizard)) shown += text + "\n";
    const size_t searchStarts = Logged("automation") - repairStarts;
    EXPECT_LE(searchStarts, 8u) << "4 COM add-ins: 3 starts at most, 12 Startup add-ins: 5";
    for (const std::string& line : {std::string("COM add-ins left disabled: Vendor.Three\r\n"),
                                    "Startup add-ins left disabled: " + options.faultyStartupAddin + "\r\n",
                                    "Word was started " + std::to_string(searchStarts) + " more times"})
        EXPECT_NE(std::string::npos, shown.find(line)) << shown;
    ASSERT_TRUE(Next(wizard, "Congratulations", "Finish"));
    ASSERT_TRUE(Press(wizard, "Finish"));
    ASSERT_NO_FATAL_FAILURE(EndThroughClosingForm());

    std::vector<std::string> off = io::FilesIn(Api(), install_.startupFolder);
    std::erase_if(off, [&](const std::string& file) { return !file.ends_with(newer ? ".qvxoff" : ".wbt"); });
    for (const wordsim::ComAddin& addin : options.comAddins)
        if (!io::KeyExists(Api(), os::HKeyCurrentUser, std::string(wordsim::kComAddinsKey) + "\\" + addin.progId))
            off.push_back(addin.progId);
    EXPECT_EQ((std::vector<std::string>{newer ? "Addin07.wll.qvxoff" : "Addin07.wbt", "Vendor.Three"}), off);
}
INSTANTIATE_TEST_SUITE_P(Words, AddinSearchE2E, ::testing::Values(wordsim::Version::Word2003, wordsim::Version::Word2016),
                         [](const auto& param) { return "Word" + std::to_string(wordsim::IsNewer(param.param) ? 2016 : 2003); });

// A Word broken beyond its five components (its installation gone after
// start-up): the analysis cannot start it even with everything disabled.
TEST_F(RepairE2E, WordThatNeverStartsEndsTheAnalysisWithTheMessage) {
    ASSERT_NO_FATAL_FAILURE(InstallWord({}));
    HWND menu = OpenMenu();
    ASSERT_NE(nullptr, menu);
    ASSERT_TRUE(Api().DeleteFile(install_.config)) << install_.config;
    HWND wizard = StartWith(menu, kAnalyzeOption, kAutomaticCaption, "Quorvex Wizard");
    ASSERT_NE(nullptr, wizard);
    ASSERT_TRUE(Next(wizard, "Step 1"));
    ASSERT_TRUE(Next(wizard, "Step 2"));
    ASSERT_TRUE(Press(wizard, kNext));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(
        "We're sorry but Word could not be started in safe mode and cannot continue. Thanks for using Quorvex.",
        "safe-mode-failed"));
    // No closing form: the program ends on its own.
    ExpectEndsCleanly();
    // Nothing is put back; the backups stay on disk.
    EXPECT_EQ((Places{kAside, kRemoved, kRemoved, kRemoved, kAside}), WhereIsEverything());
    // Until the next start asks first.
    ASSERT_NO_FATAL_FAILURE(RecoverAtStart());
    EXPECT_EQ((Places{kInPlace, kInPlace, kInPlace, kInPlace, kInPlace}), WhereIsEverything());
}

// --- Putting back ---

// Killed while the analysis works: the next start asks; No goes on as ever
// and the question comes again next time, when Yes puts everything back.
TEST_F(RepairE2E, AProgramKilledMidPassIsPutBackAtTheNextStart) {
    ASSERT_NO_FATAL_FAILURE(InstallWord({}, 1500));
    HWND wizard = OpenAutomaticRepair({"Step 1", "Step 2"});
    ASSERT_NE(nullptr, wizard);
    ASSERT_TRUE(Press(wizard, kNext));
    ASSERT_TRUE(e2e::WaitUntil([&] { return WhereIsTemplate() == kAside; }, std::chrono::minutes(1)));
    app_->Kill();
    ASSERT_NE((Places{kInPlace, kInPlace, kInPlace, kInPlace, kInPlace}), WhereIsEverything());

    Launch();
    ASSERT_NO_FATAL_FAILURE(ExpectMessage(kRecoveryQuestion, "recovery-declined", "No"));
    ASSERT_NO_FATAL_FAILURE(CancelAtMenu());
    EXPECT_EQ(kAside, WhereIsTemplate());
    ASSERT_NO_FATAL_FAILURE(RecoverAtStart());
    EXPECT_EQ((Places{kInPlace, kInPlace, kInPlace, kInPlace, kInPlace}), WhereIsEverything());
}

// A repair that left the user's faulty Normal.dot aside, undone from the
// advanced menu: the user's own Normal.dot, the add-ins under their names,
// the keys as they were. Before that, with no run recorded, there is nothing to undo.
TEST_F(RepairE2E, UndoPutsBackWhatTheAutomaticRepairChanged) {
    ASSERT_NO_FATAL_FAILURE(InstallWord({Component::NormalDot}));
    HWND advmenu = OpenUndo();
    ASSERT_NE(nullptr, advmenu);
    ASSERT_NO_FATAL_FAILURE(ExpectMessage("There is nothing to undo: Quorvex has no record of a repair.", "nothing"));
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsShown(advmenu); })) << "the menu stays";
    ASSERT_TRUE(Press(advmenu, "Cancel"));
    ASSERT_NO_FATAL_FAILURE(EndThroughClosingForm());

    HWND wizard = OpenAutomaticRepair({"Step 1", "Step 2", "Step 3", "Step 4"});
    ASSERT_NE(nullptr, wizard);
    ASSERT_TRUE(NextPastAddinQuestion(wizard, "No"));
    ASSERT_TRUE(Press(wizard, "Finish"));
    ASSERT_NO_FATAL_FAILURE(EndThroughClosingForm());
    ASSERT_EQ((Places{kAside, kInPlace, kInPlace, kInPlace, kAside}), WhereIsEverything());

    ASSERT_NE(nullptr, OpenUndo());
    HWND undo = WaitForForm(kUndoCaption, "Undo a repair");
    ASSERT_NE(nullptr, undo);
    Shot(undo, "undo-welcome");
    const Lines welcome = e2e::PageTexts(undo);
    ASSERT_GE(welcome.size(), 3u);
    EXPECT_NE(std::string::npos, welcome[1].find("(Automatic repair) changed.")) << welcome[1];
    EXPECT_NE(std::string::npos, welcome[2].find(install_.userTemplates)) << welcome[2];
    ASSERT_TRUE(Next(undo, "Step 1"));
    Shot(undo, "undo-step1");
    ASSERT_TRUE(Next(undo, "Step 2"));
    ASSERT_TRUE(Next(undo, "Step 3"));
    Shot(undo, "undo-step3");
    const Lines results = e2e::PageTexts(undo);
    // Every component the repair touched, the keys it put back itself included.
    EXPECT_EQ((Lines{"Step 3", "Results:", "The COM add-ins put back.", "The Data key put back.",
                     "The Options key put back.", "The Startup add-ins put back.", "Normal.dot put back.",
                     "Click Next to continue"}),
              results);
    ASSERT_TRUE(Next(undo, "Finished", "Finish"));
    ASSERT_TRUE(Press(undo, "Finish"));
    ASSERT_NO_FATAL_FAILURE(EndThroughClosingForm());
    EXPECT_EQ((Places{kInPlace, kInPlace, kInPlace, kInPlace, kInPlace}), WhereIsEverything());
}

// Unattended, the same Word: everything is put back byte for byte.
TEST_F(RepairE2E, UnattendedWithWordThatNeverStartsPutsEverythingBack) {
    ASSERT_NO_FATAL_FAILURE(InstallWord({}));
    ASSERT_TRUE(Api().DeleteFile(install_.config)) << install_.config;
    engine::RegFile before, after;
    ASSERT_EQ(0, engine::ReadRegTree(Api(), os::HKeyCurrentUser, "Software\\Microsoft\\Office", &before));
    EXPECT_EQ(2, RunUnattended("/auto /version WD11"));
    EXPECT_EQ((Places{kInPlace, kInPlace, kInPlace, kInPlace, kInPlace}), WhereIsEverything());
    ASSERT_EQ(0, engine::ReadRegTree(Api(), os::HKeyCurrentUser, "Software\\Microsoft\\Office", &after));
    EXPECT_TRUE(before == after) << "Word's keys as they were";
    EXPECT_EQ(Lines{"Exit code 2"}, LoggedResults());
}

// /undo last after an unattended repair: everything as it was, byte for byte.
TEST_F(RepairE2E, UnattendedUndoOfTheLastRepairPutsEverythingBack) {
    ASSERT_NO_FATAL_FAILURE(InstallWord({Component::Data, Component::Options}));
    engine::RegFile before, after;
    ASSERT_EQ(0, engine::ReadRegTree(Api(), os::HKeyCurrentUser, "Software\\Microsoft\\Office", &before));
    EXPECT_EQ(1, RunUnattended("/auto"));
    EXPECT_EQ((Places{kInPlace, kInPlace, kRemoved, kRemoved, kAside}), WhereIsEverything());
    EXPECT_EQ(0, RunUnattended("/undo last"));
    EXPECT_EQ((Places{kInPlace, kInPlace, kInPlace, kInPlace, kInPlace}), WhereIsEverything());
    ASSERT_EQ(0, engine::ReadRegTree(Api(), os::HKeyCurrentUser, "Software\\Microsoft\\Office", &after));
    EXPECT_TRUE(before == after) << "Word's keys as they were";
}

// Another copy holds the session's mark; bad command lines end before
// anything is touched, the log included.
TEST_F(RepairE2E, UnattendedRefusesASecondCopyAndBadCommandLines) {
    ASSERT_NO_FATAL_FAILURE(InstallWord({}));
    {
        os::win32::UniqueHandle mark(::CreateMutexW(nullptr, FALSE, L"Local\\Quorvex.qvxfix.OneCopy"));
        EXPECT_EQ(3, RunUnattended("-auto"));
    }
    ASSERT_TRUE(Api().DeleteFile(Log()));
    for (const char* bad : {"/frobnicate", "auto", "/auto /list", "/version WD11", "/auto /version eleven"}) {
        SCOPED_TRACE(bad);
        Launch(bad);
        ASSERT_TRUE(app_);
        EXPECT_EQ(std::optional<DWORD>(64), app_->WaitForExit());
    }
    EXPECT_EQ(std::vector<std::string>{"qvxfix.exe"}, io::FilesIn(Api(), folder_));
    EXPECT_EQ((Places{kInPlace, kInPlace, kInPlace, kInPlace, kInPlace}), WhereIsEverything());
    EXPECT_EQ(0u, Logged("automation"));
}

// --- The component-reset wizards ---

struct ResetCase {
    const char* name;
    const char* option;       // in the main menu
    const char* welcomeTask;  // the welcome page's third line, if any
    bool clearBoxes;          // the advanced wizard: clear all six boxes on Step 1
    Lines step3;
    Lines step4;
    Places after;
    bool reregisters;
    wordsim::Version word = wordsim::Version::Word2003;
};

class ComponentResetE2E : public RepairE2E, public ::testing::WithParamInterface<ResetCase> {};

TEST_P(ComponentResetE2E, ResetsTheChosenComponentsAndBacksUpTheKeys) {
    const ResetCase& c = GetParam();
    word_ = c.word;
    ASSERT_NO_FATAL_FAILURE(InstallWord({}));
    HWND menu = OpenMenu();
    ASSERT_NE(nullptr, menu);
    const bool advanced = std::string(c.option) == kAdvancedOption;
    HWND wizard = nullptr;
    if (advanced) {
        HWND advmenu = StartWith(menu, kAdvancedOption, kTitle, kAdvancedFrame);
        ASSERT_NE(nullptr, advmenu);
        ASSERT_TRUE(e2e::IsChecked(e2e::FindControl(advmenu, "Choose and reset MS Word components to initial install")));
        ASSERT_TRUE(Press(advmenu, "OK"));
        wizard = WaitForForm(kResetCaption, "Advanced Quorvex Wizard");
    } else {
        wizard = StartWith(menu, c.option, kResetCaption, "Advanced Quorvex Wizard");
    }
    ASSERT_NE(nullptr, wizard);
    // A newer Word's lines name its own template where Word 2003's name Normal.dot.
    auto named = [&](Lines lines) {
        for (std::string& line : lines)
            for (const char* documented : {"Normal.DOT", "Normal.Dot"})
                if (const size_t at = line.find(documented); at != std::string::npos && wordsim::IsNewer(word_))
                    line.replace(at, 10, wordsim::TemplateName(word_));
        return lines;
    };
    Lines welcome = {"Advanced Quorvex Wizard", "Welcome to Quorvex Advanced Wizard. "};
    if (c.welcomeTask != nullptr) welcome.push_back(c.welcomeTask);
    welcome.push_back("Click Next to begin...");
    EXPECT_EQ(named(welcome), e2e::PageTexts(wizard));

    ASSERT_TRUE(Next(wizard, "Step 1"));
    const char* const boxes[] = {"Refresh MS Word's dll's", " Normal.dot default template", "Data registry keys",
                                 "Options registry keys", "Addins and startup templates", "COM addins"};
    for (const char* box : boxes) {
        SCOPED_TRACE(box);
        HWND check = e2e::FindControl(wizard, box, "Button");
        EXPECT_EQ(advanced, check != nullptr) << "the boxes are shown in the advanced wizard only";
        if (check == nullptr) continue;
        EXPECT_TRUE(e2e::IsChecked(check));
        if (c.clearBoxes) {
            e2e::Choose(check);
            EXPECT_TRUE(e2e::WaitUntil([&] { return !e2e::IsChecked(check); }));
        }
    }
    Shot(wizard, "step1");
    ASSERT_TRUE(Next(wizard, "Step 2"));
    ASSERT_TRUE(Next(wizard, "Step 3"));
    Shot(wizard, "step3");
    EXPECT_EQ(Concat({"Step 3", "Working, this may take a few minutes...."}, named(c.step3), kContinueOrQuit),
              e2e::PageTexts(wizard));
    ASSERT_TRUE(Next(wizard, "Step 4"));
    Shot(wizard, "step4");
    EXPECT_EQ(Concat({"Step 4", "Results:"}, named(c.step4), kContinueOrQuit), e2e::PageTexts(wizard));
    if (advanced && !c.clearBoxes) ASSERT_TRUE(NextPastAddinQuestion(wizard, "No"));
    else ASSERT_TRUE(Next(wizard, "Congratulations", "Finish"));
    Shot(wizard, "finish");

    if (advanced) {
        // Its closing choices are shown; closing only opens no page, and
        // Finish ends the program without the closing form.
        HWND close = e2e::FindControl(wizard, "Please just close Quorvex.");
        ASSERT_NE(nullptr, close) << app_->Describe();
        e2e::Choose(close);
        ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsChecked(close); }));
        ASSERT_TRUE(Press(wizard, "Finish"));
        ExpectEndsCleanly();
    } else {
        ASSERT_TRUE(Press(wizard, "Finish"));
        ASSERT_NO_FATAL_FAILURE(EndThroughClosingForm());
    }

    EXPECT_EQ(c.after, WhereIsEverything());
    // The three keys are backed up whatever was reset.
    for (const char* backup : {"COM.reg", "Data.reg", "Options.reg"}) {
        SCOPED_TRACE(backup);
        EXPECT_TRUE(BackupHoldsUsersKey(backup)) << Backup(backup);
    }
    // The reset starts Word at no point; it only re-registers it when asked.
    EXPECT_EQ(wordsim::IsNewer(word_) ? 0u : 1u, Logged("automation"))
        << "only start-up asks Word where it lives, and a newer Word is found on disk";
    std::vector<std::string> registration;
    if (c.reregisters) registration = {install_.winword + " /u", install_.winword + " /r"};
    EXPECT_EQ(registration, wordsim::LoggedCommandLines(WordLog()));
}

const Lines kResetting = {"Resetting default template; Normal.DOT...", "Resetting MS Word's Data information....",
                          "Resetting COM components....", "Resetting Addins....",
                          "Resetting MS Word's Options information...."};
const Lines kResetDone = {"Default template; Normal.DOT has been reset", "MS Word's Data information reset",
                          "COM components reset ", "Addin's reset.", "MS Word's Options information reset"};
const Places kAllReset = {kAside, kRemoved, kRemoved, kRemoved, kAside};
constexpr const char* kRenaming = "Renaming the Normal.Dot Template";
const Lines kRenameStep3 = {"Resetting default template; Normal.DOT...", "MS Word's Data information; No changes made",
                            " COM components; No changes made", "MS Word Addin's; No changes made",
                            "Options information: No changes made"};
const Lines kRenameStep4 = {"Default template; Normal.DOT has been reset", "MS Word's Data information; No changes made",
                            "COM components; No changes made", "MS Word Addin's; No changes made",
                            "Options information; No changes made"};
const Places kRenamed = {kAside, kInPlace, kInPlace, kInPlace, kInPlace};

INSTANTIATE_TEST_SUITE_P(
    Wizards, ComponentResetE2E,
    ::testing::Values(
        ResetCase{"reset", kResetOption, "Resetting MS Word to it's initial install", false, kResetting, kResetDone,
                  kAllReset, false},
        ResetCase{"reset_2016", kResetOption, "Resetting MS Word to it's initial install", false, kResetting,
                  kResetDone, kAllReset, false, wordsim::Version::Word2016},
        ResetCase{"rename", kRenameOption, kRenaming, false, kRenameStep3, kRenameStep4, kRenamed, false},
        ResetCase{"rename_2007", kRenameOption, kRenaming, false, kRenameStep3, kRenameStep4, kRenamed, false,
                  wordsim::Version::Word2007},
        ResetCase{"rename_2016", kRenameOption, kRenaming, false, kRenameStep3, kRenameStep4, kRenamed, false,
                  wordsim::Version::Word2016},
        ResetCase{"advanced_all", kAdvancedOption, nullptr, false, kResetting, kResetDone, kAllReset, true},
        ResetCase{"advanced_none",
                  kAdvancedOption,
                  nullptr,
                  true,
                  {"Default template, Normal.DOT; No changes made", "MS Word's Data information; No changes made",
                   " COM components; No changes made", "MS Word Addin's; No changes made",
                   "Options information: No changes made"},
                  {"Default template, Normal.DOT; No changes made", "MS Word's Data information; No changes made",
                   "COM components; No changes made", "MS Word Addin's; No changes made",
                   "Options information; No changes made"},
                  {kInPlace, kInPlace, kInPlace, kInPlace, kInPlace},
                  false}),
    [](const ::testing::TestParamInfo<ResetCase>& param) { return std::string(param.param.name); });

// Ten resets in a row. Each run's start-up starts Word, which rebuilds its
// defaults, so every later run backs up Word's defaults: the user's own
// Normal.dot and keys must still be in files the program keeps.
TEST_F(RepairE2E, TenResetsInARowKeepTheUsersOwnComponents) {
    ASSERT_NO_FATAL_FAILURE(InstallWord({}));
    for (int run = 1; run <= 10; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        HWND menu = OpenMenu();
        ASSERT_NE(nullptr, menu);
        HWND wizard = StartWith(menu, kResetOption, kResetCaption, "Advanced Quorvex Wizard");
        ASSERT_NE(nullptr, wizard);
        for (const char* page : {"Step 1", "Step 2", "Step 3", "Step 4"}) ASSERT_TRUE(Next(wizard, page));
        ASSERT_TRUE(Next(wizard, "Congratulations", "Finish"));
        ASSERT_TRUE(Press(wizard, "Finish"));
        ASSERT_NO_FATAL_FAILURE(EndThroughClosingForm());
    }
    EXPECT_EQ(10u, Logged("automation")) << "Word started once per run, rebuilding its defaults";
    for (const char* backup : {"COM.reg", "Data.reg", "Options.reg"}) {
        SCOPED_TRACE(backup);
        EXPECT_TRUE(KeptBackupHoldsUsersKey(backup));
    }
    EXPECT_TRUE(KeptFileHolds(install_.userTemplates, "0Normal.dot",
                              [this](const std::string& bytes) { return bytes == usersTemplate_; }));
}

// --- Word in safe mode from the advanced menu ---

class SafeModeE2E : public RepairE2E, public ::testing::WithParamInterface<wordsim::Version> {};

TEST_P(SafeModeE2E, LaunchesStartWordWithTheTemplatesBesideTheProgramOrItsOwnSafeMode) {
    word_ = GetParam();
    ASSERT_NO_FATAL_FAILURE(InstallWord({}));
    HWND menu = OpenMenu();
    ASSERT_NE(nullptr, menu);
    HWND advmenu = StartWith(menu, kAdvancedOption, kTitle, kAdvancedFrame);
    ASSERT_NE(nullptr, advmenu);
    Shot(advmenu, "advanced-menu");

    // Word's program path unquoted, as the program always gave it.
    const bool newer = wordsim::IsNewer(word_);
    const struct {
        const char* option;
        std::string switches;
    } launches[] = {
        {"Launch MS Word in Safe Mode", newer ? " /safe" : " /a /t\"" + folder_ + "\\SafeMode.DOT\""},
        {"Launch MS Word in Safe Mode with Support Tool", newer ? " /a" : " /a /t\"" + folder_ + "\\SUPPORT11.DOT\""},
    };
    std::vector<std::string> expected;
    for (const auto& launch : launches) {
        SCOPED_TRACE(launch.option);
        HWND option = e2e::FindControl(advmenu, launch.option);
        ASSERT_NE(nullptr, option) << app_->Describe();
        e2e::Choose(option);
        ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsChecked(option); }));
        ASSERT_TRUE(Press(advmenu, "OK"));
        expected.push_back(install_.winword + launch.switches);
        EXPECT_TRUE(e2e::WaitUntil([&] { return wordsim::LoggedCommandLines(WordLog()).size() >= expected.size(); }));
        EXPECT_EQ(expected, wordsim::LoggedCommandLines(WordLog()));
        // No message on success, and the menu stays for another choice.
        ASSERT_TRUE(e2e::Settle(advmenu));
        EXPECT_EQ(nullptr, app_->FindMessageBox()) << app_->Describe();
        EXPECT_TRUE(e2e::IsShown(advmenu));
    }
    EXPECT_EQ(2u, Logged("start")) << "both started in safe mode";

    // Cancel goes back to the main menu's Start, which ends with the closing form.
    ASSERT_TRUE(Press(advmenu, "Cancel"));
    ASSERT_NO_FATAL_FAILURE(EndThroughClosingForm());
}

INSTANTIATE_TEST_SUITE_P(Words, SafeModeE2E,
                         ::testing::Values(wordsim::Version::Word2003, wordsim::Version::Word2007,
                                           wordsim::Version::Word2016),
                         [](const ::testing::TestParamInfo<wordsim::Version>& param) {
                             return std::string("Word") + (wordsim::ProductName(param.param) + 15);
                         });

TEST_F(RepairE2E, SafeModeLaunchWithoutWordSaysSoAndEnds) {
    ASSERT_NO_FATAL_FAILURE(InstallWord({}));
    HWND menu = OpenMenu();
    ASSERT_NE(nullptr, menu);
    // Word found at start-up, gone since.
    ASSERT_TRUE(Api().DeleteFile(install_.winword));
    HWND advmenu = StartWith(menu, kAdvancedOption, kTitle, kAdvancedFrame);
    ASSERT_NE(nullptr, advmenu);
    HWND option = e2e::FindControl(advmenu, "Launch MS Word in Safe Mode");
    ASSERT_NE(nullptr, option);
    e2e::Choose(option);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsChecked(option); }));
    ASSERT_TRUE(Press(advmenu, "OK"));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage("Could not launch MS Word 11", "could-not-launch"));
    ASSERT_NO_FATAL_FAILURE(ExpectMessage("Word 2002 or XP was not found. Exiting program", "not-found"));
    ExpectEndsCleanly();
    EXPECT_TRUE(wordsim::LoggedCommandLines(WordLog()).empty());
}

// --- Cancel while a pass runs ---

struct CancelCase {
    const char* name;
    // Until when the driver waits after pressing Next before it presses
    // Cancel; null: Cancel is posted right behind Next.
    std::function<bool(RepairE2E&)> ready;
    bool repairPass;  // else the analysis pass
    // Where everything is then, where that is certain.
    std::optional<Places> exactly;
};

class CancelE2E : public RepairE2E, public ::testing::WithParamInterface<CancelCase> {
public:
    size_t Automations() { return Logged("automation"); }
    bool Unregistered() {
        for (const std::string& line : wordsim::LoggedCommandLines(WordLog()))
            if (line.find(" /u") != std::string::npos) return true;
        return false;
    }
};

// Word starts slowly here, so that the press lands inside the pass.
constexpr uint32_t kSlowStartMs = 300;
// Start-up starts Word once; each pass six times.
constexpr size_t kStartsBeforeRepair = 7;

TEST_P(CancelE2E, EndsPromptlyWithEveryComponentInPlaceOrRestorable) {
    const CancelCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(InstallWord({Component::NormalDot, Component::Options}, kSlowStartMs));
    HWND wizard = OpenAutomaticRepair({"Step 1", "Step 2"});
    ASSERT_NE(nullptr, wizard);
    if (c.repairPass) {
        ASSERT_TRUE(Next(wizard, "Step 3"));
    }

    // Found while the program waits for input: while a pass runs, reading a
    // control's text waits for the program's next yield.
    HWND next = e2e::FindControl(wizard, kNext, "Button");
    HWND cancel = e2e::FindControl(wizard, "Cancel", "Button");
    ASSERT_NE(nullptr, next);
    ASSERT_NE(nullptr, cancel);
    e2e::Click(next);
    if (c.ready) {
        ASSERT_TRUE(e2e::WaitUntil([&] { return c.ready(*this); })) << app_->Describe();
    }
    const auto pressed = std::chrono::steady_clock::now();
    e2e::Click(cancel);
    std::optional<DWORD> code = app_->WaitForExit(std::chrono::seconds(10));
    ASSERT_TRUE(code.has_value()) << "still running 10 s after Cancel\n" << app_->Describe();
    EXPECT_EQ(0u, *code);
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(5));
    const size_t passEnded = c.repairPass ? 2 * kStartsBeforeRepair - 1 : kStartsBeforeRepair;
    EXPECT_LT(Automations(), passEnded) << "the pass had already ended";

    const Places after = WhereIsEverything();
    for (size_t i = 0; i < after.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(after[i] == kInPlace || after[i] == kAside || after[i] == kRemoved) << after[i];
    }
    if (c.exactly) {
        EXPECT_EQ(*c.exactly, after);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Points, CancelE2E,
    ::testing::Values(
        // Before the pass's first change.
        CancelCase{"right_after_next", nullptr, false, Places{kInPlace, kInPlace, kInPlace, kInPlace, kInPlace}},
        // Everything disabled; Word is being re-registered.
        CancelCase{"after_the_preparation",
                   [](RepairE2E& test) { return static_cast<CancelE2E&>(test).Unregistered(); }, false,
                   Places{kAside, kRemoved, kRemoved, kRemoved, kAside}},
        // Components are being enabled and disabled one at a time.
        CancelCase{"during_the_analysis",
                   [](RepairE2E& test) { return static_cast<CancelE2E&>(test).Automations() >= 4; }, false, {}},
        CancelCase{"during_the_repair",
                   [](RepairE2E& test) { return static_cast<CancelE2E&>(test).Automations() >= kStartsBeforeRepair + 2; },
                   true, {}}),
    [](const ::testing::TestParamInfo<CancelCase>& param) { return std::string(param.param.name); });

}  // namespace

#endif  // _WIN32
