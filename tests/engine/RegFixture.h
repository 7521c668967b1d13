// A scratch registry key on the machine under test, for the .reg suites.
#pragma once

#include "os/Handles.h"
#include "os/Utf8.h"
#include "support/TestMachine.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qvxtest {

class RegFixture : public ::testing::Test {
protected:
    void SetUp() override { machine_ = TestMachine::Create(); }

    os::Api& api() { return machine_->Api(); }
    // A name and a path outside every single-byte code page.
    static constexpr std::u16string_view kBeyondName = u"\u0141ukasz \u0418\u0432\u0430\u043d";
    static constexpr std::u16string_view kBeyondPath =
        u"C:\\Users\\\u0418\u0432\u0430\u043d\\Za\u017c\u00f3\u0142\u0107 g\u0119\u015bl\u0105.doc";
    // Text as the seam carries it: UTF-8, whatever the code page.
    static std::string Utf8(std::u16string_view text) { return os::Utf16ToUtf8(text); }
    // Text in the machine's own ANSI code page, as files of the editor's
    // version 4 hold it.
    std::string Ansi(std::u16string_view text) { return api().Utf16ToAnsi(std::u16string(text)); }
    std::string Sub(const std::string& rel) const { return machine_->ScratchKey() + "\\" + rel; }
    std::string Full(const std::string& rel) const { return "HKEY_CURRENT_USER\\" + Sub(rel); }
    std::string File(const std::string& name) const { return machine_->ScratchDir() + name; }

    void CreateKey(const std::string& rel) {
        os::HKey key = 0;
        ASSERT_EQ(0, api().RegCreateKeyEx(os::HKeyCurrentUser, Sub(rel), os::KeyAllAccess, &key, nullptr));
        api().RegCloseKey(key);
    }
    // The byte after the data is never NUL, so the ANSI call cannot add a
    // terminator that the test did not ask for.
    void Put(const std::string& rel, const std::string& name, uint32_t type, std::string_view data) {
        os::HKey key = 0;
        ASSERT_EQ(0, api().RegCreateKeyEx(os::HKeyCurrentUser, Sub(rel), os::KeyAllAccess, &key, nullptr));
        os::UniqueKey owner(api(), key);
        std::vector<uint8_t> buffer(data.begin(), data.end());
        buffer.push_back(0xFF);
        ASSERT_EQ(0, api().RegSetValueEx(key, name, type, buffer.data(), static_cast<uint32_t>(data.size())))
            << name;
    }
    bool KeyExists(const std::string& rel) {
        os::HKey key = 0;
        if (api().RegOpenKeyEx(os::HKeyCurrentUser, Sub(rel), os::KeyRead, &key) != 0) return false;
        api().RegCloseKey(key);
        return true;
    }

    std::unique_ptr<TestMachine> machine_;
};

}  // namespace qvxtest
