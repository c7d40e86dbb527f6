#include "scan/ShortcutScanners.h"

#include <vector>

#include "core/Logs.h"
#include "platform/Text.h"
#include "problems/Admission.h"
#include "scan/PathTests.h"
#include "scan/RegistryRead.h"
#include "scan/ScannerSupport.h"

using scanner::Names;
using scanner::NewProblem;
using scanner::ScanNames;
using scanner::ShowRegistryItem;

namespace {

// A remembered Start-menu entry must still be a shortcut or a folder in one of the two
// program folders; `relative` begins with "\\".
void CheckMenuOrderEntry(App& app, RegKey hive, const std::string& keyPath,
                         const std::string& relative) {
    const std::string candidates[] = {
        app.ProgramsFolder + relative + ".lnk", app.ProgramsFolder + relative,
        app.CommonProgramsFolder + relative + ".lnk", app.CommonProgramsFolder + relative};
    bool exists = false;
    for (const std::string& candidate : candidates)
        if (FileExists(app, candidate)) exists = true;
    if (exists) return;

    const std::string& expected = candidates[0];
    auto problem = NewProblem();
    problem->pType(kTypeRegistry);
    problem->pSTATUS = kStatusBrokenLink;
    problem->pInternalType = kCheckMenuOrder;
    problem->pName(keyPath);
    problem->pKey("");
    problem->pDescription =
        GetLangString(app, "description_wronglink", "Links to nonexisting file") + " " + expected;
    problem->pCureMissingfile = expected;
    problem->pCureKeyRoot = static_cast<int32_t>(hive);
    problem->pCureKeyName = keyPath;
    problem->pCureKeyValueName = "";
    problem->pCureMethod = kCureFullPath;
    addProblem(app, problem);
}

}  // namespace

bool IsShortcutFile(const std::string& path) {
    return path.size() >= 4 && text::ToLower(path.substr(path.size() - 4)) == ".lnk";
}

int32_t GetShortcutInfo(App& app, const std::string& path, ShellLinkInfo& info) {
    if (path.empty() || path == " ") return 1;
    ShellLinkError error;
    if (!app.os.links.Read(path, info, error)) {
        WriteLog(app, "Error in GetShortcutInfo: " + std::to_string(error.number) + "," +
                          error.description);
        return 1;
    }
    return 0;
}

void CheckShortcut(App& app, const std::string& shortcutPath) {
    ShellLinkInfo info;
    if (GetShortcutInfo(app, shortcutPath, info) != 0) return;  // unreadable: not a problem
    std::string targetText = info.target;
    if (!info.arguments.empty()) targetText += " " + info.arguments;

    const std::string& target = info.target;
    if (target.empty()) return;  // a shell object or an advertised entry, not a file
    if (FileExists(app, target)) return;
    if (HasDriveRoot(target) && MyGetDriveType(app, text::Left(target, 3)) != kDriveFixed)
        return;  // removable, network, CD-ROM and RAM drives, and missing letters

    auto problem = NewProblem();
    problem->pType(kTypeShortcut);
    problem->pSTATUS = kStatusBrokenLink;
    problem->pName(shortcutPath);
    problem->pDescription =
        GetLangString(app, "description_wronglink", "Links to nonexisting file") + " " + targetText;
    problem->pCureMissingfile = target;
    problem->pCureFilename = shortcutPath;
    problem->pCureMethod = kCureFullPath;
    addProblem(app, problem);
}

void SFFBL(App& app, const std::string& top) {
    if (top.empty()) {
        WriteTrace(app, "SFFBL");
        WriteTrace(app, "SFFBL skipped, foldername empty");
        return;
    }
    scanner::ScanFolderTree(
        app, top, "SFFBL", false,
        [&](const std::string& path) {
            if (!IsShortcutFile(path)) return;
            UpdateProgressLabelWith(app, [&] {
                return GetLangString(app, "progress_scanning_shortcut", "Scanning shortcut") +
                       " " + path;
            });
            CheckShortcut(app, path);
        },
        [&](const std::string&) {
            WriteLog(app, "Error in SFFBL, error " + std::to_string(CurrentError().number));
        });
}

void SRMO(App& app, RegKey hive, const std::string& top, const std::string& basePath) {
    scanner::WalkDepthFirst(top, [&](const std::string& keyPath,
                                     std::vector<std::string>& subkeyPaths) {
        WriteTrace(app, "SRMO");
        try {
            bool goesOn = ScanNames(app, hive, keyPath, Names::Subkeys, [&](const std::string& name) {
                std::string subPath = keyPath + "\\" + name;
                subkeyPaths.push_back(subPath);
                ShowRegistryItem(app, subPath);
            });
            if (!goesOn) {  // no such key, or the scan was stopped
                subkeyPaths.clear();
                return;
            }
            // Only leaf keys stand for entries; a key with subkeys is a Start-menu folder.
            if (subkeyPaths.empty() && keyPath.size() > basePath.size())
                CheckMenuOrderEntry(app, hive, keyPath, keyPath.substr(basePath.size()));
        } catch (...) {
            PassOnOutOfMemory();
            subkeyPaths.clear();
            WriteLog(app, "Error in ScanRegistryForBrokenLinks, error " +
                              std::to_string(CurrentError().number));
        }
    });
}
