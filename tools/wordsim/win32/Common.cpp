#include "Common.h"

#include "os/Utf8.h"

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

std::string ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH * 2];
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH * 2);
    if (length == 0 || length >= MAX_PATH * 2) return {};
    return os::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(path), length));
}

std::string ModuleFolder(HMODULE module) {
    const std::string text = ModulePath(module);
    const size_t slash = text.find_last_of('\\');
    return slash == std::string::npos ? std::string() : text.substr(0, slash);
}

}  // namespace wordsim::win32
