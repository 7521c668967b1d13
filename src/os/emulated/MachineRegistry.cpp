// The emulated registry, as Wine's behaves: keys and values listed in sorted
// order, names compared without case but kept as first written.
#include "os/emulated/MachineState.h"
#include "os/emulated/Text.h"

#include "os/Handles.h"

#include <algorithm>
#include <cstring>

namespace os::emulated {

namespace {

std::shared_ptr<RegKey> MakeRoot(const std::string& name) {
    auto key = std::make_shared<RegKey>();
    key->name = name;
    return key;
}

std::shared_ptr<RegKey> FindSubkey(const RegKey& key, const std::string& name) {
    for (const auto& sub : key.subkeys)
        if (text::IEquals(sub->name, name)) return sub;
    return nullptr;
}

std::shared_ptr<RegKey> AddSubkey(RegKey& key, const std::string& name) {
    auto sub = std::make_shared<RegKey>();
    sub->name = name;
    sub->parent = &key;
    auto at = std::find_if(key.subkeys.begin(), key.subkeys.end(),
                           [&](const auto& other) { return text::RegistryLess(name, other->name); });
    key.subkeys.insert(at, sub);
    return sub;
}

RegValue* FindValue(RegKey& key, const std::string& name) {
    for (auto& value : key.values)
        if (text::IEquals(value.name, name)) return &value;
    return nullptr;
}

// The components of a subkey path; empty ones (doubled or trailing
// backslashes) are skipped, as the system does.
std::vector<std::string> Components(const std::string& subKey) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= subKey.size()) {
        size_t end = subKey.find('\\', start);
        if (end == std::string::npos) end = subKey.size();
        if (end > start) parts.push_back(subKey.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool IsStringType(uint32_t type) { return type == RegSz || type == RegExpandSz || type == RegMultiSz; }

// The size the system reports for the data in UTF-16, which is what
// RegQueryInfoKey counts even through the ANSI functions.
uint32_t WideSize(const RegValue& value) {
    if (!IsStringType(value.type)) return static_cast<uint32_t>(value.data.size());
    std::string_view bytes(reinterpret_cast<const char*>(value.data.data()), value.data.size());
    return static_cast<uint32_t>(text::Utf8ToUtf16(bytes).size() * 2);
}

}  // namespace

Registry::Registry(const std::string& prefix)
    : currentUser(MakeRoot(prefix + "HKEY_CURRENT_USER")),
      localMachine(MakeRoot(prefix + "HKEY_LOCAL_MACHINE")),
      users(MakeRoot(prefix + "HKEY_USERS")) {
    auto software = AddSubkey(*localMachine, "Software");
    classesRoot = AddSubkey(*software, "Classes");
    AddSubkey(*currentUser, "Software");
}

std::shared_ptr<RegKey> Registry::Root(HKey predefined) const {
    switch (predefined) {
    case HKeyClassesRoot: return classesRoot;
    case HKeyCurrentUser: return currentUser;
    case HKeyLocalMachine: return localMachine;
    case HKeyUsers: return users;
    default: return nullptr;
    }
}

std::string MachineData::KeyPath(const RegKey* key) const {
    std::string path;
    for (; key != nullptr; key = key->parent) path = key->parent ? "\\" + key->name + path : key->name + path;
    return path;
}

std::string MachineData::KeyPathOf(HKey key) const {
    if (IsPredefinedKey(key)) {
        auto root = local.Root(key);
        return root ? KeyPath(root.get()) : std::string();
    }
    auto found = handles.find(key);
    if (found == handles.end()) return {};
    if (auto* entry = std::get_if<KeyHandle>(&found->second)) return KeyPath(entry->key.get());
    return {};
}

long MachineData::KeyOf(HKey key, std::shared_ptr<RegKey>* out) const {
    std::shared_ptr<RegKey> found;
    if (IsPredefinedKey(key)) {
        found = local.Root(key);
    } else if (auto it = handles.find(key); it != handles.end()) {
        if (auto* entry = std::get_if<KeyHandle>(&it->second)) found = entry->key;
    }
    if (!found) return err::InvalidHandle;
    if (found->deleted) return status::KeyDeleted;
    *out = found;
    return err::Success;
}

HKey MachineData::NewHandle(HandleEntry entry) {
    Handle handle = nextHandle;
    nextHandle += 4;
    handles.emplace(handle, std::move(entry));
    return handle;
}

namespace {

std::string Join(const std::string& path, const std::string& name) { return path + "\\" + name; }

}  // namespace

long Machine::RegConnectRegistry(const std::string& machine, HKey root, HKey* result) {
    if (auto fault = s_->Enter("RegConnectRegistry", machine)) return static_cast<long>(*fault);
    if (result == nullptr) return err::InvalidParameter;
    *result = 0;
    std::string name = machine;
    while (!name.empty() && name.front() == '\\') name.erase(0, 1);
    if (name.empty()) {
        if (!s_->local.Root(root)) return err::InvalidHandle;
        *result = root;
        return err::Success;
    }
    auto remote = s_->remotes.find(text::ToUpper(name));
    if (remote == s_->remotes.end()) return err::BadNetPath;
    auto key = remote->second->Root(root);
    if (!key) return err::InvalidHandle;
    *result = s_->NewHandle(KeyHandle{key});
    return err::Success;
}

long Machine::RegOpenKeyEx(HKey key, const std::string& subKey, uint32_t, HKey* result) {
    if (auto fault = s_->Enter("RegOpenKeyEx", Join(s_->KeyPathOf(key), subKey))) return static_cast<long>(*fault);
    if (result == nullptr) return err::InvalidParameter;
    *result = 0;
    std::shared_ptr<RegKey> current;
    if (long status = s_->KeyOf(key, &current)) return status;
    if (!subKey.empty() && subKey.front() == '\\') return status::BadPathname;
    auto parts = Components(subKey);
    // An empty path opens the key itself; a predefined root stays itself.
    if (parts.empty() && IsPredefinedKey(key)) {
        *result = key;
        return err::Success;
    }
    for (const auto& part : parts) {
        current = FindSubkey(*current, part);
        if (!current) return err::FileNotFound;
    }
    *result = s_->NewHandle(KeyHandle{current});
    return err::Success;
}

long Machine::RegCreateKeyEx(HKey key, const std::string& subKey, uint32_t, HKey* result, uint32_t* disposition) {
    if (auto fault = s_->Enter("RegCreateKeyEx", Join(s_->KeyPathOf(key), subKey))) return static_cast<long>(*fault);
    if (result == nullptr) return err::InvalidParameter;
    *result = 0;
    std::shared_ptr<RegKey> current;
    if (long status = s_->KeyOf(key, &current)) return status;
    if (!subKey.empty() && subKey.front() == '\\') return status::BadPathname;
    auto parts = Components(subKey);
    // Wine reports an empty path as a key created.
    bool created = parts.empty();
    for (const auto& part : parts) {
        auto next = FindSubkey(*current, part);
        created = !next;
        current = next ? next : AddSubkey(*current, part);
    }
    *result = s_->NewHandle(KeyHandle{current});
    if (disposition != nullptr) *disposition = created ? 1 : 2;
    return err::Success;
}

long Machine::RegCloseKey(HKey key) {
    if (auto fault = s_->Enter("RegCloseKey", s_->KeyPathOf(key))) return static_cast<long>(*fault);
    if (IsPredefinedKey(key)) return s_->local.Root(key) ? err::Success : err::InvalidHandle;
    auto found = s_->handles.find(key);
    if (found == s_->handles.end() || !std::holds_alternative<KeyHandle>(found->second)) return err::InvalidHandle;
    s_->handles.erase(found);
    return err::Success;
}

long Machine::RegQueryValueEx(HKey key, const std::string& name, uint32_t* type, uint8_t* data, uint32_t* size) {
    if (auto fault = s_->Enter("RegQueryValueEx", Join(s_->KeyPathOf(key), name))) return static_cast<long>(*fault);
    std::shared_ptr<RegKey> current;
    if (long status = s_->KeyOf(key, &current)) return status;
    if (data != nullptr && size == nullptr) return err::InvalidParameter;
    const RegValue* value = FindValue(*current, name);
    if (value == nullptr) {
        if (type != nullptr) *type = RegNone;
        return err::FileNotFound;
    }
    auto length = static_cast<uint32_t>(value->data.size());
    if (type != nullptr) *type = value->type;
    if (data != nullptr && *size < length) {
        *size = length;
        return err::MoreData;
    }
    if (data != nullptr && length > 0) std::memcpy(data, value->data.data(), length);
    if (size != nullptr) *size = length;
    return err::Success;
}

long Machine::RegSetValueEx(HKey key, const std::string& name, uint32_t type, const uint8_t* data, uint32_t size) {
    if (auto fault = s_->Enter("RegSetValueEx", Join(s_->KeyPathOf(key), name))) return static_cast<long>(*fault);
    std::shared_ptr<RegKey> current;
    if (long status = s_->KeyOf(key, &current)) return status;
    if (data == nullptr && size > 0) return err::InvalidParameter;
    std::vector<uint8_t> bytes;
    if (size > 0) bytes.assign(data, data + size);
    // The ANSI function counts a forgotten terminator in: when the data's
    // last byte is not a NUL but the byte right after it is, that NUL is
    // stored too (Windows NT and Wine peek at data[size] for this).
    if (IsStringType(type) && !bytes.empty() && bytes.back() != 0 && data[size] == 0) bytes.push_back(0);
    if (RegValue* value = FindValue(*current, name)) {
        value->type = type;
        value->data = std::move(bytes);
        return err::Success;
    }
    auto at = std::find_if(current->values.begin(), current->values.end(),
                           [&](const RegValue& other) { return text::RegistryLess(name, other.name); });
    current->values.insert(at, RegValue{name, type, std::move(bytes)});
    return err::Success;
}

long Machine::RegDeleteValue(HKey key, const std::string& name) {
    if (auto fault = s_->Enter("RegDeleteValue", Join(s_->KeyPathOf(key), name))) return static_cast<long>(*fault);
    std::shared_ptr<RegKey> current;
    if (long status = s_->KeyOf(key, &current)) return status;
    auto& values = current->values;
    auto found = std::find_if(values.begin(), values.end(),
                              [&](const RegValue& value) { return text::IEquals(value.name, name); });
    if (found == values.end()) return err::FileNotFound;
    values.erase(found);
    return err::Success;
}

long Machine::RegDeleteKey(HKey key, const std::string& subKey) {
    if (auto fault = s_->Enter("RegDeleteKey", Join(s_->KeyPathOf(key), subKey))) return static_cast<long>(*fault);
    std::shared_ptr<RegKey> current;
    if (long status = s_->KeyOf(key, &current)) return status;
    if (!subKey.empty() && subKey.front() == '\\') return status::BadPathname;
    auto parts = Components(subKey);
    if (parts.empty() && IsPredefinedKey(key)) return err::AccessDenied;
    for (const auto& part : parts) {
        current = FindSubkey(*current, part);
        if (!current) return err::FileNotFound;
    }
    // Not recursive, as on NT; a root cannot go at all.
    if (!current->subkeys.empty() || current->parent == nullptr) return err::AccessDenied;
    auto& siblings = current->parent->subkeys;
    siblings.erase(std::find(siblings.begin(), siblings.end(), current));
    // Handles still open on it now fail with ERROR_KEY_DELETED.
    current->deleted = true;
    current->parent = nullptr;
    current->values.clear();
    return err::Success;
}

long Machine::RegEnumKeyEx(HKey key, uint32_t index, char* name, uint32_t* nameChars) {
    if (auto fault = s_->Enter("RegEnumKeyEx", s_->KeyPathOf(key))) return static_cast<long>(*fault);
    std::shared_ptr<RegKey> current;
    if (long status = s_->KeyOf(key, &current)) return status;
    if (name == nullptr || nameChars == nullptr) return err::InvalidParameter;
    if (index >= current->subkeys.size()) return err::NoMoreItems;
    const std::string& found = current->subkeys[index]->name;
    // The name and its NUL must fit; otherwise nothing is written.
    if (*nameChars <= found.size()) return err::MoreData;
    std::memcpy(name, found.c_str(), found.size() + 1);
    *nameChars = static_cast<uint32_t>(found.size());
    return err::Success;
}

long Machine::RegEnumValue(HKey key, uint32_t index, char* name, uint32_t* nameChars, uint32_t* type, uint8_t* data,
                           uint32_t* size) {
    if (auto fault = s_->Enter("RegEnumValue", s_->KeyPathOf(key))) return static_cast<long>(*fault);
    std::shared_ptr<RegKey> current;
    if (long status = s_->KeyOf(key, &current)) return status;
    if (name == nullptr || nameChars == nullptr || (data != nullptr && size == nullptr)) return err::InvalidParameter;
    if (index >= current->values.size()) return err::NoMoreItems;
    const RegValue& value = current->values[index];
    if (*nameChars <= value.name.size()) {
        // Wine leaves as much of the name as fits, cut short.
        if (*nameChars > 0) {
            std::memcpy(name, value.name.data(), *nameChars - 1);
            name[*nameChars - 1] = '\0';
        }
        return err::MoreData;
    }
    auto length = static_cast<uint32_t>(value.data.size());
    if (type != nullptr) *type = value.type;
    if (data != nullptr && *size < length) {
        *size = length;
        return err::MoreData;
    }
    std::memcpy(name, value.name.c_str(), value.name.size() + 1);
    *nameChars = static_cast<uint32_t>(value.name.size());
    if (data != nullptr && length > 0) std::memcpy(data, value.data.data(), length);
    if (size != nullptr) *size = length;
    return err::Success;
}

long Machine::RegQueryInfoKey(HKey key, uint32_t* subKeys, uint32_t* maxSubKeyLen, uint32_t* values,
                              uint32_t* maxValueNameLen, uint32_t* maxValueLen) {
    if (auto fault = s_->Enter("RegQueryInfoKey", s_->KeyPathOf(key))) return static_cast<long>(*fault);
    std::shared_ptr<RegKey> current;
    if (long status = s_->KeyOf(key, &current)) return status;
    size_t longestKey = 0, longestName = 0;
    uint32_t largestData = 0;
    for (const auto& sub : current->subkeys) longestKey = std::max(longestKey, sub->name.size());
    for (const auto& value : current->values) {
        longestName = std::max(longestName, value.name.size());
        largestData = std::max(largestData, WideSize(value));
    }
    if (subKeys != nullptr) *subKeys = static_cast<uint32_t>(current->subkeys.size());
    if (maxSubKeyLen != nullptr) *maxSubKeyLen = static_cast<uint32_t>(longestKey);
    if (values != nullptr) *values = static_cast<uint32_t>(current->values.size());
    if (maxValueNameLen != nullptr) *maxValueNameLen = static_cast<uint32_t>(longestName);
    if (maxValueLen != nullptr) *maxValueLen = largestData;
    return err::Success;
}

void Machine::AddRemoteMachine(const std::string& name) {
    std::string bare = name;
    while (!bare.empty() && bare.front() == '\\') bare.erase(0, 1);
    auto& slot = s_->remotes[text::ToUpper(bare)];
    if (!slot) slot = std::make_unique<Registry>("\\\\" + text::ToUpper(bare) + "\\");
}

}  // namespace os::emulated
