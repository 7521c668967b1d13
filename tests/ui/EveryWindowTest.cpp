// Every window of the program on real windows at 96, 120 and 144 DPI, each
// wizard page by page: no caption cut off, no access key used twice among
// what is on screen, Enter and Esc go somewhere sensible, and the program's
// icon is in the title bar.
#ifdef _WIN32

#include "app/Context.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "app/frmPromotion.h"
#include "app/frmWdVersion.h"
#include "app/frmWkThru.h"
#include "app/frmWordVerChoice.h"
#include "app/frmadvmenu.h"
#include "controls/win32/CandyButtonPainter.h"
#include "os/win32/Win32Api.h"
#include "support/TidyLayout.h"
#include "ui/UiSupport.h"
#include "wizards/WizardFrame.h"
#include "wizards/frmBackup.h"
#include "wizards/frmBackup1.h"
#include "wizards/frmRenameTemplate.h"
#include "wizards/frmReset.h"
#include "wizards/frmRestore.h"
#include "wizards/frmUndo.h"

namespace {

using uitest::Hwnd;

class EveryWindow : public uitest::UiTest {
protected:
    EveryWindow() { controls::win32::UseCandyButtons(host, api, "Quorvex"); }

    // Shows the form's views (a wizard's six pages, or the form as it is) at
    // each DPI and checks each.
    void Check(forms::Form& form, bool hasCancel = true) {
        SCOPED_TRACE(form.Name());
        form.Show();
        host.DoEvents();
        HWND window = Hwnd(host.WindowOf(form));
        ASSERT_NE(nullptr, window);
        EXPECT_NE(0, ::SendMessageA(window, WM_GETICON, ICON_SMALL, 0)) << "the icon in the title bar";
        EXPECT_NE(0, ::SendMessageA(window, WM_GETICON, ICON_BIG, 0)) << "the icon in the task bar";
        EXPECT_NE(nullptr, form.DefaultButton) << "Enter presses a button";
        EXPECT_EQ(hasCancel, form.CancelButton != nullptr) << "Esc presses a button";

        auto* wizard = dynamic_cast<wizards::WizardFrame*>(&form);
        const std::size_t views = wizard != nullptr ? wizard->fraSteps.Count() : 1;
        for (std::size_t view = 0; view < views; ++view) {
            SCOPED_TRACE("page " + std::to_string(view));
            if (wizard != nullptr) wizard->fraSteps[view].BringToTop();
            for (const auto& [key, users] : qvxtest::AccessKeys(form, true))
                EXPECT_EQ(1u, users.size()) << "access key " << key << " used by " << ::testing::PrintToString(users);
            for (int dpi : {96, 120, 144}) {
                SCOPED_TRACE(std::to_string(dpi) + " DPI");
                uitest::MoveToDpi(window, dpi);
                host.DoEvents();
                EXPECT_EQ(std::vector<std::string>{}, host.ClippedControls(form));
            }
            uitest::MoveToDpi(window, 96);
        }
        form.Hide();
        host.DoEvents();
    }

    os::win32::Win32Api api;
    forms::Win32Host host;
    app::Context ctx{api, host};
};

TEST_F(EveryWindow, TheShellsForms) {
    Check(ctx.frmWordVerChoice(), false);  // Esc must not end the first run by accident
    Check(ctx.frmWdVersion());
    Check(ctx.frmWkThru());
    Check(ctx.frmMain());
    Check(ctx.frmOptions());
    Check(ctx.frmadvmenu());
    Check(ctx.frmPromotion());
}

TEST_F(EveryWindow, EachWizardPageByPage) {
    Check(ctx.frmBackup());
    Check(ctx.frmReset());
    Check(ctx.frmRenameTemplate());
    Check(ctx.frmBackup1());
    wizards::frmRestore restore(ctx.Program().services, ctx.Host());
    Check(restore);

    // The undo wizard with as much as it ever shows: ten runs, every
    // component, backups in three folders, a reason on every result line.
    const std::string user = "C:\\Users\\\xC5\x81ukasz Wi\xC5\x9Bniewski\\";
    engine::JournalRun run{"", 1, 133497846500000000, "Reset to initial install", {}, "", true, ""};
    using Kind = engine::JournalEntry::Kind;
    for (const char* key : {"Addins", "11.0\\Word\\Data", "11.0\\Word\\Options"})
        run.entries.push_back({Kind::Key, std::string("Software\\Microsoft\\Office\\") + key, true,
                               user + "Desktop\\Quorvex\\Key.reg", "0", {"removed"}});
    for (const char* file : {"Templates\\Normal.dot", "Word\\STARTUP\\Macros.wll"}) {
        const std::string path = user + "AppData\\Roaming\\Microsoft\\" + file;
        run.entries.push_back({Kind::File, path, true, path + ".1", "0", {"renamed"}});
    }
    wizards::frmUndo& undo = ctx.frmUndo();
    ASSERT_TRUE(undo.Offer(std::vector<engine::JournalRun>(10, run)));
    for (std::size_t i = 0; i < undo.lblPartResults.Count(); ++i)
        undo.lblPartResults[i].SetCaption("The Startup add-ins could not be put back: Macros.wll: what is there now "
                                          "could not be backed up first.");
    Check(undo);
}

}  // namespace

#endif  // _WIN32
