// Reads one key of an INI file, as the restore wizard reads a backup file's
// description.
#pragma once

#include "platform/Services.h"

#include <string>

namespace platform {

class MIni {
public:
    explicit MIni(const Services& services) : api_(services.api) {}

    // The key's text; the empty text when the file, section or key is
    // missing. Values longer than 254 characters are cut to 254.
    std::string ReadIniString(const std::string& file, const std::string& section, const std::string& key);

private:
    os::Api& api_;
};

}  // namespace platform
