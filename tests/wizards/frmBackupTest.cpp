// The automatic wizard: its pages, and both passes as the start test steers
// them.
#include "WizardWorld.h"

#include "wizards/frmBackup.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace wiztest;
using wizards::frmBackup;

// The calls of pass n (0 analysis, 1 repair) after its first start test.
Strings Checks(const Strings& calls, int pass) {
    Strings out;
    int seenPass = -1;
    bool started = false;
    for (const std::string& call : calls) {
        if (call.rfind("new:", 0) == 0) {
            ++seenPass;
            started = false;
            continue;
        }
        if (seenPass != pass) continue;
        if (started) out.push_back(call);
        if (call == "WordStartNormal") started = true;
    }
    return out;
}

TEST(frmBackup, FinishPageAndPromptsAtLoad) {
    World w;
    frmBackup& f = w.Open<frmBackup>();
    EXPECT_FALSE(f.lblNext2.Visible());
    EXPECT_FALSE(f.lblNext3.Visible());
    EXPECT_EQ(f.lblNext3.Caption(), "Now ready to repair found issues, click next to  continue...");
    EXPECT_EQ(f.lblFixed.Caption(), "Word has been fixed.");
    EXPECT_FALSE(f.optHomePage.Visible() || f.optClose.Visible() || f.optHowTo.Visible());
    EXPECT_TRUE(f.optClose.Value());
}

TEST(frmBackup, BothPassesCallInOrderWithEachLabelSetBeforeItsCall) {
    World w;
    frmBackup& f = w.Open<frmBackup>();
    Strings seen;  // op | lblRegsrv | lblStarting, while the analysis prepares
    w.record->onCall = [&](const std::string& op) {
        if (f.CurrentStep == 2 && seen.size() < 11) seen.push_back(op + "|" + f.lblRegsrv.Caption() + "|" + f.lblStarting.Caption());
    };
    w.NextTo(f, 4);
    const std::string s0 = "Starting Word in safe mode...";
    const std::string s1 = "Starting Word in safe mode..........";
    const std::string s2 = "Starting Word in safe mode............";
    EXPECT_EQ(seen, (Strings{
                        "COMBackup|Preparing Word for safe mode.|" + s0,
                        "DataBackup|Preparing Word for safe mode...|" + s0,
                        "OptionsBackup|Preparing Word for safe mode.......|" + s0,
                        "RenameAddins|Preparing Word for safe mode..........|" + s1,
                        "COMRemove|Preparing Word for safe mode.............|" + s1,
                        "DataRemove|Preparing Word for safe mode.|" + s1,
                        "OptionsRemove|Preparing Word for safe mode...|" + s1,
                        "RenameTemplate|Preparing Word for safe mode..............|" + s1,
                        "UnRegServ|Reregistering Word's sytem components...|" + s2,
                        "RegServ|Reregistering Word's system components...........|" + s2,
                        "WordStartNormal|Word's system components registered successfully!|Starting Word in safe "
                        "mode..........................",
                    }));
    // The repair pass disables everything again, Normal.dot before the add-ins.
    const auto repair = std::find(w.record->calls.begin() + 1, w.record->calls.end(), "new:WD10");
    ASSERT_NE(repair, w.record->calls.end());
    EXPECT_EQ(Strings(repair + 1, repair + 12),
              Words("COMBackup DataBackup OptionsBackup RenameTemplate RenameAddins COMRemove DataRemove "
                    "OptionsRemove UnRegServ RegServ WordStartNormal"));
    EXPECT_EQ(f.lblStarting.Caption(), "Success! Word has started in safe mode, now analyzing Word's components....");
    EXPECT_TRUE(f.lblNext3.Visible());
    EXPECT_EQ(f.lblNext3.Caption(), "We are now ready to repair Word, click Next to continue...");
}

TEST(frmBackup, ResultsFollowTheStartTest) {
    // The analysis after Normal.dot: each component on its own, then all put back.
    const std::string rest =
        " COMRestore WordStartNormal COMRemove DataRestore WordStartNormal DataRemove OptionsRestore "
        "WordStartNormal OptionsRemove RestoreAddins WordStartNormal RenameAddins COMRestore DataRestore "
        "OptionsRestore RestoreAddins";
    const struct {
        const char* name;
        std::function<bool(const std::string&)> answer;
        std::string analysis, repair;  // calls after each pass's first start test
        Strings step3, step4;          // template, Data, COM, Addins, Options
    } cases[] = {
        {"always true", [](const std::string&) { return true; },
         "RestoreTemplate WordStartNormal" + rest,
         "RestoreTemplate WordStartNormal COMRestore WordStartNormal DataRestore WordStartNormal OptionsRestore "
         "WordStartNormal RestoreAddins WordStartNormal RenameAddins",
         {"Default Template OK!", "Data Passed!", "COM Passed!", "Addins Passed!", "Options Passed!"},
         {"Default Template OK!", "Data OK!", "COM OK!", "Addins OK!", "Options OK!"}},
        {"fails with Normal.dot", [](const std::string& p) { return p != "RestoreTemplate"; },
         "RestoreTemplate WordStartNormal RenameTemplate" + rest,
         "RestoreTemplate WordStartNormal RenameTemplate COMRestore WordStartNormal DataRestore WordStartNormal "
         "OptionsRestore WordStartNormal RestoreAddins WordStartNormal RenameAddins",
         {"Default Template Fixed", "Data Passed!", "COM Passed!", "Addins Passed!", "Options Passed!"},
         {"Default Template Fixed", "Data OK!", "COM OK!", "Addins OK!", "Options OK!"}},
        {"fails with Options", [](const std::string& p) { return p != "OptionsRestore"; },
         "RestoreTemplate WordStartNormal" + rest,
         "RestoreTemplate WordStartNormal COMRestore WordStartNormal DataRestore WordStartNormal OptionsRestore "
         "WordStartNormal OptionsRemove RestoreAddins WordStartNormal RenameAddins",
         {"Default Template OK!", "Data Passed!", "COM Passed!", "Addins Passed!", "Options Failed"},
         {"Default Template OK!", "Data OK!", "COM OK!", "Addins OK!", "Options Fixed"}},
        {"fails with COM and with Data",
         [](const std::string& p) { return p != "COMRestore" && p != "DataRestore"; },
         "RestoreTemplate WordStartNormal" + rest,
         "RestoreTemplate WordStartNormal COMRestore WordStartNormal COMRemove DataRestore WordStartNormal DataRemove "
         "OptionsRestore WordStartNormal RestoreAddins WordStartNormal RenameAddins",
         {"Default Template OK!", "Data Failed", "COM Failed", "Addins Passed!", "Options Passed!"},
         {"Default Template OK!", "Data Fixed", "COM Fixed", "Addins OK!", "Options OK!"}},
        {"fails with the Startup add-ins (not used)", [](const std::string& p) { return p != "RestoreAddins"; },
         "RestoreTemplate WordStartNormal" + rest,
         "RestoreTemplate WordStartNormal COMRestore WordStartNormal DataRestore WordStartNormal OptionsRestore "
         "WordStartNormal RestoreAddins WordStartNormal RenameAddins",
         {"Default Template OK!", "Data Passed!", "COM Passed!", "Addins Passed!", "Options Passed!"},
         {"Default Template OK!", "Data OK!", "COM OK!", "Addins OK!", "Options OK!"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        World w;
        w.record->startAnswer = c.answer;
        frmBackup& f = w.Open<frmBackup>();
        w.NextTo(f, 3);
        EXPECT_EQ(Step3Lines(f), c.step3);
        EXPECT_EQ(Step4Lines(f), Strings(5, "")) << "the repair waits for Next on Step 3";
        w.NextTo(f, 4);
        EXPECT_EQ(Step4Lines(f), c.step4);
        EXPECT_EQ(Checks(w.record->calls, 0), Words(c.analysis));
        EXPECT_EQ(Checks(w.record->calls, 1), Words(c.repair));
        EXPECT_TRUE(w.host.Boxes().empty());
    }
}

TEST(frmBackup, WordNotStartingWithEverythingDisabledEndsTheProgram) {
    const struct {
        int page;
        const char* message;
    } cases[] = {
        {2, "We're sorry but Word could not be started in safe mode and cannot continue. Thanks for using Quorvex."},
        {3, "Major error!!!!!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        World w;
        frmBackup& f = w.Open<frmBackup>();
        w.NextTo(f, c.page);
        // Word fails only right after the pass has disabled everything.
        w.record->startAnswer = [](const std::string& p) { return p != "RegServ"; };
        w.Click(f, "cmdNext");
        ASSERT_EQ(w.host.Boxes().size(), 1u);
        EXPECT_EQ(w.host.Boxes()[0].text, c.message);
        EXPECT_EQ(w.host.Boxes()[0].style, forms::vbOKOnly);
        EXPECT_EQ(w.host.Boxes()[0].caption, "Quorvex");
        EXPECT_TRUE(w.host.Ended());
        EXPECT_EQ(w.record->calls.back(), "WordStartNormal") << "nothing is put back";
        EXPECT_EQ(f.CurrentStep, c.page);
        EXPECT_EQ(Step4Lines(f), Strings(5, ""));
    }
}

}  // namespace
