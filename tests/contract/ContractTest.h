// What the contract suites share: the machine of this build, its scratch key
// and folder, and a few helpers written over os::Api alone.
#pragma once

#include "os/Api.h"
#include "os/Handles.h"
#include "support/TestMachine.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace contract {

// Written into outputs before a call, so a call that leaves them alone shows.
constexpr uint32_t kSentinel = 0xDEADBEEFu;

class ContractTest : public ::testing::Test {
protected:
    std::unique_ptr<qvxtest::TestMachine> machine = qvxtest::TestMachine::Create();
    os::Api& api = machine->Api();
    // The scratch folder, with a trailing backslash.
    const std::string dir = machine->ScratchDir();
    // The scratch key below HKEY_CURRENT_USER.
    const std::string key = machine->ScratchKey();

    std::string Path(const std::string& name) const { return dir + name; }

    void Write(const std::string& name, const std::string& content = "data") {
        ASSERT_TRUE(qvxtest::WriteTextFile(api, Path(name), content)) << name;
    }
    std::string Read(const std::string& name) { return qvxtest::ReadTextFile(api, Path(name)); }
    void MakeDir(const std::string& name) { ASSERT_TRUE(api.CreateDirectory(Path(name))) << name; }
    uint32_t Attributes(const std::string& name) { return api.GetFileAttributes(Path(name)); }
    bool Exists(const std::string& name) { return Attributes(name) != os::InvalidFileAttributes; }

    // The status a call left, after the sentinel was set before it.
    template <typename Call>
    uint32_t ErrorOf(Call call) {
        api.SetLastError(kSentinel);
        call();
        return api.GetLastError();
    }

    // The names a listing returns, in order; empty when FindFirstFile fails,
    // with its status in *error.
    std::vector<std::string> List(const std::string& pattern, uint32_t* error = nullptr) {
        std::vector<std::string> names;
        os::FindData found;
        api.SetLastError(kSentinel);
        os::UniqueFind find(api, api.FindFirstFile(pattern, &found));
        if (error != nullptr) *error = find ? 0 : api.GetLastError();
        if (!find) return names;
        do names.push_back(found.name);
        while (api.FindNextFile(find.get(), &found));
        return names;
    }
};

}  // namespace contract
