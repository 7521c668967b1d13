#include "app/CommandLine.h"

#include <algorithm>
#include <cctype>

namespace app {

const char* const kUsage =
    "Usage: qvxfix [/auto [/version WDxx]] [/undo [last|<run>]] [/list] [/log <file>] [/?]\r\n"
    "  /auto           analyze and repair Word without any window or question\r\n"
    "  /version WDxx   the Word version to work on (default: the one found)\r\n"
    "  /undo [run]     undo the last run, or the one named, from the journal\r\n"
    "  /list           write the journal's runs to the log\r\n"
    "  /log <file>     append the log to file (default:\r\n"
    "                  %LOCALAPPDATA%\\Quorvex\\last-run.log)\r\n"
    "  /?              this text\r\n"
    "Exit codes: 0 nothing at fault, 1 repaired, 2 Word does not start even with\r\n"
    "everything disabled, 3 another copy runs, 4 no supported Word, 5 a component\r\n"
    "could not be backed up or put back, 64 bad arguments.\r\n";

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsSwitch(const std::string& arg) { return arg.size() > 1 && (arg[0] == '/' || arg[0] == '-'); }

// "WD" and digits, in any case; returned in capitals.
bool ReadVersion(const std::string& text, std::string* version) {
    if (text.size() < 3 || Lower(text.substr(0, 2)) != "wd") return false;
    if (!std::all_of(text.begin() + 2, text.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
        return false;
    *version = "WD" + text.substr(2);
    return true;
}

}  // namespace

CommandLine ParseArguments(const std::vector<std::string>& args) {
    CommandLine line;
    if (args.empty()) return line;
    auto bad = [](const std::string& why) {
        CommandLine result;
        result.action = CommandLine::Action::Bad;
        result.error = why;
        return result;
    };
    bool actionSet = false;
    bool versionSet = false;
    bool logSet = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!IsSwitch(arg)) return bad("unexpected argument: " + arg);
        // "/log:file" as well as "/log file".
        std::string name = Lower(arg.substr(1));
        std::string value;
        bool hasValue = false;
        if (size_t colon = name.find(':'); colon != std::string::npos) {
            value = arg.substr(1 + colon + 1);
            name.resize(colon);
            hasValue = true;
        }
        auto takeValue = [&](bool optional) {
            if (hasValue) return !value.empty();
            if (i + 1 < args.size() && !IsSwitch(args[i + 1])) {
                value = args[++i];
                return !value.empty();
            }
            return optional;
        };
        auto setAction = [&](CommandLine::Action action) {
            if (actionSet) return false;
            actionSet = true;
            line.action = action;
            return true;
        };
        if (name == "auto" && !hasValue) {
            if (!setAction(CommandLine::Action::Auto)) return bad("more than one action: " + arg);
        } else if (name == "list" && !hasValue) {
            if (!setAction(CommandLine::Action::List)) return bad("more than one action: " + arg);
        } else if (name == "?" && !hasValue) {
            if (!setAction(CommandLine::Action::Usage)) return bad("more than one action: " + arg);
        } else if (name == "undo") {
            if (!setAction(CommandLine::Action::Undo)) return bad("more than one action: " + arg);
            if (!takeValue(true)) return bad("/undo needs last or a run");
            if (!value.empty()) line.run = Lower(value) == "last" ? "last" : value;
        } else if (name == "version") {
            if (versionSet || !takeValue(false) || !ReadVersion(value, &line.version))
                return bad("/version needs one Word version such as WD11");
            versionSet = true;
        } else if (name == "log") {
            if (logSet || !takeValue(false)) return bad("/log needs one file");
            line.log = value;
            logSet = true;
        } else {
            return bad("unknown switch: " + arg);
        }
    }
    if (!actionSet) return bad("no action: give /auto, /undo, /list or /?");
    if (versionSet && line.action != CommandLine::Action::Auto) return bad("/version goes with /auto only");
    if (logSet && line.action == CommandLine::Action::Usage) return bad("/? takes no other switch");
    return line;
}

std::vector<std::string> SplitCommandLine(const std::string& text) {
    std::vector<std::string> args;
    size_t i = 0;
    // The program's name: up to the first blank, quotes taken as they are.
    bool quoted = false;
    for (; i < text.size() && (quoted || (text[i] != ' ' && text[i] != '\t')); ++i)
        if (text[i] == '"') quoted = !quoted;
    for (;;) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        if (i >= text.size()) break;
        std::string arg;
        quoted = false;
        for (; i < text.size() && (quoted || (text[i] != ' ' && text[i] != '\t')); ++i) {
            size_t slashes = 0;
            while (i < text.size() && text[i] == '\\') ++slashes, ++i;
            if (i < text.size() && text[i] == '"') {
                // 2n backslashes and a quote: n backslashes, the quote toggles;
                // 2n+1: n backslashes and a literal quote.
                arg.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    arg += '"';
                } else if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                    arg += '"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
            } else {
                arg.append(slashes, '\\');
                if (i >= text.size()) break;
                if (!quoted && (text[i] == ' ' || text[i] == '\t')) break;
                arg += text[i];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

}  // namespace app
