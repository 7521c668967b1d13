// The emulated file system, as Wine's behaves: names compared without case,
// listings sorted and matched with Wine's wildcard rules (short names too),
// every file carrying the archive bit, share modes enforced.
#include "os/emulated/MachineState.h"
#include "os/emulated/Text.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace os::emulated {

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool HasDrivePrefix(const std::string& path) { return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':'; }

std::string Slashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The system drops trailing dots and blanks from every name.
std::string TrimName(const std::string& name) {
    size_t end = name.size();
    while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ')) --end;
    return name.substr(0, end);
}

bool HasInvalidChar(const std::string& name, bool wildcardsToo) {
    for (char c : name) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '<' || c == '>' || c == '|' || c == '"') return true;
        if (wildcardsToo && (c == '*' || c == '?')) return true;
    }
    return false;
}

std::shared_ptr<FsNode> FindChild(const FsNode& folder, const std::string& name) {
    for (const auto& child : folder.children)
        if (text::IEquals(child->name, name)) return child;
    return nullptr;
}

uint64_t BytesBelow(const FsNode& node) {
    uint64_t total = node.data.size();
    for (const auto& child : node.children) total += BytesBelow(*child);
    return total;
}

bool IsInside(const FsNode* node, const FsNode* folder) {
    for (; node != nullptr; node = node->parent)
        if (node == folder) return true;
    return false;
}

constexpr uint32_t kDataAccess = GenericRead | GenericWrite;
constexpr uint32_t kFileSettable = AttrReadOnly | AttrHidden | AttrSystem;
constexpr uint32_t kFolderSettable = AttrHidden | AttrSystem;
constexpr uint32_t kOpenAlways = 4;
constexpr uint32_t kTruncateExisting = 5;

}  // namespace

// --- State helpers ---

FileTime MachineData::Stamp() {
    clock += 10'000'000;  // one second per change keeps every stamp distinct
    return clock;
}

uint32_t MachineData::Parse(const std::string& input, ParsedPath* out) const {
    // Blanks alone name nothing, not the current folder.
    if (input.find_first_not_of(' ') == std::string::npos) return err::PathNotFound;
    std::string path = Slashes(input);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return err::BadNetPath;
    ParsedPath result;
    std::string rest;
    if (HasDrivePrefix(path)) {
        result.drive = text::Upper(path[0]);
        rest = path.substr(2);
        // "C:name" is relative to the current folder when that is on C:.
        if ((rest.empty() || rest[0] != '\\') && result.drive == cwd.drive) result.parts = cwd.parts;
    } else {
        result.drive = cwd.drive;
        rest = path;
        if (path[0] != '\\') result.parts = cwd.parts;
    }
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('\\', start);
        if (end == std::string::npos) end = rest.size();
        std::string part = rest.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!result.parts.empty()) result.parts.pop_back();
            continue;
        }
        if (HasInvalidChar(part, true)) return err::InvalidName;
        part = TrimName(part);
        if (!part.empty()) result.parts.push_back(part);
    }
    result.trailingSlash = !rest.empty() && rest.back() == '\\';
    *out = std::move(result);
    return err::Success;
}

Lookup MachineData::Resolve(const ParsedPath& path) const {
    Lookup found;
    auto drive = drives.find(path.drive);
    if (drive == drives.end()) {
        // Wine answers as if the missing drive were an empty folder.
        found.error = path.parts.size() == 1 ? err::FileNotFound : err::PathNotFound;
        if (!path.parts.empty()) found.leaf = path.parts.back();
        return found;
    }
    std::shared_ptr<FsNode> current = drive->second;
    if (path.parts.empty()) {
        found.node = current;
        return found;
    }
    for (size_t i = 0; i + 1 < path.parts.size(); ++i) {
        auto next = FindChild(*current, path.parts[i]);
        if (!next || !next->isDir) {
            found.error = err::PathNotFound;
            return found;
        }
        current = next;
    }
    found.parent = current;
    found.leaf = path.parts.back();
    found.node = FindChild(*current, found.leaf);
    if (!found.node) {
        found.error = err::FileNotFound;
    } else if (path.trailingSlash && !found.node->isDir) {
        // "file.txt\" names a folder that is not there.
        found = Lookup{};
        found.error = err::PathNotFound;
    }
    return found;
}

Lookup MachineData::Find(const std::string& path) const {
    ParsedPath parsed;
    if (uint32_t error = Parse(path, &parsed)) {
        Lookup failed;
        failed.error = error;
        return failed;
    }
    return Resolve(parsed);
}

std::string MachineData::FullPath(const FsNode* node) const {
    if (node->parent == nullptr) return node->name + "\\";
    std::string path;
    for (; node->parent != nullptr; node = node->parent) path = "\\" + node->name + path;
    return node->name + path;
}

uint32_t MachineData::AttributesOf(const FsNode* node) const {
    // Wine shows names starting with a dot as hidden.
    bool dotName = node->parent != nullptr && !node->name.empty() && node->name[0] == '.';
    uint32_t hidden = dotName ? AttrHidden : 0;
    if (node->isDir) return AttrDirectory | (node->attributes & kFolderSettable) | hidden;
    // Wine cannot clear the archive bit of a file.
    return AttrArchive | (node->attributes & kFileSettable) | hidden;
}

bool MachineData::InReadOnlyFolder(const FsNode* folder) const {
    for (; folder != nullptr; folder = folder->parent)
        if (folder->readOnlyFolder) return true;
    return false;
}

uint64_t MachineData::UsedBytes() const {
    uint64_t total = 0;
    for (const auto& [letter, root] : drives) total += BytesBelow(*root);
    return total;
}

bool MachineData::WouldOverflow(uint64_t oldSize, uint64_t newSize) const {
    return capacity != 0 && newSize > oldSize && UsedBytes() - oldSize + newSize > capacity;
}

bool MachineData::ShareClash(const FsNode* node, uint32_t access, uint32_t share) const {
    // Opening for attributes only never clashes.
    if ((access & kDataAccess) == 0) return false;
    for (const auto& [handle, entry] : handles) {
        const auto* file = std::get_if<FileHandle>(&entry);
        if (file == nullptr || file->node.get() != node) continue;
        if ((access & GenericRead) && !(file->share & ShareRead)) return true;
        if ((access & GenericWrite) && !(file->share & ShareWrite)) return true;
        if ((file->access & GenericRead) && !(share & ShareRead)) return true;
        if ((file->access & GenericWrite) && !(share & ShareWrite)) return true;
    }
    return false;
}

bool MachineData::HasOpenHandles(const FsNode* node) const {
    for (const auto& [handle, entry] : handles)
        if (const auto* file = std::get_if<FileHandle>(&entry); file != nullptr && file->node.get() == node) return true;
    return false;
}

bool MachineData::AllHandlesShareDelete(const FsNode* node) const {
    for (const auto& [handle, entry] : handles) {
        const auto* file = std::get_if<FileHandle>(&entry);
        if (file != nullptr && file->node.get() == node && !(file->share & ShareDelete)) return false;
    }
    return true;
}

void MachineData::Insert(const std::shared_ptr<FsNode>& parent, const std::shared_ptr<FsNode>& node) {
    node->parent = parent.get();
    auto& children = parent->children;
    auto at = std::find_if(children.begin(), children.end(),
                           [&](const auto& other) { return text::ListingLess(node->name, other->name); });
    children.insert(at, node);
    parent->lastWrite = Stamp();
}

std::shared_ptr<FsNode> MachineData::AddChild(const std::shared_ptr<FsNode>& parent, const std::string& name,
                                                 bool isDir) {
    auto node = std::make_shared<FsNode>();
    node->name = name;
    node->isDir = isDir;
    Insert(parent, node);
    node->lastWrite = parent->lastWrite;
    return node;
}

void MachineData::Detach(FsNode* node) {
    FsNode* parent = node->parent;
    if (parent == nullptr) return;
    auto& children = parent->children;
    children.erase(std::find_if(children.begin(), children.end(), [&](const auto& c) { return c.get() == node; }));
    node->parent = nullptr;
    parent->lastWrite = Stamp();
}

std::shared_ptr<FsNode> MachineData::MakeFolders(const std::string& path) {
    ParsedPath parsed;
    if (Parse(path, &parsed) != err::Success) throw std::invalid_argument("not a valid path: " + path);
    auto drive = drives.find(parsed.drive);
    if (drive == drives.end()) throw std::invalid_argument("no such drive: " + path);
    std::shared_ptr<FsNode> current = drive->second;
    for (const auto& part : parsed.parts) {
        auto next = FindChild(*current, part);
        if (next && !next->isDir) throw std::invalid_argument("a file is in the way: " + path);
        current = next ? next : AddChild(current, part, true);
    }
    return current;
}

std::shared_ptr<Machine::Program> MachineData::ProgramOf(const FsNode* node) const {
    if (node->program) return node->program;
    auto found = programs.find(text::ToUpper(FullPath(node)));
    return found == programs.end() ? nullptr : found->second;
}

bool MachineData::IsCwdOrAbove(const FsNode* node) const {
    Lookup current = Resolve(cwd);
    return current.node && IsInside(current.node.get(), node);
}

FindData MachineData::EntryOf(const FsNode* node, const std::string& name) const {
    FindData entry;
    entry.attributes = AttributesOf(node);
    entry.size = node->isDir ? 0 : node->data.size();
    entry.lastWrite = node->lastWrite;
    entry.name = name;
    return entry;
}

// --- Api ---

uint32_t Machine::GetLastError() {
    s_->Enter("GetLastError", {});
    return s_->lastError;
}

void Machine::SetLastError(uint32_t code) {
    s_->Enter("SetLastError", {});
    s_->lastError = code;
}

bool Machine::PathFileExists(const std::string& path) {
    if (auto fault = s_->Enter("PathFileExists", path)) return FailWith(*s_, *fault);
    Lookup found = s_->Find(path);
    if (!found.node) return FailWith(*s_, found.error);
    return true;
}

uint32_t Machine::GetFileAttributes(const std::string& path) {
    if (auto fault = s_->Enter("GetFileAttributes", path)) {
        s_->lastError = *fault;
        return InvalidFileAttributes;
    }
    Lookup found = s_->Find(path);
    if (!found.node) {
        s_->lastError = found.error;
        return InvalidFileAttributes;
    }
    return s_->AttributesOf(found.node.get());
}

bool Machine::SetFileAttributes(const std::string& path, uint32_t attributes) {
    if (auto fault = s_->Enter("SetFileAttributes", path)) return FailWith(*s_, *fault);
    Lookup found = s_->Find(path);
    if (!found.node) return FailWith(*s_, found.error);
    FsNode& node = *found.node;
    if (s_->InReadOnlyFolder(node.parent)) return FailWith(*s_, err::AccessDenied);
    node.attributes = attributes & (node.isDir ? kFolderSettable : kFileSettable);
    return true;
}

bool Machine::GetFileAttributesEx(const std::string& path, FileInfo* info) {
    if (auto fault = s_->Enter("GetFileAttributesEx", path)) return FailWith(*s_, *fault);
    Lookup found = s_->Find(path);
    if (!found.node) return FailWith(*s_, found.error);
    if (info != nullptr) {
        FindData entry = s_->EntryOf(found.node.get(), found.node->name);
        info->attributes = entry.attributes;
        info->size = entry.size;
        info->lastWrite = entry.lastWrite;
    }
    return true;
}

std::string Machine::FileVersion(const std::string& path) {
    if (auto fault = s_->Enter("FileVersion", path)) {
        s_->lastError = *fault;
        return {};
    }
    Lookup found = s_->Find(path);
    return found.node && !found.node->isDir ? found.node->version : std::string();
}

void Machine::SetFileVersion(const std::string& path, const std::string& version) {
    Lookup found = s_->Find(path);
    if (!found.node || found.node->isDir) throw std::invalid_argument("no such file: " + path);
    found.node->version = version;
}

bool Machine::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    if (auto fault = s_->Enter("CopyFile", from, to)) return FailWith(*s_, *fault);
    Lookup source = s_->Find(from);
    if (!source.node) return FailWith(*s_, source.error);
    if (source.node->isDir) return FailWith(*s_, err::AccessDenied);
    // The source is read with every sharing mode.
    if (s_->ShareClash(source.node.get(), GenericRead, ShareRead | ShareWrite | ShareDelete))
        return FailWith(*s_, err::SharingViolation);
    Lookup target = s_->Find(to);
    if (!target.node && target.error != err::FileNotFound) return FailWith(*s_, target.error);
    if (!target.node && !target.parent) return FailWith(*s_, err::FileNotFound);  // a missing drive
    if (target.node) {
        if (target.node->isDir) return FailWith(*s_, err::AccessDenied);
        if (target.node == source.node) return FailWith(*s_, err::SharingViolation);
        if (failIfExists) return FailWith(*s_, err::FileExists);
        if (target.node->attributes & AttrReadOnly) return FailWith(*s_, err::AccessDenied);
        if (s_->ShareClash(target.node.get(), GenericWrite, 0)) return FailWith(*s_, err::SharingViolation);
    }
    FsNode* folder = target.node ? target.node->parent : target.parent.get();
    if (s_->InReadOnlyFolder(folder)) return FailWith(*s_, err::AccessDenied);
    uint64_t oldSize = target.node ? target.node->data.size() : 0;
    if (s_->WouldOverflow(oldSize, source.node->data.size())) return FailWith(*s_, err::DiskFull);

    std::shared_ptr<FsNode> copy = target.node;
    uint32_t keep = 0;
    if (copy) {
        keep = copy->attributes & (AttrHidden | AttrSystem);
    } else {
        copy = s_->AddChild(target.parent, target.leaf, false);
    }
    copy->data = source.node->data;
    copy->attributes = source.node->attributes | keep;
    copy->lastWrite = source.node->lastWrite;
    copy->program = s_->ProgramOf(source.node.get());
    copy->version = source.node->version;
    s_->lastError = err::Success;
    return true;
}

bool Machine::MoveFile(const std::string& from, const std::string& to) {
    if (auto fault = s_->Enter("MoveFile", from, to)) return FailWith(*s_, *fault);
    Lookup source = s_->Find(from);
    if (!source.node) return FailWith(*s_, source.error);
    if (!source.node->parent) return FailWith(*s_, err::AccessDenied);  // a drive root
    Lookup target = s_->Find(to);
    if (target.node == source.node) return true;  // the same name in another case: Wine keeps the old one
    if (target.node) return FailWith(*s_, err::AlreadyExists);
    if (target.error != err::FileNotFound) return FailWith(*s_, target.error);
    if (!target.parent) return FailWith(*s_, err::FileNotFound);  // a missing drive
    std::shared_ptr<FsNode> node = source.node;
    if (s_->InReadOnlyFolder(node->parent) || s_->InReadOnlyFolder(target.parent.get()))
        return FailWith(*s_, err::AccessDenied);
    if (node->isDir) {
        if (IsInside(target.parent.get(), node.get())) return FailWith(*s_, err::InvalidParameter);
        if (s_->FullPath(target.parent.get())[0] != s_->FullPath(node.get())[0])
            return FailWith(*s_, status::NotSameDevice);
    } else if (!s_->AllHandlesShareDelete(node.get())) {
        return FailWith(*s_, err::SharingViolation);
    }
    auto program = s_->ProgramOf(node.get());
    s_->Detach(node.get());
    node->name = target.leaf;
    s_->Insert(target.parent, node);
    if (!node->isDir) node->program = program;
    return true;
}

bool Machine::DeleteFile(const std::string& path) {
    if (auto fault = s_->Enter("DeleteFile", path)) return FailWith(*s_, *fault);
    Lookup found = s_->Find(path);
    if (!found.node) return FailWith(*s_, found.error);
    FsNode* node = found.node.get();
    if (node->isDir) return FailWith(*s_, err::AccessDenied);
    if (node->attributes & AttrReadOnly) return FailWith(*s_, err::AccessDenied);
    if (s_->InReadOnlyFolder(node->parent)) return FailWith(*s_, err::AccessDenied);
    if (!s_->AllHandlesShareDelete(node)) return FailWith(*s_, err::SharingViolation);
    // Held open with FILE_SHARE_DELETE: it goes when the last handle closes.
    if (s_->HasOpenHandles(node)) node->deletePending = true;
    else s_->Detach(node);
    return true;
}

bool Machine::CreateDirectory(const std::string& path) {
    if (auto fault = s_->Enter("CreateDirectory", path)) return FailWith(*s_, *fault);
    Lookup found = s_->Find(path);
    if (found.node) return FailWith(*s_, err::AlreadyExists);
    if (found.error != err::FileNotFound) return FailWith(*s_, found.error);
    if (!found.parent) return FailWith(*s_, err::FileNotFound);  // a missing drive
    if (s_->InReadOnlyFolder(found.parent.get())) return FailWith(*s_, err::AccessDenied);
    s_->AddChild(found.parent, found.leaf, true);
    return true;
}

bool Machine::RemoveDirectory(const std::string& path) {
    if (auto fault = s_->Enter("RemoveDirectory", path)) return FailWith(*s_, *fault);
    Lookup found = s_->Find(path);
    if (!found.node) return FailWith(*s_, found.error);
    FsNode* node = found.node.get();
    if (!node->isDir) return FailWith(*s_, status::Directory);
    if (s_->IsCwdOrAbove(node)) return FailWith(*s_, err::SharingViolation);
    if (node->parent == nullptr) return FailWith(*s_, err::AccessDenied);
    if (!node->children.empty()) return FailWith(*s_, err::DirNotEmpty);
    if (s_->InReadOnlyFolder(node->parent)) return FailWith(*s_, err::AccessDenied);
    s_->Detach(node);
    return true;
}

Handle Machine::FindFirstFile(const std::string& pattern, FindData* data) {
    if (auto fault = s_->Enter("FindFirstFile", pattern)) {
        s_->lastError = *fault;
        return 0;
    }
    auto fail = [this](uint32_t code) -> Handle {
        s_->lastError = code;
        return 0;
    };
    std::string path = Slashes(pattern);
    if (path.empty()) return fail(err::PathNotFound);
    std::string folderPart, mask;
    size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos) {
        folderPart = path.substr(0, slash + 1);
        mask = path.substr(slash + 1);
    } else if (HasDrivePrefix(path)) {
        folderPart = path.substr(0, 2);
        mask = path.substr(2);
    } else {
        mask = path;
    }
    Lookup folder = folderPart.empty() ? s_->Resolve(s_->cwd) : s_->Find(folderPart);
    if (!folder.node) return fail(folder.error == err::InvalidName ? err::InvalidName : err::PathNotFound);
    if (!folder.node->isDir) return fail(err::InvalidName);
    if (mask.empty()) return fail(err::FileNotFound);
    if (HasInvalidChar(mask, false)) return fail(err::InvalidName);

    FindHandle find;
    find.pattern = pattern;
    const FsNode* dir = folder.node.get();
    if (mask.find_first_of("*?") == std::string::npos) {
        auto child = FindChild(*dir, TrimName(mask));
        if (!child) return fail(err::FileNotFound);
        find.entries.push_back(s_->EntryOf(child.get(), child->name));
    } else {
        // The listing is taken whole now: later changes do not show in it.
        if (dir->parent != nullptr) {
            if (text::ListingMatches(mask, ".")) find.entries.push_back(s_->EntryOf(dir, "."));
            if (text::ListingMatches(mask, "..")) find.entries.push_back(s_->EntryOf(dir->parent, ".."));
        }
        for (const auto& child : dir->children)
            if (text::ListingMatches(mask, child->name)) find.entries.push_back(s_->EntryOf(child.get(), child->name));
        if (find.entries.empty()) return fail(err::FileNotFound);
    }
    if (data != nullptr) *data = find.entries.front();
    find.next = 1;
    return s_->NewHandle(std::move(find));
}

bool Machine::FindNextFile(Handle find, FindData* data) {
    auto found = s_->handles.find(find);
    auto* entry = found == s_->handles.end() ? nullptr : std::get_if<FindHandle>(&found->second);
    if (auto fault = s_->Enter("FindNextFile", entry ? entry->pattern : std::string())) return FailWith(*s_, *fault);
    if (entry == nullptr) return FailWith(*s_, err::InvalidHandle);
    if (entry->next >= entry->entries.size()) return FailWith(*s_, err::NoMoreFiles);
    if (data != nullptr) *data = entry->entries[entry->next];
    ++entry->next;
    return true;
}

bool Machine::FindClose(Handle find) {
    auto found = s_->handles.find(find);
    auto* entry = found == s_->handles.end() ? nullptr : std::get_if<FindHandle>(&found->second);
    if (auto fault = s_->Enter("FindClose", entry ? entry->pattern : std::string())) return FailWith(*s_, *fault);
    if (entry == nullptr) return FailWith(*s_, err::InvalidHandle);
    s_->handles.erase(found);
    return true;
}

Handle Machine::CreateFile(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition) {
    auto fail = [this](uint32_t code) -> Handle {
        s_->lastError = code;
        return 0;
    };
    if (auto fault = s_->Enter("CreateFile", path)) return fail(*fault);
    if (disposition < CreateNew || disposition > kTruncateExisting) return fail(err::InvalidParameter);
    Lookup found = s_->Find(path);
    bool truncate = disposition == CreateAlways || disposition == kTruncateExisting;
    uint32_t status = err::Success;
    std::shared_ptr<FsNode> node = found.node;
    if (node) {
        if (node->isDir) return fail(err::AccessDenied);
        if (disposition == CreateNew) return fail(err::FileExists);
        if (s_->ShareClash(node.get(), access, share)) return fail(err::SharingViolation);
        bool writes = (access & GenericWrite) != 0 || truncate;
        if (writes && (node->attributes & AttrReadOnly)) return fail(err::AccessDenied);
        if (writes && s_->InReadOnlyFolder(node->parent)) return fail(err::AccessDenied);
        if (truncate) {
            node->data.clear();
            node->lastWrite = s_->Stamp();
        }
        if (disposition == CreateAlways || disposition == kOpenAlways) status = err::AlreadyExists;
    } else {
        if (found.error != err::FileNotFound) return fail(found.error);
        if (!found.parent) return fail(err::FileNotFound);  // a missing drive
        if (disposition == OpenExisting || disposition == kTruncateExisting) return fail(err::FileNotFound);
        if (s_->InReadOnlyFolder(found.parent.get())) return fail(err::AccessDenied);
        node = s_->AddChild(found.parent, found.leaf, false);
    }
    s_->lastError = status;
    return s_->NewHandle(FileHandle{node, access, share, 0});
}

bool Machine::ReadFile(Handle file, void* buffer, uint32_t size, uint32_t* read) {
    auto found = s_->handles.find(file);
    auto* entry = found == s_->handles.end() ? nullptr : std::get_if<FileHandle>(&found->second);
    if (read != nullptr) *read = 0;
    if (auto fault = s_->Enter("ReadFile", entry ? s_->FullPath(entry->node.get()) : std::string()))
        return FailWith(*s_, *fault);
    if (entry == nullptr) return FailWith(*s_, err::InvalidHandle);
    if (!(entry->access & GenericRead)) return FailWith(*s_, err::AccessDenied);
    if (buffer == nullptr && size > 0) return FailWith(*s_, err::InvalidParameter);
    const std::string& data = entry->node->data;
    uint64_t available = entry->position < data.size() ? data.size() - entry->position : 0;
    auto count = static_cast<uint32_t>(std::min<uint64_t>(available, size));
    if (count > 0) std::memcpy(buffer, data.data() + entry->position, count);
    entry->position += count;
    if (read != nullptr) *read = count;
    return true;
}

bool Machine::WriteFile(Handle file, const void* buffer, uint32_t size, uint32_t* written) {
    auto found = s_->handles.find(file);
    auto* entry = found == s_->handles.end() ? nullptr : std::get_if<FileHandle>(&found->second);
    if (written != nullptr) *written = 0;
    if (auto fault = s_->Enter("WriteFile", entry ? s_->FullPath(entry->node.get()) : std::string()))
        return FailWith(*s_, *fault);
    if (entry == nullptr) return FailWith(*s_, err::InvalidHandle);
    if (!(entry->access & GenericWrite)) return FailWith(*s_, err::AccessDenied);
    if (buffer == nullptr && size > 0) return FailWith(*s_, err::InvalidParameter);
    FsNode& node = *entry->node;
    if (s_->InReadOnlyFolder(node.parent)) return FailWith(*s_, err::AccessDenied);
    uint64_t end = std::max<uint64_t>(node.data.size(), entry->position + size);
    if (s_->WouldOverflow(node.data.size(), end)) return FailWith(*s_, err::DiskFull);
    if (node.data.size() < end) node.data.resize(end);
    if (size > 0) std::memcpy(node.data.data() + entry->position, buffer, size);
    entry->position += size;
    node.lastWrite = s_->Stamp();
    if (written != nullptr) *written = size;
    return true;
}

bool Machine::FlushFileBuffers(Handle file) {
    auto found = s_->handles.find(file);
    auto* entry = found == s_->handles.end() ? nullptr : std::get_if<FileHandle>(&found->second);
    if (auto fault = s_->Enter("FlushFileBuffers", entry ? s_->FullPath(entry->node.get()) : std::string()))
        return FailWith(*s_, *fault);
    if (entry == nullptr) return FailWith(*s_, err::InvalidHandle);
    if (!(entry->access & GenericWrite)) return FailWith(*s_, err::AccessDenied);
    return true;
}

bool Machine::CloseHandle(Handle handle) {
    auto found = s_->handles.find(handle);
    auto* file = found == s_->handles.end() ? nullptr : std::get_if<FileHandle>(&found->second);
    if (auto fault = s_->Enter("CloseHandle", file ? s_->FullPath(file->node.get()) : std::string()))
        return FailWith(*s_, *fault);
    if (found == s_->handles.end() ||
        !(std::holds_alternative<FileHandle>(found->second) || std::holds_alternative<ProcessHandle>(found->second) ||
          std::holds_alternative<MutexHandle>(found->second)))
        return FailWith(*s_, err::InvalidHandle);
    if (auto* mutex = std::get_if<MutexHandle>(&found->second)) {
        auto named = s_->namedObjects.find(mutex->name);
        // The name goes with its last handle.
        if (named != s_->namedObjects.end() && --named->second == 0) s_->namedObjects.erase(named);
    }
    std::shared_ptr<FsNode> node = file ? file->node : nullptr;
    s_->handles.erase(found);
    if (node && node->deletePending && !s_->HasOpenHandles(node.get())) s_->Detach(node.get());
    return true;
}

std::string Machine::GetCurrentDirectory() {
    if (auto fault = s_->Enter("GetCurrentDirectory", {})) {
        s_->lastError = *fault;
        return {};
    }
    return s_->cwdText;
}

bool Machine::SetCurrentDirectory(const std::string& path) {
    if (auto fault = s_->Enter("SetCurrentDirectory", path)) return FailWith(*s_, *fault);
    ParsedPath parsed;
    if (uint32_t error = s_->Parse(path, &parsed)) return FailWith(*s_, error);
    Lookup found = s_->Resolve(parsed);
    if (!found.node) return FailWith(*s_, found.error);
    if (!found.node->isDir) return FailWith(*s_, status::Directory);
    // Kept as written, as the system does.
    parsed.trailingSlash = false;
    s_->cwd = parsed;
    std::string text(1, parsed.drive);
    text += ":";
    for (const auto& part : parsed.parts) text += "\\" + part;
    if (parsed.parts.empty()) text += "\\";
    s_->cwdText = text;
    return true;
}

std::string Machine::GetTempPath() {
    if (auto fault = s_->Enter("GetTempPath", {})) {
        s_->lastError = *fault;
        return {};
    }
    return s_->tempPath;
}

std::string Machine::GetModuleFileName() {
    if (auto fault = s_->Enter("GetModuleFileName", {})) {
        s_->lastError = *fault;
        return {};
    }
    return s_->modulePath;
}

// --- Test access ---

void Machine::WriteFileText(const std::string& path, const std::string& content, uint32_t attributes) {
    ParsedPath parsed;
    if (s_->Parse(path, &parsed) != err::Success || parsed.parts.empty())
        throw std::invalid_argument("not a file path: " + path);
    std::string leaf = parsed.parts.back();
    parsed.parts.pop_back();
    std::string folder(1, parsed.drive);
    folder += ":\\";
    for (const auto& part : parsed.parts) folder += part + "\\";
    auto parent = s_->MakeFolders(folder);
    auto node = FindChild(*parent, leaf);
    if (node && node->isDir) throw std::invalid_argument("a folder is in the way: " + path);
    if (!node) node = s_->AddChild(parent, leaf, false);
    node->data = content;
    node->attributes = attributes & kFileSettable;
    node->lastWrite = s_->Stamp();
}

std::optional<std::string> Machine::ReadFileText(const std::string& path) const {
    Lookup found = s_->Find(path);
    if (!found.node || found.node->isDir) return std::nullopt;
    return found.node->data;
}

void Machine::MakeFolders(const std::string& path) { s_->MakeFolders(path); }

bool Machine::Exists(const std::string& path) const { return s_->Find(path).node != nullptr; }

std::vector<std::string> Machine::FilesBelow(const std::string& folder) const {
    std::vector<std::string> files;
    Lookup found = s_->Find(folder);
    if (!found.node || !found.node->isDir) return files;
    std::function<void(const FsNode&)> walk = [&](const FsNode& dir) {
        for (const auto& child : dir.children) {
            if (child->isDir) walk(*child);
            else files.push_back(s_->FullPath(child.get()));
        }
    };
    walk(*found.node);
    return files;
}

void Machine::SetReadOnlyFolder(const std::string& folder, bool readOnly) {
    s_->MakeFolders(folder)->readOnlyFolder = readOnly;
}

void Machine::SetDiskCapacity(uint64_t bytes) { s_->capacity = bytes; }

void Machine::AddDrive(const std::string& drive) {
    if (drive.empty() || !IsDriveLetter(drive[0])) throw std::invalid_argument("not a drive: " + drive);
    char letter = text::Upper(drive[0]);
    auto& root = s_->drives[letter];
    if (!root) {
        root = std::make_shared<FsNode>();
        root->name = std::string(1, letter) + ":";
        root->isDir = true;
        root->lastWrite = s_->Stamp();
    }
}

void Machine::SetClock(FileTime now) { s_->clock = now; }

}  // namespace os::emulated
