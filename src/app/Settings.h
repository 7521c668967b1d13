// The per-user settings store: text values by application, section and key,
// kept where the classic runtime keeps them, so settings written by earlier
// builds are still found. The program only adds and overwrites, never deletes.
#pragma once

#include "os/Api.h"

#include <optional>
#include <string>

namespace app {

// A REG_SZ or REG_EXPAND_SZ value read with read access only (a user without
// admin rights opens HKLM for no more); nullopt when missing or not text.
std::optional<std::string> ReadRegistryText(os::Api& api, os::HKey root, const std::string& keyName,
                                            const std::string& valueName);

inline constexpr const char* kSectionSettings = "Settings";
inline constexpr const char* kKeyWordVersion = "Word Version";
inline constexpr const char* kKeyDetectNoShow = "Word Detect No Show";
inline constexpr const char* kSectionWalkThru = "Show WalkThru";
inline constexpr const char* kKeyWalkThru = "WalkThru";
// What every entry reads as while it is absent.
inline constexpr const char* kSettingDefault = "False";

class Settings {
public:
    explicit Settings(os::Api& api) : api_(api) {}

    // The stored text, or defaultValue when the entry is absent.
    std::string Get(const std::string& section, const std::string& key, const std::string& defaultValue);
    // Creates or overwrites the entry; failures go unnoticed, as the runtime's do.
    void Save(const std::string& section, const std::string& key, const std::string& value);

    // The running executable's base name: another file name, other settings.
    std::string AppName();
    // Below HKEY_CURRENT_USER; empty when the executable's name is unknown.
    std::string KeyOf(const std::string& section);

private:
    os::Api& api_;
};

}  // namespace app
