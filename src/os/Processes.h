// Starting a process through os::Api, for every start the program makes.
#pragma once

#include "os/Api.h"

#include <string>

namespace os {

// CreateProcess, tried twice more 100 ms apart when the system turns the start
// down with ERROR_INTERNAL_ERROR: Wine does that to the odd start on a busy
// machine and takes the same start a moment later. 0 on failure, the last
// error as the last try left it.
inline Handle StartProcess(Api& api, const std::string& applicationName, const std::string& commandLine,
                           int showCmd) {
    constexpr int kTries = 3;
    constexpr uint32_t kPauseMs = 100;
    for (int attempt = 1;; ++attempt) {
        api.SetLastError(err::Success);
        if (Handle process = api.CreateProcess(applicationName, commandLine, showCmd)) return process;
        if (attempt == kTries || api.GetLastError() != err::InternalError) return 0;
        api.Sleep(kPauseMs);
    }
}

}  // namespace os
