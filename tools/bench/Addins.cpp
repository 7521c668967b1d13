// Renaming the Startup add-ins aside and putting them back, through Word
// 2003's profile on real files and the real registry, with 10, 100 and 1,000
// add-ins: the cost per file should not grow with the folder.
#ifdef _WIN32

#include "bench/Bench.h"

#include "engine/Program.h"
#include "engine/Selection.h"
#include "engine/WordVersions.h"
#include "forms/Host.h"

#include <cstdio>
#include "wordsim/SimIo.h"

namespace bench {

namespace {

constexpr char kOptionsKey[] = "Software\\Microsoft\\Office\\11.0\\Word\\Options";
constexpr char kStartupValue[] = "Startup-Path";
constexpr int kCounts[] = {10, 100, 1000};
constexpr double kGoal = 1.3;

// Half templates, half add-in libraries, as a Startup folder holds them.
std::vector<std::string> AddinNames(int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Addin%04d.%s", i, i % 2 == 0 ? "dot" : "wll");
        names.push_back(name);
    }
    return names;
}

struct Timing {
    double renameMs = 0;
    double restoreMs = 0;
};

// One run with a program of its own, as a run of qvxfix.exe would have.
// The floor the file system sets, per file: the bare copy to a new name and
// delete that a rename and a restore each make at least.
double BareCopyAndDeleteUs(const std::string& folder, const std::vector<std::string>& names) {
    const auto begun = Clock::now();
    for (const bool back : {false, true}) {
        for (const std::string& name : names) {
            const std::string working = wordsim::io::Join(folder, name);
            const std::string aside = working + ".bare";
            const std::string& from = back ? aside : working;
            ::CopyFileA(from.c_str(), (back ? working : aside).c_str(), TRUE);
            ::DeleteFileA(from.c_str());
        }
    }
    return MsBetween(begun, Clock::now()) * 1000 / static_cast<double>(names.size());
}

std::optional<Timing> RenameAndRestore(os::win32::Win32Api& api, PumpingHost& host, const std::string& folder,
                                       const std::vector<std::string>& names, std::string* why) {
    engine::Program program(platform::Services{api, host});
    program.CurrentWordVersion = engine::kWord2003;
    const std::shared_ptr<engine::clsWD> profile = engine::SelectWordProfile(program);
    if (!profile) {
        *why = "no Word 2003 profile";
        return std::nullopt;
    }
    Clock::time_point a, b, c;
    std::vector<std::string> aside;
    try {
        a = Clock::now();
        profile->RenameAddins();
        b = Clock::now();
        aside = wordsim::io::FilesIn(api, folder);
        profile->RestoreAddins();
        c = Clock::now();
    } catch (const forms::ProgramEnded&) {
        *why = "the program ended: " + (host.boxes.empty() ? std::string() : host.boxes.front());
        return std::nullopt;
    }
    if (!host.boxes.empty()) {
        *why = "a message: " + host.boxes.front();
        return std::nullopt;
    }

    // Every add-in went aside and came back under its own name.
    for (const std::string& name : aside) {
        const std::string extension = wordsim::io::Extension(name);
        if (extension != "wbt" && extension != "wbl") {
            *why = "not renamed aside: " + name;
            return std::nullopt;
        }
    }
    std::vector<std::string> back = wordsim::io::FilesIn(api, folder);
    if (aside.size() != names.size() || back.size() != names.size()) {
        *why = "files lost or left aside: " + std::to_string(aside.size()) + " aside, " +
               std::to_string(back.size()) + " back of " + std::to_string(names.size());
        return std::nullopt;
    }
    for (const std::string& name : names) {
        if (!api.PathFileExists(wordsim::io::Join(folder, name))) {
            *why = "not put back: " + name;
            return std::nullopt;
        }
    }
    return Timing{MsBetween(a, b), MsBetween(b, c)};
}

}  // namespace

bool MeasureAddins(os::win32::Win32Api& api, const Options& options) {
    if (!InstallWord(api, options, 0, {})) return false;
    PumpingHost host;
    const std::optional<std::string> installedStartup =
        wordsim::io::ReadString(api, os::HKeyCurrentUser, kOptionsKey, kStartupValue);

    struct Size {
        int count;
        int repeats;  // runs per round, so that each round renames a fair number of files
        std::string folder;
        std::vector<std::string> names;
        std::vector<double> renameUs;  // per file, one entry per round
        std::vector<double> restoreUs;
        std::vector<double> bareUs;
    };
    std::vector<Size> sizes;
    for (int count : kCounts) {
        Size size{count, std::max(1, 200 / count), wordsim::io::Join(options.work, "STARTUP" + std::to_string(count)),
                  AddinNames(count), {}, {}, {}};
        wordsim::io::DeleteFolderTree(api, size.folder);
        wordsim::io::MakeFolders(api, size.folder);
        for (const std::string& name : size.names)
            wordsim::io::WriteWholeFile(api, wordsim::io::Join(size.folder, name), "Startup add-in " + name + "\r\n");
        sizes.push_back(std::move(size));
    }

    // The sizes take turns in every round, so that a machine that gets busier
    // or quieter meanwhile weighs on all of them alike. Round 0 warms up.
    const int rounds = std::max(3, options.runs);
    std::string why;
    bool failed = false;
    for (int round = 0; round <= rounds && !failed; ++round) {
        for (Size& size : sizes) {
            double rename = 0;
            double restore = 0;
            for (int repeat = 0; repeat < size.repeats && !failed; ++repeat) {
                wordsim::io::WriteString(api, os::HKeyCurrentUser, kOptionsKey, kStartupValue, size.folder);
                const std::optional<Timing> timing = RenameAndRestore(api, host, size.folder, size.names, &why);
                failed = !timing;
                if (timing) {
                    rename += timing->renameMs;
                    restore += timing->restoreMs;
                }
            }
            if (failed || round == 0) continue;
            const double files = static_cast<double>(size.count) * size.repeats;
            size.renameUs.push_back(rename * 1000 / files);
            size.restoreUs.push_back(restore * 1000 / files);
            double bare = 0;
            for (int repeat = 0; repeat < size.repeats; ++repeat) bare += BareCopyAndDeleteUs(size.folder, size.names);
            size.bareUs.push_back(bare / size.repeats);
        }
    }
    // What the file system itself charges for a name that is not there, in
    // the smallest and the largest folder: each rename and each restore asks
    // for two such names (the free backup name, the copy's new file).
    std::vector<double> missingUs;
    for (const Size* size : {&sizes.front(), &sizes.back()}) {
        constexpr int kLookups = 200;
        const auto begun = Clock::now();
        for (int i = 0; i < kLookups; ++i)
            ::GetFileAttributesA(wordsim::io::Join(size->folder, "Missing" + std::to_string(i) + ".wbt").c_str());
        missingUs.push_back(MsBetween(begun, Clock::now()) * 1000 / kLookups);
    }
    if (installedStartup)
        wordsim::io::WriteString(api, os::HKeyCurrentUser, kOptionsKey, kStartupValue, *installedStartup);
    for (const Size& size : sizes) wordsim::io::DeleteFolderTree(api, size.folder);
    if (failed) {
        Note("add-ins: " + why);
        return false;
    }
    std::vector<double> perFile;
    for (const Size& size : sizes) {
        const double renameUs = Median(size.renameUs);
        const double restoreUs = Median(size.restoreUs);
        perFile.push_back(renameUs + restoreUs);
        Row(&size == &sizes.front() ? "5" : "",
            "Rename + restore " + std::to_string(size.count) + " Startup add-ins, per file",
            Fixed(renameUs, 0) + " + " + Fixed(restoreUs, 0) + " = " + Fixed(renameUs + restoreUs, 0) + " us", "",
            "");
    }
    const double growth = perFile.back() / perFile.front();
    const double bareFront = Median(sizes.front().bareUs);
    const double bareBack = Median(sizes.back().bareUs);
    Row("", "  per-file cost 1,000 / 10", Fixed(growth, 2), "<= " + Fixed(kGoal, 1), Verdict(growth <= kGoal));
    Row("", "  floor: bare copy + delete there and back, 10 / 1,000",
        Fixed(bareFront, 0) + " / " + Fixed(bareBack, 0) + " us; " + Fixed(bareBack / bareFront, 2) + "x",
        "", "");
    Note("add-ins: looking up a file name that is not there takes " + Fixed(missingUs.front(), 0) +
         " us in the 10-file folder and " + Fixed(missingUs.back(), 0) +
         " us in the 1,000-file one (Wine reads the folder through for a name of another case); the copies of a "
         "rename and of a restore each create a name, two such look-ups per file, as the floor's do");
    return true;
}

}  // namespace bench

#endif  // _WIN32
