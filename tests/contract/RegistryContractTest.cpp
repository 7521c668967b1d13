// What the program relies on from the registry functions, as Wine gives it:
// the emulation must answer the same.
#include "ContractTest.h"

#ifdef _WIN32
#include "os/win32/Raii.h"
#include "os/win32/WinHeaders.h"
#endif

#include <algorithm>
#include <cstring>

namespace contract {
namespace {

constexpr long kKeyDeleted = 1018;   // ERROR_KEY_DELETED
constexpr long kBadPathname = 161;   // ERROR_BAD_PATHNAME

class RegistryContract : public ContractTest {
protected:
    os::UniqueKey Create(const std::string& subKey, uint32_t* disposition = nullptr) {
        os::HKey created = 0;
        long status = api.RegCreateKeyEx(os::HKeyCurrentUser, key + "\\" + subKey, os::KeyAllAccess, &created,
                                         disposition);
        EXPECT_EQ(0, status) << subKey;
        return os::UniqueKey(api, created);
    }
    long Open(const std::string& subKey, os::UniqueKey* opened = nullptr) {
        os::HKey handle = kSentinel;
        long status = api.RegOpenKeyEx(os::HKeyCurrentUser, key + "\\" + subKey, os::KeyAllAccess, &handle);
        if (status != 0) {
            EXPECT_EQ(0u, handle) << "a failed open leaves no handle";
        }
        if (status == 0 && opened != nullptr) *opened = os::UniqueKey(api, handle);
        else if (status == 0) api.RegCloseKey(handle);
        return status;
    }
    void SetText(os::HKey k, const std::string& name, const std::string& text) {
        ASSERT_EQ(0, api.RegSetValueEx(k, name, os::RegSz, reinterpret_cast<const uint8_t*>(text.c_str()),
                                       static_cast<uint32_t>(text.size() + 1)));
    }
    std::vector<std::string> SubkeyNames(os::HKey k) {
        std::vector<std::string> names;
        for (uint32_t i = 0;; ++i) {
            char name[256];
            uint32_t chars = sizeof name;
            long status = api.RegEnumKeyEx(k, i, name, &chars);
            if (status != 0) {
                EXPECT_EQ(static_cast<long>(os::err::NoMoreItems), status);
                break;
            }
            names.emplace_back(name, chars);
        }
        return names;
    }
    std::vector<std::string> ValueNames(os::HKey k) {
        std::vector<std::string> names;
        for (uint32_t i = 0;; ++i) {
            char name[256];
            uint32_t chars = sizeof name;
            long status = api.RegEnumValue(k, i, name, &chars, nullptr, nullptr, nullptr);
            if (status != 0) {
                EXPECT_EQ(static_cast<long>(os::err::NoMoreItems), status);
                break;
            }
            names.emplace_back(name, chars);
        }
        return names;
    }
};

TEST_F(RegistryContract, NamesMatchWhateverTheirCaseAndKeepTheSpellingFirstWritten) {
    auto k = Create("Mixed\\Case");
    EXPECT_EQ(0, Open("MIXED\\case"));
    os::UniqueKey parent;
    ASSERT_EQ(0, Open("mixed", &parent));
    EXPECT_EQ(std::vector<std::string>{"Case"}, SubkeyNames(parent.get()));

    SetText(k.get(), "ValName", "first");
    SetText(k.get(), "VALNAME", "second");
    EXPECT_EQ(std::vector<std::string>{"ValName"}, ValueNames(k.get()));
    char data[16] = {};
    uint32_t size = sizeof data;
    EXPECT_EQ(0, api.RegQueryValueEx(k.get(), "valname", nullptr, reinterpret_cast<uint8_t*>(data), &size));
    EXPECT_STREQ("second", data);
}

// Names and texts outside the code page, at whatever code page the suite runs
// (under Wine this program has no UTF-8 manifest): every byte comes back.
TEST_F(RegistryContract, NamesAndTextsOutsideTheCodePageComeBackByteForByte) {
    if (qvxtest::RunningUnderWine()) {
        ASSERT_NE(65001u, qvxtest::AnsiCodePage()) << "the run proves nothing at UTF-8";
    }
    const std::string names[] = {"\xC5\x81ukasz", "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD",
                                 "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85 \xE2\x82\xAC"};
    auto parent = Create("Beyond");
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        auto k = Create("Beyond\\" + name);
        const std::string text = "C:\\Users\\" + name + "\\" + name + ".doc";
        SetText(k.get(), name, text);
        EXPECT_EQ(std::vector<std::string>{name}, ValueNames(k.get()));
        uint32_t size = 0;
        ASSERT_EQ(0, api.RegQueryValueEx(k.get(), name, nullptr, nullptr, &size));
        EXPECT_EQ(text.size() + 1, size);
        std::vector<char> data(size);
        uint32_t small = size - 1;
        EXPECT_EQ(long{os::err::MoreData}, api.RegQueryValueEx(k.get(), name, nullptr,
                                                               reinterpret_cast<uint8_t*>(data.data()), &small));
        EXPECT_EQ(size, small);
        ASSERT_EQ(0, api.RegQueryValueEx(k.get(), name, nullptr, reinterpret_cast<uint8_t*>(data.data()), &size));
        EXPECT_EQ(text, std::string(data.data()));
    }
    std::vector<std::string> listed = SubkeyNames(parent.get()), expected(std::begin(names), std::end(names));
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, listed);
}

#ifdef _WIN32
// Round trips through the seam alone would pass through any single-byte code
// page too; the system's own wide calls judge what it really holds.
TEST_F(RegistryContract, WhatTheSystemHoldsInUtf16ReadsAsUtf8AndBack) {
    const std::wstring wide = L"\u0141ukasz \u0418\u0432\u0430\u043d";
    const std::string name = "\xC5\x81ukasz \xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD";
    auto k = Create("Wide");
    HKEY raw = nullptr;
    ASSERT_EQ(0, ::RegOpenKeyExW(HKEY_CURRENT_USER, std::wstring(key.begin(), key.end()).append(L"\\Wide").c_str(), 0,
                                 KEY_ALL_ACCESS, &raw));
    os::win32::UniqueHkey owner(raw);
    const auto bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
    ASSERT_EQ(0, ::RegSetValueExW(raw, wide.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()), bytes));
    EXPECT_EQ(std::vector<std::string>{name}, ValueNames(k.get()));
    char data[64] = {};
    uint32_t size = sizeof data;
    ASSERT_EQ(0, api.RegQueryValueEx(k.get(), name, nullptr, reinterpret_cast<uint8_t*>(data), &size));
    EXPECT_EQ(name + '\0', std::string(data, size));

    SetText(k.get(), name + "2", name);
    wchar_t back[64] = {};
    DWORD backSize = sizeof back;
    ASSERT_EQ(0, ::RegQueryValueExW(raw, (wide + L"2").c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(back),
                                    &backSize));
    EXPECT_EQ(wide, std::wstring(back));
}
#endif

TEST_F(RegistryContract, BackslashesInAPathFollowTheSystemsRules) {
    Create("Parent\\Child");
    const struct {
        const char* before;  // put before the scratch key's path
        const char* after;   // put after it
        long status;
    } cases[] = {
        {"", "\\Parent", 0},
        {"", "\\Parent\\", 0},              // a trailing backslash is ignored
        {"", "\\Parent\\\\Child", 0},       // so is a doubled one
        {"\\", "\\Parent", kBadPathname},   // a leading one is refused
        {"\\\\", "\\Parent", kBadPathname},
    };
    for (const auto& c : cases) {
        std::string subKey = c.before + key + c.after;
        SCOPED_TRACE(subKey);
        os::HKey opened = kSentinel;
        long status = api.RegOpenKeyEx(os::HKeyCurrentUser, subKey, os::KeyAllAccess, &opened);
        EXPECT_EQ(c.status, status);
        if (status == 0) api.RegCloseKey(opened);
    }
    os::HKey created = kSentinel;
    EXPECT_EQ(kBadPathname, api.RegCreateKeyEx(os::HKeyCurrentUser, "\\" + key + "\\New", os::KeyAllAccess,
                                               &created, nullptr));
    EXPECT_EQ(kBadPathname, api.RegDeleteKey(os::HKeyCurrentUser, "\\" + key + "\\Parent\\Child"));
    EXPECT_EQ(0, Open("Parent\\Child"));
}

TEST_F(RegistryContract, AnEmptyPathOpensTheKeyItself) {
    for (os::HKey root : {os::HKeyCurrentUser, os::HKeyLocalMachine}) {
        SCOPED_TRACE(root);
        os::HKey opened = kSentinel;
        ASSERT_EQ(0, api.RegOpenKeyEx(root, "", os::KeyAllAccess, &opened));
        os::UniqueKey owner(api, opened);
        uint32_t subKeys = kSentinel;
        EXPECT_EQ(0, api.RegQueryInfoKey(opened, &subKeys, nullptr, nullptr, nullptr, nullptr));
        EXPECT_GT(subKeys, 0u);
        os::HKey software = 0;
        EXPECT_EQ(0, api.RegOpenKeyEx(opened, "Software", os::KeyAllAccess, &software));
        api.RegCloseKey(software);
    }
}

TEST_F(RegistryContract, CreateMakesTheWholePathAndTellsWhetherTheKeyIsNew) {
    EXPECT_EQ(static_cast<long>(os::err::FileNotFound), Open("A\\B\\C"));
    uint32_t disposition = kSentinel;
    Create("A\\B\\C", &disposition);
    EXPECT_EQ(1u, disposition);  // REG_CREATED_NEW_KEY
    disposition = kSentinel;
    Create("a\\b\\c", &disposition);
    EXPECT_EQ(2u, disposition);  // REG_OPENED_EXISTING_KEY
    EXPECT_EQ(0, Open("A\\B"));
}

TEST_F(RegistryContract, DeleteKeyRefusesAKeyWithSubkeysAndReportsAMissingOne) {
    Create("Tree\\Leaf");
    const std::string tree = key + "\\Tree";
    EXPECT_EQ(static_cast<long>(os::err::AccessDenied), api.RegDeleteKey(os::HKeyCurrentUser, tree));
    EXPECT_EQ(0, Open("Tree\\Leaf"));
    EXPECT_EQ(static_cast<long>(os::err::FileNotFound), api.RegDeleteKey(os::HKeyCurrentUser, tree + "\\Nothing"));
    EXPECT_EQ(static_cast<long>(os::err::FileNotFound),
              api.RegDeleteKey(os::HKeyCurrentUser, tree + "\\Nothing\\Deeper"));
    EXPECT_EQ(0, api.RegDeleteKey(os::HKeyCurrentUser, tree + "\\LEAF"));
    EXPECT_EQ(0, api.RegDeleteKey(os::HKeyCurrentUser, tree));
    EXPECT_EQ(static_cast<long>(os::err::FileNotFound), Open("Tree"));
}

TEST_F(RegistryContract, AHandleToADeletedKeyFailsWithKeyDeleted) {
    auto held = Create("Doomed");
    SetText(held.get(), "v", "x");
    ASSERT_EQ(0, api.RegDeleteKey(os::HKeyCurrentUser, key + "\\Doomed"));
    uint32_t size = 0;
    EXPECT_EQ(kKeyDeleted, api.RegQueryValueEx(held.get(), "v", nullptr, nullptr, &size));
    uint8_t byte = 0;
    EXPECT_EQ(kKeyDeleted, api.RegSetValueEx(held.get(), "v", os::RegBinary, &byte, 1));
    os::HKey child = 0;
    EXPECT_EQ(kKeyDeleted, api.RegCreateKeyEx(held.get(), "Child", os::KeyAllAccess, &child, nullptr));
    EXPECT_EQ(0, api.RegCloseKey(held.release()));
    // A key of the same name made afterwards is a new one.
    uint32_t disposition = 0;
    Create("Doomed", &disposition);
    EXPECT_EQ(1u, disposition);
}

TEST_F(RegistryContract, ClosingAKeyTwiceOrANonKeyFailsWithInvalidHandle) {
    auto k = Create("Closing");
    os::HKey handle = k.release();
    EXPECT_EQ(0, api.RegCloseKey(handle));
    EXPECT_EQ(static_cast<long>(os::err::InvalidHandle), api.RegCloseKey(handle));
    EXPECT_EQ(static_cast<long>(os::err::InvalidHandle), api.RegCloseKey(0));
    EXPECT_EQ(static_cast<long>(os::err::InvalidHandle), api.RegCloseKey(0x1234));
    os::HKey opened = 0;
    EXPECT_EQ(static_cast<long>(os::err::InvalidHandle), api.RegOpenKeyEx(handle, "", os::KeyAllAccess, &opened));
    EXPECT_EQ(0, api.RegCloseKey(os::HKeyCurrentUser));  // a predefined root closes quietly
}

TEST_F(RegistryContract, QueryValueReportsTypeSizeAndMoreData) {
    auto k = Create("Values");
    const uint8_t text[] = "hello";
    const uint32_t number = 0x12345678;
    const uint8_t binary[] = {1, 2, 3, 4, 5, 6};
    ASSERT_EQ(0, api.RegSetValueEx(k.get(), "Text", os::RegSz, text, sizeof text));
    ASSERT_EQ(0, api.RegSetValueEx(k.get(), "Number", os::RegDword, reinterpret_cast<const uint8_t*>(&number), 4));
    ASSERT_EQ(0, api.RegSetValueEx(k.get(), "Binary", os::RegBinary, binary, sizeof binary));
    ASSERT_EQ(0, api.RegSetValueEx(k.get(), "Empty", os::RegSz, nullptr, 0));
    const struct {
        const char* name;
        uint32_t type;
        std::vector<uint8_t> data;
    } cases[] = {
        {"Text", os::RegSz, {text, text + sizeof text}},
        {"Number", os::RegDword, {0x78, 0x56, 0x34, 0x12}},
        {"Binary", os::RegBinary, {binary, binary + sizeof binary}},
        {"Empty", os::RegSz, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto needed = static_cast<uint32_t>(c.data.size());
        uint32_t type = kSentinel, size = kSentinel;
        EXPECT_EQ(0, api.RegQueryValueEx(k.get(), c.name, &type, nullptr, &size));  // asking for the size only
        EXPECT_EQ(c.type, type);
        EXPECT_EQ(needed, size);

        if (needed > 0) {
            std::vector<uint8_t> small(needed - 1, 0xAB);
            size = needed - 1;
            type = kSentinel;
            EXPECT_EQ(static_cast<long>(os::err::MoreData), api.RegQueryValueEx(k.get(), c.name, &type, small.data(), &size));
            EXPECT_EQ(needed, size);
            EXPECT_EQ(c.type, type);
        }
        std::vector<uint8_t> exact(needed + 1, 0xAB);
        size = needed;
        EXPECT_EQ(0, api.RegQueryValueEx(k.get(), c.name, nullptr, exact.data(), &size));
        EXPECT_EQ(needed, size);
        EXPECT_EQ(c.data, std::vector<uint8_t>(exact.begin(), exact.begin() + needed));
        EXPECT_EQ(0xAB, exact[needed]) << "nothing written past the data";
    }
    uint32_t size = 10;
    uint8_t data[10];
    EXPECT_EQ(static_cast<long>(os::err::FileNotFound), api.RegQueryValueEx(k.get(), "Missing", nullptr, data, &size));
    EXPECT_EQ(static_cast<long>(os::err::FileNotFound), api.RegDeleteValue(k.get(), "Missing"));
}

TEST_F(RegistryContract, AForgottenTerminatorIsCountedOnlyWhenItIsThere) {
    // The ANSI call peeks at the byte after the data: a NUL there is stored
    // with the text; anything else leaves the data exactly as given.
    auto k = Create("NoNul");
    const struct {
        const char* buffer;
        std::string stored;
    } cases[] = {{"abc", std::string("abc", 4)}, {"abcX", std::string("abc", 3)}};
    for (uint32_t type : {os::RegSz, os::RegExpandSz}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(type) + " " + c.buffer);
            ASSERT_EQ(0, api.RegSetValueEx(k.get(), "v", type, reinterpret_cast<const uint8_t*>(c.buffer), 3));
            char data[8];
            std::memset(data, 'Q', sizeof data);
            uint32_t size = sizeof data;
            EXPECT_EQ(0, api.RegQueryValueEx(k.get(), "v", nullptr, reinterpret_cast<uint8_t*>(data), &size));
            EXPECT_EQ(std::string(data, size), c.stored);
            if (c.stored.size() == 4) {
                size = 3;
                EXPECT_EQ(static_cast<long>(os::err::MoreData),
                          api.RegQueryValueEx(k.get(), "v", nullptr, reinterpret_cast<uint8_t*>(data), &size));
                EXPECT_EQ(4u, size);
            }
        }
    }
}

TEST_F(RegistryContract, DefaultValueAndNamesWithABackslashAreOrdinaryValues) {
    auto k = Create("Names");
    SetText(k.get(), "", "default");
    SetText(k.get(), "\\Startup", "C:\\Startup");
    const struct {
        const char* name;
        const char* text;
    } cases[] = {{"", "default"}, {"\\startup", "C:\\Startup"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        char data[32] = {};
        uint32_t size = sizeof data;
        EXPECT_EQ(0, api.RegQueryValueEx(k.get(), c.name, nullptr, reinterpret_cast<uint8_t*>(data), &size));
        EXPECT_STREQ(c.text, data);
    }
    auto empty = Create("NoDefault");
    uint32_t size = 0;
    EXPECT_EQ(static_cast<long>(os::err::FileNotFound), api.RegQueryValueEx(empty.get(), "", nullptr, nullptr, &size));
}

TEST_F(RegistryContract, ASecondWriteReplacesTypeAndData) {
    auto k = Create("Retype");
    SetText(k.get(), "v", "text");
    const uint32_t number = 7;
    ASSERT_EQ(0, api.RegSetValueEx(k.get(), "v", os::RegDword, reinterpret_cast<const uint8_t*>(&number), 4));
    uint32_t type = 0, value = 0, size = 4;
    EXPECT_EQ(0, api.RegQueryValueEx(k.get(), "v", &type, reinterpret_cast<uint8_t*>(&value), &size));
    EXPECT_EQ(os::RegDword, type);
    EXPECT_EQ(7u, value);
}

TEST_F(RegistryContract, EnumerationListsInSortedOrderUntilNoMoreItems) {
    // Wine keeps keys and values sorted, comparing in lower case.
    auto k = Create("Order");
    const char* names[] = {"b", "A", "c", "Zed", "a1", "_x", "B2"};
    for (const char* name : names) {
        Create(std::string("Order\\") + name);
        SetText(k.get(), name, name);
    }
    const std::vector<std::string> sorted = {"_x", "A", "a1", "b", "B2", "c", "Zed"};
    EXPECT_EQ(sorted, SubkeyNames(k.get()));
    EXPECT_EQ(sorted, ValueNames(k.get()));
}

TEST_F(RegistryContract, EnumerationWithTooSmallABufferReportsMoreData) {
    auto k = Create("Small");
    Create("Small\\Zedkey");
    ASSERT_EQ(0, api.RegSetValueEx(k.get(), "Valname", os::RegSz, reinterpret_cast<const uint8_t*>("abcdef"), 7));
    const struct {
        uint32_t chars;
        long status;
    } cases[] = {{0, os::err::MoreData}, {1, os::err::MoreData}, {6, os::err::MoreData}, {7, 0}, {100, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chars);
        char name[128];
        uint32_t chars = c.chars;
        EXPECT_EQ(c.status, api.RegEnumKeyEx(k.get(), 0, name, &chars));
        EXPECT_EQ(c.status == 0 ? 6u : c.chars, chars);
        if (c.status == 0) {
            EXPECT_STREQ("Zedkey", name);
        }

        // "Valname" has seven characters: one more needed for each.
        chars = c.chars + 1;
        EXPECT_EQ(c.status, api.RegEnumValue(k.get(), 0, name, &chars, nullptr, nullptr, nullptr));
        if (c.status == 0) {
            EXPECT_EQ(7u, chars);
        }
    }
    char name[32];
    uint32_t chars = sizeof name, type = 0, size = 3;
    uint8_t data[3];
    EXPECT_EQ(static_cast<long>(os::err::MoreData), api.RegEnumValue(k.get(), 0, name, &chars, &type, data, &size));
    EXPECT_EQ(7u, size);
    EXPECT_EQ(os::RegSz, type);
    chars = sizeof name;
    EXPECT_EQ(static_cast<long>(os::err::NoMoreItems), api.RegEnumKeyEx(k.get(), 1, name, &chars));
}

TEST_F(RegistryContract, QueryInfoKeyCountsSubkeysAndValues) {
    auto k = Create("Info");
    Create("Info\\Short");
    Create("Info\\LongerName");
    const uint8_t blob[10] = {};
    ASSERT_EQ(0, api.RegSetValueEx(k.get(), "Blob", os::RegBinary, blob, sizeof blob));
    SetText(k.get(), "LongestValueName", "x");
    uint32_t subKeys = kSentinel, maxSubKeyLen = kSentinel, values = kSentinel, maxNameLen = kSentinel,
             maxValueLen = kSentinel;
    ASSERT_EQ(0, api.RegQueryInfoKey(k.get(), &subKeys, &maxSubKeyLen, &values, &maxNameLen, &maxValueLen));
    EXPECT_EQ(2u, subKeys);
    EXPECT_EQ(10u, maxSubKeyLen);
    EXPECT_EQ(2u, values);
    EXPECT_EQ(16u, maxNameLen);
    EXPECT_EQ(10u, maxValueLen);
    EXPECT_EQ(0, api.RegQueryInfoKey(k.get(), nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(RegistryContract, ConnectingToNoComputerGivesTheLocalRootAndAnUnknownOneFails) {
    os::HKey root = kSentinel;
    ASSERT_EQ(0, api.RegConnectRegistry("", os::HKeyCurrentUser, &root));
    os::UniqueKey owner(api, root);
    os::HKey scratch = 0;
    EXPECT_EQ(0, api.RegOpenKeyEx(root, key, os::KeyAllAccess, &scratch));
    api.RegCloseKey(scratch);

    for (const char* name : {"QVX-NO-SUCH-PC", "\\\\QVX-NO-SUCH-PC"}) {
        SCOPED_TRACE(name);
        os::HKey remote = kSentinel;
        EXPECT_EQ(static_cast<long>(os::err::BadNetPath), api.RegConnectRegistry(name, os::HKeyLocalMachine, &remote));
    }
}

}  // namespace
}  // namespace contract
