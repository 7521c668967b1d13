#include "engine/EnginePaths.h"

#include "engine/Generations.h"

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

bool IsClickToRunFolder(const std::string& folder) {
    return FoldPath(folder).find("\\root\\office") != std::string::npos;
}

}  // namespace engine
