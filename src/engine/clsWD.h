// The eighteen operations the wizards call on Word, in slot order. One
// profile per supported Word version implements them; clsWDNone stands in
// when no supported version was chosen.
#pragma once

#include "engine/RunRecord.h"

#include <string>
#include <utility>
#include <vector>

namespace engine {

// One add-in of the COM add-ins or of the Startup add-ins, turned on and off
// alone: a COM add-in's key, a Startup file.
struct Addin {
    std::string id;     // the COM add-in's ProgID, the Startup file's working path
    std::string shown;  // its friendly name (else the ProgID), the file's name
    // Word 2007 and later: the key a COM add-in lives in. An add-in of all
    // users (only elevated) has its key below HKEY_LOCAL_MACHINE as its id.
    enum class Where { User, User32, AllUsers };
    Where where = Where::User;
};

class clsWD {
public:
    virtual ~clsWD() = default;
    virtual void Execute(bool boolSupport) = 0;
    virtual void DataRestore() = 0;
    virtual void DataBackup() = 0;
    virtual void DataRemove() = 0;
    virtual void COMRestore() = 0;
    virtual void COMBackup() = 0;
    virtual void COMRemove() = 0;
    virtual void OptionsRestore() = 0;
    virtual void OptionsBackup() = 0;
    virtual void OptionsRemove() = 0;
    virtual void RegServ() = 0;
    virtual void UnRegServ() = 0;
    virtual void RenameAddins() = 0;
    virtual void RestoreAddins() = 0;
    virtual void WordStartTemplate() = 0;
    // The start test: true when Word could be started.
    virtual bool WordStartNormal() = 0;
    virtual void RenameTemplate() = 0;
    virtual void RestoreTemplate() = 0;

    // The add-ins of part (COM or Addins) this run turned off and has not
    // turned on again. A profile without single add-ins has none.
    virtual std::vector<Addin> DisabledAddins(RunRecord::Part) { return {}; }
    // Each through the backup this run made of it; a step that falls short
    // is recorded against part.
    virtual void EnableAddin(RunRecord::Part, const Addin&) {}
    virtual void DisableAddin(RunRecord::Part, const Addin&) {}
    // Several at once, each on (true) or off as given.
    using Turn = std::pair<const Addin*, bool>;
    virtual void TurnAddins(RunRecord::Part part, const std::vector<Turn>& turns) {
        for (const auto& [addin, on] : turns) on ? EnableAddin(part, *addin) : DisableAddin(part, *addin);
    }
};

}  // namespace engine
