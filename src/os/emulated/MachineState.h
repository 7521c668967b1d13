// The emulated machine's insides, shared by its source files.
#pragma once

#include "os/emulated/Machine.h"

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace os::emulated {

// Status codes the Api header does not name.
namespace status {
constexpr uint32_t NotSameDevice = 17;
constexpr uint32_t BadPathname = 161;
constexpr uint32_t BadExeFormat = 193;
constexpr uint32_t Directory = 267;  // "The directory name is invalid."
constexpr uint32_t KeyDeleted = 1018;
constexpr int32_t ClassString = static_cast<int32_t>(0x800401F3u);  // CO_E_CLASSSTRING
constexpr int32_t Fail = static_cast<int32_t>(0x80004005u);         // E_FAIL
}  // namespace status

// --- Registry ---

struct RegValue {
    std::string name;
    uint32_t type = RegNone;
    std::vector<uint8_t> data;
};

struct RegKey {
    std::string name;  // a root's name is its full name, e.g. HKEY_CURRENT_USER
    RegKey* parent = nullptr;
    std::vector<std::shared_ptr<RegKey>> subkeys;  // in listing order
    std::vector<RegValue> values;                  // in listing order
    bool deleted = false;
};

// One machine's registry. HKEY_CLASSES_ROOT shows HKLM\Software\Classes.
struct Registry {
    std::shared_ptr<RegKey> classesRoot, currentUser, localMachine, users;
    explicit Registry(const std::string& prefix);
    std::shared_ptr<RegKey> Root(HKey predefined) const;
};

// --- Files ---

struct FsNode {
    std::string name;  // a drive root is named "C:"
    bool isDir = false;
    uint32_t attributes = 0;  // the settable bits only
    std::string data;
    FileTime lastWrite = 0;
    FsNode* parent = nullptr;
    std::vector<std::shared_ptr<FsNode>> children;  // in listing order
    bool deletePending = false;
    bool readOnlyFolder = false;
    std::shared_ptr<Machine::Program> program;  // follows the file when copied or moved
    std::string version;                        // of its version resource; so does this
};

// A path taken apart: drive letter and components, "." and ".." resolved.
struct ParsedPath {
    char drive = 'C';
    std::vector<std::string> parts;
    bool trailingSlash = false;
};

// Where a path leads: the node if it exists, else the folder it would go in.
struct Lookup {
    uint32_t error = 0;  // 0, or why node (or parent) is missing
    std::shared_ptr<FsNode> node;
    std::shared_ptr<FsNode> parent;
    std::string leaf;
};

// --- Handles ---

struct KeyHandle {
    std::shared_ptr<RegKey> key;
};
struct FileHandle {
    std::shared_ptr<FsNode> node;
    uint32_t access = 0;
    uint32_t share = 0;
    uint64_t position = 0;
};
struct FindHandle {
    std::string pattern;
    std::vector<FindData> entries;
    size_t next = 0;
};
struct ProcessHandle {
    uint32_t exitCode = 0;
};
struct MutexHandle {
    std::string name;
};
using HandleEntry = std::variant<KeyHandle, FileHandle, FindHandle, ProcessHandle, MutexHandle>;

struct MachineData;

// What the objects handed out by CreateObject need of the machine; it
// outlives the machine, which clears `state` when it goes.
struct ForeignContext {
    int depth = 0;
    MachineData* state = nullptr;
};

// While another program runs on the machine (a started process or an
// automation server), its calls are not the program's: they are neither
// counted, observed nor failed, and they leave the program's last error and
// current folder alone.
class ForeignScope {
public:
    explicit ForeignScope(std::shared_ptr<ForeignContext> context);
    ~ForeignScope();
    ForeignScope(const ForeignScope&) = delete;
    ForeignScope& operator=(const ForeignScope&) = delete;

private:
    std::shared_ptr<ForeignContext> context_;
    uint32_t lastError_ = 0;
    ParsedPath cwd_;
    std::string cwdText_;
};

struct Fault {
    std::string method;
    int nth = 1;
    uint32_t code = 0;
    int count = 1;
    std::string pathContains;
    int seen = 0;
};

// Everything the machine holds. (Machine::State is private to the class;
// this base lets the helpers in these files name it.)
struct MachineData {
    // Registry
    Registry local{""};
    std::map<std::string, std::unique_ptr<Registry>> remotes;  // by upper-case name

    // Files
    std::map<char, std::shared_ptr<FsNode>> drives;
    ParsedPath cwd;
    std::string cwdText = "C:\\";
    std::string tempPath = "C:\\Temp\\";
    std::string modulePath = "C:\\Program Files\\Quorvex\\qvxfix.exe";
    FileTime clock = 0;
    uint64_t capacity = 0;
    // The time slept so far, and what is due at a later one.
    uint64_t slept = 0;
    std::multimap<uint64_t, std::function<void()>> timers;

    // Handles of every kind share one number space and are never reused.
    std::map<Handle, HandleEntry> handles;
    Handle nextHandle = 0x104;

    uint32_t lastError = 0;
    uint32_t ansiCodePage = 65001;

    // Processes, shell, dialogs, events, automation
    std::map<std::string, std::shared_ptr<Machine::Program>> programs;  // by upper-case full path
    std::vector<Machine::ProcessStart> processLog;
    std::map<std::string, std::string> associations;  // ".ext" lower case -> program
    std::vector<Machine::ShellCall> shellLog;
    std::map<int, std::string> specialFolders;
    std::deque<std::optional<std::string>> openFileAnswers;
    std::vector<OpenFileRequest> openFileLog;
    std::vector<Machine::Event> eventLog;
    std::map<std::string, Machine::AutomationFactory> automation;  // by lower-case ProgID

    // The session: named objects (names match exactly) with their open
    // handles, and other programs' top-level windows.
    std::map<std::string, int> namedObjects;
    struct Window {
        WindowId id = 0;
        std::string className;
        bool visible = true;
    };
    std::vector<Window> windows;
    WindowId foreground = 0;
    bool parentConsole = false;
    bool consoleAttached = false;
    std::string consoleText;
    bool elevated = false;

    // Fault injection and observation
    std::vector<Fault> faults;
    std::map<std::string, int> callCounts;
    std::function<void(const std::string&, const std::string&)> observer;
    bool inObserver = false;
    std::shared_ptr<ForeignContext> foreign = std::make_shared<ForeignContext>();

    // Counts and observes a call of the program; the status to fail it with,
    // if a fault applies. `other` is a second path that faults may match.
    std::optional<uint32_t> Enter(const char* method, const std::string& subject, const std::string& other = {});

    // Registry helpers
    std::string KeyPath(const RegKey* key) const;
    std::string KeyPathOf(HKey key) const;
    // The key behind a handle: 0, ERROR_INVALID_HANDLE or ERROR_KEY_DELETED.
    long KeyOf(HKey key, std::shared_ptr<RegKey>* out) const;
    HKey NewHandle(HandleEntry entry);

    // File helpers
    FileTime Stamp();
    uint32_t Parse(const std::string& input, ParsedPath* out) const;
    Lookup Resolve(const ParsedPath& path) const;
    // Parse and Resolve in one; Lookup::error carries a parse failure too.
    Lookup Find(const std::string& path) const;
    std::string FullPath(const FsNode* node) const;
    uint32_t AttributesOf(const FsNode* node) const;
    bool InReadOnlyFolder(const FsNode* folder) const;
    uint64_t UsedBytes() const;
    bool WouldOverflow(uint64_t oldSize, uint64_t newSize) const;
    // ERROR_SHARING_VIOLATION if an open of the node with this access and
    // sharing would clash with the handles already open on it.
    bool ShareClash(const FsNode* node, uint32_t access, uint32_t share) const;
    bool HasOpenHandles(const FsNode* node) const;
    bool AllHandlesShareDelete(const FsNode* node) const;
    std::shared_ptr<FsNode> AddChild(const std::shared_ptr<FsNode>& parent, const std::string& name, bool isDir);
    void Detach(FsNode* node);
    void Insert(const std::shared_ptr<FsNode>& parent, const std::shared_ptr<FsNode>& node);
    std::shared_ptr<FsNode> MakeFolders(const std::string& path);
    std::shared_ptr<Machine::Program> ProgramOf(const FsNode* node) const;
    bool IsCwdOrAbove(const FsNode* node) const;
    FindData EntryOf(const FsNode* node, const std::string& name) const;
};

struct Machine::State : MachineData {};

// Sets the last error and returns false: the failure form of most calls.
inline bool FailWith(MachineData& s, uint32_t code) {
    s.lastError = code;
    return false;
}

}  // namespace os::emulated
