// The simulated Word on the emulated machine (native tests only): winword.exe
// becomes a program the machine can run and Word.Application an automation
// server whose creation runs the simulated start-up.
#pragma once

#include "os/emulated/Machine.h"
#include "wordsim/Installer.h"

namespace wordsim {

// Lays the simulated Word into the machine (Install) and hooks it up.
InstallResult InstallEmulated(os::emulated::Machine& machine, const InstallOptions& options);
// Hooks an install already laid into the machine: winword.exe logs its
// command line, "/u" and "/r" unregister and register Word.Application, and
// Word.Application is registered now if the install registered its server.
void HookUp(os::emulated::Machine& machine, const InstallResult& install);

}  // namespace wordsim
