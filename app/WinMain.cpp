// Brivolex.exe: the entry of the Windows program.
#include <windows.h>

#include "core/App.h"
#include "core/Startup.h"
#include "platform/win32/SystemPlatform.h"
#include "ui/win32/MainWindow.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    // A drive without a disc must not stop the program with a system dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    SystemPlatform system;
    App app(system.platform, ProgramFolder());
    app.ProgramName = ProgramBaseName();
    app.CommandLine = ProgramArguments();

    if (Main(app) != StartupResult::ShowMainWindow) return 0;
    // The process lives as long as the main window.
    MainWindow window(app, &system.prompts);
    if (!window.Open(showCommand)) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window.hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
