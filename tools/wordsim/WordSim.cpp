#include "wordsim/WordSim.h"

#include "wordsim/SimIo.h"

#include "os/Handles.h"

#include <cstdlib>
#include <iterator>
#include <vector>

namespace wordsim {

namespace {

constexpr char kStartupValue[] = "Startup-Path";
constexpr char kProgramdirValue[] = "Programdir";
constexpr char kHkcu[] = "HKEY_CURRENT_USER\\";

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

constexpr Version kVersions[] = {Version::Word2002, Version::Word2003, Version::Word2007, Version::Word2016};

std::string VersionedProgId(Version version) {
    const std::string office = OfficeVersion(version);
    return std::string(kProgId) + "." + office.substr(0, office.find('.'));
}

bool FileHasFault(os::Api& api, const std::string& path) {
    // A file Word cannot read is not loaded, so it cannot stop the start.
    auto content = io::ReadWholeFile(api, path);
    return content && content->find(kFaultMarker) != std::string::npos;
}

bool IsFile(os::Api& api, const std::string& path) {
    const uint32_t attributes = api.GetFileAttributes(path);
    return attributes != os::InvalidFileAttributes && (attributes & os::AttrDirectory) == 0;
}

StartResult Fail(StartResult result, Component component, const std::string& what) {
    result.started = false;
    result.failed = component;
    result.description = std::string(ProductName(result.version)) + " could not start: " + what + " is faulty.";
    return result;
}

}  // namespace

const AddinPlace kNewerAddinPlaces[6] = {
    {os::HKeyCurrentUser, kComAddinsKey},
    {os::HKeyCurrentUser, "Software\\Wow6432Node\\Microsoft\\Office\\Word\\Addins"},
    {os::HKeyLocalMachine, "SOFTWARE\\Microsoft\\Office\\Word\\Addins"},
    {os::HKeyLocalMachine, "SOFTWARE\\WOW6432Node\\Microsoft\\Office\\Word\\Addins"},
    {os::HKeyLocalMachine, "SOFTWARE\\Microsoft\\Office\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Microsoft\\Office\\Word\\Addins"},
    {os::HKeyLocalMachine,
     "SOFTWARE\\Microsoft\\Office\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Wow6432Node\\Microsoft\\Office\\Word\\Addins"},
};

const char* OfficeVersion(Version version) {
    switch (version) {
        case Version::Word2002: return "10.0";
        case Version::Word2003: return "11.0";
        case Version::Word2007: return "12.0";
        case Version::Word2016: return "16.0";
    }
    return "";
}

const char* ProductName(Version version) {
    switch (version) {
        case Version::Word2002: return "Simulated Word 2002";
        case Version::Word2003: return "Simulated Word 2003";
        case Version::Word2007: return "Simulated Word 2007";
        case Version::Word2016: return "Simulated Word 2016";
    }
    return "";
}

std::optional<Version> ParseVersion(const std::string& text) {
    const std::string t = io::Lower(Trim(text));
    for (Version version : kVersions) {
        const std::string office = OfficeVersion(version);
        const std::string major = office.substr(0, office.find('.'));
        const std::string product = ProductName(version);
        if (t == product.substr(product.size() - 4) || t == major || t == office || t == "wd" + major) return version;
    }
    return std::nullopt;
}

bool IsNewer(Version version) { return version == Version::Word2007 || version == Version::Word2016; }

const char* TemplateName(Version version) { return IsNewer(version) ? "Normal.dotm" : "Normal.dot"; }

bool LoadsStartupFile(Version version, const std::string& extension) {
    const std::string e = io::Lower(extension);
    return e == "dot" || e == "wll" || (IsNewer(version) && (e == "dotm" || e == "dotx"));
}

const char* ComponentName(Component component) {
    switch (component) {
        case Component::NormalDot: return "Normal.dot";
        case Component::ComAddins: return "COM add-ins";
        case Component::Data: return "Data";
        case Component::Options: return "Options";
        case Component::StartupAddins: return "Startup add-ins";
    }
    return "";
}

const char* ComponentSwitch(Component component) {
    switch (component) {
        case Component::NormalDot: return "normal";
        case Component::ComAddins: return "com";
        case Component::Data: return "data";
        case Component::Options: return "options";
        case Component::StartupAddins: return "startup";
    }
    return "";
}

std::optional<Component> ParseComponent(const std::string& text) {
    const std::string t = io::Lower(Trim(text));
    for (Component component : kComponents) {
        if (t == ComponentSwitch(component) || t == io::Lower(ComponentName(component))) return component;
    }
    return std::nullopt;
}

std::string OfficeKey(Version version) { return std::string("Software\\Microsoft\\Office\\") + OfficeVersion(version); }
std::string DataKey(Version version) { return OfficeKey(version) + "\\Word\\Data"; }
std::string OptionsKey(Version version) { return OfficeKey(version) + "\\Word\\Options"; }
std::string GeneralKey(Version version) { return OfficeKey(version) + "\\Common\\General"; }
std::string InstallRootKey(Version version) { return OfficeKey(version) + "\\Word\\InstallRoot"; }

std::string FormatConfig(const Config& config) {
    std::string text = std::string("[WordSim]\r\n") + "Version=" + OfficeVersion(config.version) + "\r\n" +
                       "StartupFolder=" + config.startupFolder + "\r\n" +
                       "StartDelay=" + std::to_string(config.startDelayMs) + "\r\n" +
                       "Window=" + (config.window ? "1" : "0") + "\r\n";
    for (const std::string& folder : config.createdFolders) text += "Created=" + folder + "\r\n";
    return text;
}

std::optional<Config> ParseConfig(const std::string& text) {
    Config config;
    bool haveVersion = false;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        const size_t equals = line.find('=');
        if (line.empty() || line[0] == '[' || line[0] == ';' || equals == std::string::npos) continue;
        const std::string key = io::Lower(Trim(line.substr(0, equals)));
        const std::string value = Trim(line.substr(equals + 1));
        if (key == "version") {
            auto version = ParseVersion(value);
            if (!version) return std::nullopt;
            config.version = *version;
            haveVersion = true;
        } else if (key == "startupfolder") {
            config.startupFolder = value;
        } else if (key == "startdelay") {
            config.startDelayMs = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
        } else if (key == "window") {
            config.window = value == "1";
        } else if (key == "created" && !value.empty()) {
            config.createdFolders.push_back(value);
        }
    }
    if (!haveVersion) return std::nullopt;
    return config;
}

bool WriteConfig(os::Api& api, const std::string& programFolder, const Config& config) {
    return io::WriteWholeFile(api, io::Join(programFolder, kConfigName), FormatConfig(config));
}

std::optional<Config> ReadConfig(os::Api& api, const std::string& programFolder) {
    auto text = io::ReadWholeFile(api, io::Join(programFolder, kConfigName));
    if (!text) return std::nullopt;
    return ParseConfig(*text);
}

void AppendLog(os::Api& api, const std::string& programFolder, const std::string& kind, const std::string& text) {
    const std::string path = io::Join(programFolder, kLogName);
    std::string content = io::ReadWholeFile(api, path).value_or(std::string());
    std::string entry = kind + "\t" + text;
    // One entry, one line, whatever the text holds.
    for (char& c : entry) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    content += entry + "\r\n";
    // Written over the old log, which it only lengthens, rather than emptied
    // first: a test reading it meanwhile sees the older entries, not none.
    os::UniqueHandle file(api, api.CreateFile(path, os::GenericWrite, os::ShareRead, os::OpenExisting));
    uint32_t written = 0;
    if (!file) io::WriteWholeFile(api, path, content);
    else api.WriteFile(file.get(), content.data(), static_cast<uint32_t>(content.size()), &written);
}

std::vector<LogEntry> ReadLog(os::Api& api, const std::string& programFolder) {
    std::vector<LogEntry> entries;
    auto content = io::ReadWholeFile(api, io::Join(programFolder, kLogName));
    if (!content) return entries;
    size_t start = 0;
    while (start < content->size()) {
        const size_t end = content->find('\n', start);
        if (end == std::string::npos) break;  // an entry still being written
        std::string line = content->substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            entries.push_back({line, {}});
        } else {
            entries.push_back({line.substr(0, tab), line.substr(tab + 1)});
        }
    }
    return entries;
}

std::vector<std::string> LoggedCommandLines(const std::vector<LogEntry>& log) {
    std::vector<std::string> lines;
    for (const LogEntry& entry : log) {
        if (entry.kind == "cmdline") lines.push_back(entry.text);
    }
    return lines;
}

LoadPlan PlanLoad(os::Api& api, const std::string& programFolder, const Config& config) {
    LoadPlan plan;
    const std::string general = GeneralKey(config.version);
    const std::string options = OptionsKey(config.version);

    // Normal.dot: the user's templates folder first, then the shared one, then
    // the program folder; Word loads the first it finds.
    std::string user = io::ReadString(api, os::HKeyCurrentUser, general, "UserTemplates").value_or(std::string());
    if (user.empty()) {
        std::string appData;
        if (api.GetSpecialFolderPath(os::CsidlAppData, &appData) && !appData.empty()) {
            user = io::Join(appData, "Microsoft\\Templates");
        }
    }
    plan.userTemplates = io::WithoutTrailingBackslash(user);
    const std::string shared = io::ReadString(api, os::HKeyCurrentUser, general, "SharedTemplates").value_or(std::string());
    std::string program = io::ReadString(api, os::HKeyCurrentUser, options, kProgramdirValue).value_or(std::string());
    if (program.empty()) program = programFolder;
    for (const std::string& folder : {user, shared, program}) {
        const std::string trimmed = io::WithoutTrailingBackslash(folder);
        if (!trimmed.empty()) plan.normalDotFolders.push_back(trimmed);
    }
    for (const std::string& folder : plan.normalDotFolders) {
        const std::string candidate = io::Join(folder, TemplateName(config.version));
        if (IsFile(api, candidate)) {
            plan.normalDot = candidate;
            break;
        }
    }

    // COM add-ins: those whose LoadBehavior asks for a load at start-up. Word
    // 2007 and later look in more places and take 3 alone as "load at start".
    const AddinPlace older[] = {{os::HKeyCurrentUser, kComAddinsKey}};
    const bool newer = IsNewer(config.version);
    for (const AddinPlace& place : newer ? std::vector<AddinPlace>(std::begin(kNewerAddinPlaces), std::end(kNewerAddinPlaces))
                                         : std::vector<AddinPlace>(std::begin(older), std::end(older))) {
        for (const std::string& progId : io::SubKeys(api, place.root, place.key)) {
            auto behavior = io::ReadDword(api, place.root, std::string(place.key) + "\\" + progId, "LoadBehavior");
            if (behavior && (newer ? *behavior == 3u : (*behavior & 2u) != 0)) {
                plan.comAddins.push_back(progId);
                plan.comAddinPlaces.push_back(place);
            }
        }
    }

    // Startup folders: the user's (Startup-Path, else Word's default) and the
    // one in the program folder. Only *.dot and *.wll files load; the
    // renamed-aside .wbt/.wbl do not.
    std::string startup = io::ReadString(api, os::HKeyCurrentUser, options, kStartupValue).value_or(std::string());
    if (startup.empty()) startup = config.startupFolder;
    for (const std::string& folder : {startup, io::Join(programFolder, "STARTUP")}) {
        const std::string trimmed = io::WithoutTrailingBackslash(folder);
        if (trimmed.empty()) continue;
        bool seen = false;
        for (const std::string& known : plan.startupFolders) seen = seen || io::Lower(known) == io::Lower(trimmed);
        if (!seen) plan.startupFolders.push_back(trimmed);
    }
    for (const std::string& folder : plan.startupFolders) {
        for (const std::string& name : io::FilesIn(api, folder)) {
            if (LoadsStartupFile(config.version, io::Extension(name))) plan.startupFiles.push_back(io::Join(folder, name));
        }
    }
    return plan;
}

std::string FreshNormalDot(Version version) {
    return std::string("WordSim ") + TemplateName(version) + "\r\nFresh global template written by " + ProductName(version) +
           " at start-up.\r\n";
}

StartResult SimulateStart(os::Api& api, const std::string& programFolder) {
    StartResult result;
    auto config = ReadConfig(api, programFolder);
    if (!config) {
        result.description = "The simulated Word in " + programFolder + " is not installed (" + kConfigName +
                             " is missing or unreadable).";
        return result;
    }
    result.version = config->version;
    result.startDelayMs = config->startDelayMs;
    const Version version = config->version;
    const LoadPlan plan = PlanLoad(api, programFolder, *config);

    if (!plan.normalDot.empty() && FileHasFault(api, plan.normalDot)) {
        return Fail(result, Component::NormalDot, "the global template " + plan.normalDot);
    }
    for (size_t i = 0; i < plan.comAddins.size(); ++i) {
        const AddinPlace& place = plan.comAddinPlaces[i];
        const std::string key = std::string(place.key) + "\\" + plan.comAddins[i];
        if (io::ValueExists(api, place.root, key, kFaultMarker)) {
            // Word 2007 and later stop loading an add-in of the user's that
            // failed; the user's Word cannot write where all users' are.
            if (IsNewer(version) && place.root == os::HKeyCurrentUser)
                io::WriteDword(api, place.root, key, "LoadBehavior", 2);
            return Fail(result, Component::ComAddins, "the COM add-in " + plan.comAddins[i]);
        }
    }
    if (io::ValueExists(api, os::HKeyCurrentUser, DataKey(version), kFaultMarker)) {
        return Fail(result, Component::Data, std::string("the Data key ") + kHkcu + DataKey(version));
    }
    if (io::ValueExists(api, os::HKeyCurrentUser, OptionsKey(version), kFaultMarker)) {
        return Fail(result, Component::Options, std::string("the Options key ") + kHkcu + OptionsKey(version));
    }
    for (const std::string& file : plan.startupFiles) {
        if (FileHasFault(api, file)) return Fail(result, Component::StartupAddins, "the Startup add-in " + file);
    }
    std::vector<std::string> pair;
    for (size_t i = 0; i < plan.comAddins.size(); ++i) {
        const AddinPlace& place = plan.comAddinPlaces[i];
        if (io::ValueExists(api, place.root, std::string(place.key) + "\\" + plan.comAddins[i], kPairFaultMarker))
            pair.push_back(plan.comAddins[i]);
    }
    const size_t comInPair = pair.size();
    for (const std::string& file : plan.startupFiles) {
        auto content = io::ReadWholeFile(api, file);
        if (content && content->find(kPairFaultMarker) != std::string::npos) pair.push_back(file);
    }
    if (pair.size() >= 2) {
        return Fail(result, pair.size() > comInPair ? Component::StartupAddins : Component::ComAddins,
                    "the add-ins " + pair[0] + " and " + pair[1] + " together");
    }

    result.started = true;
    result.normalDot = plan.normalDot;
    // Word rebuilds from its defaults what it did not find.
    if (plan.normalDot.empty() && !plan.userTemplates.empty() && io::MakeFolders(api, plan.userTemplates) &&
        io::WriteWholeFile(api, io::Join(plan.userTemplates, TemplateName(version)), FreshNormalDot(version))) {
        result.rebuilt.push_back(Component::NormalDot);
        result.normalDot = io::Join(plan.userTemplates, TemplateName(version));
    }
    if (!io::KeyExists(api, os::HKeyCurrentUser, DataKey(version)) &&
        io::WriteBinary(api, os::HKeyCurrentUser, DataKey(version), "Settings",
                        {0x57, 0x53, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00})) {
        result.rebuilt.push_back(Component::Data);
    }
    if (!io::KeyExists(api, os::HKeyCurrentUser, OptionsKey(version))) {
        bool ok = io::CreateKey(api, os::HKeyCurrentUser, OptionsKey(version));
        if (!config->startupFolder.empty()) {
            ok = io::WriteString(api, os::HKeyCurrentUser, OptionsKey(version), kStartupValue,
                                 io::WithoutTrailingBackslash(config->startupFolder)) && ok;
        }
        ok = io::WriteString(api, os::HKeyCurrentUser, OptionsKey(version), kProgramdirValue,
                             io::WithoutTrailingBackslash(programFolder) + "\\") && ok;
        if (ok) result.rebuilt.push_back(Component::Options);
    }
    return result;
}

StartResult StartAutomation(os::Api& api, const std::string& programFolder) {
    StartResult result = SimulateStart(api, programFolder);
    AppendLog(api, programFolder, "automation", result.started ? "started" : "failed: " + result.description);
    return result;
}

bool RegisterServer(os::Api& api, const std::string& serverPath, Version version) {
    const std::string classes = kClassesKey;
    const std::string clsidKey = classes + "\\CLSID\\" + kClsid;
    const std::string versioned = VersionedProgId(version);
    bool ok = io::WriteString(api, kClassesRoot, classes + "\\" + kProgId, "", ProductName(version));
    ok = io::WriteString(api, kClassesRoot, classes + "\\" + kProgId + "\\CLSID", "", kClsid) && ok;
    ok = io::WriteString(api, kClassesRoot, classes + "\\" + kProgId + "\\CurVer", "", versioned) && ok;
    ok = io::WriteString(api, kClassesRoot, classes + "\\" + versioned, "", ProductName(version)) && ok;
    ok = io::WriteString(api, kClassesRoot, classes + "\\" + versioned + "\\CLSID", "", kClsid) && ok;
    ok = io::WriteString(api, kClassesRoot, clsidKey, "", ProductName(version)) && ok;
    ok = io::WriteString(api, kClassesRoot, clsidKey + "\\InprocServer32", "", serverPath) && ok;
    ok = io::WriteString(api, kClassesRoot, clsidKey + "\\InprocServer32", "ThreadingModel", "Both") && ok;
    ok = io::WriteString(api, kClassesRoot, clsidKey + "\\ProgID", "", versioned) && ok;
    ok = io::WriteString(api, kClassesRoot, clsidKey + "\\VersionIndependentProgID", "", kProgId) && ok;
    return ok;
}

void UnregisterServer(os::Api& api) {
    const std::string classes = kClassesKey;
    io::DeleteKeyTree(api, kClassesRoot, classes + "\\" + kProgId);
    for (Version version : kVersions) io::DeleteKeyTree(api, kClassesRoot, classes + "\\" + VersionedProgId(version));
    io::DeleteKeyTree(api, kClassesRoot, classes + "\\CLSID\\" + kClsid);
}

bool ServerRegistered(os::Api& api) {
    const std::string classes = kClassesKey;
    return io::ReadString(api, kClassesRoot, classes + "\\" + kProgId + "\\CLSID", "").value_or("") == kClsid &&
           io::KeyExists(api, kClassesRoot, classes + "\\CLSID\\" + kClsid + "\\InprocServer32");
}

CommandLine ParseCommandLine(const std::string& line) {
    CommandLine result;
    size_t pos = line.find_first_not_of(' ');
    if (pos == std::string::npos) return result;
    if (line[pos] == '"') {
        const size_t close = line.find('"', pos + 1);
        pos = close == std::string::npos ? line.size() : close + 1;
    } else {
        // The program's path is not quoted and may hold blanks: it ends at the
        // ".exe" followed by a blank, or else before the first switch.
        const std::string lower = io::Lower(line);
        size_t exe = lower.find(".exe ", pos);
        if (exe == std::string::npos && lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".exe") == 0) {
            exe = lower.size() - 4;
        }
        if (exe != std::string::npos) {
            pos = exe + 4;
        } else {
            const size_t slash = line.find(" /", pos);
            pos = slash == std::string::npos ? line.size() : slash;
        }
    }
    while (pos < line.size()) {
        pos = line.find_first_not_of(' ', pos);
        if (pos == std::string::npos) break;
        std::string token;
        bool quoted = false;
        for (; pos < line.size() && (quoted || line[pos] != ' '); ++pos) {
            if (line[pos] == '"') {
                quoted = !quoted;
            } else {
                token += line[pos];
            }
        }
        if (token.size() < 2 || (token[0] != '/' && token[0] != '-')) continue;
        const std::string name = io::Lower(token.substr(1));
        if (name == "r") {
            result.registerServer = true;
        } else if (name == "u") {
            result.unregisterServer = true;
        } else if (name == "a" || name == "safe") {
            result.safeMode = true;
        } else if (name == "automation" || name == "embedding") {
            result.automation = true;
        } else if (name[0] == 't') {
            result.templatePath = token.substr(2);
        }
    }
    return result;
}

RunOutcome RunCommandLine(os::Api& api, const std::string& programFolder, const std::string& line,
                          const Registrar& registrar) {
    RunOutcome outcome;
    AppendLog(api, programFolder, "cmdline", line);
    const CommandLine command = ParseCommandLine(line);
    auto config = ReadConfig(api, programFolder);
    if (!config) {
        AppendLog(api, programFolder, "start", "failed: not installed");
        outcome.exitCode = 3;
        return outcome;
    }
    if (command.unregisterServer) {
        UnregisterServer(api);
        if (registrar.onUnregister) registrar.onUnregister();
        AppendLog(api, programFolder, "unregister", "");
    }
    if (command.registerServer) {
        const bool ok = RegisterServer(api, io::Join(programFolder, kServerName), config->version);
        if (ok && registrar.onRegister) registrar.onRegister();
        AppendLog(api, programFolder, "register", ok ? "" : "failed");
        if (!ok) outcome.exitCode = 2;
    }
    // Registration and a start by the automation runtime show nothing.
    if (command.registerServer || command.unregisterServer || command.automation) return outcome;

    std::string title = std::string("Document1 - ") + ProductName(config->version);
    if (command.safeMode) {
        // Safe mode loads none of the five components, so it always starts.
        AppendLog(api, programFolder, "start",
                  "safe mode" + (command.templatePath ? " with template " + *command.templatePath : std::string()));
        title += " (Safe Mode)";
    } else {
        const StartResult result = SimulateStart(api, programFolder);
        AppendLog(api, programFolder, "start", result.started ? "started" : "failed: " + result.description);
        if (!result.started) {
            outcome.exitCode = 1;
            return outcome;
        }
    }
    outcome.showWindow = config->window;
    outcome.windowTitle = title;
    return outcome;
}

}  // namespace wordsim
