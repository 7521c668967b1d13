#include "platform/clsRegistry.h"

#include "os/Handles.h"
#include "platform/RaisedError.h"

#include "PlatformTest.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

namespace qvxtest {
namespace {

using platform::Variant;
using Bytes = std::vector<uint8_t>;
constexpr os::HKey HKCU = os::HKeyCurrentUser;

Bytes B(std::string_view text) { return Bytes(text.begin(), text.end()); }

class RegistryTest : public PlatformTest {
protected:
    platform::clsRegistry reg{services};
    os::Api& raw = machine->Api();

    std::string Path(const std::string& sub) const { return sub.empty() ? key : key + "\\" + sub; }

    void MakeKey(const std::string& sub) {
        os::HKey h = 0;
        uint32_t disposition = 0;
        ASSERT_EQ(raw.RegCreateKeyEx(HKCU, Path(sub), os::KeyAllAccess, &h, &disposition), 0) << sub;
        os::UniqueKey owner(raw, h);
    }
    // Writes data, or only its first `count` bytes.
    void SetRaw(const std::string& sub, const std::string& name, uint32_t type, const Bytes& data,
                std::optional<uint32_t> count = std::nullopt) {
        os::HKey h = 0;
        uint32_t disposition = 0;
        ASSERT_EQ(raw.RegCreateKeyEx(HKCU, Path(sub), os::KeyAllAccess, &h, &disposition), 0) << sub;
        os::UniqueKey owner(raw, h);
        ASSERT_EQ(raw.RegSetValueEx(h, name, type, data.data(), count.value_or(uint32_t(data.size()))), 0) << name;
    }
    struct Raw {
        uint32_t type = 0;
        Bytes data;
        bool operator==(const Raw&) const = default;
    };
    std::optional<Raw> ReadRaw(const std::string& sub, const std::string& name) {
        os::HKey h = 0;
        if (raw.RegOpenKeyEx(HKCU, Path(sub), os::KeyRead, &h) != 0) return std::nullopt;
        os::UniqueKey owner(raw, h);
        Raw value;
        uint32_t size = 0;
        if (raw.RegQueryValueEx(h, name, &value.type, nullptr, &size) != 0) return std::nullopt;
        value.data.resize(size);
        if (raw.RegQueryValueEx(h, name, &value.type, value.data.data(), &size) != 0) return std::nullopt;
        value.data.resize(size);
        return value;
    }
    bool Exists(const std::string& sub) {
        os::HKey h = 0;
        if (raw.RegOpenKeyEx(HKCU, Path(sub), os::KeyRead, &h) != 0) return false;
        os::UniqueKey owner(raw, h);
        return true;
    }
};

void ExpectRaised(const std::function<void()>& call, long number, const std::string& description) {
    try {
        call();
        ADD_FAILURE() << "nothing was raised";
    } catch (const platform::RaisedError& e) {
        EXPECT_EQ(e.Number, number);
        EXPECT_EQ(e.Source, "clsRegistry");
        EXPECT_EQ(e.Description, description);
    }
}

TEST_F(RegistryTest, OneLeadingBackslashAddressesTheSameKey) {
    for (std::string lead : {"", "\\"}) {
        SCOPED_TRACE("prefix \"" + lead + "\"");
        const std::string parent = lead + Path("Lead");
        const std::string child = parent + "\\Child";
        EXPECT_TRUE(reg.CreateKey(HKCU, child));
        EXPECT_TRUE(reg.KeyExists(HKCU, child));
        EXPECT_TRUE(reg.SetValue(HKCU, child, "v", std::string("x")));
        EXPECT_EQ(Describe(reg.GetValue(HKCU, child, "v")), "text \"x\"");
        EXPECT_EQ(reg.ListSubKey(HKCU, parent, 0), "Child");
        EXPECT_EQ(reg.ListSubValue(HKCU, child, 0), "v");
        EXPECT_TRUE(reg.SetDWordValue(HKCU, child, "n", 5));
        EXPECT_EQ(Describe(reg.GetValue(HKCU, child, "n")), "long 5");
        EXPECT_TRUE(reg.DeleteValue(HKCU, child, "v"));
        EXPECT_TRUE(reg.DeleteKey(HKCU, child));
        EXPECT_FALSE(Exists("Lead\\Child"));
    }
}

TEST_F(RegistryTest, OnlyTheFirstOfTwoLeadingBackslashesIsDropped) {
    MakeKey("Twice");
    const std::string name = "\\\\" + Path("Twice");
    const std::string passed = "\\" + Path("Twice");
    struct Case {
        const char* what;
        const char* platformCall;
        std::function<void()> call;
    };
    const Case cases[] = {
        {"KeyExists", "RegOpenKeyEx", [&] { reg.KeyExists(HKCU, name); }},
        {"GetValue", "RegOpenKeyEx", [&] { reg.GetValue(HKCU, name, "v"); }},
        {"ListSubKey", "RegOpenKeyEx", [&] { reg.ListSubKey(HKCU, name, 0); }},
        {"ListSubValue", "RegOpenKeyEx", [&] { reg.ListSubValue(HKCU, name, 0); }},
        {"DeleteValue", "RegOpenKeyEx", [&] { reg.DeleteValue(HKCU, name, "v"); }},
        {"CreateKey", "RegCreateKeyEx", [&] { reg.CreateKey(HKCU, name); }},
        {"DeleteKey", "RegDeleteKey", [&] { reg.DeleteKey(HKCU, name); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        api.calls.clear();
        c.call();
        EXPECT_EQ(api.CallsOf(c.platformCall), std::vector<std::string>{passed});
    }
    EXPECT_TRUE(Exists("Twice"));
}

TEST_F(RegistryTest, EmptyKeyNameOpensTheRoot) {
    EXPECT_TRUE(reg.KeyExists(HKCU, ""));
    EXPECT_TRUE(reg.KeyExists(os::HKeyLocalMachine, ""));
    // The scratch key's top component is one of the root's subkeys.
    const std::string top = key.substr(0, key.find('\\'));
    bool found = false;
    for (uint32_t i = 0; i < 100000 && !found; ++i) {
        const std::string name = reg.ListSubKey(HKCU, "", i);
        if (name.empty()) break;
        found = name.size() == top.size() &&
                std::equal(name.begin(), name.end(), top.begin(), [](char a, char b) {
                    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                });
    }
    EXPECT_TRUE(found) << top;
}

TEST_F(RegistryTest, GetValueReadsEachTypeThroughA255ByteBuffer) {
    struct Case {
        const char* name;
        uint32_t type;
        Bytes data;
        std::string expected;
    };
    const std::string longest(254, 'a');
    const std::string tooLong(255, 'b');
    const Case cases[] = {
        {"", os::RegSz, B(std::string_view("default\0", 8)), "text \"default\""},
        {"text", os::RegSz, B(std::string_view("hello\0", 6)), "text \"hello\""},
        {"no data", os::RegSz, {}, "text \"\""},
        {"254 characters", os::RegSz, B(longest + '\0'), "text \"" + longest + "\""},
        {"255 characters", os::RegSz, B(tooLong + '\0'), "empty"},
        {"dword", os::RegDword, {0x78, 0x56, 0x34, 0x12}, "long 305419896"},
        {"negative", os::RegDword, {0xFB, 0xFF, 0xFF, 0xFF}, "long -5"},
        {"one byte", os::RegBinary, {7}, "byte 7"},
        {"four bytes", os::RegBinary, {0xFF, 0, 0, 0}, "byte 255"},
        {"above 255", os::RegBinary, {0x2C, 0x01}, "integer 0"},
        {"five bytes", os::RegBinary, {1, 0, 0, 0, 0}, "integer 0"},
        {"expand", os::RegExpandSz, B(std::string_view("%TEMP%\\x\0", 9)), "text \"%TEMP%\\x\""},
        {"multi", os::RegMultiSz, B(std::string_view("a\0b\0\0", 5)), std::string("text \"a\0b\0\"", 11)},
    };
    for (const auto& c : cases) SetRaw("Get", c.name, c.type, c.data);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("value \"") + c.name + "\"");
        EXPECT_EQ(Describe(reg.GetValue(HKCU, Path("Get"), c.name)), c.expected);
    }
}

TEST_F(RegistryTest, GetValueOfTextWithoutItsNulLosesTheLastCharacter) {
    // The byte after the data is "X", so nothing completes it.
    SetRaw("Get", "no NUL", os::RegSz, B("abcX"), 3);
    EXPECT_EQ(Describe(reg.GetValue(HKCU, Path("Get"), "no NUL")), "text \"ab\"");
}

TEST_F(RegistryTest, GetValueOfAMissingValueOrKeyIsEmpty) {
    MakeKey("Present");
    EXPECT_EQ(Describe(reg.GetValue(HKCU, Path("Present"), "missing")), "empty");
    EXPECT_EQ(Describe(reg.GetValue(HKCU, Path("Absent"), "")), "empty");
}

TEST_F(RegistryTest, SetValueWritesTextUnlessTheValueHoldsANumber) {
    struct Case {
        const char* what;
        std::optional<Raw> existing;
        Variant value;
        bool result;
        Raw stored;
    };
    const Raw dword{os::RegDword, {1, 0, 0, 0}};
    const Raw binary{os::RegBinary, {1}};
    const Raw expand{os::RegExpandSz, B(std::string_view("%x%\0", 4))};
    const Raw longMulti{os::RegMultiSz, B(std::string(300, 'm') + std::string(2, '\0'))};
    const Raw longText{os::RegSz, B(std::string(300, 't') + '\0')};
    const Case cases[] = {
        {"new value, number", std::nullopt, int32_t(42), true, {os::RegSz, B(std::string_view("42\0", 3))}},
        {"new value, text", std::nullopt, std::string("abc"), true, {os::RegSz, B(std::string_view("abc\0", 4))}},
        {"new value, empty", std::nullopt, Variant(), true, {os::RegSz, {0}}},
        {"text, number", Raw{os::RegSz, B(std::string_view("old\0", 4))}, int16_t(7), true,
         {os::RegSz, B(std::string_view("7\0", 2))}},
        {"long text", longText, std::string("new"), true, {os::RegSz, B(std::string_view("new\0", 4))}},
        {"dword, text", dword, std::string("123"), true, {os::RegDword, {123, 0, 0, 0}}},
        {"dword, spaced negative", dword, std::string(" -2 "), true, {os::RegDword, {0xFE, 0xFF, 0xFF, 0xFF}}},
        {"dword, half rounds to even down", dword, std::string("2.5"), true, {os::RegDword, {2, 0, 0, 0}}},
        {"dword, half rounds to even up", dword, std::string("3.5"), true, {os::RegDword, {4, 0, 0, 0}}},
        {"dword, byte", dword, uint8_t(200), true, {os::RegDword, {200, 0, 0, 0}}},
        {"binary, number", binary, int32_t(200), true, {os::RegBinary, {200}}},
        {"binary, text", binary, std::string("17"), true, {os::RegBinary, {17}}},
        {"other type is left alone", expand, std::string("new"), false, expand},
        {"other type past 255 bytes is left alone", longMulti, std::string("new"), false, longMulti},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.existing) SetRaw("Set", c.what, c.existing->type, c.existing->data);
        else MakeKey("Set");
        EXPECT_EQ(reg.SetValue(HKCU, Path("Set"), c.what, c.value), c.result);
        EXPECT_EQ(ReadRaw("Set", c.what), c.stored);
    }
}

TEST_F(RegistryTest, SetValueRaisesWhenTheKeyIsMissingOrTheValueDoesNotConvert) {
    const Raw dword{os::RegDword, {9, 0, 0, 0}};
    const Raw binary{os::RegBinary, {9}};
    SetRaw("Raise", "dword", dword.type, dword.data);
    SetRaw("Raise", "binary", binary.type, binary.data);
    ExpectRaised([&] { reg.SetValue(HKCU, Path("Missing"), "v", std::string("x")); }, 11001, "SetValue");
    EXPECT_FALSE(Exists("Missing"));
    struct Case {
        const char* name;
        Variant value;
    };
    const Case cases[] = {
        {"dword", std::string("abc")},  {"dword", std::string("")},    {"dword", std::string("99999999999")},
        {"dword", std::string("0x10")}, {"binary", int32_t(256)},      {"binary", std::string("-1")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " <- " + Describe(c.value));
        ExpectRaised([&] { reg.SetValue(HKCU, Path("Raise"), c.name, c.value); }, 11001, "SetValue");
    }
    EXPECT_EQ(ReadRaw("Raise", "dword"), dword);
    EXPECT_EQ(ReadRaw("Raise", "binary"), binary);
}

TEST_F(RegistryTest, ARefusedWriteIsNoSuccess) {
    SetRaw("Refused", "text", os::RegSz, B(std::string_view("old\0", 4)));
    api.refuseWrites = true;
    EXPECT_FALSE(reg.SetValue(HKCU, Path("Refused"), "text", std::string("new")));
    EXPECT_FALSE(reg.SetValue(HKCU, Path("Refused"), "new", std::string("new")));
    EXPECT_FALSE(reg.SetDWordValue(HKCU, Path("Refused"), "text", 1));
    EXPECT_EQ(ReadRaw("Refused", "text"), (Raw{os::RegSz, B(std::string_view("old\0", 4))}));
}

TEST_F(RegistryTest, SetDWordValueReplacesAnyTypeWithADword) {
    SetRaw("Dword", "text", os::RegSz, B(std::string_view("text\0", 5)));
    SetRaw("Dword", "binary", os::RegBinary, {1, 2, 3, 4, 5, 6});
    SetRaw("Dword", "", os::RegSz, B(std::string_view("default\0", 8)));
    for (const char* name : {"text", "binary", "", "new"}) {
        SCOPED_TRACE(std::string("value \"") + name + "\"");
        EXPECT_TRUE(reg.SetDWordValue(HKCU, Path("Dword"), name, -2));
        EXPECT_EQ(ReadRaw("Dword", name), (Raw{os::RegDword, {0xFE, 0xFF, 0xFF, 0xFF}}));
    }
    ExpectRaised([&] { reg.SetDWordValue(HKCU, Path("Missing"), "v", 1); }, 11001, "SetValue");
}

TEST_F(RegistryTest, ListingGoesByIndexUntilTheEmptyText) {
    for (const char* sub : {"List\\Alpha", "List\\Beta", "List\\Gamma"}) MakeKey(sub);
    for (const char* name : {"one", "two", ""}) SetRaw("List", name, os::RegSz, {0});
    std::multiset<std::string> keys, values;
    for (uint32_t i = 0; i < 3; ++i) keys.insert(reg.ListSubKey(HKCU, Path("List"), i));
    for (uint32_t i = 0; i < 3; ++i) values.insert(reg.ListSubValue(HKCU, Path("List"), i));
    EXPECT_EQ(keys, (std::multiset<std::string>{"Alpha", "Beta", "Gamma"}));
    EXPECT_EQ(values, (std::multiset<std::string>{"one", "two", ""}));
    for (uint32_t index : {3u, 4u, 1000u}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(reg.ListSubKey(HKCU, Path("List"), index), "");
        EXPECT_EQ(reg.ListSubValue(HKCU, Path("List"), index), "");
    }
    EXPECT_EQ(reg.ListSubKey(HKCU, Path("List\\Alpha"), 0), "");
    EXPECT_EQ(reg.ListSubKey(HKCU, Path("Absent"), 0), "");
    EXPECT_EQ(reg.ListSubValue(HKCU, Path("Absent"), 0), "");
}

TEST_F(RegistryTest, NamesOf255CharactersDoNotFitTheBuffer) {
    const std::string fits(254, 'k');
    const std::string tooLong(255, 'k');
    {
        // Made below an open key: Wine's ANSI calls refuse paths past 260 characters.
        MakeKey("Names");
        os::HKey names = 0;
        ASSERT_EQ(raw.RegOpenKeyEx(HKCU, Path("Names"), os::KeyAllAccess, &names), 0);
        os::UniqueKey owner(raw, names);
        for (const auto& sub : {fits, tooLong}) {
            os::HKey h = 0;
            uint32_t disposition = 0;
            ASSERT_EQ(raw.RegCreateKeyEx(names, sub, os::KeyAllAccess, &h, &disposition), 0);
            os::UniqueKey made(raw, h);
        }
    }
    SetRaw("Names", fits, os::RegSz, {0});
    SetRaw("Names", tooLong, os::RegSz, {0});
    std::multiset<std::string> keys, values;
    for (uint32_t i = 0; i < 2; ++i) keys.insert(reg.ListSubKey(HKCU, Path("Names"), i));
    for (uint32_t i = 0; i < 2; ++i) values.insert(reg.ListSubValue(HKCU, Path("Names"), i));
    EXPECT_EQ(keys, (std::multiset<std::string>{"", fits}));
    EXPECT_EQ(values, (std::multiset<std::string>{"", fits}));
}

TEST_F(RegistryTest, DeleteValueTellsWhetherAValueWentAway) {
    SetRaw("Del", "v", os::RegSz, {0});
    SetRaw("Del", "", os::RegSz, {0});
    EXPECT_TRUE(reg.DeleteValue(HKCU, Path("Del"), "v"));
    EXPECT_FALSE(ReadRaw("Del", "v"));
    EXPECT_TRUE(reg.DeleteValue(HKCU, Path("Del"), ""));
    EXPECT_FALSE(ReadRaw("Del", ""));
    EXPECT_FALSE(reg.DeleteValue(HKCU, Path("Del"), "v"));
    EXPECT_FALSE(reg.DeleteValue(HKCU, Path("Absent"), "v"));
}

TEST_F(RegistryTest, CreateKeyMakesMissingParentsAndOpensExistingKeys) {
    EXPECT_TRUE(reg.CreateKey(HKCU, Path("Made\\Deep\\Leaf")));
    EXPECT_TRUE(Exists("Made\\Deep\\Leaf"));
    SetRaw("Made\\Deep\\Leaf", "kept", os::RegDword, {1, 0, 0, 0});
    EXPECT_TRUE(reg.CreateKey(HKCU, Path("Made\\Deep\\Leaf")));
    EXPECT_TRUE(ReadRaw("Made\\Deep\\Leaf", "kept"));
    EXPECT_EQ(api.OpenKeys(), 0u);
}

TEST_F(RegistryTest, DeleteKeyDeletesOnlyAKeyWithoutSubkeys) {
    MakeKey("Tree\\Branch\\Leaf");
    api.calls.clear();
    EXPECT_FALSE(reg.DeleteKey(HKCU, Path("Tree\\Branch")));
    EXPECT_TRUE(Exists("Tree\\Branch\\Leaf"));
    EXPECT_EQ(api.CallsOf("RegDeleteKey").size(), 1u);
    EXPECT_TRUE(reg.DeleteKey(HKCU, Path("Tree\\Branch\\Leaf")));
    EXPECT_FALSE(Exists("Tree\\Branch\\Leaf"));
    EXPECT_TRUE(Exists("Tree\\Branch"));
    EXPECT_NO_THROW(EXPECT_FALSE(reg.DeleteKey(HKCU, Path("Tree\\Branch\\Leaf"))));
    EXPECT_NO_THROW(EXPECT_FALSE(reg.DeleteKey(HKCU, Path("Nowhere\\AtAll"))));
}

TEST_F(RegistryTest, KeyExistsOnlyForAKeyThatOpens) {
    MakeKey("Here");
    EXPECT_TRUE(reg.KeyExists(HKCU, Path("Here")));
    EXPECT_TRUE(reg.KeyExists(HKCU, Path("here")));  // names ignore case
    EXPECT_FALSE(reg.KeyExists(HKCU, Path("There")));
    EXPECT_FALSE(reg.KeyExists(HKCU, Path("Here\\Below")));
}

TEST_F(RegistryTest, RemoteComputerIsAddressedAndItsConnectionReleased) {
    api.remoteComputer = "QVXREMOTE";
    api.remoteKey = Path("Remote");
    const std::string computer = "QVXREMOTE";
    EXPECT_TRUE(reg.CreateKey(HKCU, "QvxOnlyRemote\\Sub", computer));
    EXPECT_TRUE(Exists("Remote\\QvxOnlyRemote\\Sub"));
    EXPECT_FALSE(reg.KeyExists(HKCU, "QvxOnlyRemote"));
    EXPECT_TRUE(reg.KeyExists(HKCU, "\\QvxOnlyRemote", computer));
    EXPECT_TRUE(reg.SetValue(HKCU, "QvxOnlyRemote", "v", std::string("far"), computer));
    EXPECT_EQ(Describe(reg.GetValue(HKCU, "QvxOnlyRemote", "v", computer)), "text \"far\"");
    EXPECT_EQ(ReadRaw("Remote\\QvxOnlyRemote", "v"), (Raw{os::RegSz, B(std::string_view("far\0", 4))}));
    EXPECT_EQ(reg.ListSubKey(HKCU, "QvxOnlyRemote", 0, computer), "Sub");
    EXPECT_EQ(reg.ListSubValue(HKCU, "QvxOnlyRemote", 0, computer), "v");
    EXPECT_TRUE(reg.DeleteValue(HKCU, "QvxOnlyRemote", "v", computer));
    EXPECT_TRUE(reg.DeleteKey(HKCU, "QvxOnlyRemote\\Sub", computer));
    EXPECT_FALSE(Exists("Remote\\QvxOnlyRemote\\Sub"));
    EXPECT_EQ(api.CallsOf("RegConnectRegistry").size(), 8u);
    EXPECT_EQ(api.OpenKeys(), 0u);
}

TEST_F(RegistryTest, FailedConnectionBehavesLikeAKeyThatCannotBeOpened) {
    const std::string nowhere = "QVX-NO-SUCH-PC";
    MakeKey("Local");
    EXPECT_FALSE(reg.KeyExists(HKCU, Path("Local"), nowhere));
    EXPECT_EQ(Describe(reg.GetValue(HKCU, Path("Local"), "", nowhere)), "empty");
    EXPECT_EQ(reg.ListSubKey(HKCU, key, 0, nowhere), "");
    EXPECT_EQ(reg.ListSubValue(HKCU, Path("Local"), 0, nowhere), "");
    EXPECT_FALSE(reg.DeleteValue(HKCU, Path("Local"), "", nowhere));
    EXPECT_FALSE(reg.CreateKey(HKCU, Path("Local\\New"), nowhere));
    EXPECT_FALSE(reg.DeleteKey(HKCU, Path("Local"), nowhere));
    ExpectRaised([&] { reg.SetValue(HKCU, Path("Local"), "v", std::string("x"), nowhere); }, 11001, "SetValue");
    ExpectRaised([&] { reg.SetDWordValue(HKCU, Path("Local"), "v", 1, nowhere); }, 11001, "SetValue");
    EXPECT_TRUE(Exists("Local"));
    EXPECT_FALSE(Exists("Local\\New"));
    EXPECT_EQ(api.OpenKeys(), 0u);
}

TEST_F(RegistryTest, EveryOperationClosesTheKeysItOpens) {
    SetRaw("Closed\\Sub", "v", os::RegSz, B(std::string_view("x\0", 2)));
    const std::string k = Path("Closed\\Sub");
    reg.KeyExists(HKCU, k);
    reg.GetValue(HKCU, k, "v");
    reg.GetValue(HKCU, k, "none");
    reg.SetValue(HKCU, k, "v", std::string("y"));
    reg.SetDWordValue(HKCU, k, "d", 1);
    reg.GetValue(HKCU, k, "d");
    reg.ListSubKey(HKCU, Path("Closed"), 0);
    reg.ListSubKey(HKCU, Path("Closed"), 9);
    reg.ListSubValue(HKCU, k, 0);
    reg.DeleteValue(HKCU, k, "d");
    reg.CreateKey(HKCU, k + "\\New");
    reg.DeleteKey(HKCU, k + "\\New");
    EXPECT_GT(api.CallsOf("RegOpenKeyEx").size(), 9u);
    EXPECT_EQ(api.OpenKeys(), 0u);
}

TEST_F(RegistryTest, UnexpectedFailuresRaiseTheOperationsOwnError) {
    MakeKey("Err");
    api.throwIn = "RegConnectRegistry";
    const std::string k = Path("Err");
    const std::string pc = "QVXANY";
    struct Case {
        const char* operation;
        long number;
        std::function<void()> call;
    };
    const Case cases[] = {
        {"SetValue", 11001, [&] { reg.SetValue(HKCU, k, "v", std::string("x"), pc); }},
        {"ListSubKey", 11003, [&] { reg.ListSubKey(HKCU, k, 0, pc); }},
        {"DeleteValue", 11004, [&] { reg.DeleteValue(HKCU, k, "v", pc); }},
        {"CreateKey", 11005, [&] { reg.CreateKey(HKCU, k, pc); }},
        {"DeleteKey", 11006, [&] { reg.DeleteKey(HKCU, k, pc); }},
        {"ListSubValue", 11007, [&] { reg.ListSubValue(HKCU, k, 0, pc); }},
        {"KeyExists", 11008, [&] { reg.KeyExists(HKCU, k, pc); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.operation);
        ExpectRaised(c.call, c.number, c.operation);
    }
    // GetValue raises nothing of its own: the failure reaches the caller as it was.
    try {
        reg.GetValue(HKCU, k, "v", pc);
        ADD_FAILURE() << "the failure was swallowed";
    } catch (const platform::RaisedError&) {
        ADD_FAILURE() << "GetValue turned the failure into its own error";
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(api.OpenKeys(), 0u);
}

}  // namespace
}  // namespace qvxtest
