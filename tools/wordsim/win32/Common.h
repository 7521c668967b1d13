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

// The folder of a loaded module (null: the executable), no trailing backslash.
std::string ModuleFolder(HMODULE module);

}  // namespace wordsim::win32
