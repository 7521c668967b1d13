#include "wizards/WizardEnv.h"

#include "engine/WordVersions.h"
#include "engine/clsWD10.h"
#include "engine/clsWD11.h"

namespace wizards {

std::function<std::shared_ptr<engine::clsWD>(const std::string&)> StandardProfiles(engine::Program& program) {
    return [&program](const std::string& version) -> std::shared_ptr<engine::clsWD> {
        if (version == engine::kWord2002) return std::make_shared<engine::clsWD10>(program);
        if (version == engine::kWord2003) return std::make_shared<engine::clsWD11>(program);
        if (const engine::ProfileTable* table = engine::NewerProfileTable(version))
            return std::make_shared<engine::WordProfile>(program, *table);
        return nullptr;
    };
}

}  // namespace wizards
