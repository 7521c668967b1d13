// The restore wizard: the checks of the chosen backup file, and its pages.
#include "WizardWorld.h"

#include <gtest/gtest.h>

namespace {

using namespace wiztest;

constexpr char kFolder[] = "C:\\Backups";

void PutBackup(World& w, const std::string& name, const std::string& version) {
    w.machine.WriteFileText(std::string(kFolder) + "\\" + name,
                            "[Backup]\r\nVersion=" + version + "\r\nBackup_Location=C:\\WP Custom\r\n");
}

TEST(frmRestore, ChosenFileIsCheckedBeforeStep2) {
    const std::string blanks(259, ' ');
    const struct {
        const char* name;
        std::optional<std::string> chosen;  // nullopt: Cancel in the dialog; "" leaves Select alone
        const char* message;
        std::string textAfter;
    } cases[] = {
        {"nothing chosen", "", "Please select a file", ""},
        {"dialog cancelled", std::nullopt, "File does not exist,Please select a file", ""},
        {"not a .BAK", "C:\\Backups\\wp.txt", "Please select a file that has the .BAK extension", ""},
        {"a WordPerfect 11 backup", "C:\\Backups\\wp11.BAK",
         "This is Not a WordPefect 12 backup, please select a WordPerfect 12 backup", "C:\\Backups\\wp11.BAK"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        World w;
        PutBackup(w, "wp.txt", "WP12");
        PutBackup(w, "wp11.BAK", "WP11");
        CountingRestore& f = w.OpenRestore();
        w.Click(f, "cmdNext");
        if (!c.chosen || !c.chosen->empty()) {
            w.machine.QueueOpenFileAnswer(c.chosen);
            w.Click(f, "btnSelect");
            EXPECT_EQ(f.text1.Caption(), c.chosen ? *c.chosen : blanks);
        }
        w.Click(f, "cmdNext");
        ASSERT_EQ(w.host.Boxes().size(), 1u);
        EXPECT_EQ(w.host.Boxes()[0].text, c.message);
        EXPECT_EQ(w.host.Boxes()[0].style, forms::vbOKOnly);
        EXPECT_EQ(w.host.Boxes()[0].caption, "Quorvex");
        EXPECT_EQ(f.text1.Caption(), c.textAfter);
        EXPECT_EQ(f.CurrentStep, 1);
        EXPECT_EQ(TopPage(f), 1);
        EXPECT_EQ(Buttons(f), "BC-N");
        EXPECT_EQ(f.restores, 0);
    }
}

TEST(frmRestore, AcceptedBackupIsRestoredOnTheWayToStep2ThenTheWizardRunsToFinish) {
    World w;
    PutBackup(w, "mine.Bak", "WP12");
    CountingRestore& f = w.OpenRestore();
    w.Click(f, "cmdNext");
    w.machine.QueueOpenFileAnswer("C:\\Backups\\mine.Bak");
    w.Click(f, "btnSelect");
    ASSERT_FALSE(w.machine.OpenFileLog().empty());
    EXPECT_EQ(w.machine.OpenFileLog().back().title, "Open");
    EXPECT_NE(w.machine.OpenFileLog().back().filter.find("*.BAK"), std::string::npos);

    // Buttons after the press on each page, then the page reached.
    const char* buttons[] = {"BC-N", "-C-N", "-C-N", "--F-"};
    for (int page = 2; page <= 5; ++page) {
        SCOPED_TRACE(page);
        w.Click(f, "cmdNext");
        EXPECT_EQ(f.CurrentStep, page);
        EXPECT_EQ(TopPage(f), page);
        EXPECT_EQ(Buttons(f), buttons[page - 2]);
        EXPECT_EQ(f.restores, 1) << "restored once, on the way to Step 2";
    }
    EXPECT_TRUE(w.host.Boxes().empty());
    EXPECT_EQ(f.BackupLocation, "C:\\WP Custom");
    EXPECT_EQ(f.lblSteps[4].Bold(), false);
    EXPECT_EQ(f.shpSteps[5].FillColor(), forms::colors::kGreen);
    w.Click(f, "cmdFinish");
    EXPECT_TRUE(f.Unloaded());
    EXPECT_FALSE(w.host.Ended());
}

TEST(frmRestore, BackSetsTheButtonsOfThePageItLeaves) {
    World w;
    PutBackup(w, "mine.BAK", "WP12");
    CountingRestore& f = w.OpenRestore();
    EXPECT_THROW(w.host.Type(f.Name(), "text1", "C:\\x.BAK"), forms::ScriptError) << "its page is covered";
    w.Click(f, "cmdNext");
    w.host.Type(f.Name(), "text1", "C:\\Backups\\mine.BAK");
    w.Click(f, "cmdNext");
    ASSERT_EQ(f.CurrentStep, 2);
    w.Click(f, "cmdBack");
    EXPECT_EQ(f.CurrentStep, 1);
    EXPECT_EQ(TopPage(f), 1);
    EXPECT_EQ(Buttons(f), "BC-N");
    w.Click(f, "cmdBack");
    EXPECT_EQ(f.CurrentStep, 0);
    EXPECT_EQ(Buttons(f), "-C-N");
    EXPECT_EQ(f.shpSteps[0].FillColor(), forms::colors::kGreen);
    EXPECT_EQ(f.shpSteps[1].FillColor(), forms::colors::kGrey);
}

}  // namespace
