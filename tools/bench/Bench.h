// qvx-bench.exe: measures qvxfix.exe under Wine beside yardsticks run in the
// same process and the same prefix, and prints each figure as one table row
// for scripts/bench. It reports; it never fails a goal.
#pragma once

#ifdef _WIN32

#include "driver/Driver.h"
#include "forms/Host.h"
#include "os/win32/Win32Api.h"
#include "platform/UserPort.h"
#include "wordsim/Installer.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double MsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

struct Options {
    std::string program;  // the built qvxfix.exe
    std::string minwin;   // the built minwin.exe
    std::string wordsim;  // folder of the built winword.exe and wordsim.dll
    std::string work;     // scratch folder inside the prefix
    int runs = 5;         // repetitions of the short measurements
    int repairRuns = 3;   // repetitions of the whole repair
    std::vector<std::string> only;  // empty: every measurement
    bool trace = false;             // the repair's timeline, for finding where time goes
};

// --- Statistics ---
double Median(std::vector<double> values);
// Nearest rank; p in [0, 100].
double Percentile(std::vector<double> values, double p);
double Max(const std::vector<double>& values);

// --- Output: one line per row or note, read by scripts/bench ---
// A figure, what it came to, its goal and whether the goal is met
// ("yes", "NO" or "-" when it has no goal).
void Row(const std::string& number, const std::string& figure, const std::string& measured, const std::string& goal,
         const std::string& met);
void Note(const std::string& text);
std::string Fixed(double value, int decimals);
std::string Mib(double bytes);
std::string Verdict(bool met);

// The user for the engine run inside the bench: yields pump this thread's
// queue as the program's host does; a message box (a rename that failed) is
// recorded instead of waiting for a user.
class PumpingHost : public platform::UserPort {
public:
    void Tell(const std::string& text, platform::Mark, const std::string&) override { boxes.push_back(text); }
    // Closed with OK, as an unattended run would: no Yes.
    bool Ask(const std::string& text, platform::Mark, const std::string&) override {
        boxes.push_back(text);
        return false;
    }
    using UserPort::DoEvents;
    void DoEvents() override {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    [[noreturn]] void End() override { throw forms::ProgramEnded(); }

    std::vector<std::string> boxes;
};

// --- The machine ---
// The simulated Word (2003 unless told) at its default folders, with that
// start delay and those faults; Uninstall first when one is there.
std::optional<wordsim::InstallResult> InstallWord(os::win32::Win32Api& api, const Options& options,
                                                  uint32_t delayMs, const std::vector<wordsim::Component>& faults,
                                                  wordsim::Version version = wordsim::Version::Word2003,
                                                  const std::vector<std::string>& startupAddins = {});
// The settings that skip the version choice and the walk-through offer, with
// that version chosen.
void StoreQuietSettings(os::win32::Win32Api& api, const char* version = "WD11");
// Copies qvxfix.exe into a folder of its own (its backups land there).
std::optional<std::string> PlaceProgram(os::win32::Win32Api& api, const Options& options, const std::string& folder);
// e2e::App::Start, tried again when Wine refuses the odd start on a busy
// machine (ERROR_INTERNAL_ERROR); *started is when the start that held began.
std::unique_ptr<e2e::App> StartApp(const std::string& exe, std::string* why, Clock::time_point* started = nullptr);
// PeakWorkingSetSize of a running process, read from outside.
std::optional<size_t> PeakWorkingSet(DWORD processId);
// The first visible top-level window of the process's first thread (of that
// class, if given), polled every millisecond; null when patience runs out.
HWND WaitForVisibleWindow(const e2e::App& app, const std::string& className, e2e::Millis patience);

// --- The measurements; each prints its own rows ---
bool MeasureRepair(os::win32::Win32Api& api, const Options& options);    // 1, 4, 7
bool MeasureRegBackup(os::win32::Win32Api& api, const Options& options); // 2
bool MeasureLaunch(os::win32::Win32Api& api, const Options& options);    // 3
bool MeasureAddins(os::win32::Win32Api& api, const Options& options);    // 5
bool MeasureSearch(os::win32::Win32Api& api, const Options& options);    // 8
// Notes only: the engine calls of both passes, timed in this process. It
// loads the simulated Word's server into the bench, so it runs last.
bool MeasurePassCalls(os::win32::Win32Api& api, const Options& options);

}  // namespace bench

#endif  // _WIN32
