// The switches for running without anyone at the screen (fleet tools, logon
// scripts): what was asked, read before anything else happens.
#pragma once

#include <string>
#include <vector>

namespace app {

// Exit codes of the unattended run; 3 is kExitAnotherCopyRuns.
constexpr int kExitNothingAtFault = 0;
constexpr int kExitRepaired = 1;
constexpr int kExitWordNeverStarts = 2;
constexpr int kExitNoWord = 4;
constexpr int kExitNotDone = 5;
constexpr int kExitBadArguments = 64;

struct CommandLine {
    enum class Action {
        Interactive,  // no arguments: the program as ever
        Auto,         // the automatic repair, without windows
        Undo,
        List,
        Usage,
        Bad,  // unknown or malformed: usage, exit 64
    };
    Action action = Action::Interactive;
    std::string version;      // "WD11" and the like; empty: the one found
    std::string log;          // empty: DefaultLogPath
    std::string run = "last";  // which run /undo undoes
    std::string error;        // for Bad: what is wrong
};

// args: the arguments after the program's name, as SplitCommandLine gives them.
CommandLine ParseArguments(const std::vector<std::string>& args);

// The arguments of a Windows command line, by the C runtime's rules for
// quotes and backslashes; the program's name is dropped.
std::vector<std::string> SplitCommandLine(const std::string& text);

extern const char* const kUsage;

}  // namespace app
