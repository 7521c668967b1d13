// What the program relies on from starting processes and from the shell's
// look-up of the program for a file.
#include "ContractTest.h"

namespace contract {
namespace {

constexpr uint32_t kBadExeFormat = 193;  // ERROR_BAD_EXE_FORMAT
const std::string kCmd = "C:\\windows\\system32\\cmd.exe";

class ProcessContract : public ContractTest {
protected:
    // The exit code of a started process, or the status when none started.
    struct Outcome {
        bool started = false;
        uint32_t code = 0;
    };
    Outcome Run(const std::string& application, const std::string& commandLine) {
        Outcome outcome;
        api.SetLastError(kSentinel);
        os::UniqueHandle process(api, api.CreateProcess(application, commandLine, os::SwHide));
        if (!process) {
            outcome.code = api.GetLastError();
            return outcome;
        }
        outcome.started = true;
        EXPECT_EQ(os::WaitObject0, api.WaitForSingleObject(process.get(), 10000));
        outcome.code = kSentinel;
        EXPECT_TRUE(api.GetExitCodeProcess(process.get(), &outcome.code));
        return outcome;
    }
};

TEST_F(ProcessContract, AStartedProgramRunsToItsExitCode) {
    const struct {
        std::string application, commandLine;
        uint32_t code;
    } cases[] = {
        {"", "cmd.exe /c exit 7", 7},         // a bare name is searched for
        {"", "cmd /c exit 8", 8},             // ".exe" is added
        {"", "\"" + kCmd + "\" /c exit 5", 5},
        {kCmd, "cmd /c exit 9", 9},           // the program given apart from the line
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        Outcome outcome = Run(c.application, c.commandLine);
        EXPECT_TRUE(outcome.started);
        EXPECT_EQ(c.code, outcome.code);
    }
}

TEST_F(ProcessContract, AMissingProgramOrAFileThatIsNoneDoesNotStart) {
    Write("notes.txt", "not a program");
    const struct {
        std::string application, commandLine;
        uint32_t status;
    } cases[] = {
        {"", Path("missing.exe /x"), os::err::FileNotFound},
        {"", "\"" + Path("missing.exe") + "\" /x", os::err::FileNotFound},
        {"", Path("nodir\\missing.exe"), os::err::FileNotFound},
        {Path("missing.exe"), "missing /x", os::err::FileNotFound},
        {"", "qvx-no-such-program /x", os::err::FileNotFound},
        {"", "", os::err::FileNotFound},
        {"", Path("notes.txt"), kBadExeFormat},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.application + " | " + c.commandLine);
        Outcome outcome = Run(c.application, c.commandLine);
        EXPECT_FALSE(outcome.started);
        EXPECT_EQ(c.status, outcome.code);
    }
}

TEST_F(ProcessContract, AnUnquotedPathWithBlanksIsTriedWordByWord) {
    MakeDir("Program Files");
    ASSERT_TRUE(api.CopyFile(kCmd, Path("Program Files\\tool.exe"), false));
    const std::string line = Path("Program Files\\tool.exe") + " /c exit 4";
    Outcome outcome = Run("", line);
    EXPECT_TRUE(outcome.started);
    EXPECT_EQ(4u, outcome.code);
    // "...\Program" comes first and gains ".exe": a file of that name is tried
    // (and here fails) before the folder with the blank is looked at.
    Write("Program.exe", "not a program");
    outcome = Run("", line);
    EXPECT_FALSE(outcome.started);
    EXPECT_EQ(kBadExeFormat, outcome.code);
    outcome = Run("", "\"" + Path("Program Files\\tool.exe") + "\" /c exit 3");
    EXPECT_EQ(3u, outcome.code);
}

TEST_F(ProcessContract, InvalidProcessHandlesFail) {
    uint32_t code = kSentinel;
    api.SetLastError(kSentinel);
    EXPECT_FALSE(api.GetExitCodeProcess(0x1234, &code));
    EXPECT_EQ(static_cast<uint32_t>(os::err::InvalidHandle), api.GetLastError());
    api.SetLastError(kSentinel);
    EXPECT_EQ(os::WaitFailed, api.WaitForSingleObject(0x1234, 0));
    EXPECT_EQ(static_cast<uint32_t>(os::err::InvalidHandle), api.GetLastError());
}

TEST_F(ProcessContract, ANamedMutexIsSharedUntilItsLastHandleCloses) {
    const std::string name = "Local\\QuorvexContract." + key.substr(key.find_last_of('\\') + 1);
    bool exists = true;
    os::UniqueHandle first(api, api.CreateMutex(name, &exists));
    ASSERT_TRUE(first);
    EXPECT_FALSE(exists);
    {
        exists = false;
        os::UniqueHandle second(api, api.CreateMutex(name, &exists));
        EXPECT_TRUE(second);
        EXPECT_TRUE(exists);
        EXPECT_EQ(os::err::AlreadyExists, api.GetLastError());
    }
    first.reset();
    os::UniqueHandle again(api, api.CreateMutex(name, &exists));
    EXPECT_FALSE(exists);
    EXPECT_FALSE(api.ActivateOtherWindow("QuorvexContract.NoSuchClass"));
}

TEST_F(ProcessContract, FindExecutableNeedsTheFileAndItsAssociation) {
    Write("page.qvxnoassoc");
    Write("noext");
    ASSERT_TRUE(api.CopyFile(kCmd, Path("tool.exe"), false));
    const struct {
        std::string file, directory;
        std::intptr_t code;  // 0: any success (above 32)
        std::string program;
    } cases[] = {
        {Path("missing.txt"), "", 2, ""},                   // SE_ERR_FNF
        {Path("noext"), "", 31, ""},
        {"noext", dir, 2, ""},  // looked for as noext.exe there, then in the current folder
        {Path("page.qvxnoassoc"), "", 31, ""},              // SE_ERR_NOASSOC
        {"page.qvxnoassoc", dir.substr(0, dir.size() - 1), 31, ""},
        {"missing.txt", dir, 2, ""},
        {Path("tool.exe"), "", 0, Path("tool.exe")},        // a program is its own
        {"tool.exe", dir.substr(0, dir.size() - 1), 0, Path("tool.exe")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + " in " + c.directory);
        std::string program = "unchanged";
        std::intptr_t code = api.FindExecutable(c.file, c.directory, &program);
        if (c.code == 0) {
            EXPECT_GT(code, 32);
        } else {
            EXPECT_EQ(c.code, code);
        }
        EXPECT_EQ(c.program, program);
    }
}

}  // namespace
}  // namespace contract
