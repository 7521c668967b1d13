// The wizards on an emulated machine with a scripted user and a recording
// Word profile: every profile operation is logged in order, and the start
// test answers from the test's rule.
#pragma once

#include "engine/Program.h"
#include "engine/WordVersions.h"
#include "engine/clsWD.h"
#include "os/emulated/Machine.h"
#include "support/ScriptedUser.h"
#include "wizards/WizardEnv.h"
#include "wizards/WizardFrame.h"
#include "wizards/frmRestore.h"

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace wiztest {

using Strings = std::vector<std::string>;

inline constexpr char kBrowser[] = "C:\\Program Files\\Browser\\browser.exe";

// "a b c" -> {"a", "b", "c"}
inline Strings Words(const std::string& text) {
    std::istringstream in(text);
    Strings out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

// What the fake profiles did, shared by every profile the factory made.
struct Record {
    // "new:WD10" when a profile is made, then each operation by name.
    Strings calls;
    // The start test's answer, given the operation called just before it.
    std::function<bool(const std::string& previous)> startAnswer = [](const std::string&) { return true; };
    // Runs as each operation is entered, before it is logged.
    std::function<void(const std::string& op)> onCall;
};

class FakeProfile : public engine::clsWD {
public:
    explicit FakeProfile(std::shared_ptr<Record> record) : r_(std::move(record)) {}
    void Execute(bool) override { Log("Execute"); }
    void DataRestore() override { Log("DataRestore"); }
    void DataBackup() override { Log("DataBackup"); }
    void DataRemove() override { Log("DataRemove"); }
    void COMRestore() override { Log("COMRestore"); }
    void COMBackup() override { Log("COMBackup"); }
    void COMRemove() override { Log("COMRemove"); }
    void OptionsRestore() override { Log("OptionsRestore"); }
    void OptionsBackup() override { Log("OptionsBackup"); }
    void OptionsRemove() override { Log("OptionsRemove"); }
    void RegServ() override { Log("RegServ"); }
    void UnRegServ() override { Log("UnRegServ"); }
    void RenameAddins() override { Log("RenameAddins"); }
    void RestoreAddins() override { Log("RestoreAddins"); }
    void WordStartTemplate() override { Log("WordStartTemplate"); }
    bool WordStartNormal() override {
        const std::string previous = r_->calls.empty() ? std::string() : r_->calls.back();
        Log("WordStartNormal");
        return r_->startAnswer(previous);
    }
    void RenameTemplate() override { Log("RenameTemplate"); }
    void RestoreTemplate() override { Log("RestoreTemplate"); }

private:
    void Log(const std::string& op) {
        if (r_->onCall) r_->onCall(op);
        r_->calls.push_back(op);
    }
    std::shared_ptr<Record> r_;
};

// The restore wizard with its restore counted rather than run.
class CountingRestore : public wizards::frmRestore {
public:
    using frmRestore::frmRestore;
    int restores = 0;

protected:
    void RunRestore() override { ++restores; }
};

class World {
public:
    World() {
        machine.MakeFolders("C:\\Program Files\\Browser");
        machine.WriteFileText(kBrowser, "MZ");
        machine.SetAssociation(".htm", kBrowser);
        program.CurrentWordVersion = engine::kWord2002;
    }

    wizards::WizardEnv Env() {
        return {program, host,
                [rec = record](const std::string& version) -> std::shared_ptr<engine::clsWD> {
                    rec->calls.push_back("new:" + version);
                    return std::make_shared<FakeProfile>(rec);
                },
                [this] {
                    ++asked;
                    if (onAsk) onAsk();
                }};
    }

    // A wizard as the program makes it: created, loaded, shown.
    template <typename T>
    T& Open() {
        auto form = std::make_unique<T>(Env());
        T& made = *form;
        keep_.push_back(std::move(form));
        made.Form_Load();
        made.Show();
        return made;
    }

    CountingRestore& OpenRestore() {
        auto form = std::make_unique<CountingRestore>(program.services, host);
        CountingRestore& made = *form;
        keep_.push_back(std::move(form));
        made.Form_Load();
        made.Show();
        return made;
    }

    // Clicks as the user does; false when the click ended the program.
    bool Click(const forms::Form& form, const std::string& control, int times = 1) {
        bool running = true;
        host.Run([&] {
            for (int i = 0; i < times; ++i) host.Click(form.Name(), control);
        });
        if (host.Ended()) running = false;
        return running;
    }
    void NextTo(wizards::WizardFrame& form, int page) {
        while (form.CurrentStep < page && !host.Ended()) Click(form, "cmdNext");
    }

    // Pages opened in the browser, in order.
    Strings PagesOpened() const {
        Strings pages;
        for (const auto& call : machine.ShellLog()) pages.push_back(call.parameters);
        return pages;
    }

    os::emulated::Machine machine;
    qvxtest::ScriptedUser host;
    engine::Program program{platform::Services{machine, host}};
    std::shared_ptr<Record> record = std::make_shared<Record>();
    int asked = 0;
    std::function<void()> onAsk;

private:
    std::vector<std::unique_ptr<forms::Form>> keep_;
};

// The page the user sees: the highest of the stacked pages, the later one
// where two are level (as the host stacks them).
inline int TopPage(const wizards::WizardFrame& form) {
    int top = 0;
    for (int i = 1; i < static_cast<int>(form.fraSteps.Count()); ++i)
        if (form.fraSteps[i].ZOrder() >= form.fraSteps[top].ZOrder()) top = i;
    return top;
}

// Back, Cancel, Finish, Next: the letter when enabled, '-' when not.
inline std::string Buttons(const wizards::WizardFrame& form) {
    std::string s;
    s += form.cmdBack.Enabled() ? 'B' : '-';
    s += form.cmdCancel.Enabled() ? 'C' : '-';
    s += form.cmdFinish.Enabled() ? 'F' : '-';
    s += form.cmdNext.Enabled() ? 'N' : '-';
    return s;
}

inline Strings Captions(std::initializer_list<const forms::Control*> controls) {
    Strings out;
    for (const forms::Control* c : controls) out.push_back(c->Caption());
    return out;
}

// The Step 3 and Step 4 result lines, top to bottom.
template <typename T>
Strings Step3Lines(const T& f) {
    return Captions({&f.lblTemplate, &f.lblData, &f.lblCOM, &f.lblAddin, &f.lblOptions});
}
template <typename T>
Strings Step4Lines(const T& f) {
    return Captions({&f.lbltemplateFixed, &f.lblDataFixed, &f.lblCOMFixed, &f.lblAddinsFixed, &f.lblOptionsFixed});
}

}  // namespace wiztest
