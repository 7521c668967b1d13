// One run of the program on an emulated machine with a scripted user, and
// the pieces of Word and the settings store the tests lay into it.
#pragma once

#include "app/Context.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "app/frmWkThru.h"
#include "app/frmWordVerChoice.h"
#include "forms/ScriptedHost.h"
#include "os/emulated/Machine.h"

#include <memory>
#include <optional>
#include <string>

namespace apptest {

inline constexpr char kWordFolder[] = "C:\\Program Files\\Microsoft Office\\OFFICE11";
inline constexpr char kBrowser[] = "C:\\Program Files\\Browser\\browser.exe";

// How Word's automation object behaves, and what was done to it.
struct FakeWord {
    std::string path = kWordFolder;
    os::AutoError createError;  // a number other than 0: creation fails
    os::AutoError pathError;    // a number other than 0: reading Path fails
    int created = 0;
    int quits = 0;
    int alive = 0;
};

class World {
public:
    World();

    // Word is installed in kWordFolder from the start. InstallWord puts
    // winword.exe into folder and makes Word.Application answer it;
    // RemoveWord takes both away.
    void InstallWord(const std::string& folder = kWordFolder);
    void RemoveWord();
    void PutWinword(const std::string& folder);
    // Raw access to the settings store, as the runtime lays it out.
    void Store(const std::string& section, const std::string& key, const std::string& value,
               const std::string& app = "qvxfix");
    std::optional<std::string> Stored(const std::string& section, const std::string& key,
                                      const std::string& app = "qvxfix");
    void AddKey(os::HKey root, const std::string& subKey);
    void SetText(os::HKey root, const std::string& subKey, const std::string& name, const std::string& value);

    // A new run on the same machine: fresh host, context and forms.
    void NewRun();
    // Runs start-up and then the queued script.
    void Start();

    forms::ScriptedHost& Host() { return *host_; }
    app::Context& Ctx() { return *ctx_; }
    // The form as the user last saw it (null if never shown).
    forms::Form* Shown(const std::string& name) { return host_->FindForm(name); }

    os::emulated::Machine machine;
    std::shared_ptr<FakeWord> word = std::make_shared<FakeWord>();

private:
    std::unique_ptr<forms::ScriptedHost> host_;
    std::unique_ptr<app::Context> ctx_;
};

// Which option of the version choice dialog is selected.
std::string Selected(app::frmWordVerChoice& form);

}  // namespace apptest
