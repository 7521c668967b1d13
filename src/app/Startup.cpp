#include "app/Startup.h"

#include "app/Settings.h"
#include "app/frmMain.h"
#include "app/frmWkThru.h"
#include "app/frmWordVerChoice.h"
#include "engine/PutBack.h"
#include "engine/WordVersions.h"
#include "platform/clsRegistry.h"

#include "engine/EnginePaths.h"
#include "engine/Generations.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace app {

namespace {

constexpr const char* kWordProgId = "Word.Application";
constexpr const char* kWinword = "winword.exe";

// 32-bit Word registers in the 32-bit view of HKLM, which a 64-bit program
// reads through WOW6432Node.
const std::vector<std::string>& SoftwareRoots() {
    static const std::vector<std::string> roots = {"SOFTWARE\\", "SOFTWARE\\WOW6432Node\\"};
    return roots;
}

std::optional<std::string> ReadMachineText(os::Api& api, const std::string& keyName, const std::string& valueName) {
    return ReadRegistryText(api, os::HKeyLocalMachine, keyName, valueName);
}

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\"");
    if (first == std::string::npos) return {};
    size_t last = text.find_last_not_of(" \t\"");
    return text.substr(first, last - first + 1);
}

std::string WithoutTrailingBackslash(std::string folder) {
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

bool HoldsWinword(os::Api& api, const std::string& folder) {
    if (folder.empty()) return false;
    uint32_t attributes = api.GetFileAttributes(folder + "\\" + kWinword);
    return attributes != os::InvalidFileAttributes && (attributes & os::AttrDirectory) == 0;
}

std::string FormatAutomationError(const os::AutoError& error) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<uint32_t>(error.number));
    return "Error " + std::to_string(error.number) + " (" + hex + "): " + error.description;
}

// The automation road: create Word, ask its Path, let it quit. Returns the
// folder, or sets *error when Word could not tell it.
std::optional<std::string> AskWord(Context& ctx, os::AutoError* error) {
    forms::Host& host = ctx.Host();
    std::unique_ptr<os::AutomationObject> word;
    if (ctx.Api().CreateObject(kWordProgId, &word, error) != 0 || !word) {
        if (error->number == 0) *error = {-1, "Automation error"};
        return std::nullopt;
    }
    host.DoEvents();
    os::AutoValue path;
    int32_t got = word->GetProperty("Path", &path, error);
    host.DoEvents();
    std::optional<std::string> folder;
    if (got == 0 && std::holds_alternative<std::string>(path) && !std::get<std::string>(path).empty())
        folder = WithoutTrailingBackslash(std::get<std::string>(path));
    else if (got == 0)
        *error = {-1, "Word did not report its program folder"};
    else if (error->number == 0)
        *error = {got, "Automation error"};
    // Once the folder is known, a Word that fails to quit changes nothing
    // for this run.
    os::AutoError quitError;
    word->CallMethod("Quit", &quitError);
    host.DoEvents();
    word.reset();
    host.DoEvents();
    return folder;
}

// The folders App Paths names for winword.exe in both views: the default
// value's folder, then each folder of its search path ("Path", split at ";").
std::vector<std::string> AppPathsFolders(os::Api& api) {
    std::vector<std::string> folders;
    for (const std::string& root : SoftwareRoots()) {
        const std::string appPaths = root + "Microsoft\\Windows\\CurrentVersion\\App Paths\\Winword.exe";
        if (auto full = ReadMachineText(api, appPaths, "")) {
            const std::string file = Trimmed(*full);
            const size_t slash = file.find_last_of('\\');
            if (slash != std::string::npos) folders.push_back(file.substr(0, slash));
        }
        if (auto path = ReadMachineText(api, appPaths, "Path")) {
            for (size_t start = 0;;) {
                const size_t end = path->find(';', start);
                folders.push_back(WithoutTrailingBackslash(Trimmed(path->substr(start, end - start))));
                if (end == std::string::npos) break;
                start = end + 1;
            }
        }
    }
    return folders;
}

constexpr const char* kRecoveryRun = "Recovery";
constexpr const char* kLineBreak = "\r\n";

}  // namespace

void OfferRecovery(Context& ctx) {
    os::Api& api = ctx.Api();
    forms::Host& host = ctx.Host();
    for (engine::JournalRun run : engine::ListJournals(api)) {
        if (run.unreadable || (run.damage.empty() && !run.Acted())) continue;
        if (!run.damage.empty()) {
            // Told once: the file is set aside under a name no listing reads.
            host.MsgBox("The record of an earlier repair is damaged, so Quorvex did not use any of it: " + run.path +
                            " (" + run.damage + ").",
                        forms::vbOKOnly | forms::vbExclamation, ctx.Title());
            api.MoveFile(run.path, run.path + ".damaged");
            return;
        }
        if (run.finished) return;
        // A recovery that was itself stopped goes on with the run it put back.
        if (run.wizard == kRecoveryRun && !run.putsBack.empty()) run = engine::ReadJournal(api, run.putsBack);
        const std::vector<engine::Component> changed = engine::ChangedComponents(run);
        if (!run.damage.empty() || changed.empty()) return;
        const std::string question = "The last repair did not finish and left parts of Word disabled: " +
                                     engine::Names(changed) + ". Put them back as they were before it?";
        if (host.MsgBox(question, forms::vbYesNo | forms::vbQuestion, ctx.Title()) != forms::vbYes) return;
        std::string done, failed;
        for (const engine::PutBackResult& result :
             engine::PutBackAsRun(ctx.Program(), run, changed, kRecoveryRun)) {
            if (result.done) done += (done.empty() ? "" : ", ") + result.component;
            else failed += (failed.empty() ? "" : kLineBreak) + engine::ResultText(result) + ".";
        }
        std::string text = done.empty() ? std::string() : "Put back as before the last repair: " + done + ".";
        if (!failed.empty()) text += (text.empty() ? "" : std::string(kLineBreak) + kLineBreak) + failed;
        host.MsgBox(text, forms::vbOKOnly | (failed.empty() ? forms::vbInformation : forms::vbExclamation),
                    ctx.Title());
        return;
    }
}

std::string DetectWD10(const platform::Services& services) {
    platform::clsRegistry registry(services);
    return registry.KeyExists(os::HKeyCurrentUser, "Software\\Microsoft\\Office\\10.0", "") ? engine::kWord2002
                                                                                           : "None";
}

std::string DetectWD11(const platform::Services& services) {
    platform::clsRegistry registry(services);
    return registry.KeyExists(os::HKeyCurrentUser, "Software\\Microsoft\\Office\\11.0", "") ? engine::kWord2003
                                                                                           : "None";
}

std::optional<std::string> FindWordOnDisk(os::Api& api, const std::string& wordVersion) {
    std::vector<std::string> candidates = AppPathsFolders(api);
    std::vector<std::string> versions = wordVersion == engine::kWord2002 ? std::vector<std::string>{"10.0", "11.0"}
                                                                         : std::vector<std::string>{"11.0", "10.0"};
    for (const std::string& version : versions) {
        for (const std::string& root : SoftwareRoots()) {
            std::string installRoot = root + "Microsoft\\Office\\" + version + "\\Word\\InstallRoot";
            if (auto folder = ReadMachineText(api, installRoot, "Path")) candidates.push_back(Trimmed(*folder));
        }
    }

    for (const std::string& candidate : candidates) {
        std::string folder = WithoutTrailingBackslash(candidate);
        if (HoldsWinword(api, folder)) return folder;
    }
    return std::nullopt;
}

std::vector<InstalledWord> FindNewerWords(os::Api& api) {
    std::vector<InstalledWord> found;
    // The version winword.exe carries decides; without one, the version of
    // the road that found it (its registry key, Click-to-Run's report, the
    // folder's name).
    std::vector<std::string> seen;  // folders looked at: each file is read once
    auto add = [&](const engine::WordVersion* byRoad, const std::string& text) {
        const std::string folder = WithoutTrailingBackslash(Trimmed(text));
        if (std::find(seen.begin(), seen.end(), engine::FoldPath(folder)) != seen.end()) return;
        seen.push_back(engine::FoldPath(folder));
        if (!HoldsWinword(api, folder)) return;
        const std::string byFile = api.FileVersion(folder + "\\" + kWinword);
        const engine::WordVersion* version = byRoad;
        if (!byFile.empty()) {
            version = nullptr;
            for (const engine::WordVersion& row : engine::kWordVersions)
                if (byFile == row.office) version = &row;
        }
        if (version == nullptr || !engine::IsNewerVersion(version->key)) return;
        for (const InstalledWord& word : found)
            if (word.version == version->key) return;
        found.push_back({version->key, folder, engine::IsClickToRunFolder(folder)});
    };
    // The version an Office folder's own name gives ("Office16").
    auto byFolder = [](const std::string& folder) -> const engine::WordVersion* {
        const std::string name = engine::FoldPath(folder.substr(folder.find_last_of('\\') + 1));
        for (const engine::WordVersion& version : engine::kWordVersions)
            if (*version.msiFolder != '\0' && name == engine::FoldPath(version.msiFolder)) return &version;
        return nullptr;
    };
    for (const engine::WordVersion& version : engine::kWordVersions) {
        if (*version.name == '\0') continue;
        for (const std::string& root : SoftwareRoots()) {
            const std::string installRoot = root + "Microsoft\\Office\\" + version.office + "\\Word\\InstallRoot";
            if (auto folder = ReadMachineText(api, installRoot, "Path")) add(&version, *folder);
        }
    }
    for (const std::string& root : SoftwareRoots()) {
        const std::string configuration = root + "Microsoft\\Office\\ClickToRun\\Configuration";
        auto path = ReadMachineText(api, configuration, "InstallationPath");
        auto reported = ReadMachineText(api, configuration, "VersionToReport");
        if (!path || !reported) continue;
        for (const engine::WordVersion& version : engine::kWordVersions) {
            const std::string major = std::string(version.office).substr(0, 3);
            if (version.clickToRun && reported->rfind(major, 0) == 0)
                add(&version, WithoutTrailingBackslash(Trimmed(*path)) + "\\root\\" + version.msiFolder);
        }
    }
    for (const std::string& folder : AppPathsFolders(api)) add(byFolder(folder), folder);
    std::sort(found.begin(), found.end(), [](const InstalledWord& a, const InstalledWord& b) {
        return engine::FoldPath(a.version) < engine::FoldPath(b.version);
    });
    return found;
}

void LearnWordProgramFolder(Context& ctx) {
    // A newer Word chosen is taken where it was found: with several Words on
    // the machine the automation object may belong to another one.
    for (const InstalledWord& word : ctx.NewerWords()) {
        if (word.version == ctx.CurrentWordVersion()) {
            ctx.WordProgramFolder() = word.folder;
            return;
        }
    }
    os::AutoError error;
    std::optional<std::string> folder = AskWord(ctx, &error);
    if (!folder) folder = FindWordOnDisk(ctx.Api(), ctx.CurrentWordVersion());
    if (!folder) {
        ctx.Host().MsgBox(FormatAutomationError(error), forms::vbOKOnly, ctx.Title());
        ctx.Host().End();
    }
    ctx.WordProgramFolder() = *folder;
}

bool LoadStoredWordVersion(Context& ctx) {
    Settings settings(ctx.Api());
    std::string& version = ctx.CurrentWordVersion();
    version.clear();
    const std::string stored = settings.Get(kSectionSettings, kKeyWordVersion, kSettingDefault);
    if (stored == engine::kWord2002) {
        version = engine::kWord2002;
        ctx.frmWordVerChoice().optWd10.SetValue(true);
    }
    if (stored == engine::kWord2003) {
        version = engine::kWord2003;
        ctx.frmWordVerChoice().optXP.SetValue(true);
    }
    if (!engine::IsNewerVersion(stored)) return true;
    // A newer Word counts only while it is still installed.
    forms::Control* option = ctx.frmWordVerChoice().OptionOf(stored);
    if (option == nullptr) return false;
    version = stored;
    option->SetValue(true);
    return true;
}

void Startup(Context& ctx) {
    OfferRecovery(ctx);
    Settings settings(ctx.Api());
    const std::string& version = ctx.CurrentWordVersion();
    const bool storedFound = LoadStoredWordVersion(ctx);

    if (!storedFound || settings.Get(kSectionSettings, kKeyDetectNoShow, kSettingDefault) == "False") {
        // The probes only preselect; the user's Next decides.
        if (version.empty()) {
            if (DetectWD10(ctx.Services()) == engine::kWord2002) ctx.frmWordVerChoice().optWd10.SetValue(true);
            if (DetectWD11(ctx.Services()) == engine::kWord2003) ctx.frmWordVerChoice().optXP.SetValue(true);
            // The newest Word found wins.
            const auto& newer = ctx.frmWordVerChoice().newerWords;
            if (!newer.empty()) ctx.frmWordVerChoice().OptionOf(newer.back().version)->SetValue(true);
        }
        ctx.Host().DoEvents();
        ctx.frmWordVerChoice().ShowModal();
    }

    LearnWordProgramFolder(ctx);

    ctx.frmMain().Show();

    if (settings.Get(kSectionWalkThru, kKeyWalkThru, kSettingDefault) == "False") ctx.frmWkThru().ShowModal();
}

}  // namespace app
