// Every form of the shell: its documented controls and texts, a tidy layout
// (nothing outside its container, no two controls on top of each other,
// buttons of one size) and access keys that do not collide.
#include "AppWorld.h"
#include "support/TidyLayout.h"

#include "platform/WebPages.h"
#include "app/frmPromotion.h"
#include "app/frmWdVersion.h"
#include "app/frmadvmenu.h"

#include <gtest/gtest.h>

namespace {

struct Text {
    std::string name;
    int index;
    std::string text;
};

void CheckForm(const forms::Form& form, const std::string& caption, const std::vector<Text>& texts) {
    SCOPED_TRACE(form.Name());
    EXPECT_EQ(form.Caption(), caption);
    for (const Text& t : texts) {
        const forms::Control* c = form.Find(t.name, t.index);
        ASSERT_NE(c, nullptr) << t.name;
        EXPECT_EQ(qvxtest::Shown(c->Caption()), t.text) << t.name;
    }
    qvxtest::ExpectTidyLayout(form);
}

TEST(FormLayout, DocumentedTextsInATidyLayout) {
    apptest::World w;
    app::Context& ctx = w.Ctx();
    CheckForm(ctx.frmMain(), "Quorvex",
              {{"Label2", -1, "Welcome to Quorvex"},
               {"Label3", -1, "For Word 2002 and Word XP"},
               {"Label5", -1, "  I would like to:"},
               {"Frame2", -1, "Choices:"},
               {"optDefault", -1, "Analyze and Repair MS Word Automatically."},
               {"optRename", -1, "Rename the Normal.Dot Template"},
               {"OptReset", -1, "Reset MS Word to Initial Install"},
               {"optAdvanced", -1, "Go to Advanced Features."},
               {"Command4", -1, "Start"},
               {"Command3", -1, "Cancel"},
               {"btnSettings", -1, "Settings"},
               {"btnHelp", -1, "Online Help"},
               {"Label4", -1, platform::PageAddress(platform::Page::MakerHome)}});
    EXPECT_TRUE(ctx.frmMain().optDefault.Value());
    EXPECT_TRUE(ctx.frmMain().Label2.Bold());
    EXPECT_TRUE(ctx.frmMain().Label4.Underline());

    CheckForm(ctx.frmWordVerChoice(), "Quorvex",
              {{"lblFolderName", -1, "Choosing your version of MS Word installed on your computer"},
               {"Label1", -1, "Please select the version of Microsoft Word installed on your computer."},
               {"Label2", -1, "I would like to use the following version of MS Word:"},
               {"optWd10", -1, "Word 10 (also known as Word2002)"},
               {"optXP", -1, "Word XP (also known as Word XP or Word 2003)"},
               {"optNotSure", -1, "I'm not sure what version I have installed"},
               {"chkNoShow", -1, "Do not show this dialog again"},
               {"Label4", -1, "Click Next to Continue or Cancel to exit Quorvex"},
               {"btnOK", -1, "Next"},
               {"btnCancel", -1, "Cancel"}});
    EXPECT_EQ(apptest::Selected(ctx.frmWordVerChoice()), "optNotSure");
    EXPECT_FALSE(ctx.frmWordVerChoice().chkNoShow.Value());

    CheckForm(ctx.frmWdVersion(), "",
              {{"lblFolderName", -1, "Determining your version of MS Word installed on your computer"},
               {"Label1", -1, "1. Open Word and click on Help|About Microsoft Word and look for for the version."},
               {"Label2", -1, "2. Look on the top of the  Microsoft Office CD for the version."},
               {"Label3", -1, "3. Check and documents or help manuals that came with Word"},
               {"Label4", -1, "Click Close to return to previous window."},
               {"btnOK", -1, "Close"}});

    CheckForm(ctx.frmOptions(), "Options",
              {{"Label2", -1, "Options:"},
               {"Label1", -1, "Change the version of Word"},
               {"btnChangeVersion", -1, "Change"},
               {"btnOK", -1, "OK"}});

    CheckForm(ctx.frmWkThru(), "",
              {{"Frame1", -1, "Important!"},
               {"Label1", 0,
                "We recommend that you view a Word walk thru before using the Auto Analyze and Repair feature."},
               {"Label1", 1,
                "To view the Auto Analyze and Repair feature walk thru click View to continue ( online connection "
                "required)"},
               {"chkNoShow", -1, "Do not show this dialog again"},
               {"cmdView", -1, "View"},
               {"Command2", -1, "Cancel"}});
    EXPECT_FALSE(ctx.frmWkThru().chkNoShow.Value());
}

TEST(FormLayout, AdvancedMenuAndClosingForm) {
    apptest::World w;
    app::Context& ctx = w.Ctx();
    CheckForm(ctx.frmadvmenu(), "Quorvex",
              {{"Label1", -1, "I would like to:"},
               {"Frame1", -1, "Advanced Features:"},
               {"optReset", -1, "Choose and reset MS Word components to initial install"},
               {"optLaunch", -1, "Launch MS Word in Safe Mode"},
               {"optLaunchSM", -1, "Launch MS Word in Safe Mode with Support Tool"},
               {"btnOK", -1, "OK"},
               {"btnCancel", -1, "Cancel"},
               {"Command1", -1, "Online Help"}});
    EXPECT_TRUE(ctx.frmadvmenu().optReset.Value());
    EXPECT_FALSE(ctx.frmadvmenu().optLaunchSelected() || ctx.frmadvmenu().optLaunchSMSelected());

    CheckForm(ctx.frmPromotion(), "Quorvex",
              {{"lblLink", -1, platform::PageAddress(platform::Page::PromotionHome)},
               {"cmdLearnMore", -1, "Learn more"},
               {"cmdOrder", -1, "Order"},
               {"cmdClose", -1, "Close"}});
}

}  // namespace
