#include "wordsim/emulated/EmulatedWord.h"

#include "wordsim/SimIo.h"

#include <memory>

namespace wordsim {

namespace {

// Word.Application as the emulated machine hands it out. Member names are
// matched without regard to case, as IDispatch does.
class Application : public os::AutomationObject {
public:
    Application(os::emulated::Machine& machine, std::string programFolder, const StartResult& start, uint32_t holdMs)
        : machine_(machine),
          programFolder_(std::move(programFolder)),
          version_(start.version),
          normalDot_(start.normalDot),
          holdMs_(holdMs) {}

    int32_t GetProperty(const std::string& name, os::AutoValue* value, os::AutoError* error) override {
        if (quit_) return Disconnected(error);
        const std::string member = io::Lower(name);
        if (member == "path") {
            *value = programFolder_;
        } else if (member == "visible") {
            *value = false;
        } else if (member == "version") {
            *value = std::string(OfficeVersion(version_));
        } else {
            return UnknownName(name, error);
        }
        return 0;
    }

    int32_t CallMethod(const std::string& name, os::AutoError* error) override {
        if (quit_) return Disconnected(error);
        if (io::Lower(name) != "quit") return UnknownName(name, error);
        quit_ = true;
        AppendLog(machine_, programFolder_, "quit", "");
        if (holdMs_ > 0 && !normalDot_.empty()) HoldNormalDot();
        return 0;
    }

private:
    // The process lives on a while after Quit, its Normal.dot open.
    void HoldNormalDot() {
        const os::Handle file = machine_.CreateFile(normalDot_, os::GenericRead | os::GenericWrite, os::ShareRead,
                                                    os::OpenExisting);
        if (file == 0) return;
        os::emulated::Machine* machine = &machine_;
        machine_.After(holdMs_, [machine, file] { machine->CloseHandle(file); });
    }
    static int32_t Disconnected(os::AutoError* error) {
        if (error != nullptr) *error = {kDisconnectedHresult, "The object invoked has disconnected from its clients."};
        return kDisconnectedHresult;
    }
    static int32_t UnknownName(const std::string& name, os::AutoError* error) {
        if (error != nullptr) *error = {kUnknownNameHresult, "Unknown name: " + name};
        return kUnknownNameHresult;
    }

    os::emulated::Machine& machine_;
    std::string programFolder_;
    Version version_;
    std::string normalDot_;
    uint32_t holdMs_;
    bool quit_ = false;
};

os::emulated::Machine::AutomationFactory Factory(const std::string& programFolder, uint32_t holdMs) {
    return [programFolder, holdMs](os::emulated::Machine& machine, os::AutoError* error) -> std::unique_ptr<os::AutomationObject> {
        const StartResult result = StartAutomation(machine, programFolder);
        if (!result.started) {
            if (error != nullptr) *error = {kStartFailedHresult, result.description};
            return nullptr;
        }
        return std::make_unique<Application>(machine, programFolder, result, holdMs);
    };
}

}  // namespace

void HookUp(os::emulated::Machine& machine, const InstallResult& install) {
    const std::string folder = install.programFolder;
    const uint32_t holdMs = install.holdsNormalAfterQuitMs;
    machine.InstallProgram(install.winword, [folder, holdMs](os::emulated::Machine& m, const std::string& commandLine) {
        Registrar registrar;
        registrar.onRegister = [&m, folder, holdMs] { m.RegisterAutomation(kProgId, Factory(folder, holdMs)); };
        registrar.onUnregister = [&m] { m.UnregisterAutomation(kProgId); };
        return RunCommandLine(m, folder, commandLine, registrar).exitCode;
    });
    if (install.serverRegistered) machine.RegisterAutomation(kProgId, Factory(folder, holdMs));
}

InstallResult InstallEmulated(os::emulated::Machine& machine, const InstallOptions& options) {
    InstallResult result = Install(machine, options);
    if (!result.ok) return result;
    // A real winword.exe carries its version, as the built ones do.
    machine.SetFileVersion(result.winword, OfficeVersion(options.version));
    HookUp(machine, result);
    return result;
}

}  // namespace wordsim
