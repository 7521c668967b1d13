#include "platform/MIni.h"

#include <algorithm>

namespace platform {

std::string MIni::ReadIniString(const std::string& file, const std::string& section, const std::string& key) {
    constexpr uint32_t kSize = 255;
    std::string buffer(kSize, ' ');
    uint32_t count = api_.GetPrivateProfileString(section, key, "", buffer.data(), kSize, file);
    // The count never passes the buffer, whatever the call answers.
    return buffer.substr(0, std::min<uint32_t>(count, kSize));
}

}  // namespace platform
