#ifdef _WIN32

#include "bench/Bench.h"

#include "engine/Journal.h"
#include "engine/WordVersions.h"
#include "wordsim/SimIo.h"

#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <thread>

namespace bench {

namespace {

constexpr char kUsage[] =
    "usage: qvx-bench --program qvxfix.exe --minwin minwin.exe --wordsim DIR --work DIR\n"
    "                 [--runs N] [--repair-runs N] [--only regbackup,addins,launch,repair,search,passcalls] [--trace]\n";

// Where the program keeps its settings (by the executable's base name).
constexpr char kSettingsRoot[] = "Software\\VB and VBA Program Settings\\qvxfix\\";

}  // namespace

double Median(std::vector<double> values) { return Percentile(std::move(values), 50); }

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(p / 100.0 * static_cast<double>(values.size()));
    const size_t index = rank < 1 ? 0 : static_cast<size_t>(rank) - 1;
    return values[std::min(index, values.size() - 1)];
}

double Max(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

void Row(const std::string& number, const std::string& figure, const std::string& measured, const std::string& goal,
         const std::string& met) {
    std::printf("row|%s|%s|%s|%s|%s\n", number.c_str(), figure.c_str(), measured.c_str(), goal.c_str(), met.c_str());
    std::fflush(stdout);
}

void Note(const std::string& text) {
    std::printf("note|%s\n", text.c_str());
    std::fflush(stdout);
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Mib(double bytes) { return Fixed(bytes / (1024.0 * 1024.0), 1) + " MiB"; }

std::string Verdict(bool met) { return met ? "yes" : "NO"; }

std::optional<wordsim::InstallResult> InstallWord(os::win32::Win32Api& api, const Options& options,
                                                  uint32_t delayMs, const std::vector<wordsim::Component>& faults,
                                                  wordsim::Version version, const std::vector<std::string>& startupAddins) {
    wordsim::InstallOptions install;
    install.version = version;
    if (wordsim::IsNewer(version)) install.startupAddins = {"Tools.dotm", "Macros.wll"};
    if (!startupAddins.empty()) install.startupAddins = startupAddins;
    install.binarySource = options.wordsim;
    install.startDelayMs = delayMs;
    install.faults = faults;
    const wordsim::InstallResult plan = wordsim::PlanInstall(api, install);
    if (plan.ok) wordsim::Uninstall(api, plan);
    wordsim::InstallResult result = wordsim::Install(api, install);
    if (!result.ok) {
        Note("the simulated Word could not be installed: " + result.error);
        return std::nullopt;
    }
    return result;
}

void StoreQuietSettings(os::win32::Win32Api& api, const char* version) {
    const std::string root = kSettingsRoot;
    wordsim::io::WriteString(api, os::HKeyCurrentUser, root + "Settings", "Word Version", version);
    wordsim::io::WriteString(api, os::HKeyCurrentUser, root + "Settings", "Word Detect No Show", "True");
    wordsim::io::WriteString(api, os::HKeyCurrentUser, root + "Show WalkThru", "WalkThru", "True");
    // The in-process measurements leave runs unfinished in the journal; the
    // program would offer them back before its main menu.
    const std::string journals = engine::JournalFolder(api);
    for (const std::string& file : wordsim::io::FilesIn(api, journals)) api.DeleteFile(journals + "\\" + file);
}

std::optional<std::string> PlaceProgram(os::win32::Win32Api& api, const Options& options, const std::string& folder) {
    wordsim::io::DeleteFolderTree(api, folder);
    if (!wordsim::io::MakeFolders(api, folder)) return std::nullopt;
    const std::string copy = wordsim::io::Join(folder, "qvxfix.exe");
    if (!::CopyFileA(options.program.c_str(), copy.c_str(), FALSE)) return std::nullopt;
    return copy;
}

std::unique_ptr<e2e::App> StartApp(const std::string& exe, std::string* why, Clock::time_point* started) {
    constexpr int kTries = 3;
    for (int attempt = 1;; ++attempt) {
        const auto begun = Clock::now();
        std::unique_ptr<e2e::App> app = e2e::App::Start(exe, wordsim::io::FolderOf(exe), why);
        if (app || attempt == kTries) {
            if (started != nullptr) *started = begun;
            return app;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

std::optional<size_t> PeakWorkingSet(DWORD processId) {
    os::win32::UniqueHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) process.reset(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return std::nullopt;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(process.get(), &counters, sizeof counters)) return std::nullopt;
    if (counters.PeakWorkingSetSize == 0) return std::nullopt;
    return counters.PeakWorkingSetSize;
}

HWND WaitForVisibleWindow(const e2e::App& app, const std::string& className, e2e::Millis patience) {
    const auto deadline = Clock::now() + patience;
    for (;;) {
        for (HWND window : app.FirstThreadWindows()) {
            if (className.empty() || e2e::ClassOf(window) == className) return window;
        }
        if (Clock::now() >= deadline || !app.Running()) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace bench

int main(int argc, char** argv) {
    bench::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--trace") {
            options.trace = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "qvx-bench: missing value: %s\n%s", arg.c_str(), bench::kUsage);
            return 2;
        }
        const std::string value = argv[++i];
        if (arg == "--program") options.program = e2e::WindowsPath(value);
        else if (arg == "--minwin") options.minwin = e2e::WindowsPath(value);
        else if (arg == "--wordsim") options.wordsim = e2e::WindowsPath(value);
        else if (arg == "--work") options.work = e2e::WindowsPath(value);
        else if (arg == "--runs") options.runs = std::max(1, std::atoi(value.c_str()));
        else if (arg == "--repair-runs") options.repairRuns = std::max(1, std::atoi(value.c_str()));
        else if (arg == "--only") {
            size_t start = 0;
            while (start <= value.size()) {
                size_t comma = std::min(value.find(',', start), value.size());
                if (comma > start) options.only.push_back(value.substr(start, comma - start));
                start = comma + 1;
            }
        } else {
            std::fprintf(stderr, "qvx-bench: unknown option: %s\n%s", arg.c_str(), bench::kUsage);
            return 2;
        }
    }
    if (options.program.empty() || options.minwin.empty() || options.wordsim.empty() || options.work.empty()) {
        std::fputs(bench::kUsage, stderr);
        return 2;
    }
    auto wanted = [&](const char* name) {
        return options.only.empty() || std::find(options.only.begin(), options.only.end(), name) != options.only.end();
    };

    os::win32::Win32Api api;
    wordsim::io::MakeFolders(api, options.work);
    struct Measurement {
        const char* name;
        bool (*run)(os::win32::Win32Api&, const bench::Options&);
    };
    // The quick ones first, on a Word that starts at once; the repair last,
    // since it installs its own slow Word. The start-up times come after the
    // others have run: a fresh prefix starts Wine's own services in the
    // background for a while, and they would weigh on the first starts.
    const Measurement measurements[] = {
        {"regbackup", bench::MeasureRegBackup},
        {"addins", bench::MeasureAddins},
        {"launch", bench::MeasureLaunch},
        {"repair", bench::MeasureRepair},
        {"search", bench::MeasureSearch},
        {"passcalls", bench::MeasurePassCalls},
    };
    // A goal missed is a figure like any other; a figure not measured is not.
    int status = 0;
    for (const Measurement& measurement : measurements) {
        if (!wanted(measurement.name)) continue;
        try {
            if (!measurement.run(api, options)) status = 1;
        } catch (const std::exception& failure) {
            bench::Note(std::string(measurement.name) + " stopped: " + failure.what());
            status = 1;
        }
    }
    return status;
}

#endif  // _WIN32
