#include "engine/Selection.h"

#include "engine/WordVersions.h"
#include "engine/clsWD10.h"
#include "engine/clsWD11.h"

namespace engine {

std::shared_ptr<clsWD> SelectWordProfile(Program& program) {
    if (program.CurrentWordVersion == kWord2002) program.CurrentWordProfile = std::make_shared<clsWD10>(program);
    if (program.CurrentWordVersion == kWord2003) program.CurrentWordProfile = std::make_shared<clsWD11>(program);
    if (const ProfileTable* table = NewerProfileTable(program.CurrentWordVersion))
        program.CurrentWordProfile = std::make_shared<WordProfile>(program, *table);
    return program.CurrentWordProfile;
}

}  // namespace engine
