// The advanced menu's safe-mode launch (Backup), an export of a registry key
// through the registry editor (RegBackup), and the registered WordPerfect
// document version (GetDefaultWP).
#pragma once

#include "engine/Program.h"
#include "platform/Variant.h"

#include <string>

namespace engine {

// The advanced menu's two launch options, read when Backup runs; the menu
// implements this itself, so the engine needs nothing from the app layer.
class LaunchOptions {
public:
    // "Launch MS Word in Safe Mode"
    virtual bool optLaunchSelected() const = 0;
    // "Launch MS Word in Safe Mode with Support Tool"
    virtual bool optLaunchSMSelected() const = 0;

protected:
    ~LaunchOptions() = default;
};

class clsBackup {
public:
    clsBackup(Program& program, const LaunchOptions& options) : program_(program), options_(options) {}

    // Selects the profile of CurrentWordVersion into CurrentWordProfile (the
    // do-nothing profile when no supported version is chosen) and starts Word
    // in safe mode through it for each launch option selected. Word is not
    // waited for.
    void Backup();
    void RegBackup(const std::string& strRegfile, const std::string& strReg);
    // The default value of HKLM\SOFTWARE\Classes\WordPerfect.Document\CurVer;
    // empty when the key or value is missing.
    platform::Variant GetDefaultWP();

private:
    Program& program_;
    const LaunchOptions& options_;
};

}  // namespace engine
