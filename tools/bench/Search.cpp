// The search for the Startup add-in that stops Word, on 16 and 64 add-ins
// with one at fault, Word taking a second for every start: its starts, as
// Word's log counts them, and its wall time against the floor they set.
#ifdef _WIN32

#include "bench/Bench.h"

#include "wordsim/SimIo.h"
#include "wordsim/WordSim.h"

#include <algorithm>

namespace bench {

namespace {

constexpr uint32_t kStartDelayMs = 1000;
constexpr double kGoal = 1.05;
constexpr auto kPatience = std::chrono::minutes(5);

size_t Starts(os::win32::Win32Api& api, const std::string& folder) {
    const std::vector<wordsim::LogEntry> log = wordsim::ReadLog(api, folder);
    return static_cast<size_t>(
        std::count_if(log.begin(), log.end(), [](const wordsim::LogEntry& e) { return e.kind == "automation"; }));
}

// How many labels the wizard shows. Only the window list is read, never a
// text: a text is a message the program has to answer between its starts,
// and polling with it would weigh on the time measured.
size_t ShownLabels(HWND wizard) {
    size_t shown = 0;
    ::EnumChildWindows(
        wizard,
        [](HWND child, LPARAM data) -> BOOL {
            char name[16] = {};
            if (::IsWindowVisible(child) && ::GetClassNameA(child, name, sizeof name) > 0 && _stricmp(name, "Static") == 0)
                ++*reinterpret_cast<size_t*>(data);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&shown));
    return shown;
}

struct Searched {
    size_t starts = 0;
    double ms = 0;
};

// One automatic repair up to the question, answered Yes; the search timed
// from the answer to its result on the page.
std::optional<Searched> Search(os::win32::Win32Api& api, const Options& options, size_t count, std::string* why) {
    std::vector<std::string> addins;
    for (size_t i = 1; i <= count; ++i) addins.push_back("Addin" + std::to_string(1000 + i).substr(1) + ".dot");
    // The fault lands on the first: the halving's worst case, ceil(log2 n) + 1 starts.
    const std::optional<wordsim::InstallResult> word =
        InstallWord(api, options, kStartDelayMs, {wordsim::Component::StartupAddins}, wordsim::Version::Word2003, addins);
    if (!word) return std::nullopt;
    StoreQuietSettings(api);
    const std::optional<std::string> program =
        PlaceProgram(api, options, wordsim::io::Join(options.work, "search" + std::to_string(count)));
    if (!program) return *why = "qvxfix.exe could not be copied into place", std::nullopt;
    std::unique_ptr<e2e::App> app = StartApp(*program, why);
    if (!app) return std::nullopt;
    HWND menu = app->WaitForForm("Quorvex", "Welcome to Quorvex");
    if (menu == nullptr || !e2e::Click(menu, "Start")) return *why = "the main menu did not come", std::nullopt;
    HWND wizard = app->WaitForForm("Quorvex - Automatic Repair", "Quorvex Wizard");
    if (wizard == nullptr) return *why = "the wizard did not come", std::nullopt;
    for (const char* page : {"Step 1", "Step 2", "Step 3", "Step 4"}) {
        if (!e2e::Click(wizard, "Next >") || !app->WaitForPage(wizard, page, "Next >", kPatience))
            return *why = std::string("no page ") + page, std::nullopt;
    }
    if (!e2e::Click(wizard, "Next >")) return *why = "no Next", std::nullopt;
    HWND box = app->WaitForMessageBox(kPatience);
    if (box == nullptr) return *why = "no question", std::nullopt;
    const size_t before = Starts(api, word->programFolder);
    const size_t labels = ShownLabels(wizard);
    const Clock::time_point asked = Clock::now();
    if (!e2e::Answer(box, "Yes")) return *why = "no Yes on the question", std::nullopt;
    // The result comes as one more label on the page; the time is when it
    // was seen, not after its text was read back to make sure.
    Clock::time_point done;
    const bool shown = e2e::WaitUntil(
        [&] {
            if (ShownLabels(wizard) == labels) return false;
            done = Clock::now();
            const std::vector<std::string> texts = e2e::PageTexts(wizard);
            return std::any_of(texts.begin(), texts.end(),
                               [](const std::string& t) { return t.find("Word was started") != std::string::npos; });
        },
        kPatience);
    if (!shown) return *why = "no result of the search", std::nullopt;
    Searched searched{Starts(api, word->programFolder) - before, MsBetween(asked, done)};
    app->Kill();
    return searched;
}

}  // namespace

bool MeasureSearch(os::win32::Win32Api& api, const Options& options) {
    bool first = true;
    for (size_t count : {size_t{16}, size_t{64}}) {
        std::string why;
        const std::optional<Searched> searched = Search(api, options, count, &why);
        if (!searched) {
            Note("search on " + std::to_string(count) + " add-ins: " + why);
            return false;
        }
        const double floorMs = static_cast<double>(searched->starts) * kStartDelayMs;
        const double ratio = floorMs > 0 ? searched->ms / floorMs : 0;
        Row(first ? "8" : "", "Add-in search, " + std::to_string(count) + " Startup add-ins, one at fault: starts",
            std::to_string(searched->starts), "<= ceil(log2 n) + 1",
            Verdict(searched->starts <= (count == 16 ? 5u : 7u)));
        Row("", "  time against its floor of starts x 1 s", Fixed(searched->ms / 1000, 1) + " s, ratio " + Fixed(ratio, 3),
            "<= " + Fixed(kGoal, 2), Verdict(floorMs > 0 && ratio <= kGoal));
        first = false;
    }
    return true;
}

}  // namespace bench

#endif  // _WIN32
