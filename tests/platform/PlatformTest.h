// The set-up the platform suites share: the machine of this build behind a
// RecordingApi, a scripted user, and the Services the classes are given.
#pragma once

#include "platform/Services.h"
#include "platform/Variant.h"
#include "support/ScriptedUser.h"
#include "support/TestMachine.h"

#include "RecordingApi.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace qvxtest {

class PlatformTest : public ::testing::Test {
protected:
    std::unique_ptr<TestMachine> machine = TestMachine::Create();
    RecordingApi api{machine->Api()};
    qvxtest::ScriptedUser host;
    platform::Services services{api, host};
    // Full path of the scratch folder, with a trailing backslash.
    const std::string dir = machine->ScratchDir();
    // The scratch key below HKEY_CURRENT_USER.
    const std::string key = machine->ScratchKey();
};

// A value's kind and content in one readable text, so failures show both.
inline std::string Describe(const platform::Variant& value) {
    struct {
        std::string operator()(std::monostate) const { return "empty"; }
        std::string operator()(const std::string& s) const { return "text \"" + s + "\""; }
        std::string operator()(int32_t n) const { return "long " + std::to_string(n); }
        std::string operator()(uint8_t n) const { return "byte " + std::to_string(n); }
        std::string operator()(int16_t n) const { return "integer " + std::to_string(n); }
    } visitor;
    return std::visit(visitor, value);
}

}  // namespace qvxtest
