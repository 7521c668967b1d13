// Time from starting a program to its first window being visible: qvxfix.exe
// (to its main menu, Word starting at once, no dialog before the menu)
// against minwin.exe, alternately, so that both see the same machine; then
// minthemed.exe against it, for what the themed controls alone cost.
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

// Starts of one program, with the median of their times and what it had
// loaded once shown.
struct Starts {
    std::vector<double> ms;
    std::vector<double> peak;
    std::vector<std::string> modules;
    double Median() const { return bench::Median(ms); }
};

// Starts program and minwin.exe in turn, each going first every other time,
// so that both see the same machine, runs pairs of them. The first pair warms
// the caches and is not counted. False (with a note) when a start failed.
bool StartInTurn(const Options& options, const std::string& exe, const std::string& className, bool isMenu,
                 int runs, Starts* program, Starts* minimal) {
    std::string why;
    for (int run = 0; run <= runs; ++run) {
        for (int k = 0; k < 2; ++k) {
            const bool first = (run + k) % 2 == 0;
            const std::optional<Shown> shown = first ? TimeToVisible(exe, className, isMenu, &why)
                                                     : TimeToVisible(options.minwin, "", false, &why);
            if (!shown) {
                Note("launch: " + why);
                return false;
            }
            if (run == 0) continue;
            Starts& starts = first ? *program : *minimal;
            starts.ms.push_back(shown->ms);
            starts.peak.push_back(static_cast<double>(shown->peak));
            starts.modules = shown->modules;
        }
    }
    return true;
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
    Starts quorvex;
    Starts minimal;
    // Single starts of the program spread over a fifth of their time, so a
    // median of 28 still moved the ratio by 0.07 either way between benches:
    // the figure with a goal takes three times that.
    if (!StartInTurn(options, *program, kFormClass, true, 12 * options.runs, &quorvex, &minimal)) return false;
    if (options.trace) {
        std::string each;
        for (size_t i = 0; i < quorvex.ms.size(); ++i)
            each += (each.empty() ? "" : ", ") + Fixed(quorvex.ms[i], 0) + "/" + Fixed(minimal.ms[i], 0);
        Note("trace: start to visible, qvxfix/minwin ms, run by run: " + each);
    }
    const double ratio = quorvex.Median() / minimal.Median();
    Row("3", "Start to visible window: qvxfix.exe main menu", Fixed(quorvex.Median(), 0) + " ms", "", "");
    Row("", "Start to visible window: minwin.exe", Fixed(minimal.Median(), 0) + " ms", "", "");
    Row("", "  ratio qvxfix / minwin", Fixed(ratio, 2), "<= " + Fixed(kGoal, 1), Verdict(ratio <= kGoal));

    // For reading the figure: the same window with the program's manifest
    // and the themed controls' DLL, what Wine charges for that look alone.
    const std::string themed = wordsim::io::Join(wordsim::io::FolderOf(options.minwin), "minthemed.exe");
    Starts look;
    Starts lookMinimal;
    if (::GetFileAttributesA(themed.c_str()) != INVALID_FILE_ATTRIBUTES &&
        StartInTurn(options, themed, "", false, 4 * options.runs, &look, &lookMinimal)) {
        Note("launch: minthemed.exe (minwin.exe with the program's manifest and the themed controls' DLL), "
             "started in turn with minwin.exe as above: " +
             Fixed(look.Median(), 0) + " ms against " + Fixed(lookMinimal.Median(), 0) + " ms, ratio " +
             Fixed(look.Median() / lookMinimal.Median(), 2));
    }

    // For reading the memory figure: what the program holds before any repair.
    std::vector<std::string> extra;
    std::set_difference(quorvex.modules.begin(), quorvex.modules.end(), minimal.modules.begin(),
                        minimal.modules.end(), std::back_inserter(extra));
    std::string list;
    for (const std::string& name : extra) list += (list.empty() ? "" : " ") + name;
    Note("launch: peak working set once shown: qvxfix.exe at its menu " + Mib(Median(quorvex.peak)) +
         ", minwin.exe " + Mib(Median(minimal.peak)) + "; modules qvxfix.exe loads beyond minwin.exe's (" +
         std::to_string(extra.size()) + "): " + list);
    return true;
}

}  // namespace bench

#endif  // _WIN32
