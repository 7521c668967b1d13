#include "engine/RegTree.h"

#include "os/Handles.h"

#include <vector>

namespace engine {

long DeleteRegTree(os::Api& api, os::HKey parent, const std::string& subKey) {
    if (subKey.empty()) return os::err::InvalidParameter;  // never a whole root
    os::HKey raw = 0;
    long rc = api.RegOpenKeyEx(parent, subKey, os::KeyAllAccess, &raw);
    if (rc != os::err::Success) return rc;
    os::UniqueKey key(api, raw);
    // Names first: deleting while enumerating would shift the indexes.
    std::vector<std::string> names;
    for (uint32_t index = 0;; ++index) {
        char name[256] = {};
        uint32_t chars = sizeof name;
        rc = api.RegEnumKeyEx(key.get(), index, name, &chars);
        if (rc == os::err::NoMoreItems) break;
        if (rc != os::err::Success) return rc;
        names.emplace_back(name, chars < sizeof name ? chars : sizeof name - 1);
    }
    for (const std::string& name : names) {
        rc = DeleteRegTree(api, key.get(), name);
        if (rc != os::err::Success && rc != os::err::FileNotFound) return rc;
    }
    key.reset();
    return api.RegDeleteKey(parent, subKey);
}

}  // namespace engine
