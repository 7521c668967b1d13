#include "AppWorld.h"

#include "app/Startup.h"
#include "os/Handles.h"

#include <gtest/gtest.h>

namespace apptest {

namespace {

class FakeWordObject : public os::AutomationObject {
public:
    explicit FakeWordObject(std::shared_ptr<FakeWord> state) : s_(std::move(state)) { ++s_->alive; }
    ~FakeWordObject() override { --s_->alive; }

    int32_t GetProperty(const std::string& name, os::AutoValue* value, os::AutoError* error) override {
        if (name != "Path") return Fail(error, {static_cast<int32_t>(0x80020006u), "Unknown name."});
        if (s_->pathError.number != 0) return Fail(error, s_->pathError);
        *value = s_->path;
        return 0;
    }
    int32_t CallMethod(const std::string& name, os::AutoError* error) override {
        if (name != "Quit") return Fail(error, {static_cast<int32_t>(0x80020006u), "Unknown name."});
        ++s_->quits;
        return 0;
    }

private:
    static int32_t Fail(os::AutoError* error, const os::AutoError& what) {
        if (error != nullptr) *error = what;
        return what.number;
    }
    std::shared_ptr<FakeWord> s_;
};

std::string StoreKey(const std::string& app, const std::string& section) {
    return "Software\\VB and VBA Program Settings\\" + app + "\\" + section;
}

}  // namespace

World::World() {
    machine.MakeFolders("C:\\Program Files\\Browser");
    machine.WriteFileText(kBrowser, "MZ");
    machine.SetAssociation(".htm", kBrowser);
    InstallWord();
    NewRun();
}

void World::PutWinword(const std::string& folder) { machine.WriteFileText(folder + "\\WINWORD.EXE", "MZ"); }

void World::InstallWord(const std::string& folder) {
    PutWinword(folder);
    word->path = folder;
    std::shared_ptr<FakeWord> state = word;
    auto factory = [state](os::emulated::Machine&, os::AutoError* error) -> std::unique_ptr<os::AutomationObject> {
        if (state->createError.number != 0) {
            *error = state->createError;
            return nullptr;
        }
        ++state->created;
        return std::make_unique<FakeWordObject>(state);
    };
    machine.RegisterAutomation("Word.Application", factory);
}

void World::RemoveWord() {
    machine.UnregisterAutomation("Word.Application");
    machine.DeleteFile(std::string(kWordFolder) + "\\WINWORD.EXE");
}

void World::AddKey(os::HKey root, const std::string& subKey) {
    os::HKey key = 0;
    uint32_t disposition = 0;
    ASSERT_EQ(machine.RegCreateKeyEx(root, subKey, os::KeyAllAccess, &key, &disposition), 0) << subKey;
    machine.RegCloseKey(key);
}

void World::SetText(os::HKey root, const std::string& subKey, const std::string& name, const std::string& value) {
    os::HKey key = 0;
    uint32_t disposition = 0;
    ASSERT_EQ(machine.RegCreateKeyEx(root, subKey, os::KeyAllAccess, &key, &disposition), 0) << subKey;
    os::UniqueKey owner(machine, key);
    machine.RegSetValueEx(key, name, os::RegSz, reinterpret_cast<const uint8_t*>(value.c_str()),
                          static_cast<uint32_t>(value.size() + 1));
}

void World::Store(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& app) {
    SetText(os::HKeyCurrentUser, StoreKey(app, section), key, value);
}

std::optional<std::string> World::Stored(const std::string& section, const std::string& key, const std::string& app) {
    os::HKey raw = 0;
    if (machine.RegOpenKeyEx(os::HKeyCurrentUser, StoreKey(app, section), os::KeyRead, &raw) != 0) return std::nullopt;
    os::UniqueKey owner(machine, raw);
    char data[256] = {};
    uint32_t size = sizeof data - 1;
    uint32_t type = 0;
    if (machine.RegQueryValueEx(raw, key, &type, reinterpret_cast<uint8_t*>(data), &size) != 0) return std::nullopt;
    EXPECT_EQ(type, os::RegSz) << section << "/" << key;
    return std::string(data);
}

void World::NewRun() {
    ctx_.reset();
    host_ = std::make_unique<forms::ScriptedHost>();
    ctx_ = std::make_unique<app::Context>(machine, *host_);
}

void World::Start() {
    host_->Run([this] { app::Startup(*ctx_); });
}

std::string Selected(app::frmWordVerChoice& form) {
    if (form.optWd10.Value()) return "optWd10";
    if (form.optXP.Value()) return "optXP";
    if (form.optNotSure.Value()) return "optNotSure";
    for (size_t i = 0; i < form.optNewer.Count(); ++i)
        if (form.optNewer[i].Value()) return form.optNewer[i].Caption();
    return "none";
}

}  // namespace apptest
