// Brivolex.exe: the entry of the Windows program.
#include <windows.h>

#include "core/App.h"
#include "core/Startup.h"
#include "platform/win32/SystemPlatform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // A drive without a disc must not stop the program with a system dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    SystemPlatform system;
    App app(system.platform, ProgramFolder());
    app.ProgramName = ProgramBaseName();
    app.CommandLine = ProgramArguments();

    if (Main(app) == StartupResult::ShowMainWindow) {
        // The main window opens here once it exists; until then an interactive start
        // ends after start-up.
    }
    return 0;
}
