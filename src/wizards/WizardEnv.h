// What the Word wizards are handed: the program-wide values, where new Word
// version profiles come from, and how to ask for a Word version when none is
// chosen.
#pragma once

#include "engine/Program.h"
#include "engine/WordVersions.h"
#include "engine/clsWD.h"
#include "forms/Host.h"

#include <functional>
#include <memory>
#include <string>

namespace wizards {

struct WizardEnv {
    engine::Program& program;
    // Where the wizards' forms are shown.
    forms::Host& host;
    // A new profile for "WD10" or "WD11"; empty uses StandardProfiles.
    std::function<std::shared_ptr<engine::clsWD>(const std::string& version)> makeProfile;
    // Shows the version choice; the wizard reads CurrentWordVersion after it.
    std::function<void()> askWordVersion;
};

// clsWD10 for "WD10", clsWD11 for "WD11", the newer Words' profiles for
// theirs, nothing for anything else.
std::function<std::shared_ptr<engine::clsWD>(const std::string& version)> StandardProfiles(engine::Program& program);

using engine::IsSupportedVersion;

}  // namespace wizards
