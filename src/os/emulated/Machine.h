// An in-memory Windows machine for native tests: registry, files, processes,
// shell, dialogs, profile files, event log and automation objects, with fault
// injection. It behaves as the real API does wherever the program relies on it;
// the contract suite runs against both and the real API is right.
#pragma once

#include "os/Api.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace os::emulated {

class Machine : public Api {
public:
    Machine();
    ~Machine() override;
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // --- Set-up and inspection for tests ---

    // The running program's own path (GetModuleFileName). Default
    // "C:\Program Files\Quorvex\qvxfix.exe"; its folder is created.
    void SetModulePath(const std::string& path);
    // The shell's special folders; an unset folder cannot be named.
    void SetSpecialFolder(int csidl, const std::string& path);
    // Drives that exist; "C:" exists from the start.
    void AddDrive(const std::string& drive);
    // Machines that RegConnectRegistry reaches (by name, any case).
    void AddRemoteMachine(const std::string& name);

    // A program that CreateProcess can start. It runs to its end inside
    // CreateProcess, on this machine, and its result is the exit code. The
    // program file must exist (create it with WriteFileText); a copy of it
    // runs the same program, and a file with no program installed fails to
    // start with ERROR_BAD_EXE_FORMAT (193).
    using Program = std::function<uint32_t(Machine&, const std::string& commandLine)>;
    void InstallProgram(const std::string& path, Program program);
    // Every process started, in order.
    struct ProcessStart {
        std::string applicationName;
        std::string commandLine;
        int showCmd = 0;
    };
    const std::vector<ProcessStart>& ProcessLog() const;

    // FindExecutable's association for an extension such as ".htm"; an empty
    // program removes it.
    void SetAssociation(const std::string& extension, const std::string& program);
    // ShellExecute calls, in order.
    struct ShellCall {
        WindowId owner = 0;
        std::string operation, file, parameters, directory;
        int showCmd = 0;
    };
    const std::vector<ShellCall>& ShellLog() const;

    // What the open-file dialog answers: a path, or nullopt for Cancel.
    void QueueOpenFileAnswer(std::optional<std::string> path);
    const std::vector<OpenFileRequest>& OpenFileLog() const;

    // Event log entries written.
    struct Event {
        std::string source;
        uint16_t type = 0;
        std::string message;
    };
    const std::vector<Event>& EventLog() const;

    // An automation server for CreateObject(progId). The factory returns the
    // object, or sets *error and returns null when creation fails.
    using AutomationFactory =
        std::function<std::unique_ptr<AutomationObject>(Machine&, AutoError* error)>;
    void RegisterAutomation(const std::string& progId, AutomationFactory factory);
    void UnregisterAutomation(const std::string& progId);

    // The system's ANSI code page: text::kCodePageUtf8 (the default) or
    // text::kCodePageWestern. It governs AnsiToUtf16 and profile files
    // without a byte order mark; the seam's own texts are UTF-8 whatever it is.
    void SetAnsiCodePage(uint32_t codePage);

    // A top-level window of another program in the user's session, which
    // ActivateOtherWindow may bring to the front; and the window that is.
    WindowId AddWindow(const std::string& className, bool visible = true);
    WindowId ForegroundWindow() const;
    // The version resource FileVersion reads from a file ("16.0"; empty: none).
    // It follows the file when copied or moved.
    void SetFileVersion(const std::string& path, const std::string& version);
    // Runs the program as an administrator would (not by default).
    void SetElevated(bool elevated);

    // The console of the program that started this one: whether there is
    // one, and what was written to it.
    void SetParentConsole(bool present);
    const std::string& ConsoleText() const;

    // Direct file access for tests (no faults, no share checks). Missing
    // parent folders are created.
    void WriteFileText(const std::string& path, const std::string& content, uint32_t attributes = AttrArchive);
    std::optional<std::string> ReadFileText(const std::string& path) const;
    void MakeFolders(const std::string& path);
    bool Exists(const std::string& path) const;
    // Every file below a folder, full paths in listing order (tests only).
    std::vector<std::string> FilesBelow(const std::string& folder) const;

    // Makes a drive or folder refuse writes (creating, writing, deleting or
    // renaming anything inside it fails with ERROR_ACCESS_DENIED).
    void SetReadOnlyFolder(const std::string& folder, bool readOnly);
    // Limits the bytes the machine's files may hold in all; writes past it
    // fail with ERROR_DISK_FULL. 0: no limit.
    void SetDiskCapacity(uint64_t bytes);
    // The clock that stamps file times: each change takes the next second
    // after it. It starts at 2024-01-15 09:30 UTC; local time is UTC.
    void SetClock(FileTime now);
    // Runs action once the program has slept ms more: time passes here only
    // while the program sleeps.
    void After(uint32_t ms, std::function<void()> action);

    // --- Fault injection ---
    // Fails the nth call (1 = the next) of the named Api method from now on
    // with the status code given; count > 1 fails that many calls in a row.
    // Method names are the Api's ("DeleteFile", "RegOpenKeyEx", ...). When
    // pathContains is not empty only calls whose path or key argument
    // contains it (case-insensitive) count.
    void FailCall(const std::string& method, int nth, uint32_t code, int count = 1,
                  const std::string& pathContains = {});
    void ClearFaults();
    // How often each Api method was called (for fault sweeps).
    const std::map<std::string, int>& CallCounts() const;
    // Called on every Api call with the method name and its first path or key
    // argument (empty where there is none); lets tests stop a run at a chosen
    // step. A key argument is the key's full name ("HKEY_CURRENT_USER\...")
    // followed by the subkey or value name; a handle stands for its file's path;
    // a special folder is its number.
    // Calls made by a started program or an automation server (they run in
    // processes of their own) are not counted, observed or failed.
    void SetCallObserver(std::function<void(const std::string& method, const std::string& subject)> observer);

    // --- Api ---
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
    struct State;
    std::unique_ptr<State> s_;
};

}  // namespace os::emulated
