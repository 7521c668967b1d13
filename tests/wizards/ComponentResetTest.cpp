// The component-reset flow in its three presets: what each wizard shows,
// which operations a press of Next on Step 2 runs, and the lines it leaves.
#include "WizardWorld.h"

#include "wizards/frmBackup1.h"
#include "wizards/frmRenameTemplate.h"
#include "wizards/frmReset.h"

#include <gtest/gtest.h>

namespace {

using namespace wiztest;
using wizards::ComponentReset;

const char* const kBoxes[] = {"chkRefresh", "chkNormalDot", "chkData", "chkOptions", "chkAddins", "chkCOM"};

ComponentReset& OpenKind(World& w, const std::string& kind) {
    if (kind == "frmReset") return w.Open<wizards::frmReset>();
    if (kind == "frmRenameTemplate") return w.Open<wizards::frmRenameTemplate>();
    return w.Open<wizards::frmBackup1>();
}

TEST(ComponentReset, PresetsAndPages) {
    const struct {
        const char* kind;
        const char* task;  // welcome page's third line, null when absent
        const char* heading;
        bool shown;
        std::string ticked;  // kBoxes order
        bool optionsShown, howTo;
    } cases[] = {
        {"frmReset", "Resetting MS Word to it's initial install", "Ready to reset MS Word to it's initial install",
         false, "011111", false, false},
        {"frmRenameTemplate", "Renaming the Normal.Dot Template", "Ready to rename the Normal.Dot template", false,
         "010000", false, false},
        {"frmBackup1", nullptr, "Select the following components of Word to reset:", true, "111111", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        World w;
        ComponentReset& f = OpenKind(w, c.kind);
        EXPECT_EQ(f.lblWelcomeTask.Visible(), c.task != nullptr);
        if (c.task) {
            EXPECT_EQ(f.lblWelcomeTask.Caption(), c.task);
        }
        EXPECT_EQ(f.lblSelect.Caption(), c.heading);
        EXPECT_EQ(f.lblSelect.Visible(), c.shown);
        std::string ticked;
        for (const char* name : kBoxes) {
            const forms::Control* box = f.Find(name);
            EXPECT_EQ(box->Visible(), c.shown) << name;
            ticked += box->Value() ? '1' : '0';
        }
        EXPECT_EQ(ticked, c.ticked);
        EXPECT_EQ(f.lblFixed.Caption(), "MS Word has been fixed.");
        EXPECT_EQ(f.optHowTo.Visible(), c.optionsShown);
        EXPECT_EQ(f.optHowTo.Value(), c.howTo);
        EXPECT_EQ(f.optClose.Value(), !c.howTo);
    }
}

TEST(ComponentReset, Step2ResetsTheTickedComponentsOnly) {
    const Strings resetLines3 = {"Resetting default template; Normal.DOT...", "Resetting MS Word's Data information....",
                                 "Resetting COM components....", "Resetting Addins....",
                                 "Resetting MS Word's Options information...."};
    const Strings resetLines4 = {"Default template; Normal.DOT has been reset", "MS Word's Data information reset",
                                 "COM components reset ", "Addin's reset.", "MS Word's Options information reset"};
    const Strings unchanged3 = {"Default template, Normal.DOT; No changes made",
                                "MS Word's Data information; No changes made", " COM components; No changes made",
                                "MS Word Addin's; No changes made", "Options information: No changes made"};
    const Strings unchanged4 = {"Default template, Normal.DOT; No changes made",
                                "MS Word's Data information; No changes made", "COM components; No changes made",
                                "MS Word Addin's; No changes made", "Options information; No changes made"};
    const std::string backups = " COMBackup DataBackup OptionsBackup";
    const std::string allResets = " RenameAddins COMRemove DataRemove OptionsRemove RenameTemplate";
    const struct {
        const char* name;
        const char* kind;
        const char* version;
        std::string ticks;  // "" keep the preset, else the kBoxes to end up ticked
        std::string calls;
        Strings step3, step4;
        const char* regsrv;
        const char* failing = nullptr;  // an operation that falls short: its part's line says why
    } cases[] = {
        {"frmReset", "frmReset", "WD10", "", "new:WD10" + backups + allResets, resetLines3, resetLines4,
         "All tasks completed!"},
        {"frmRenameTemplate", "frmRenameTemplate", "WD10", "", "new:WD10" + backups + " RenameTemplate",
         {resetLines3[0], unchanged3[1], unchanged3[2], unchanged3[3], unchanged3[4]},
         {resetLines4[0], unchanged4[1], unchanged4[2], unchanged4[3], unchanged4[4]}, "All tasks completed!"},
        {"frmBackup1, all ticked, Word 2003", "frmBackup1", "WD11", "", "new:WD11 UnRegServ RegServ" + backups + allResets,
         resetLines3, resetLines4, "All tasks completed!"},
        {"frmReset, Data's key stays", "frmReset", "WD10", "", "new:WD10" + backups + allResets,
         {resetLines3[0], "Data could not be reset: the key could not be removed", resetLines3[2], resetLines3[3],
          resetLines3[4]},
         {resetLines4[0], "Data could not be reset: the key could not be removed", resetLines4[2], resetLines4[3],
          resetLines4[4]},
         "All tasks completed!", "DataRemove"},
        {"frmBackup1, none ticked", "frmBackup1", "WD10", "000000", "new:WD10" + backups, unchanged3, unchanged4,
         "All tasks completed!"},
        {"frmBackup1, only chkRefresh", "frmBackup1", "WD10", "100000", "new:WD10 UnRegServ RegServ" + backups,
         unchanged3, unchanged4, "All tasks completed!"},
        // A newer Word's lines name its own template.
        {"frmRenameTemplate, Word 2016 or later", "frmRenameTemplate", "WD16", "", "new:WD16" + backups + " RenameTemplate",
         {"Resetting default template; Normal.dotm...", unchanged3[1], unchanged3[2], unchanged3[3], unchanged3[4]},
         {"Default template; Normal.dotm has been reset", unchanged4[1], unchanged4[2], unchanged4[3], unchanged4[4]},
         "All tasks completed!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        World w;
        w.program.CurrentWordVersion = c.version;
        ComponentReset& f = OpenKind(w, c.kind);
        w.record->onCall = [&w, &c](const std::string& op) {
            if (c.failing != nullptr && op == c.failing)
                w.program.Run.Fail(engine::RunRecord::Part::Data, "the key could not be removed");
        };
        w.NextTo(f, 1);
        for (std::size_t i = 0; i < c.ticks.size(); ++i)
            if (f.Find(kBoxes[i])->Value() != (c.ticks[i] == '1')) w.Click(f, kBoxes[i]);
        w.NextTo(f, 3);
        EXPECT_EQ(w.record->calls, Words(c.calls));
        EXPECT_EQ(Step3Lines(f), c.step3);
        EXPECT_EQ(Step4Lines(f), c.step4);
        EXPECT_EQ(f.lblRegsrv.Caption(), c.regsrv);
        EXPECT_EQ(f.lblStarting.Caption(), "Working....");
        w.NextTo(f, 5);
        EXPECT_EQ(w.record->calls, Words(c.calls)) << "Steps 3 and 4 run nothing";
    }
}

TEST(ComponentReset, EachLineIsSetBeforeItsCall) {
    World w;
    auto& f = w.Open<wizards::frmBackup1>();
    Strings seen;
    w.record->onCall = [&](const std::string& op) {
        std::string line = op + "|" + f.lblRegsrv.Caption() + "|" + f.lblStarting.Caption();
        if (op == "RenameAddins") line += "|" + f.lblAddin.Caption() + "|" + f.lblAddinsFixed.Caption();
        if (op == "RenameTemplate") line += "|" + f.lblTemplate.Caption() + "|" + f.lbltemplateFixed.Caption();
        seen.push_back(line);
    };
    w.NextTo(f, 3);
    const std::string backing = "Backing up Options information.........|Working....";
    EXPECT_EQ(seen, (Strings{
                        "UnRegServ|Reregistering Word's system components...|Working........",
                        "RegServ|Reregistering Word's system components...........|Working........",
                        "COMBackup|backing up COM information|Working....",
                        "DataBackup|Backing up Data information....|Working....",
                        "OptionsBackup|" + backing,
                        "RenameAddins|" + backing + "|Resetting Addins....|",
                        "COMRemove|" + backing,
                        "DataRemove|" + backing,
                        "OptionsRemove|" + backing,
                        "RenameTemplate|" + backing + "|Resetting default template; Normal.DOT...|",
                    }));
}

TEST(ComponentReset, TicksChangedAfterGoingBackAreTheOnesUsed) {
    World w;
    auto& f = w.Open<wizards::frmBackup1>();
    w.NextTo(f, 2);
    w.Click(f, "cmdBack");
    w.Click(f, "chkData");
    w.Click(f, "chkRefresh");
    w.NextTo(f, 3);
    EXPECT_EQ(w.record->calls, Words("new:WD10 COMBackup DataBackup OptionsBackup RenameAddins COMRemove "
                                     "OptionsRemove RenameTemplate"));
    EXPECT_EQ(f.lblDataFixed.Caption(), "MS Word's Data information; No changes made");
}

}  // namespace
