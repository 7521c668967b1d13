// Backups when the machine fails underneath them: a backup is reported as
// landed only when it did, and a failed write leaves no damaged file behind.
#include "engine/FileIo.h"
#include "engine/RegFile.h"
#include "os/emulated/Machine.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kFolder = "C:\\Program Files\\Quorvex\\";

class RegFileFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        os::HKey key = 0;
        ASSERT_EQ(0, machine_.RegCreateKeyEx(os::HKeyCurrentUser, "Software\\T\\Sub", os::KeyAllAccess, &key, nullptr));
        const uint8_t data[] = {'v', 0};
        ASSERT_EQ(0, machine_.RegSetValueEx(key, "name", os::RegSz, data, 2));
        machine_.RegCloseKey(key);
    }
    std::string Path(const std::string& name) const { return kFolder + name; }

    os::emulated::Machine machine_;
};

TEST_F(RegFileFaultTest, FailedWritesReportTheStatusAndLeaveNoFile) {
    struct Case {
        const char* method;
        uint32_t code;
    } cases[] = {
        {"WriteFile", os::err::DiskFull},
        {"FlushFileBuffers", os::err::AccessDenied},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        machine_.WriteFileText(Path("COM.reg"), "old backup");
        machine_.FailCall(c.method, 1, c.code);
        EXPECT_EQ(c.code, engine::WriteWholeFile(machine_, Path("COM.reg"), "new backup"));
        machine_.ClearFaults();
        EXPECT_FALSE(machine_.Exists(Path("COM.reg")));
    }
}

TEST_F(RegFileFaultTest, AFileThatCannotBeOpenedIsLeftAlone) {
    machine_.WriteFileText(Path("COM.reg"), "old backup");
    machine_.FailCall("CreateFile", 1, os::err::SharingViolation);
    EXPECT_EQ(os::err::SharingViolation, engine::WriteWholeFile(machine_, Path("COM.reg"), "new"));
    EXPECT_EQ("old backup", machine_.ReadFileText(Path("COM.reg")).value_or(""));
}

TEST_F(RegFileFaultTest, AFullDiskFailsTheBackup) {
    machine_.SetDiskCapacity(64);
    engine::RegResult result = engine::BackupRegKey(machine_, os::HKeyCurrentUser, "Software\\T", Path("COM.reg"));
    EXPECT_EQ(os::err::DiskFull, result.code) << result.message;
    EXPECT_FALSE(machine_.Exists(Path("COM.reg")));
}

TEST_F(RegFileFaultTest, ABackupThatCannotBeReadCompletelyFails) {
    struct Case {
        const char* method;
        const char* subject;
    } cases[] = {
        {"RegEnumValue", ""},
        {"RegEnumKeyEx", ""},
        {"RegOpenKeyEx", "Sub"},
        {"RegQueryInfoKey", ""},
        {"ReadFile", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        machine_.FailCall(c.method, 1, os::err::AccessDenied, 1, c.subject);
        engine::RegResult result = engine::BackupRegKey(machine_, os::HKeyCurrentUser, "Software\\T", Path("COM.reg"));
        machine_.ClearFaults();
        EXPECT_EQ(os::err::AccessDenied, result.code) << result.message;
        EXPECT_FALSE(result.message.empty());
    }
}

TEST_F(RegFileFaultTest, AKeyChangedWhileItWasSavedFailsTheBackup) {
    // The value changes between the export and the check of the file.
    bool changed = false;
    machine_.SetCallObserver([this, &changed](const std::string& method, const std::string&) {
        if (method == "FlushFileBuffers" && !changed) {
            changed = true;
            os::HKey key = 0;
            machine_.RegOpenKeyEx(os::HKeyCurrentUser, "Software\\T\\Sub", os::KeyAllAccess, &key);
            const uint8_t data[] = {'w', 0};
            machine_.RegSetValueEx(key, "name", os::RegSz, data, 2);
            machine_.RegCloseKey(key);
        }
    });
    engine::RegResult result = engine::BackupRegKey(machine_, os::HKeyCurrentUser, "Software\\T", Path("COM.reg"));
    machine_.SetCallObserver(nullptr);
    ASSERT_TRUE(changed);
    EXPECT_EQ(os::err::InvalidData, result.code);
    EXPECT_NE(std::string::npos, result.message.find("has other data")) << result.message;
}

TEST_F(RegFileFaultTest, ARegistryFailureDuringImportIsReported) {
    std::string bytes;
    ASSERT_EQ(0, engine::ExportRegKey(machine_, os::HKeyCurrentUser, "Software\\T", &bytes));
    machine_.FailCall("RegSetValueEx", 1, os::err::AccessDenied);
    engine::RegFileError error;
    EXPECT_EQ(long{os::err::AccessDenied}, engine::ImportRegFile(machine_, bytes, &error));
    EXPECT_NE(std::string::npos, error.message.find("\"name\"")) << error.message;
}

}  // namespace
