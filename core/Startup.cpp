#include "core/Startup.h"

#include <cstdio>

#include "core/App.h"
#include "core/AutomaticRun.h"
#include "core/Errors.h"
#include "core/Logs.h"
#include "core/Options.h"
#include "core/SystemFolders.h"
#include "core/Updater.h"
#include "platform/Text.h"

namespace {

constexpr char kScheduledSwitch[] = "/SCHEDULED";

// Runtime components whose versions the trace records, as support asks for them.
constexpr const char* kTracedComponents[] = {
    "mscomctl.ocx", "comctl32.ocx", "msvbvm60.DLL", "OLEAUT32.DLL", "OLEPRO32.DLL",
    "ASYCFILT.DLL", "STDOLE2.TLB",  "COMCAT.DLL",   "SHELLLNK.TLB",
};

void TraceWindowsVersion(App& app) {
    app.WindowsVersion = GetInternalWindowsVersion(app);
    WriteTrace(app, "Operating system version: " + GetWindowsVersionName(app.WindowsVersion));
}

void ReadStartupOptions(App& app) {
    app.LanguageCode = GetOptionS(app, "language", "eng");
    app.WasFirstRun = GetOptionB(app, "wasfirstrun", false);
    app.FirstErrors = GetOptionL(app, "firsterrors", -1);
    app.DeleteReadOnly = GetOptionB(app, "deletereadonly", false);
}

// On every start the Run-key entry follows the option, so a fresh installation
// registers its scheduled start at once.
void ReadAutomaticRun(App& app, bool maintainRunEntry) {
    bool runAutomatically = GetOptionB(app, "runautomatically", true);
    if (maintainRunEntry) SetAutomaticalRun(app, runAutomatically);
}

void FindFolders(App& app) {
    app.DesktopFolder = GetSpecialFolder(app, "Desktop");
    app.ProgramsFolder = GetSpecialFolder(app, "Programs");
    app.CommonDesktopFolder = GetSpecialFolderAllusers(app, "Common Desktop");
    app.CommonProgramsFolder = GetSpecialFolderAllusers(app, "Common Programs");
    app.CacheFolder = GetSpecialFolder(app, "Cache");
    GWSF(app);
    GWF(app);
    GetProgramFilesFolder(app);
}

void TraceComponentVersions(App& app) {
    for (const char* name : kTracedComponents) LogFileVersion(app, name);
}

// "major.minor. revision": the third part is always 0 and is not shown.
void TraceProgramVersion(App& app) {
    FileVersionParts v = app.os.system.ProgramVersion();
    WriteTrace(app, "Program version: " + std::to_string(v.major) + "." + std::to_string(v.minor) +
                        ". " + std::to_string(v.revision));
}

}  // namespace

std::string DateAsDdMmYyyy(int year, int month, int day) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d%02d%04d", day, month, year);
    return buffer;
}

bool IsScheduledRunDue(App& app) {
    bool enabled = GetOptionB(app, "runautomatically", true);
    int32_t when = GetOptionL(app, "runautomatically_when", 1);
    int32_t day = GetOptionL(app, "runautomatically_day", 0);
    if (!enabled) return false;

    DateTime now = app.os.clock.Now();
    std::string today = DateAsDdMmYyyy(now.year, now.month, now.day);
    std::string last = text::Trim(GetOptionS(app, "last_scheduled_run", ""));
    if (last == today) return false;

    bool ruleHolds = false;
    switch (when) {
        case 0: ruleHolds = true; break;                      // daily
        case 1: ruleHolds = now.Weekday() == day; break;      // weekly, 0 Monday .. 6 Sunday
        case 2: ruleHolds = now.day == 1; break;              // monthly
        default: ruleHolds = false; break;
    }
    if (!ruleHolds) return false;

    // Stored before the scan starts: a cancelled or failed scheduled scan does not
    // run again the same day.
    SaveOptionS(app, "last_scheduled_run", today);
    return true;
}

void PrepareApplication(App& app, bool maintainRunEntry) {
    ClearTrace(app);
    WriteTrace(app, "Main");

    app.BrandTitle = "Brivotex";
    app.BrandAppName = "Brivolex";

    TraceWindowsVersion(app);
    ReadStartupOptions(app);
    ReadAutomaticRun(app, maintainRunEntry);
    // Like the Run-key entry, the updater's first-run call belongs to the program only.
    if (maintainRunEntry && !app.WasFirstRun) RFirstRun(app);
    FindFolders(app);
    TraceComponentVersions(app);
    TraceProgramVersion(app);
}

std::string CriticalErrorText() {
    ErrInfo error = CurrentError();
    return "Critical error (main): " + std::to_string(error.number) + ", " + error.description;
}

StartupResult Main(App& app) {
    try {
        PrepareApplication(app, true);

        std::string params = text::ToUpper(app.CommandLine);
        DateTime now = app.os.clock.Now();
        WriteLog(app, "Program started " + app.os.locale.ShortDate(now) + " with params: " + params);

        app.ScheduledRun = false;
        if (params.find(kScheduledSwitch) != std::string::npos) {
            if (!IsScheduledRunDue(app)) {
                WriteLog(app, ".. scheduled run, skipped, ending");
                return StartupResult::Ended;
            }
            app.ScheduledRun = true;
            WriteLog(app, ".. performing scheduled run");
        }
        return StartupResult::ShowMainWindow;
    } catch (...) {
        std::string message = CriticalErrorText();
        WriteTrace(app, message);
        app.os.prompts.Show(message, "Brivolex", kMbOk);
        return StartupResult::Ended;
    }
}
