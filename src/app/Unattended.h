// The program run from a command line: the automatic repair without any
// window or question, a log a technician can read afterwards, and an exit
// code that fleet tools act on.
#pragma once

#include "app/CommandLine.h"
#include "os/Api.h"

#include <functional>
#include <string>

namespace app {

// %LOCALAPPDATA%\Quorvex\last-run.log; empty when the shell names no such folder.
std::string DefaultLogPath(os::Api& api);

// Does what line asks (never Interactive) and returns the exit code. Usage
// and errors go to the console of the program that started this one;
// showUsage shows the usage when /? was asked and there is no console.
int RunCommandLine(os::Api& api, const CommandLine& line, const std::function<void(const std::string&)>& showUsage);

}  // namespace app
