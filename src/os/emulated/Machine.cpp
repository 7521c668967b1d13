// The emulated machine: set-up, fault injection, processes, shell, dialogs,
// profile files, event log, texts and automation. The registry and the file
// system are in MachineRegistry.cpp and MachineFiles.cpp.
#include "os/emulated/Machine.h"

#include "os/emulated/MachineState.h"
#include "os/emulated/Text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace os::emulated {

namespace {

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2 ? 1 : 0;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, int64_t* m, int64_t* d) {
    z += 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp + (mp < 10 ? 3 : -9);
    *y = yoe + era * 400 + (*m <= 2 ? 1 : 0);
}

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;

FileTime TicksOf(int64_t y, int64_t m, int64_t d, int64_t hour, int64_t minute) {
    int64_t seconds = DaysFromCivil(y, m, d) * 86400 + hour * 3600 + minute * 60 + kSecondsFrom1601To1970;
    return static_cast<FileTime>(seconds * kTicksPerSecond);
}

bool IsAbsolute(const std::string& path) {
    return (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

// The English texts Windows gives for the status codes the program meets.
const std::map<uint32_t, std::string>& SystemTexts() {
    static const std::map<uint32_t, std::string> texts = {
        {0, "The operation completed successfully."},
        {2, "The system cannot find the file specified."},
        {3, "The system cannot find the path specified."},
        {5, "Access is denied."},
        {6, "The handle is invalid."},
        {8, "Not enough memory resources are available to process this command."},
        {13, "The data is invalid."},
        {17, "The system cannot move the file to a different disk drive."},
        {18, "There are no more files."},
        {19, "The media is write protected."},
        {32, "The process cannot access the file because it is being used by another process."},
        {39, "The disk is full."},
        {53, "The network path was not found."},
        {80, "The file exists."},
        {87, "The parameter is incorrect."},
        {112, "There is not enough space on the disk."},
        {122, "The data area passed to a system call is too small."},
        {123, "The filename, directory name, or volume label syntax is incorrect."},
        {145, "The directory is not empty."},
        {161, "The specified path is invalid."},
        {183, "Cannot create a file when that file already exists."},
        {193, "%1 is not a valid Win32 application."},
        {234, "More data is available."},
        {259, "No more data is available."},
        {267, "The directory name is invalid."},
        {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
        {1155, "No application is associated with the specified file for this operation."},
    };
    return texts;
}

std::string TrimBlanks(const std::string& text) {
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return {};
    size_t end = text.find_last_not_of(" \t");
    return text.substr(start, end - start + 1);
}

// Matching quotes around a profile value go, as GetPrivateProfileString does.
std::string StripQuotes(const std::string& text) {
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
        return text.substr(1, text.size() - 2);
    return text;
}

// Names and values of a profile file are C strings to the system: each ends
// at its first NUL, as do the arguments of the "A" call.
std::string UpToNul(const std::string& text) { return text.substr(0, text.find('\0')); }

// The value of key in the first section of that name; nullopt when there is
// none (a key line without "=" has no value either).
std::optional<std::string> ProfileValue(std::string_view content, const std::string& section,
                                        const std::string& key) {
    if (section.empty() || key.empty()) return std::nullopt;
    if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
    enum { Before, Inside } where = Before;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = content.size();
        std::string line = TrimBlanks(std::string(content.substr(start, end - start)));
        start = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            if (where == Inside) return std::nullopt;  // only the first such section counts
            size_t close = line.find(']');
            std::string name =
                UpToNul(TrimBlanks(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
            if (text::IEquals(name, section)) where = Inside;
            continue;
        }
        if (where != Inside) continue;
        size_t equals = line.find('=');
        std::string name = UpToNul(TrimBlanks(line.substr(0, equals)));
        if (!text::IEquals(name, key)) continue;
        if (equals == std::string::npos) return std::nullopt;
        return StripQuotes(UpToNul(TrimBlanks(line.substr(equals + 1))));
    }
    return std::nullopt;
}

// An automation object whose calls run in its server, not in the program.
class ForeignObject : public AutomationObject {
public:
    ForeignObject(std::unique_ptr<AutomationObject> inner, std::shared_ptr<ForeignContext> context)
        : inner_(std::move(inner)), context_(std::move(context)) {}
    ~ForeignObject() override {
        ForeignScope scope(context_);
        inner_.reset();
    }
    int32_t GetProperty(const std::string& name, AutoValue* value, AutoError* error) override {
        ForeignScope scope(context_);
        return inner_->GetProperty(name, value, error);
    }
    int32_t CallMethod(const std::string& name, AutoError* error) override {
        ForeignScope scope(context_);
        return inner_->CallMethod(name, error);
    }

private:
    std::unique_ptr<AutomationObject> inner_;
    std::shared_ptr<ForeignContext> context_;
};

constexpr std::intptr_t kShellOk = 42;
constexpr std::intptr_t kShellFileNotFound = 2;  // SE_ERR_FNF
constexpr std::intptr_t kShellNoAssociation = 31;  // SE_ERR_NOASSOC

}  // namespace

// --- Observation and the program's own state across foreign calls ---

ForeignScope::ForeignScope(std::shared_ptr<ForeignContext> context) : context_(std::move(context)) {
    ++context_->depth;
    if (MachineData* s = context_->state) {
        lastError_ = s->lastError;
        cwd_ = s->cwd;
        cwdText_ = s->cwdText;
    }
}

ForeignScope::~ForeignScope() {
    --context_->depth;
    if (MachineData* s = context_->state) {
        s->lastError = lastError_;
        s->cwd = cwd_;
        s->cwdText = cwdText_;
    }
}

std::optional<uint32_t> MachineData::Enter(const char* method, const std::string& subject,
                                              const std::string& other) {
    if (foreign->depth > 0) return std::nullopt;
    ++callCounts[method];
    if (observer && !inObserver) {
        auto call = observer;  // the observer may replace itself
        inObserver = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{inObserver};
        call(method, subject);
    }
    std::optional<uint32_t> result;
    for (auto& fault : faults) {
        if (fault.method != method) continue;
        if (!fault.pathContains.empty() && !text::IContains(subject, fault.pathContains) &&
            !text::IContains(other, fault.pathContains))
            continue;
        ++fault.seen;
        if (!result && fault.seen >= fault.nth && fault.seen < fault.nth + fault.count) result = fault.code;
    }
    return result;
}

// --- Set-up ---

Machine::Machine() : s_(std::make_unique<State>()) {
    s_->foreign->state = s_.get();
    s_->clock = TicksOf(2024, 1, 15, 9, 30);
    AddDrive("C:");
    s_->MakeFolders("C:\\Windows\\System32");
    s_->MakeFolders(s_->tempPath);
    SetModulePath(s_->modulePath);
    // Started from its own folder, as from Explorer.
    ParsedPath folder;
    s_->Parse(s_->modulePath.substr(0, s_->modulePath.rfind('\\')), &folder);
    s_->cwd = folder;
    s_->cwdText = s_->modulePath.substr(0, s_->modulePath.rfind('\\'));
}

Machine::~Machine() { s_->foreign->state = nullptr; }

void Machine::SetModulePath(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos || !IsAbsolute(path)) throw std::invalid_argument("not a full path: " + path);
    s_->MakeFolders(path.substr(0, slash + 1));
    s_->modulePath = path;
}

void Machine::SetSpecialFolder(int csidl, const std::string& path) {
    if (path.empty()) s_->specialFolders.erase(csidl);
    else s_->specialFolders[csidl] = path;
}

void Machine::InstallProgram(const std::string& path, Program program) {
    ParsedPath parsed;
    if (s_->Parse(path, &parsed) != err::Success || parsed.parts.empty())
        throw std::invalid_argument("not a program path: " + path);
    std::string full(1, parsed.drive);
    full += ":";
    for (const auto& part : parsed.parts) full += "\\" + part;
    auto shared = std::make_shared<Program>(std::move(program));
    s_->programs[text::ToUpper(full)] = shared;
    if (Lookup found = s_->Resolve(parsed); found.node && !found.node->isDir) found.node->program = shared;
}

const std::vector<Machine::ProcessStart>& Machine::ProcessLog() const { return s_->processLog; }

void Machine::SetAssociation(const std::string& extension, const std::string& program) {
    std::string key = text::ToLower(extension);
    if (key.empty() || key[0] != '.') key.insert(0, ".");
    if (program.empty()) s_->associations.erase(key);
    else s_->associations[key] = program;
}

const std::vector<Machine::ShellCall>& Machine::ShellLog() const { return s_->shellLog; }

void Machine::QueueOpenFileAnswer(std::optional<std::string> path) { s_->openFileAnswers.push_back(std::move(path)); }

const std::vector<OpenFileRequest>& Machine::OpenFileLog() const { return s_->openFileLog; }

const std::vector<Machine::Event>& Machine::EventLog() const { return s_->eventLog; }

void Machine::RegisterAutomation(const std::string& progId, AutomationFactory factory) {
    s_->automation[text::ToLower(progId)] = std::move(factory);
}

void Machine::UnregisterAutomation(const std::string& progId) { s_->automation.erase(text::ToLower(progId)); }

void Machine::FailCall(const std::string& method, int nth, uint32_t code, int count, const std::string& pathContains) {
    if (nth < 1 || count < 1) throw std::invalid_argument("FailCall: nth and count start at 1");
    Fault fault;
    fault.method = method;
    fault.nth = nth;
    fault.code = code;
    fault.count = count;
    fault.pathContains = pathContains;
    s_->faults.push_back(std::move(fault));
}

void Machine::ClearFaults() { s_->faults.clear(); }

const std::map<std::string, int>& Machine::CallCounts() const { return s_->callCounts; }

void Machine::SetCallObserver(std::function<void(const std::string& method, const std::string& subject)> observer) {
    s_->observer = std::move(observer);
}

// --- Processes ---

namespace {

// The program file a command line names, found as CreateProcess finds it: a
// quoted first token, else each run of words up to a blank in turn
// ("C:\Program Files\x.exe" tries C:\Program.exe first); ".exe" added to a
// name without extension; a bare name searched for in the program's folder,
// the current folder and the system folders.
std::shared_ptr<FsNode> FindProgramFile(MachineData& s, const std::string& commandLine) {
    auto tryName = [&](std::string name) -> std::shared_ptr<FsNode> {
        if (name.empty()) return nullptr;
        size_t leafStart = name.find_last_of("\\/:");
        std::string leaf = leafStart == std::string::npos ? name : name.substr(leafStart + 1);
        if (leaf.find('.') == std::string::npos) name += ".exe";
        std::vector<std::string> candidates;
        if (leafStart != std::string::npos) {
            candidates.push_back(name);
        } else {
            candidates.push_back(s.modulePath.substr(0, s.modulePath.find_last_of('\\') + 1) + name);
            candidates.push_back(s.cwdText + "\\" + name);
            candidates.push_back("C:\\Windows\\System32\\" + name);
            candidates.push_back("C:\\Windows\\" + name);
        }
        for (const auto& candidate : candidates) {
            Lookup found = s.Find(candidate);
            if (found.node && !found.node->isDir) return found.node;
        }
        return nullptr;
    };
    size_t start = commandLine.find_first_not_of(" \t");
    if (start == std::string::npos) return nullptr;
    std::string line = commandLine.substr(start);
    if (line[0] == '"') {
        size_t close = line.find('"', 1);
        return tryName(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    }
    for (size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] != ' ' && line[i] != '\t') continue;
        if (auto found = tryName(line.substr(0, i))) return found;
    }
    return nullptr;
}

}  // namespace

Handle Machine::CreateProcess(const std::string& applicationName, const std::string& commandLine, int showCmd) {
    auto fail = [this](uint32_t code) -> Handle {
        s_->lastError = code;
        return 0;
    };
    if (auto fault = s_->Enter("CreateProcess", applicationName.empty() ? commandLine : applicationName))
        return fail(*fault);
    std::shared_ptr<FsNode> file;
    if (!applicationName.empty()) {
        Lookup found = s_->Find(applicationName);
        if (found.node && !found.node->isDir) file = found.node;
    } else {
        file = FindProgramFile(*s_, commandLine);
    }
    if (!file) return fail(err::FileNotFound);
    std::shared_ptr<Program> program = s_->ProgramOf(file.get());
    if (!program || !*program) return fail(status::BadExeFormat);
    s_->processLog.push_back(ProcessStart{applicationName, commandLine, showCmd});
    uint32_t exitCode = 0;
    {
        ForeignScope scope(s_->foreign);
        exitCode = (*program)(*this, commandLine.empty() ? applicationName : commandLine);
    }
    return s_->NewHandle(ProcessHandle{exitCode});
}

void Machine::After(uint32_t ms, std::function<void()> action) { s_->timers.emplace(s_->slept + ms, std::move(action)); }

void Machine::Sleep(uint32_t milliseconds) {
    (void)s_->Enter("Sleep", {});
    s_->slept += milliseconds;
    while (!s_->timers.empty() && s_->timers.begin()->first <= s_->slept) {
        std::function<void()> action = std::move(s_->timers.begin()->second);
        s_->timers.erase(s_->timers.begin());
        action();
    }
}

uint32_t Machine::WaitForSingleObject(Handle handle, uint32_t) {
    if (auto fault = s_->Enter("WaitForSingleObject", {})) {
        s_->lastError = *fault;
        return WaitFailed;
    }
    auto found = s_->handles.find(handle);
    // Processes have ended by now; files are always signalled.
    if (found != s_->handles.end() &&
        (std::holds_alternative<ProcessHandle>(found->second) || std::holds_alternative<FileHandle>(found->second)))
        return WaitObject0;
    s_->lastError = err::InvalidHandle;
    return WaitFailed;
}

bool Machine::GetExitCodeProcess(Handle process, uint32_t* code) {
    if (auto fault = s_->Enter("GetExitCodeProcess", {})) return FailWith(*s_, *fault);
    auto found = s_->handles.find(process);
    auto* entry = found == s_->handles.end() ? nullptr : std::get_if<ProcessHandle>(&found->second);
    if (entry == nullptr) return FailWith(*s_, err::InvalidHandle);
    if (code != nullptr) *code = entry->exitCode;
    return true;
}

// --- Shell ---

std::intptr_t Machine::FindExecutable(const std::string& file, const std::string& directory, std::string* result) {
    if (result != nullptr) result->clear();
    if (auto fault = s_->Enter("FindExecutable", file)) {
        s_->lastError = *fault;
        return static_cast<std::intptr_t>(*fault);
    }
    // A relative name is searched for in the folder given, as SearchPath does
    // (".exe" added to a name without extension), else taken as it stands.
    Lookup found;
    if (!IsAbsolute(file) && !directory.empty()) {
        std::string candidate = directory + "\\" + file;
        if (file.find('.', file.find_last_of("\\/") + 1) == std::string::npos) candidate += ".exe";
        found = s_->Find(candidate);
    }
    if (!found.node || found.node->isDir) found = s_->Find(file);
    if (!found.node || found.node->isDir) {
        s_->lastError = err::FileNotFound;
        return kShellFileNotFound;
    }
    size_t dot = found.node->name.rfind('.');
    if (dot == std::string::npos) return kShellNoAssociation;
    std::string extension = text::ToLower(found.node->name.substr(dot));
    static const std::vector<std::string> programs = {".exe", ".com", ".bat", ".cmd", ".pif"};
    if (std::find(programs.begin(), programs.end(), extension) != programs.end()) {
        if (result != nullptr) *result = s_->FullPath(found.node.get());
        return kShellOk;
    }
    auto association = s_->associations.find(extension);
    if (association == s_->associations.end()) return kShellNoAssociation;
    if (result != nullptr) *result = association->second;
    return kShellOk;
}

std::intptr_t Machine::ShellExecute(WindowId owner, const std::string& operation, const std::string& file,
                                    const std::string& parameters, const std::string& directory, int showCmd) {
    if (auto fault = s_->Enter("ShellExecute", file)) {
        s_->lastError = *fault;
        return static_cast<std::intptr_t>(*fault);
    }
    s_->shellLog.push_back(ShellCall{owner, operation, file, parameters, directory, showCmd});
    return kShellOk;
}

bool Machine::GetSpecialFolderPath(int csidl, std::string* path) {
    if (auto fault = s_->Enter("GetSpecialFolderPath", std::to_string(csidl))) return FailWith(*s_, *fault);
    auto found = s_->specialFolders.find(csidl);
    if (found == s_->specialFolders.end()) return false;
    if (path != nullptr) *path = found->second;
    return true;
}

// --- Dialogs, profile files, event log ---

bool Machine::GetOpenFileName(OpenFileRequest* request) {
    if (auto fault = s_->Enter("GetOpenFileName", {})) return FailWith(*s_, *fault);
    if (request == nullptr) return false;
    s_->openFileLog.push_back(*request);
    std::optional<std::string> answer;
    if (!s_->openFileAnswers.empty()) {
        answer = s_->openFileAnswers.front();
        s_->openFileAnswers.pop_front();
    }
    // The buffer comes back at its full size, as through the real dialog.
    std::string buffer = request->fileBuffer;
    buffer.resize(std::max<size_t>(buffer.size(), request->maxFile), '\0');
    bool chosen = answer.has_value() && answer->size() < request->maxFile;
    if (chosen) {
        std::copy(answer->begin(), answer->end(), buffer.begin());
        buffer[answer->size()] = '\0';
    }
    request->fileBuffer = std::move(buffer);
    return chosen;
}

uint32_t Machine::GetPrivateProfileString(const std::string& section, const std::string& key,
                                          const std::string& defaultValue, char* buffer, uint32_t size,
                                          const std::string& file) {
    if (auto fault = s_->Enter("GetPrivateProfileString", file)) {
        s_->lastError = *fault;
        if (buffer != nullptr && size > 0) buffer[0] = '\0';
        return 0;
    }
    // A bare file name lies in the Windows folder.
    Lookup found = s_->Find(IsAbsolute(file) ? file : "C:\\Windows\\" + file);
    std::optional<std::string> value;
    if (!found.node || found.node->isDir) {
        s_->lastError = err::FileNotFound;
    } else {
        s_->lastError = err::Success;
        // A file without a UTF-8 mark is in the code page.
        const std::string& data = found.node->data;
        value = data.compare(0, 3, "\xEF\xBB\xBF") == 0
                    ? ProfileValue(data, UpToNul(section), UpToNul(key))
                    : ProfileValue(text::Utf16ToUtf8(text::AnsiToUtf16(data, s_->ansiCodePage)), UpToNul(section),
                                   UpToNul(key));
    }
    // The default loses trailing blanks and surrounding quotes.
    std::string result = value ? *value : UpToNul(defaultValue);
    if (!value) {
        size_t end = result.find_last_not_of(" \t");
        result = StripQuotes(end == std::string::npos ? std::string() : result.substr(0, end + 1));
    }
    if (buffer == nullptr || size == 0) return 0;
    size_t count = std::min<size_t>(result.size(), size - 1);
    std::memcpy(buffer, result.data(), count);
    buffer[count] = '\0';
    return static_cast<uint32_t>(count);
}

bool Machine::ReportEvent(const std::string& source, uint16_t type, const std::string& message) {
    if (auto fault = s_->Enter("ReportEvent", source)) return FailWith(*s_, *fault);
    s_->eventLog.push_back(Event{source, type, message});
    return true;
}

// --- Text ---

std::string Machine::FormatFileTime(FileTime time) {
    if (auto fault = s_->Enter("FormatFileTime", {})) {
        s_->lastError = *fault;
        return {};
    }
    auto seconds = static_cast<int64_t>(time / kTicksPerSecond) - kSecondsFrom1601To1970;
    int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    int64_t ofDay = seconds - days * 86400;
    int64_t year = 0, month = 0, day = 0;
    CivilFromDays(days, &year, &month, &day);
    int64_t hour = ofDay / 3600;
    int64_t hour12 = hour % 12 == 0 ? 12 : hour % 12;
    char textOut[64];
    std::snprintf(textOut, sizeof textOut, "%lld/%lld/%lld %lld:%02lld:%02lld %s", static_cast<long long>(month),
                  static_cast<long long>(day), static_cast<long long>(year), static_cast<long long>(hour12),
                  static_cast<long long>(ofDay / 60 % 60), static_cast<long long>(ofDay % 60),
                  hour < 12 ? "AM" : "PM");
    return textOut;
}

std::string Machine::FormatMessage(uint32_t code) {
    if (auto fault = s_->Enter("FormatMessage", {})) {
        s_->lastError = *fault;
        return {};
    }
    auto found = SystemTexts().find(code);
    return found == SystemTexts().end() ? std::string() : found->second;
}

void Machine::SetAnsiCodePage(uint32_t codePage) { s_->ansiCodePage = codePage; }

std::u16string Machine::AnsiToUtf16(const std::string& textIn) {
    if (auto fault = s_->Enter("AnsiToUtf16", {})) {
        s_->lastError = *fault;
        return {};
    }
    return text::AnsiToUtf16(textIn, s_->ansiCodePage);
}

std::string Machine::Utf16ToAnsi(const std::u16string& textIn) {
    if (auto fault = s_->Enter("Utf16ToAnsi", {})) {
        s_->lastError = *fault;
        return {};
    }
    return text::Utf16ToAnsi(textIn, s_->ansiCodePage);
}

// --- The user's session ---

WindowId Machine::AddWindow(const std::string& className, bool visible) {
    WindowId id = s_->nextHandle;
    s_->nextHandle += 4;
    s_->windows.push_back({id, className, visible});
    return id;
}

WindowId Machine::ForegroundWindow() const { return s_->foreground; }

Handle Machine::CreateMutex(const std::string& name, bool* alreadyExists) {
    if (alreadyExists != nullptr) *alreadyExists = false;
    if (auto fault = s_->Enter("CreateMutex", name)) {
        s_->lastError = *fault;
        return 0;
    }
    int& opened = s_->namedObjects[name];
    if (alreadyExists != nullptr) *alreadyExists = opened > 0;
    s_->lastError = opened > 0 ? err::AlreadyExists : err::Success;
    ++opened;
    return s_->NewHandle(MutexHandle{name});
}

bool Machine::IsElevated() { return s_->elevated; }
void Machine::SetElevated(bool elevated) { s_->elevated = elevated; }

bool Machine::ActivateOtherWindow(const std::string& className) {
    if (auto fault = s_->Enter("ActivateOtherWindow", className)) return FailWith(*s_, *fault);
    for (const MachineData::Window& window : s_->windows) {
        if (window.visible && window.className == className) {
            s_->foreground = window.id;
            return true;
        }
    }
    return false;
}

// --- Automation ---

int32_t Machine::CreateObject(const std::string& progId, std::unique_ptr<AutomationObject>* object,
                              AutoError* error) {
    if (object != nullptr) object->reset();
    auto fail = [error](int32_t number, const std::string& description) {
        if (error != nullptr) {
            error->number = number;
            error->description = description;
        }
        return number;
    };
    if (auto fault = s_->Enter("CreateObject", progId)) {
        auto known = SystemTexts().find(*fault);
        return fail(static_cast<int32_t>(*fault),
                    known != SystemTexts().end() ? known->second : std::string("Automation error"));
    }
    auto found = s_->automation.find(text::ToLower(progId));
    if (found == s_->automation.end()) return fail(status::ClassString, "Invalid class string");
    AutomationFactory factory = found->second;  // the server may unregister itself
    AutoError failure;
    std::unique_ptr<AutomationObject> created;
    {
        ForeignScope scope(s_->foreign);
        created = factory(*this, &failure);
    }
    if (!created) {
        if (failure.number == 0) failure.number = status::Fail;
        if (failure.description.empty()) failure.description = "Automation error";
        return fail(failure.number, failure.description);
    }
    if (object != nullptr) *object = std::make_unique<ForeignObject>(std::move(created), s_->foreign);
    else std::make_unique<ForeignObject>(std::move(created), s_->foreign).reset();
    return 0;
}

}  // namespace os::emulated
