#include "os/win32/Win32Api.h"

#include "os/Handles.h"
#include "os/win32/Raii.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

namespace os::win32 {

namespace {

static_assert(sizeof(DWORD) == sizeof(uint32_t));
static_assert(sizeof(wchar_t) == sizeof(char16_t));
static_assert(sizeof(HANDLE) == sizeof(Handle) && sizeof(HKEY) == sizeof(HKey));

// The predefined roots are sign-extended 32-bit values in the system's
// headers (0xFFFFFFFF80000000 on x64); os::HKey keeps them as 0x8000000x.
HKEY ToHkey(HKey key) {
    if (IsPredefinedKey(key))
        return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(static_cast<uint32_t>(key))));
    return reinterpret_cast<HKEY>(key);
}

HKey FromHkey(HKEY key) {
    auto value = reinterpret_cast<ULONG_PTR>(key);
    auto low = static_cast<uint32_t>(value);
    if (IsPredefinedKey(low) && value == static_cast<ULONG_PTR>(static_cast<LONG>(low))) return low;
    return value;
}

HANDLE ToHandle(Handle handle) { return reinterpret_cast<HANDLE>(handle); }

// FindFirstFile and CreateFile report failure as INVALID_HANDLE_VALUE; the
// seam's "none" is 0.
Handle FromFileHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<Handle>(handle);
}

// A DWORD standing in for an optional uint32_t in/out argument. Used as a
// temporary inside the call expression, it copies the result back once the
// call has returned; a value the system leaves alone stays as it was.
class DwordArg {
public:
    explicit DwordArg(uint32_t* target) : target_(target), value_(target != nullptr ? *target : 0) {}
    DwordArg(const DwordArg&) = delete;
    DwordArg& operator=(const DwordArg&) = delete;
    ~DwordArg() {
        if (target_ != nullptr) *target_ = value_;
    }
    LPDWORD get() { return target_ != nullptr ? &value_ : nullptr; }

private:
    uint32_t* target_;
    DWORD value_;
};

const char* OrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

FileTime FromFiletime(const FILETIME& time) {
    return (static_cast<FileTime>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

void FillFindData(const WIN32_FIND_DATAA& found, FindData* data) {
    if (data == nullptr) return;
    data->attributes = found.dwFileAttributes;
    data->size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    data->lastWrite = FromFiletime(found.ftLastWriteTime);
    data->name = found.cFileName;
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    if (text.size() > static_cast<size_t>(INT_MAX)) return {};
    int length = static_cast<int>(text.size());
    int needed = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring result(static_cast<size_t>(needed), L'\0');
    if (needed > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, result.data(), needed);
    return result;
}

std::string Narrow(const wchar_t* text, size_t length) {
    if (length == 0 || length > static_cast<size_t>(INT_MAX)) return {};
    int count = static_cast<int>(length);
    int needed = ::WideCharToMultiByte(CP_ACP, 0, text, count, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(needed), '\0');
    if (needed > 0) ::WideCharToMultiByte(CP_ACP, 0, text, count, result.data(), needed, nullptr, nullptr);
    return result;
}

std::string Narrow(BSTR text) { return text == nullptr ? std::string() : Narrow(text, ::SysStringLen(text)); }

std::string SystemMessage(DWORD code) {
    char* text = nullptr;
    DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<char*>(&text), 0, nullptr);
    UniqueLocalText owner(text);
    if (length == 0 || text == nullptr) return {};
    std::string result(text, length);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
    return result;
}

// Fills an automation failure: the server's own words where it gave them,
// else the system's text for the status code (Wine has none for most COM
// codes), else the code itself.
int32_t Fail(HRESULT hr, AutoError* error, const std::string& description = {}) {
    if (error != nullptr) {
        error->number = hr;
        error->description = description.empty() ? SystemMessage(static_cast<DWORD>(hr)) : description;
        if (error->description.empty()) {
            char text[40];
            std::snprintf(text, sizeof text, "Automation error 0x%08lX", static_cast<unsigned long>(hr));
            error->description = text;
        }
    }
    return hr;
}

// A property's value as the seam carries it: texts, booleans and whole
// numbers; other numbers and dates as the system formats them.
HRESULT ToAutoValue(VARIANT* variant, AutoValue* value) {
    VARTYPE type = V_VT(variant) & ~VT_BYREF;
    if ((V_VT(variant) & (VT_ARRAY | VT_VECTOR)) != 0) return DISP_E_TYPEMISMATCH;
    UniqueVariant converted;
    switch (type) {
    case VT_EMPTY:
    case VT_NULL:
        *value = std::monostate{};
        return S_OK;
    case VT_BOOL: {
        HRESULT hr = ::VariantChangeType(converted.get(), variant, 0, VT_BOOL);
        if (FAILED(hr)) return hr;
        *value = V_BOOL(converted.get()) != VARIANT_FALSE;
        return S_OK;
    }
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_INT:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UINT:
    case VT_I8:
    case VT_UI8: {
        HRESULT hr = ::VariantChangeType(converted.get(), variant, 0, VT_I4);
        if (FAILED(hr)) return hr;
        *value = static_cast<int32_t>(V_I4(converted.get()));
        return S_OK;
    }
    case VT_BSTR:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_DECIMAL: {
        HRESULT hr = ::VariantChangeType(converted.get(), variant, 0, VT_BSTR);
        if (FAILED(hr)) return hr;
        *value = Narrow(V_BSTR(converted.get()));
        return S_OK;
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

// IDispatch as the program uses it: members by name, no arguments.
class DispatchObject : public AutomationObject {
public:
    DispatchObject(std::shared_ptr<ComApartment> apartment, ComPtr<IDispatch> dispatch)
        : apartment_(std::move(apartment)), dispatch_(std::move(dispatch)) {}

    int32_t GetProperty(const std::string& name, AutoValue* value, AutoError* error) override {
        UniqueVariant result;
        HRESULT hr = Invoke(name, DISPATCH_PROPERTYGET, result.get(), error);
        if (FAILED(hr)) return hr;
        AutoValue converted;
        hr = ToAutoValue(result.get(), &converted);
        if (FAILED(hr)) return Fail(hr, error);
        if (value != nullptr) *value = std::move(converted);
        return S_OK;
    }

    int32_t CallMethod(const std::string& name, AutoError* error) override {
        UniqueVariant result;
        return Invoke(name, DISPATCH_METHOD, result.get(), error);
    }

private:
    HRESULT Invoke(const std::string& name, WORD flags, VARIANT* result, AutoError* error) {
        std::wstring wideName = Wide(name);
        LPOLESTR names[] = {wideName.data()};
        DISPID id = DISPID_UNKNOWN;
        HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr)) return Fail(hr, error);

        DISPPARAMS params = {};
        UniqueExcepInfo exception;
        UINT argError = 0;
        hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, exception.get(),
                               &argError);
        if (hr == DISP_E_EXCEPTION) {
            exception.Fill();
            HRESULT code = FAILED((*exception).scode) ? (*exception).scode : hr;
            return Fail(code, error, Narrow((*exception).bstrDescription));
        }
        if (FAILED(hr)) return Fail(hr, error);
        return S_OK;
    }

    // Declared first so that it goes last: COM stays up until the object is released.
    std::shared_ptr<ComApartment> apartment_;
    ComPtr<IDispatch> dispatch_;
};

}  // namespace

Win32Api::Win32Api() = default;
Win32Api::~Win32Api() = default;

// --- Registry ---

long Win32Api::RegConnectRegistry(const std::string& machine, HKey root, HKey* result) {
    HKEY key = nullptr;
    LONG status = ::RegConnectRegistryA(OrNull(machine), ToHkey(root), result != nullptr ? &key : nullptr);
    if (result != nullptr) *result = FromHkey(key);
    return status;
}

long Win32Api::RegOpenKeyEx(HKey key, const std::string& subKey, uint32_t access, HKey* result) {
    HKEY opened = nullptr;
    LONG status = ::RegOpenKeyExA(ToHkey(key), subKey.c_str(), 0, access, result != nullptr ? &opened : nullptr);
    if (result != nullptr) *result = FromHkey(opened);
    return status;
}

long Win32Api::RegCreateKeyEx(HKey key, const std::string& subKey, uint32_t access, HKey* result,
                              uint32_t* disposition) {
    HKEY created = nullptr;
    LONG status = ::RegCreateKeyExA(ToHkey(key), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                    nullptr, result != nullptr ? &created : nullptr, DwordArg(disposition).get());
    if (result != nullptr) *result = FromHkey(created);
    return status;
}

long Win32Api::RegCloseKey(HKey key) { return ::RegCloseKey(ToHkey(key)); }

long Win32Api::RegQueryValueEx(HKey key, const std::string& name, uint32_t* type, uint8_t* data, uint32_t* size) {
    return ::RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, DwordArg(type).get(), data, DwordArg(size).get());
}

long Win32Api::RegSetValueEx(HKey key, const std::string& name, uint32_t type, const uint8_t* data, uint32_t size) {
    return ::RegSetValueExA(ToHkey(key), name.c_str(), 0, type, data, size);
}

long Win32Api::RegDeleteValue(HKey key, const std::string& name) {
    return ::RegDeleteValueA(ToHkey(key), name.c_str());
}

long Win32Api::RegDeleteKey(HKey key, const std::string& subKey) { return ::RegDeleteKeyA(ToHkey(key), subKey.c_str()); }

long Win32Api::RegEnumKeyEx(HKey key, uint32_t index, char* name, uint32_t* nameChars) {
    return ::RegEnumKeyExA(ToHkey(key), index, name, DwordArg(nameChars).get(), nullptr, nullptr, nullptr, nullptr);
}

long Win32Api::RegEnumValue(HKey key, uint32_t index, char* name, uint32_t* nameChars, uint32_t* type,
                            uint8_t* data, uint32_t* size) {
    return ::RegEnumValueA(ToHkey(key), index, name, DwordArg(nameChars).get(), nullptr, DwordArg(type).get(), data,
                           DwordArg(size).get());
}

long Win32Api::RegQueryInfoKey(HKey key, uint32_t* subKeys, uint32_t* maxSubKeyLen, uint32_t* values,
                               uint32_t* maxValueNameLen, uint32_t* maxValueLen) {
    return ::RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, DwordArg(subKeys).get(),
                              DwordArg(maxSubKeyLen).get(), nullptr, DwordArg(values).get(),
                              DwordArg(maxValueNameLen).get(), DwordArg(maxValueLen).get(), nullptr, nullptr);
}

// --- Files ---

uint32_t Win32Api::GetLastError() { return ::GetLastError(); }

void Win32Api::SetLastError(uint32_t code) { ::SetLastError(code); }

bool Win32Api::PathFileExists(const std::string& path) { return ::PathFileExistsA(path.c_str()) != FALSE; }

uint32_t Win32Api::GetFileAttributes(const std::string& path) { return ::GetFileAttributesA(path.c_str()); }

bool Win32Api::SetFileAttributes(const std::string& path, uint32_t attributes) {
    return ::SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool Win32Api::GetFileAttributesEx(const std::string& path, FileInfo* info) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (info != nullptr) {
        info->attributes = data.dwFileAttributes;
        info->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        info->lastWrite = FromFiletime(data.ftLastWriteTime);
    }
    return true;
}

bool Win32Api::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    return ::CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

bool Win32Api::MoveFile(const std::string& from, const std::string& to) {
    return ::MoveFileA(from.c_str(), to.c_str()) != FALSE;
}

bool Win32Api::DeleteFile(const std::string& path) { return ::DeleteFileA(path.c_str()) != FALSE; }

bool Win32Api::CreateDirectory(const std::string& path) { return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

bool Win32Api::RemoveDirectory(const std::string& path) { return ::RemoveDirectoryA(path.c_str()) != FALSE; }

Handle Win32Api::FindFirstFile(const std::string& pattern, FindData* data) {
    WIN32_FIND_DATAA found = {};
    Handle find = FromFileHandle(::FindFirstFileA(pattern.c_str(), &found));
    if (find != 0) FillFindData(found, data);
    return find;
}

bool Win32Api::FindNextFile(Handle find, FindData* data) {
    WIN32_FIND_DATAA found = {};
    if (!::FindNextFileA(ToHandle(find), &found)) return false;
    FillFindData(found, data);
    return true;
}

bool Win32Api::FindClose(Handle find) { return ::FindClose(ToHandle(find)) != FALSE; }

Handle Win32Api::CreateFile(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition) {
    return FromFileHandle(
        ::CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool Win32Api::ReadFile(Handle file, void* buffer, uint32_t size, uint32_t* read) {
    // Without an OVERLAPPED the count may not be null.
    DWORD count = 0;
    BOOL ok = ::ReadFile(ToHandle(file), buffer, size, &count, nullptr);
    if (read != nullptr) *read = count;
    return ok != FALSE;
}

bool Win32Api::WriteFile(Handle file, const void* buffer, uint32_t size, uint32_t* written) {
    DWORD count = 0;
    BOOL ok = ::WriteFile(ToHandle(file), buffer, size, &count, nullptr);
    if (written != nullptr) *written = count;
    return ok != FALSE;
}

bool Win32Api::FlushFileBuffers(Handle file) { return ::FlushFileBuffers(ToHandle(file)) != FALSE; }

bool Win32Api::CloseHandle(Handle handle) { return ::CloseHandle(ToHandle(handle)) != FALSE; }

std::string Win32Api::GetCurrentDirectory() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        DWORD length = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length);  // the size needed, with its NUL
    }
}

bool Win32Api::SetCurrentDirectory(const std::string& path) {
    return ::SetCurrentDirectoryA(path.c_str()) != FALSE;
}

std::string Win32Api::GetTempPath() {
    std::string buffer(MAX_PATH + 1, '\0');
    for (;;) {
        DWORD length = ::GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length);
    }
}

std::string Win32Api::GetModuleFileName() {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        // A full buffer means the path was cut short.
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string Win32Api::FormatFileTime(FileTime time) {
    FILETIME utc = {static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    FILETIME local = {};
    SYSTEMTIME parts = {};
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &parts)) return {};
    char date[128] = {};
    char clock[128] = {};
    if (::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &parts, nullptr, date, sizeof date) == 0) return {};
    if (::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &parts, nullptr, clock, sizeof clock) == 0) return {};
    return std::string(date) + " " + clock;
}

// --- Processes ---

Handle Win32Api::CreateProcess(const std::string& applicationName, const std::string& commandLine, int showCmd) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCmd);
    // CreateProcessA may write into the command line.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessA(OrNull(applicationName), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started))
        return 0;
    UniqueHandle thread(started.hThread);
    return reinterpret_cast<Handle>(started.hProcess);
}

void Win32Api::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

uint32_t Win32Api::WaitForSingleObject(Handle handle, uint32_t milliseconds) {
    return ::WaitForSingleObject(ToHandle(handle), milliseconds);
}

bool Win32Api::GetExitCodeProcess(Handle process, uint32_t* code) {
    return ::GetExitCodeProcess(ToHandle(process), DwordArg(code).get()) != FALSE;
}

// --- Shell ---

std::intptr_t Win32Api::FindExecutable(const std::string& file, const std::string& directory, std::string* result) {
    char found[MAX_PATH + 1] = {};
    HINSTANCE code = ::FindExecutableA(file.c_str(), OrNull(directory), found);
    if (result != nullptr) *result = found;
    return reinterpret_cast<std::intptr_t>(code);
}

std::intptr_t Win32Api::ShellExecute(WindowId owner, const std::string& operation, const std::string& file,
                                     const std::string& parameters, const std::string& directory, int showCmd) {
    // Verbs may be carried out by shell extensions, which need COM here.
    EnsureApartment();
    HINSTANCE code = ::ShellExecuteA(reinterpret_cast<HWND>(owner), OrNull(operation), file.c_str(),
                                     OrNull(parameters), OrNull(directory), showCmd);
    return reinterpret_cast<std::intptr_t>(code);
}

bool Win32Api::GetSpecialFolderPath(int csidl, std::string* path) {
    LPITEMIDLIST list = nullptr;
    HRESULT hr = ::SHGetSpecialFolderLocation(nullptr, csidl, &list);
    UniquePidl owner(list);
    if (FAILED(hr) || !owner) return false;
    char found[MAX_PATH + 1] = {};
    if (!::SHGetPathFromIDListA(owner.get(), found)) return false;
    if (path != nullptr) *path = found;
    return true;
}

// --- Common dialogs, profile files, event log ---

bool Win32Api::GetOpenFileName(OpenFileRequest* request) {
    // 76 is the size of the original structure in a 32-bit process; a 64-bit
    // comdlg32 refuses it (CDERR_STRUCTSIZE), so ask for the same original
    // structure at this build's size.
    constexpr uint32_t kOriginalSize32 = 76;
    uint32_t structSize = request->structSize;
    if (sizeof(void*) == 8 && structSize == kOriginalSize32) structSize = OPENFILENAME_SIZE_VERSION_400A;

    size_t capacity = std::max<size_t>(request->fileBuffer.size(), request->maxFile) + 1;
    std::vector<char> file(capacity, '\0');
    std::copy(request->fileBuffer.begin(), request->fileBuffer.end(), file.begin());

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = structSize;
    dialog.hwndOwner = reinterpret_cast<HWND>(request->owner);
    dialog.hInstance = ::GetModuleHandleA(nullptr);
    dialog.lpstrFilter = OrNull(request->filter);
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = request->maxFile;
    dialog.lpstrTitle = OrNull(request->title);
    dialog.Flags = request->flags;
    dialog.lpstrDefExt = OrNull(request->defExt);
    // comdlg32 is loaded only when the dialog is wanted: it brings the print
    // spooler, which under Wine loads the printing libraries at once and
    // costs every run some 8 MiB of working set. Once loaded it stays.
    using OpenDialog = BOOL(WINAPI*)(LPOPENFILENAMEA);
    static const OpenDialog open = [] {
        char system[MAX_PATH] = {};
        const UINT length = ::GetSystemDirectoryA(system, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return OpenDialog{};
        HMODULE dialogs = ::LoadLibraryA((std::string(system) + "\\comdlg32.dll").c_str());
        if (dialogs == nullptr) return OpenDialog{};
        return reinterpret_cast<OpenDialog>(
            reinterpret_cast<void (*)()>(::GetProcAddress(dialogs, "GetOpenFileNameA")));
    }();
    if (open == nullptr) return false;
    BOOL chosen = open(&dialog);
    request->fileBuffer.assign(file.data(), capacity - 1);
    return chosen != FALSE;
}

uint32_t Win32Api::GetPrivateProfileString(const std::string& section, const std::string& key,
                                           const std::string& defaultValue, char* buffer, uint32_t size,
                                           const std::string& file) {
    return ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer, size, file.c_str());
}

bool Win32Api::ReportEvent(const std::string& source, uint16_t type, const std::string& message) {
    UniqueEventSource log(::RegisterEventSourceA(nullptr, source.c_str()));
    if (!log) return false;
    const char* strings[] = {message.c_str()};
    return ::ReportEventA(log.get(), type, 0, 0, nullptr, 1, 0, strings, nullptr) != FALSE;
}

// --- Text ---

std::string Win32Api::FormatMessage(uint32_t code) { return SystemMessage(code); }

std::u16string Win32Api::AnsiToUtf16(const std::string& text) {
    std::wstring wide = Wide(text);
    return std::u16string(wide.begin(), wide.end());
}

std::string Win32Api::Utf16ToAnsi(const std::u16string& text) {
    std::wstring wide(text.begin(), text.end());
    return Narrow(wide.data(), wide.size());
}

// --- Automation ---

int32_t Win32Api::EnsureApartment() {
    if (!apartment_) apartment_ = std::make_shared<ComApartment>();
    // COM belongs to the thread that started it; the program has one.
    if (apartment_->Thread() != ::GetCurrentThreadId()) return RPC_E_WRONG_THREAD;
    return apartment_->Usable() ? S_OK : apartment_->Result();
}

int32_t Win32Api::CreateObject(const std::string& progId, std::unique_ptr<AutomationObject>* object,
                               AutoError* error) {
    if (object != nullptr) object->reset();
    HRESULT hr = EnsureApartment();
    if (FAILED(hr)) return Fail(hr, error);

    CLSID clsid = {};
    std::wstring wideId = Wide(progId);
    hr = ::CLSIDFromProgID(wideId.c_str(), &clsid);
    if (FAILED(hr)) return Fail(hr, error);
    ComPtr<IDispatch> dispatch;
    hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(dispatch.put()));
    if (FAILED(hr)) return Fail(hr, error);
    if (object != nullptr) *object = std::make_unique<DispatchObject>(apartment_, std::move(dispatch));
    return S_OK;
}

}  // namespace os::win32
