// Class1's export and import lines handed to the real registry editor: the
// export's open quote around the key and the unquoted import path must still
// do their work. Only under Wine: the emulated machine has no editor.
#include "engine/Class1.h"
#include "engine/FileIo.h"
#include "engine/RegFile.h"
#include "engine/RegFixture.h"

#include "support/Poll.h"
#include "support/ScriptedUser.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

class RegeditLaunchWine : public qvxtest::RegFixture {
protected:
    void SetUp() override {
        if (!qvxtest::RunningUnderWine()) GTEST_SKIP() << "needs the system registry editor (Wine)";
        RegFixture::SetUp();
    }

    engine::RegFile Read(const std::string& rel) {
        engine::RegFile tree;
        EXPECT_EQ(0, engine::ReadRegTree(api(), os::HKeyCurrentUser, Sub(rel), &tree));
        return tree;
    }

    qvxtest::ScriptedUser host;
};

TEST_F(RegeditLaunchWine, ExportsAndImportsAKeyThroughTheEditor) {
    Put("Data", "Settings", os::RegBinary, std::string_view("\1\2\3\4", 4));
    Put("Data", "Name", os::RegSz, std::string_view("Word Data", 10));
    const engine::RegFile before = Read("Data");
    const std::string file = File("Data.reg");
    ASSERT_EQ(std::string::npos, file.find(' ')) << "the import line leaves the path unquoted";

    platform::Services services{api(), host};
    engine::Class1(services).RegBackup(file, Full("Data"));
    // A file still being written may parse yet lack values: wait for all of them.
    std::string difference = "no export yet";
    // The editor is not waited for: its work is watched for.
    ASSERT_TRUE(qvxtest::WaitUntil([&] {
        std::string bytes;
        engine::RegFile exported;
        engine::RegFileError error;
        if (engine::ReadWholeFile(api(), file, &bytes) != 0 || !engine::ParseRegFile(api(), bytes, &exported, &error))
            return false;
        difference = engine::DescribeRegDifference(before, exported);
        return difference.empty();
    }, std::chrono::seconds(30))) << difference;

    qvxtest::DeleteKeyTree(api(), os::HKeyCurrentUser, Sub("Data"));
    engine::Class1(services).RegRestore(file);
    ASSERT_TRUE(qvxtest::WaitUntil([&] {
        engine::RegFile tree;
        return engine::ReadRegTree(api(), os::HKeyCurrentUser, Sub("Data"), &tree) == 0 &&
               engine::DescribeRegDifference(before, tree).empty();
    }, std::chrono::seconds(30))) << "the key did not come back";
}

}  // namespace
