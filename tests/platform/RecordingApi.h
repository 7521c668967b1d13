// An os::Api that passes every call on to the machine under test and lets a
// test see and steer what the platform classes ask of it: the key paths they
// pass, the handles they leave open, a failure thrown from a chosen method, a
// stand-in remote computer and a stand-in network share.
#pragma once

#include "os/Api.h"
#include "os/Handles.h"

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace qvxtest {

class RecordingApi : public os::Api {
public:
    explicit RecordingApi(os::Api& inner) : inner_(inner) {}

    // (method, key path or file path) of the calls that name one.
    std::vector<std::pair<std::string, std::string>> calls;
    // Calls of this method throw std::runtime_error instead of running.
    std::string throwIn;
    // RegSetValueEx answers ERROR_ACCESS_DENIED without writing.
    bool refuseWrites = false;
    // RegConnectRegistry to this computer gives a key below HKEY_CURRENT_USER
    // (remoteKey) that stands in for the remote root.
    std::string remoteComputer;
    std::string remoteKey;
    // File paths beginning with uncPrefix are redirected to uncTarget.
    std::string uncPrefix;
    std::string uncTarget;
    // GetFileAttributes of these paths answers the number given.
    std::map<std::string, uint32_t> attributes;

    std::size_t OpenKeys() const { return keys_.size(); }
    std::size_t OpenHandles() const { return handles_.size(); }
    std::vector<std::string> CallsOf(const std::string& method) const {
        std::vector<std::string> subjects;
        for (const auto& [m, s] : calls)
            if (m == method) subjects.push_back(s);
        return subjects;
    }

    long RegConnectRegistry(const std::string& machine, os::HKey root, os::HKey* result) override {
        Enter("RegConnectRegistry", machine);
        long status;
        if (!remoteComputer.empty() && machine == remoteComputer) {
            uint32_t disposition = 0;
            status = inner_.RegCreateKeyEx(os::HKeyCurrentUser, remoteKey, os::KeyAllAccess, result, &disposition);
        } else {
            status = inner_.RegConnectRegistry(machine, root, result);
        }
        return Opened(status, result);
    }
    long RegOpenKeyEx(os::HKey key, const std::string& subKey, uint32_t access, os::HKey* result) override {
        Enter("RegOpenKeyEx", subKey);
        return Opened(inner_.RegOpenKeyEx(key, subKey, access, result), result);
    }
    long RegCreateKeyEx(os::HKey key, const std::string& subKey, uint32_t access, os::HKey* result,
                        uint32_t* disposition) override {
        Enter("RegCreateKeyEx", subKey);
        return Opened(inner_.RegCreateKeyEx(key, subKey, access, result, disposition), result);
    }
    long RegCloseKey(os::HKey key) override {
        Enter("RegCloseKey", {});
        keys_.erase(key);
        return inner_.RegCloseKey(key);
    }
    long RegQueryValueEx(os::HKey key, const std::string& name, uint32_t* type, uint8_t* data,
                         uint32_t* size) override {
        Enter("RegQueryValueEx", name);
        return inner_.RegQueryValueEx(key, name, type, data, size);
    }
    long RegSetValueEx(os::HKey key, const std::string& name, uint32_t type, const uint8_t* data,
                       uint32_t size) override {
        Enter("RegSetValueEx", name);
        if (refuseWrites) return os::err::AccessDenied;
        return inner_.RegSetValueEx(key, name, type, data, size);
    }
    long RegDeleteValue(os::HKey key, const std::string& name) override {
        Enter("RegDeleteValue", name);
        return inner_.RegDeleteValue(key, name);
    }
    long RegDeleteKey(os::HKey key, const std::string& subKey) override {
        Enter("RegDeleteKey", subKey);
        return inner_.RegDeleteKey(key, subKey);
    }
    long RegEnumKeyEx(os::HKey key, uint32_t index, char* name, uint32_t* nameChars) override {
        Enter("RegEnumKeyEx", {});
        return inner_.RegEnumKeyEx(key, index, name, nameChars);
    }
    long RegEnumValue(os::HKey key, uint32_t index, char* name, uint32_t* nameChars, uint32_t* type,
                      uint8_t* data, uint32_t* size) override {
        Enter("RegEnumValue", {});
        return inner_.RegEnumValue(key, index, name, nameChars, type, data, size);
    }
    long RegQueryInfoKey(os::HKey key, uint32_t* subKeys, uint32_t* maxSubKeyLen, uint32_t* values,
                         uint32_t* maxValueNameLen, uint32_t* maxValueLen) override {
        return inner_.RegQueryInfoKey(key, subKeys, maxSubKeyLen, values, maxValueNameLen, maxValueLen);
    }

    uint32_t GetLastError() override { return inner_.GetLastError(); }
    void SetLastError(uint32_t code) override { inner_.SetLastError(code); }
    bool PathFileExists(const std::string& path) override {
        Enter("PathFileExists", path);
        return inner_.PathFileExists(Map(path));
    }
    uint32_t GetFileAttributes(const std::string& path) override {
        Enter("GetFileAttributes", path);
        if (auto it = attributes.find(path); it != attributes.end()) return it->second;
        return inner_.GetFileAttributes(Map(path));
    }
    bool SetFileAttributes(const std::string& path, uint32_t value) override {
        Enter("SetFileAttributes", path);
        return inner_.SetFileAttributes(Map(path), value);
    }
    bool GetFileAttributesEx(const std::string& path, os::FileInfo* info) override {
        Enter("GetFileAttributesEx", path);
        return inner_.GetFileAttributesEx(Map(path), info);
    }
    bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override {
        Enter("CopyFile", from);
        return inner_.CopyFile(Map(from), Map(to), failIfExists);
    }
    bool MoveFile(const std::string& from, const std::string& to) override {
        Enter("MoveFile", from);
        return inner_.MoveFile(Map(from), Map(to));
    }
    bool DeleteFile(const std::string& path) override {
        Enter("DeleteFile", path);
        return inner_.DeleteFile(Map(path));
    }
    bool CreateDirectory(const std::string& path) override {
        Enter("CreateDirectory", path);
        return inner_.CreateDirectory(Map(path));
    }
    bool RemoveDirectory(const std::string& path) override {
        Enter("RemoveDirectory", path);
        return inner_.RemoveDirectory(Map(path));
    }
    os::Handle FindFirstFile(const std::string& pattern, os::FindData* data) override {
        Enter("FindFirstFile", pattern);
        return Track(inner_.FindFirstFile(Map(pattern), data));
    }
    bool FindNextFile(os::Handle find, os::FindData* data) override { return inner_.FindNextFile(find, data); }
    bool FindClose(os::Handle find) override {
        handles_.erase(find);
        return inner_.FindClose(find);
    }
    os::Handle CreateFile(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition) override {
        Enter("CreateFile", path);
        return Track(inner_.CreateFile(Map(path), access, share, disposition));
    }
    bool ReadFile(os::Handle file, void* buffer, uint32_t size, uint32_t* read) override {
        return inner_.ReadFile(file, buffer, size, read);
    }
    bool WriteFile(os::Handle file, const void* buffer, uint32_t size, uint32_t* written) override {
        Enter("WriteFile", {});
        return inner_.WriteFile(file, buffer, size, written);
    }
    bool FlushFileBuffers(os::Handle file) override { return inner_.FlushFileBuffers(file); }
    bool CloseHandle(os::Handle handle) override {
        handles_.erase(handle);
        return inner_.CloseHandle(handle);
    }
    std::string GetCurrentDirectory() override { return inner_.GetCurrentDirectory(); }
    bool SetCurrentDirectory(const std::string& path) override { return inner_.SetCurrentDirectory(path); }
    std::string GetTempPath() override { return inner_.GetTempPath(); }
    std::string GetModuleFileName() override { return inner_.GetModuleFileName(); }
    std::string FormatFileTime(os::FileTime time) override { return inner_.FormatFileTime(time); }
    std::string FileVersion(const std::string& path) override { return inner_.FileVersion(path); }

    os::Handle CreateProcess(const std::string& applicationName, const std::string& commandLine,
                             int showCmd) override {
        return inner_.CreateProcess(applicationName, commandLine, showCmd);
    }
    void Sleep(uint32_t milliseconds) override { inner_.Sleep(milliseconds); }
    uint32_t WaitForSingleObject(os::Handle handle, uint32_t milliseconds) override {
        return inner_.WaitForSingleObject(handle, milliseconds);
    }
    bool GetExitCodeProcess(os::Handle process, uint32_t* code) override {
        return inner_.GetExitCodeProcess(process, code);
    }
    std::intptr_t FindExecutable(const std::string& file, const std::string& directory,
                                 std::string* result) override {
        return inner_.FindExecutable(file, directory, result);
    }
    std::intptr_t ShellExecute(os::WindowId owner, const std::string& operation, const std::string& file,
                               const std::string& parameters, const std::string& directory, int showCmd) override {
        return inner_.ShellExecute(owner, operation, file, parameters, directory, showCmd);
    }
    bool GetSpecialFolderPath(int csidl, std::string* path) override {
        return inner_.GetSpecialFolderPath(csidl, path);
    }
    bool GetOpenFileName(os::OpenFileRequest* request) override { return inner_.GetOpenFileName(request); }
    uint32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue, char* buffer, uint32_t size,
                                     const std::string& file) override {
        return inner_.GetPrivateProfileString(section, key, defaultValue, buffer, size, file);
    }
    bool ReportEvent(const std::string& source, uint16_t type, const std::string& message) override {
        return inner_.ReportEvent(source, type, message);
    }
    std::string FormatMessage(uint32_t code) override { return inner_.FormatMessage(code); }
    std::u16string AnsiToUtf16(const std::string& text) override { return inner_.AnsiToUtf16(text); }
    std::string Utf16ToAnsi(const std::u16string& text) override { return inner_.Utf16ToAnsi(text); }
    os::Handle CreateMutex(const std::string& name, bool* alreadyExists) override {
        return Track(inner_.CreateMutex(name, alreadyExists));
    }
    bool ActivateOtherWindow(const std::string& className) override { return inner_.ActivateOtherWindow(className); }
    bool AttachParentConsole() override { return inner_.AttachParentConsole(); }
    void WriteToConsole(const std::string& text) override { inner_.WriteToConsole(text); }
    bool IsElevated() override { return inner_.IsElevated(); }
    int32_t CreateObject(const std::string& progId, std::unique_ptr<os::AutomationObject>* object,
                         os::AutoError* error) override {
        return inner_.CreateObject(progId, object, error);
    }

private:
    void Enter(const std::string& method, const std::string& subject) {
        calls.emplace_back(method, subject);
        if (method == throwIn) throw std::runtime_error("injected failure in " + method);
    }
    long Opened(long status, const os::HKey* result) {
        if (status == os::err::Success && result && !os::IsPredefinedKey(*result)) keys_.insert(*result);
        return status;
    }
    os::Handle Track(os::Handle handle) {
        if (handle != 0) handles_.insert(handle);
        return handle;
    }
    std::string Map(const std::string& path) const {
        if (!uncPrefix.empty() && path.rfind(uncPrefix, 0) == 0) return uncTarget + path.substr(uncPrefix.size());
        return path;
    }

    os::Api& inner_;
    std::set<os::HKey> keys_;
    std::set<os::Handle> handles_;
};

}  // namespace qvxtest
