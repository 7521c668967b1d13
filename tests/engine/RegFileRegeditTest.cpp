// Our .reg files and the system registry editor's, in both directions. Only
// under Wine: the emulated machine has no registry editor.
#include "engine/FileIo.h"
#include "engine/RegFile.h"
#include "engine/RegFixture.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

class RegeditTest : public qvxtest::RegFixture {
protected:
    void SetUp() override {
        if (!qvxtest::RunningUnderWine()) GTEST_SKIP() << "needs the system registry editor (Wine)";
        RegFixture::SetUp();
    }

    // Values both editors write the same way. Hex data of every length
    // around a line break, behind names of several lengths.
    void FillCommon(const std::string& rel) {
        std::string bytes;
        for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i * 13);
        Put(rel, "", os::RegSz, std::string_view("default", 8));
        Put(rel, "plain", os::RegSz, std::string_view("hello \"q\" back\\slash", 21));
        Put(rel, "na\"me\\with=[brackets]", os::RegSz, std::string_view("v", 2));
        Put(rel, "empty", os::RegSz, std::string_view("", 1));
        Put(rel, Utf8(u"caf\u00e9"), os::RegSz, Utf8(u"na\u00efve \u00a3") + '\0');
        Put(rel, Utf8(kBeyondName), os::RegExpandSz, Utf8(kBeyondPath) + '\0');
        Put(rel, "dword", os::RegDword, std::string_view("\xab\x12\0\0", 4));
        Put(rel, "qword", os::RegQword, std::string_view("\x88\x77\x66\x55\x44\x33\x22\x11", 8));
        Put(rel, "expand", os::RegExpandSz, std::string_view("%SystemRoot%\\system32\\a long path\\to wrap", 42));
        Put(rel, "multi", os::RegMultiSz, std::string_view("one\0two\0\0", 9));
        Put(rel, "none", os::RegNone, std::string_view("\xaa\xbb", 2));
        Put(rel, "empty binary", os::RegBinary, std::string_view("", 0));
        Put(rel, "big endian", os::RegDwordBigEndian, std::string_view("\1\2\3\4", 4));
        Put(rel, "odd type", 0x1234, std::string_view("\1\2", 2));
        for (size_t size : {22, 23, 24, 25, 47, 48, 49, 50, 300}) {
            Put(rel, "b" + std::to_string(size), os::RegBinary, std::string_view(bytes).substr(0, size));
        }
        for (size_t nameLength : {60, 68, 70, 71, 72, 73, 74, 90}) {
            Put(rel, std::string(nameLength, 'n'), os::RegBinary, std::string_view(bytes).substr(0, 30));
        }
        os::HKey empty = 0;
        ASSERT_EQ(0,
                  api().RegCreateKeyEx(os::HKeyCurrentUser, Sub(rel + "\\Empty"), os::KeyAllAccess, &empty, nullptr));
        api().RegCloseKey(empty);
        Put(rel + "\\a=b [c]", "x", os::RegSz, std::string_view("y", 2));
        Put(rel + "\\a=b [c]", "", os::RegBinary, std::string_view(bytes).substr(0, 60));
        Put(rel + "\\" + Utf8(u"K\u00e9y") + "\\Deeper\\Deepest", "leaf", os::RegMultiSz, std::string_view("\0", 1));
    }

    void RunRegedit(const std::string& arguments) {
        os::Handle process = api().CreateProcess("", "regedit.exe " + arguments, os::SwHide);
        ASSERT_NE(0u, process) << arguments;
        os::UniqueHandle owner(api(), process);
        ASSERT_EQ(os::WaitObject0, api().WaitForSingleObject(process, 60000)) << arguments;
    }

    engine::RegFile Read(const std::string& rel) {
        engine::RegFile tree;
        EXPECT_EQ(0, engine::ReadRegTree(api(), os::HKeyCurrentUser, Sub(rel), &tree));
        return tree;
    }

};

// Where two exports part, as text around the first differing byte.
std::string FirstDifference(const std::string& ours, const std::string& theirs) {
    size_t at = 0;
    while (at < ours.size() && at < theirs.size() && ours[at] == theirs[at]) ++at;
    auto excerpt = [at](const std::string& bytes) {
        std::string text;
        for (size_t i = (at > 120 ? at - 120 : 0) & ~size_t{1}; i < std::min(bytes.size(), at + 60); i += 2) {
            char c = bytes[i];
            text += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n\n") : std::string(1, c);
        }
        return text;
    };
    return "first difference at byte " + std::to_string(at) + "\nours:\n" + excerpt(ours) + "\nregedit:\n" +
           excerpt(theirs);
}

TEST_F(RegeditTest, OurExportMatchesRegeditByteForByte) {
    FillCommon("Src");
    RunRegedit("/e \"" + File("theirs.reg") + "\" \"" + Full("Src") + "\"");
    std::string theirs;
    ASSERT_EQ(0u, engine::ReadWholeFile(api(), File("theirs.reg"), &theirs));
    std::string ours;
    ASSERT_EQ(0, engine::ExportRegKey(api(), os::HKeyCurrentUser, Sub("Src"), &ours));
    EXPECT_TRUE(ours == theirs) << FirstDifference(ours, theirs);
}

TEST_F(RegeditTest, RegeditImportsOurExport) {
    FillCommon("Src");
    // Data regedit exports differently from us, which it must still import.
    Put("Src", "embedded nul", os::RegSz, std::string_view("a\0b", 4));
    Put("Src", "zero length", os::RegSz, std::string_view("", 0));
    Put("Src", "line breaks", os::RegSz, std::string_view("one\r\ntwo", 9));
    Put("Src", "short dword", os::RegDword, std::string_view("\1\2\3", 3));
    engine::RegFile before = Read("Src");
    std::string bytes;
    ASSERT_EQ(0, engine::ExportRegKey(api(), os::HKeyCurrentUser, Sub("Src"), &bytes));
    ASSERT_EQ(0u, engine::WriteWholeFile(api(), File("ours.reg"), bytes));
    qvxtest::DeleteKeyTree(api(), os::HKeyCurrentUser, Sub("Src"));

    // Wine's regedit exits with 0 whatever happened: only the registry tells.
    RunRegedit("/s \"" + File("ours.reg") + "\"");
    EXPECT_EQ("", engine::DescribeRegDifference(before, Read("Src")));
}

TEST_F(RegeditTest, WeImportRegeditsExport) {
    FillCommon("Src");
    engine::RegFile before = Read("Src");
    RunRegedit("/e \"" + File("theirs.reg") + "\" \"" + Full("Src") + "\"");
    std::string theirs;
    ASSERT_EQ(0u, engine::ReadWholeFile(api(), File("theirs.reg"), &theirs));
    qvxtest::DeleteKeyTree(api(), os::HKeyCurrentUser, Sub("Src"));

    engine::RegResult restored = engine::RestoreRegFile(api(), File("theirs.reg"));
    ASSERT_TRUE(restored.ok()) << restored.message;
    EXPECT_EQ("", engine::DescribeRegDifference(before, Read("Src")));
}

}  // namespace
