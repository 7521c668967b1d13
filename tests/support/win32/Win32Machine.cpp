// The Windows build's test machine: the real API, with a scratch registry key
// and a scratch folder of this process's own.
#include "support/TestMachine.h"

#include "os/Handles.h"
#include "os/win32/Win32Api.h"
#include "os/win32/WinHeaders.h"

#include <atomic>

namespace qvxtest {

namespace {

constexpr const char* kScratchParent = "Software\\QuorvexTest";

class Win32Machine : public TestMachine {
public:
    Win32Machine() {
        static std::atomic<unsigned> serial{0};
        std::string name = std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++serial);
        scratchKey_ = std::string(kScratchParent) + "\\" + name;
        scratchDir_ = api_.GetTempPath() + "QuorvexTest-" + name + "\\";
        // Leftovers of an earlier process with the same id go first.
        Wipe();
        os::HKey key = 0;
        if (api_.RegCreateKeyEx(os::HKeyCurrentUser, scratchKey_, os::KeyAllAccess, &key, nullptr) == 0)
            api_.RegCloseKey(key);
        api_.CreateDirectory(Folder());
    }

    ~Win32Machine() override {
        Wipe();
        // Only removed once no other test machine uses it (not recursive).
        api_.RegDeleteKey(os::HKeyCurrentUser, kScratchParent);
    }

    os::Api& Api() override { return api_; }
    bool IsEmulated() const override { return false; }

private:
    std::string Folder() const { return scratchDir_.substr(0, scratchDir_.size() - 1); }

    void Wipe() {
        DeleteKeyTree(api_, os::HKeyCurrentUser, scratchKey_);
        DeleteFolderTree(api_, Folder());
    }

    os::win32::Win32Api api_;
};

}  // namespace

std::unique_ptr<TestMachine> TestMachine::Create() { return std::make_unique<Win32Machine>(); }

}  // namespace qvxtest
