// The real automation wrapper against a server of our own: an IDispatch
// registered in this process under a ProgID of its own, which records the
// calls it receives and counts its references. Windows only: it needs COM.
#ifdef _WIN32

#include "support/TestMachine.h"
#include "os/win32/Raii.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

// COM objects end in their own Release, never through a pointer to the
// interface, so the interfaces' non-virtual destructors are as intended.
#ifdef __GNUC__
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif

namespace {

// {5B0E3F0A-7C1D-4E55-9A0B-51D7C0DE7E57}
constexpr CLSID kFakeClsid = {0x5b0e3f0a, 0x7c1d, 0x4e55, {0x9a, 0x0b, 0x51, 0xd7, 0xc0, 0xde, 0x7e, 0x57}};
constexpr const char* kFakeClsidText = "{5B0E3F0A-7C1D-4E55-9A0B-51D7C0DE7E57}";

struct Call {
    std::wstring name;
    WORD flags = 0;
    UINT args = 0;
};

struct ServerState {
    long objects = 0;  // fake objects alive
    std::vector<Call> calls;
};

// What a member does when invoked: fills the result or the exception.
using Member = std::function<HRESULT(IDispatch* self, VARIANT* result, EXCEPINFO* exception)>;

HRESULT ReturnBstr(VARIANT* result, const wchar_t* text) {
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = ::SysAllocString(text);
    return S_OK;
}

HRESULT __stdcall DeferredFill(EXCEPINFO* exception) {
    exception->scode = static_cast<SCODE>(0x800A03ECu);
    exception->bstrDescription = ::SysAllocString(L"Filled in late");
    return S_OK;
}

const std::map<std::wstring, Member>& Members() {
    static const std::map<std::wstring, Member> members = {
        {L"Path", [](IDispatch*, VARIANT* r, EXCEPINFO*) { return ReturnBstr(r, L"C:\\Office\\Office10"); }},
        {L"Name", [](IDispatch*, VARIANT* r, EXCEPINFO*) { return ReturnBstr(r, L"Caf\u00e9 Word"); }},
        {L"Visible",
         [](IDispatch*, VARIANT* r, EXCEPINFO*) {
             V_VT(r) = VT_BOOL;
             V_BOOL(r) = VARIANT_TRUE;
             return S_OK;
         }},
        {L"Hidden",
         [](IDispatch*, VARIANT* r, EXCEPINFO*) {
             V_VT(r) = VT_BOOL;
             V_BOOL(r) = VARIANT_FALSE;
             return S_OK;
         }},
        {L"Count",
         [](IDispatch*, VARIANT* r, EXCEPINFO*) {
             V_VT(r) = VT_I2;
             V_I2(r) = -7;
             return S_OK;
         }},
        {L"Build",
         [](IDispatch*, VARIANT* r, EXCEPINFO*) {
             V_VT(r) = VT_I4;
             V_I4(r) = 6612;
             return S_OK;
         }},
        {L"Flags",
         [](IDispatch*, VARIANT* r, EXCEPINFO*) {
             V_VT(r) = VT_UI1;
             V_UI1(r) = 200;
             return S_OK;
         }},
        {L"Nothing", [](IDispatch*, VARIANT*, EXCEPINFO*) { return S_OK; }},
        {L"Application",
         [](IDispatch* self, VARIANT* r, EXCEPINFO*) {
             self->AddRef();
             V_VT(r) = VT_DISPATCH;
             V_DISPATCH(r) = self;
             return S_OK;
         }},
        {L"Quit", [](IDispatch*, VARIANT*, EXCEPINFO*) { return S_OK; }},
        {L"Fail",
         [](IDispatch*, VARIANT*, EXCEPINFO* e) {
             e->scode = static_cast<SCODE>(0x800A1066u);
             e->bstrSource = ::SysAllocString(L"Fake");
             e->bstrDescription = ::SysAllocString(L"Word cannot start.");
             return DISP_E_EXCEPTION;
         }},
        {L"FailLate",
         [](IDispatch*, VARIANT*, EXCEPINFO* e) {
             e->pfnDeferredFillIn = DeferredFill;
             return DISP_E_EXCEPTION;
         }},
        {L"FailPlain", [](IDispatch*, VARIANT*, EXCEPINFO*) { return E_ACCESSDENIED; }},
    };
    return members;
}

class FakeDispatch : public IDispatch {
public:
    explicit FakeDispatch(ServerState& state) : state_(state) { ++state_.objects; }
    virtual ~FakeDispatch() { --state_.objects; }

    HRESULT __stdcall QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG __stdcall AddRef() override { return ++refs_; }
    ULONG __stdcall Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT __stdcall GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT __stdcall GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT __stdcall GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count != 1) return E_INVALIDARG;
        DISPID id = 1;
        for (const auto& member : Members()) {
            if (::_wcsicmp(member.first.c_str(), names[0]) == 0) {
                ids[0] = id;
                return S_OK;
            }
            ++id;
        }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT __stdcall Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT*) override {
        auto member = Members().begin();
        if (id < 1 || id > static_cast<DISPID>(Members().size())) return DISP_E_MEMBERNOTFOUND;
        std::advance(member, id - 1);
        state_.calls.push_back({member->first, flags, params != nullptr ? params->cArgs : 0});
        VARIANT ignored;
        ::VariantInit(&ignored);
        HRESULT hr = member->second(this, result != nullptr ? result : &ignored, exception);
        ::VariantClear(&ignored);
        return hr;
    }

private:
    ServerState& state_;
    ULONG refs_ = 1;
};

class FakeFactory : public IClassFactory {
public:
    explicit FakeFactory(ServerState& state) : state_(state) {}
    HRESULT __stdcall QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG __stdcall AddRef() override { return ++refs_; }
    ULONG __stdcall Release() override { return --refs_; }
    HRESULT __stdcall CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        *out = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        auto* object = new FakeDispatch(state_);
        HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT __stdcall LockServer(BOOL) override { return S_OK; }
    ULONG Refs() const { return refs_; }

private:
    ServerState& state_;
    ULONG refs_ = 0;
};

class Win32Automation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(apartment_.Usable());
        machine_ = qvxtest::TestMachine::Create();
        progId_ = "QuorvexTest.Fake" + std::to_string(::GetCurrentProcessId());
        // Wine's HKEY_CLASSES_ROOT does not show per-user classes, and lets
        // anyone write machine-wide ones.
        classesRoot_ = qvxtest::RunningUnderWine() ? os::HKeyClassesRoot : os::HKeyCurrentUser;
        os::Api& api = machine_->Api();
        os::HKey key = 0;
        ASSERT_EQ(0, api.RegCreateKeyEx(classesRoot_, ClassesKey() + "\\CLSID", os::KeyAllAccess, &key, nullptr));
        std::string clsid = kFakeClsidText;
        long status = api.RegSetValueEx(key, "", os::RegSz, reinterpret_cast<const uint8_t*>(clsid.c_str()),
                                        static_cast<uint32_t>(clsid.size() + 1));
        api.RegCloseKey(key);
        ASSERT_EQ(0, status);
        ASSERT_EQ(S_OK, ::CoRegisterClassObject(kFakeClsid, &factory_, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                                &cookie_));
    }

    void TearDown() override {
        if (cookie_ != 0) ::CoRevokeClassObject(cookie_);
        EXPECT_EQ(0u, factory_.Refs()) << "the class object was not released";
        EXPECT_EQ(0, state_.objects) << "an automation object outlived its wrapper";
        qvxtest::DeleteKeyTree(machine_->Api(), classesRoot_, ClassesKey());
    }

    std::string ClassesKey() const {
        return classesRoot_ == os::HKeyClassesRoot ? progId_ : "Software\\Classes\\" + progId_;
    }

    std::unique_ptr<os::AutomationObject> Create() {
        std::unique_ptr<os::AutomationObject> object;
        os::AutoError error;
        int32_t hr = machine_->Api().CreateObject(progId_, &object, &error);
        EXPECT_EQ(S_OK, hr) << error.description;
        return object;
    }

    os::win32::ComApartment apartment_;
    ServerState state_;
    FakeFactory factory_{state_};
    DWORD cookie_ = 0;
    std::unique_ptr<qvxtest::TestMachine> machine_;
    std::string progId_;
    os::HKey classesRoot_ = os::HKeyCurrentUser;
};

TEST_F(Win32Automation, PropertiesArriveAsTextsBooleansAndWholeNumbers) {
    auto object = Create();
    ASSERT_TRUE(object);
    const std::string cafe = "Caf\xC3\xA9 Word";  // UTF-8, whatever the code page
    struct Case {
        const char* name;
        os::AutoValue expected;
    } cases[] = {
        {"Path", std::string("C:\\Office\\Office10")},
        {"Name", cafe},
        {"Visible", true},
        {"Hidden", false},
        {"Count", int32_t{-7}},
        {"Build", int32_t{6612}},
        {"Flags", int32_t{200}},
        {"Nothing", std::monostate{}},
        {"path", std::string("C:\\Office\\Office10")},  // names are not case-sensitive
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        os::AutoValue value = std::string("sentinel");
        os::AutoError error;
        ASSERT_EQ(S_OK, object->GetProperty(c.name, &value, &error)) << error.description;
        EXPECT_EQ(c.expected, value);
    }
    ASSERT_EQ(std::size(cases), state_.calls.size());
    for (const auto& call : state_.calls) {
        EXPECT_EQ(DISPATCH_PROPERTYGET, call.flags);
        EXPECT_EQ(0u, call.args);
    }
}

TEST_F(Win32Automation, MethodsAreCalledWithoutArguments) {
    auto object = Create();
    ASSERT_TRUE(object);
    os::AutoError error;
    ASSERT_EQ(S_OK, object->CallMethod("Quit", &error)) << error.description;
    ASSERT_EQ(1u, state_.calls.size());
    EXPECT_EQ(L"Quit", state_.calls[0].name);
    EXPECT_EQ(DISPATCH_METHOD, state_.calls[0].flags);
    EXPECT_EQ(0u, state_.calls[0].args);
}

TEST_F(Win32Automation, FailuresCarryTheServersCodeAndWords) {
    auto object = Create();
    ASSERT_TRUE(object);
    struct Case {
        const char* member;
        bool method;
        HRESULT number;
        const char* description;  // null: any non-empty text
    } cases[] = {
        {"Fail", false, static_cast<HRESULT>(0x800A1066u), "Word cannot start."},
        {"Fail", true, static_cast<HRESULT>(0x800A1066u), "Word cannot start."},
        {"FailLate", true, static_cast<HRESULT>(0x800A03ECu), "Filled in late"},
        {"FailPlain", false, E_ACCESSDENIED, nullptr},
        {"NoSuchMember", false, DISP_E_UNKNOWNNAME, nullptr},
        {"NoSuchMember", true, DISP_E_UNKNOWNNAME, nullptr},
        // An object reference cannot cross the seam; its reference is dropped.
        {"Application", false, DISP_E_TYPEMISMATCH, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.member) + (c.method ? " (method)" : " (property)"));
        os::AutoError error;
        os::AutoValue value = int32_t{12345};
        int32_t hr = c.method ? object->CallMethod(c.member, &error) : object->GetProperty(c.member, &value, &error);
        EXPECT_EQ(c.number, hr);
        EXPECT_EQ(c.number, error.number);
        if (c.description != nullptr)
            EXPECT_EQ(c.description, error.description);
        else
            EXPECT_FALSE(error.description.empty());
        EXPECT_EQ(os::AutoValue(int32_t{12345}), value) << "a failed read must not change the value";
    }
}

TEST_F(Win32Automation, ObjectsMayOutliveTheApiThatMadeThem) {
    auto other = qvxtest::TestMachine::Create();
    std::unique_ptr<os::AutomationObject> object;
    os::AutoError created;
    ASSERT_EQ(S_OK, other->Api().CreateObject(progId_, &object, &created)) << created.description;
    ASSERT_TRUE(object);
    other.reset();
    os::AutoValue value;
    os::AutoError error;
    EXPECT_EQ(S_OK, object->GetProperty("Build", &value, &error)) << error.description;
    EXPECT_EQ(os::AutoValue(int32_t{6612}), value);
    object.reset();
    EXPECT_EQ(0, state_.objects);
}

TEST_F(Win32Automation, EveryObjectIsReleased) {
    {
        auto first = Create();
        auto second = Create();
        ASSERT_TRUE(first && second);
        EXPECT_EQ(2, state_.objects);
        os::AutoError error;
        first->CallMethod("Quit", &error);
    }
    EXPECT_EQ(0, state_.objects);
}

// A server that every Windows and every Wine prefix has.
TEST(Win32AutomationSystem, ReadsAPropertyOfASystemServer) {
    auto machine = qvxtest::TestMachine::Create();
    os::Api& api = machine->Api();
    std::unique_ptr<os::AutomationObject> shell;
    os::AutoError error;
    ASSERT_EQ(S_OK, api.CreateObject("WScript.Shell", &shell, &error)) << error.description;
    ASSERT_TRUE(shell);
    os::AutoValue value;
    ASSERT_EQ(S_OK, shell->GetProperty("CurrentDirectory", &value, &error)) << error.description;
    EXPECT_EQ(os::AutoValue(api.GetCurrentDirectory()), value);
}

}  // namespace

#endif  // _WIN32
