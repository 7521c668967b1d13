// The program-wide values the engine and the wizards share for the whole run.
// The application context owns the one instance.
#pragma once

#include "engine/Journal.h"
#include "engine/RunRecord.h"
#include "engine/clsWD.h"
#include "platform/Services.h"

#include <memory>
#include <string>

namespace engine {

struct Program {
    explicit Program(platform::Services given) : services(std::move(given)), journal(services.api) {}

    platform::Services services;
    // "WD10" (Word 2002), "WD11" (Word 2003), "WD12" to "WD16" (Word 2007 and
    // later, WordVersions.h); any other text: none chosen.
    // Compared exactly and case-sensitively everywhere.
    std::string CurrentWordVersion;
    // The folder that holds winword.exe, without a trailing backslash.
    std::string WordProgramFolder;
    // The Word version profile in use; empty until a selection.
    std::shared_ptr<clsWD> CurrentWordProfile;
    // What the engine has backed up and told the user so far in this run.
    RunRecord Run;
    // Where every change to a component is written down before it is made.
    Journal journal;
};

}  // namespace engine
