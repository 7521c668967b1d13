// Exports a registry key to a registration file and imports one, by starting
// the system registry editor. The editor runs on its own: these calls return
// before it has finished, and its outcome is never observed.
#pragma once

#include "platform/Services.h"

#include <string>

namespace engine {

// The editor's fixed path; it is passed as the program to run, so a target
// path with blanks in the command line can never pick another program.
inline constexpr const char* kRegeditPath = "C:\\Windows\\Regedit.exe";

// "C:\Windows\Regedit.exe /e "file" "key — the key's quote is left open, as
// the editor has always been given it (it reads to the end of the line).
std::string RegExportCommandLine(const std::string& file, const std::string& key);
// "C:\Windows\Regedit.exe /s file", unquoted.
std::string RegImportCommandLine(const std::string& file);
// Starts the editor minimized with focus and does not wait for it. A start
// failure raises the file error that fits, with source as its source.
void StartRegistryEditor(const platform::Services& services, const std::string& commandLine,
                         const std::string& source);

class Class1 {
public:
    explicit Class1(const platform::Services& services) : services_(services) {}

    void RegBackup(const std::string& strFileLocation, const std::string& strReg);
    void RegRestore(const std::string& strFile);

private:
    platform::Services services_;
};

}  // namespace engine
