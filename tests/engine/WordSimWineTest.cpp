// The simulated Word's Windows binaries on the real API: wordsim.dll as the
// Word.Application server, winword.exe's registration switches and its log.
// Windows build only; everything is laid into this test's scratch folder and
// removed again at tear-down.
#ifdef _WIN32

#include "os/Handles.h"
#include "os/win32/Raii.h"
#include "os/win32/WinHeaders.h"
#include "support/TestMachine.h"
#include "wordsim/Installer.h"
#include "wordsim/SimIo.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

using wordsim::Component;
using wordsim::Version;

// The build folder of winword.exe and wordsim.dll. A Linux path when the
// build ran on Linux: Wine shows the root file system as drive Z:.
std::string BinaryFolder() {
    std::string folder = WORDSIM_BIN_DIR;
    if (!folder.empty() && folder[0] == '/') folder = "Z:" + folder;
    for (char& c : folder) {
        if (c == '/') c = '\\';
    }
    return folder;
}

class WordSimWine : public ::testing::Test {
protected:
    void SetUp() override {
        machine_ = qvxtest::TestMachine::Create();
        // A blank in the program folder, as in "Program Files".
        options_.programFolder = machine_->ScratchDir() + "Sim Office\\OFFICE11";
        options_.userTemplates = machine_->ScratchDir() + "Templates";
        options_.sharedTemplates = machine_->ScratchDir() + "Shared";
        options_.startupFolder = machine_->ScratchDir() + "STARTUP";
        options_.binarySource = BinaryFolder();
    }

    void TearDown() override {
        if (installed_) Uninstall();
        machine_.reset();
    }

    os::Api& Api() { return machine_->Api(); }

    // wordsim.dll stays loaded in this process until COM lets it go, and a
    // loaded DLL cannot be deleted.
    void Uninstall() {
        object_.reset();
        ::CoFreeUnusedLibrariesEx(0, 0);
        wordsim::Uninstall(Api(), install_);
        installed_ = false;
    }

    void Install(std::vector<Component> faults = {}) {
        if (installed_) Uninstall();
        options_.faults = std::move(faults);
        install_ = wordsim::Install(Api(), options_);
        installed_ = true;
        ASSERT_TRUE(install_.ok) << install_.error;
    }

    int32_t Create() {
        object_.reset();
        error_ = {};
        return Api().CreateObject("Word.Application", &object_, &error_);
    }

    uint32_t Run(const std::string& commandLine) {
        os::UniqueHandle process(Api(), Api().CreateProcess("", commandLine, os::SwHide));
        EXPECT_TRUE(process) << commandLine << ": error " << Api().GetLastError();
        if (!process) return 0xFFFFFFFFu;
        EXPECT_EQ(os::WaitObject0, Api().WaitForSingleObject(process.get(), 30000));
        uint32_t code = 0xDEADBEEF;
        EXPECT_TRUE(Api().GetExitCodeProcess(process.get(), &code));
        return code;
    }

    std::unique_ptr<qvxtest::TestMachine> machine_;
    wordsim::InstallOptions options_;
    wordsim::InstallResult install_;
    bool installed_ = false;
    std::unique_ptr<os::AutomationObject> object_;
    os::AutoError error_;
};

TEST_F(WordSimWine, WordApplicationReportsItsFolderAndQuits) {
    ASSERT_TRUE(Api().PathFileExists(wordsim::io::Join(BinaryFolder(), "wordsim.dll")))
        << "build the wordsim targets first";
    Install();
    // Read from the version resource of the file laid in; a file without one has none.
    EXPECT_EQ("11.0", Api().FileVersion(install_.winword));
    EXPECT_EQ("", Api().FileVersion(install_.server));
    ASSERT_EQ(0, Create()) << error_.description;
    os::AutoValue path;
    ASSERT_EQ(0, object_->GetProperty("Path", &path, &error_)) << error_.description;
    EXPECT_EQ(os::AutoValue(install_.programFolder), path);
    os::AutoValue visible;
    ASSERT_EQ(0, object_->GetProperty("Visible", &visible, &error_)) << error_.description;
    EXPECT_EQ(os::AutoValue(false), visible);
    ASSERT_EQ(0, object_->CallMethod("Quit", &error_)) << error_.description;
    object_.reset();

    const auto log = wordsim::ReadLog(Api(), install_.programFolder);
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ("automation", log[0].kind);
    EXPECT_EQ("started", log[0].text);
    EXPECT_EQ("quit", log[1].kind);
}

TEST_F(WordSimWine, EachFaultMakesCreationFail) {
    for (Component component : wordsim::kComponents) {
        SCOPED_TRACE(wordsim::ComponentName(component));
        Install({component});
        EXPECT_EQ(wordsim::kStartFailedHresult, Create());
        EXPECT_FALSE(object_);
        const auto log = wordsim::ReadLog(Api(), install_.programFolder);
        ASSERT_EQ(1u, log.size());
        EXPECT_EQ(0u, log[0].text.rfind("failed: ", 0)) << log[0].text;
    }
}

TEST_F(WordSimWine, StartDelayHoldsUpCreation) {
    options_.startDelayMs = 400;
    Install();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(0, Create()) << error_.description;
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
}

TEST_F(WordSimWine, WinwordUnregistersAndRegistersAndLogsItsCommandLines) {
    Install();
    // The lines the repair tool starts: the program's path unquoted.
    const std::string unregister = install_.winword + " /u";
    const std::string reregister = install_.winword + " /r";
    const std::string safeMode = install_.winword + " /a /t\"" + machine_->ScratchDir() + "Sim Tools\\SafeMode.DOT\"";

    EXPECT_EQ(0u, Run(unregister));
    EXPECT_NE(0, Create()) << "Word.Application must be gone after /u";
    EXPECT_EQ(0u, Run(safeMode));
    EXPECT_EQ(0u, Run(reregister));
    ASSERT_EQ(0, Create()) << error_.description;
    EXPECT_EQ(0, object_->CallMethod("Quit", &error_));

    // Windows hands the line over as it was given. Wine's CreateProcess
    // quotes a program path with blanks that it had to find by trying.
    auto received = [this](const std::string& line) {
        if (!qvxtest::RunningUnderWine()) return line;
        return "\"" + install_.winword + "\"" + line.substr(install_.winword.size());
    };
    const auto log = wordsim::ReadLog(Api(), install_.programFolder);
    EXPECT_EQ((std::vector<std::string>{received(unregister), received(safeMode), received(reregister)}),
              wordsim::LoggedCommandLines(log));
}

// The COM glue itself, through the DLL's exports: references counted right,
// unloadable exactly when nothing is held.
TEST_F(WordSimWine, ServerCountsReferencesAndUnloadsWhenFree) {
    Install();
    os::win32::UniqueModule dll(::LoadLibraryA(install_.server.c_str()));
    ASSERT_TRUE(dll);
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    auto getClassObject =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(::GetProcAddress(dll.get(), "DllGetClassObject")));
    auto canUnloadNow =
        reinterpret_cast<CanUnloadNow>(reinterpret_cast<void*>(::GetProcAddress(dll.get(), "DllCanUnloadNow")));
    ASSERT_NE(nullptr, getClassObject);
    ASSERT_NE(nullptr, canUnloadNow);

    CLSID clsid = {};
    ASSERT_EQ(S_OK, ::CLSIDFromString(L"{9A0331FF-ABB3-420D-8D8F-824C8EA99E27}", &clsid));
    void* unknownClass = reinterpret_cast<void*>(0xdeadbeef);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(IID_IDispatch, IID_IClassFactory, &unknownClass));
    EXPECT_EQ(nullptr, unknownClass);

    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    EXPECT_EQ(S_FALSE, canUnloadNow());
    IDispatch* application = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&application)));
    factory->Release();
    EXPECT_EQ(S_FALSE, canUnloadNow()) << "an object is alive";

    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, application->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    EXPECT_EQ(1u, unknown->Release()) << "one reference left, the creator's";
    void* none = reinterpret_cast<void*>(0xdeadbeef);
    EXPECT_EQ(E_NOINTERFACE, application->QueryInterface(IID_IClassFactory, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(0u, application->Release());
    EXPECT_EQ(S_OK, canUnloadNow());
    dll.reset();
}

}  // namespace

#endif  // _WIN32
