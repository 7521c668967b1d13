// The emulated machine's own features, which the real API has no counterpart
// for: fault injection, call observation, simulated programs and automation
// servers, read-only folders, disk capacity, scripted dialogs and logs.
#include "os/emulated/Machine.h"
#include "os/emulated/Text.h"

#include "os/Handles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>

namespace {

using os::emulated::Machine;

class EmulatedMachine : public ::testing::Test {
protected:
    Machine machine;

    bool Write(const std::string& path, const std::string& content) {
        os::UniqueHandle file(machine, machine.CreateFile(path, os::GenericWrite, 0, os::CreateAlways));
        uint32_t written = 0;
        return file && machine.WriteFile(file.get(), content.data(), static_cast<uint32_t>(content.size()), &written);
    }
    uint32_t Status(const std::function<bool()>& call) {
        machine.SetLastError(0xDEADBEEF);
        return call() ? 0 : machine.GetLastError();
    }
};

// --- Fault injection and observation ---

TEST_F(EmulatedMachine, AFaultHitsTheNthCallForCountCallsInARow) {
    machine.WriteFileText("C:\\f\\a.txt", "a");
    machine.FailCall("GetFileAttributes", 2, os::err::AccessDenied, 2);
    const uint32_t expected[] = {os::AttrArchive, os::InvalidFileAttributes, os::InvalidFileAttributes,
                                 os::AttrArchive};
    for (uint32_t attributes : expected) {
        machine.SetLastError(0);
        EXPECT_EQ(attributes, machine.GetFileAttributes("C:\\f\\a.txt"));
        EXPECT_EQ(attributes == os::InvalidFileAttributes ? os::err::AccessDenied : 0u, machine.GetLastError());
    }
    EXPECT_THROW(machine.FailCall("DeleteFile", 0, 5), std::invalid_argument);
}

TEST_F(EmulatedMachine, AFaultWithAPathCountsOnlyCallsNamingIt) {
    machine.WriteFileText("C:\\f\\Normal.dot", "n");
    machine.WriteFileText("C:\\f\\other.txt", "o");
    machine.FailCall("CopyFile", 1, os::err::DiskFull, 1, "0normal.DOT");
    EXPECT_TRUE(machine.CopyFile("C:\\f\\other.txt", "C:\\f\\copy.txt", false));
    // The target names it: the second path counts as well.
    EXPECT_EQ(static_cast<uint32_t>(os::err::DiskFull),
              Status([&] { return machine.CopyFile("C:\\f\\Normal.dot", "C:\\f\\0Normal.dot", false); }));
    EXPECT_FALSE(machine.Exists("C:\\f\\0Normal.dot"));
    EXPECT_TRUE(machine.CopyFile("C:\\f\\Normal.dot", "C:\\f\\0Normal.dot", false));

    machine.FailCall("DeleteFile", 1, os::err::SharingViolation);
    machine.ClearFaults();
    EXPECT_TRUE(machine.DeleteFile("C:\\f\\copy.txt"));
}

TEST_F(EmulatedMachine, EachKindOfCallFailsInItsOwnWay) {
    machine.WriteFileText("C:\\f\\a.ini", "[S]\r\nK=v\r\n");
    machine.WriteFileText("C:\\f\\tool.exe", "MZ");
    machine.InstallProgram("C:\\f\\tool.exe", [](Machine&, const std::string&) { return 0u; });
    const uint32_t code = 1234;
    const struct {
        const char* method;
        std::function<bool()> failed;  // true when the call came back failed with `code`
    } cases[] = {
        {"RegOpenKeyEx",
         [&] {
             os::HKey k = 1;
             return machine.RegOpenKeyEx(os::HKeyCurrentUser, "Software", os::KeyAllAccess, &k) == 1234 && k == 1;
         }},
        {"CreateFile",
         [&] { return machine.CreateFile("C:\\f\\a.ini", os::GenericRead, 0, os::OpenExisting) == 0 &&
                      machine.GetLastError() == code; }},
        {"FindFirstFile",
         [&] {
             os::FindData data;
             return machine.FindFirstFile("C:\\f\\*", &data) == 0 && machine.GetLastError() == code;
         }},
        {"CreateProcess",
         [&] { return machine.CreateProcess("", "C:\\f\\tool.exe", 1) == 0 && machine.GetLastError() == code; }},
        {"FindExecutable",
         [&] {
             std::string found = "x";
             return machine.FindExecutable("C:\\f\\tool.exe", "", &found) == 1234 && found.empty();
         }},
        {"GetPrivateProfileString",
         [&] {
             char buffer[8] = "xxxx";
             return machine.GetPrivateProfileString("S", "K", "d", buffer, sizeof buffer, "C:\\f\\a.ini") == 0 &&
                    buffer[0] == '\0';
         }},
        {"GetTempPath", [&] { return machine.GetTempPath().empty() && machine.GetLastError() == code; }},
        {"CreateObject",
         [&] {
             os::AutoError error;
             return machine.CreateObject("Word.Application", nullptr, &error) == 1234 && error.number == 1234 &&
                    !error.description.empty();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        machine.FailCall(c.method, 1, code);
        EXPECT_TRUE(c.failed());
        machine.ClearFaults();
    }
}

TEST_F(EmulatedMachine, EveryCallIsCountedAndObservedWithItsSubject) {
    machine.WriteFileText("C:\\f\\a.txt", "a");
    std::vector<std::pair<std::string, std::string>> seen;
    machine.SetCallObserver([&](const std::string& method, const std::string& subject) {
        seen.emplace_back(method, subject);
    });
    os::HKey k = 0;
    machine.RegCreateKeyEx(os::HKeyCurrentUser, "Software\\Q", os::KeyAllAccess, &k, nullptr);
    machine.RegSetValueEx(k, "Name", os::RegDword, reinterpret_cast<const uint8_t*>("\1\0\0\0"), 4);
    machine.RegCloseKey(k);
    os::Handle file = machine.CreateFile("c:/f/A.TXT", os::GenericRead, 0, os::OpenExisting);
    char byte;
    uint32_t read = 0;
    machine.ReadFile(file, &byte, 1, &read);
    machine.CloseHandle(file);
    machine.GetLastError();
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"RegCreateKeyEx", "HKEY_CURRENT_USER\\Software\\Q"},
        {"RegSetValueEx", "HKEY_CURRENT_USER\\Software\\Q\\Name"},
        {"RegCloseKey", "HKEY_CURRENT_USER\\Software\\Q"},
        {"CreateFile", "c:/f/A.TXT"},  // as the program wrote it
        {"ReadFile", "C:\\f\\a.txt"},  // the handle's file, as it is named on disk
        {"CloseHandle", "C:\\f\\a.txt"},
        {"GetLastError", ""},
    };
    EXPECT_EQ(expected, seen);
    EXPECT_EQ(1, machine.CallCounts().at("ReadFile"));
    EXPECT_EQ(1, machine.CallCounts().at("RegCloseKey"));
}

TEST_F(EmulatedMachine, AnObserverThatThrowsStopsTheCallBeforeItActs) {
    machine.WriteFileText("C:\\f\\keep.txt", "k");
    struct Stop {};
    machine.SetCallObserver([](const std::string& method, const std::string&) {
        if (method == "DeleteFile") throw Stop{};
    });
    EXPECT_THROW(machine.DeleteFile("C:\\f\\keep.txt"), Stop);
    EXPECT_TRUE(machine.Exists("C:\\f\\keep.txt"));
}

// --- Programs ---

TEST_F(EmulatedMachine, AnInstalledProgramRunsInsideCreateProcess) {
    machine.WriteFileText("C:\\Office\\winword.exe", "MZ");
    std::vector<std::string> lines;
    machine.InstallProgram("C:\\Office\\winword.exe", [&](Machine&, const std::string& line) {
        lines.push_back(line);
        return 3u;
    });
    os::UniqueHandle process(machine, machine.CreateProcess("", "C:\\Office\\winword.exe /a /t\"C:\\x.dot\"", 2));
    ASSERT_TRUE(process);
    EXPECT_EQ(std::vector<std::string>{"C:\\Office\\winword.exe /a /t\"C:\\x.dot\""}, lines);
    EXPECT_EQ(os::WaitObject0, machine.WaitForSingleObject(process.get(), 0));
    uint32_t code = 0;
    EXPECT_TRUE(machine.GetExitCodeProcess(process.get(), &code));
    EXPECT_EQ(3u, code);
    ASSERT_EQ(1u, machine.ProcessLog().size());
    EXPECT_EQ("", machine.ProcessLog()[0].applicationName);
    EXPECT_EQ(2, machine.ProcessLog()[0].showCmd);

    // A copy runs the same program; an uninstalled file is no program.
    ASSERT_TRUE(machine.CopyFile("C:\\Office\\winword.exe", "C:\\winword2.exe", false));
    EXPECT_NE(0u, os::UniqueHandle(machine, machine.CreateProcess("C:\\winword2.exe", "w /r", 1)).get());
    EXPECT_EQ(2u, lines.size());
    machine.WriteFileText("C:\\Office\\plain.exe", "MZ");
    EXPECT_EQ(193u, Status([&] { return machine.CreateProcess("", "C:\\Office\\plain.exe", 1) != 0; }));
    machine.InstallProgram("C:\\Office\\gone.exe", [](Machine&, const std::string&) { return 0u; });
    EXPECT_EQ(static_cast<uint32_t>(os::err::FileNotFound),
              Status([&] { return machine.CreateProcess("", "C:\\Office\\gone.exe", 1) != 0; }));
    EXPECT_EQ(2u, machine.ProcessLog().size());
}

TEST_F(EmulatedMachine, ABareProgramNameIsFoundInTheSystemFolders) {
    machine.WriteFileText("C:\\Windows\\regedit.exe", "MZ");
    int runs = 0;
    machine.InstallProgram("C:\\Windows\\regedit.exe", [&](Machine&, const std::string&) { return ++runs, 0u; });
    for (const char* line : {"regedit.exe /e \"C:\\a.reg\" \"HKEY_CURRENT_USER\\x", "regedit /S \"C:\\a.reg\"",
                             "REGEDIT.EXE"}) {
        SCOPED_TRACE(line);
        EXPECT_NE(0u, os::UniqueHandle(machine, machine.CreateProcess("", line, 2)).get());
    }
    EXPECT_EQ(3, runs);
}

TEST_F(EmulatedMachine, AProgramsOwnCallsAreNotTheCallersOnes) {
    machine.WriteFileText("C:\\p\\child.exe", "MZ");
    machine.WriteFileText("C:\\p\\grandchild.exe", "MZ");
    machine.InstallProgram("C:\\p\\grandchild.exe", [](Machine& m, const std::string&) {
        m.SetLastError(77);
        return 5u;
    });
    machine.InstallProgram("C:\\p\\child.exe", [](Machine& m, const std::string&) {
        m.DeleteFile("C:\\p\\nothing.txt");
        m.SetCurrentDirectory("C:\\Windows");
        os::UniqueHandle nested(m, m.CreateProcess("", "C:\\p\\grandchild.exe", 1));
        uint32_t code = 0;
        m.GetExitCodeProcess(nested.get(), &code);
        return code + 1;
    });
    const std::string cwd = machine.GetCurrentDirectory();
    int observed = 0;
    machine.SetCallObserver([&](const std::string&, const std::string&) { ++observed; });
    machine.FailCall("DeleteFile", 1, os::err::AccessDenied);
    machine.SetLastError(42);
    os::UniqueHandle process(machine, machine.CreateProcess("", "C:\\p\\child.exe", 1));
    EXPECT_EQ(42u, machine.GetLastError());
    EXPECT_EQ(cwd, machine.GetCurrentDirectory());
    uint32_t code = 0;
    machine.GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(6u, code);
    EXPECT_EQ(0, machine.CallCounts().count("DeleteFile"));
    EXPECT_EQ(1, machine.CallCounts().at("CreateProcess"));
    EXPECT_EQ(5, observed);  // SetLastError, CreateProcess, GetLastError, GetCurrentDirectory, GetExitCodeProcess
    EXPECT_EQ(2u, machine.ProcessLog().size());
    EXPECT_FALSE(machine.DeleteFile("C:\\p\\child.exe")) << "the fault waits for the program's own call";
}

// --- Automation ---

class FakeServer : public os::AutomationObject {
public:
    explicit FakeServer(Machine& machine, int* alive) : machine_(machine), alive_(alive) { ++*alive_; }
    ~FakeServer() override { --*alive_; }
    int32_t GetProperty(const std::string& name, os::AutoValue* value, os::AutoError*) override {
        machine_.GetFileAttributes("C:\\server-reads-this");
        *value = name;
        return 0;
    }
    int32_t CallMethod(const std::string&, os::AutoError* error) override {
        error->number = static_cast<int32_t>(0x800A1066u);
        error->description = "Command failed";
        return error->number;
    }

private:
    Machine& machine_;
    int* alive_;
};

TEST_F(EmulatedMachine, CreateObjectReachesARegisteredServerByItsProgId) {
    int alive = 0;
    machine.RegisterAutomation("Word.Application", [&](Machine& m, os::AutoError*) {
        m.GetFileAttributes("C:\\server-starts");
        return std::make_unique<FakeServer>(m, &alive);
    });
    std::unique_ptr<os::AutomationObject> object;
    os::AutoError error;
    ASSERT_EQ(0, machine.CreateObject("word.APPLICATION", &object, &error));
    os::AutoValue value;
    EXPECT_EQ(0, object->GetProperty("Path", &value, &error));
    EXPECT_EQ(os::AutoValue(std::string("Path")), value);
    EXPECT_EQ(static_cast<int32_t>(0x800A1066u), object->CallMethod("Quit", &error));
    EXPECT_EQ("Command failed", error.description);
    EXPECT_EQ(0, machine.CallCounts().count("GetFileAttributes")) << "the server's calls are its own";
    object.reset();
    EXPECT_EQ(0, alive);

    machine.UnregisterAutomation("Word.Application");
    EXPECT_EQ(static_cast<int32_t>(0x800401F3u), machine.CreateObject("Word.Application", &object, &error));
    EXPECT_EQ("Invalid class string", error.description);
    EXPECT_FALSE(object);
}

TEST_F(EmulatedMachine, AServerThatFailsToStartGivesItsErrorOrAGeneralOne) {
    const struct {
        int32_t number;
        const char* description;
        int32_t expected;
        const char* expectedText;
    } cases[] = {
        {static_cast<int32_t>(0x80080005u), "Server execution failed", static_cast<int32_t>(0x80080005u),
         "Server execution failed"},
        {0, "", static_cast<int32_t>(0x80004005u), "Automation error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expectedText);
        machine.RegisterAutomation("Word.Application", [&](Machine&, os::AutoError* error) {
            error->number = c.number;
            error->description = c.description;
            return std::unique_ptr<os::AutomationObject>();
        });
        os::AutoError error;
        EXPECT_EQ(c.expected, machine.CreateObject("Word.Application", nullptr, &error));
        EXPECT_EQ(c.expected, error.number);
        EXPECT_EQ(c.expectedText, error.description);
    }
}

TEST(EmulatedMachineLifetime, AnObjectMayOutliveItsMachine) {
    int alive = 0;
    std::unique_ptr<os::AutomationObject> object;
    {
        Machine machine;
        machine.RegisterAutomation("X.Y", [&](Machine& m, os::AutoError*) {
            return std::make_unique<FakeServer>(m, &alive);
        });
        ASSERT_EQ(0, machine.CreateObject("X.Y", &object, nullptr));
    }
    object.reset();
    EXPECT_EQ(0, alive);
}

// --- Read-only folders and disk capacity ---

TEST_F(EmulatedMachine, AReadOnlyFolderRefusesEveryChangeInside) {
    machine.WriteFileText("C:\\Locked\\Sub\\in.txt", "in");
    machine.WriteFileText("C:\\Free\\out.txt", "out");
    os::UniqueHandle open(machine,
                          machine.CreateFile("C:\\Locked\\Sub\\in.txt", os::GenericWrite, os::ShareRead, os::OpenExisting));
    machine.SetReadOnlyFolder("C:\\Locked", true);
    const struct {
        const char* what;
        std::function<bool()> call;
    } cases[] = {
        {"create", [&] { return machine.CreateFile("C:\\Locked\\new.txt", os::GenericWrite, 0, os::CreateNew) != 0; }},
        {"write", [&] { uint32_t n; return machine.WriteFile(open.get(), "x", 1, &n); }},
        {"delete", [&] { return machine.DeleteFile("C:\\Locked\\Sub\\in.txt"); }},
        {"rename out", [&] { return machine.MoveFile("C:\\Locked\\Sub\\in.txt", "C:\\Free\\in.txt"); }},
        {"move in", [&] { return machine.MoveFile("C:\\Free\\out.txt", "C:\\Locked\\out.txt"); }},
        {"copy in", [&] { return machine.CopyFile("C:\\Free\\out.txt", "C:\\Locked\\Sub\\c.txt", false); }},
        {"make a folder", [&] { return machine.CreateDirectory("C:\\Locked\\New"); }},
        {"attributes", [&] { return machine.SetFileAttributes("C:\\Locked\\Sub\\in.txt", os::AttrHidden); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(static_cast<uint32_t>(os::err::AccessDenied), Status(c.call));
    }
    EXPECT_TRUE(machine.CopyFile("C:\\Locked\\Sub\\in.txt", "C:\\Free\\copy.txt", false)) << "reading is fine";
    machine.SetReadOnlyFolder("C:\\Locked", false);
    EXPECT_TRUE(machine.MoveFile("C:\\Free\\out.txt", "C:\\Locked\\out.txt"));
}

TEST_F(EmulatedMachine, WritesPastTheDiskCapacityFailWithDiskFull) {
    machine.WriteFileText("C:\\d\\big.bin", std::string(600, 'b'));
    const uint64_t used = 600;
    machine.SetDiskCapacity(used + 100);
    EXPECT_TRUE(Write("C:\\d\\fits.bin", std::string(100, 'f')));
    EXPECT_EQ(static_cast<uint32_t>(os::err::DiskFull), Status([&] { return Write("C:\\d\\more.bin", "x"); }));
    EXPECT_EQ("", machine.ReadFileText("C:\\d\\more.bin").value_or("missing")) << "nothing of it written";
    EXPECT_EQ(static_cast<uint32_t>(os::err::DiskFull),
              Status([&] { return machine.CopyFile("C:\\d\\big.bin", "C:\\d\\big2.bin", false); }));
    EXPECT_FALSE(machine.Exists("C:\\d\\big2.bin"));
    EXPECT_TRUE(machine.CopyFile("C:\\d\\fits.bin", "C:\\d\\big.bin", false)) << "a smaller copy over a file frees room";
    machine.SetDiskCapacity(0);
    EXPECT_TRUE(Write("C:\\d\\huge.bin", std::string(10000, 'h')));
}

// --- Shell, dialogs, event log ---

TEST_F(EmulatedMachine, AssociationsAnswerFindExecutableAndShellExecuteIsLogged) {
    machine.WriteFileText("C:\\temphtm.HTM", "<html>");
    machine.SetAssociation("htm", "C:\\Browser\\browse.exe");
    std::string program;
    EXPECT_GT(machine.FindExecutable("C:\\temphtm.HTM", "", &program), 32);
    EXPECT_EQ("C:\\Browser\\browse.exe", program);
    machine.SetAssociation(".HTM", "");
    EXPECT_EQ(31, machine.FindExecutable("C:\\temphtm.HTM", "", &program));
    EXPECT_EQ("", program);

    EXPECT_EQ(42, machine.ShellExecute(7, "open", "http://example.invalid/", "", "C:\\", 1));
    ASSERT_EQ(1u, machine.ShellLog().size());
    EXPECT_EQ(7u, machine.ShellLog()[0].owner);
    EXPECT_EQ("http://example.invalid/", machine.ShellLog()[0].file);

    std::string path = "unchanged";
    EXPECT_FALSE(machine.GetSpecialFolderPath(os::CsidlAppData, &path));
    EXPECT_EQ("unchanged", path);
    machine.SetSpecialFolder(os::CsidlAppData, "C:\\AppData");
    EXPECT_TRUE(machine.GetSpecialFolderPath(os::CsidlAppData, &path));
    EXPECT_EQ("C:\\AppData", path);

    EXPECT_TRUE(machine.ReportEvent("CandyButton", os::EventlogError, "hook failed"));
    ASSERT_EQ(1u, machine.EventLog().size());
    EXPECT_EQ("hook failed", machine.EventLog()[0].message);
}

TEST_F(EmulatedMachine, TheOpenFileDialogAnswersFromItsQueue) {
    machine.QueueOpenFileAnswer(std::string("C:\\Backups\\Options.bak"));
    machine.QueueOpenFileAnswer(std::nullopt);
    machine.QueueOpenFileAnswer(std::string(40, 'x'));
    const struct {
        bool chosen;
        const char* text;  // the buffer up to its first NUL afterwards
    } cases[] = {{true, "C:\\Backups\\Options.bak"}, {false, "start"}, {false, "start"}, {false, "start"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        os::OpenFileRequest request;
        request.title = "Open Backup";
        request.fileBuffer = "start";
        request.maxFile = 32;
        EXPECT_EQ(c.chosen, machine.GetOpenFileName(&request));
        EXPECT_EQ(32u, request.fileBuffer.size());
        EXPECT_STREQ(c.text, request.fileBuffer.c_str());
    }
    ASSERT_EQ(4u, machine.OpenFileLog().size());
    EXPECT_EQ("Open Backup", machine.OpenFileLog()[0].title);
    EXPECT_EQ("start", machine.OpenFileLog()[0].fileBuffer);
}

// --- Texts and time ---

TEST_F(EmulatedMachine, SystemMessagesAreTheWindowsTexts) {
    const struct {
        uint32_t code;
        const char* text;
    } cases[] = {
        {os::err::SharingViolation, "The process cannot access the file because it is being used by another process."},
        {os::err::FileNotFound, "The system cannot find the file specified."},
        {os::err::AccessDenied, "Access is denied."},
        {os::err::AlreadyExists, "Cannot create a file when that file already exists."},
        {os::err::DiskFull, "There is not enough space on the disk."},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, machine.FormatMessage(c.code)) << c.code;
}

TEST_F(EmulatedMachine, TheAnsiCodePageIsUtf8OrWestern) {
    using os::emulated::text::kCodePageUtf8;
    using os::emulated::text::kCodePageWestern;
    const struct {
        uint32_t codePage;
        std::string ansi;
        std::u16string wide;
        std::string back;  // Utf16ToAnsi of wide, when not ansi
    } cases[] = {
        {kCodePageUtf8, "Caf\xC3\xA9", u"Caf\u00E9", {}},
        {kCodePageUtf8, "\xF0\x9F\x98\x80", u"\U0001F600", {}},
        {kCodePageUtf8, "a\xFFz", u"a\uFFFDz", "a\xEF\xBF\xBDz"},          // not UTF-8
        {kCodePageUtf8, "\xE2\x82", u"\uFFFD\uFFFD", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // cut short
        {kCodePageUtf8, "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {kCodePageWestern, "Caf\xE9 \x80\x9F\x81", u"Caf\u00E9 \u20AC\u0178\u0081", {}},
        {kCodePageWestern, "?ukasz ????", u"\u0141ukasz \u0418\u0432\u0430\u043d", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ansi);
        machine.SetAnsiCodePage(c.codePage);
        if (c.ansi.find('?') == std::string::npos) {
            EXPECT_EQ(c.wide, machine.AnsiToUtf16(c.ansi));
        }
        EXPECT_EQ(c.back.empty() ? c.ansi : c.back, machine.Utf16ToAnsi(c.wide));
    }
}

TEST_F(EmulatedMachine, FileTimesComeFromTheClockAndFormatAsAGeneralDate) {
    // 2024-02-29 00:00:00 UTC in 100 ns ticks since 1601.
    const os::FileTime leapDay = 133'536'384'000'000'000ull;
    const struct {
        os::FileTime time;
        const char* text;
    } cases[] = {
        {leapDay, "2/29/2024 12:00:00 AM"},
        {leapDay + 12ull * 3600 * 10'000'000, "2/29/2024 12:00:00 PM"},
        {leapDay + (13ull * 3600 + 5 * 60 + 9) * 10'000'000, "2/29/2024 1:05:09 PM"},
        {leapDay - 10'000'000, "2/28/2024 11:59:59 PM"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, machine.FormatFileTime(c.time));

    machine.SetClock(leapDay);
    machine.WriteFileText("C:\\t\\first.txt", "1");
    machine.WriteFileText("C:\\t\\second.txt", "2");
    os::FileInfo first, second;
    ASSERT_TRUE(machine.GetFileAttributesEx("C:\\t\\first.txt", &first));
    ASSERT_TRUE(machine.GetFileAttributesEx("C:\\t\\second.txt", &second));
    EXPECT_GT(first.lastWrite, leapDay);
    EXPECT_GT(second.lastWrite, first.lastWrite);
}

// --- Layout and test access ---

TEST_F(EmulatedMachine, AFreshMachineLooksLikeAnInstalledProgramsOne) {
    EXPECT_EQ("C:\\Program Files\\Quorvex\\qvxfix.exe", machine.GetModuleFileName());
    EXPECT_EQ("C:\\Program Files\\Quorvex", machine.GetCurrentDirectory());
    EXPECT_EQ("C:\\Temp\\", machine.GetTempPath());
    EXPECT_TRUE(machine.Exists("C:\\Temp"));
    EXPECT_TRUE(machine.Exists("C:\\Windows\\System32"));
    machine.SetModulePath("C:\\Tools\\Fix\\qvxfix.exe");
    EXPECT_TRUE(machine.Exists("C:\\Tools\\Fix"));
    EXPECT_EQ("C:\\Tools\\Fix\\qvxfix.exe", machine.GetModuleFileName());

    EXPECT_EQ(static_cast<uint32_t>(os::err::FileNotFound), Status([&] { return machine.CreateDirectory("D:\\x"); }));
    machine.AddDrive("d");
    EXPECT_TRUE(machine.CreateDirectory("D:\\x"));
    EXPECT_EQ(17u, Status([&] { return machine.MoveFile("D:\\x", "C:\\x"); }));  // ERROR_NOT_SAME_DEVICE
}

TEST_F(EmulatedMachine, TestAccessWritesReadsAndListsFilesDirectly) {
    machine.WriteFileText("C:\\w\\b\\two.txt", "2");
    machine.WriteFileText("C:\\w\\One.txt", "1", os::AttrReadOnly);
    machine.WriteFileText("C:\\w\\a.txt", "a");
    EXPECT_EQ(os::AttrArchive | os::AttrReadOnly, machine.GetFileAttributes("C:\\w\\one.txt"));
    EXPECT_EQ("1", machine.ReadFileText("c:\\W\\ONE.TXT").value_or(""));
    EXPECT_FALSE(machine.ReadFileText("C:\\w\\missing.txt"));
    EXPECT_FALSE(machine.ReadFileText("C:\\w\\b"));
    EXPECT_EQ((std::vector<std::string>{"C:\\w\\a.txt", "C:\\w\\b\\two.txt", "C:\\w\\One.txt"}),
              machine.FilesBelow("C:\\W"));
    EXPECT_THROW(machine.WriteFileText("C:\\w\\b", "x"), std::invalid_argument);
    EXPECT_THROW(machine.MakeFolders("C:\\w\\a.txt\\sub"), std::invalid_argument);
    EXPECT_THROW(machine.WriteFileText("Q:\\x.txt", "x"), std::invalid_argument);
    EXPECT_THROW(machine.AddDrive("1:"), std::invalid_argument);
}

// --- Registry beyond the local machine ---

TEST_F(EmulatedMachine, ARemoteMachineHasARegistryOfItsOwn) {
    machine.AddRemoteMachine("Office-PC");
    os::HKey remote = 0;
    ASSERT_EQ(0, machine.RegConnectRegistry("\\\\office-pc", os::HKeyLocalMachine, &remote));
    os::UniqueKey remoteOwner(machine, remote);
    os::HKey created = 0;
    ASSERT_EQ(0, machine.RegCreateKeyEx(remote, "Software\\Remote", os::KeyAllAccess, &created, nullptr));
    machine.RegCloseKey(created);
    os::HKey local = 0;
    EXPECT_EQ(static_cast<long>(os::err::FileNotFound),
              machine.RegOpenKeyEx(os::HKeyLocalMachine, "Software\\Remote", os::KeyAllAccess, &local));

    // HKEY_CLASSES_ROOT shows HKLM\Software\Classes, and cannot be deleted.
    ASSERT_EQ(0, machine.RegCreateKeyEx(os::HKeyLocalMachine, "Software\\Classes\\.qvx", os::KeyAllAccess, &created,
                                        nullptr));
    machine.RegCloseKey(created);
    EXPECT_EQ(0, machine.RegOpenKeyEx(os::HKeyClassesRoot, ".QVX", os::KeyAllAccess, &local));
    machine.RegCloseKey(local);
    EXPECT_EQ(0, machine.RegDeleteKey(os::HKeyClassesRoot, ".qvx"));
    EXPECT_EQ(static_cast<long>(os::err::AccessDenied), machine.RegDeleteKey(os::HKeyClassesRoot, ""));
}

}  // namespace
