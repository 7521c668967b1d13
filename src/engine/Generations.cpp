#include "engine/Generations.h"

#include <cctype>

namespace engine {

namespace {

// Where ".n" goes: before the last dot of the file name, else at its end.
size_t NumberAt(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.find_last_of('.');
    // A leading dot is part of the name, not an extension.
    return dot == std::string::npos || dot <= nameStart ? path.size() : dot;
}

bool Exists(os::Api& api, const std::string& path) {
    return api.GetFileAttributes(path) != os::InvalidFileAttributes;
}

// The oldest generation goes for good; a read-only copy must not keep it.
bool Drop(os::Api& api, const std::string& path) {
    if (api.DeleteFile(path)) return true;
    api.SetFileAttributes(path, os::AttrNormal);
    return api.DeleteFile(path);
}

}  // namespace

std::string GenerationName(const std::string& path, int n) {
    std::string name = path;
    name.insert(NumberAt(path), "." + std::to_string(n));
    return name;
}

bool IsGenerationName(const std::string& name) {
    const size_t end = NumberAt(name);
    size_t start = end;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(name[start - 1]))) --start;
    // Something must come before ".n": ".1" alone is no generation of anything.
    if (start == end || start < 2 || name[start - 1] != '.' || end - start > 2) return false;
    const int n = std::stoi(name.substr(start, end - start));
    return name[start] != '0' && n >= 1 && n <= kGenerationsKept;
}

bool FreeFirstGeneration(os::Api& api, const std::string& path) {
    // Only as far as the first gap: older generations past it stay as they are.
    int free = 1;
    while (free <= kGenerationsKept && Exists(api, GenerationName(path, free))) ++free;
    if (free > kGenerationsKept) {
        free = kGenerationsKept;
        if (!Drop(api, GenerationName(path, free))) return false;
    }
    for (int n = free - 1; n >= 1; --n) {
        if (!api.MoveFile(GenerationName(path, n), GenerationName(path, n + 1))) return false;
    }
    return true;
}

bool MakeRoom(os::Api& api, const std::string& path) {
    if (!Exists(api, path)) return true;
    return FreeFirstGeneration(api, path) && api.MoveFile(path, GenerationName(path, 1));
}

std::string FoldPath(const std::string& path) {
    std::string folded = path;
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

}  // namespace engine
