#include "core/AutomaticRun.h"

#include "core/App.h"
#include "core/Logs.h"
#include "repair/RegistryWrite.h"

namespace {
constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
}

void SetAutomaticalRun(App& app, bool enable) {
    WriteTrace(app, "SetAutomaticalRun");
    if (enable) {
        // No quotes around the path: this is the command line Windows runs at logon.
        std::string command = app.AppFile(app.ProgramName + ".exe /SCHEDULED");
        ChangeRegistryValue(app, HKLM, kRunKey, app.BrandAppName, command);
    } else {
        DeleteRegistryValue(app, HKLM, kRunKey, app.BrandAppName, true);
    }
}
