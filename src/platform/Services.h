// What the platform classes, the engine and the forms are handed: the OS in
// use, the form host, and the program's title for message-box captions.
#pragma once

#include "forms/Host.h"
#include "os/Api.h"

#include <string>

namespace platform {

inline constexpr const char* kProgramTitle = "Quorvex";

struct Services {
    os::Api& api;
    forms::Host& host;
    std::string title = kProgramTitle;
};

}  // namespace platform
