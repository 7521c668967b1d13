// The program's entry: settles the Word version the run works on, learns
// where winword.exe lies, opens the main menu and the walk-through offer.
#pragma once

#include "app/Context.h"

#include <optional>
#include <string>
#include <vector>

namespace app {

// Runs once; returns with the main menu shown, the program then lives on its
// events. Ends the program when Word cannot be found at all.
void Startup(Context& ctx);
// When the latest run that changed Word did not finish, asks whether to put
// back what it changed, and does so on Yes. A damaged journal is told once.
void OfferRecovery(Context& ctx);
// CurrentWordVersion from the stored choice (empty for none), with its option
// selected in the version choice. False when the stored Word 2007 or later is
// no longer installed: the user is asked again.
bool LoadStoredWordVersion(Context& ctx);

// "WD10" when Word 2002's per-user key exists, else "None".
std::string DetectWD10(const platform::Services& services);
// "WD11" when Word 2003's per-user key exists, else "None".
std::string DetectWD11(const platform::Services& services);

// Sets WordProgramFolder from Word's automation object, or from Word's
// registration when the object cannot be had (a Word that no longer starts
// is why this program runs). Ends the program when neither finds Word.
void LearnWordProgramFolder(Context& ctx);

// The folder of winword.exe as Word's registration names it: the App Paths
// entry first, then the InstallRoot of the chosen version ("WD10"/"WD11"),
// then of the other one. Only a folder that holds winword.exe counts; no
// trailing backslash.
std::optional<std::string> FindWordOnDisk(os::Api& api, const std::string& wordVersion);

// A Word 2007 or later found without starting it.
struct InstalledWord {
    std::string version;  // "WD12" ... "WD16"
    std::string folder;   // holds winword.exe; no trailing backslash
    bool clickToRun = false;
};
// Every Word 2007 or later on the machine, one per version, oldest first:
// the InstallRoot of each version in both registry views, the Click-to-Run
// configuration, then App Paths. The version is winword.exe's own file
// version; a file without one takes the version of the key, the report or
// the Office folder's name that found it.
std::vector<InstalledWord> FindNewerWords(os::Api& api);

}  // namespace app
