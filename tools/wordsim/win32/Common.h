// Pieces the Windows binaries of the simulated Word share.
#pragma once

#include "os/win32/WinHeaders.h"

#include <string>

namespace wordsim::win32 {

// Serialises the invocation log and the server registration between
// winword.exe processes and the in-process server: the program under test
// starts "/u" and "/r" without waiting for them.
class SimLock {
public:
    SimLock();
    ~SimLock();
    SimLock(const SimLock&) = delete;
    SimLock& operator=(const SimLock&) = delete;

private:
    HANDLE mutex_;
    bool owned_ = false;
};

// A loaded module's full path in UTF-8 (null: the executable; empty when it
// cannot be had), and its folder without a trailing backslash.
std::string ModulePath(HMODULE module);
std::string ModuleFolder(HMODULE module);

}  // namespace wordsim::win32
