// Removal of a whole registry key. RegDeleteKey refuses a key that still has
// subkeys (the COM add-ins key has one per add-in), so the tree goes deepest
// first.
#pragma once

#include "os/Api.h"

#include <string>

namespace engine {

// Deletes parent\subKey with every key below it. Returns 0, or the status of
// the call that stopped it (ERROR_FILE_NOT_FOUND when the key is absent).
long DeleteRegTree(os::Api& api, os::HKey parent, const std::string& subKey);

}  // namespace engine
