// wordsim-install.exe: lays a simulated Word into the Wine prefix (or Windows)
// it runs in, registers its automation server and prints where it put things.
// winword.exe and wordsim.dll are copied from this program's own folder.
#include "Common.h"

#include "os/win32/Win32Api.h"
#include "wordsim/Installer.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kUsage[] =
    "usage: wordsim-install [options]\n"
    "  --version 2002|2003|2007|2016  Word to lay down (default 2003; 2007 MSI and\n"
    "                            2016 Click-to-Run are 32-bit Office on 64-bit Windows)\n"
    "  --program DIR             program folder (winword.exe, wordsim.dll, wordsim.log)\n"
    "  --templates DIR           user templates folder (Normal.dot)\n"
    "  --shared DIR              shared templates folder\n"
    "  --startup DIR             Startup folder\n"
    "  --fault LIST              comma list of normal,com,data,options,startup (or none)\n"
    "  --startup-addins LIST     file names for the Startup folder (default Tools.dot,Macros.wll)\n"
    "  --com-addins LIST         ProgID[:LoadBehavior],... (default WordSim.Connect:3)\n"
    "  --machine-addins LIST     2007/2016: ProgID[:LoadBehavior],... for every user\n"
    "  --machine-startup LIST    2007/2016: file names for Word's own STARTUP folder\n"
    "  --faulty-com-addin PROGID the COM add-in that carries the com fault (one for all users too)\n"
    "  --faulty-startup NAME     the Startup file that carries the startup fault\n"
    "  --delay MS                start delay of every automation start\n"
    "  --window                  winword.exe shows a window when it starts\n"
    "  --no-register             do not register Word.Application\n"
    "  --uninstall               remove what the same options laid down\n";

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        if (comma > start) items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

int Usage(const std::string& problem) {
    std::fprintf(stderr, "wordsim-install: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    wordsim::InstallOptions options;
    options.binarySource = wordsim::win32::ModuleFolder(nullptr);
    bool uninstall = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&](std::string* value) {
            if (i + 1 >= argc) return false;
            *value = argv[++i];
            return true;
        };
        std::string value;
        if (arg == "--window") {
            options.window = true;
        } else if (arg == "--no-register") {
            options.registerServer = false;
        } else if (arg == "--uninstall") {
            uninstall = true;
        } else if (arg == "--help" || arg == "-h" || arg == "/?") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!next(&value)) {
            return Usage("unknown option or missing value: " + arg);
        } else if (arg == "--version") {
            auto version = wordsim::ParseVersion(value);
            if (!version) return Usage("unknown version: " + value);
            options.version = *version;
        } else if (arg == "--program") {
            options.programFolder = value;
        } else if (arg == "--templates") {
            options.userTemplates = value;
        } else if (arg == "--shared") {
            options.sharedTemplates = value;
        } else if (arg == "--startup") {
            options.startupFolder = value;
        } else if (arg == "--fault") {
            for (const std::string& item : SplitList(value)) {
                if (item == "none") continue;
                auto component = wordsim::ParseComponent(item);
                if (!component) return Usage("unknown component: " + item);
                options.faults.push_back(*component);
            }
        } else if (arg == "--startup-addins") {
            options.startupAddins = SplitList(value);
        } else if (arg == "--com-addins" || arg == "--machine-addins") {
            std::vector<wordsim::ComAddin>& addins = arg == "--com-addins" ? options.comAddins : options.machineAddins;
            addins.clear();
            for (const std::string& item : SplitList(value)) {
                const size_t colon = item.find(':');
                wordsim::ComAddin addin{item.substr(0, colon), 3};
                if (colon != std::string::npos) {
                    addin.loadBehavior = static_cast<uint32_t>(std::strtoul(item.c_str() + colon + 1, nullptr, 0));
                }
                addins.push_back(addin);
            }
        } else if (arg == "--machine-startup") {
            options.machineStartupAddins = SplitList(value);
        } else if (arg == "--faulty-com-addin") {
            options.faultyComAddin = value;
        } else if (arg == "--faulty-startup") {
            options.faultyStartupAddin = value;
        } else if (arg == "--delay") {
            options.startDelayMs = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
        } else {
            return Usage("unknown option: " + arg);
        }
    }

    os::win32::Win32Api api;
    wordsim::win32::SimLock lock;
    if (uninstall) {
        const wordsim::InstallResult plan = wordsim::PlanInstall(api, options);
        if (!plan.ok) {
            std::fprintf(stderr, "wordsim-install: %s\n", plan.error.c_str());
            return 1;
        }
        wordsim::Uninstall(api, plan);
        std::printf("uninstalled=%s\n", plan.programFolder.c_str());
        return 0;
    }
    const wordsim::InstallResult result = wordsim::Install(api, options);
    if (!result.ok) {
        std::fprintf(stderr, "wordsim-install: %s\n", result.error.c_str());
        return 1;
    }
    std::fputs(wordsim::Describe(result).c_str(), stdout);
    return 0;
}
