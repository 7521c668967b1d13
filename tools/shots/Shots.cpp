// qvx-shots.exe: takes a picture of every window of qvxfix.exe, as a person
// sees it, by playing the user through five runs of the program on a
// simulated Word: the first run's version choice and its help, the
// walk-through offer, the menu and its options, the automatic repair page by
// page, the closing form with a button hovered and one pressed; then the
// rename, the reset, the advanced and the undo wizards page by page.
#include "driver/Driver.h"
#include "wordsim/SimIo.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

using e2e::App;

constexpr char kUsage[] = "usage: qvx-shots --program PATH\\qvxfix.exe --out DIR\n";

constexpr char kTitle[] = "Quorvex";
constexpr char kMenuHeading[] = "Welcome to Quorvex";
constexpr char kNext[] = "Next >";

struct WizardRoute {
    const char* file;     // picture names begin with it
    const char* option;   // in the main menu
    const char* caption;  // the wizard's
    const char* welcome;  // its first page's heading
};

class Shots {
public:
    Shots(std::string program, std::string out) : program_(std::move(program)), out_(std::move(out)) {}

    int Run() {
        if (!e2e::MakeFolders(out_)) {
            std::printf("cannot make the folder %s\n", out_.c_str());
            return 1;
        }
        const bool done =
            FirstRun() &&
            WizardRun({"rename", "Rename the Normal.Dot Template", "Quorvex - Advanced", "Advanced Quorvex Wizard"}) &&
            WizardRun({"reset", "Reset MS Word to Initial Install", "Quorvex - Advanced", "Advanced Quorvex Wizard"}) &&
            AdvancedRun() && UndoRun();
        std::printf("%d pictures in %s\n", shots_, out_.c_str());
        return done ? 0 : 1;
    }

private:
    bool Fail(const std::string& text) {
        std::printf("qvx-shots stopped: %s\n", text.c_str());
        if (app_) std::printf("%s\n", app_->Describe().c_str());
        return false;
    }
    bool Shot(HWND window, const std::string& name) {
        char number[8];
        std::snprintf(number, sizeof number, "%02d", ++shots_);
        const std::string path = out_ + "\\" + number + "-" + name + ".bmp";
        if (!e2e::SaveScreenshot(window, path)) return Fail("could not save " + path);
        std::printf("  %s\n", path.c_str());
        return true;
    }
    HWND Form(const char* caption, const char* childText) {
        HWND form = app_->WaitForForm(caption, childText);
        if (form == nullptr) Fail(std::string("no window \"") + caption + "\" showing \"" + childText + "\"");
        return form;
    }
    bool Press(HWND form, const std::string& text) { return e2e::Click(form, text) || Fail("no button \"" + text + "\""); }
    // An option or a check box, clicked until it shows chosen.
    bool Choose(HWND form, const std::string& text) {
        HWND option = e2e::FindControl(form, text);
        if (option == nullptr) return Fail("no choice \"" + text + "\"");
        e2e::Choose(option);
        return e2e::WaitUntil([&] { return e2e::IsChecked(option); }) || Fail("\"" + text + "\" stays unchosen");
    }
    bool Start() {
        std::string error;
        app_ = App::Start(program_, wordsim::io::FolderOf(program_), &error);
        return app_ != nullptr || Fail(error);
    }
    bool Ends() {
        const std::optional<DWORD> code = app_->WaitForExit();
        if (!code) return Fail("the program did not end");
        app_.reset();
        return true;
    }

    // The menu, once the walk-through offer (which comes over it until it is
    // declined for good) is out of the way; its picture when asked.
    HWND Menu(bool shootOffer) {
        HWND menu = Form(kTitle, kMenuHeading);
        if (menu == nullptr) return nullptr;
        HWND offer = app_->FindForm("", "Important!");
        for (int i = 0; offer == nullptr && i < 3 && e2e::Settle(menu); ++i) offer = app_->FindForm("", "Important!");
        if (offer != nullptr) {
            if (shootOffer && !Shot(offer, "walkthrough-offer")) return nullptr;
            if (!Press(offer, "Cancel")) return nullptr;
        }
        if (!e2e::WaitUntil([&] { return ::IsWindowEnabled(menu) != 0; })) {
            Fail("the menu stays disabled");
            return nullptr;
        }
        return menu;
    }

    // Every page of a wizard from its welcome to its finish page.
    bool Pages(HWND wizard, const std::string& file, const std::string& welcome) {
        const char* const headings[] = {"Step 1", "Step 2", "Step 3", "Step 4", "Congratulations"};
        if (!app_->WaitForPage(wizard, welcome, kNext)) return Fail("no welcome page \"" + welcome + "\"");
        if (!Shot(wizard, file + "-welcome")) return false;
        for (const std::string heading : headings) {
            const bool last = heading == "Congratulations";
            if (!Press(wizard, kNext)) return false;
            // The repairs ask whether to search the add-ins they left off.
            if (last) {
                if (HWND box = app_->WaitForMessageBox(std::chrono::seconds(3))) {
                    if (!Shot(box, file + "-addins-question")) return false;
                    app_->AnswerAddinSearch("No");
                }
            }
            if (!app_->WaitForPage(wizard, heading, last ? "Finish" : kNext, std::chrono::minutes(5))) {
                if (HWND box = app_->FindMessageBox()) return Fail("a message: " + e2e::ReadMessageBox(box).text);
                return Fail("no page \"" + heading + "\"");
            }
            if (!Shot(wizard, file + "-" + (last ? std::string("finish") : "step" + heading.substr(5)))) return false;
        }
        return true;
    }

    // The closing form: as it comes, with the mouse over one button, with
    // another held down; then its goodbye and the end.
    bool Closing(bool shoot) {
        HWND promotion = Form(kTitle, "Try Quorvex Plus");
        if (promotion == nullptr) return false;
        if (shoot) {
            HWND learnMore = e2e::FindControl(promotion, "Learn more");
            HWND order = e2e::FindControl(promotion, "Order");
            if (learnMore == nullptr || order == nullptr) return Fail("the closing form's buttons are missing");
            if (!Shot(promotion, "closing-form")) return false;
            if (!e2e::Hover(learnMore) || !Shot(promotion, "closing-form-hovered")) return false;
            if (!e2e::PressDown(order) || !Shot(promotion, "closing-form-pressed")) return false;
            if (!e2e::ReleaseOutside(order)) return Fail("the pressed button was not let go");
        }
        if (!Press(promotion, "Close")) return false;
        HWND box = app_->WaitForMessageBox();
        if (box == nullptr) return Fail("no goodbye message");
        if (shoot && !Shot(box, "goodbye")) return false;
        return e2e::Answer(box, "OK") && Ends();
    }

    // The first run: version choice and its help, the offer, the menu and its
    // options, the automatic repair, the closing form.
    bool FirstRun() {
        if (!Start()) return false;
        HWND choice = Form(kTitle, "Choosing your version of MS Word installed on your computer");
        if (choice == nullptr || !Shot(choice, "version-choice")) return false;
        if (!Choose(choice, "I'm not sure what version I have installed") || !Press(choice, "Next")) return false;
        HWND help = Form("", "Determining your version of MS Word installed on your computer");
        if (help == nullptr || !Shot(help, "version-help") || !Press(help, "Close")) return false;
        if (!e2e::WaitUntil([&] { return ::IsWindowEnabled(choice) != 0; })) return Fail("the choice stays disabled");
        // Chosen for good: the later runs go straight to the menu.
        if (!Choose(choice, "Do not show this dialog again") ||
            !Choose(choice, "Word XP (also known as Word XP or Word 2003)") || !Press(choice, "Next")) return false;

        HWND menu = Menu(true);
        if (menu == nullptr || !Shot(menu, "main-menu") || !Press(menu, "Settings")) return false;
        HWND options = Form("Options", "Options:");
        if (options == nullptr || !Shot(options, "options") || !Press(options, "OK")) return false;
        if (!e2e::WaitUntil([&] { return ::IsWindowEnabled(menu) != 0; })) return Fail("the menu stays disabled");

        if (!Choose(menu, "Analyze and Repair MS Word Automatically.") || !Press(menu, "Start")) return false;
        HWND wizard = Form("Quorvex - Automatic Repair", "Quorvex Wizard");
        return wizard != nullptr && Pages(wizard, "automatic", "Quorvex Wizard") && Press(wizard, "Finish") &&
               Closing(true);
    }

    bool WizardRun(const WizardRoute& route) {
        if (!Start()) return false;
        HWND menu = Menu(false);
        if (menu == nullptr || !Choose(menu, route.option) || !Press(menu, "Start")) return false;
        HWND wizard = Form(route.caption, route.welcome);
        return wizard != nullptr && Pages(wizard, route.file, route.welcome) && Press(wizard, "Finish") &&
               Closing(false);
    }

    // The advanced menu and its wizard, which ends the program from its
    // finish page when asked to just close.
    bool AdvancedRun() {
        if (!Start()) return false;
        HWND menu = Menu(false);
        if (menu == nullptr || !Choose(menu, "Go to Advanced Features.") || !Press(menu, "Start")) return false;
        HWND advanced = Form(kTitle, "Advanced Features:");
        if (advanced == nullptr || !Shot(advanced, "advanced-menu") || !Press(advanced, "OK")) return false;
        HWND wizard = Form("Quorvex - Advanced", "Advanced Quorvex Wizard");
        return wizard != nullptr && Pages(wizard, "advanced", "Advanced Quorvex Wizard") &&
               Choose(wizard, "Please just close Quorvex.") && Press(wizard, "Finish") && Ends();
    }

    // The undo wizard page by page, undoing the latest of the runs before.
    bool UndoRun() {
        if (!Start()) return false;
        HWND menu = Menu(false);
        if (menu == nullptr || !Choose(menu, "Go to Advanced Features.") || !Press(menu, "Start")) return false;
        HWND advanced = Form(kTitle, "Advanced Features:");
        if (advanced == nullptr || !Choose(advanced, "Undo a repair") || !Press(advanced, "OK")) return false;
        HWND wizard = Form("Quorvex - Undo a repair", "Undo a repair");
        if (wizard == nullptr || !Shot(wizard, "undo-welcome")) return false;
        for (const std::string heading : {"Step 1", "Step 2", "Step 3", "Finished"}) {
            const bool last = heading == "Finished";
            if (!Press(wizard, kNext) ||
                !app_->WaitForPage(wizard, heading, last ? "Finish" : kNext, std::chrono::minutes(5)))
                return Fail("no page \"" + heading + "\"");
            if (!Shot(wizard, "undo-" + (last ? std::string("finish") : "step" + heading.substr(5)))) return false;
        }
        return Press(wizard, "Finish") && Closing(false);
    }

    std::string program_;
    std::string out_;
    std::unique_ptr<App> app_;
    int shots_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    std::string program;
    std::string out;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--program") program = e2e::WindowsPath(argv[i + 1]);
        else if (arg == "--out") out = e2e::WindowsPath(argv[i + 1]);
    }
    if (program.empty() || out.empty() || argc % 2 == 0) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return Shots(program, out).Run();
}
