#include "app/Settings.h"

#include "os/Handles.h"

#include <algorithm>
#include <vector>

namespace app {

namespace {
constexpr const char* kStoreRoot = "Software\\VB and VBA Program Settings\\";
}

std::string Settings::AppName() {
    std::string path = api_.GetModuleFileName();
    size_t slash = path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

std::string Settings::KeyOf(const std::string& section) {
    std::string app = AppName();
    if (app.empty() || section.empty()) return {};
    return kStoreRoot + app + "\\" + section;
}

std::optional<std::string> ReadRegistryText(os::Api& api, os::HKey root, const std::string& keyName,
                                            const std::string& valueName) {
    os::HKey raw = 0;
    if (api.RegOpenKeyEx(root, keyName, os::KeyRead, &raw) != os::err::Success) return std::nullopt;
    os::UniqueKey key(api, raw);
    uint32_t type = 0;
    uint32_t size = 0;
    if (api.RegQueryValueEx(key.get(), valueName, &type, nullptr, &size) != os::err::Success) return std::nullopt;
    if (type != os::RegSz && type != os::RegExpandSz) return std::nullopt;
    // The value may grow between the two calls; ask again until it fits.
    std::vector<uint8_t> data;
    long status = os::err::MoreData;
    for (int tries = 0; tries < 4 && status == os::err::MoreData; ++tries) {
        data.assign(size + 1, 0);
        size = static_cast<uint32_t>(data.size());
        status = api.RegQueryValueEx(key.get(), valueName, &type, data.data(), &size);
    }
    if (status != os::err::Success || (type != os::RegSz && type != os::RegExpandSz)) return std::nullopt;
    std::string text(reinterpret_cast<const char*>(data.data()), std::min<size_t>(size, data.size()));
    size_t nul = text.find('\0');
    if (nul != std::string::npos) text.erase(nul);
    return text;
}

std::string Settings::Get(const std::string& section, const std::string& key, const std::string& defaultValue) {
    std::string keyName = KeyOf(section);
    if (keyName.empty()) return defaultValue;
    return ReadRegistryText(api_, os::HKeyCurrentUser, keyName, key).value_or(defaultValue);
}

void Settings::Save(const std::string& section, const std::string& key, const std::string& value) {
    std::string keyName = KeyOf(section);
    if (keyName.empty()) return;
    os::HKey raw = 0;
    uint32_t disposition = 0;
    if (api_.RegCreateKeyEx(os::HKeyCurrentUser, keyName, os::KeyAllAccess, &raw, &disposition) !=
        os::err::Success)
        return;
    os::UniqueKey created(api_, raw);
    api_.RegSetValueEx(created.get(), key, os::RegSz, reinterpret_cast<const uint8_t*>(value.c_str()),
                       static_cast<uint32_t>(value.size() + 1));
}

}  // namespace app
