// The simulated Word 2002/2003, 2007 (MSI, 32-bit) and 2016 or later
// (Click-to-Run, 32-bit Office on 64-bit Windows): what it loads at start-up, when it fails to
// start, what it rebuilds, how it registers its automation server and what it
// writes to its invocation log. Portable: everything goes through os::Api, so
// the same code runs on the emulated machine and inside the Windows binaries.
#pragma once

#include "os/Api.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wordsim {

enum class Version { Word2002, Word2003, Word2007, Word2016 };

// "10.0", "11.0", "12.0" or "16.0".
const char* OfficeVersion(Version version);
// "Simulated Word 2002" and so on.
const char* ProductName(Version version);
// Accepts "2002", "10", "10.0", "WD10" (and the same for the others).
std::optional<Version> ParseVersion(const std::string& text);
// Word 2007 and later: Normal.dotm, more add-in kinds and places, /safe.
bool IsNewer(Version version);
// "Normal.dot", or "Normal.dotm" for Word 2007 and later.
const char* TemplateName(Version version);
// Whether Word of this version loads a Startup file with this extension.
bool LoadsStartupFile(Version version, const std::string& extension);

// The five start-up components, in the order Word loads (and we check) them.
enum class Component { NormalDot, ComAddins, Data, Options, StartupAddins };
constexpr Component kComponents[] = {Component::NormalDot, Component::ComAddins, Component::Data,
                                     Component::Options, Component::StartupAddins};
const char* ComponentName(Component component);
// "normal", "com", "data", "options", "startup".
const char* ComponentSwitch(Component component);
std::optional<Component> ParseComponent(const std::string& text);

// Fault convention: a registry key carries a fault when it holds a value of
// this name (any type); a file carries one when its content contains this text.
constexpr char kFaultMarker[] = "WordSimFault";
// Items carrying this marker the same way stop Word only when two of them load.
constexpr char kPairFaultMarker[] = "WordSimPairFault";

// Registry keys below HKEY_CURRENT_USER.
constexpr char kComAddinsKey[] = "Software\\Microsoft\\Office\\Word\\Addins";
std::string OfficeKey(Version version);   // Software\Microsoft\Office\11.0
std::string DataKey(Version version);     // ...\11.0\Word\Data
std::string OptionsKey(Version version);  // ...\11.0\Word\Options
std::string GeneralKey(Version version);  // ...\11.0\Common\General
// Below HKEY_LOCAL_MACHINE.
std::string InstallRootKey(Version version);  // Software\Microsoft\Office\11.0\Word\InstallRoot
constexpr char kAppPathsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Winword.exe";
// Word 2007 and later, below HKEY_LOCAL_MACHINE: the Click-to-Run
// configuration and the add-in keys every user's Word loads.
constexpr char kClickToRunKey[] = "Software\\Microsoft\\Office\\ClickToRun\\Configuration";
// Where a COM add-in key of Word 2007 and later is read: the root and the
// parent key, per-user ones first.
struct AddinPlace {
    os::HKey root;
    const char* key;
};
extern const AddinPlace kNewerAddinPlaces[6];

// Files beside winword.exe.
constexpr char kWinwordName[] = "winword.exe";
constexpr char kServerName[] = "wordsim.dll";
constexpr char kConfigName[] = "wordsim.ini";
constexpr char kLogName[] = "wordsim.log";

// What the installer tells the simulated Word about itself (wordsim.ini).
struct Config {
    Version version = Version::Word2003;
    // Word's own Startup folder: used when "Startup-Path" is absent and
    // written back when the Options key is rebuilt.
    std::string startupFolder;
    uint32_t startDelayMs = 0;
    bool window = false;
    // Folders the install created, so that uninstalling leaves no empty shells.
    std::vector<std::string> createdFolders;
};
std::string FormatConfig(const Config& config);
std::optional<Config> ParseConfig(const std::string& text);
bool WriteConfig(os::Api& api, const std::string& programFolder, const Config& config);
std::optional<Config> ReadConfig(os::Api& api, const std::string& programFolder);

// --- Invocation log (wordsim.log beside winword.exe) ---
// One entry a line: kind, a tab, text. Kinds: "cmdline" (a command line
// exactly as received), "register", "unregister", "start" and "automation"
// (text "started", "safe mode" or "failed: <why>"), "quit".
struct LogEntry {
    std::string kind;
    std::string text;
};
// Not safe against a second process writing at the same moment; the Windows
// binaries hold a named mutex around it.
void AppendLog(os::Api& api, const std::string& programFolder, const std::string& kind, const std::string& text);
std::vector<LogEntry> ReadLog(os::Api& api, const std::string& programFolder);
std::vector<std::string> LoggedCommandLines(const std::vector<LogEntry>& log);

// --- Start-up ---
struct StartResult {
    bool started = false;
    // Set when a component's fault stopped the start (not when the install
    // itself is broken).
    std::optional<Component> failed;
    // Why the start failed, for the automation error's description.
    std::string description;
    // Components rebuilt with defaults by a successful start.
    std::vector<Component> rebuilt;
    uint32_t startDelayMs = 0;
    Version version = Version::Word2003;
    std::string normalDot;  // the global template the started Word holds
};

// Where Word finds what it loads: the Normal.dot candidates in order, the
// loaded COM add-ins and the Startup files (full paths).
struct LoadPlan {
    std::string userTemplates;                  // where a fresh Normal.dot goes
    std::vector<std::string> normalDotFolders;  // user, shared, program
    std::string normalDot;                      // the first one that exists; empty if none
    std::vector<std::string> comAddins;         // ProgIDs loaded at start-up
    std::vector<AddinPlace> comAddinPlaces;     // where each of them is, in step
    std::vector<std::string> startupFolders;
    std::vector<std::string> startupFiles;      // *.dot and *.wll found there
};
LoadPlan PlanLoad(os::Api& api, const std::string& programFolder, const Config& config);
// The content of the Normal.dot that a start writes when it finds none.
std::string FreshNormalDot(Version version);

// Runs the start-up of the Word installed in programFolder: fails on the first
// faulty component; on success rebuilds a missing Normal.dot, Data or Options.
// Does not write the log and does not wait out the start delay.
StartResult SimulateStart(os::Api& api, const std::string& programFolder);
// SimulateStart, logged as an automation start.
StartResult StartAutomation(os::Api& api, const std::string& programFolder);

// The failure HRESULT of a failed automation start (CO_E_SERVER_EXEC_FAILURE).
constexpr int32_t kStartFailedHresult = static_cast<int32_t>(0x80080005u);
// After Quit the object answers RPC_E_DISCONNECTED.
constexpr int32_t kDisconnectedHresult = static_cast<int32_t>(0x80010108u);
constexpr int32_t kUnknownNameHresult = static_cast<int32_t>(0x80020006u);

// --- Automation server registration ---
constexpr char kProgId[] = "Word.Application";
constexpr char kClsid[] = "{9A0331FF-ABB3-420D-8D8F-824C8EA99E27}";
// Where the classes are registered (below the root, "Software\Classes").
// Wine 8's COM looks only at HKEY_LOCAL_MACHINE\Software\Classes.
constexpr os::HKey kClassesRoot = os::HKeyLocalMachine;
constexpr char kClassesKey[] = "Software\\Classes";
bool RegisterServer(os::Api& api, const std::string& serverPath, Version version);
void UnregisterServer(os::Api& api);
bool ServerRegistered(os::Api& api);

// --- winword.exe's command line ---
struct CommandLine {
    bool registerServer = false;    // /r
    bool unregisterServer = false;  // /u
    bool safeMode = false;          // /a, or /safe for Word 2007 and later
    bool automation = false;        // /Automation or -Embedding
    std::optional<std::string> templatePath;  // /t<template>, quotes removed
};
// Skips the program's own path (quoted or not; an unquoted path may hold
// blanks) and reads the switches after it.
CommandLine ParseCommandLine(const std::string& line);

// How /r and /u reach the automation server on this machine, besides the
// registry keys (the emulated machine keeps its own table of servers).
struct Registrar {
    std::function<void()> onRegister;
    std::function<void()> onUnregister;
};
struct RunOutcome {
    uint32_t exitCode = 0;
    bool showWindow = false;  // a window for the demo (install option)
    std::string windowTitle;
};
// Everything winword.exe does with a command line, except showing a window.
RunOutcome RunCommandLine(os::Api& api, const std::string& programFolder, const std::string& line,
                          const Registrar& registrar);

}  // namespace wordsim
