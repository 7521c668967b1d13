// How the wizards pick the profile for the Word version chosen at start-up.
#pragma once

#include "engine/Program.h"
#include "engine/clsWD.h"

#include <memory>

namespace engine {

// "WD10" puts a new clsWD10 into CurrentWordProfile, "WD11" a new clsWD11
// (exact, case-sensitive); any other version leaves the profile as it was,
// possibly empty. Returns the profile now current.
std::shared_ptr<clsWD> SelectWordProfile(Program& program);

}  // namespace engine
