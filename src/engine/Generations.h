// Earlier generations of a backup file. A backup never replaces the file
// already under its name: a new backup lands under a temporary name, is
// checked, and only then does the file under the name move to the first free
// generation beside it ("0Normal.dot" -> "0Normal.dot.1", then
// "0Normal.dot.2"). A generation keeps its name once it has one, and none is
// ever dropped: they are small. Numbers ending the name keep generations out
// of every listing of backups ("*.wbt" never matches "Tools.wbt.1"), so a
// user's file such as "Tools.1.wbt" is only ever the backup of "Tools.1.dot".
#pragma once

#include "os/Api.h"

#include <string>
#include <vector>

namespace engine {

// The name of generation n (from 1) of path: "C:\T\Options.reg", 2 ->
// "C:\T\Options.reg.2".
std::string GenerationName(const std::string& path, int n);

// The first generation name of path that no file holds.
std::string FreeGenerationName(os::Api& api, const std::string& path);

// A free name beside path for a new backup until it is checked
// ("0Normal.dot.new"); never a backup or generation name.
std::string FreeTemporaryName(os::Api& api, const std::string& path);

// Puts the checked file at temporary under path: a file already at path moves
// to the first free generation first. On failure temporary is left as it
// is and the earlier file goes back under path.
bool PromoteBackup(os::Api& api, const std::string& temporary, const std::string& path);

// The files kept under path: path itself if it exists, then every generation
// of it found in its folder, in number order.
std::vector<std::string> KeptFiles(os::Api& api, const std::string& path);

// Paths compared as Windows compares them: without regard to ASCII case.
std::string FoldPath(const std::string& path);

}  // namespace engine
