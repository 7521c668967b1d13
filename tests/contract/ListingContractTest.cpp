// What the program relies on from FindFirstFile/FindNextFile: which names a
// mask lists, in which order, with "." and "..", and what a listing does
// while its folder changes.
#include "ContractTest.h"

namespace contract {
namespace {

using Names = std::vector<std::string>;

class ListingContract : public ContractTest {
protected:
    void SetUp() override {
        for (const char* name : {"Report.dotx", "Tools.dot", "Macros.wll", "noext", "a.b.c", "Zeta.DOT", "_under.dot",
                                 "file1.txt", "file12.txt", "file.txt", "x.dotm", "verylongname.dot", "ab", "abc.do",
                                 ".hidden", "Letters.Dot"})
            Write(name);
        MakeDir("Sub.dir");
        MakeDir("sub2");
    }
};

TEST_F(ListingContract, MasksMatchAsWineMatchesThemShortNamesIncluded) {
    const Names all = {".",          "..",        ".hidden",    "a.b.c",  "ab",          "abc.do",
                       "file.txt",   "file1.txt", "file12.txt", "Letters.Dot", "Macros.wll", "noext",
                       "Report.dotx", "Sub.dir",  "sub2",       "Tools.dot",   "verylongname.dot",
                       "x.dotm",     "Zeta.DOT",  "_under.dot"};
    const Names dot = {"Letters.Dot", "Report.dotx", "Tools.dot", "verylongname.dot", "x.dotm", "Zeta.DOT",
                       "_under.dot"};
    const struct {
        const char* mask;
        Names names;
    } cases[] = {
        {"*", all},
        {"*.*", all},  // names without a dot too
        {"*.", all},   // a trailing dot in the mask is ignored
        // Report.dotx and x.dotm have the short names REPO~xyz.DOT and X~~~~xyz.DOT.
        {"*.dot", dot},
        {"*.DOT", dot},
        {"*dot", dot},
        {"*.dotx", {"Report.dotx"}},
        {"*.wll", {"Macros.wll"}},
        {"*.do", {"abc.do"}},
        {"file?.txt", {"file1.txt"}},
        {"file??.txt", {"file12.txt"}},
        {"file*.txt", {"file.txt", "file1.txt", "file12.txt"}},
        {"?", {"."}},
        {"??", {"..", "ab"}},
        {"a*", {"a.b.c", "ab", "abc.do"}},
        {"*b", {"ab"}},
        {"*.b*", {"a.b.c"}},
        {"*.?", {"..", "a.b.c"}},
        {"*.????", {"Report.dotx", "x.dotm"}},
        {"*.???",
         {"a.b.c", "file.txt", "file1.txt", "file12.txt", "Letters.Dot", "Macros.wll", "Report.dotx", "Sub.dir",
          "Tools.dot", "verylongname.dot", "x.dotm", "Zeta.DOT", "_under.dot"}},
        {"*e*",
         {".hidden", "file.txt", "file1.txt", "file12.txt", "Letters.Dot", "noext", "Report.dotx", "verylongname.dot",
          "Zeta.DOT", "_under.dot"}},
        {"Tools.*", {"Tools.dot"}},
        {"?????.dot", {"Tools.dot"}},
        {"tools.DOT", {"Tools.dot"}},  // no wildcard: the one name, as written on disk
        {"Sub.dir", {"Sub.dir"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        uint32_t error = kSentinel;
        EXPECT_EQ(c.names, List(Path(c.mask), &error));
        EXPECT_EQ(0u, error);
    }
}

TEST_F(ListingContract, FailedListingsTellWhy) {
    const struct {
        std::string pattern;
        uint32_t status;
    } cases[] = {
        {Path("*.d"), os::err::FileNotFound},
        {Path("???"), os::err::FileNotFound},
        {Path("nomatch*"), os::err::FileNotFound},
        {Path("nomatch"), os::err::FileNotFound},
        {Path("Sub.dir\\"), os::err::FileNotFound},  // a folder named with a trailing backslash lists nothing
        {Path("missing\\*"), os::err::PathNotFound},
        {"", os::err::PathNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        uint32_t error = kSentinel;
        EXPECT_EQ(Names{}, List(c.pattern, &error));
        EXPECT_EQ(c.status, error);
    }
}

TEST_F(ListingContract, AnEmptyFolderListsItsDotEntriesAndTheEndIsNoMoreFiles) {
    EXPECT_EQ((Names{".", ".."}), List(Path("sub2\\*")));
    EXPECT_EQ((Names{".", ".."}), List(Path("sub2\\*.*")));
    os::FindData found;
    os::Handle find = api.FindFirstFile(Path("sub2\\*"), &found);
    ASSERT_NE(0u, find);
    EXPECT_EQ(os::AttrDirectory, found.attributes & os::AttrDirectory);
    EXPECT_TRUE(api.FindNextFile(find, &found));
    for (int i = 0; i < 2; ++i) {
        api.SetLastError(kSentinel);
        EXPECT_FALSE(api.FindNextFile(find, &found));
        EXPECT_EQ(static_cast<uint32_t>(os::err::NoMoreFiles), api.GetLastError());
    }
    EXPECT_TRUE(api.FindClose(find));
    api.SetLastError(kSentinel);
    EXPECT_FALSE(api.FindNextFile(find, &found));
    EXPECT_EQ(static_cast<uint32_t>(os::err::InvalidHandle), api.GetLastError());
}

TEST_F(ListingContract, EntriesCarryTheFilesAttributesSizeAndTime) {
    Write("sub2\\data.bin", "12345");
    ASSERT_TRUE(api.SetFileAttributes(Path("sub2\\data.bin"), os::AttrReadOnly));
    os::FindData found;
    os::UniqueFind find(api, api.FindFirstFile(Path("sub2\\data.bin"), &found));
    ASSERT_TRUE(find);
    os::FileInfo info;
    ASSERT_TRUE(api.GetFileAttributesEx(Path("sub2\\data.bin"), &info));
    EXPECT_EQ("data.bin", found.name);
    EXPECT_EQ(os::AttrArchive | os::AttrReadOnly, found.attributes);
    EXPECT_EQ(5u, found.size);
    EXPECT_EQ(info.lastWrite, found.lastWrite);
    api.SetFileAttributes(Path("sub2\\data.bin"), 0);
}

TEST_F(ListingContract, RenamingWhatWasListedDoesNotDisturbTheListing) {
    // As the add-in renaming does: each file listed is renamed before the
    // next is asked for, and every one is met exactly once.
    Names seen;
    os::FindData found;
    os::UniqueFind find(api, api.FindFirstFile(Path("*.dot"), &found));
    ASSERT_TRUE(find);
    do {
        seen.push_back(found.name);
        std::string renamed = found.name.substr(0, found.name.size() - 3) + "wbt";
        EXPECT_TRUE(api.PathFileExists(Path(found.name)));
        EXPECT_TRUE(api.MoveFile(Path(found.name), Path(renamed))) << found.name;
        Write("late" + std::to_string(seen.size()) + ".dot");
    } while (api.FindNextFile(find.get(), &found));
    EXPECT_EQ((Names{"Letters.Dot", "Report.dotx", "Tools.dot", "verylongname.dot", "x.dotm", "Zeta.DOT",
                     "_under.dot"}),
              seen);
    EXPECT_EQ((Names{"Letters.wbt", "Report.dwbt", "Tools.wbt", "verylongname.wbt", "x.dwbt", "Zeta.wbt",
                     "_under.wbt"}),
              List(Path("*wbt")));
}

}  // namespace
}  // namespace contract
