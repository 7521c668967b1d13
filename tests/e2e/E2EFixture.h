// What every end-to-end test starts from: a copy of the real qvxfix.exe in a
// folder of its own with a blank in its name (its backups land in it, the
// Data backup beside it), the program's settings cleared, and a simulated
// Word laid in by the test and removed again afterwards.
#pragma once

#ifdef _WIN32

#include "driver/Driver.h"
#include "support/TestMachine.h"
#include "support/win32/Display.h"
#include "wordsim/Installer.h"
#include "wordsim/SimIo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

namespace e2e {

inline constexpr const char* kSettingsRoot = "Software\\VB and VBA Program Settings\\qvxfix";

class E2EFixture : public ::testing::Test {
protected:
    void SetUp() override {
        if (!qvxtest::CanShowWindows()) GTEST_SKIP() << qvxtest::kNoDisplay;
        machine_ = qvxtest::TestMachine::Create();
        folder_ = machine_->ScratchDir() + "Quorvex Test";
        exe_ = folder_ + "\\qvxfix.exe";
        ASSERT_TRUE(Api().CreateDirectory(folder_));
        ASSERT_TRUE(Api().CopyFile(WindowsPath(QVXFIX_EXE), exe_, false)) << QVXFIX_EXE;
        artifacts_ = WindowsPath(QVX_E2E_ARTIFACTS);
        ASSERT_TRUE(MakeFolders(artifacts_)) << artifacts_;
        ResetSettings();
        ClearJournals();
    }

    void TearDown() override {
        if (app_ && app_->Running()) ADD_FAILURE() << "the program was still running at the end\n" << app_->Describe();
        app_.reset();
        if (installed_) {
            // The simulated Word's server may still be loaded in this process.
            ::CoFreeUnusedLibrariesEx(0, 0);
            wordsim::Uninstall(Api(), install_);
        }
        if (machine_) ResetSettings(), ClearJournals();
        machine_.reset();
    }

    os::Api& Api() { return machine_->Api(); }

    void ResetSettings() { qvxtest::DeleteKeyTree(Api(), os::HKeyCurrentUser, kSettingsRoot); }
    // The program's journals of its runs: a test's run never meets another test's.
    std::string JournalFolder() {
        std::string local;
        return Api().GetSpecialFolderPath(os::CsidlLocalAppData, &local) ? local + "\\Quorvex" : std::string();
    }
    void ClearJournals() {
        const std::string folder = JournalFolder();
        for (const std::string& file : wordsim::io::FilesIn(Api(), folder)) Api().DeleteFile(folder + "\\" + file);
    }

    void StoreSetting(const std::string& section, const std::string& name, const std::string& value) {
        ASSERT_TRUE(wordsim::io::WriteString(Api(), os::HKeyCurrentUser, std::string(kSettingsRoot) + "\\" + section,
                                             name, value));
    }

    // The settings that take the user straight to the main menu: Word 2003
    // chosen for good, the walk-through declined.
    void StoreNoQuestions() {
        StoreSetting("Settings", "Word Version", "WD11");
        StoreSetting("Settings", "Word Detect No Show", "True");
        StoreSetting("Show WalkThru", "WalkThru", "True");
    }

    // Where a simulated Word of that version goes in the test's scratch folder.
    wordsim::InstallOptions WordOptions(wordsim::Version version) {
        wordsim::InstallOptions options;
        options.version = version;
        // Word 2016 or later is a Click-to-Run one: known by "root\Office16".
        const std::string office = version == wordsim::Version::Word2002   ? "OFFICE10"
                                   : version == wordsim::Version::Word2007 ? "Office12"
                                   : version == wordsim::Version::Word2016 ? "root\\Office16"
                                                                           : "OFFICE11";
        options.programFolder = machine_->ScratchDir() + "Sim Office\\" + office;
        options.userTemplates = machine_->ScratchDir() + "Templates";
        options.sharedTemplates = machine_->ScratchDir() + "Shared";
        options.startupFolder = machine_->ScratchDir() + "STARTUP";
        options.binarySource = WindowsPath(WORDSIM_BIN_DIR);
        return options;
    }

    void Install(const wordsim::InstallOptions& options) {
        install_ = wordsim::Install(Api(), options);
        installed_ = true;
        ASSERT_TRUE(install_.ok) << install_.error;
    }

    void Launch() {
        std::string error;
        app_ = App::Start(exe_, folder_, &error);
        ASSERT_TRUE(app_) << error;
    }

    HWND WaitForForm(const char* caption, const char* childText) {
        HWND form = app_->WaitForForm(caption, childText);
        EXPECT_NE(nullptr, form) << "no form \"" << caption << "\" with \"" << childText << "\"\n" << app_->Describe();
        return form;
    }

    // One picture per window visited: <test>-<n>-<window>.bmp.
    void Shot(HWND window, const std::string& name) {
        std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(test.begin(), test.end(), '/', '-');
        const std::string path = artifacts_ + "\\" + test + "-" + std::to_string(++shots_) + "-" + name + ".bmp";
        EXPECT_TRUE(SaveScreenshot(window, path)) << path;
    }

    // Ends with code 0, as every way out of the program does.
    void ExpectEndsCleanly() {
        std::optional<DWORD> code = app_->WaitForExit();
        ASSERT_TRUE(code.has_value()) << "the program did not end\n" << app_->Describe();
        EXPECT_EQ(0u, *code);
    }

    std::unique_ptr<qvxtest::TestMachine> machine_;
    std::string folder_;
    std::string exe_;
    std::string artifacts_;
    wordsim::InstallResult install_;
    bool installed_ = false;
    std::unique_ptr<App> app_;
    int shots_ = 0;
};

}  // namespace e2e

#endif  // _WIN32
