#include "app/Context.h"

#include "app/Startup.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "app/frmPromotion.h"
#include "app/frmWdVersion.h"
#include "app/frmWkThru.h"
#include "app/frmWordVerChoice.h"
#include "app/frmadvmenu.h"
#include "wizards/frmBackup.h"
#include "wizards/frmBackup1.h"
#include "wizards/frmUndo.h"
#include "wizards/frmRenameTemplate.h"
#include "wizards/frmReset.h"

namespace app {

Context::Context(os::Api& api, forms::Host& host)
    : user_(host),
      program_(platform::Services{api, user_}),
      frmMain_([this] { return std::make_unique<app::frmMain>(*this); }),
      frmWordVerChoice_([this] { return std::make_unique<app::frmWordVerChoice>(*this); }),
      frmWdVersion_([this] { return std::make_unique<app::frmWdVersion>(*this); }),
      frmOptions_([this] { return std::make_unique<app::frmOptions>(*this); }),
      frmWkThru_([this] { return std::make_unique<app::frmWkThru>(*this); }),
      frmadvmenu_([this] { return std::make_unique<app::frmadvmenu>(*this); }),
      frmPromotion_([this] { return std::make_unique<app::frmPromotion>(*this); }),
      wizardEnv_{program_, host, wizards::StandardProfiles(program_),
                 [this] { frmOptions().btnChangeVersion_Click(); }},
      frmBackup_([this] { return std::make_unique<wizards::frmBackup>(wizardEnv_); }),
      frmReset_([this] { return std::make_unique<wizards::frmReset>(wizardEnv_); }),
      frmRenameTemplate_([this] { return std::make_unique<wizards::frmRenameTemplate>(wizardEnv_); }),
      frmBackup1_([this] { return std::make_unique<wizards::frmBackup1>(wizardEnv_); }),
      frmUndo_([this] { return std::make_unique<wizards::frmUndo>(program_, user_.FormHost()); }) {
    Dispatch.frmBackup = [this] { frmBackup().ShowModal(); };
    Dispatch.frmadvmenu = [this] { frmadvmenu().RunFromStart(); };
    Dispatch.frmRenameTemplate = [this] { frmRenameTemplate().ShowModal(); };
    Dispatch.frmReset = [this] { frmReset().ShowModal(); };
    Dispatch.frmPromotion = [this] { frmPromotion().ShowModal(); };
    ShowAdvancedWizard = [this]() -> forms::Form* {
        wizards::frmBackup1& wizard = frmBackup1();
        wizard.Show();
        return &wizard;
    };
}

Context::~Context() = default;

const std::vector<InstalledWord>& Context::NewerWords() {
    if (!newerWords_) newerWords_ = FindNewerWords(Api());
    return *newerWords_;
}

app::frmMain& Context::frmMain() { return frmMain_.Get(); }
app::frmWordVerChoice& Context::frmWordVerChoice() { return frmWordVerChoice_.Get(); }
app::frmWdVersion& Context::frmWdVersion() { return frmWdVersion_.Get(); }
app::frmOptions& Context::frmOptions() { return frmOptions_.Get(); }
app::frmWkThru& Context::frmWkThru() { return frmWkThru_.Get(); }
app::frmadvmenu& Context::frmadvmenu() { return frmadvmenu_.Get(); }
app::frmPromotion& Context::frmPromotion() { return frmPromotion_.Get(); }
wizards::frmBackup& Context::frmBackup() { return frmBackup_.Get(); }
wizards::frmReset& Context::frmReset() { return frmReset_.Get(); }
wizards::frmRenameTemplate& Context::frmRenameTemplate() { return frmRenameTemplate_.Get(); }
wizards::frmBackup1& Context::frmBackup1() { return frmBackup1_.Get(); }
wizards::frmUndo& Context::frmUndo() { return frmUndo_.Get(); }

}  // namespace app
