// Whole-file writes and reads through os::Api, for the .reg backups: a
// backup counts only when every byte was written and flushed.
#pragma once

#include "os/Api.h"

#include <string>

namespace engine {

// Creates or replaces path with bytes and flushes it to disk. Returns 0, or
// the status code of the step that failed; a file left half-written is
// deleted so that nothing can mistake it for a backup. Without replace, a
// file already at path stays as it is and the write fails (ERROR_FILE_EXISTS).
uint32_t WriteWholeFile(os::Api& api, const std::string& path, const std::string& bytes, bool replace = true);

// Reads the whole file. Returns 0, or the status code of the step that failed.
uint32_t ReadWholeFile(os::Api& api, const std::string& path, std::string* bytes);

}  // namespace engine
