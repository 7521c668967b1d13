// Time from starting a program to its first window being visible: qvxfix.exe
// (to its main menu, Word starting at once, no dialog before the menu)
// against minwin.exe, alternately, so that both see the same machine.
#ifdef _WIN32

#include "bench/Bench.h"

#include "wordsim/SimIo.h"

#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <iterator>

namespace bench {

namespace {

constexpr char kFormClass[] = "QuorvexForm";
constexpr char kMenuText[] = "Welcome to Quorvex";
constexpr double kGoal = 1.5;

// Milliseconds from CreateProcess to a visible window, or nullopt.
struct Shown {
    double ms = 0;
    size_t peak = 0;                   // peak working set once shown and settled
    std::vector<std::string> modules;  // the DLLs it has loaded by then
};

std::vector<std::string> Modules(DWORD processId) {
    std::vector<std::string> names;
    os::win32::UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) return names;
    HMODULE modules[512];
    DWORD bytes = 0;
    if (!::EnumProcessModules(process.get(), modules, sizeof modules, &bytes)) return names;
    for (DWORD i = 0; i < std::min<DWORD>(bytes / sizeof(HMODULE), 512); ++i) {
        char name[MAX_PATH] = {};
        if (::GetModuleBaseNameA(process.get(), modules[i], name, sizeof name) == 0) continue;
        std::string lower = name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        names.push_back(lower);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<Shown> TimeToVisible(const std::string& exe, const std::string& className, bool isMenu,
                                   std::string* why) {
    Clock::time_point started;
    std::unique_ptr<e2e::App> app = StartApp(exe, why, &started);
    if (!app) return std::nullopt;
    HWND window = WaitForVisibleWindow(*app, className, e2e::kPatience);
    const auto shown = Clock::now();
    if (window == nullptr) {
        *why = "no window came: " + app->Describe();
        return std::nullopt;
    }
    // The first form must be the menu, or a dialog came before it.
    if (isMenu && e2e::FindControl(window, kMenuText) == nullptr) {
        *why = "the first window was not the main menu: " + app->Describe();
        return std::nullopt;
    }
    Shown result;
    result.ms = MsBetween(started, shown);
    e2e::Settle(window);
    result.peak = PeakWorkingSet(app->Id()).value_or(0);
    result.modules = Modules(app->Id());
    app->Kill();
    return result;
}

}  // namespace

bool MeasureLaunch(os::win32::Win32Api& api, const Options& options) {
    if (!InstallWord(api, options, 0, {})) return false;
    StoreQuietSettings(api);
    const std::optional<std::string> program = PlaceProgram(api, options, wordsim::io::Join(options.work, "launch"));
    if (!program) {
        Note("launch: qvxfix.exe could not be copied into place");
        return false;
    }
    std::vector<double> quorvex;
    std::vector<double> minimal;
    std::vector<double> quorvexPeak;
    std::vector<double> minimalPeak;
    std::vector<std::string> quorvexModules;
    std::vector<std::string> minimalModules;
    std::string why;
    // Starts are cheap and a busy machine throws single ones far out: twice
    // the runs. The first pair warms the caches and is not counted.
    const int runs = 2 * options.runs;
    for (int run = 0; run <= runs; ++run) {
        // Each goes first every other time.
        std::optional<Shown> q;
        std::optional<Shown> m;
        if (run % 2 == 0) {
            q = TimeToVisible(*program, kFormClass, true, &why);
            if (q) m = TimeToVisible(options.minwin, "", false, &why);
        } else {
            m = TimeToVisible(options.minwin, "", false, &why);
            if (m) q = TimeToVisible(*program, kFormClass, true, &why);
        }
        if (!q || !m) {
            Note("launch: " + why);
            return false;
        }
        if (run == 0) continue;
        quorvex.push_back(q->ms);
        minimal.push_back(m->ms);
        quorvexPeak.push_back(static_cast<double>(q->peak));
        minimalPeak.push_back(static_cast<double>(m->peak));
        quorvexModules = q->modules;
        minimalModules = m->modules;
    }
    if (options.trace) {
        std::string each;
        for (size_t i = 0; i < quorvex.size(); ++i)
            each += (each.empty() ? "" : ", ") + Fixed(quorvex[i], 0) + "/" + Fixed(minimal[i], 0);
        Note("trace: start to visible, qvxfix/minwin ms, run by run: " + each);
    }
    const double ratio = Median(quorvex) / Median(minimal);
    Row("3", "Start to visible window: qvxfix.exe main menu",
        Fixed(Median(quorvex), 0) + " ms", "", "");
    Row("", "Start to visible window: minwin.exe", Fixed(Median(minimal), 0) + " ms", "", "");
    Row("", "  ratio qvxfix / minwin", Fixed(ratio, 2), "<= " + Fixed(kGoal, 1), Verdict(ratio <= kGoal));

    // For reading the memory figure: what the program holds before any repair.
    std::vector<std::string> extra;
    std::set_difference(quorvexModules.begin(), quorvexModules.end(), minimalModules.begin(), minimalModules.end(),
                        std::back_inserter(extra));
    std::string list;
    for (const std::string& name : extra) list += (list.empty() ? "" : " ") + name;
    Note("launch: peak working set once shown: qvxfix.exe at its menu " + Mib(Median(quorvexPeak)) +
         ", minwin.exe " + Mib(Median(minimalPeak)) + "; modules qvxfix.exe loads beyond minwin.exe's (" +
         std::to_string(extra.size()) + "): " + list);
    return true;
}

}  // namespace bench

#endif  // _WIN32
