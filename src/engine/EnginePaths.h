// Folders the engine builds its paths from.
#pragma once

#include "os/Api.h"

#include <string>

namespace engine {

// The folder of the running executable as the runtime reports it: without a
// trailing backslash, except at a drive root ("C:\"). Paths are joined to it
// without tidying, so a backup made in one run is found by the next.
std::string OwnFolder(os::Api& api);

}  // namespace engine
