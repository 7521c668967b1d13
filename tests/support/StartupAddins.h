// The twelve Startup add-ins of the add-in search tests, Addin01 to Addin12:
// all ".dot" for Word 2002/2003, of every kind Word 2007 and later load else.
#pragma once

#include <string>
#include <vector>

namespace qvxtest {

inline std::vector<std::string> TwelveStartupAddins(bool newer) {
    const char* kinds[] = {".dot", ".dotm", ".dotx", ".wll"};
    std::vector<std::string> names;
    for (int i = 1; i <= 12; ++i) names.push_back("Addin" + std::to_string(100 + i).substr(1) + (newer ? kinds[i % 4] : ".dot"));
    return names;
}

}  // namespace qvxtest
