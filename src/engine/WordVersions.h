// The keys that name a Word version: stored in the settings as "Word Version"
// and held in CurrentWordVersion, always compared exactly and case-sensitively.
// A newer Word is one more row.
#pragma once

#include <string>

namespace engine {

inline constexpr const char* kWord2002 = "WD10";
inline constexpr const char* kWord2003 = "WD11";

struct WordVersion {
    const char* key;
    const char* office;  // its folder under Software\Microsoft\Office
};

inline constexpr WordVersion kWordVersions[] = {
    {kWord2002, "10.0"},
    {kWord2003, "11.0"},
};

// True for a key with a row above.
inline bool IsSupportedVersion(const std::string& key) {
    for (const WordVersion& version : kWordVersions)
        if (key == version.key) return true;
    return false;
}

}  // namespace engine
