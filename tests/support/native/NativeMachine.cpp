// The native build's test machine: a fresh emulated machine per instance,
// laid out like a fresh Wine prefix as far as the shared suites look.
#include "support/TestMachine.h"

#include "os/emulated/Machine.h"

#include <cstdlib>
#include <string>

namespace qvxtest {

namespace {

// cmd.exe as far as the suites use it: "/c exit N" ends with N.
uint32_t Cmd(os::emulated::Machine&, const std::string& commandLine) {
    std::string line;
    for (char c : commandLine) line += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    size_t command = line.find("/c ");
    if (command == std::string::npos) return 0;
    size_t start = line.find_first_not_of(' ', command + 3);
    if (start == std::string::npos || line.compare(start, 4, "exit") != 0) return 0;
    return static_cast<uint32_t>(std::strtoul(line.c_str() + start + 4, nullptr, 10));
}

class NativeMachine : public TestMachine {
public:
    NativeMachine() {
        scratchKey_ = "Software\\QuorvexTest\\Scratch";
        scratchDir_ = machine_.GetTempPath() + "QuorvexTest\\";
        const struct {
            int csidl;
            const char* path;
        } folders[] = {{os::CsidlAppData, "C:\\users\\qvx\\AppData\\Roaming"},
                       {os::CsidlLocalAppData, "C:\\users\\qvx\\AppData\\Local"},
                       {os::CsidlPersonal, "C:\\users\\qvx\\Documents"}};
        for (const auto& folder : folders) {
            machine_.MakeFolders(folder.path);
            machine_.SetSpecialFolder(folder.csidl, folder.path);
        }
        machine_.SetAnsiCodePage(AnsiCodePage());
        machine_.WriteFileText("C:\\Windows\\System32\\cmd.exe", "MZ");
        machine_.InstallProgram("C:\\Windows\\System32\\cmd.exe", Cmd);
        Wipe();
        os::HKey key = 0;
        if (machine_.RegCreateKeyEx(os::HKeyCurrentUser, scratchKey_, os::KeyAllAccess, &key, nullptr) == 0)
            machine_.RegCloseKey(key);
        machine_.CreateDirectory(Folder());
    }

    ~NativeMachine() override { Wipe(); }

    os::Api& Api() override { return machine_; }
    bool IsEmulated() const override { return true; }

private:
    std::string Folder() const { return scratchDir_.substr(0, scratchDir_.size() - 1); }

    void Wipe() {
        DeleteKeyTree(machine_, os::HKeyCurrentUser, scratchKey_);
        DeleteFolderTree(machine_, Folder());
    }

    os::emulated::Machine machine_;
};

}  // namespace

std::unique_ptr<TestMachine> TestMachine::Create() { return std::make_unique<NativeMachine>(); }

}  // namespace qvxtest
