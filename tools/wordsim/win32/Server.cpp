// wordsim.dll: the in-process automation server for Word.Application.
// Creating the object runs the simulated start-up of the Word installed beside
// this DLL; a faulty component makes the creation fail. This is the COM glue,
// the one place with raw new/delete.
#include "Common.h"

#include "os/Utf8.h"
#include "os/win32/Win32Api.h"
#include "wordsim/WordSim.h"

#include "os/win32/WinHeaders.h"
#include <olectl.h>

#include <atomic>
#include <chrono>
#include <new>
#include <string>
#include <thread>

// COM objects end in their own Release, never through a pointer to the
// interface, so the interfaces' non-virtual destructors are as intended.
#ifdef __GNUC__
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif

namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

CLSID ServerClsid() {
    CLSID clsid = {};
    wchar_t text[64];
    ::MultiByteToWideChar(CP_ACP, 0, wordsim::kClsid, -1, text, 64);
    ::CLSIDFromString(text, &clsid);
    return clsid;
}

// The seam's texts are UTF-8.
BSTR ToBstr(const std::string& text) {
    const std::u16string wide = os::Utf8ToUtf16(text);
    return ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()), static_cast<UINT>(wide.size()));
}

void SetError(const std::string& description) {
    ICreateErrorInfo* create = nullptr;
    if (FAILED(::CreateErrorInfo(&create))) return;
    BSTR text = ToBstr(description);
    create->SetDescription(text);
    create->SetSource(const_cast<LPOLESTR>(L"Word.Application"));
    ::SysFreeString(text);
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        ::SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
}

enum Member : DISPID { kPath = 1, kVisible = 2, kQuit = 3, kVersion = 4 };

class Application final : public IDispatch {
public:
    Application(std::string folder, wordsim::Version version) : folder_(std::move(folder)), version_(version) {
        ++g_objects;
    }
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
        static const struct {
            const wchar_t* name;
            DISPID id;
        } members[] = {{L"Path", kPath}, {L"Visible", kVisible}, {L"Quit", kQuit}, {L"Version", kVersion}};
        HRESULT result = S_OK;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        for (const auto& member : members) {
            if (::lstrcmpiW(names[0], member.name) == 0) ids[0] = member.id;
        }
        // We take no named arguments, so every name past the first is unknown.
        if (ids[0] == DISPID_UNKNOWN || count > 1) result = DISP_E_UNKNOWNNAME;
        return result;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (quit_) return RPC_E_DISCONNECTED;
        const bool get = (flags & DISPATCH_PROPERTYGET) != 0;
        switch (id) {
            case kPath:
            case kVersion:
                if (!get) return DISP_E_MEMBERNOTFOUND;
                if (result != nullptr) {
                    ::VariantInit(result);
                    result->vt = VT_BSTR;
                    result->bstrVal = ToBstr(id == kPath ? folder_ : wordsim::OfficeVersion(version_));
                }
                return S_OK;
            case kVisible:
                if ((flags & DISPATCH_PROPERTYPUT) != 0) {
                    if (params == nullptr || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
                    VARIANT value;
                    ::VariantInit(&value);
                    if (FAILED(::VariantChangeType(&value, &params->rgvarg[0], 0, VT_BOOL))) return DISP_E_TYPEMISMATCH;
                    visible_ = value.boolVal;
                    return S_OK;
                }
                if (!get) return DISP_E_MEMBERNOTFOUND;
                if (result != nullptr) {
                    ::VariantInit(result);
                    result->vt = VT_BOOL;
                    result->boolVal = visible_;
                }
                return S_OK;
            case kQuit: {
                if ((flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
                quit_ = true;
                os::win32::Win32Api api;
                wordsim::win32::SimLock lock;
                wordsim::AppendLog(api, folder_, "quit", "");
                if (result != nullptr) ::VariantInit(result);
                return S_OK;
            }
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    ~Application() { --g_objects; }

    std::atomic<ULONG> refs_{1};
    std::string folder_;
    wordsim::Version version_;
    VARIANT_BOOL visible_ = VARIANT_FALSE;
    bool quit_ = false;
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is a static object; references only keep the DLL loaded.
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++g_locks); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--g_locks); }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        // The start takes the configured delay in all, its own work within
        // it, so that a bench's floor of starts x delay is Word's whole share.
        const auto began = std::chrono::steady_clock::now();
        const std::string folder = wordsim::win32::ModuleFolder(g_module);
        wordsim::StartResult start;
        {
            os::win32::Win32Api api;
            wordsim::win32::SimLock lock;
            start = wordsim::StartAutomation(api, folder);
        }
        std::this_thread::sleep_until(began + std::chrono::milliseconds(start.startDelayMs));
        if (!start.started) {
            SetError(start.description);
            return wordsim::kStartFailedHresult;
        }
        Application* application = new (std::nothrow) Application(folder, start.version);
        if (application == nullptr) return E_OUTOFMEMORY;
        const HRESULT hr = application->QueryInterface(riid, object);
        application->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            ++g_locks;
        } else {
            --g_locks;
        }
        return S_OK;
    }
};

Factory g_factory;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, ServerClsid())) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    os::win32::Win32Api api;
    const std::string folder = wordsim::win32::ModuleFolder(g_module);
    const auto config = wordsim::ReadConfig(api, folder);
    const std::string path = wordsim::win32::ModulePath(g_module);
    if (path.empty()) return SELFREG_E_CLASS;
    wordsim::win32::SimLock lock;
    return wordsim::RegisterServer(api, path, config ? config->version : wordsim::Version::Word2003) ? S_OK
                                                                                                     : SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    os::win32::Win32Api api;
    wordsim::win32::SimLock lock;
    wordsim::UnregisterServer(api);
    return S_OK;
}
