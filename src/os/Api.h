// The one seam between the program and the operating system.
//
// Every method mirrors a Win32 primitive closely enough that the program's
// logic (buffer sizes, status codes, non-recursive deletes) behaves the same
// against the real API (os/win32) and the emulated machine (os/emulated).
// Texts are UTF-8 whatever the system's code page, so that names and data
// outside it come through byte for byte; sizes and buffers follow the "A"
// functions on a UTF-8 code page (a registry text's size is its UTF-8 bytes).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace os {

// Win32 status codes, so both implementations report the same numbers.
namespace err {
constexpr uint32_t Success = 0;
constexpr uint32_t FileNotFound = 2;
constexpr uint32_t PathNotFound = 3;
constexpr uint32_t AccessDenied = 5;
constexpr uint32_t InvalidHandle = 6;
constexpr uint32_t NotEnoughMemory = 8;
constexpr uint32_t InvalidData = 13;
constexpr uint32_t WriteProtect = 19;
constexpr uint32_t SharingViolation = 32;
constexpr uint32_t HandleDiskFull = 39;
constexpr uint32_t FileExists = 80;
constexpr uint32_t InvalidParameter = 87;
constexpr uint32_t DiskFull = 112;
constexpr uint32_t InsufficientBuffer = 122;
constexpr uint32_t InvalidName = 123;
constexpr uint32_t DirNotEmpty = 145;
constexpr uint32_t AlreadyExists = 183;
constexpr uint32_t MoreData = 234;
constexpr uint32_t NoMoreItems = 259;
constexpr uint32_t NoMoreFiles = 18;
constexpr uint32_t BadNetPath = 53;
constexpr uint32_t NoAssociation = 1155;
constexpr uint32_t InternalError = 1359;
}  // namespace err

// A registry key handle value; the predefined roots are fixed values.
using HKey = std::uintptr_t;
constexpr HKey HKeyClassesRoot = 0x80000000u;
constexpr HKey HKeyCurrentUser = 0x80000001u;
constexpr HKey HKeyLocalMachine = 0x80000002u;
constexpr HKey HKeyUsers = 0x80000003u;

// Registry value types.
constexpr uint32_t RegNone = 0;
constexpr uint32_t RegSz = 1;
constexpr uint32_t RegExpandSz = 2;
constexpr uint32_t RegBinary = 3;
constexpr uint32_t RegDword = 4;
constexpr uint32_t RegDwordBigEndian = 5;
constexpr uint32_t RegLink = 6;
constexpr uint32_t RegMultiSz = 7;
constexpr uint32_t RegQword = 11;

constexpr uint32_t KeyAllAccess = 0xF003F;
constexpr uint32_t KeyRead = 0x20019;
constexpr uint32_t KeySetValue = 0x0002;

// File attributes.
constexpr uint32_t AttrReadOnly = 0x1;
constexpr uint32_t AttrHidden = 0x2;
constexpr uint32_t AttrSystem = 0x4;
constexpr uint32_t AttrDirectory = 0x10;
constexpr uint32_t AttrArchive = 0x20;
constexpr uint32_t AttrNormal = 0x80;
constexpr uint32_t InvalidFileAttributes = 0xFFFFFFFFu;

// CreateFile access, sharing and disposition.
constexpr uint32_t GenericRead = 0x80000000u;
constexpr uint32_t GenericWrite = 0x40000000u;
constexpr uint32_t ShareRead = 0x1;
constexpr uint32_t ShareWrite = 0x2;
constexpr uint32_t ShareDelete = 0x4;
constexpr uint32_t CreateNew = 1;
constexpr uint32_t CreateAlways = 2;
constexpr uint32_t OpenExisting = 3;

// ShowWindow commands used for started programs.
constexpr int SwHide = 0;
constexpr int SwShowNormal = 1;
constexpr int SwShowMinimized = 2;

// WaitForSingleObject results.
constexpr uint32_t WaitObject0 = 0;
constexpr uint32_t WaitTimeout = 258;
constexpr uint32_t WaitFailed = 0xFFFFFFFFu;

// Shell special folders (CSIDL).
constexpr int CsidlAppData = 26;
constexpr int CsidlLocalAppData = 28;
constexpr int CsidlPersonal = 5;

// Event log entry types.
constexpr uint16_t EventlogError = 1;
constexpr uint16_t EventlogWarning = 2;
constexpr uint16_t EventlogInformation = 4;

// File, find and process handles share one opaque type; 0 is "none".
using Handle = std::uintptr_t;
// A top-level window, as the form host knows it; 0 is "no owner".
using WindowId = std::uintptr_t;

// FILETIME as one number: 100 ns ticks since 1601-01-01 UTC.
using FileTime = uint64_t;

struct FindData {
    uint32_t attributes = 0;
    uint64_t size = 0;
    FileTime lastWrite = 0;
    std::string name;
};

struct FileInfo {
    uint32_t attributes = 0;
    uint64_t size = 0;
    FileTime lastWrite = 0;
};

// The fields of OPENFILENAME that the program sets; every other field is 0.
struct OpenFileRequest {
    uint32_t structSize = 0;
    WindowId owner = 0;
    std::string filter;      // pairs separated by NULs, ending in a NUL
    std::string fileBuffer;  // in: initial text; out: the chosen path, NUL-terminated
    uint32_t maxFile = 0;
    std::string title;
    uint32_t flags = 0;
    std::string defExt;
};

// A value crossing the automation boundary.
using AutoValue = std::variant<std::monostate, bool, int32_t, std::string>;

// A failure of an automation call: the HRESULT (or the runtime's error number)
// and its description.
struct AutoError {
    int32_t number = 0;
    std::string description;
};

// An automation object (IDispatch) as the program uses it: named members,
// called late-bound. Calls return 0 (S_OK) or a failure HRESULT.
class AutomationObject {
public:
    virtual ~AutomationObject() = default;
    virtual int32_t GetProperty(const std::string& name, AutoValue* value, AutoError* error) = 0;
    virtual int32_t CallMethod(const std::string& name, AutoError* error) = 0;
};

class Api {
public:
    virtual ~Api() = default;

    // --- Registry (advapi32). Results are Win32 status codes. ---
    virtual long RegConnectRegistry(const std::string& machine, HKey root, HKey* result) = 0;
    virtual long RegOpenKeyEx(HKey key, const std::string& subKey, uint32_t access, HKey* result) = 0;
    // Creates every missing key along subKey. *disposition: 1 created, 2 opened.
    virtual long RegCreateKeyEx(HKey key, const std::string& subKey, uint32_t access, HKey* result,
                                uint32_t* disposition) = 0;
    virtual long RegCloseKey(HKey key) = 0;
    // data may be null to ask for the type and size only. On ERROR_MORE_DATA
    // *size holds the size needed.
    virtual long RegQueryValueEx(HKey key, const std::string& name, uint32_t* type, uint8_t* data,
                                 uint32_t* size) = 0;
    virtual long RegSetValueEx(HKey key, const std::string& name, uint32_t type, const uint8_t* data,
                               uint32_t size) = 0;
    virtual long RegDeleteValue(HKey key, const std::string& name) = 0;
    // Not recursive: a key that still has subkeys is refused.
    virtual long RegDeleteKey(HKey key, const std::string& subKey) = 0;
    // *nameChars: in, the buffer's size in characters; out, the name's length.
    virtual long RegEnumKeyEx(HKey key, uint32_t index, char* name, uint32_t* nameChars) = 0;
    // type, data and size may be null.
    virtual long RegEnumValue(HKey key, uint32_t index, char* name, uint32_t* nameChars, uint32_t* type,
                              uint8_t* data, uint32_t* size) = 0;
    virtual long RegQueryInfoKey(HKey key, uint32_t* subKeys, uint32_t* maxSubKeyLen, uint32_t* values,
                                 uint32_t* maxValueNameLen, uint32_t* maxValueLen) = 0;

    // --- Files (kernel32, shlwapi). Failures set LastError. ---
    virtual uint32_t GetLastError() = 0;
    virtual void SetLastError(uint32_t code) = 0;
    virtual bool PathFileExists(const std::string& path) = 0;
    virtual uint32_t GetFileAttributes(const std::string& path) = 0;
    virtual bool SetFileAttributes(const std::string& path, uint32_t attributes) = 0;
    virtual bool GetFileAttributesEx(const std::string& path, FileInfo* info) = 0;
    virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
    // Renames a file or folder; fails when the target exists.
    virtual bool MoveFile(const std::string& from, const std::string& to) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    virtual bool CreateDirectory(const std::string& path) = 0;
    virtual bool RemoveDirectory(const std::string& path) = 0;
    // Returns 0 on failure (INVALID_HANDLE_VALUE is mapped to 0).
    virtual Handle FindFirstFile(const std::string& pattern, FindData* data) = 0;
    virtual bool FindNextFile(Handle find, FindData* data) = 0;
    virtual bool FindClose(Handle find) = 0;
    // Returns 0 on failure.
    virtual Handle CreateFile(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition) = 0;
    virtual bool ReadFile(Handle file, void* buffer, uint32_t size, uint32_t* read) = 0;
    virtual bool WriteFile(Handle file, const void* buffer, uint32_t size, uint32_t* written) = 0;
    virtual bool FlushFileBuffers(Handle file) = 0;
    virtual bool CloseHandle(Handle handle) = 0;
    virtual std::string GetCurrentDirectory() = 0;
    virtual bool SetCurrentDirectory(const std::string& path) = 0;
    // The user's temporary folder, with a trailing backslash.
    virtual std::string GetTempPath() = 0;
    // The full path of the running executable.
    virtual std::string GetModuleFileName() = 0;
    // Local time of a file time, formatted in the user's general date format.
    virtual std::string FormatFileTime(FileTime time) = 0;
    // "major.minor" of a program's version resource ("16.0"); empty when the
    // file has none or cannot be read.
    virtual std::string FileVersion(const std::string& path) = 0;

    // --- Processes ---
    // applicationName: the program to run, given apart from the command line
    // (may be empty: then the first token of commandLine names it).
    // Returns the process handle, 0 on failure.
    virtual Handle CreateProcess(const std::string& applicationName, const std::string& commandLine,
                                 int showCmd) = 0;
    virtual uint32_t WaitForSingleObject(Handle handle, uint32_t milliseconds) = 0;
    virtual bool GetExitCodeProcess(Handle process, uint32_t* code) = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;

    // --- Shell (shell32) ---
    // Codes above 32 mean success; *result receives the program's path.
    virtual std::intptr_t FindExecutable(const std::string& file, const std::string& directory,
                                         std::string* result) = 0;
    virtual std::intptr_t ShellExecute(WindowId owner, const std::string& operation, const std::string& file,
                                       const std::string& parameters, const std::string& directory,
                                       int showCmd) = 0;
    // The path of a special folder (a CSIDL number); false when the shell
    // cannot name the folder.
    virtual bool GetSpecialFolderPath(int csidl, std::string* path) = 0;

    // --- Common dialogs, profile files, event log ---
    virtual bool GetOpenFileName(OpenFileRequest* request) = 0;
    // Returns the count of bytes copied, as GetPrivateProfileStringA.
    virtual uint32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                             const std::string& defaultValue, char* buffer, uint32_t size,
                                             const std::string& file) = 0;
    virtual bool ReportEvent(const std::string& source, uint16_t type, const std::string& message) = 0;

    // --- Text ---
    // The system's description of a status code, without a trailing line break.
    virtual std::string FormatMessage(uint32_t code) = 0;
    // The system's ANSI code page, for texts that really are in it (files of
    // the registry editor's version 4); the seam's own texts are UTF-8.
    virtual std::u16string AnsiToUtf16(const std::string& text) = 0;
    virtual std::string Utf16ToAnsi(const std::u16string& text) = 0;

    // --- The user's session ---
    // A named mutex, not owned (CreateMutex(nullptr, FALSE, name)); a name
    // starting with "Local\" is shared by every process of the session.
    // *alreadyExists: whether it existed before. Returns 0 on failure; close
    // it with CloseHandle.
    virtual Handle CreateMutex(const std::string& name, bool* alreadyExists) = 0;
    // Brings to the front a visible top-level window of this class that
    // belongs to another process: the popup its owner last made active,
    // restored when minimised. False when there is none.
    virtual bool ActivateOtherWindow(const std::string& className) = 0;
    // AttachConsole(ATTACH_PARENT_PROCESS): the console of the program that
    // started this one, if it has one. False when there is none.
    virtual bool AttachParentConsole() = 0;
    // Writes text to the standard output the program was given, else to the
    // attached console; nothing without either.
    virtual void WriteToConsole(const std::string& text) = 0;
    // Whether the program runs with an administrator's full rights (its
    // token is elevated): only then is what all users share changed.
    virtual bool IsElevated() = 0;

    // --- Automation (ole32/oleaut32) ---
    // CreateObject(progId). Returns 0 (S_OK) or a failure HRESULT.
    virtual int32_t CreateObject(const std::string& progId, std::unique_ptr<AutomationObject>* object,
                                 AutoError* error) = 0;
};

}  // namespace os
