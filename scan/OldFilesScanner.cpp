#include "scan/OldFilesScanner.h"

#include <vector>

#include "core/Logs.h"
#include "problems/Admission.h"
#include "scan/PathTests.h"
#include "scan/ScannerSupport.h"

using scanner::NewProblem;

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
    problem->pCureMethod = kCureFullPath;
    addProblem(app, problem);
}
}  // namespace

bool ReadDateLastAccessed(App& app, const std::string& path, DateTime& accessed) {
    if (app.os.files.GetLastAccessTime(path, accessed)) return true;
    uint32_t attributes = 0;
    int32_t number = app.os.files.GetAttributes(path, attributes) ? kErrPathFileAccess
                                                                   : kErrFileNotFound;
    ReportError(app, "GetDateLastAccessed", number, ErrorDescription(number));
    return false;
}

DateTime GetDateLastAccessed(App& app, const std::string& path) {
    DateTime accessed;
    return ReadDateLastAccessed(app, path, accessed) ? accessed : DateTime::Zero();
}

bool IsOlderThanAYear(const DateTime& lastAccess, const DateTime& today) {
    return today.DaySerial() - lastAccess.DaySerial() > 365;
}

void ScanFolderForOldFiles(App& app, const std::string& folderPath) {
    std::string top = folderPath;
    if (!top.empty() && top.back() == '\\') top.pop_back();
    if (top.empty()) {
        // Without a folder there is nothing of ours to judge: the root of a drive is
        // never scanned for old files.
        WriteTrace(app, "SFFOF");
        return;
    }
    DateTime now = app.os.clock.Now();
    const DateTime today{now.year, now.month, now.day};
    scanner::ScanFolderTree(
        app, top, "SFFOF", true,
        [&](const std::string& path) {
            UpdateProgressLabelWith(app, [&] {
                return GetLangString(app, "progress_scanning_file", "Scanning file") + " " + path;
            });
            // A file whose age or attributes cannot be read is not known to be old.
            DateTime lastAccess;
            uint32_t attributes = 0;
            if (!ReadDateLastAccessed(app, path, lastAccess)) return;
            if (!app.os.files.GetAttributes(path, attributes)) return;
            if (IsOlderThanAYear(lastAccess, today) && !(attributes & kAttrSystem))
                AddOldFile(app, path, lastAccess);
        },
        [&](const std::string& folder) {
            WriteLog(app, "Error in ScanFolderForOldFiles, folder " + folder + ", error " +
                              std::to_string(CurrentError().number));
        });
}
