// The engine's world in native tests: an emulated machine with the simulated
// Word, a scripted user, and the program-wide values the profiles read.
#pragma once

#include "engine/Program.h"
#include "engine/RegFile.h"
#include "engine/Selection.h"
#include "engine/WordVersions.h"
#include "os/Handles.h"
#include "os/emulated/Machine.h"
#include "support/ScriptedUser.h"
#include "wordsim/emulated/EmulatedWord.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace enginetest {

constexpr char kAppData[] = "C:\\Users\\Ann\\AppData\\Roaming";
constexpr char kOwnFolder[] = "C:\\Tools\\Fix";
constexpr char kComKey[] = "Software\\Microsoft\\Office\\Word\\Addins";

inline std::string OfficeKey(const char* version, const char* rest) {
    return std::string("Software\\Microsoft\\Office\\") + version + "\\" + rest;
}

class EngineWorld : public ::testing::Test {
protected:
    EngineWorld() {
        machine.SetSpecialFolder(os::CsidlAppData, kAppData);
        machine.MakeFolders(kAppData);
        machine.SetModulePath(std::string(kOwnFolder) + "\\qvxfix.exe");
    }

    // Lays the simulated Word in and points the program at it.
    wordsim::InstallResult& InstallWord(wordsim::Version version,
                                        std::vector<wordsim::Component> faults = {}) {
        options.version = version;
        options.faults = std::move(faults);
        install = wordsim::InstallEmulated(machine, options);
        EXPECT_TRUE(install.ok) << install.error;
        program.WordProgramFolder = install.programFolder;
        return install;
    }

    // The wizards' selection for a version key.
    std::shared_ptr<engine::clsWD> Select(const std::string& version) {
        program.CurrentWordVersion = version;
        return engine::SelectWordProfile(program);
    }

    // --- Registry ---
    void Put(const std::string& key, const std::string& name, const std::string& text) {
        os::HKey raw = 0;
        ASSERT_EQ(0, machine.RegCreateKeyEx(os::HKeyCurrentUser, key, os::KeyAllAccess, &raw, nullptr)) << key;
        os::UniqueKey owner(machine, raw);
        std::string data = text + '\0';
        ASSERT_EQ(0, machine.RegSetValueEx(raw, name, os::RegSz, reinterpret_cast<const uint8_t*>(data.data()),
                                           static_cast<uint32_t>(data.size())));
    }
    void Unset(const std::string& key, const std::string& name) {
        os::HKey raw = 0;
        if (machine.RegOpenKeyEx(os::HKeyCurrentUser, key, os::KeyAllAccess, &raw) != 0) return;
        machine.RegDeleteValue(raw, name);
        machine.RegCloseKey(raw);
    }
    bool KeyExists(const std::string& key) {
        os::HKey raw = 0;
        if (machine.RegOpenKeyEx(os::HKeyCurrentUser, key, os::KeyRead, &raw) != 0) return false;
        machine.RegCloseKey(raw);
        return true;
    }
    engine::RegFile Tree(const std::string& key) {
        engine::RegFile tree;
        EXPECT_EQ(0, engine::ReadRegTree(machine, os::HKeyCurrentUser, key, &tree)) << key;
        return tree;
    }

    // --- Files ---
    std::string Text(const std::string& path) { return machine.ReadFileText(path).value_or("<missing>"); }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : host.Boxes()) texts.push_back(box.text);
        return texts;
    }

    os::emulated::Machine machine;
    qvxtest::ScriptedUser host;
    engine::Program program{platform::Services{machine, host}};
    wordsim::InstallOptions options;
    wordsim::InstallResult install;
};

}  // namespace enginetest
