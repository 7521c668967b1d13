// The profile in use when no supported Word version was chosen: it starts
// nothing and changes nothing.
#pragma once

#include "engine/Program.h"
#include "engine/clsWD.h"

namespace engine {

class clsWDNone : public clsWD {
public:
    explicit clsWDNone(Program& program) : program_(program) {}

    // Tells the user there is nothing to start.
    void Execute(bool boolSupport) override;
    void DataRestore() override {}
    void DataBackup() override {}
    void DataRemove() override {}
    void COMRestore() override {}
    void COMBackup() override {}
    void COMRemove() override {}
    void OptionsRestore() override {}
    void OptionsBackup() override {}
    void OptionsRemove() override {}
    void RegServ() override {}
    void UnRegServ() override {}
    void RenameAddins() override {}
    void RestoreAddins() override {}
    void WordStartTemplate() override {}
    bool WordStartNormal() override { return false; }
    void RenameTemplate() override {}
    void RestoreTemplate() override {}

private:
    Program& program_;
};

}  // namespace engine
