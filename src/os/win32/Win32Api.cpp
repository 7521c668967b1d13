#include "os/win32/Win32Api.h"

#include "os/Handles.h"
#include "os/Utf8.h"
#include "os/win32/Raii.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>
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

FileTime FromFiletime(const FILETIME& time) {
    return (static_cast<FileTime>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The seam's UTF-8 and the system's UTF-16, converted here and nowhere else
// in this layer; the code page plays no part.
std::wstring Wide(std::string_view text) {
    std::u16string wide = Utf8ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(const wchar_t* text, size_t length) {
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

std::string Narrow(const wchar_t* text) { return Narrow(text, std::wcslen(text)); }

void FillFindData(const WIN32_FIND_DATAW& found, FindData* data) {
    if (data == nullptr) return;
    data->attributes = found.dwFileAttributes;
    data->size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    data->lastWrite = FromFiletime(found.ftLastWriteTime);
    data->name = Narrow(found.cFileName);
}

// A text argument of a W function, null for an empty text where the call
// takes null for "none".
class WideArg {
public:
    explicit WideArg(const std::string& text) : text_(Wide(text)), empty_(text.empty()) {}
    const wchar_t* get() const { return text_.c_str(); }
    const wchar_t* OrNull() const { return empty_ ? nullptr : text_.c_str(); }

private:
    std::wstring text_;
    bool empty_;
};

// Copies a name into a caller's buffer of *chars bytes as the registry's
// enumerations do: the name and its NUL must fit, else ERROR_MORE_DATA.
long PutName(const std::string& name, char* buffer, uint32_t* chars) {
    if (*chars <= name.size()) return ERROR_MORE_DATA;
    std::copy(name.begin(), name.end(), buffer);
    buffer[name.size()] = '\0';
    *chars = static_cast<uint32_t>(name.size());
    return ERROR_SUCCESS;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Value data as the seam carries it: texts in UTF-8 with their NULs where
// the system holds UTF-16 (an odd last byte reads as a character's low
// byte), every other type as it is.
std::vector<uint8_t> SeamData(DWORD type, const std::vector<uint8_t>& bytes) {
    if (!IsStringType(type)) return bytes;
    const std::string narrow = os::Utf8OfUtf16Bytes(bytes.data(), bytes.size());
    return {narrow.begin(), narrow.end()};
}

// Hands data to a caller's buffer with the registry's rules: without a
// buffer only the size; a buffer too small gets nothing and the size needed.
long PutData(const std::vector<uint8_t>& data, uint8_t* buffer, uint32_t* size) {
    const auto length = static_cast<uint32_t>(data.size());
    if (buffer != nullptr && *size < length) {
        *size = length;
        return ERROR_MORE_DATA;
    }
    if (buffer != nullptr) std::copy(data.begin(), data.end(), buffer);
    if (size != nullptr) *size = length;
    return ERROR_SUCCESS;
}

// Reads a value's whole data through a call that takes (data, size): most
// values fit the first buffer, a larger one answers ERROR_MORE_DATA with the
// size it needs (and may grow meanwhile in another process).
template <typename Read>
long ReadWhole(Read read, DWORD* type, std::vector<uint8_t>* data) {
    data->assign(256, 0);
    for (int attempt = 0; attempt < 8; ++attempt) {
        auto size = static_cast<DWORD>(data->size());
        long status = read(type, data->data(), &size);
        if (status == ERROR_SUCCESS) {
            data->resize(size);
            return status;
        }
        if (status != ERROR_MORE_DATA) return status;
        data->assign(std::max<size_t>(size, data->size() * 2), 0);
    }
    return ERROR_MORE_DATA;
}

std::string NarrowBstr(BSTR text) { return text == nullptr ? std::string() : Narrow(text, ::SysStringLen(text)); }

std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    UniqueLocalText owner(text);
    if (length == 0 || text == nullptr) return {};
    std::string result = Narrow(text, length);
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
        *value = NarrowBstr(V_BSTR(converted.get()));
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
            return Fail(code, error, NarrowBstr((*exception).bstrDescription));
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
    LONG status =
        ::RegConnectRegistryW(WideArg(machine).OrNull(), ToHkey(root), result != nullptr ? &key : nullptr);
    if (result != nullptr) *result = FromHkey(key);
    return status;
}

long Win32Api::RegOpenKeyEx(HKey key, const std::string& subKey, uint32_t access, HKey* result) {
    HKEY opened = nullptr;
    LONG status =
        ::RegOpenKeyExW(ToHkey(key), WideArg(subKey).get(), 0, access, result != nullptr ? &opened : nullptr);
    if (result != nullptr) *result = FromHkey(opened);
    return status;
}

long Win32Api::RegCreateKeyEx(HKey key, const std::string& subKey, uint32_t access, HKey* result,
                              uint32_t* disposition) {
    HKEY created = nullptr;
    LONG status =
        ::RegCreateKeyExW(ToHkey(key), WideArg(subKey).get(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                          result != nullptr ? &created : nullptr, DwordArg(disposition).get());
    if (result != nullptr) *result = FromHkey(created);
    return status;
}

long Win32Api::RegCloseKey(HKey key) { return ::RegCloseKey(ToHkey(key)); }

long Win32Api::RegQueryValueEx(HKey key, const std::string& name, uint32_t* type, uint8_t* data, uint32_t* size) {
    if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
    const WideArg wideName(name);
    DWORD found = REG_NONE;
    std::vector<uint8_t> bytes;
    long status = ReadWhole(
        [&](DWORD* t, BYTE* d, DWORD* n) { return ::RegQueryValueExW(ToHkey(key), wideName.get(), nullptr, t, d, n); },
        &found, &bytes);
    if (type != nullptr) *type = found;
    if (status != ERROR_SUCCESS) return status;
    return PutData(SeamData(found, bytes), data, size);
}

long Win32Api::RegSetValueEx(HKey key, const std::string& name, uint32_t type, const uint8_t* data, uint32_t size) {
    if (!IsStringType(type) || data == nullptr)
        return ::RegSetValueExW(ToHkey(key), WideArg(name).get(), 0, type, data, size);
    std::u16string text = Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
    // Both functions peek after the data: a terminator left out of the size
    // but present right after it is stored too. So the caller's byte decides,
    // and the wide call finds no NUL behind the text it is given.
    if (size > 0 && data[size - 1] != 0 && data[size] == 0) text += u'\0';
    const auto bytes = static_cast<DWORD>(text.size() * sizeof(char16_t));
    text += u'?';
    return ::RegSetValueExW(ToHkey(key), WideArg(name).get(), 0, type, reinterpret_cast<const BYTE*>(text.data()),
                            bytes);
}

long Win32Api::RegDeleteValue(HKey key, const std::string& name) {
    return ::RegDeleteValueW(ToHkey(key), WideArg(name).get());
}

long Win32Api::RegDeleteKey(HKey key, const std::string& subKey) {
    return ::RegDeleteKeyW(ToHkey(key), WideArg(subKey).get());
}

long Win32Api::RegEnumKeyEx(HKey key, uint32_t index, char* name, uint32_t* nameChars) {
    if (name == nullptr || nameChars == nullptr) return ERROR_INVALID_PARAMETER;
    wchar_t found[256] = {};  // key names are at most 255 characters
    DWORD length = 256;
    LONG status = ::RegEnumKeyExW(ToHkey(key), index, found, &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return status;
    return PutName(Narrow(found, length), name, nameChars);
}

long Win32Api::RegEnumValue(HKey key, uint32_t index, char* name, uint32_t* nameChars, uint32_t* type,
                            uint8_t* data, uint32_t* size) {
    if (name == nullptr || nameChars == nullptr || (data != nullptr && size == nullptr))
        return ERROR_INVALID_PARAMETER;
    std::vector<wchar_t> found(16384);  // value names are at most 16383 characters
    DWORD length = 0;
    DWORD kind = REG_NONE;
    std::vector<uint8_t> bytes;
    long status = ReadWhole(
        [&](DWORD* t, BYTE* d, DWORD* n) {
            length = static_cast<DWORD>(found.size());
            return ::RegEnumValueW(ToHkey(key), index, found.data(), &length, nullptr, t, d, n);
        },
        &kind, &bytes);
    if (status != ERROR_SUCCESS) return status;
    const std::string narrow = Narrow(found.data(), length);
    if (*nameChars <= narrow.size()) {
        // As much of the name as fits, cut short.
        if (*nameChars > 0) {
            std::copy_n(narrow.begin(), *nameChars - 1, name);
            name[*nameChars - 1] = '\0';
        }
        return ERROR_MORE_DATA;
    }
    if (type != nullptr) *type = kind;
    status = PutData(SeamData(kind, bytes), data, size);
    if (status == ERROR_SUCCESS) PutName(narrow, name, nameChars);
    return status;
}

long Win32Api::RegQueryInfoKey(HKey key, uint32_t* subKeys, uint32_t* maxSubKeyLen, uint32_t* values,
                               uint32_t* maxValueNameLen, uint32_t* maxValueLen) {
    return ::RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, DwordArg(subKeys).get(),
                              DwordArg(maxSubKeyLen).get(), nullptr, DwordArg(values).get(),
                              DwordArg(maxValueNameLen).get(), DwordArg(maxValueLen).get(), nullptr, nullptr);
}

// --- Files ---

uint32_t Win32Api::GetLastError() { return ::GetLastError(); }

void Win32Api::SetLastError(uint32_t code) { ::SetLastError(code); }

bool Win32Api::PathFileExists(const std::string& path) { return ::PathFileExistsW(WideArg(path).get()) != FALSE; }

uint32_t Win32Api::GetFileAttributes(const std::string& path) { return ::GetFileAttributesW(WideArg(path).get()); }

bool Win32Api::SetFileAttributes(const std::string& path, uint32_t attributes) {
    return ::SetFileAttributesW(WideArg(path).get(), attributes) != FALSE;
}

bool Win32Api::GetFileAttributesEx(const std::string& path, FileInfo* info) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExW(WideArg(path).get(), GetFileExInfoStandard, &data)) return false;
    if (info != nullptr) {
        info->attributes = data.dwFileAttributes;
        info->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        info->lastWrite = FromFiletime(data.ftLastWriteTime);
    }
    return true;
}

bool Win32Api::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    return ::CopyFileW(WideArg(from).get(), WideArg(to).get(), failIfExists ? TRUE : FALSE) != FALSE;
}

bool Win32Api::MoveFile(const std::string& from, const std::string& to) {
    return ::MoveFileW(WideArg(from).get(), WideArg(to).get()) != FALSE;
}

bool Win32Api::DeleteFile(const std::string& path) { return ::DeleteFileW(WideArg(path).get()) != FALSE; }

bool Win32Api::CreateDirectory(const std::string& path) {
    return ::CreateDirectoryW(WideArg(path).get(), nullptr) != FALSE;
}

bool Win32Api::RemoveDirectory(const std::string& path) { return ::RemoveDirectoryW(WideArg(path).get()) != FALSE; }

Handle Win32Api::FindFirstFile(const std::string& pattern, FindData* data) {
    WIN32_FIND_DATAW found = {};
    Handle find = FromFileHandle(::FindFirstFileW(WideArg(pattern).get(), &found));
    if (find != 0) FillFindData(found, data);
    return find;
}

bool Win32Api::FindNextFile(Handle find, FindData* data) {
    WIN32_FIND_DATAW found = {};
    if (!::FindNextFileW(ToHandle(find), &found)) return false;
    FillFindData(found, data);
    return true;
}

bool Win32Api::FindClose(Handle find) { return ::FindClose(ToHandle(find)) != FALSE; }

Handle Win32Api::CreateFile(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition) {
    return FromFileHandle(
        ::CreateFileW(WideArg(path).get(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
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

namespace {

// A text the system writes into a buffer of the size it asks for: call
// returns the length written, the size needed (with its NUL) when the
// buffer is too small, or 0 on failure.
template <typename Call>
std::string GrowingText(Call call, size_t start) {
    std::vector<wchar_t> buffer(start, L'\0');
    for (int attempt = 0; attempt < 16; ++attempt) {
        DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return Narrow(buffer.data(), length);
        buffer.assign(std::max<size_t>(length, buffer.size() * 2), L'\0');
    }
    return {};
}

}  // namespace

std::string Win32Api::GetCurrentDirectory() {
    return GrowingText([](wchar_t* buffer, DWORD size) { return ::GetCurrentDirectoryW(size, buffer); }, MAX_PATH);
}

bool Win32Api::SetCurrentDirectory(const std::string& path) {
    return ::SetCurrentDirectoryW(WideArg(path).get()) != FALSE;
}

std::string Win32Api::GetTempPath() {
    return GrowingText([](wchar_t* buffer, DWORD size) { return ::GetTempPathW(size, buffer); }, MAX_PATH + 1);
}

std::string Win32Api::GetModuleFileName() {
    // A full buffer means the path was cut short: asking again with a larger
    // one is what the growing loop does.
    return GrowingText([](wchar_t* buffer, DWORD size) { return ::GetModuleFileNameW(nullptr, buffer, size); },
                       MAX_PATH);
}

std::string Win32Api::FormatFileTime(FileTime time) {
    FILETIME utc = {static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    FILETIME local = {};
    SYSTEMTIME parts = {};
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &parts)) return {};
    wchar_t date[128] = {};
    wchar_t clock[128] = {};
    if (::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &parts, nullptr, date, 128) == 0) return {};
    if (::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &parts, nullptr, clock, 128) == 0) return {};
    return Narrow(date) + " " + Narrow(clock);
}

std::string Win32Api::FileVersion(const std::string& path) {
    // The version resource read in place, in one load of the file as data:
    // the version library's two calls each load it again, which under Wine
    // cost some 30 ms of every start on a machine with Word.
    const std::wstring file = Wide(path);
    const UniqueModule module(::LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return {};
    HRSRC found = ::FindResourceW(module.get(), MAKEINTRESOURCEW(VS_VERSION_INFO),
                                   MAKEINTRESOURCEW(16) /* RT_VERSION */);
    HGLOBAL loaded = found != nullptr ? ::LoadResource(module.get(), found) : nullptr;
    const auto* bytes = static_cast<const unsigned char*>(loaded != nullptr ? ::LockResource(loaded) : nullptr);
    // VS_VERSIONINFO: three WORDs, the key "VS_VERSION_INFO" and its NUL, then
    // padding to a DWORD boundary before the fixed part.
    constexpr DWORD kFixedAt = (6 + sizeof L"VS_VERSION_INFO" + 3) & ~3u;
    if (bytes == nullptr || ::SizeofResource(module.get(), found) < kFixedAt + sizeof(VS_FIXEDFILEINFO)) return {};
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, bytes + kFixedAt, sizeof fixed);
    if (fixed.dwSignature != VS_FFI_SIGNATURE) return {};
    return std::to_string(HIWORD(fixed.dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed.dwFileVersionMS));
}

// --- Processes ---

Handle Win32Api::CreateProcess(const std::string& applicationName, const std::string& commandLine, int showCmd) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCmd);
    // CreateProcessW may write into the command line.
    std::wstring line = Wide(commandLine);
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(WideArg(applicationName).OrNull(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &started))
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
    wchar_t found[MAX_PATH + 1] = {};
    HINSTANCE code = ::FindExecutableW(WideArg(file).get(), WideArg(directory).OrNull(), found);
    if (result != nullptr) *result = Narrow(found);
    return reinterpret_cast<std::intptr_t>(code);
}

std::intptr_t Win32Api::ShellExecute(WindowId owner, const std::string& operation, const std::string& file,
                                     const std::string& parameters, const std::string& directory, int showCmd) {
    // Verbs may be carried out by shell extensions, which need COM here.
    EnsureApartment();
    HINSTANCE code = ::ShellExecuteW(reinterpret_cast<HWND>(owner), WideArg(operation).OrNull(), WideArg(file).get(),
                                     WideArg(parameters).OrNull(), WideArg(directory).OrNull(), showCmd);
    return reinterpret_cast<std::intptr_t>(code);
}

bool Win32Api::GetSpecialFolderPath(int csidl, std::string* path) {
    // The same folder as the item-list road (location, then its path), without
    // building the shell's namespace for it: under Wine that costs a few
    // milliseconds of every start.
    wchar_t found[MAX_PATH + 1] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, found))) return false;
    if (path != nullptr) *path = Narrow(found);
    return true;
}

// --- Common dialogs, profile files, event log ---

bool Win32Api::GetOpenFileName(OpenFileRequest* request) {
    // 76 is the size of the original structure in a 32-bit process; a 64-bit
    // comdlg32 refuses it (CDERR_STRUCTSIZE), so ask for the same original
    // structure at this build's size.
    constexpr uint32_t kOriginalSize32 = 76;
    uint32_t structSize = request->structSize;

    if (sizeof(void*) == 8 && structSize == kOriginalSize32) structSize = OPENFILENAME_SIZE_VERSION_400W;

    std::wstring initial = Wide(request->fileBuffer);
    size_t capacity = std::max<size_t>(initial.size(), request->maxFile) + 1;
    std::vector<wchar_t> file(capacity, L'\0');
    std::copy(initial.begin(), initial.end(), file.begin());
    const WideArg filter(request->filter), title(request->title), defExt(request->defExt);

    OPENFILENAMEW dialog = {};
    dialog.lStructSize = structSize;
    dialog.hwndOwner = reinterpret_cast<HWND>(request->owner);
    dialog.hInstance = ::GetModuleHandleW(nullptr);
    dialog.lpstrFilter = filter.OrNull();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = request->maxFile;
    dialog.lpstrTitle = title.OrNull();
    dialog.Flags = request->flags;
    dialog.lpstrDefExt = defExt.OrNull();
    // comdlg32 is loaded only when the dialog is wanted: it brings the print
    // spooler, which under Wine loads the printing libraries at once and
    // costs every run some 8 MiB of working set. Once loaded it stays.
    using OpenDialog = BOOL(WINAPI*)(LPOPENFILENAMEW);
    static const OpenDialog open = [] {
        wchar_t system[MAX_PATH] = {};
        const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return OpenDialog{};
        HMODULE dialogs = ::LoadLibraryW((std::wstring(system, length) + L"\\comdlg32.dll").c_str());
        if (dialogs == nullptr) return OpenDialog{};
        return reinterpret_cast<OpenDialog>(
            reinterpret_cast<void (*)()>(::GetProcAddress(dialogs, "GetOpenFileNameW")));
    }();
    if (open == nullptr) return false;
    BOOL chosen = open(&dialog);
    request->fileBuffer = Narrow(file.data(), capacity - 1);
    return chosen != FALSE;
}

uint32_t Win32Api::GetPrivateProfileString(const std::string& section, const std::string& key,
                                           const std::string& defaultValue, char* buffer, uint32_t size,
                                           const std::string& file) {
    if (buffer == nullptr || size == 0) return 0;
    std::vector<wchar_t> wide(size, L'\0');
    DWORD count = ::GetPrivateProfileStringW(WideArg(section).get(), WideArg(key).get(), WideArg(defaultValue).get(),
                                             wide.data(), size, WideArg(file).get());
    std::string text = Narrow(wide.data(), std::min<size_t>(count, size));
    // In UTF-8 the text may need more bytes than it had characters.
    if (text.size() > size - 1) text.resize(size - 1);
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = '\0';
    return static_cast<uint32_t>(text.size());
}

bool Win32Api::ReportEvent(const std::string& source, uint16_t type, const std::string& message) {
    UniqueEventSource log(::RegisterEventSourceW(nullptr, WideArg(source).get()));
    if (!log) return false;
    const std::wstring text = Wide(message);
    const wchar_t* strings[] = {text.c_str()};
    return ::ReportEventW(log.get(), type, 0, 0, nullptr, 1, 0, strings, nullptr) != FALSE;
}

// --- Text ---

std::string Win32Api::FormatMessage(uint32_t code) { return SystemMessage(code); }

// The system's own code page, for texts that really are ANSI (files of the
// registry editor's version 4): nothing else at this seam is.
std::u16string Win32Api::AnsiToUtf16(const std::string& text) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return {};
    const int length = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    if (needed > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), needed);
    return std::u16string(wide.begin(), wide.end());
}

std::string Win32Api::Utf16ToAnsi(const std::u16string& text) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return {};
    const std::wstring wide(text.begin(), text.end());
    const int count = static_cast<int>(wide.size());
    const int needed = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), count, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(needed), '\0');
    if (needed > 0) ::WideCharToMultiByte(CP_ACP, 0, wide.data(), count, result.data(), needed, nullptr, nullptr);
    return result;
}

// --- The user's session ---

Handle Win32Api::CreateMutex(const std::string& name, bool* alreadyExists) {
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, WideArg(name).get());
    if (alreadyExists != nullptr) *alreadyExists = mutex != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS;
    return reinterpret_cast<Handle>(mutex);
}

bool Win32Api::IsElevated() {
    // Test hook: Wine runs every program elevated, so the end-to-end tests set
    // QVX_AS_STANDARD_USER=1 to see a standard user's run. It can only take
    // rights away, never make a standard user look elevated.
    wchar_t standardUser[2] = {};
    if (::GetEnvironmentVariableW(L"QVX_AS_STANDARD_USER", standardUser, 2) == 1 && standardUser[0] == L'1')
        return false;
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    const UniqueHandle token(raw);
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    return ::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

bool Win32Api::ActivateOtherWindow(const std::string& className) {
    struct Search {
        std::wstring className;
        DWORD self = ::GetCurrentProcessId();
        HWND found = nullptr;
    } search{Wide(className)};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            wchar_t name[256] = {};
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            if (process == s->self || !::IsWindowVisible(window) || ::GetClassNameW(window, name, 256) == 0 ||
                s->className != name)
                return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) return false;
    // A form may be the owner of the dialog the user last worked in.
    HWND root = ::GetAncestor(search.found, GA_ROOTOWNER);
    if (root == nullptr) root = search.found;
    if (::IsIconic(root)) ::ShowWindow(root, SW_RESTORE);
    HWND target = ::GetLastActivePopup(root);
    return ::SetForegroundWindow(target) != FALSE;
}

bool Win32Api::AttachParentConsole() { return ::AttachConsole(ATTACH_PARENT_PROCESS) != FALSE; }

void Win32Api::WriteToConsole(const std::string& text) {
    const std::wstring wide = Wide(text);
    const auto chars = static_cast<DWORD>(wide.size());
    DWORD written = 0;
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE) {
        // A console takes UTF-16; a pipe or file the UTF-8 bytes.
        if (::GetConsoleMode(out, &mode) != FALSE)
            ::WriteConsoleW(out, wide.data(), chars, &written, nullptr);
        else
            ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    HANDLE opened = ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return;
    UniqueHandle console(opened);
    ::WriteConsoleW(console.get(), wide.data(), chars, &written, nullptr);
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
