#include "Common.h"

namespace wordsim::win32 {

SimLock::SimLock() : mutex_(::CreateMutexA(nullptr, FALSE, "Local\\WordSimInvocationLock")) {
    if (mutex_ == nullptr) return;
    // A holder that hangs must not hang everyone: after the bound we go on.
    const DWORD wait = ::WaitForSingleObject(mutex_, 30000);
    owned_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

SimLock::~SimLock() {
    if (mutex_ == nullptr) return;
    if (owned_) ::ReleaseMutex(mutex_);
    ::CloseHandle(mutex_);
}

std::string ModuleFolder(HMODULE module) {
    char path[MAX_PATH * 2];
    const DWORD length = ::GetModuleFileNameA(module, path, sizeof path);
    std::string text(path, length < sizeof path ? length : 0);
    const size_t slash = text.find_last_of('\\');
    return slash == std::string::npos ? std::string() : text.substr(0, slash);
}

}  // namespace wordsim::win32
