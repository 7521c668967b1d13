// The switches: what each command line asks for, and the malformed ones that
// must end with the usage before anything is touched.
#include "app/CommandLine.h"
#include "app/Unattended.h"
#include "os/emulated/Machine.h"

#include <gtest/gtest.h>

namespace {

using app::CommandLine;
using A = CommandLine::Action;

TEST(CommandLine, ReadsWindowsStyleSwitchesAndRefusesEverythingElse) {
    const struct {
        std::vector<std::string> args;
        A action;
        std::string version, log, run;
    } cases[] = {
        {{}, A::Interactive, "", "", "last"},
        {{"/auto"}, A::Auto, "", "", "last"},
        {{"-AUTO", "/Version", "wd16", "-LOG", "C:\\a b\\q.log"}, A::Auto, "WD16", "C:\\a b\\q.log", "last"},
        {{"/log:C:\\q.log", "/auto", "/version:WD11"}, A::Auto, "WD11", "C:\\q.log", "last"},
        {{"/undo"}, A::Undo, "", "", "last"},
        {{"/Undo", "LAST"}, A::Undo, "", "", "last"},
        {{"/undo", "20261208-183000", "/log", "u.log"}, A::Undo, "", "u.log", "20261208-183000"},
        {{"-list"}, A::List, "", "", "last"},
        {{"/?"}, A::Usage, "", "", "last"},
        {{"/frobnicate"}, A::Bad, "", "", "last"},
        {{"auto"}, A::Bad, "", "", "last"},
        {{"/auto", "/log"}, A::Bad, "", "", "last"},
        {{"/auto", "/list"}, A::Bad, "", "", "last"},
        {{"/auto", "/auto"}, A::Bad, "", "", "last"},
        {{"/version", "WD11"}, A::Bad, "", "", "last"},
        {{"/auto", "/version", "WDx"}, A::Bad, "", "", "last"},
        {{"/auto", "/log", "a", "/log", "b"}, A::Bad, "", "", "last"},
        {{"/undo", "/version", "WD11"}, A::Bad, "", "", "last"},
        {{"/?", "/log", "x"}, A::Bad, "", "", "last"},
        {{"/auto:yes"}, A::Bad, "", "", "last"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const std::string& arg : c.args) shown += arg + " ";
        SCOPED_TRACE(shown);
        const CommandLine line = app::ParseArguments(c.args);
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(line.action == A::Bad, !line.error.empty());
        EXPECT_EQ(line.version, c.version);
        EXPECT_EQ(line.log, c.log);
        EXPECT_EQ(line.run, c.run);
    }
}

TEST(CommandLine, SplitsAsTheRuntimeDoes) {
    using V = std::vector<std::string>;
    EXPECT_EQ(app::SplitCommandLine("qvxfix.exe"), V{});
    EXPECT_EQ(app::SplitCommandLine("\"C:\\Program Files\\Q\\qvxfix.exe\" /auto  /log \"C:\\a b\\c.log\" "),
              (V{"/auto", "/log", "C:\\a b\\c.log"}));
    EXPECT_EQ(app::SplitCommandLine("q.exe a\\\\\\\"b \"c\\\\\" d\\e \"\""), (V{"a\\\"b", "c\\", "d\\e", ""}));
}

// Started from a console, a bad command line says why and how there, and
// touches nothing, the log included; without one it says nothing at all.
TEST(CommandLine, BadArgumentsGoToTheConsoleOnlyAndEndWith64) {
    for (bool console : {true, false}) {
        os::emulated::Machine machine;
        machine.SetParentConsole(console);
        machine.SetSpecialFolder(os::CsidlLocalAppData, "C:\\");
        bool shown = false;
        EXPECT_EQ(app::RunCommandLine(machine, app::ParseArguments({"/auto", "/bogus"}), [&](auto&) { shown = true; }),
                  64);
        EXPECT_EQ(machine.ConsoleText(), console ? "qvxfix: unknown switch: /bogus\r\n" + std::string(app::kUsage) : "");
        EXPECT_FALSE(shown);
        EXPECT_FALSE(machine.Exists("C:\\Quorvex"));
    }
}

}  // namespace
