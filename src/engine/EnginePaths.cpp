#include "engine/EnginePaths.h"

namespace engine {

std::string OwnFolder(os::Api& api) {
    std::string path = api.GetModuleFileName();
    size_t slash = path.find_last_of('\\');
    if (slash == std::string::npos) return {};
    std::string folder = path.substr(0, slash);
    // A drive root keeps its backslash: "C:" alone would name the current folder of drive C.
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    return folder;
}

std::string GetAppDataFolder(os::Api& api) {
    std::string path;
    if (!api.GetSpecialFolderPath(os::CsidlAppData, &path)) return {};
    size_t nul = path.find('\0');
    if (nul != std::string::npos) path.erase(nul);
    return path;
}

}  // namespace engine
