#include "platform/MIni.h"

#include "PlatformTest.h"

namespace qvxtest {
namespace {

class MIniTest : public PlatformTest {
protected:
    platform::MIni ini{services};
};

TEST_F(MIniTest, ReadsOneKeyOrGivesTheEmptyText) {
    const std::string longValue(300, 'x');
    const std::string fullValue = std::string(253, 'y') + 'z';
    const std::string file = dir + "Word.BAK";
    ASSERT_TRUE(WriteTextFile(api, file,
                              "[Other]\r\nVersion=WP9\r\n"
                              "[Backup]\r\nVersion=WP12\r\nBackup_Location=C:\\Backups\\Word 2003\r\n"
                              "Empty=\r\nLong=" + longValue + "\r\nFull=" + fullValue + "\r\n"));
    const struct {
        const char* what;
        std::string file, section, key, expected;
    } cases[] = {
        {"a key of the section", file, "Backup", "Version", "WP12"},
        {"a path with a blank", file, "Backup", "Backup_Location", "C:\\Backups\\Word 2003"},
        {"an empty value", file, "Backup", "Empty", ""},
        {"a missing key", file, "Backup", "Date", ""},
        {"a missing section", file, "Restore", "Version", ""},
        {"a missing file", dir + "Missing.BAK", "Backup", "Version", ""},
        {"254 characters fit", file, "Backup", "Full", fullValue},
        {"a longer value is cut to 254", file, "Backup", "Long", longValue.substr(0, 254)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, ini.ReadIniString(c.file, c.section, c.key));
    }
}

}  // namespace
}  // namespace qvxtest
