// What the platform classes and the engine are handed: the OS in use, the
// user, and the program's title for message-box captions.
#pragma once

#include "os/Api.h"
#include "platform/UserPort.h"

#include <string>

namespace platform {

inline constexpr const char* kProgramTitle = "Quorvex";

struct Services {
    os::Api& api;
    UserPort& user;
    std::string title = kProgramTitle;
};

}  // namespace platform
