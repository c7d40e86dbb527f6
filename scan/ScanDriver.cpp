#include "scan/ScanDriver.h"

#include <new>

#include "core/App.h"
#include "core/Language.h"
#include "core/Logs.h"
#include "problems/ProblemCodes.h"
#include "scan/ComScanners.h"
#include "scan/ExtensionScanners.h"
#include "scan/OldFilesScanner.h"
#include "scan/Progress.h"
#include "scan/ProgressView.h"
#include "scan/ReferenceScanners.h"
#include "scan/ShortcutScanners.h"

namespace {

const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// The line the application log gets when the scan ends for lack of memory.
const char kOutOfMemoryLine[] = "Out of memory: the scan ends";

// Runs the statements of one scan. A failure of a statement is ignored and the sequence
// goes on with the next, except running out of memory: that turns ContinueScan off, so
// that no later step runs, and is written to the application log once; the statements
// that close the window still run.
class Statements {
public:
    explicit Statements(App& app) : app_(app) {}

    template <typename Statement>
    void Run(Statement statement) {
        try {
            statement();
        } catch (const std::bad_alloc&) {
            EndForLackOfMemory();
        } catch (...) {
        }
    }

private:
    void EndForLackOfMemory() {
        app_.Scan.ContinueScan = false;
        if (ended_) return;
        ended_ = true;
        try {
            WriteLog(app_, kOutOfMemoryLine);
        } catch (...) {
            // The line is lost, as any log line that cannot be written.
        }
    }

    App& app_;
    bool ended_ = false;
};

}  // namespace

std::vector<ScanStep> ScanSequence() {
    const std::string cv = kCurrentVersion;
    const std::string menuOrder = cv + "\\Explorer\\MenuOrder\\";
    auto menu = [menuOrder](const std::string& rest) {
        return [key = menuOrder + rest](App& app) { SRMO(app, HKCU, key, key); };
    };
    return {
        {"Desktop", 2, [](App& app) { SFFBL(app, app.DesktopFolder); }},
        {"Common desktop", 2, [](App& app) { SFFBL(app, app.CommonDesktopFolder); }},
        {"Programs", 2, [](App& app) { SFFBL(app, app.ProgramsFolder); }},
        {"Common programs", 2, [](App& app) { SFFBL(app, app.CommonProgramsFolder); }},
        {"Uninstall", 1,
         [](App& app) {
             ScanRegistryForBrokenLinks(app, HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                                        true, "UninstallString", kStatusWrongUninstall,
                                        kCheckUninstall);
         }},
        {"Run (HKLM)", 1,
         [cv](App& app) {
             ScanRegistryKeyValuesForBrokenLinks(app, HKLM, cv + "\\Run", true, kCheckRunMachine);
         }},
        {"Run (HKCU)", 1,
         [cv](App& app) {
             ScanRegistryKeyValuesForBrokenLinks(app, HKCU, cv + "\\Run", true, kCheckRunUser);
         }},
        {"Fonts", 1,
         [](App& app) {
             ScanRegistryKeyValuesForBrokenLinks(
                 app, HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts", true,
                 kCheckFonts);
         }},
        {"Fonts (NT)", 1,
         [](App& app) {
             ScanRegistryKeyValuesForBrokenLinks(
                 app, HKLM, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", true,
                 kCheckFontsNt);
         }},
        {"SharedDLLs", 1,
         [cv](App& app) {
             ScanRegistryKeyValuesForBrokenLinks(app, HKLM, cv + "\\SharedDLLs", false,
                                                 kCheckSharedDlls);
         }},
        {"App Paths", 1,
         [cv](App& app) {
             ScanRegistryForBrokenLinks(app, HKLM, cv + "\\App Paths", true, "",
                                        kStatusBrokenLink, kCheckAppPaths);
         }},
        {"Help", 1,
         [](App& app) {
             ScanRegistryForBrokenHelps(app, HKLM, "Software\\Microsoft\\Windows\\Help");
         }},
        {"HTML Help", 1,
         [](App& app) {
             ScanRegistryForBrokenHelps(app, HKLM, "Software\\Microsoft\\Windows\\HTML Help");
         }},
        {"MenuOrder (&Programs)", 1, menu("Start Menu\\&Programs")},
        {"MenuOrder (Programs)", 1, menu("Start Menu\\Programs")},
        {"MenuOrder (Start Menu2)", 1, menu("Start Menu2\\Programs")},
        {"Applications", 1, [](App& app) { ScanHKCR(app, "Applications"); }},
        {"CLSID", 1, [](App& app) { ScanHKCR_CLSID(app); }},
        {"Installer folders", 1, [](App& app) { SR_InstallerFolders(app); }},
        {"FileExts", 1, [](App& app) { SR_FileExts(app); }},
        {"Extensions", 1, [](App& app) { SR_FileExtsHKCR(app); }},
        {"ProgIDs", 1, [](App& app) { SR_ActivexHKCR(app); }},
        {"TypeLib (CLSID)", 1, [](App& app) { SCANREG_TypeLib(app, "CLSID"); }},
        {"TypeLib (Interface)", 1, [](App& app) { SCANREG_TypeLib(app, "Interface"); }},
        {"ARPCache", 1, [](App& app) { SCANREG_ARPCache(app); }},
        {"Temporary folder", 1, [](App& app) { ScanFolderForOldFiles(app, app.TempFolder); }},
        {"Cache folder", 1, [](App& app) { ScanFolderForOldFiles(app, app.CacheFolder); }},
    };
}

void RunScanSequence(App& app) {
    app.Scan.ProgressCounter = 0;
    app.Scan.DriveTypes.clear();
    app.Scan.KeepDriveTypes = true;
    Statements statements(app);
    statements.Run([&] {
        app.Scan.CounterCaption = GetLangString(app, "frmprogress_counter", "Counter:");
    });
    statements.Run([&] { WriteTrace(app, "frmProgress.T1"); });

    std::vector<ScanStep> steps;
    statements.Run([&] { steps = ScanSequence(); });
    for (const ScanStep& step : steps) {
        if (!app.Scan.ContinueScan) break;
        statements.Run([&] { step.run(app); });
        if (app.Scan.ContinueScan)
            for (int i = 0; i < step.barSteps; ++i) statements.Run([&] { UpdateProgressbar(app); });
    }

    statements.Run([&] {
        if (app.Scan.progress) app.Scan.progress->Close();
    });
    statements.Run([&] { ProgressUnload(app); });
    app.Scan.ContinueScan = false;
    app.Scan.KeepDriveTypes = false;
    app.Scan.DriveTypes.clear();
}
