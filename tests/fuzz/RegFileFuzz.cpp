// Fuzzes the .reg reader and the import on the emulated machine. Besides the
// sanitizers it checks what backups depend on: a refused file says why and
// yields nothing, our own writer's output always reads back (the same, for a
// version 5 file; settled after one round, for an ANSI one), and a key whose
// backup succeeded can be restored.
#include "engine/RegFile.h"
#include "os/emulated/Machine.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace {

[[noreturn]] void Broken(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "fuzz_regfile: %s %s\n", what, detail.c_str());
    std::abort();
}

engine::RegFile MustParse(os::Api& api, const std::string& bytes, const char* what) {
    engine::RegFile file;
    engine::RegFileError error;
    if (!engine::ParseRegFile(api, bytes, &file, &error)) {
        Broken(what, "(line " + std::to_string(error.line) + "): " + error.message);
    }
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    os::emulated::Machine machine;

    engine::RegFile file;
    engine::RegFileError error;
    if (!engine::ParseRegFile(machine, bytes, &file, &error)) {
        if (error.message.empty()) Broken("a refused file has no reason");
        if (!file.keys.empty()) Broken("a refused file left keys behind");
        if (engine::ImportRegFile(machine, bytes) != os::err::InvalidData) Broken("a refused file imported");
        return 0;
    }

    engine::RegFile again = MustParse(machine, engine::FormatRegFile(machine, file), "our output of it is refused");
    // A version 5 file holds its texts as UTF-16, as our output does: nothing
    // may change on the way. (An ANSI file's hex string data need not be
    // valid in the code page; it settles on the next round.)
    if (file.unicode && !(again == file)) {
        Broken("our output reads back otherwise:", engine::DescribeRegDifference(file, again));
    }
    engine::RegFile third = MustParse(machine, engine::FormatRegFile(machine, again), "our output is refused twice");
    if (!(third == again)) Broken("our output does not settle:", engine::DescribeRegDifference(again, third));

    engine::RegFileError applyError;
    engine::ApplyRegFile(machine, file, &applyError);

    // Back up and restore a few of the keys the file wrote.
    machine.MakeFolders("C:\\Fuzz");
    std::set<std::string> seen;
    int n = 0;
    for (const engine::RegKey& key : file.keys) {
        if (key.remove || !seen.insert(key.path).second) continue;
        if (++n > 3) break;
        size_t slash = key.path.find('\\');
        if (slash == std::string::npos) continue;  // never a whole root
        std::string root = key.path.substr(0, slash);
        os::HKey hkey = 0;
        for (os::HKey candidate : {os::HKeyClassesRoot, os::HKeyCurrentUser, os::HKeyLocalMachine, os::HKeyUsers}) {
            std::string name = engine::RegRootName(candidate);
            if (name.size() == root.size() &&
                std::equal(name.begin(), name.end(), root.begin(), [](char a, char b) {
                    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                })) {
                hkey = candidate;
            }
        }
        if (hkey == 0) continue;
        std::string path = "C:\\Fuzz\\backup" + std::to_string(n) + ".reg";
        engine::RegResult backup = engine::BackupRegKey(machine, hkey, key.path.substr(slash + 1), path);
        if (!backup.ok()) continue;
        engine::RegResult restore = engine::RestoreRegFile(machine, path);
        if (!restore.ok()) Broken("a backup that succeeded cannot be restored:", restore.message);
    }
    return 0;
}
