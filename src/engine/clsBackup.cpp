#include "engine/clsBackup.h"

#include "engine/Class1.h"
#include "engine/Selection.h"
#include "engine/clsWDNone.h"
#include "platform/clsRegistry.h"

#include <memory>

namespace engine {

void clsBackup::Backup() {
    // Unlike the wizards, the launch never keeps an earlier profile: without a
    // supported version it runs on the do-nothing one.
    program_.CurrentWordProfile = std::make_shared<clsWDNone>(program_);
    // Held here so that a selection made while messages run cannot free the
    // profile under its own Execute.
    const std::shared_ptr<clsWD> profile = SelectWordProfile(program_);

    platform::UserPort& user = program_.services.user;
    user.DoEvents(3);
    if (options_.optLaunchSelected()) profile->Execute(false);
    if (options_.optLaunchSMSelected()) profile->Execute(true);
    user.DoEvents(6);
}

void clsBackup::RegBackup(const std::string& strRegfile, const std::string& strReg) {
    StartRegistryEditor(program_.services, RegExportCommandLine(strRegfile, strReg), "clsBackup");
}

platform::Variant clsBackup::GetDefaultWP() {
    return platform::clsRegistry(program_.services)
        .GetValue(os::HKeyLocalMachine, "SOFTWARE\\Classes\\WordPerfect.Document\\CurVer", "");
}

}  // namespace engine
