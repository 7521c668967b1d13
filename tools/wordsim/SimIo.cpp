#include "wordsim/SimIo.h"

#include "os/Handles.h"

#include <algorithm>
#include <cctype>

namespace wordsim::io {

namespace {

os::UniqueKey OpenKey(os::Api& api, os::HKey root, const std::string& key, uint32_t access) {
    os::HKey handle = 0;
    if (api.RegOpenKeyEx(root, key, access, &handle) != os::err::Success) return {};
    return os::UniqueKey(api, handle);
}

os::UniqueKey CreateOrOpen(os::Api& api, os::HKey root, const std::string& key) {
    os::HKey handle = 0;
    uint32_t disposition = 0;
    if (api.RegCreateKeyEx(root, key, os::KeyAllAccess, &handle, &disposition) != os::err::Success) return {};
    return os::UniqueKey(api, handle);
}

bool SetValue(os::Api& api, os::HKey root, const std::string& key, const std::string& name, uint32_t type,
              const uint8_t* data, uint32_t size) {
    os::UniqueKey handle = CreateOrOpen(api, root, key);
    if (!handle) return false;
    return api.RegSetValueEx(handle.get(), name, type, data, size) == os::err::Success;
}

std::optional<std::vector<uint8_t>> QueryValue(os::Api& api, os::HKey root, const std::string& key,
                                               const std::string& name, uint32_t* type) {
    os::UniqueKey handle = OpenKey(api, root, key, os::KeyRead);
    if (!handle) return std::nullopt;
    uint32_t size = 0;
    if (api.RegQueryValueEx(handle.get(), name, type, nullptr, &size) != os::err::Success) return std::nullopt;
    std::vector<uint8_t> data(size);
    if (size > 0 && api.RegQueryValueEx(handle.get(), name, type, data.data(), &size) != os::err::Success) {
        return std::nullopt;
    }
    data.resize(size);
    return data;
}

}  // namespace

bool KeyExists(os::Api& api, os::HKey root, const std::string& key) {
    return static_cast<bool>(OpenKey(api, root, key, os::KeyRead));
}

bool CreateKey(os::Api& api, os::HKey root, const std::string& key) {
    return static_cast<bool>(CreateOrOpen(api, root, key));
}

std::optional<std::string> ReadString(os::Api& api, os::HKey root, const std::string& key, const std::string& name) {
    uint32_t type = 0;
    auto data = QueryValue(api, root, key, name, &type);
    if (!data || (type != os::RegSz && type != os::RegExpandSz)) return std::nullopt;
    std::string text(data->begin(), data->end());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

std::optional<uint32_t> ReadDword(os::Api& api, os::HKey root, const std::string& key, const std::string& name) {
    uint32_t type = 0;
    auto data = QueryValue(api, root, key, name, &type);
    if (!data || type != os::RegDword || data->size() != 4) return std::nullopt;
    const auto& b = *data;
    return static_cast<uint32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24));
}

bool ValueExists(os::Api& api, os::HKey root, const std::string& key, const std::string& name) {
    os::UniqueKey handle = OpenKey(api, root, key, os::KeyRead);
    if (!handle) return false;
    uint32_t type = 0;
    uint32_t size = 0;
    return api.RegQueryValueEx(handle.get(), name, &type, nullptr, &size) == os::err::Success;
}

bool WriteString(os::Api& api, os::HKey root, const std::string& key, const std::string& name,
                 const std::string& value) {
    // REG_SZ data carries its terminating NUL.
    return SetValue(api, root, key, name, os::RegSz, reinterpret_cast<const uint8_t*>(value.c_str()),
                    static_cast<uint32_t>(value.size() + 1));
}

bool WriteDword(os::Api& api, os::HKey root, const std::string& key, const std::string& name, uint32_t value) {
    const uint8_t data[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                             static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return SetValue(api, root, key, name, os::RegDword, data, 4);
}

bool WriteBinary(os::Api& api, os::HKey root, const std::string& key, const std::string& name,
                 const std::vector<uint8_t>& value) {
    return SetValue(api, root, key, name, os::RegBinary, value.data(), static_cast<uint32_t>(value.size()));
}

std::vector<std::string> SubKeys(os::Api& api, os::HKey root, const std::string& key) {
    std::vector<std::string> names;
    os::UniqueKey handle = OpenKey(api, root, key, os::KeyRead);
    if (!handle) return names;
    for (uint32_t index = 0;; ++index) {
        char name[256];
        uint32_t chars = sizeof name;
        if (api.RegEnumKeyEx(handle.get(), index, name, &chars) != os::err::Success) break;
        names.emplace_back(name, chars);
    }
    return names;
}

bool DeleteKeyTree(os::Api& api, os::HKey root, const std::string& key) {
    // Windows refuses to delete a key that still has subkeys.
    for (const std::string& sub : SubKeys(api, root, key)) DeleteKeyTree(api, root, key + "\\" + sub);
    api.RegDeleteKey(root, key);
    return !KeyExists(api, root, key);
}

void DeleteKeyIfEmpty(os::Api& api, os::HKey root, const std::string& key) {
    uint32_t subKeys = 1;
    uint32_t values = 1;
    {
        os::UniqueKey handle = OpenKey(api, root, key, os::KeyRead);
        if (!handle) return;
        if (api.RegQueryInfoKey(handle.get(), &subKeys, nullptr, &values, nullptr, nullptr) != os::err::Success) return;
    }
    if (subKeys == 0 && values == 0) api.RegDeleteKey(root, key);
}

std::optional<std::string> ReadWholeFile(os::Api& api, const std::string& path) {
    os::UniqueHandle file(api, api.CreateFile(path, os::GenericRead,
                                              os::ShareRead | os::ShareWrite | os::ShareDelete, os::OpenExisting));
    if (!file) return std::nullopt;
    std::string content;
    char buffer[16384];
    for (;;) {
        uint32_t read = 0;
        if (!api.ReadFile(file.get(), buffer, sizeof buffer, &read)) return std::nullopt;
        if (read == 0) break;
        content.append(buffer, read);
    }
    return content;
}

bool WriteWholeFile(os::Api& api, const std::string& path, const std::string& content) {
    os::UniqueHandle file(api, api.CreateFile(path, os::GenericWrite, os::ShareRead, os::CreateAlways));
    if (!file) return false;
    // Not flushed: a simulated Word that forced its log to disk at every line
    // would spend the time the benchmarks charge to the program driving it.
    uint32_t written = 0;
    return content.empty() ||
           (api.WriteFile(file.get(), content.data(), static_cast<uint32_t>(content.size()), &written) &&
            written == content.size());
}

bool MakeFolders(os::Api& api, const std::string& folder, std::vector<std::string>* created) {
    const std::string path = WithoutTrailingBackslash(folder);
    if (path.empty()) return false;
    // Start after the drive ("C:") or the first component of a relative path.
    size_t pos = path.find('\\', path.size() >= 2 && path[1] == ':' ? 3 : 1);
    for (;;) {
        const std::string prefix = path.substr(0, pos);
        if (api.GetFileAttributes(prefix) == os::InvalidFileAttributes && api.CreateDirectory(prefix) &&
            created != nullptr) {
            created->push_back(prefix);
        }
        if (pos == std::string::npos) break;
        pos = path.find('\\', pos + 1);
    }
    const uint32_t attributes = api.GetFileAttributes(path);
    return attributes != os::InvalidFileAttributes && (attributes & os::AttrDirectory) != 0;
}

std::vector<std::string> FilesIn(os::Api& api, const std::string& folder) {
    std::vector<std::string> names;
    os::FindData data;
    os::UniqueFind find(api, api.FindFirstFile(Join(folder, "*"), &data));
    if (!find) return names;
    do {
        if ((data.attributes & os::AttrDirectory) == 0) names.push_back(data.name);
    } while (api.FindNextFile(find.get(), &data));
    return names;
}

void DeleteFolderTree(os::Api& api, const std::string& folder) {
    const std::string path = WithoutTrailingBackslash(folder);
    if (path.empty()) return;
    std::vector<os::FindData> entries;
    {
        os::FindData data;
        os::UniqueFind find(api, api.FindFirstFile(Join(path, "*"), &data));
        if (find) {
            do {
                if (data.name != "." && data.name != "..") entries.push_back(data);
            } while (api.FindNextFile(find.get(), &data));
        }
    }
    for (const os::FindData& entry : entries) {
        const std::string child = Join(path, entry.name);
        if ((entry.attributes & os::AttrDirectory) != 0) {
            DeleteFolderTree(api, child);
        } else {
            api.SetFileAttributes(child, os::AttrNormal);
            api.DeleteFile(child);
        }
    }
    api.RemoveDirectory(path);
}

std::string WithoutTrailingBackslash(std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

std::string Join(const std::string& folder, const std::string& name) {
    return WithoutTrailingBackslash(folder) + "\\" + name;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Extension(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : Lower(name.substr(dot + 1));
}

}  // namespace wordsim::io
