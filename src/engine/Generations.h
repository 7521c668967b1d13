// Earlier generations of a backup file. A backup never replaces the file
// already under its name: that file moves to generation 1 beside it, and
// older generations move one number up ("0Normal.dot" -> "0Normal.1.dot" ->
// "0Normal.2.dot"; the oldest has the highest number). They are kept for the
// user; the program's own restores only ever read the backup name.
#pragma once

#include "os/Api.h"

#include <string>

namespace engine {

// Generations kept per backup file; making room when all are taken drops
// the oldest.
inline constexpr int kGenerationsKept = 5;

// The name of generation n of path: the number goes before the file name's
// extension ("C:\T\Options.reg", 2 -> "C:\T\Options.2.reg"), or after a name
// without one.
std::string GenerationName(const std::string& path, int n);

// Whether a bare file name is a generation name, e.g. "Tools.3.wbt": listings
// of backup files skip these.
bool IsGenerationName(const std::string& name);

// Frees generation 1 of path by moving generations up as far as the first
// free number; when all are taken the oldest is dropped. The file under
// path itself is not touched. False when a file could not be moved.
bool FreeFirstGeneration(os::Api& api, const std::string& path);

// Makes room for a new file at path: a file already there becomes generation
// 1. True when path is free afterwards.
bool MakeRoom(os::Api& api, const std::string& path);

// Paths compared as Windows compares them: without regard to ASCII case.
std::string FoldPath(const std::string& path);

}  // namespace engine
