// The path and text rules of clsFileSystem and clsFile: pure functions of
// their argument, the same in both builds.
#include "platform/clsFile.h"
#include "platform/clsFileSystem.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::clsFile;
using platform::clsFileSystem;

struct TextCase {
    std::string in;
    std::string out;
};

TEST(PathText, GetFileExtensionTakesOneToFourCharactersAfterTheLastDot) {
    const TextCase cases[] = {
        {"C:\\Backups\\Data.BAK", "BAK"},      // case kept
        {"report.bak", "bak"},
        {"archive.tar.gz", "gz"},
        {"a.b", "b"},
        {"x.abcd", "abcd"},
        {"page.html", "html"},
        {"page.shtml", "Unknown"},             // five characters
        {"trailing.", "Unknown"},
        {"README", "Unknown"},
        {"", "Unknown"},
        {"C:\\dir.x\\file.txt", "txt"},
        {"C:\\dir.x\\file", "Unknown"},        // the folder's "." is five from the end
        {"C:\\d.xy\\f", "xy\\f"},              // ... and here it is not
        {".a", "a"},
        {".ab", "ab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(clsFileSystem::GetFileExtension(c.in), c.out);
    }
}

TEST(PathText, GetFileBaseNameWithAndWithoutThePath) {
    struct Case {
        std::string in;
        std::string withoutPath;
        std::string withPath;
    };
    const Case cases[] = {
        {"C:\\dir.x\\file.txt", "file", "C:\\dir.x\\file"},
        {"C:\\dir.x\\file", "file", "C:\\dir.x\\file"},
        {"a.b.c", "a.b", "a.b"},
        {".profile", ".profile", ""},
        {"C:file.txt", "file", "C:file"},
        {"C:\\dir\\", "", "C:\\dir\\"},
        {"plain", "plain", "plain"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(clsFileSystem::GetFileBaseName(c.in, false), c.withoutPath);
        EXPECT_EQ(clsFileSystem::GetFileBaseName(c.in, true), c.withPath);
    }
}

TEST(PathText, GetFileNameIsTheTextAfterTheLastBackslash) {
    const TextCase cases[] = {
        {"C:\\a\\b.txt", "b.txt"},
        {"C:\\a\\", ""},
        {"b.txt", "b.txt"},
        {"\\b.txt", "\\b.txt"},  // a backslash in the first position does not count
        {"\\\\server\\share\\f", "f"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(clsFileSystem::GetFileName(c.in), c.out);
    }
}

TEST(PathText, GetPathKeepsTheTrailingBackslash) {
    const TextCase cases[] = {
        {"C:\\a\\b.txt", "C:\\a\\"},
        {"C:\\a\\", "C:\\a\\"},
        {"b.txt", "\\"},
        {"", "\\"},
        {"\\b.txt", "\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(clsFileSystem::GetPath(c.in), c.out);
    }
}

TEST(PathText, LastCharAndRemoveLastCharAgreeInBothClasses) {
    struct Case {
        std::string in;
        std::string last;
        std::string rest;
    };
    const Case cases[] = {
        {"C:\\Startup\\", "\\", "C:\\Startup"},
        {"x", "x", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(clsFileSystem::LastChar(c.in), c.last);
        EXPECT_EQ(clsFileSystem::sRemoveLastChar(c.in), c.rest);
        EXPECT_EQ(clsFile::LastChar(c.in), c.last);
        EXPECT_EQ(clsFile::sRemoveLastChar(c.in), c.rest);
    }
}

}  // namespace
