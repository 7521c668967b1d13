#include "wordsim/Installer.h"

#include "wordsim/SimIo.h"

#include <algorithm>

namespace wordsim {

namespace {

bool HasFault(const InstallOptions& options, Component component) {
    return std::find(options.faults.begin(), options.faults.end(), component) != options.faults.end();
}

// 32-bit Office on 64-bit Windows.
constexpr char kOffice32[] = "C:\\Program Files (x86)\\Microsoft Office";

// Where Word 2007 and later keep the add-ins every user's Word loads.
std::string MachineAddinsKey(Version version) {
    return version == Version::Word2016 ? kNewerAddinPlaces[5].key : kNewerAddinPlaces[3].key;
}

// The InstallRoot of a 32-bit Word 2007 lies in the 32-bit view.
std::string RegisteredInstallRoot(Version version) {
    return version == Version::Word2007 ? "SOFTWARE\\WOW6432Node\\Microsoft\\Office\\12.0\\Word\\InstallRoot"
                                        : InstallRootKey(version);
}

std::string FileText(const std::string& title, bool faulty, bool inPair = false) {
    std::string text = "WordSim " + title + "\r\nLaid down by the simulated Word's installer.\r\n";
    if (faulty) text += std::string(kFaultMarker) + "\r\n";
    if (inPair) text += std::string(kPairFaultMarker) + "\r\n";
    return text;
}

// "winword16.exe" for 16.0.
std::string BuiltWinword(Version version) {
    const std::string office = OfficeVersion(version);
    return "winword" + office.substr(0, office.find('.')) + ".exe";
}

bool InPair(const InstallOptions& options, const std::string& name) {
    return std::find(options.pairFault.begin(), options.pairFault.end(), name) != options.pairFault.end();
}

}  // namespace

InstallResult PlanInstall(os::Api& api, const InstallOptions& options) {
    InstallResult plan;
    plan.version = options.version;
    const bool word2002 = options.version == Version::Word2002;

    std::string appData;
    const bool needAppData = options.userTemplates.empty() || options.startupFolder.empty();
    if (needAppData && (!api.GetSpecialFolderPath(os::CsidlAppData, &appData) || appData.empty())) {
        plan.error = "The Application Data folder cannot be named; give the template and Startup folders.";
        return plan;
    }

    plan.programFolder = io::WithoutTrailingBackslash(options.programFolder);
    if (plan.programFolder.empty()) {
        plan.programFolder = options.version == Version::Word2007   ? std::string(kOffice32) + "\\Office12"
                             : options.version == Version::Word2016 ? std::string(kOffice32) + "\\root\\Office16"
                                                                    : std::string("C:\\Program Files\\Simulated Office\\") +
                                                                          (word2002 ? "OFFICE10" : "OFFICE11");
    }
    plan.userTemplates = io::WithoutTrailingBackslash(options.userTemplates);
    if (plan.userTemplates.empty()) plan.userTemplates = io::Join(appData, "Microsoft\\Templates");
    plan.sharedTemplates = io::WithoutTrailingBackslash(options.sharedTemplates);
    if (plan.sharedTemplates.empty()) plan.sharedTemplates = io::Join(io::FolderOf(plan.programFolder), "Templates");
    plan.startupFolder = io::WithoutTrailingBackslash(options.startupFolder);
    if (plan.startupFolder.empty()) plan.startupFolder = io::Join(appData, "Microsoft\\Word\\STARTUP");

    plan.winword = io::Join(plan.programFolder, kWinwordName);
    plan.server = io::Join(plan.programFolder, kServerName);
    plan.config = io::Join(plan.programFolder, kConfigName);
    plan.log = io::Join(plan.programFolder, kLogName);
    plan.normalDot = io::Join(plan.userTemplates, TemplateName(options.version));

    for (const std::string& name : options.startupAddins) plan.startupAddins.push_back(io::Join(plan.startupFolder, name));
    for (const ComAddin& addin : options.comAddins) {
        plan.comAddinKeys.push_back(std::string(kComAddinsKey) + "\\" + addin.progId);
    }
    if (IsNewer(options.version)) {
        for (const ComAddin& addin : options.machineAddins)
            plan.machineAddinKeys.push_back(MachineAddinsKey(options.version) + "\\" + addin.progId);
        for (const std::string& name : options.machineStartupAddins)
            plan.machineStartupAddins.push_back(io::Join(plan.programFolder, "STARTUP\\" + name));
    }
    // A fault needs something loaded to carry it.
    if (HasFault(options, Component::ComAddins) &&
        std::none_of(options.comAddins.begin(), options.comAddins.end(),
                     [](const ComAddin& addin) { return (addin.loadBehavior & 2u) != 0; })) {
        plan.comAddinKeys.push_back(std::string(kComAddinsKey) + "\\WordSim.FaultyAddin");
    }
    if (HasFault(options, Component::StartupAddins) &&
        std::none_of(plan.startupAddins.begin(), plan.startupAddins.end(), [&](const std::string& path) {
            return LoadsStartupFile(options.version, io::Extension(path));
        })) {
        plan.startupAddins.push_back(io::Join(plan.startupFolder, "Faulty.dot"));
    }
    plan.ok = true;
    return plan;
}

InstallResult Install(os::Api& api, const InstallOptions& options) {
    InstallResult result = PlanInstall(api, options);
    result.holdsNormalAfterQuitMs = options.holdsNormalAfterQuitMs;
    if (!result.ok) return result;
    result.ok = false;
    const Version version = options.version;
    const os::HKey hkcu = os::HKeyCurrentUser;
    const os::HKey hklm = os::HKeyLocalMachine;
    auto fail = [&result](const std::string& what) {
        result.error = "Could not " + what + ".";
        return result;
    };

    // Folders and program files.
    for (const std::string* folder :
         {&result.programFolder, &result.userTemplates, &result.sharedTemplates, &result.startupFolder}) {
        if (!io::MakeFolders(api, *folder, &result.createdFolders)) return fail("create the folder " + *folder);
    }
    for (const char* name : {kWinwordName, kServerName}) {
        const std::string target = io::Join(result.programFolder, name);
        // The build has one winword.exe per version, its version in its resource.
        const std::string built = name == kWinwordName ? BuiltWinword(version) : name;
        bool ok = options.binarySource.empty()
                      ? io::WriteWholeFile(api, target, std::string("Simulated ") + name + "\r\n")
                      : api.CopyFile(io::Join(options.binarySource, built), target, false);
        // A server still loaded from an earlier install cannot be replaced;
        // the same binary may stay.
        if (!ok && !options.binarySource.empty()) {
            const auto source = io::ReadWholeFile(api, io::Join(options.binarySource, built));
            ok = source && source == io::ReadWholeFile(api, target);
        }
        if (!ok) return fail("lay down " + target);
    }
    Config config;
    config.version = version;
    config.startupFolder = result.startupFolder;
    config.startDelayMs = options.startDelayMs;
    config.window = options.window;
    config.createdFolders = result.createdFolders;
    if (!WriteConfig(api, result.programFolder, config)) return fail("write " + result.config);
    // Each install starts with an empty log.
    if (!io::WriteWholeFile(api, result.log, "")) return fail("write " + result.log);

    // Templates and add-ins; each fault goes to the first thing Word loads.
    if (!io::WriteWholeFile(api, result.normalDot, FileText("Normal.dot", HasFault(options, Component::NormalDot)))) {
        return fail("write " + result.normalDot);
    }
    bool startupFaultPlaced = false;
    for (const std::string& path : result.machineStartupAddins) {
        if (!io::MakeFolders(api, io::FolderOf(path), &result.createdFolders) ||
            !io::WriteWholeFile(api, path, FileText(path.substr(path.find_last_of('\\') + 1), false))) {
            return fail("write " + path);
        }
    }
    for (const std::string& path : result.startupAddins) {
        const bool loaded = LoadsStartupFile(version, io::Extension(path));
        const std::string name = path.substr(path.find_last_of('\\') + 1);
        const bool faulty = loaded && !startupFaultPlaced && HasFault(options, Component::StartupAddins) &&
                            (options.faultyStartupAddin.empty() || options.faultyStartupAddin == name);
        startupFaultPlaced = startupFaultPlaced || faulty;
        if (!io::WriteWholeFile(api, path, FileText(name, faulty, InPair(options, name)))) {
            return fail("write " + path);
        }
    }

    // Office keys of the current user.
    const std::string options_ = OptionsKey(version);
    bool ok = io::WriteBinary(api, hkcu, DataKey(version), "Settings", {0x57, 0x53, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00});
    ok = io::WriteString(api, hkcu, options_, "Startup-Path", result.startupFolder) && ok;
    ok = io::WriteString(api, hkcu, options_, "Programdir", result.programFolder + "\\") && ok;
    ok = io::WriteString(api, hkcu, GeneralKey(version), "UserTemplates", result.userTemplates) && ok;
    ok = io::WriteString(api, hkcu, GeneralKey(version), "SharedTemplates", result.sharedTemplates) && ok;
    if (HasFault(options, Component::Data)) {
        ok = io::WriteString(api, hkcu, DataKey(version), kFaultMarker, "injected") && ok;
    }
    if (HasFault(options, Component::Options)) {
        ok = io::WriteString(api, hkcu, options_, kFaultMarker, "injected") && ok;
    }
    bool comFaultPlaced = false;
    for (size_t i = 0; i < result.comAddinKeys.size(); ++i) {
        const std::string& key = result.comAddinKeys[i];
        const uint32_t behavior = i < options.comAddins.size() ? options.comAddins[i].loadBehavior : 3u;
        const std::string progId = key.substr(key.find_last_of('\\') + 1);
        ok = io::WriteString(api, hkcu, key, "FriendlyName", progId) && ok;
        ok = io::WriteDword(api, hkcu, key, "LoadBehavior", behavior) && ok;
        if (!comFaultPlaced && (behavior & 2u) != 0 && HasFault(options, Component::ComAddins) &&
            (options.faultyComAddin.empty() || options.faultyComAddin == progId)) {
            ok = io::WriteString(api, hkcu, key, kFaultMarker, "injected") && ok;
            comFaultPlaced = true;
        }
        if (InPair(options, progId)) ok = io::WriteString(api, hkcu, key, kPairFaultMarker, "injected") && ok;
    }
    if (!ok) return fail("write Word's keys below HKEY_CURRENT_USER");
    for (size_t i = 0; i < result.machineAddinKeys.size(); ++i) {
        const std::string& key = result.machineAddinKeys[i];
        const std::string progId = key.substr(key.find_last_of('\\') + 1);
        ok = io::WriteString(api, hklm, key, "FriendlyName", progId) && ok;
        ok = io::WriteDword(api, hklm, key, "LoadBehavior", options.machineAddins[i].loadBehavior) && ok;
        // Only when named: the COM fault goes to the user's own add-ins first.
        if (!comFaultPlaced && options.machineAddins[i].loadBehavior == 3 && HasFault(options, Component::ComAddins) &&
            options.faultyComAddin == progId) {
            ok = io::WriteString(api, hklm, key, kFaultMarker, "injected") && ok;
            comFaultPlaced = true;
        }
    }

    // Word's registration, so a program can find winword.exe without automation.
    if (version == Version::Word2016) {
        // Click-to-Run names its install folder and version, not Word's.
        // The folder above "root\Office16".
        ok = io::WriteString(api, hklm, kClickToRunKey, "InstallationPath",
                             io::FolderOf(io::FolderOf(result.programFolder))) && ok;
        ok = io::WriteString(api, hklm, kClickToRunKey, "VersionToReport", "16.0.17928.20114") && ok;
        ok = io::WriteString(api, hklm, kClickToRunKey, "Platform", "x86") && ok;
    } else {
        ok = io::WriteString(api, hklm, RegisteredInstallRoot(version), "Path", result.programFolder + "\\") && ok;
    }
    ok = io::WriteString(api, hklm, kAppPathsKey, "", result.winword) && ok;
    ok = io::WriteString(api, hklm, kAppPathsKey, "Path", result.programFolder) && ok;
    if (!ok) return fail("write Word's registration below HKEY_LOCAL_MACHINE");

    if (options.registerServer) {
        if (!RegisterServer(api, result.server, version)) return fail("register the automation server");
        result.serverRegistered = true;
    }
    result.ok = true;
    return result;
}

void Uninstall(os::Api& api, const InstallResult& install) {
    const os::HKey hkcu = os::HKeyCurrentUser;
    const os::HKey hklm = os::HKeyLocalMachine;
    const std::string classes = kClassesKey;
    const auto server = io::ReadString(api, kClassesRoot, classes + "\\CLSID\\" + kClsid + "\\InprocServer32", "");
    if (server && io::Lower(*server) == io::Lower(install.server)) UnregisterServer(api);

    io::DeleteKeyTree(api, hkcu, OfficeKey(install.version));
    for (const std::string& key : install.comAddinKeys) io::DeleteKeyTree(api, hkcu, key);
    io::DeleteKeyIfEmpty(api, hkcu, kComAddinsKey);
    io::DeleteKeyIfEmpty(api, hkcu, "Software\\Microsoft\\Office\\Word");
    io::DeleteKeyIfEmpty(api, hkcu, "Software\\Microsoft\\Office");

    io::DeleteKeyTree(api, hklm, OfficeKey(install.version));
    if (IsNewer(install.version)) {
        io::DeleteKeyTree(api, hklm, RegisteredInstallRoot(install.version));
        io::DeleteKeyTree(api, hklm, kClickToRunKey);
        for (const std::string& key : install.machineAddinKeys) io::DeleteKeyTree(api, hklm, key);
    }
    io::DeleteKeyIfEmpty(api, hklm, "Software\\Microsoft\\Office");
    const auto appPath = io::ReadString(api, hklm, kAppPathsKey, "");
    if (appPath && io::Lower(*appPath) == io::Lower(install.winword)) io::DeleteKeyTree(api, hklm, kAppPathsKey);

    // The install's record of the folders it made, also when only the
    // options are known (wordsim-install --uninstall).
    std::vector<std::string> created = install.createdFolders;
    if (auto config = ReadConfig(api, install.programFolder)) {
        created.insert(created.end(), config->createdFolders.begin(), config->createdFolders.end());
    }
    for (const std::string* folder :
         {&install.startupFolder, &install.userTemplates, &install.sharedTemplates, &install.programFolder}) {
        if (!folder->empty()) io::DeleteFolderTree(api, *folder);
    }
    // Deepest first; a folder that something else has filled since stays.
    std::sort(created.begin(), created.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& folder : created) api.RemoveDirectory(folder);
}

std::string Describe(const InstallResult& install) {
    std::string text;
    auto line = [&text](const std::string& name, const std::string& value) { text += name + "=" + value + "\n"; };
    line("version", OfficeVersion(install.version));
    line("program_folder", install.programFolder);
    line("winword", install.winword);
    line("server", install.server);
    line("config", install.config);
    line("log", install.log);
    line("user_templates", install.userTemplates);
    line("shared_templates", install.sharedTemplates);
    line("startup_folder", install.startupFolder);
    line("normal_dot", install.normalDot);
    for (const std::string& path : install.startupAddins) line("startup_addin", path);
    for (const std::string& key : install.comAddinKeys) line("com_addin_key", "HKEY_CURRENT_USER\\" + key);
    for (const std::string& key : install.machineAddinKeys) line("machine_addin_key", "HKEY_LOCAL_MACHINE\\" + key);
    for (const std::string& path : install.machineStartupAddins) line("machine_startup_addin", path);
    line("server_registered", install.serverRegistered ? "yes" : "no");
    return text;
}

}  // namespace wordsim
