#include "platform/clsFileSystem.h"

#include "os/Handles.h"
#include "platform/FileError.h"

#include <vector>

namespace platform {

namespace {

constexpr const char* kSource = "clsFileSystem";
constexpr int kYieldsPerStep = 3;

// Which entries a directory listing returns, as the runtime's Dir does: an
// entry is listed when its hidden, system and directory bits are all among
// the ones asked for.
constexpr uint32_t kListNormal = 0;
constexpr uint32_t kListHidden = os::AttrHidden;
constexpr uint32_t kListDirectory = os::AttrDirectory;

bool Listed(const os::FindData& entry, uint32_t asked) {
    const uint32_t special = os::AttrHidden | os::AttrSystem | os::AttrDirectory;
    return (entry.attributes & special & ~asked) == 0;
}

// The names a listing returns, in listing order. With a user, pending
// messages run before and after each step of the listing.
std::vector<os::FindData> List(os::Api& api, const std::string& pattern, uint32_t asked,
                               UserPort* user = nullptr) {
    std::vector<os::FindData> entries;
    if (user) user->DoEvents(kYieldsPerStep);
    os::FindData data;
    os::UniqueFind find(api, api.FindFirstFile(pattern, &data));
    if (user) user->DoEvents(kYieldsPerStep);
    if (!find) return entries;
    for (;;) {
        if (Listed(data, asked)) entries.push_back(data);
        if (user) user->DoEvents(kYieldsPerStep);
        bool more = api.FindNextFile(find.get(), &data);
        if (user) user->DoEvents(kYieldsPerStep);
        if (!more) break;
    }
    return entries;
}

// Where the last component of a path starts.
std::string::size_type LastComponent(const std::string& path) {
    auto separator = path.find_last_of("\\:");
    return separator == std::string::npos ? 0 : separator + 1;
}

// Length / 1024 rounded to four decimals, half to even, trailing zeros
// dropped. The decimal separator is ".": the Api offers no locale query, and
// this text is only ever shown, never parsed.
std::string Kilobytes(uint64_t bytes) {
    const uint64_t scaled = (bytes % 1024) * 10000;
    uint64_t units = bytes / 1024 * 10000 + scaled / 1024;  // ten-thousandths of a kilobyte
    const uint64_t remainder = scaled % 1024;
    if (remainder > 512 || (remainder == 512 && units % 2 == 1)) ++units;
    std::string text = std::to_string(units / 10000);
    std::string fraction = std::to_string(units % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (!fraction.empty()) text += "." + fraction;
    return text + "KB";
}

}  // namespace

void clsFileSystem::Say(const std::string& text) {
    services_.user.Tell(text, Mark::None, services_.title);
}

bool clsFileSystem::FileExist(const std::string& strFile) { return services_.api.PathFileExists(strFile); }

void clsFileSystem::Save(const std::string& FileName) {
    if (!FileReal(FileName)) return;
    if (services_.user.Ask("Overwrite File?", Mark::None, services_.title))
        DeleteFile(FileName);
}

bool clsFileSystem::FileReal(const std::string& FileName) {
    auto entries = List(services_.api, FileName, kListNormal);
    return !entries.empty() && entries.front().name == FileName;
}

std::string clsFileSystem::GetFileSize(const std::string& FileName) {
    os::FileInfo info;
    if (!services_.api.GetFileAttributesEx(FileName, &info)) return "0B";
    if (info.size < 1024) return std::to_string(info.size) + "B";
    return Kilobytes(info.size);
}

std::string clsFileSystem::GetAttrib(const std::string& FileName) {
    uint32_t attributes = services_.api.GetFileAttributes(FileName);
    if (attributes == os::InvalidFileAttributes) return "Unknown";
    // Only the classic attribute bits count: "normal" alone is no attribute,
    // and newer bits (compressed, not indexed, ...) name nothing here.
    attributes &= 0x7F;
    switch (attributes) {
        case 64: return "Alias";
        case 32: return "Archive";
        case 16: return "Directory";
        case 2: return "Hidden";
        case 0: return "Normal";
        case 1: return "ReadOnly";
        case 4: return "System";
        case 8: return "Volume";
        default: return std::to_string(attributes);
    }
}

void clsFileSystem::SetHidden(const std::string& FileName) {
    services_.api.SetFileAttributes(FileName, os::AttrHidden);
}

void clsFileSystem::SetReadOnly(const std::string& FileName) {
    services_.api.SetFileAttributes(FileName, os::AttrReadOnly);
}

void clsFileSystem::SetSystem(const std::string& FileName) {
    services_.api.SetFileAttributes(FileName, os::AttrSystem);
}

void clsFileSystem::SetNormal(const std::string& FileName) {
    services_.api.SetFileAttributes(FileName, os::AttrNormal);
}

std::string clsFileSystem::GetFileExtension(const std::string& FileName) {
    const auto length = FileName.size();
    for (std::string::size_type n = 2; n <= 5; ++n) {
        const auto at = length >= n ? length - n : 0;
        if (length > 0 && FileName[at] == '.') return FileName.substr(length >= n - 1 ? length - (n - 1) : 0);
    }
    return "Unknown";
}

std::string clsFileSystem::GetFileDate(const std::string& FileName) {
    os::FileInfo info;
    if (!services_.api.GetFileAttributesEx(FileName, &info)) return {};
    return services_.api.FormatFileTime(info.lastWrite);
}

void clsFileSystem::DeleteFile(const std::string& FileName) {
    os::Api& api = services_.api;
    const auto start = LastComponent(FileName);
    if (FileName.find_first_of("*?", start) == std::string::npos) {
        if (!api.DeleteFile(FileName)) Say("Error deleting File");
        return;
    }
    // Collect the matches first: deleting under an open listing is not safe
    // everywhere.
    std::vector<std::string> matches;
    for (const auto& entry : List(api, FileName, os::AttrHidden | os::AttrSystem)) matches.push_back(entry.name);
    if (matches.empty()) {
        Say("Error deleting File");
        return;
    }
    const std::string folder = FileName.substr(0, start);
    for (const auto& name : matches) {
        if (!api.DeleteFile(folder + name)) {
            Say("Error deleting File");
            return;
        }
    }
}

void clsFileSystem::CopyFile(const std::string& Source, const std::string& Destination) {
    services_.api.CopyFile(Source, Destination, false);
}

void clsFileSystem::MoveFile(const std::string& Source, const std::string& Destination) {
    os::Api& api = services_.api;
    if (!api.CopyFile(Source, Destination, false) || !api.DeleteFile(Source)) Say("Error moving File");
}

void clsFileSystem::MakeDIR(const std::string& Path) { services_.api.CreateDirectory(Path); }

void clsFileSystem::RemoveDIR(const std::string& Path) {
    if (!services_.api.RemoveDirectory(Path)) Say("Error removing Directory");
}

void clsFileSystem::CloseAllFiles() {
    // Nothing to do: every file these classes open is owned by a handle that
    // closes it before the call that opened it returns.
}

std::string clsFileSystem::GetFileBaseName(const std::string& FileName, bool IncludePath) {
    std::string::size_type start = 0;
    std::string::size_type end = FileName.size();
    bool endFound = false;
    for (auto i = FileName.size(); i-- > 0;) {
        const char c = FileName[i];
        if (c == '.') {
            if (IncludePath) return FileName.substr(0, i);
            // A "." in the first position remembers nothing.
            if (!endFound && i > 0) {
                end = i;
                endFound = true;
            }
        } else if (c == ':' || c == '\\') {
            if (!IncludePath) start = i + 1;
            break;
        }
    }
    return end > start ? FileName.substr(start, end - start) : std::string();
}

std::string clsFileSystem::GetFileName(const std::string& strPath) {
    const auto separator = strPath.rfind('\\');
    if (separator == std::string::npos || separator == 0) return strPath;
    return strPath.substr(separator + 1);
}

std::string clsFileSystem::GetPath(const std::string& PathFile) {
    const auto separator = PathFile.rfind('\\');
    if (separator == std::string::npos) return "\\";
    return PathFile.substr(0, separator + 1);
}

void clsFileSystem::CreateDirectoryStruct(const std::string& CreateThisPath) {
    os::Api& api = services_.api;
    const std::string& path = CreateThisPath;
    if (!List(api, path, kListDirectory).empty()) return;

    // The fixed prefix: "\\server\share\" or "X:\". Anything else, a relative
    // path above all, has no root to walk from and is refused.
    std::string::size_type walk = 0;
    if (path.rfind("\\\\", 0) == 0) {
        const auto serverEnd = path.find('\\', 2);
        const auto shareEnd = serverEnd == std::string::npos ? serverEnd : path.find('\\', serverEnd + 1);
        if (serverEnd == 2 || shareEnd == serverEnd + 1) RaiseFileErrorNumber(kErrBadFileName, kSource);
        // The share itself cannot be made; with no folder below it there is nothing to do.
        if (shareEnd == std::string::npos || shareEnd + 1 >= path.size()) return;
        walk = shareEnd + 1;
    } else if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
        walk = 3;
    } else {
        RaiseFileErrorNumber(kErrPathNotFound, kSource);
    }

    std::string prefix = path.substr(0, walk);
    while (prefix != path) {
        const auto separator = path.find('\\', walk);
        const std::string component =
            path.substr(walk, separator == std::string::npos ? std::string::npos : separator - walk);
        walk += component.size() + 1;
        const std::string folder = prefix + component;
        if (!FileExist(folder) && !api.CreateDirectory(folder)) RaiseFileError(api.GetLastError(), kSource);
        services_.user.DoEvents();
        prefix = path.substr(0, walk);
    }
}

std::string clsFileSystem::sRemoveLastChar(const std::string& sPassString) {
    if (sPassString.empty()) return {};
    return sPassString.substr(0, sPassString.size() - 1);
}

std::string clsFileSystem::LastChar(const std::string& strText) {
    if (strText.empty()) return {};
    return strText.substr(strText.size() - 1);
}

void clsFileSystem::CleanAllPath(std::string& sPath) {
    os::Api& api = services_.api;
    UserPort& user = services_.user;
    // An empty path would turn into "\", the root of the current drive.
    if (sPath.empty()) RaiseFileErrorNumber(kErrPathNotFound, kSource);
    if (sPath.back() != '\\') sPath += '\\';

    for (uint32_t asked : {kListNormal, kListHidden}) {
        for (const auto& entry : List(api, sPath + "*.*", asked, &user)) {
            const std::string file = sPath + entry.name;
            user.DoEvents(kYieldsPerStep);
            if (!api.SetFileAttributes(file, os::AttrNormal)) RaiseFileError(api.GetLastError(), kSource);
            if (!api.DeleteFile(file)) RaiseFileError(api.GetLastError(), kSource);
            user.DoEvents(kYieldsPerStep);
        }
    }

    // Collect every subfolder before descending: a nested listing must not
    // run while this one is open.
    std::vector<std::string> folders;
    for (const auto& entry : List(api, sPath + "*.*", kListDirectory, &user)) {
        if ((entry.attributes & os::AttrDirectory) && entry.name != "." && entry.name != "..")
            folders.push_back(entry.name);
    }
    for (const auto& name : folders) {
        std::string inner = sPath + name + "\\";
        CleanAllPath(inner);
        user.DoEvents(kYieldsPerStep);
        if (!api.RemoveDirectory(sPath + name)) RaiseFileError(api.GetLastError(), kSource);
        user.DoEvents(kYieldsPerStep);
    }
}

}  // namespace platform
