// The eighteen operations the wizards call on Word, in slot order. One
// profile per supported Word version implements them; clsWDNone stands in
// when no supported version was chosen.
#pragma once

namespace engine {

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
};

}  // namespace engine
