// Backing up Word's three registry components: in-process (BackupRegKey,
// which also reads each file back and checks it) against starting the
// registry editor with /e for each key and waiting for it. Same keys, same
// run, alternately.
#ifdef _WIN32

#include "bench/Bench.h"

#include "engine/RegFile.h"
#include "wordsim/SimIo.h"

namespace bench {

namespace {

struct Component {
    const char* file;
    const char* key;  // below HKEY_CURRENT_USER
};
constexpr Component kComponents[] = {
    {"Data", "Software\\Microsoft\\Office\\11.0\\Word\\Data"},
    {"Options", "Software\\Microsoft\\Office\\11.0\\Word\\Options"},
    {"COM", "Software\\Microsoft\\Office\\Word\\Addins"},
};
constexpr DWORD kRegeditPatienceMs = 60000;

bool InProcess(os::win32::Win32Api& api, const std::string& folder, std::string* why) {
    for (const Component& c : kComponents) {
        const engine::RegResult result =
            engine::BackupRegKey(api, os::HKeyCurrentUser, c.key, wordsim::io::Join(folder, c.file) + ".reg");
        if (!result.ok()) {
            *why = std::string("BackupRegKey(") + c.key + "): " + result.message;
            return false;
        }
    }
    return true;
}

bool WithRegedit(const std::string& regedit, const std::string& folder, std::string* why) {
    for (const Component& c : kComponents) {
        const std::string file = wordsim::io::Join(folder, c.file) + ".reg";
        std::string command = "regedit.exe /e \"" + file + "\" \"HKEY_CURRENT_USER\\" + c.key + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        if (!::CreateProcessA(regedit.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &started)) {
            *why = "regedit could not start: " + std::to_string(::GetLastError());
            return false;
        }
        os::win32::UniqueHandle process(started.hProcess);
        os::win32::UniqueHandle thread(started.hThread);
        if (::WaitForSingleObject(process.get(), kRegeditPatienceMs) != WAIT_OBJECT_0) {
            ::TerminateProcess(process.get(), 1);
            *why = "regedit did not end";
            return false;
        }
    }
    return true;
}

// Both ways must have written every file, or the times compare nothing.
bool AllWritten(os::win32::Win32Api& api, const std::string& folder, std::string* why) {
    for (const Component& c : kComponents) {
        const std::string file = wordsim::io::Join(folder, c.file) + ".reg";
        const std::optional<std::string> bytes = wordsim::io::ReadWholeFile(api, file);
        if (!bytes || bytes->size() < 16) {
            *why = file + " was not written";
            return false;
        }
    }
    return true;
}

}  // namespace

bool MeasureRegBackup(os::win32::Win32Api& api, const Options& options) {
    if (!InstallWord(api, options, 0, {})) return false;
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, sizeof windows);
    const std::string regedit = wordsim::io::Join(windows, "regedit.exe");
    const std::string ours = wordsim::io::Join(options.work, "regbackup-inprocess");
    const std::string theirs = wordsim::io::Join(options.work, "regbackup-regedit");

    std::vector<double> inProcess;
    std::vector<double> regeditTimes;
    std::string why;
    for (int run = 0; run <= options.runs; ++run) {
        for (const std::string& folder : {ours, theirs}) {
            wordsim::io::DeleteFolderTree(api, folder);
            wordsim::io::MakeFolders(api, folder);
        }
        const auto a = Clock::now();
        const bool oursOk = InProcess(api, ours, &why);
        const auto b = Clock::now();
        const bool theirsOk = oursOk && WithRegedit(regedit, theirs, &why);
        const auto c = Clock::now();
        if (!theirsOk || !AllWritten(api, ours, &why) || !AllWritten(api, theirs, &why)) {
            Note("registry backup: " + why);
            return false;
        }
        if (run == 0) continue;  // warm-up
        inProcess.push_back(MsBetween(a, b));
        regeditTimes.push_back(MsBetween(b, c));
    }
    const double ours_ms = Median(inProcess);
    const double theirs_ms = Median(regeditTimes);
    Row("2", "Back up Data, Options, COM keys: in-process BackupRegKey", Fixed(ours_ms, 1) + " ms", "-", "-");
    Row("", "Back up the same keys: 3 x regedit /e, waited", Fixed(theirs_ms, 0) + " ms", "-", "-");
    Row("", "  ratio regedit / in-process", Fixed(theirs_ms / ours_ms, 0) + "x", "-", "-");
    return true;
}

}  // namespace bench

#endif  // _WIN32
