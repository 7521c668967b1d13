// The one application context: the program-wide values, the services every
// layer is handed, and each form of the shell in its slot (created on first
// touch, afresh after it was unloaded).
#pragma once

#include "engine/Program.h"
#include "forms/Form.h"
#include "os/Api.h"
#include "platform/Services.h"
#include "wizards/HostUser.h"
#include "wizards/WizardEnv.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wizards {
class frmBackup;
class frmReset;
class frmRenameTemplate;
class frmBackup1;
class frmUndo;
}  // namespace wizards

namespace app {

class frmMain;
class frmWordVerChoice;
class frmWdVersion;
class frmOptions;
class frmWkThru;
class frmadvmenu;
class frmPromotion;
struct InstalledWord;

class Context {
public:
    Context(os::Api& api, forms::Host& host);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    engine::Program& Program() { return program_; }
    const platform::Services& Services() const { return program_.services; }
    os::Api& Api() const { return program_.services.api; }
    forms::Host& Host() const { return user_.FormHost(); }
    const std::string& Title() const { return program_.services.title; }

    std::string& CurrentWordVersion() { return program_.CurrentWordVersion; }
    std::string& WordProgramFolder() { return program_.WordProgramFolder; }
    // Every Word 2007 or later on the machine, looked for once per run: the
    // version choice and the start-up both need it before the menu shows.
    const std::vector<InstalledWord>& NewerWords();

    app::frmMain& frmMain();
    app::frmWordVerChoice& frmWordVerChoice();
    app::frmWdVersion& frmWdVersion();
    app::frmOptions& frmOptions();
    app::frmWkThru& frmWkThru();
    app::frmadvmenu& frmadvmenu();
    app::frmPromotion& frmPromotion();
    wizards::frmBackup& frmBackup();
    wizards::frmReset& frmReset();
    wizards::frmRenameTemplate& frmRenameTemplate();
    wizards::frmBackup1& frmBackup1();
    wizards::frmUndo& frmUndo();

    // Where the forms of later layers plug in: each shows its form modally
    // and returns when it is hidden or closed. The main menu's Start runs
    // the one of the chosen way of working, then the closing form, then ends
    // the program; a hook left empty is skipped. Every hook is plugged in
    // from the start; tests replace them.
    struct StartDispatch {
        std::function<void()> frmBackup;          // automatic analyze-and-repair wizard
        std::function<void()> frmadvmenu;         // advanced menu
        std::function<void()> frmRenameTemplate;  // rename-Normal.dot wizard
        std::function<void()> frmReset;           // reset-to-initial-install wizard
        std::function<void()> frmPromotion;       // the closing form
    };
    StartDispatch Dispatch;

    // The advanced component-reset wizard (frmBackup1), opened by the
    // advanced menu's OK: shows it without waiting and returns its form, or
    // null when it could not be shown. Start then waits on that form until it
    // is hidden or the program ends.
    std::function<forms::Form*()> ShowAdvancedWizard;

private:
    wizards::HostUser user_;
    engine::Program program_;
    std::optional<std::vector<InstalledWord>> newerWords_;
    forms::FormSlot<app::frmMain> frmMain_;
    forms::FormSlot<app::frmWordVerChoice> frmWordVerChoice_;
    forms::FormSlot<app::frmWdVersion> frmWdVersion_;
    forms::FormSlot<app::frmOptions> frmOptions_;
    forms::FormSlot<app::frmWkThru> frmWkThru_;
    forms::FormSlot<app::frmadvmenu> frmadvmenu_;
    forms::FormSlot<app::frmPromotion> frmPromotion_;
    // What the Word wizards are handed: the real profiles, and the version
    // choice dialog as the options dialog's Change shows it.
    wizards::WizardEnv wizardEnv_;
    forms::FormSlot<wizards::frmBackup> frmBackup_;
    forms::FormSlot<wizards::frmReset> frmReset_;
    forms::FormSlot<wizards::frmRenameTemplate> frmRenameTemplate_;
    forms::FormSlot<wizards::frmBackup1> frmBackup1_;
    forms::FormSlot<wizards::frmUndo> frmUndo_;
};

}  // namespace app
