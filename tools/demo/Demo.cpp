// qvx-demo.exe: plays the user of qvxfix.exe through the automatic repair of
// a simulated Word, tells a person what happens on each page, keeps a picture
// of each, and shows what the repair left on disk. With --inspect it only
// shows what is on disk (after a run the person drove).
#include "driver/Driver.h"
#include "os/win32/Win32Api.h"
#include "wordsim/SimIo.h"
#include "wordsim/WordSim.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using e2e::App;
using Clock = std::chrono::steady_clock;

constexpr char kUsage[] =
    "usage: qvx-demo --program PATH\\qvxfix.exe --word DIR --templates DIR --startup DIR [--shots DIR] [--inspect] [--version V]\n"
    "  --program    the copy of qvxfix.exe to run (its folder receives the backups)\n"
    "  --word       the simulated Word's program folder\n"
    "  --templates  the folder of Word's Normal.dot\n"
    "  --startup    Word's Startup folder\n"
    "  --shots      where the pictures of the windows go (BMP)\n"
    "  --inspect    only show what is on disk now\n"
    "  --version    the simulated Word's version: 2003 (default), 2007 or 2016\n";

constexpr char kTitle[] = "Quorvex";
constexpr char kWizardCaption[] = "Quorvex - Automatic Repair";
constexpr char kAnalyzeOption[] = "Analyze and Repair MS Word Automatically.";

struct Options {
    std::string program;
    std::string word;
    std::string templates;
    std::string startup;
    std::string shots;
    bool inspect = false;
    wordsim::Version version = wordsim::Version::Word2003;
};

struct Row {
    const char* component;
    const char* prefix;  // how its result lines begin
    std::string found;
    std::string fixed;
};

class Demo {
public:
    explicit Demo(const Options& options) : options_(options), begun_(Clock::now()) {}

    int Run();
    void ShowDisk();

private:
    void Say(const std::string& text) {
        const double seconds = std::chrono::duration<double>(Clock::now() - begun_).count();
        std::printf("  [%5.1fs] %s\n", seconds, text.c_str());
        std::fflush(stdout);
    }
    void Fail(const std::string& text) {
        std::printf("\n  The demo stopped: %s\n", text.c_str());
        if (app_) std::printf("  %s\n", app_->Describe().c_str());
    }
    void Shot(HWND window, const std::string& name) {
        if (options_.shots.empty()) return;
        char number[8];
        std::snprintf(number, sizeof number, "%02d", ++shots_);
        const std::string path = options_.shots + "\\" + number + "-" + name + ".bmp";
        if (!e2e::SaveScreenshot(window, path)) Say("(could not save the picture " + path + ")");
    }
    HWND Form(const char* caption, const char* childText) {
        HWND form = app_->WaitForForm(caption, childText);
        if (form == nullptr) Fail(std::string("no window \"") + caption + "\" showing \"" + childText + "\"");
        return form;
    }
    bool Press(HWND form, const std::string& text) {
        if (e2e::Click(form, text)) return true;
        Fail("no button \"" + text + "\"");
        return false;
    }
    // The texts of the wizard's page, quoted, after the page's heading.
    static std::string Quote(const std::vector<std::string>& lines, size_t from = 1) {
        std::string out;
        for (size_t i = from; i < lines.size(); ++i) out += (out.empty() ? "\"" : ", \"") + lines[i] + "\"";
        return out;
    }
    bool StartUp();
    bool Wizard();
    bool Closing();
    void Results();

    Options options_;
    Clock::time_point begun_;
    std::unique_ptr<App> app_;
    int shots_ = 0;
    std::vector<Row> rows_ = {{"Normal.dot (global template)", "Default Template", {}, {}},
                              {"COM add-ins", "COM", {}, {}},
                              {"Data registry key", "Data", {}, {}},
                              {"Options registry key", "Options", {}, {}},
                              {"Startup add-ins", "Addins", {}, {}}};
};

// The version choice and the walk-through offer of a first run, then the menu.
bool Demo::StartUp() {
    HWND choice = nullptr;
    HWND menu = nullptr;
    e2e::WaitUntil([&] {
        choice = app_->FindForm(kTitle, "Choosing your version of MS Word installed on your computer");
        menu = app_->FindForm(kTitle, "Welcome to Quorvex");
        return choice != nullptr || menu != nullptr || !app_->Running();
    });
    if (choice != nullptr) {
        std::string selected;
        for (const e2e::ControlInfo& option : e2e::OptionButtons(choice))
            if (e2e::IsChecked(option.window)) selected = e2e::Plain(option.text);
        Shot(choice, "version-choice");
        Say("Which Word? The program looked and preselected \"" + selected + "\". Next.");
        if (!Press(choice, "Next")) return false;
        menu = Form(kTitle, "Welcome to Quorvex");
    }
    if (menu == nullptr) {
        Fail("the main menu did not come");
        return false;
    }
    // The walk-through offer comes over the menu until it is declined for good.
    HWND offer = app_->FindForm("", "Important!");
    for (int i = 0; offer == nullptr && i < 3 && e2e::Settle(menu); ++i) offer = app_->FindForm("", "Important!");
    if (offer != nullptr) {
        Shot(offer, "walkthrough-offer");
        Say("It offers an online walk-through of the repair. Cancel.");
        if (!Press(offer, "Cancel")) return false;
        e2e::WaitUntil([&] { return ::IsWindowEnabled(menu) != 0; });
    }
    Shot(menu, "main-menu");
    Say(std::string("Main menu: \"") + kAnalyzeOption + "\" is selected. Start.");
    return Press(menu, "Start");
}

bool Demo::Wizard() {
    HWND wizard = Form(kWizardCaption, "Quorvex Wizard");
    if (wizard == nullptr) return false;
    Shot(wizard, "wizard-welcome");
    Say("The automatic repair wizard opens. Next.");
    struct Page {
        const char* heading;
        const char* file;
        const char* before;  // what Next there is about to do
    };
    const Page pages[] = {
        {"Step 1", "wizard-step1", nullptr},
        {"Step 2", "wizard-step2",
         "Next runs the analysis: back up and disable all five components, re-register Word, check that it "
         "starts, then enable them one at a time..."},
        {"Step 3", "wizard-step3", "Next runs the repair: the same again, keeping disabled what stops Word..."},
        {"Step 4", "wizard-step4", nullptr},
        {"Congratulations", "wizard-finish", nullptr},
    };
    if (!Press(wizard, "Next >")) return false;
    for (const Page& page : pages) {
        const bool last = std::string(page.heading) == "Congratulations";
        if (!app_->WaitForPage(wizard, page.heading, last ? "Finish" : "Next >", std::chrono::minutes(5))) {
            if (HWND box = app_->FindMessageBox()) {
                e2e::MessageBoxInfo info = e2e::ReadMessageBox(box);
                Shot(box, "message");
                Fail("the program says \"" + info.text + "\"");
                e2e::Answer(box, "OK");
            } else {
                Fail(std::string("the page \"") + page.heading + "\" did not come");
            }
            return false;
        }
        Shot(wizard, page.file);
        const std::vector<std::string> texts = e2e::PageTexts(wizard);
        const std::string heading = page.heading;
        if (heading == "Step 1") Say("Step 1 finds " + Quote(texts, 2) + ". Next.");
        if (heading == "Step 2") Say("Step 2 reads " + Quote(texts) + ".");
        if (heading == "Step 3" || heading == "Step 4") {
            for (Row& row : rows_) {
                for (const std::string& line : texts) {
                    if (line.rfind(row.prefix, 0) != 0) continue;
                    (heading == "Step 3" ? row.found : row.fixed) = line;
                }
            }
            Say(heading + (heading == "Step 3" ? " (what the analysis found): " : " (what the repair did): ") +
                Quote(texts) + ".");
        }
        if (last) {
            Say("The finish page: " + Quote(texts) + ". Finish.");
            return Press(wizard, "Finish");
        }
        if (page.before != nullptr) Say(page.before);
        if (!Press(wizard, "Next >")) return false;
        if (heading == "Step 4") {
            const std::string asked = app_->AnswerAddinSearch("No");
            if (!asked.empty()) Say("Quorvex asks: \"" + asked + "\" No.");
        }
    }
    return true;
}

// The closing form, its goodbye, and the end of the program.
bool Demo::Closing() {
    HWND promotion = Form(kTitle, "Try Quorvex Plus");
    if (promotion == nullptr) return false;
    Shot(promotion, "closing-form");
    Say("The closing form advertises Quorvex Plus. Close.");
    if (!Press(promotion, "Close")) return false;
    HWND box = app_->WaitForMessageBox();
    if (box == nullptr) {
        Fail("no goodbye message");
        return false;
    }
    Shot(box, "goodbye");
    Say("It says \"" + e2e::ReadMessageBox(box).text + "\". OK.");
    e2e::Answer(box, "OK");
    const std::optional<DWORD> code = app_->WaitForExit();
    if (!code) {
        Fail("the program did not end");
        return false;
    }
    Say("The program ended (exit code " + std::to_string(*code) + ").");
    return *code == 0;
}

void Demo::Results() {
    std::printf("\nWhat Quorvex found (Step 3) and did (Step 4), component by component:\n\n");
    std::printf("  %-30s %-26s %s\n", "Component", "Step 3: analysis", "Step 4: repair");
    std::printf("  %-30s %-26s %s\n", "---------", "----------------", "--------------");
    for (const Row& row : rows_)
        std::printf("  %-30s %-26s %s\n", row.component, row.found.c_str(), row.fixed.c_str());
}

int Demo::Run() {
    std::printf("Driving %s through the automatic repair.\n\n", options_.program.c_str());
    if (!options_.shots.empty() && !e2e::MakeFolders(options_.shots)) {
        std::printf("cannot make the folder %s\n", options_.shots.c_str());
        return 1;
    }
    std::string error;
    app_ = App::Start(options_.program, wordsim::io::FolderOf(options_.program), &error);
    if (!app_) {
        std::printf("%s\n", error.c_str());
        return 1;
    }
    Say("Started qvxfix.exe.");
    const bool done = StartUp() && Wizard() && Closing();
    app_.reset();
    Results();
    ShowDisk();
    return done ? 0 : 1;
}

// --- What is on disk ---

// What a template file is, by its name and its content.
std::string Describe(os::Api& api, const std::string& folder, const std::string& name, wordsim::Version version) {
    const std::optional<std::string> content = wordsim::io::ReadWholeFile(api, wordsim::io::Join(folder, name));
    if (!content) return "(unreadable)";
    std::string what = "a template";
    if (content->find(wordsim::kFaultMarker) != std::string::npos) what = "the user's damaged template";
    if (*content == wordsim::FreshNormalDot(version)) what = "a fresh default template that Word wrote";
    const std::string role =
        wordsim::io::Lower(name) == wordsim::io::Lower(wordsim::TemplateName(version)) ? "in use: " : "kept aside: ";
    return role + what + " (" + std::to_string(content->size()) + " bytes)";
}

void Demo::ShowDisk() {
    os::win32::Win32Api api;
    namespace io = wordsim::io;
    const wordsim::Version version = options_.version;
    std::printf("\nOn disk afterwards:\n\n");
    std::printf("  Word's template folder %s\n", options_.templates.c_str());
    for (const std::string& name : io::FilesIn(api, options_.templates))
        std::printf("    %-22s %s\n", name.c_str(), Describe(api, options_.templates, name, version).c_str());

    std::printf("  Word's Startup folder %s\n", options_.startup.c_str());
    for (const std::string& name : io::FilesIn(api, options_.startup)) {
        const std::string extension = io::Extension(name);
        const bool aside = extension == "wbt" || extension == "wbl" || extension == "qvxoff";
        const char* what = aside                                           ? "renamed aside: Word no longer loads it"
                           : wordsim::LoadsStartupFile(version, extension) ? "loaded by Word at start-up"
                                                                           : "";
        std::printf("    %-22s %s\n", name.c_str(), what);
    }

    // Backups: COM and Options in the program's folder; Data beside it,
    // named after it.
    const std::string folder = io::FolderOf(options_.program);
    std::printf("  Registry backups made by Quorvex (.reg files)\n");
    const struct {
        std::string path;
        const char* what;
    } backups[] = {{folder + "\\COM.reg", "the COM add-ins"},
                   {folder + "\\Options.reg", "the Options key"},
                   {folder + "Data.reg", "the Data key (beside the program's folder, named after it)"}};
    for (const auto& backup : backups) {
        auto content = io::ReadWholeFile(api, backup.path);
        const std::string size = content ? std::to_string(content->size()) + " bytes, " : std::string("missing: ");
        std::printf("    %-26s %s%s\n", backup.path.c_str(), size.c_str(), backup.what);
    }

    std::printf("  Word's registry keys (HKEY_CURRENT_USER)\n");
    const std::string keys[] = {wordsim::DataKey(version), wordsim::OptionsKey(version), wordsim::kComAddinsKey};
    for (const std::string& key : keys) {
        const bool there = io::KeyExists(api, os::HKeyCurrentUser, key);
        const bool faulty = there && io::ValueExists(api, os::HKeyCurrentUser, key, wordsim::kFaultMarker);
        std::printf("    %-50s %s\n", key.c_str(), !there ? "removed" : faulty ? "present, damaged" : "present");
    }

    int starts = 0;
    int registrations = 0;
    for (const wordsim::LogEntry& entry : wordsim::ReadLog(api, options_.word)) {
        if (entry.kind == "automation") ++starts;
        if (entry.kind == "register") ++registrations;
    }
    std::printf("\n  The simulated Word was started %d times and re-registered %d times (its log: %s).\n", starts,
                registrations, io::Join(options_.word, wordsim::kLogName).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string* value = arg == "--program"     ? &options.program
                             : arg == "--word"      ? &options.word
                             : arg == "--templates" ? &options.templates
                             : arg == "--startup"   ? &options.startup
                             : arg == "--shots"     ? &options.shots
                                                    : nullptr;
        if (arg == "--inspect") {
            options.inspect = true;
        } else if (arg == "--version" && i + 1 < argc && wordsim::ParseVersion(argv[i + 1])) {
            options.version = *wordsim::ParseVersion(argv[++i]);
        } else if (value != nullptr && i + 1 < argc) {
            *value = e2e::WindowsPath(argv[++i]);
        } else {
            std::fprintf(stderr, "qvx-demo: unknown option or missing value: %s\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    if (options.program.empty() || options.word.empty() || options.templates.empty() || options.startup.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    Demo demo(options);
    if (options.inspect) {
        demo.ShowDisk();
        return 0;
    }
    return demo.Run();
}
