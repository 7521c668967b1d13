#include "platform/MFile.h"

#include "os/emulated/Machine.h"
#include "support/ScriptedUser.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using namespace std::string_literals;

class MFileTest : public ::testing::Test {
protected:
    os::emulated::Machine machine;
    qvxtest::ScriptedUser host;
    platform::Services services{machine, host};
    platform::MFile file{services};
};

TEST_F(MFileTest, BuildDialogFilterSeparatesWithNulsAndEndsInOne) {
    const struct {
        std::string filter, expected;
    } cases[] = {
        {"Backup files BAK|*.BAK", "Backup files BAK\0*.BAK\0"s},
        {"Text|*.txt|All|*.*", "Text\0*.txt\0All\0*.*\0"s},
        {"a||b|", "a\0\0b\0\0"s},
        {"", "\0"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        file.BuildDialogFilter(c.filter);
        EXPECT_EQ(c.expected, file.DialogFilter());
    }
}

TEST_F(MFileTest, TheDialogIsAskedForExactlyTheProgramsRequest) {
    machine.QueueOpenFileAnswer(std::nullopt);
    std::string ext = "*.*";
    file.ShowOpenDialog("Select a backup file", "Backup files BAK|*.BAK", ext);

    ASSERT_EQ(1u, machine.OpenFileLog().size());
    const os::OpenFileRequest& request = machine.OpenFileLog()[0];
    EXPECT_EQ(76u, request.structSize);
    EXPECT_EQ(0u, request.owner);
    EXPECT_EQ("Backup files BAK\0*.BAK\0"s, request.filter);
    EXPECT_EQ(std::string(259, ' ') + '\0', request.fileBuffer);
    EXPECT_EQ(260u, request.maxFile);
    EXPECT_EQ("Select a backup file", request.title);
    EXPECT_EQ(4u, request.flags);
    EXPECT_EQ(".BAK", request.defExt);
}

TEST_F(MFileTest, GivesTheChosenPathOrTheBlanksAndAlwaysLeavesBakInTheCallersVariable) {
    const std::string blanks(259, ' ');
    const struct {
        const char* what;
        std::optional<std::string> answer;
        bool dialogFails;
        std::string passedExt, expected;
    } cases[] = {
        {"a file chosen", "C:\\Backups\\Word 2003.BAK", false, "*.*", "C:\\Backups\\Word 2003.BAK"},
        {"cancelled", std::nullopt, false, "", blanks},
        {"the dialog failed", "C:\\never.BAK", true, ".reg", blanks},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        machine.ClearFaults();
        if (c.dialogFails) machine.FailCall("GetOpenFileName", 1, os::err::InvalidParameter);
        else machine.QueueOpenFileAnswer(c.answer);
        std::string ext = c.passedExt;
        EXPECT_EQ(c.expected, file.ShowOpenDialog("Open", "Backup files BAK|*.BAK", ext));
        EXPECT_EQ(".BAK", ext);
    }
}

}  // namespace
