#pragma once
// The process-wide state of one run of the program: the platform it runs on, the
// application folder, the values start-up fills, the problem collection and the
// scan state. Created once and passed by reference; tests build isolated ones.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Events.h"
#include "platform/Platform.h"
#include "problems/ProblemCollection.h"
#include "repair/RepairState.h"
#include "scan/ScanState.h"

struct App {
    App(Platform& platform, std::string appFolder) : os(platform), AppFolder(std::move(appFolder)) {}
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    Platform& os;
    // Where loops let pending window events run; never null. Pointed elsewhere only by a
    // ScopedBinding, which puts this back when it ends.
    Events* events = &noEvents;

    // The folder that holds the program, without a trailing separator.
    std::string AppFolder;
    // The executable's base name, without its extension.
    std::string ProgramName = "Brivolex";
    // The command line's argument text, without the program path.
    std::string CommandLine;

    std::string BrandTitle;
    std::string BrandAppName;
    int32_t WindowsVersion = 0;
    std::string LanguageCode = "eng";
    bool WasFirstRun = false;
    int32_t FirstErrors = -1;
    bool DeleteReadOnly = false;

    std::string DesktopFolder;
    std::string ProgramsFolder;
    std::string CommonDesktopFolder;
    std::string CommonProgramsFolder;
    std::string CacheFolder;
    std::string SystemFolder;
    std::string TempFolder;
    std::string WindowsFolder;
    std::string ProgramFilesFolder;

    bool ScheduledRun = false;

    ProblemCollection Problems;
    ScanState Scan;
    RepairState Repair;

    // A file beside the program: the application folder, "\" and the name.
    std::string AppFile(std::string_view name) const {
        return AppFolder + "\\" + std::string(name);
    }
    void DoEvents() { events->DoEvents(); }

private:
    NoEvents noEvents;
};
