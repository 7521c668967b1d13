#include "platform/clsFile.h"
#include "platform/clsFileSystem.h"

#include "platform/RaisedError.h"

#include "PlatformTest.h"

#include <functional>
#include <set>
#include <vector>

namespace qvxtest {
namespace {

class FileSystemTest : public PlatformTest {
protected:
    platform::clsFileSystem fs{services};
    os::Api& raw = machine->Api();
    std::vector<std::string> touched;  // files whose attributes a test changed

    void TearDown() override {
        for (const auto& path : touched) raw.SetFileAttributes(path, os::AttrNormal);
    }

    std::string Write(const std::string& name, const std::string& content = "x", uint32_t attributes = 0) {
        const std::string path = dir + name;
        for (auto slash = name.find('\\'); slash != std::string::npos; slash = name.find('\\', slash + 1))
            raw.CreateDirectory(dir + name.substr(0, slash));
        EXPECT_TRUE(WriteTextFile(raw, path, content)) << name;
        if (attributes != 0) {
            EXPECT_TRUE(raw.SetFileAttributes(path, attributes)) << name;
            touched.push_back(path);
        }
        return path;
    }
    std::string MkDir(const std::string& name) {
        EXPECT_TRUE(raw.CreateDirectory(dir + name)) << name;
        return dir + name;
    }
    bool Exists(const std::string& name) { return raw.GetFileAttributes(dir + name) != os::InvalidFileAttributes; }
    // Names in a folder, "." and ".." left out.
    std::set<std::string> Listing(const std::string& folder) {
        std::set<std::string> names;
        os::FindData data;
        os::UniqueFind find(raw, raw.FindFirstFile(folder + "\\*", &data));
        if (!find) return names;
        do {
            if (data.name != "." && data.name != "..") names.insert(data.name);
        } while (raw.FindNextFile(find.get(), &data));
        return names;
    }
    // Whether this machine's file system keeps a file's system attribute
    // (Wine keeps DOS attributes only where the host file system can).
    bool KeepsSystemAttribute() {
        const std::string probe = Write("probe.sys", "x", os::AttrSystem);
        const bool kept = (raw.GetFileAttributes(probe) & os::AttrSystem) != 0;
        raw.SetFileAttributes(probe, os::AttrNormal);
        raw.DeleteFile(probe);
        return kept;
    }
    // The message boxes shown since the first `from` ones.
    void ExpectBoxes(const std::vector<std::string>& texts, uint32_t style = forms::vbOKOnly,
                     std::size_t from = 0) {
        ASSERT_EQ(host.Boxes().size() - from, texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(host.Boxes()[from + i].text, texts[i]);
            EXPECT_EQ(host.Boxes()[from + i].style, style);
            EXPECT_EQ(host.Boxes()[from + i].caption, "Quorvex");
        }
    }
};

void ExpectRaised(const std::function<void()>& call, long number, const std::string& source) {
    try {
        call();
        ADD_FAILURE() << "nothing was raised";
    } catch (const platform::RaisedError& e) {
        EXPECT_EQ(e.Number, number) << e.what();
        EXPECT_EQ(e.Source, source);
    }
}

// Makes the scratch folder the current one for one test.
class CurrentFolder {
public:
    CurrentFolder(os::Api& api, const std::string& folder) : api_(api), old_(api.GetCurrentDirectory()) {
        EXPECT_TRUE(api.SetCurrentDirectory(folder));
    }
    ~CurrentFolder() { api_.SetCurrentDirectory(old_); }

private:
    os::Api& api_;
    std::string old_;
};

TEST_F(FileSystemTest, FileExistHoldsForFilesAndFolders) {
    Write("here.txt");
    MkDir("Folder");
    struct Case {
        std::string path;
        bool exists;
    };
    const Case cases[] = {
        {dir + "here.txt", true}, {dir + "Folder", true}, {dir + "Folder\\", true},
        {dir + "gone.txt", false}, {dir + "Gone\\here.txt", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(fs.FileExist(c.path), c.exists);
    }
    EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(FileSystemTest, GetFileSizeInBytesThenKilobytesRoundedHalfToEven) {
    struct Case {
        std::size_t bytes;
        std::string text;
    };
    const Case cases[] = {
        {0, "0B"},        {512, "512B"},        {1023, "1023B"},      {1024, "1KB"},
        {1025, "1.001KB"}, {1056, "1.0312KB"},  {1120, "1.0938KB"},   {1536, "1.5KB"},
        {2048, "2KB"},    {2 * 1024 * 1024, "2048KB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        const std::string name = "size" + std::to_string(c.bytes);
        Write(name, std::string(c.bytes, 'z'));
        EXPECT_EQ(fs.GetFileSize(dir + name), c.text);
    }
    EXPECT_EQ(fs.GetFileSize(dir + "missing.bin"), "0B");
}

TEST_F(FileSystemTest, GetAttribNamesSingleAttributesAndNumbersCombinations) {
    // The attribute numbers come from the Api, so every row can be reached
    // whatever the file system keeps.
    struct Case {
        uint32_t attributes;
        std::string text;
    };
    const Case cases[] = {
        {64, "Alias"},   {32, "Archive"},  {16, "Directory"}, {2, "Hidden"},       {0, "Normal"},
        {1, "ReadOnly"}, {4, "System"},    {8, "Volume"},     {33, "33"},          {3, "3"},
        {os::AttrNormal, "Normal"},        {0x2020, "Archive"},  // newer bits name nothing
        {os::InvalidFileAttributes, "Unknown"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        api.attributes["X:\\file"] = c.attributes;
        EXPECT_EQ(fs.GetAttrib("X:\\file"), c.text);
    }
}

TEST_F(FileSystemTest, GetAttribOfRealFilesAndFolders) {
    Write("archive", "x", os::AttrArchive);
    Write("archive-readonly", "x", os::AttrArchive | os::AttrReadOnly);
    MkDir("Folder");
    EXPECT_EQ(fs.GetAttrib(dir + "archive"), "Archive");
    EXPECT_EQ(fs.GetAttrib(dir + "archive-readonly"), "33");
    EXPECT_EQ(fs.GetAttrib(dir + "Folder"), "Directory");
    EXPECT_EQ(fs.GetAttrib(dir + "missing"), "Unknown");
}

TEST_F(FileSystemTest, AttributeSettersReplaceTheWholeSet) {
    // Wine keeps the archive bit on every file, so it is left out here.
    const uint32_t kept = os::AttrReadOnly | os::AttrHidden | os::AttrSystem;
    struct Case {
        const char* what;
        void (platform::clsFileSystem::*set)(const std::string&);
        uint32_t expected;
    };
    const Case cases[] = {
        {"SetHidden", &platform::clsFileSystem::SetHidden, os::AttrHidden},
        {"SetReadOnly", &platform::clsFileSystem::SetReadOnly, os::AttrReadOnly},
        {"SetNormal", &platform::clsFileSystem::SetNormal, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Write(c.what, "x", os::AttrArchive | os::AttrReadOnly | os::AttrHidden);
        (fs.*c.set)(path);
        EXPECT_EQ(raw.GetFileAttributes(path) & kept, c.expected);
    }
    if (KeepsSystemAttribute()) {
        const std::string path = Write("SetSystem", "x", os::AttrArchive | os::AttrReadOnly);
        fs.SetSystem(path);
        EXPECT_EQ(raw.GetFileAttributes(path) & kept, os::AttrSystem);
    }
    fs.SetHidden(dir + "missing");  // ignored
    EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(FileSystemTest, GetFileDateIsEmptyOnlyWhenTheFileCannotBeRead) {
    Write("dated.txt");
    EXPECT_FALSE(fs.GetFileDate(dir + "dated.txt").empty());
    EXPECT_EQ(fs.GetFileDate(dir + "missing.txt"), "");
}

TEST_F(FileSystemTest, DeleteFileRemovesOneFileOrEveryWildcardMatch) {
    for (const char* name : {"a1.tmp", "a2.tmp", "ab1.tmp", "keep.txt", "note.tm"}) Write(name);
    MkDir("folder.tmp");
    fs.DeleteFile(dir + "a?.tmp");
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"ab1.tmp", "folder.tmp", "keep.txt", "note.tm"}));
    fs.DeleteFile(dir + "*.tmp");
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"folder.tmp", "keep.txt", "note.tm"}));
    fs.DeleteFile(dir + "keep.txt");
    EXPECT_EQ(Listing(dir), (std::set<std::string>{"folder.tmp", "note.tm"}));
    EXPECT_TRUE(host.Boxes().empty());
    EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST_F(FileSystemTest, DeleteFileSaysOnceWhenItCannotDelete) {
    Write("locked.txt", "x", os::AttrReadOnly);
    const std::string cases[] = {dir + "missing.txt", dir + "*.none", dir + "locked.txt", dir + "lock*.txt"};
    for (const auto& path : cases) {
        SCOPED_TRACE(path);
        const auto shown = host.Boxes().size();
        fs.DeleteFile(path);
        ExpectBoxes({"Error deleting File"}, forms::vbOKOnly, shown);
    }
    EXPECT_TRUE(Exists("locked.txt"));
}

TEST_F(FileSystemTest, CopyFileOverwritesAndFailsSilently) {
    Write("from.txt", "new");
    Write("to.txt", "old and longer");
    fs.CopyFile(dir + "from.txt", dir + "to.txt");
    EXPECT_EQ(ReadTextFile(raw, dir + "to.txt"), "new");
    fs.CopyFile(dir + "missing.txt", dir + "copy.txt");
    EXPECT_FALSE(Exists("copy.txt"));
    EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(FileSystemTest, MoveFileCopiesThenDeletesTheSource) {
    Write("from.txt", "moved");
    fs.MoveFile(dir + "from.txt", dir + "to.txt");
    EXPECT_EQ(ReadTextFile(raw, dir + "to.txt"), "moved");
    EXPECT_FALSE(Exists("from.txt"));
    EXPECT_TRUE(host.Boxes().empty());
}

TEST_F(FileSystemTest, MoveFileOfAMissingSourceSaysSoOnceAndDeletesNothing) {
    Write("to.txt", "old");
    api.calls.clear();
    fs.MoveFile(dir + "missing.txt", dir + "to.txt");
    ExpectBoxes({"Error moving File"});
    EXPECT_TRUE(api.CallsOf("DeleteFile").empty());
    EXPECT_EQ(ReadTextFile(raw, dir + "to.txt"), "old");
}

TEST_F(FileSystemTest, MoveFileKeepsASourceItCannotDelete) {
    Write("from.txt", "stuck", os::AttrReadOnly);
    fs.MoveFile(dir + "from.txt", dir + "to.txt");
    touched.push_back(dir + "to.txt");  // the copy may carry the read-only bit
    ExpectBoxes({"Error moving File"});
    EXPECT_EQ(ReadTextFile(raw, dir + "from.txt"), "stuck");
    EXPECT_EQ(ReadTextFile(raw, dir + "to.txt"), "stuck");
}

TEST_F(FileSystemTest, FoldersAreMadeSilentlyAndRemovedOnlyWhenEmpty) {
    fs.MakeDIR(dir + "New");
    EXPECT_TRUE(Exists("New"));
    fs.MakeDIR(dir + "No\\Parent");
    EXPECT_FALSE(Exists("No"));
    EXPECT_TRUE(host.Boxes().empty());

    fs.RemoveDIR(dir + "New");
    EXPECT_FALSE(Exists("New"));
    EXPECT_TRUE(host.Boxes().empty());
    Write("Full\\x.txt");
    fs.RemoveDIR(dir + "Full");
    ExpectBoxes({"Error removing Directory"});
    EXPECT_TRUE(Exists("Full\\x.txt"));
}

TEST_F(FileSystemTest, FileRealOnlyForTheExactBareNameOfAFileInTheCurrentFolder) {
    Write("Real.txt");
    Write("Hidden.txt", "x", os::AttrHidden);
    MkDir("Sub");
    CurrentFolder current(raw, dir);
    struct Case {
        std::string name;
        bool real;
    };
    const Case cases[] = {
        {"Real.txt", true},  {"real.txt", false},   {dir + "Real.txt", false}, {"R*.txt", false},
        {"Hidden.txt", false}, {"Sub", false},       {"Missing.txt", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fs.FileReal(c.name), c.real);
    }
}

TEST_F(FileSystemTest, SaveAsksBeforeDeletingAFileOfTheCurrentFolder) {
    Write("doc.txt");
    CurrentFolder current(raw, dir);
    host.QueueAnswer(forms::vbNo);
    fs.Save("doc.txt");
    ExpectBoxes({"Overwrite File?"}, forms::vbYesNo);
    EXPECT_TRUE(Exists("doc.txt"));

    host.QueueAnswer(forms::vbYes);
    fs.Save("doc.txt");
    ExpectBoxes({"Overwrite File?", "Overwrite File?"}, forms::vbYesNo);
    EXPECT_FALSE(Exists("doc.txt"));

    fs.Save("doc.txt");
    EXPECT_EQ(host.Boxes().size(), 2u);
}

TEST_F(FileSystemTest, CreateDirectoryStructMakesEachMissingFolderInTurn) {
    const std::string paths[] = {dir + "a\\b\\c", dir + "a\\b\\c\\"};
    for (const auto& path : paths) {
        SCOPED_TRACE(path);
        DeleteFolderTree(raw, dir + "a");
        MkDir("a");
        api.calls.clear();
        const int yields = host.Yields();
        fs.CreateDirectoryStruct(path);
        EXPECT_EQ(api.CallsOf("CreateDirectory"), (std::vector<std::string>{dir + "a\\b", dir + "a\\b\\c"}));
        EXPECT_TRUE(Exists("a\\b\\c"));
        // One yield after each folder checked.
        EXPECT_EQ(std::size_t(host.Yields() - yields), api.CallsOf("PathFileExists").size());
    }
    api.calls.clear();
    fs.CreateDirectoryStruct(dir + "a\\b\\c");
    EXPECT_TRUE(api.CallsOf("CreateDirectory").empty());
}

TEST_F(FileSystemTest, CreateDirectoryStructPassesOverADoubledBackslash) {
    fs.CreateDirectoryStruct(dir + "d\\\\e");
    EXPECT_TRUE(Exists("d\\e"));
    // The walk keeps the path's own spelling; the system reads "\\\\" as "\\".
    EXPECT_EQ(api.CallsOf("CreateDirectory"), (std::vector<std::string>{dir + "d", dir + "d\\\\e"}));
}

TEST_F(FileSystemTest, CreateDirectoryStructWalksANetworkPathFromBelowTheShare) {
    api.uncPrefix = "\\\\QVXSERVER\\share\\";
    api.uncTarget = dir;
    fs.CreateDirectoryStruct("\\\\QVXSERVER\\share\\u\\v");
    EXPECT_EQ(api.CallsOf("PathFileExists"),
              (std::vector<std::string>{"\\\\QVXSERVER\\share\\u", "\\\\QVXSERVER\\share\\u\\v"}));
    EXPECT_EQ(api.CallsOf("CreateDirectory"),
              (std::vector<std::string>{"\\\\QVXSERVER\\share\\u", "\\\\QVXSERVER\\share\\u\\v"}));
    EXPECT_TRUE(Exists("u\\v"));
}

TEST_F(FileSystemTest, CreateDirectoryStructRaisesWhatItCannotDo) {
    Write("file.txt");
    ExpectRaised([&] { fs.CreateDirectoryStruct(dir + "file.txt\\sub"); }, 76, "clsFileSystem");
    api.calls.clear();
    ExpectRaised([&] { fs.CreateDirectoryStruct("relative\\path"); }, 76, "clsFileSystem");
    EXPECT_TRUE(api.CallsOf("CreateDirectory").empty());
}

TEST_F(FileSystemTest, CleanAllPathEmptiesTheTreeAndKeepsTheFolder) {
    Write("Clean\\plain.txt");
    Write("Clean\\noextension");
    Write("Clean\\readonly.txt", "x", os::AttrReadOnly | os::AttrArchive);
    Write("Clean\\hidden.txt", "x", os::AttrHidden);
    Write("Clean\\Sub\\h1.txt", "x", os::AttrHidden);
    Write("Clean\\Sub\\h2.txt", "x", os::AttrHidden | os::AttrReadOnly);
    Write("Clean\\Sub\\Deeper\\x.txt");
    MkDir("Clean\\Empty");
    std::string path = dir + "Clean";
    fs.CleanAllPath(path);
    EXPECT_EQ(path, dir + "Clean\\");
    EXPECT_TRUE(Exists("Clean"));
    EXPECT_EQ(Listing(dir + "Clean"), std::set<std::string>{});
    EXPECT_GT(host.Yields(), 0);
    EXPECT_EQ(host.Yields() % 3, 0);
    EXPECT_TRUE(host.Boxes().empty());
    EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST_F(FileSystemTest, CleanAllPathLeavesSystemFilesAndRaisesWhenTheirFolderStays) {
    if (!KeepsSystemAttribute()) GTEST_SKIP() << "this file system does not keep the system attribute";
    Write("Sys\\top.sys", "x", os::AttrSystem);
    Write("Sys\\other.txt");
    std::string path = dir + "Sys\\";
    fs.CleanAllPath(path);
    EXPECT_EQ(Listing(dir + "Sys"), std::set<std::string>{"top.sys"});

    Write("Sys\\Keep\\inner.sys", "x", os::AttrSystem);
    Write("Sys\\Keep\\gone.txt");
    ExpectRaised([&] { fs.CleanAllPath(path); }, 75, "clsFileSystem");
    EXPECT_EQ(Listing(dir + "Sys\\Keep"), std::set<std::string>{"inner.sys"});
}

TEST_F(FileSystemTest, CleanAllPathRefusesTheEmptyPath) {
    std::string path;
    ExpectRaised([&] { fs.CleanAllPath(path); }, 76, "clsFileSystem");
    EXPECT_EQ(path, "");
    EXPECT_TRUE(api.CallsOf("FindFirstFile").empty());
}

TEST_F(FileSystemTest, CleanAllPathEndsWhenTheUserEndsTheProgramMidway) {
    for (int i = 0; i < 4; ++i) Write("Busy\\f" + std::to_string(i) + ".txt");
    host.AtYield(8, [&] { host.End(); });
    std::string path = dir + "Busy";
    EXPECT_THROW(fs.CleanAllPath(path), forms::ProgramEnded);
    EXPECT_FALSE(Listing(dir + "Busy").empty());
    EXPECT_EQ(api.OpenHandles(), 0u);
}

TEST_F(FileSystemTest, FileWriteReplacesTheFileWithTheTextAndALineEnd) {
    platform::clsFile file(services);
    Write("out.txt", "a much longer old content");
    file.FileWrite(dir + "out.txt", "first line");
    EXPECT_EQ(ReadTextFile(raw, dir + "out.txt"), "first line\r\n");
    file.FileWrite(dir + "new.txt", "");
    EXPECT_EQ(ReadTextFile(raw, dir + "new.txt"), "\r\n");
    EXPECT_EQ(api.OpenHandles(), 0u);
    EXPECT_TRUE(raw.DeleteFile(dir + "out.txt"));  // nothing holds it open
}

TEST_F(FileSystemTest, FileWriteFailuresReachTheCaller) {
    platform::clsFile file(services);
    MkDir("Folder");
    ExpectRaised([&] { file.FileWrite(dir + "No\\Such\\out.txt", "x"); }, 76, "clsFile");
    ExpectRaised([&] { file.FileWrite(dir + "Folder", "x"); }, 75, "clsFile");
    EXPECT_EQ(api.OpenHandles(), 0u);

    Write("locked.txt", "kept", os::AttrReadOnly);
    if (os::UniqueHandle probe(raw, raw.CreateFile(dir + "locked.txt", os::GenericWrite, 0, os::OpenExisting));
        probe) {
        // Known divergence (Wine run as root): read-only files open for
        // writing, so the write goes through.
        probe.reset();
        EXPECT_NO_THROW(file.FileWrite(dir + "locked.txt", "x"));
        return;
    }
    ExpectRaised([&] { file.FileWrite(dir + "locked.txt", "x"); }, 75, "clsFile");
    EXPECT_EQ(ReadTextFile(raw, dir + "locked.txt"), "kept");
}

}  // namespace
}  // namespace qvxtest
