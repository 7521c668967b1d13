// What the program relies on from the shell's special folders, profile
// files, system messages, text conversion, the event log and the last error.
#include "ContractTest.h"

#include <cstring>
#include <set>

namespace contract {
namespace {

class ShellTextContract : public ContractTest {};

TEST_F(ShellTextContract, SpecialFoldersAreNamedAndExist) {
    for (int csidl : {os::CsidlAppData, os::CsidlLocalAppData, os::CsidlPersonal}) {
        SCOPED_TRACE(csidl);
        std::string path = "unchanged";
        ASSERT_TRUE(api.GetSpecialFolderPath(csidl, &path));
        ASSERT_GE(path.size(), 3u);
        EXPECT_EQ(':', path[1]);
        EXPECT_EQ(os::AttrDirectory, api.GetFileAttributes(path) & os::AttrDirectory);
    }
}

TEST_F(ShellTextContract, ProfileStringsFollowTheSystemsRules) {
    Write("t.ini",
          "; comment\r\n[Backup]\r\n  Name  =  Value with blanks   \r\nQuoted=\"in quotes\"\r\nSingle='single'\r\n"
          "Half=\"half\r\nEmpty=\r\nnoeq\r\nDup=first\r\nDup=second\r\nLong=0123456789\r\nTab=\tx\t\r\n"
          "[ Spaced ]\r\nk=v\r\n[backup]\r\nLater=yes\r\n");
    Write("unix.ini", "[S]\nK=unix\n[S2]\r\nK2 = v2");
    Write("bom.ini", "\xEF\xBB\xBF[S]\r\nK=bom\r\n");
    const std::string ini = Path("t.ini");
    const struct {
        const char* section;
        const char* key;
        const char* defaultValue;
        uint32_t size;
        std::string file;
        const char* result;
    } cases[] = {
        {"Backup", "Name", "d", 64, ini, "Value with blanks"},
        {"BACKUP", "name", "d", 64, ini, "Value with blanks"},
        {"Backup", "Quoted", "d", 64, ini, "in quotes"},
        {"Backup", "Single", "d", 64, ini, "single"},
        {"Backup", "Half", "d", 64, ini, "\"half"},
        {"Backup", "Empty", "d", 64, ini, ""},
        {"Backup", "noeq", "d", 64, ini, "d"},
        {"Backup", "Dup", "d", 64, ini, "first"},
        {"Backup", "Long", "d", 5, ini, "0123"},
        {"Backup", "Long", "d", 1, ini, ""},
        {"Backup", "Tab", "d", 64, ini, "x"},
        {"Spaced", "k", "d", 64, ini, "v"},
        {"Backup", "Later", "d", 64, ini, "d"},  // only the first section of a name counts
        {"Backup", "Missing", "  def  ", 64, ini, "  def"},
        {"Backup", "Missing", "\"qdef\"", 64, ini, "qdef"},
        {"Backup", "Missing", "defaultlong", 5, ini, "defa"},
        {"Nosec", "Name", "d", 64, ini, "d"},
        {"Backup", "", "d", 64, ini, "d"},
        {"", "Name", "d", 64, ini, "d"},
        {"Backup", "Name", "d", 64, Path("missing.ini"), "d"},
        {"S", "K", "d", 64, Path("unix.ini"), "unix"},
        {"S2", "K2", "d", 64, Path("unix.ini"), "v2"},
        {"S", "K", "d", 64, Path("bom.ini"), "bom"},
        {"S", "K", "d", 64, "unix.ini", "d"},  // a bare name is looked for in the Windows folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key + " in " + c.file);
        char buffer[64];
        std::memset(buffer, 'Q', sizeof buffer);
        uint32_t count = api.GetPrivateProfileString(c.section, c.key, c.defaultValue, buffer, c.size, c.file);
        EXPECT_EQ(std::strlen(c.result), count);
        EXPECT_EQ(std::string(c.result), std::string(buffer, count));
        EXPECT_EQ('\0', buffer[count]);
    }
    char untouched = 'Q';
    EXPECT_EQ(0u, api.GetPrivateProfileString("Backup", "Long", "d", &untouched, 0, ini));
    EXPECT_EQ('Q', untouched);
}

// A damaged backup description may hold NULs: the count must still be the
// length of the text handed back, or a caller's substr keeps the garbage.
TEST_F(ShellTextContract, ProfileNamesAndValuesEndAtANul) {
    using namespace std::string_literals;
    Write("zeros.ini", "[S]\r\nK=ab\0cd\r\nQ=\"ab\0cd\"\r\nL=next\r\nX\0Y=1\r\n[T\0U]\r\nM=w\r\n[E]\r\nK=end\0"s);
    const std::string ini = Path("zeros.ini");
    const struct {
        std::string section, key, result;
    } cases[] = {
        {"S", "K", "ab"},
        {"S", "Q", "\"ab"},  // the quotes go only when both remain
        {"S", "L", "next"},  // the line after is intact
        {"S", "X", "1"},
        {"T", "M", "w"},
        {"T\0U"s, "M", "w"},  // the caller's names end at a NUL too
        {"E", "K", "end"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.section + "/" + c.key);
        char buffer[64];
        std::memset(buffer, 'Q', sizeof buffer);
        uint32_t count = api.GetPrivateProfileString(c.section, c.key, "d", buffer, sizeof buffer, ini);
        EXPECT_EQ(c.result, std::string(buffer, count));
        EXPECT_EQ('\0', buffer[count]);
    }
}

TEST_F(ShellTextContract, EveryStatusTheProgramMeetsHasOneLineOfText) {
    const uint32_t codes[] = {os::err::Success,     os::err::FileNotFound,     os::err::PathNotFound,
                              os::err::AccessDenied, os::err::InvalidHandle,   os::err::NotEnoughMemory,
                              os::err::InvalidData,  os::err::WriteProtect,    os::err::SharingViolation,
                              os::err::HandleDiskFull, os::err::FileExists,    os::err::InvalidParameter,
                              os::err::DiskFull,     os::err::InsufficientBuffer, os::err::InvalidName,
                              os::err::DirNotEmpty,  os::err::AlreadyExists,   os::err::MoreData,
                              os::err::NoMoreItems,  os::err::NoMoreFiles,     os::err::BadNetPath,
                              os::err::NoAssociation};
    std::set<std::string> seen;
    for (uint32_t code : codes) {
        SCOPED_TRACE(code);
        std::string text = api.FormatMessage(code);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(std::string::npos, text.find_first_of("\r\n"));
        EXPECT_EQ('.', text.back());
        seen.insert(text);
    }
    EXPECT_GE(seen.size(), std::size(codes) - 2) << "texts tell the codes apart";
    EXPECT_EQ("", api.FormatMessage(99999));
}

TEST_F(ShellTextContract, TextCrossesToUtf16AndBack) {
    const std::string samples[] = {"", "plain ASCII", "C:\\Program Files\\Microsoft Office\\Office10\\"};
    for (const auto& sample : samples) {
        SCOPED_TRACE(sample);
        std::u16string wide = api.AnsiToUtf16(sample);
        EXPECT_EQ(sample.size(), wide.size());
        EXPECT_EQ(std::u16string(sample.begin(), sample.end()), wide);
        EXPECT_EQ(sample, api.Utf16ToAnsi(wide));
    }
}

TEST_F(ShellTextContract, AFileTimeReadsAsAGeneralDate) {
    // Noon UTC keeps the date whatever the time zone; the format is the US
    // English one, M/D/YYYY h:mm:ss AM/PM.
    const os::FileTime leapDayNoon = 133'536'816'000'000'000ull;
    const std::string text = api.FormatFileTime(leapDayNoon);
    ASSERT_EQ(0u, text.rfind("2/29/2024 ", 0)) << text;
    const std::string clock = text.substr(10);
    const size_t colon = clock.find(':');
    ASSERT_TRUE(colon == 1 || colon == 2) << text;
    EXPECT_EQ(':', clock.at(colon + 3)) << text;
    const std::string suffix = clock.substr(colon + 6);
    EXPECT_TRUE(suffix == " AM" || suffix == " PM") << text;
}

TEST_F(ShellTextContract, EventsAreAcceptedAndTheLastErrorIsKept) {
    EXPECT_TRUE(api.ReportEvent("QuorvexTest", os::EventlogError, "a test entry"));
    for (uint32_t code : {0u, 5u, kSentinel}) {
        api.SetLastError(code);
        EXPECT_EQ(code, api.GetLastError());
    }
}

}  // namespace
}  // namespace contract
