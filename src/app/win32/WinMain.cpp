// qvxfix.exe: the real machine, the real windows, the program's start-up.
#include "app/CommandLine.h"
#include "app/Context.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "app/Unattended.h"
#include "controls/win32/CandyButtonPainter.h"
#include "forms/win32/FormWindow.h"
#include "forms/win32/SystemText.h"
#include "forms/win32/Win32Host.h"
#include "os/Utf8.h"
#include "os/win32/Win32Api.h"
#include "os/win32/WinHeaders.h"

#include <exception>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    os::win32::Win32Api api;
    // Switches first: a run from a script shows no window at all.
    const app::CommandLine line = app::ParseArguments(
        app::SplitCommandLine(os::Utf16ToUtf8(reinterpret_cast<const char16_t*>(::GetCommandLineW()))));
    if (line.action != app::CommandLine::Action::Interactive) {
        return app::RunCommandLine(api, line, [](const std::string& usage) {
            MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(os::Utf8ToUtf16(usage).c_str()), L"Quorvex",
                        MB_OK | MB_ICONINFORMATION);
        });
    }
    forms::Win32Host host;
    app::Context ctx(api, host);
    controls::win32::UseCandyButtons(host, api, ctx.Title());
    // Held until the program ends.
    app::SingleInstance instance(api);
    if (instance.AnotherCopyRuns())
        return app::RefuseSecondCopy(api, host, ctx.Title(), forms::win32::FormWindow::kClassName);
    try {
        return host.Run([&] { app::Startup(ctx); });
    } catch (const std::exception& failure) {
        // Nothing should get here; if it does, say so rather than vanish.
        std::string text = "Quorvex stopped because of an unexpected error:\n\n";
        text += failure.what();
        MessageBoxA(nullptr, forms::win32::SystemText(text).c_str(), ctx.Title().c_str(), MB_OK | MB_ICONERROR);
        return 1;
    }
}
