// os::Api on the real Win32 API: each method calls its wide ("W") function
// and only marshals arguments and results, texts between the seam's UTF-8
// and the system's UTF-16. The status codes, last errors and buffer rules the
// callers see are those of the "A" functions on a UTF-8 code page.
#pragma once

#include "os/Api.h"

#include <memory>

namespace os::win32 {

class ComApartment;

class Win32Api : public Api {
public:
    Win32Api();
    ~Win32Api() override;
    Win32Api(const Win32Api&) = delete;
    Win32Api& operator=(const Win32Api&) = delete;

    long RegConnectRegistry(const std::string& machine, HKey root, HKey* result) override;
    long RegOpenKeyEx(HKey key, const std::string& subKey, uint32_t access, HKey* result) override;
    long RegCreateKeyEx(HKey key, const std::string& subKey, uint32_t access, HKey* result,
                        uint32_t* disposition) override;
    long RegCloseKey(HKey key) override;
    long RegQueryValueEx(HKey key, const std::string& name, uint32_t* type, uint8_t* data,
                         uint32_t* size) override;
    long RegSetValueEx(HKey key, const std::string& name, uint32_t type, const uint8_t* data,
                       uint32_t size) override;
    long RegDeleteValue(HKey key, const std::string& name) override;
    long RegDeleteKey(HKey key, const std::string& subKey) override;
    long RegEnumKeyEx(HKey key, uint32_t index, char* name, uint32_t* nameChars) override;
    long RegEnumValue(HKey key, uint32_t index, char* name, uint32_t* nameChars, uint32_t* type, uint8_t* data,
                      uint32_t* size) override;
    long RegQueryInfoKey(HKey key, uint32_t* subKeys, uint32_t* maxSubKeyLen, uint32_t* values,
                         uint32_t* maxValueNameLen, uint32_t* maxValueLen) override;

    uint32_t GetLastError() override;
    void SetLastError(uint32_t code) override;
    bool PathFileExists(const std::string& path) override;
    uint32_t GetFileAttributes(const std::string& path) override;
    bool SetFileAttributes(const std::string& path, uint32_t attributes) override;
    bool GetFileAttributesEx(const std::string& path, FileInfo* info) override;
    bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
    bool MoveFile(const std::string& from, const std::string& to) override;
    bool DeleteFile(const std::string& path) override;
    bool CreateDirectory(const std::string& path) override;
    bool RemoveDirectory(const std::string& path) override;
    Handle FindFirstFile(const std::string& pattern, FindData* data) override;
    bool FindNextFile(Handle find, FindData* data) override;
    bool FindClose(Handle find) override;
    Handle CreateFile(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition) override;
    bool ReadFile(Handle file, void* buffer, uint32_t size, uint32_t* read) override;
    bool WriteFile(Handle file, const void* buffer, uint32_t size, uint32_t* written) override;
    bool FlushFileBuffers(Handle file) override;
    bool CloseHandle(Handle handle) override;
    std::string GetCurrentDirectory() override;
    bool SetCurrentDirectory(const std::string& path) override;
    std::string GetTempPath() override;
    std::string GetModuleFileName() override;
    std::string FormatFileTime(FileTime time) override;
    std::string FileVersion(const std::string& path) override;

    Handle CreateProcess(const std::string& applicationName, const std::string& commandLine, int showCmd) override;
    uint32_t WaitForSingleObject(Handle handle, uint32_t milliseconds) override;
    void Sleep(uint32_t milliseconds) override;
    bool GetExitCodeProcess(Handle process, uint32_t* code) override;

    std::intptr_t FindExecutable(const std::string& file, const std::string& directory,
                                 std::string* result) override;
    std::intptr_t ShellExecute(WindowId owner, const std::string& operation, const std::string& file,
                               const std::string& parameters, const std::string& directory, int showCmd) override;
    bool GetSpecialFolderPath(int csidl, std::string* path) override;

    bool GetOpenFileName(OpenFileRequest* request) override;
    uint32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue, char* buffer, uint32_t size,
                                     const std::string& file) override;
    bool ReportEvent(const std::string& source, uint16_t type, const std::string& message) override;

    std::string FormatMessage(uint32_t code) override;
    std::u16string AnsiToUtf16(const std::string& text) override;
    std::string Utf16ToAnsi(const std::u16string& text) override;

    Handle CreateMutex(const std::string& name, bool* alreadyExists) override;
    bool ActivateOtherWindow(const std::string& className) override;
    bool AttachParentConsole() override;
    void WriteToConsole(const std::string& text) override;
    bool IsElevated() override;

    int32_t CreateObject(const std::string& progId, std::unique_ptr<AutomationObject>* object,
                         AutoError* error) override;

private:
    // Starts COM on this thread once; S_OK or the failure.
    int32_t EnsureApartment();

    // COM for this thread, made on the first CreateObject; every object
    // created shares it, so COM stays up until the last one is released.
    std::shared_ptr<ComApartment> apartment_;
};

}  // namespace os::win32
