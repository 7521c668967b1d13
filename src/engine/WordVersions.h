// The keys that name a Word version: stored in the settings as "Word Version"
// and held in CurrentWordVersion, always compared exactly and case-sensitively.
// A newer Word is one more row.
#pragma once

#include <string>

namespace engine {

inline constexpr const char* kWord2002 = "WD10";
inline constexpr const char* kWord2003 = "WD11";
inline constexpr const char* kWord2007 = "WD12";
inline constexpr const char* kWord2010 = "WD14";
inline constexpr const char* kWord2013 = "WD15";
inline constexpr const char* kWord2016 = "WD16";

struct WordVersion {
    const char* key;
    const char* office;  // its folder under Software\Microsoft\Office
    // Word 2007 and later: how the user is told about it, and the folder of
    // its program under "Microsoft Office"; empty for 2002 and 2003.
    const char* name = "";
    const char* msiFolder = "";
    bool clickToRun = false;  // also installed by Click-to-Run ("root\Office16")
};

inline constexpr WordVersion kWordVersions[] = {
    {kWord2002, "10.0"},
    {kWord2003, "11.0"},
    // 2010 by Click-to-Run runs from a virtual drive: not handled.
    {kWord2007, "12.0", "Word 2007", "Office12"},
    {kWord2010, "14.0", "Word 2010", "Office14"},
    {kWord2013, "15.0", "Word 2013", "Office15", true},
    // The registry cannot tell 2016, 2019, 2021, 2024 and Microsoft 365 apart.
    {kWord2016, "16.0", "Word 2016 or later", "Office16", true},
};

// The row of a key; null when none.
inline const WordVersion* FindWordVersion(const std::string& key) {
    for (const WordVersion& version : kWordVersions)
        if (key == version.key) return &version;
    return nullptr;
}

// True for a key with a row above.
inline bool IsSupportedVersion(const std::string& key) { return FindWordVersion(key) != nullptr; }

// Word 2007 or later.
inline bool IsNewerVersion(const std::string& key) {
    const WordVersion* version = FindWordVersion(key);
    return version != nullptr && *version->name != '\0';
}

}  // namespace engine
