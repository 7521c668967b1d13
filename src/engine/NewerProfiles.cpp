// The profiles of Word 2007 and later: one table row per version.
#include "engine/WordProfile.h"
#include "engine/WordVersions.h"

namespace engine {

namespace {
const ProfileTable kNewerProfiles[] = {
    {"clsWD12", "Software\\Microsoft\\Office\\12.0\\Word\\Data", "Software\\Microsoft\\Office\\12.0\\Word\\Options",
     "Software\\Microsoft\\Office\\Word\\Addins", "Software\\Microsoft\\Office\\12.0\\Common\\General", "", false, kWord2007,
     "Normal.dotm"},
    {"clsWD14", "Software\\Microsoft\\Office\\14.0\\Word\\Data", "Software\\Microsoft\\Office\\14.0\\Word\\Options",
     "Software\\Microsoft\\Office\\Word\\Addins", "Software\\Microsoft\\Office\\14.0\\Common\\General", "", false, kWord2010,
     "Normal.dotm"},
    {"clsWD15", "Software\\Microsoft\\Office\\15.0\\Word\\Data", "Software\\Microsoft\\Office\\15.0\\Word\\Options",
     "Software\\Microsoft\\Office\\Word\\Addins", "Software\\Microsoft\\Office\\15.0\\Common\\General", "", false, kWord2013,
     "Normal.dotm"},
    {"clsWD16", "Software\\Microsoft\\Office\\16.0\\Word\\Data", "Software\\Microsoft\\Office\\16.0\\Word\\Options",
     "Software\\Microsoft\\Office\\Word\\Addins", "Software\\Microsoft\\Office\\16.0\\Common\\General", "", false, kWord2016,
     "Normal.dotm"},
};
}  // namespace

const ProfileTable* NewerProfileTable(const std::string& version) {
    for (const ProfileTable& table : kNewerProfiles)
        if (version == table.version) return &table;
    return nullptr;
}

}  // namespace engine
