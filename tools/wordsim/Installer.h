// Lays a simulated Word into a machine through os::Api: the
// Office keys, Word's registration, the program, template and Startup folders,
// Normal.dot, add-ins, COM add-in keys and the chosen faults.
#pragma once

#include "os/Api.h"
#include "wordsim/WordSim.h"

#include <cstdint>
#include <string>
#include <vector>

namespace wordsim {

struct ComAddin {
    std::string progId;
    uint32_t loadBehavior = 3;  // 3: loaded at start-up
};

struct InstallOptions {
    Version version = Version::Word2003;
    // Empty folders take the defaults: "C:\Program Files\Simulated Office\OFFICE10"
    // (OFFICE11; for 2007 "C:\Program Files (x86)\Microsoft Office\Office12",
    // for 2016 "...\Microsoft Office\root\Office16"), its sibling "Templates" as the shared templates, and the
    // Application Data folder's "Microsoft\Templates" and "Microsoft\Word\STARTUP".
    std::string programFolder;
    std::string userTemplates;
    std::string sharedTemplates;
    std::string startupFolder;
    // File names laid into the Startup folder.
    std::vector<std::string> startupAddins = {"Tools.dot", "Macros.wll"};
    std::vector<ComAddin> comAddins = {{"WordSim.Connect", 3}};
    // Word 2007 and later: add-ins every user's Word loads (below
    // HKEY_LOCAL_MACHINE, Click-to-Run's own copy for 2016) and files in
    // Word's own Startup folder beside winword.exe.
    std::vector<ComAddin> machineAddins;
    std::vector<std::string> machineStartupAddins;
    // Components that get a fault (see README.md for where each lands).
    std::vector<Component> faults;
    // The COM add-in (ProgID; also one of machineAddins) and the Startup file
    // (name) that carry the fault of their component; empty: the first one loaded.
    std::string faultyComAddin;
    std::string faultyStartupAddin;
    // COM add-ins and Startup files (as above) that stop Word only together.
    std::vector<std::string> pairFault;
    uint32_t startDelayMs = 0;
    // winword.exe shows a window when it starts (for the demo).
    bool window = false;
    // A folder holding the built winword.exe and wordsim.dll to copy; empty
    // lays placeholder files (the emulated machine runs no real binaries).
    std::string binarySource;
    bool registerServer = true;
    // Emulated machine only: the Word started by automation holds its
    // Normal.dot for this long after Quit, as a process that has not ended yet.
    uint32_t holdsNormalAfterQuitMs = 0;
};

struct InstallResult {
    bool ok = false;
    std::string error;
    Version version = Version::Word2003;
    std::string programFolder;  // no trailing backslash, as Word's Path reports it
    std::string winword;
    std::string server;
    std::string config;
    std::string log;
    std::string userTemplates;
    std::string sharedTemplates;
    std::string startupFolder;
    std::string normalDot;
    std::vector<std::string> startupAddins;  // full paths
    std::vector<std::string> comAddinKeys;   // below HKEY_CURRENT_USER
    std::vector<std::string> machineAddinKeys;  // below HKEY_LOCAL_MACHINE
    std::vector<std::string> machineStartupAddins;  // full paths
    std::vector<std::string> createdFolders; // parents first
    bool serverRegistered = false;
    uint32_t holdsNormalAfterQuitMs = 0;
};

// Works out every path without writing anything.
InstallResult PlanInstall(os::Api& api, const InstallOptions& options);
InstallResult Install(os::Api& api, const InstallOptions& options);
// Removes what the install laid down: its keys, its server registration and
// its folders, wholesale (whatever the program under test renamed in them).
void Uninstall(os::Api& api, const InstallResult& install);
// "name=value" lines, one per path, for wordsim-install.exe to print.
std::string Describe(const InstallResult& install);

}  // namespace wordsim
