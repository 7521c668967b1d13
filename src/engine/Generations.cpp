#include "engine/Generations.h"

#include "os/Handles.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace engine {

namespace {

bool Exists(os::Api& api, const std::string& path) {
    return api.GetFileAttributes(path) != os::InvalidFileAttributes;
}

// Far more names than any folder holds: a system that reports every name
// taken must not keep the search going for ever (the last name tried is
// returned, and the write to it fails: nothing is ever replaced).
constexpr int kNamesTried = 100000;

// The generation number a bare file name has as a generation of base, or 0.
long GenerationOf(const std::string& name, const std::string& base) {
    if (name.size() <= base.size() + 1 || FoldPath(name.substr(0, base.size())) != FoldPath(base) ||
        name[base.size()] != '.')
        return 0;
    const std::string digits = name.substr(base.size() + 1);
    // No leading zero: "X.01" is no name this program gives.
    if (digits.size() > 9 || digits[0] == '0' ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return 0;
    return std::stol(digits);
}

}  // namespace

std::string GenerationName(const std::string& path, int n) { return path + "." + std::to_string(n); }

std::string FreeGenerationName(os::Api& api, const std::string& path) {
    int n = 1;
    while (n < kNamesTried && Exists(api, GenerationName(path, n))) ++n;
    return GenerationName(path, n);
}

std::string FreeTemporaryName(os::Api& api, const std::string& path) {
    // A run stopped half-way may have left one; it is not ours to remove.
    std::string name = path + ".new";
    for (int n = 2; n < kNamesTried && Exists(api, name); ++n) name = path + ".new" + std::to_string(n);
    return name;
}

bool PromoteBackup(os::Api& api, const std::string& temporary, const std::string& path) {
    std::string earlier;
    if (Exists(api, path)) {
        earlier = FreeGenerationName(api, path);
        if (!api.MoveFile(path, earlier)) return false;
    }
    if (api.MoveFile(temporary, path)) return true;
    if (!earlier.empty()) api.MoveFile(earlier, path);
    return false;
}

std::vector<std::string> KeptFiles(os::Api& api, const std::string& path) {
    std::vector<std::string> kept;
    if (Exists(api, path)) kept.push_back(path);
    const size_t slash = path.find_last_of('\\');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = path.substr(folder.size());
    std::vector<std::pair<long, std::string>> found;
    os::FindData data;
    os::UniqueFind find(api, api.FindFirstFile(path + ".*", &data));
    if (find) {
        do {
            if (data.attributes & os::AttrDirectory) continue;
            if (long n = GenerationOf(data.name, base)) found.emplace_back(n, folder + data.name);
        } while (api.FindNextFile(find.get(), &data));
    }
    std::sort(found.begin(), found.end());
    for (auto& [n, name] : found) kept.push_back(std::move(name));
    return kept;
}

std::string FoldPath(const std::string& path) {
    std::string folded = path;
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

}  // namespace engine
