// Helpers the shared suites use in both builds, written over os::Api only.
#include "support/TestMachine.h"

#include "os/Handles.h"

#include <cstdlib>
#include <vector>

#ifdef _WIN32
// Without the A/W macros, which would rename os::Api calls.
#include "os/win32/WinHeaders.h"
#endif

namespace qvxtest {

void DeleteKeyTree(os::Api& api, os::HKey root, const std::string& subKey) {
    os::HKey key = 0;
    if (api.RegOpenKeyEx(root, subKey, os::KeyAllAccess, &key) != 0) return;
    os::UniqueKey owner(api, key);
    // Names first, deletions after: deleting shifts the indexes.
    std::vector<std::string> children;
    for (uint32_t index = 0;; ++index) {
        char name[512];
        uint32_t chars = sizeof name;
        if (api.RegEnumKeyEx(key, index, name, &chars) != 0) break;
        children.emplace_back(name, chars);
    }
    for (const auto& child : children) DeleteKeyTree(api, key, child);
    owner.reset();
    api.RegDeleteKey(root, subKey);
}

void DeleteFolderTree(os::Api& api, const std::string& folder) {
    os::FindData found;
    std::vector<os::FindData> entries;
    if (os::UniqueFind find{api, api.FindFirstFile(folder + "\\*", &found)}) {
        do {
            if (found.name != "." && found.name != "..") entries.push_back(found);
        } while (api.FindNextFile(find.get(), &found));
    }
    for (const auto& entry : entries) {
        std::string path = folder + "\\" + entry.name;
        if (entry.attributes & os::AttrDirectory) {
            DeleteFolderTree(api, path);
        } else {
            api.SetFileAttributes(path, os::AttrNormal);
            api.DeleteFile(path);
        }
    }
    api.SetFileAttributes(folder, os::AttrNormal);
    api.RemoveDirectory(folder);
}

bool WriteTextFile(os::Api& api, const std::string& path, const std::string& content) {
    os::UniqueHandle file(api, api.CreateFile(path, os::GenericWrite, 0, os::CreateAlways));
    if (!file) return false;
    uint32_t written = 0;
    return api.WriteFile(file.get(), content.data(), static_cast<uint32_t>(content.size()), &written) &&
           written == content.size();
}

std::string ReadTextFile(os::Api& api, const std::string& path) {
    os::UniqueHandle file(api, api.CreateFile(path, os::GenericRead, os::ShareRead, os::OpenExisting));
    if (!file) return {};
    std::string content;
    char chunk[4096];
    uint32_t read = 0;
    while (api.ReadFile(file.get(), chunk, sizeof chunk, &read) && read > 0) content.append(chunk, read);
    return content;
}

bool RunningUnderWine() {
#ifdef _WIN32
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

bool RunningUnderWineAsRoot() {
#ifdef _WIN32
    char name[256] = {};
    DWORD size = sizeof name;
    return RunningUnderWine() && ::GetUserNameA(name, &size) && std::string(name) == "root";
#else
    return false;
#endif
}

uint32_t AnsiCodePage() {
#ifdef _WIN32
    return ::GetACP();
#else
    const char* chosen = std::getenv("QVX_ANSI_CODE_PAGE");
    return chosen != nullptr ? static_cast<uint32_t>(std::strtoul(chosen, nullptr, 10)) : 65001;
#endif
}

}  // namespace qvxtest
