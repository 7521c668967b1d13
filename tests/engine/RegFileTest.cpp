// .reg export and import against the machine under test: the emulated
// registry natively, the real one under Wine.
#include "engine/FileIo.h"
#include "engine/RegFile.h"
#include "engine/RegFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string_view>

namespace {

using engine::RegFile;
using engine::RegFileError;
using engine::RegKey;
using engine::RegValue;

std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::u16string Ascii16(const std::string& text) { return {text.begin(), text.end()}; }

// A version 5 file as readable text, so that a failure shows where it differs.
std::string Text(const std::string& bytes) {
    if (bytes.rfind("\xFF\xFE", 0) != 0) return "<no BOM> " + bytes;
    std::string text = bytes.size() % 2 != 0 ? "<odd size> " : "";
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        unsigned c = static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8);
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else {
            char escape[12];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            text += escape;
        }
    }
    return text;
}

class RegFileTest : public qvxtest::RegFixture {
protected:
    // Every kind of value the backups must carry unchanged.
    void FillEveryKind(const std::string& rel) {
        std::string big;
        for (int i = 0; i < 300; ++i) big += static_cast<char>(i);
        Put(rel, "", os::RegSz, std::string_view("default", 8));
        Put(rel, "plain", os::RegSz, std::string_view("hello \"q\" back\\slash", 21));
        Put(rel, "na\"me\\with=[brackets]", os::RegSz, std::string_view("v", 2));
        Put(rel, "empty", os::RegSz, std::string_view("", 1));
        Put(rel, "zero length", os::RegSz, std::string_view("", 0));
        Put(rel, "no terminator", os::RegSz, std::string_view("abc", 3));
        Put(rel, "embedded nul", os::RegSz, std::string_view("a\0b", 4));
        Put(rel, "line breaks", os::RegSz, std::string_view("one\r\ntwo", 9));
        Put(rel, Utf8(u"caf\u00e9"), os::RegSz, Utf8(u"na\u00efve \u00a3") + '\0');
        Put(rel, Utf8(kBeyondName), os::RegExpandSz, Utf8(kBeyondPath) + '\0');
        Put(rel, "dword", os::RegDword, std::string_view("\xab\x12\0\0", 4));
        Put(rel, "short dword", os::RegDword, std::string_view("\1\2\3", 3));
        Put(rel, "qword", os::RegQword, std::string_view("\x88\x77\x66\x55\x44\x33\x22\x11", 8));
        Put(rel, "expand", os::RegExpandSz, std::string_view("%TEMP%\\x", 9));
        Put(rel, "multi", os::RegMultiSz, std::string_view("one\0two\0\0", 9));
        Put(rel, "empty multi", os::RegMultiSz, std::string_view("", 0));
        Put(rel, "none", os::RegNone, std::string_view("\xaa\xbb", 2));
        Put(rel, "empty binary", os::RegBinary, std::string_view("", 0));
        Put(rel, "big", os::RegBinary, big);
        Put(rel, std::string(90, 'n'), os::RegBinary, std::string_view(big).substr(0, 40));
        Put(rel, "big endian", os::RegDwordBigEndian, std::string_view("\1\2\3\4", 4));
        Put(rel, "odd type", 0x1234, std::string_view("\1\2", 2));
        CreateKey(rel + "\\Empty");
        Put(rel + "\\a=b [c]", "x", os::RegSz, std::string_view("y", 2));
        Put(rel + "\\" + Utf8(u"K\u00e9y"), "", os::RegDword, std::string_view("\1\0\0\0", 4));
        Put(rel + "\\" + Utf8(u"\u0418\u0432\u0430\u043d"), Utf8(u"\u0142"), os::RegMultiSz,
            Utf8(u"\u0105") + '\0' + Utf8(u"\u0119") + std::string(2, '\0'));
        std::string deep = rel;
        for (int level = 0; level < 12; ++level) deep += "\\L" + std::to_string(level);
        Put(deep, "leaf", os::RegSz, std::string_view("bottom", 7));
    }
};

const RegValue* FindValue(const RegFile& tree, const std::string& path, const std::string& name) {
    for (const RegKey& key : tree.keys) {
        if (key.path != path) continue;
        for (const RegValue& value : key.values) {
            if (value.name == name) return &value;
        }
    }
    return nullptr;
}

TEST_F(RegFileTest, ExportDeleteImportRestoresTheKeyExactly) {
    FillEveryKind("Src");
    RegFile before;
    ASSERT_EQ(0, engine::ReadRegTree(api(), os::HKeyCurrentUser, Sub("Src"), &before));
    // The set-up must really hold the awkward data, or the round trip proves nothing.
    const RegValue* noTerminator = FindValue(before, Full("Src"), "no terminator");
    ASSERT_NE(nullptr, noTerminator);
    EXPECT_EQ(Bytes("abc"), noTerminator->data);
    const RegValue* zero = FindValue(before, Full("Src"), "zero length");
    ASSERT_NE(nullptr, zero);
    EXPECT_TRUE(zero->data.empty());
    const RegValue* beyond = FindValue(before, Full("Src"), Utf8(kBeyondName));
    ASSERT_NE(nullptr, beyond) << "a name outside the code page is read as it is";
    EXPECT_EQ(Bytes(Utf8(kBeyondPath) + '\0'), beyond->data);
    ASSERT_EQ(17u, before.keys.size());

    std::string bytes;
    ASSERT_EQ(0, engine::ExportRegKey(api(), os::HKeyCurrentUser, Sub("Src"), &bytes));
    qvxtest::DeleteKeyTree(api(), os::HKeyCurrentUser, Sub("Src"));
    ASSERT_FALSE(KeyExists("Src"));

    RegFileError error;
    ASSERT_EQ(0, engine::ImportRegFile(api(), bytes, &error)) << error.message;
    RegFile after;
    ASSERT_EQ(0, engine::ReadRegTree(api(), os::HKeyCurrentUser, Sub("Src"), &after));
    EXPECT_EQ("", engine::DescribeRegDifference(before, after));
    EXPECT_TRUE(before == after) << "keys and values come back in the order they were saved";
    std::string again;
    ASSERT_EQ(0, engine::ExportRegKey(api(), os::HKeyCurrentUser, Sub("Src"), &again));
    EXPECT_EQ(Text(bytes), Text(again));
}

TEST_F(RegFileTest, ExportOfAMissingKeyFailsWithoutBytes) {
    std::string bytes = "stale";
    EXPECT_EQ(long{os::err::FileNotFound}, engine::ExportRegKey(api(), os::HKeyCurrentUser, Sub("Absent"), &bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST_F(RegFileTest, FormatsEveryKindOfValueAsTheEditorDoes) {
    RegFile tree;
    RegKey key;
    key.path = "HKEY_CURRENT_USER\\Software\\T";
    auto add = [&key](std::string name, uint32_t type, std::string_view data) {
        key.values.push_back(RegValue{std::move(name), type, Bytes(data), false});
    };
    add("", os::RegSz, std::string_view("d", 2));
    add("q\"b\\", os::RegSz, std::string_view("x\"y\\z", 6));
    add("e", os::RegSz, std::string_view("", 1));
    add(Utf8(u"caf\u00e9"), os::RegSz, Utf8(u"\u00e9t\u00e9") + '\0');
    add("n", os::RegDword, std::string_view("\xab\x12\0\0", 4));
    add("d3", os::RegDword, std::string_view("\1\2\3", 3));
    add("x", os::RegExpandSz, std::string_view("A", 2));
    add("m", os::RegMultiSz, std::string_view("a\0b\0", 5));
    add("qw", os::RegQword, std::string_view("\1\0\0\0\0\0\0\x80", 8));
    add("unterminated", os::RegSz, std::string_view("a", 1));
    add("crlf", os::RegSz, std::string_view("a\nb", 4));
    add("none", os::RegNone, std::string_view("", 0));
    add("t", 0x1234, std::string_view("\1", 1));
    key.values.push_back(RegValue{"gone", 0, {}, true});
    tree.keys.push_back(key);
    tree.keys.push_back(RegKey{"HKEY_CURRENT_USER\\Software\\T\\Empty", false, {}});
    tree.keys.push_back(RegKey{"HKEY_CURRENT_USER\\Software\\Old", true, {}});

    EXPECT_EQ(Text(Utf16File(u"Windows Registry Editor Version 5.00\r\n"
                        u"\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n"
                        u"@=\"d\"\r\n"
                        u"\"q\\\"b\\\\\"=\"x\\\"y\\\\z\"\r\n"
                        u"\"e\"=\"\"\r\n"
                        u"\"caf\u00e9\"=\"\u00e9t\u00e9\"\r\n"
                        u"\"n\"=dword:000012ab\r\n"
                        u"\"d3\"=hex(4):01,02,03\r\n"
                        u"\"x\"=hex(2):41,00,00,00\r\n"
                        u"\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                        u"\"qw\"=hex(b):01,00,00,00,00,00,00,80\r\n"
                        u"\"unterminated\"=hex(1):61,00\r\n"
                        u"\"crlf\"=hex(1):61,00,0a,00,62,00,00,00\r\n"
                        u"\"none\"=hex(0):\r\n"
                        u"\"t\"=hex(1234):01\r\n"
                        u"\"gone\"=-\r\n"
                        u"\r\n[HKEY_CURRENT_USER\\Software\\T\\Empty]\r\n"
                        u"\r\n[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
                        u"\r\n")),
              Text(engine::FormatRegFile(api(), tree)));
}

// Hex lines break after the comma that brings a line to 77 characters; the
// last byte never breaks. Expectations taken from Wine's regedit /e.
TEST_F(RegFileTest, WrapsLongHexDataAsTheEditorDoes) {
    std::string sixty;
    for (int i = 0; i < 60; ++i) sixty += static_cast<char>(i);
    struct Case {
        std::string name;
        size_t size;
        std::u16string expected;
    } cases[] = {
        {"b", 23, u"\"b\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16\r\n"},
        {"b", 24, u"\"b\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n  17\r\n"},
        {"b", 60,
         u"\"b\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
         u"  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,\\\r\n"
         u"  30,31,32,33,34,35,36,37,38,39,3a,3b\r\n"},
        {std::string(83, 'a'), 3, u"\"" + std::u16string(83, u'a') + u"\"=hex:00,\\\r\n  01,02\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.size));
        RegFile tree{true, {RegKey{"HKEY_CURRENT_USER\\W", false, {RegValue{c.name, os::RegBinary,
                                                                             Bytes(sixty.substr(0, c.size)), false}}}}};
        std::string expected = Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\W]\r\n" +
                                         c.expected + u"\r\n");
        EXPECT_EQ(Text(expected), Text(engine::FormatRegFile(api(), tree)));
    }
}

TEST_F(RegFileTest, ParsesWhatTheEditorTolerates) {
    std::u16string text =
        u"  Windows Registry Editor Version 5.00\r\n"
        u"; a comment\n"
        u"\r"
        u"not an entry at all\r\n"
        u"[HKEY_CURRENT_USER\\Software\\T] ; trailing text\r\n"
        u"  @ =  \"d\"  ; comment\r\n"
        u"\"sp\\\"ace\" = dword: 0000001F ;c\r\n"
        u"\"esc\"=\"a\\nb\\rc\\0d\\q\"\r\n"
        u"\"h\"=hex:01, 02,\\ ; more follows\r\n"
        u"\r\n"
        u"; a comment inside the value\r\n"
        u"  FF,\\\r\n"
        u"  0a\r\n"
        u"\"e\"=hex(2):41,00,00,00\r\n"
        u"\"odd\"=hex(2):41,00,bb\r\n"
        u"\"n\\0ul\"=\"x\"\r\n"
        u"\"nothing\"=hex:\r\n"
        u"\"gone\"=-\r\n"
        u"[-hkey_current_user\\Software\\Old]\r\n"
        u"[HKEY_CURRENT_USER\\Software\\T\\\u00e9]\r\n";
    RegFile file;
    RegFileError error;
    ASSERT_TRUE(engine::ParseRegFile(api(), Utf16File(text), &file, &error)) << error.line << ": " << error.message;
    RegFile expected{true,
                     {RegKey{"HKEY_CURRENT_USER\\Software\\T",
                             false,
                             {RegValue{"", os::RegSz, Bytes(std::string_view("d", 2)), false},
                              RegValue{"sp\"ace", os::RegDword, {0x1f, 0, 0, 0}, false},
                              RegValue{"esc", os::RegSz, Bytes(std::string_view("a\nb\rc\0dq", 9)), false},
                              RegValue{"h", os::RegBinary, {1, 2, 0xff, 0x0a}, false},
                              RegValue{"e", os::RegExpandSz, Bytes(std::string_view("A", 2)), false},
                              // An odd last byte: the low byte of a character.
                              RegValue{"odd", os::RegExpandSz, Bytes(Utf8(u"A\u00bb")), false},
                              RegValue{std::string("n\0ul", 4), os::RegSz, Bytes(std::string_view("x", 2)), false},
                              RegValue{"nothing", os::RegBinary, {}, false},
                              RegValue{"gone", 0, {}, true}}},
                      RegKey{"hkey_current_user\\Software\\Old", true, {}},
                      RegKey{"HKEY_CURRENT_USER\\Software\\T\\" + Utf8(u"\u00e9"), false, {}}}};
    EXPECT_EQ(expected, file);
    RegFile again;
    ASSERT_TRUE(engine::ParseRegFile(api(), engine::FormatRegFile(api(), file), &again, &error)) << error.message;
    EXPECT_EQ(file, again) << "our output reads back the same";
}

TEST_F(RegFileTest, ParsesTheAnsiFormat) {
    std::string text =
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n"
        "\"" + Ansi(u"caf\u00e9") + "\"=\"" + Ansi(u"\u00a3 5") + "\"\r\n"
        "\"x\"=hex(2):25,54,45,4d,50,25,00\r\n"
        "\"m\"=hex(7):61,00,00\r\n";
    RegFile file;
    RegFileError error;
    ASSERT_TRUE(engine::ParseRegFile(api(), text, &file, &error)) << error.message;
    EXPECT_FALSE(file.unicode);
    RegFile expected{false,
                     {RegKey{"HKEY_CURRENT_USER\\Software\\T",
                             false,
                             {RegValue{Utf8(u"caf\u00e9"), os::RegSz, Bytes(Utf8(u"\u00a3 5") + '\0'), false},
                              RegValue{"x", os::RegExpandSz, Bytes(std::string_view("%TEMP%", 7)), false},
                              RegValue{"m", os::RegMultiSz, Bytes(std::string_view("a\0", 3)), false}}}}};
    EXPECT_EQ(expected, file);
}

// A damaged or truncated backup must be refused whole, never half-imported.
TEST_F(RegFileTest, RefusesDamagedFilesAndWritesNothing) {
    const std::u16string good = u"[" + Ascii16(Full("Partial")) + u"]\r\n\"a\"=\"b\"\r\n";
    const std::u16string header = u"Windows Registry Editor Version 5.00\r\n";
    struct Case {
        const char* what;
        std::string bytes;
        int line;
    } cases[] = {
        {"empty file", "", 0},
        {"BOM only", Utf16File(u""), 0},
        {"wrong version", Utf16File(u"Windows Registry Editor Version 4.00\r\n" + good), 1},
        {"UTF-8 with BOM", "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n", 1},
        {"cut inside a character",
         Utf16File(header + good + u"\"c\"=\"d\"\r\n").substr(0, 2 * (header.size() + good.size() + 5) + 1), 0},
        {"cut inside a text", Utf16File(header + good + u"\"c\"=\"da"), 4},
        {"cut inside hex data", Utf16File(header + good + u"\"c\"=hex:01,0"), 4},
        {"cut inside a dword", Utf16File(header + good + u"\"c\"=dword:000"), 4},
        {"cut after a continuation", Utf16File(header + good + u"\"c\"=hex:01,\\\r\n"), 4},
        {"cut after a continuation and a blank", Utf16File(header + good + u"\"c\"=hex:01,\\\r\n\r\n"), 4},
        {"cut inside a key line", Utf16File(header + good + u"[HKEY_CURR"), 4},
        {"NUL padding", Utf16File(header + good + std::u16string(8, u'\0')), 4},
        {"value outside a key", Utf16File(header + u"\"a\"=\"b\"\r\n" + good), 2},
        {"value after a deletion", Utf16File(header + u"[-HKEY_CURRENT_USER\\X]\r\n\"a\"=\"b\"\r\n" + good), 3},
        {"unknown root", Utf16File(header + good + u"[HKCU\\Software]\r\n"), 4},
        {"deleting a root", Utf16File(header + good + u"[-HKEY_CURRENT_USER]\r\n"), 4},
        {"key line without bracket", Utf16File(header + good + u"[HKEY_CURRENT_USER\\X\r\n"), 4},
        {"bad hex", Utf16File(header + good + u"\"c\"=hex:01,zz\r\n"), 4},
        {"byte above ff", Utf16File(header + good + u"\"c\"=hex:100\r\n"), 4},
        {"nine-digit dword", Utf16File(header + good + u"\"c\"=dword:000000001\r\n"), 4},
        {"unknown type", Utf16File(header + good + u"\"c\"=str:\"x\"\r\n"), 4},
        {"text after a text", Utf16File(header + good + u"\"c\"=\"x\" y\r\n"), 4},
        {"name without quote", Utf16File(header + good + u"\"c=\"x\r\n"), 4},
        {"continuation into a key", Utf16File(header + good + u"\"c\"=hex:01,\\\r\n[HKEY_CURRENT_USER\\Y]\r\n"), 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegFile file;
        RegFileError error;
        EXPECT_FALSE(engine::ParseRegFile(api(), c.bytes, &file, &error));
        EXPECT_EQ(c.line, error.line) << error.message;
        EXPECT_FALSE(error.message.empty());
        EXPECT_TRUE(file.keys.empty());
        EXPECT_EQ(long{os::err::InvalidData}, engine::ImportRegFile(api(), c.bytes, &error));
        EXPECT_FALSE(KeyExists("Partial"));
    }
}

TEST_F(RegFileTest, ImportDeletesKeyTreesAndValues) {
    Put("Del\\Sub\\Deeper", "v", os::RegSz, std::string_view("x", 2));
    Put("Keep", "gone", os::RegSz, std::string_view("x", 2));
    Put("Keep", "stays", os::RegSz, std::string_view("y", 2));
    std::u16string keep = Ascii16(Full("Keep"));
    std::u16string del = Ascii16(Full("Del"));
    std::u16string never = Ascii16(Full("Never"));
    std::string bytes = Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\n[-" + del + u"]\r\n[-" + never +
                                  u"]\r\n\r\n[" + keep + u"]\r\n\"gone\"=-\r\n\"absent\"=-\r\n");
    RegFileError error;
    ASSERT_EQ(0, engine::ImportRegFile(api(), bytes, &error)) << error.message;
    EXPECT_FALSE(KeyExists("Del"));
    RegFile keepTree;
    ASSERT_EQ(0, engine::ReadRegTree(api(), os::HKeyCurrentUser, Sub("Keep"), &keepTree));
    ASSERT_EQ(1u, keepTree.keys.size());
    ASSERT_EQ(1u, keepTree.keys[0].values.size());
    EXPECT_EQ("stays", keepTree.keys[0].values[0].name);
}

TEST_F(RegFileTest, DescribesTheFirstDifference) {
    RegFile base{true, {RegKey{"HKEY_CURRENT_USER\\A", false, {RegValue{"v", os::RegDword, {1, 0, 0, 0}, false}}},
                        RegKey{"HKEY_CURRENT_USER\\A\\B", false, {}}}};
    struct Case {
        const char* what;
        RegFile other;
        const char* expected;
    } cases[] = {
        {"same, other case",
         {true,
          {RegKey{"hkey_current_user\\a", false, {RegValue{"V", os::RegDword, {1, 0, 0, 0}, false}}},
           RegKey{"HKEY_CURRENT_USER\\A\\b", false, {}}}},
         ""},
        {"key missing", {true, {base.keys[0]}}, "The key \"HKEY_CURRENT_USER\\A\\B\" is missing."},
        {"extra key",
         {true, {base.keys[0], base.keys[1], RegKey{"HKEY_CURRENT_USER\\A\\C", false, {}}}},
         "The key \"HKEY_CURRENT_USER\\A\\C\" is not expected."},
        {"value missing",
         {true, {RegKey{"HKEY_CURRENT_USER\\A", false, {}}, base.keys[1]}},
         "The value \"v\" of \"HKEY_CURRENT_USER\\A\" is missing."},
        {"other type",
         {true,
          {RegKey{"HKEY_CURRENT_USER\\A", false, {RegValue{"v", os::RegBinary, {1, 0, 0, 0}, false}}}, base.keys[1]}},
         "The value \"v\" of \"HKEY_CURRENT_USER\\A\" has another type."},
        {"other data",
         {true,
          {RegKey{"HKEY_CURRENT_USER\\A", false, {RegValue{"v", os::RegDword, {2, 0, 0, 0}, false}}}, base.keys[1]}},
         "The value \"v\" of \"HKEY_CURRENT_USER\\A\" has other data."},
        {"extra value",
         {true,
          {RegKey{"HKEY_CURRENT_USER\\A", false, {base.keys[0].values[0], RegValue{"", os::RegSz, {0}, false}}},
           base.keys[1]}},
         "The default value of \"HKEY_CURRENT_USER\\A\" is not expected."},
        {"deleted again",
         {true, {base.keys[0], base.keys[1], RegKey{"HKEY_CURRENT_USER\\A", true, {}}}},
         "The key \"HKEY_CURRENT_USER\\A\" is missing."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, engine::DescribeRegDifference(base, c.other));
    }
}

TEST_F(RegFileTest, BackupLandsAndRestoreBringsTheKeyBack) {
    FillEveryKind("Word\\Options");
    RegFile before;
    ASSERT_EQ(0, engine::ReadRegTree(api(), os::HKeyCurrentUser, Sub("Word\\Options"), &before));
    std::string path = File("Options.reg");
    engine::RegResult saved = engine::BackupRegKey(api(), os::HKeyCurrentUser, Sub("Word\\Options"), path);
    ASSERT_TRUE(saved.ok()) << saved.message;
    std::string onDisk;
    ASSERT_EQ(0u, engine::ReadWholeFile(api(), path, &onDisk));
    std::string exported;
    ASSERT_EQ(0, engine::ExportRegKey(api(), os::HKeyCurrentUser, Sub("Word\\Options"), &exported));
    EXPECT_EQ(Text(exported), Text(onDisk));

    qvxtest::DeleteKeyTree(api(), os::HKeyCurrentUser, Sub("Word\\Options"));
    engine::RegResult restored = engine::RestoreRegFile(api(), path);
    ASSERT_TRUE(restored.ok()) << restored.message;
    RegFile after;
    ASSERT_EQ(0, engine::ReadRegTree(api(), os::HKeyCurrentUser, Sub("Word\\Options"), &after));
    EXPECT_EQ("", engine::DescribeRegDifference(before, after));
}

TEST_F(RegFileTest, BackupOfAMissingKeyWritesNoFile) {
    std::string path = File("Data.reg");
    engine::RegResult saved = engine::BackupRegKey(api(), os::HKeyCurrentUser, Sub("Absent"), path);
    EXPECT_EQ(os::err::FileNotFound, saved.code);
    EXPECT_FALSE(api().PathFileExists(path));
}

TEST_F(RegFileTest, RestoreRefusesATruncatedBackup) {
    Put("Word\\Data", "Settings", os::RegBinary, std::string(200, '\x5a'));
    std::string path = File("Data.reg");
    ASSERT_TRUE(engine::BackupRegKey(api(), os::HKeyCurrentUser, Sub("Word\\Data"), path).ok());
    std::string bytes;
    ASSERT_EQ(0u, engine::ReadWholeFile(api(), path, &bytes));
    qvxtest::DeleteKeyTree(api(), os::HKeyCurrentUser, Sub("Word\\Data"));
    ASSERT_EQ(0u, engine::WriteWholeFile(api(), path, bytes.substr(0, bytes.size() / 2 & ~size_t{1})));
    engine::RegResult restored = engine::RestoreRegFile(api(), path);
    EXPECT_EQ(os::err::InvalidData, restored.code);
    EXPECT_NE(std::string::npos, restored.message.find("truncated")) << restored.message;
    EXPECT_FALSE(KeyExists("Word\\Data"));
}

TEST_F(RegFileTest, FileRoundTripAndMissingFile) {
    std::string path = File("bytes.bin");
    std::string bytes;
    for (int i = 0; i < 200000; ++i) bytes += static_cast<char>(i * 7);
    ASSERT_EQ(0u, engine::WriteWholeFile(api(), path, bytes));
    std::string back;
    ASSERT_EQ(0u, engine::ReadWholeFile(api(), path, &back));
    EXPECT_EQ(bytes, back);
    ASSERT_EQ(0u, engine::WriteWholeFile(api(), path, "short"));
    ASSERT_EQ(0u, engine::ReadWholeFile(api(), path, &back));
    EXPECT_EQ("short", back);
    EXPECT_EQ(os::err::FileNotFound, engine::ReadWholeFile(api(), File("none.reg"), &back));
    EXPECT_EQ(os::err::PathNotFound, engine::WriteWholeFile(api(), File("no\\dir.reg"), "x"));
}

}  // namespace
