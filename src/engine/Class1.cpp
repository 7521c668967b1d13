#include "engine/Class1.h"

#include "os/Handles.h"
#include "os/Processes.h"
#include "platform/FileError.h"

namespace engine {

std::string RegExportCommandLine(const std::string& file, const std::string& key) {
    return std::string(kRegeditPath) + " /e \"" + file + "\" \"" + key;
}

std::string RegImportCommandLine(const std::string& file) { return std::string(kRegeditPath) + " /s " + file; }

void StartRegistryEditor(const platform::Services& services, const std::string& commandLine,
                         const std::string& source) {
    os::Api& api = services.api;
    // Not waited for: the handle is only closed.
    os::UniqueHandle process(api, os::StartProcess(api, kRegeditPath, commandLine, os::SwShowMinimized));
    if (!process) platform::RaiseFileError(api.GetLastError(), source);
}

void Class1::RegBackup(const std::string& strFileLocation, const std::string& strReg) {
    StartRegistryEditor(services_, RegExportCommandLine(strFileLocation, strReg), "Class1");
}

void Class1::RegRestore(const std::string& strFile) {
    StartRegistryEditor(services_, RegImportCommandLine(strFile), "Class1");
}

}  // namespace engine
