// Folders the engine builds its paths from.
#pragma once

#include "os/Api.h"

#include <string>

namespace engine {

// The folder of the running executable as the runtime reports it: without a
// trailing backslash, except at a drive root ("C:\"). Paths are joined to it
// without tidying, so a backup made in one run is found by the next.
std::string OwnFolder(os::Api& api);

// Whether Word's program folder is a Click-to-Run one ("...\root\Office16"):
// such a Word is repaired by Office itself, not by its /u and /r runs.
bool IsClickToRunFolder(const std::string& folder);

}  // namespace engine
