// The machine a shared suite runs against: the emulated machine natively, the
// real API under Wine. Each instance owns a scratch registry key below
// HKEY_CURRENT_USER and a scratch folder, both wiped at set-up and removed at
// tear-down, so tests never see each other's leftovers.
#pragma once

#include "os/Api.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qvxtest {

class TestMachine {
public:
    // Defined once per build (support/native or support/win32).
    static std::unique_ptr<TestMachine> Create();
    virtual ~TestMachine() = default;

    virtual os::Api& Api() = 0;
    // Below HKEY_CURRENT_USER, without leading or trailing backslash.
    const std::string& ScratchKey() const { return scratchKey_; }
    // A full path with a trailing backslash.
    const std::string& ScratchDir() const { return scratchDir_; }
    virtual bool IsEmulated() const = 0;

protected:
    std::string scratchKey_;
    std::string scratchDir_;
};

// Deletes a key and everything below it (test clean-up only).
void DeleteKeyTree(os::Api& api, os::HKey root, const std::string& subKey);
// Deletes a folder and everything in it (test clean-up only).
void DeleteFolderTree(os::Api& api, const std::string& folder);
// Writes and reads whole files through the Api (test set-up only).
bool WriteTextFile(os::Api& api, const std::string& path, const std::string& content);
std::string ReadTextFile(os::Api& api, const std::string& path);

bool RunningUnderWine();
// Wine names the Unix user; root there passes every file permission.
bool RunningUnderWineAsRoot();
// The ANSI code page the suites run at: the system's under Windows, else
// QVX_ANSI_CODE_PAGE (65001 when unset), which the emulated machine is given.
uint32_t AnsiCodePage();

}  // namespace qvxtest
