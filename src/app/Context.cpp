#include "app/Context.h"

#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "app/frmPromotion.h"
#include "app/frmWdVersion.h"
#include "app/frmWkThru.h"
#include "app/frmWordVerChoice.h"
#include "app/frmadvmenu.h"

namespace app {

Context::Context(os::Api& api, forms::Host& host)
    : program_(platform::Services{api, host}),
      frmMain_([this] { return std::make_unique<app::frmMain>(*this); }),
      frmWordVerChoice_([this] { return std::make_unique<app::frmWordVerChoice>(*this); }),
      frmWdVersion_([this] { return std::make_unique<app::frmWdVersion>(*this); }),
      frmOptions_([this] { return std::make_unique<app::frmOptions>(*this); }),
      frmWkThru_([this] { return std::make_unique<app::frmWkThru>(*this); }),
      frmadvmenu_([this] { return std::make_unique<app::frmadvmenu>(*this); }),
      frmPromotion_([this] { return std::make_unique<app::frmPromotion>(*this); }) {
    Dispatch.frmadvmenu = [this] { frmadvmenu().RunFromStart(); };
    Dispatch.frmPromotion = [this] { frmPromotion().ShowModal(); };
}

Context::~Context() = default;

app::frmMain& Context::frmMain() { return frmMain_.Get(); }
app::frmWordVerChoice& Context::frmWordVerChoice() { return frmWordVerChoice_.Get(); }
app::frmWdVersion& Context::frmWdVersion() { return frmWdVersion_.Get(); }
app::frmOptions& Context::frmOptions() { return frmOptions_.Get(); }
app::frmWkThru& Context::frmWkThru() { return frmWkThru_.Get(); }
app::frmadvmenu& Context::frmadvmenu() { return frmadvmenu_.Get(); }
app::frmPromotion& Context::frmPromotion() { return frmPromotion_.Get(); }

}  // namespace app
