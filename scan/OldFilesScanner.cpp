#include "scan/OldFilesScanner.h"

#include <vector>

#include "core/Logs.h"
#include "problems/Admission.h"
#include "scan/PathTests.h"
#include "scan/ScannerSupport.h"

using scanner::NewProblem;
using scanner::ScanGoesOn;
using scanner::WalkFolderEntries;

namespace {
void AddOldFile(App& app, const std::string& path, const DateTime& lastAccess) {
    auto problem = NewProblem();
    problem->pType(kTypeFile);
    problem->pSTATUS = kStatusUnusedFile;
    problem->pName(path);
    problem->pDescription =
        GetLangString(app, "description_oldfile", "File in temporary folder, last used") + " " +
        app.os.locale.GeneralDate(lastAccess);
    problem->pCureMissingfile = "";
    problem->pCureFilename = path;
    problem->pCureMethod = 0;
    addProblem(app, problem);
}
}  // namespace

DateTime GetDateLastAccessed(App& app, const std::string& path) {
    DateTime accessed;
    if (app.os.files.GetLastAccessTime(path, accessed)) return accessed;
    uint32_t attributes = 0;
    int32_t number = app.os.files.GetAttributes(path, attributes) ? kErrPathFileAccess
                                                                   : kErrFileNotFound;
    ReportError(app, "GetDateLastAccessed", number, ErrorDescription(number));
    return DateTime::Zero();
}

bool IsOlderThanAYear(const DateTime& lastAccess, const DateTime& today) {
    return today.DaySerial() - lastAccess.DaySerial() > 365;
}

void ScanFolderForOldFiles(App& app, const std::string& folderPath) {
    WriteTrace(app, "SFFOF");
    std::string folder = folderPath;
    try {
        if (!ScanGoesOn(app)) return;
        if (!folder.empty() && folder.back() == '\\') folder.pop_back();
        // Without a folder there is nothing of ours to judge: the root of a drive is
        // never scanned for old files.
        if (folder.empty()) return;
        DateTime now = app.os.clock.Now();
        DateTime today{now.year, now.month, now.day};

        std::vector<std::string> subfolders;
        bool goesOn = WalkFolderEntries(app, folder, true, subfolders, [&](const std::string& path) {
            UpdateProgressLabel(app, GetLangString(app, "progress_scanning_file", "Scanning file") +
                                         " " + path);
            DateTime lastAccess = GetDateLastAccessed(app, path);
            uint32_t attributes = 0;
            if (!app.os.files.GetAttributes(path, attributes)) attributes = 0;
            if (IsOlderThanAYear(lastAccess, today) && !(attributes & kAttrSystem))
                AddOldFile(app, path, lastAccess);
        });
        if (!goesOn) return;
        for (const std::string& subfolder : subfolders) ScanFolderForOldFiles(app, subfolder);
    } catch (...) {
        WriteLog(app, "Error in ScanFolderForOldFiles, folder " + folder + ", error " +
                          std::to_string(CurrentError().number));
    }
}
